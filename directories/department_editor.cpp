#include "department_editor.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSet>

TForm31::TForm31(QWidget *parent)
    : DirectoryEditor(QStringLiteral("Ведение подразделений"), QStringLiteral("Данные о позиции"),
                      parent)
{
    setObjectName(QStringLiteral("TForm31"));
    Edit1 = addEdit("Edit1", QStringLiteral("Наименование"));
    Edit2 = addEdit("Edit2", QStringLiteral("Описание"), 4000);
    Label3 = new QLabel(QStringLiteral("Тип склада"));
    Label3->setObjectName(QStringLiteral("Label3"));
    type_combo = new QComboBox;
    type_combo->setObjectName(QStringLiteral("type_combo"));
    type_combo->addItems({QStringLiteral("Склад ГП"), QStringLiteral("Склад заготовок"),
                          QStringLiteral("Склад сырья")});
    fields()->addRow(Label3, type_combo);
    p_department = addLookup("p_department", QStringLiteral("Род. подразделение"), cb_department,
                             QStringLiteral("cmn_department.department"));
    CheckBox1 = new QCheckBox(QStringLiteral("Склад"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    fields()->addRow(QString(), CheckBox1);
    // Only a click of the user acts; the window setting the box for a stored row does not.
    ui::connectGuarded(CheckBox1, &QCheckBox::clicked, this, &TForm31::CheckBox1Click);
    showStoreKind(-1);
}

void TForm31::showStoreKind(int kind)
{
    const bool store = kind >= 0;
    CheckBox1->setChecked(store);
    type_combo->setEnabled(store);
    Label3->setEnabled(store);
    type_combo->setCurrentIndex(store ? kind : -1);
}

void TForm31::CheckBox1Click()
{
    showStoreKind(CheckBox1->isChecked() ? 0 : -1);
}

bool TForm31::parentLoops(int parent) const
{
    if (adding() || !cb_department.isOpen())
        return false;
    const int idField = cb_department.fieldIndex(QStringLiteral("id"));
    const int parentField = cb_department.fieldIndex(QStringLiteral("id_parent"));
    auto parentOf = [&](int department) {
        for (int row = 0; row < cb_department.recordCount(); ++row) {
            if (cb_department.valueAt(row, idField).toInt() == department)
                return cb_department.valueAt(row, parentField).toInt();
        }
        return 0;
    };
    // Up the chain of parents; 0 is "no parent", and a loop saved earlier stops the walk.
    QSet<int> seen;
    for (int d = parent; d != 0 && !seen.contains(d); d = parentOf(d)) {
        if (d == id)
            return true;
        seen.insert(d);
    }
    return false;
}

void TForm31::Button1Click()
{
    if (!allFilled({Edit1->text()}))
        return;
    if (parentLoops(keyOrZero(p_department))) {
        ui::showError(this,
                      QStringLiteral("Подразделение не может быть родительским для самого "
                                     "себя или своего подчинённого подразделения!"));
        return;
    }
    db::Params p;
    p.setText(QStringLiteral("s_caption"), typedText(Edit1));
    p.setText(QStringLiteral("s_description"), typedText(Edit2));
    p.setInteger(QStringLiteral("id_parent"), keyOrZero(p_department));
    const int kind = type_combo->currentIndex();
    p.setInteger(QStringLiteral("type"), kind);
    p.setText(QStringLiteral("s_type"), kind >= 0 ? type_combo->currentText() : QStringLiteral(""));
    saveRow(p,
            QStringLiteral("insert into cmn_department.department(s_caption, "
                           "s_description, id_parent, type, s_type)VALUES(:s_caption, "
                           ":s_description, :id_parent, :type, :s_type)"),
            QStringLiteral("UPDATE cmn_department.department SET s_caption=:s_caption, "
                           "s_description=:s_description, id_parent=:id_parent, "
                           "type=:type, s_type=:s_type where id=:id"));
}
