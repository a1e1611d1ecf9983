#include "items_window.h"

#include "core/chooser_targets.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "directories/item_editor.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Изделия");
    s.dataset = &dataModule().inventory_items;
    s.columns = {{QStringLiteral("marka"), QStringLiteral("Марка изделия")},
                 {QStringLiteral("massa"), QStringLiteral("Коробки"), right},
                 {QStringLiteral("s_nom"), QStringLiteral("Номенклатура")}};
    s.columnWidths = {220, 90, 240};
    s.filterField = QStringLiteral("marka");
    s.exitButtonName = "Button8";
    s.focusFilterOnActivate = true;
    // Delete, Left, Right and the rest work on the filter text here.
    s.filterKeys = DirectoryWindow::FilterKeys::ArrowsOnly;
    s.deleteQuestion = QStringLiteral("Удалить изделие?");
    s.deleteStatement
        = QStringLiteral("delete from cmn_inventory_items.inventory_items where id=:id");
    return s;
}

} // namespace

TForm3::TForm3(QWidget *parent)
    : DirectoryWindow(settings(), parent)
{
    setObjectName(QStringLiteral("TForm3"));
    Button1 = addButton;
    Button8 = exitButton;
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::FormActivate()
{
    if (!list().isOpen())
        list().open();
    DirectoryWindow::FormActivate();
}

void TForm3::hideEvent(QHideEvent *event)
{
    DirectoryWindow::hideEvent(event);
    if (!event->spontaneous())
        list().close();
}

void TForm3::Button1Click()
{
    // After an add the list stays on the row number it had.
    const int row = list().isOpen() ? list().recNo() : 0;
    TForm7 *e = forms().itemEditor;
    e->Edit1->clear();
    e->Edit2->clear();
    e->openLookups();
    e->tag = 1;
    ui::showModal(e);
    reloadAt(row);
}

void TForm3::changeRow()
{
    db::Dataset &i = list();
    TForm7 *e = forms().itemEditor;
    e->openLookups();
    e->tag = 2;
    e->Edit1->setText(i.asString(QStringLiteral("marka")).trimmed());
    e->Edit2->setText(i.asString(QStringLiteral("massa")).trimmed());
    e->combo_nomenclature->setKeyValue(int(i.asInteger(QStringLiteral("id_nom"))));
    e->id = int(i.asInteger(QStringLiteral("id")));
    ui::showModal(e);
}

void TForm3::chooseRow()
{
    db::Dataset &i = list();
    // An empty list hands over an empty mark and id 0.
    const bool any = i.isOpen() && !i.isEmpty();
    if (ItemTarget *target = ItemTarget::current()) {
        target->mark = any ? i.asString(QStringLiteral("marka")).trimmed() : QString();
        target->id = any ? int(i.asInteger(QStringLiteral("id"))) : 0;
    }
    accept();
}
