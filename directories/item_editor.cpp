#include "item_editor.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "ui/key_filters.h"
#include "ui/lookup_box.h"

#include <QLineEdit>

TForm7::TForm7(QWidget *parent)
    : DirectoryEditor(QStringLiteral("Form7"), QStringLiteral("Данные об изделии"), parent)
{
    setObjectName(QStringLiteral("TForm7"));
    Edit1 = addEdit("Edit1", QStringLiteral("Наименование"));
    Edit2 = addEdit("Edit2", QStringLiteral("Коробки"));
    ui::allowDecimalKeys(Edit2);
    combo_nomenclature
        = addLookup("combo_nomenclature", QStringLiteral("Номенклатура"), nomenclature,
                    QStringLiteral("cmn_inventory_items.nomenclature"));
}

void TForm7::Button1Click()
{
    if (!allFilled({Edit1->text(), Edit2->text()}))
        return;
    db::Params p;
    p.setText(QStringLiteral("marka"), typedText(Edit1));
    p.setInteger(QStringLiteral("id_nom"), keyOrZero(combo_nomenclature));
    // The count as the server has always read it: the typed text with its separator made the
    // database's; the server turns that text into the number (and refuses one it cannot read).
    p.setText(QStringLiteral("massa"), dataModule().toSqlDecimal(typedText(Edit2)));
    saveRow(p,
            QStringLiteral("insert into cmn_inventory_items.inventory_items(marka, id_nom, "
                           "massa)VALUES(:marka, :id_nom, cast(:massa as numeric))"),
            QStringLiteral("UPDATE cmn_inventory_items.inventory_items SET marka=:marka, "
                           "massa=cast(:massa as numeric), id_nom=:id_nom where id=:id"));
}
