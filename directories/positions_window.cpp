#include "positions_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/position_editor.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Должности");
    s.dataset = &dataModule().staffpos;
    s.columns = {{QStringLiteral("s_caption"), QStringLiteral("Наименование")},
                 {QStringLiteral("s_description"), QStringLiteral("Описание")},
                 {QStringLiteral("s_dep"), QStringLiteral("Подразделение")}};
    s.columnWidths = {180, 260, 200};
    s.deleteStatement = QStringLiteral("delete from hrms_staffpos.staffpos where id=:id");
    return s;
}

} // namespace

TForm26::TForm26(QWidget *parent)
    : DirectoryWindow(settings(), parent)
{
    setObjectName(QStringLiteral("TForm26"));
    Button1 = addButton;
    Button4 = exitButton;
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm26::Button1Click);
}

void TForm26::Button1Click()
{
    TForm27 *e = forms().positionEditor;
    e->tag = 1;
    e->openLookups();
    e->Edit1->clear();
    e->Edit2->clear();
    addThrough(e);
}

void TForm26::changeRow()
{
    db::Dataset &s = list();
    TForm27 *e = forms().positionEditor;
    e->tag = 0;
    e->Edit1->setText(s.asString(QStringLiteral("s_caption")).trimmed());
    e->Edit2->setText(s.asString(QStringLiteral("s_description")).trimmed());
    e->openLookups();
    e->p_department->setKeyValue(int(s.asInteger(QStringLiteral("id_department"))));
    e->id = int(s.asInteger(QStringLiteral("id")));
    ui::showModal(e);
}
