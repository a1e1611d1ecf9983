#include "departments_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/department_editor.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Подразделения");
    s.dataset = &dataModule().department;
    s.columns = {{QStringLiteral("s_caption"), QStringLiteral("Наименование")},
                 {QStringLiteral("s_description"), QStringLiteral("Примечание")},
                 {QStringLiteral("s_parent"), QStringLiteral("Род.  подразделение")},
                 {QStringLiteral("s_type"), QStringLiteral("Тип склада")}};
    s.columnWidths = {220, 200, 200, 130};
    s.addButtonName = "Button5";
    s.deleteStatement = QStringLiteral("delete from cmn_department.department where id=:id");
    return s;
}

} // namespace

TForm30::TForm30(QWidget *parent)
    : DirectoryWindow(settings(), parent)
{
    setObjectName(QStringLiteral("TForm30"));
    Button5 = addButton;
    Button4 = exitButton;
    ui::connectGuarded(Button5, &QPushButton::clicked, this, &TForm30::Button5Click);
}

void TForm30::Button5Click()
{
    TForm31 *e = forms().departmentEditor;
    e->tag = 1;
    e->openLookups();
    e->Edit1->clear();
    e->Edit2->clear();
    e->showStoreKind(-1);
    addThrough(e);
}

void TForm30::changeRow()
{
    db::Dataset &d = list();
    TForm31 *e = forms().departmentEditor;
    e->tag = 0;
    e->Edit1->setText(d.asString(QStringLiteral("s_caption")).trimmed());
    e->Edit2->setText(d.asString(QStringLiteral("s_description")).trimmed());
    e->openLookups();
    e->showStoreKind(int(d.asInteger(QStringLiteral("type"))));
    e->p_department->setKeyValue(int(d.asInteger(QStringLiteral("id_parent"))));
    e->id = int(d.asInteger(QStringLiteral("id")));
    ui::showModal(e);
}
