#include "nomenclature_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/nomenclature_editor.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Номенклатура");
    s.dataset = &dataModule().nomenclature;
    s.columns = {{QStringLiteral("s_caption"), QStringLiteral("Наименование")},
                 {QStringLiteral("s_department"), QStringLiteral("Сокращение")}};
    s.columnWidths = {280, 220};
    s.addButtonName = "Button5";
    s.deleteStatement = QStringLiteral("delete from cmn_inventory_items.nomenclature where id=:id");
    return s;
}

} // namespace

TForm28::TForm28(QWidget *parent)
    : DirectoryWindow(settings(), parent)
{
    setObjectName(QStringLiteral("TForm28"));
    Button5 = addButton;
    Button4 = exitButton;
    ui::connectGuarded(Button5, &QPushButton::clicked, this, &TForm28::Button5Click);
}

void TForm28::Button5Click()
{
    TForm29 *e = forms().nomenclatureEditor;
    e->tag = 1;
    e->Edit1->clear();
    e->openLookups();
    addThrough(e);
}

void TForm28::changeRow()
{
    db::Dataset &n = list();
    TForm29 *e = forms().nomenclatureEditor;
    e->tag = 0;
    e->Edit1->setText(n.asString(QStringLiteral("s_caption")).trimmed());
    e->openLookups();
    e->p_department->setKeyValue(int(n.asInteger(QStringLiteral("id_department"))));
    e->id = int(n.asInteger(QStringLiteral("id")));
    ui::showModal(e);
}
