#include "operation_types_window.h"

#include "core/chooser_targets.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "directories/operation_type_editor.h"
#include "ui/seams.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Операции");
    s.dataset = &dataModule().operation_type;
    s.columns = {{QStringLiteral("s_caption"), QStringLiteral("Операции")},
                 {QStringLiteral("s_description"), QStringLiteral("Описание")}};
    s.columnWidths = {200, 360};
    s.spacerBeforeFilter = false;
    s.focusFilterOnActivate = true;
    s.deleteStatement = QStringLiteral("delete from mnf_operation.operation_type where id=:id");
    return s;
}

} // namespace

TForm8::TForm8(QWidget *parent)
    : DirectoryWindow(settings(), parent)
{
    setObjectName(QStringLiteral("TForm8"));
    Button1 = addButton;
    Button4 = exitButton;
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
}

void TForm8::Button1Click()
{
    TForm9 *e = forms().operationTypeEditor;
    e->Edit1->clear();
    e->Edit2->clear();
    e->tag = 1;
    addThrough(e);
}

void TForm8::changeRow()
{
    db::Dataset &t = list();
    TForm9 *e = forms().operationTypeEditor;
    e->tag = 2;
    e->Edit1->setText(t.asString(QStringLiteral("s_caption")).trimmed());
    e->Edit2->setText(t.asString(QStringLiteral("s_description")).trimmed());
    e->id = int(t.asInteger(QStringLiteral("id")));
    ui::showModal(e);
}

void TForm8::chooseRow()
{
    db::Dataset &t = list();
    // An empty list hands over an empty name and id 0.
    const bool any = t.isOpen() && !t.isEmpty();
    if (OperationTypeTarget *target = OperationTypeTarget::current()) {
        target->name = any ? t.asString(QStringLiteral("s_caption")).trimmed() : QString();
        target->id = any ? int(t.asInteger(QStringLiteral("id"))) : 0;
    }
    accept();
}
