#include "nomenclature_editor.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "ui/lookup_box.h"

#include <QLineEdit>

TForm29::TForm29(QWidget *parent)
    : DirectoryEditor(QStringLiteral("Номенклатура"), QStringLiteral("Данные о позиции"), parent)
{
    setObjectName(QStringLiteral("TForm29"));
    Edit1 = addEdit("Edit1", QStringLiteral("Наименование"));
    p_department = addLookup("p_department", QStringLiteral("Склад"), cb_department,
                             QStringLiteral("cmn_department.department"));
}

void TForm29::Button1Click()
{
    if (!allFilled({Edit1->text()}))
        return;
    db::Params p;
    p.setText(QStringLiteral("s_caption"), typedText(Edit1));
    p.setInteger(QStringLiteral("id_department"), keyOrZero(p_department));
    saveRow(p,
            QStringLiteral("insert into cmn_inventory_items.nomenclature(s_caption, "
                           "id_department)VALUES(:s_caption, :id_department)"),
            QStringLiteral("UPDATE cmn_inventory_items.nomenclature SET "
                           "s_caption=:s_caption, id_department=:id_department where "
                           "id=:id"));
}
