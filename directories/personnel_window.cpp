#include "personnel_window.h"

#include "core/chooser_targets.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "directories/worker_editor.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Список рабочих");
    s.dataset = &dataModule().workers;
    s.columns = {{QStringLiteral("s_caption"), QStringLiteral("ФИО")},
                 {QStringLiteral("s_staffpos"), QStringLiteral("Должность")},
                 {QStringLiteral("s_department"), QStringLiteral("Подразделение")},
                 {QStringLiteral("s_role"), QStringLiteral("Роль")}};
    s.columnWidths = {260, 160, 200, 110};
    s.focusFilterOnActivate = true;
    s.deleteQuestion = QStringLiteral("Удалить работника?");
    s.deleteStatement = QStringLiteral("delete from cmn_contractor.person where id =:id");
    s.deleteCommand = []() -> db::Command & { return forms().workerEditor->cmd_person; };
    return s;
}

} // namespace

TForm5::TForm5(QWidget *parent)
    : DirectoryWindow(settings(), parent)
{
    setObjectName(QStringLiteral("TForm5"));
    Button1 = addButton;
    Button4 = exitButton;
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
}

void TForm5::FormActivate()
{
    chosen = false;
    DirectoryWindow::FormActivate();
}

void TForm5::Button1Click()
{
    TForm2 *e = forms().workerEditor;
    e->Edit1->clear();
    e->Edit2->clear();
    e->Edit3->clear();
    e->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    e->tag = 1;
    e->openLookups();
    ui::showModal(e);
    reload();
}

void TForm5::changeRow()
{
    db::Dataset &w = list();
    TForm2 *e = forms().workerEditor;
    e->setWindowTitle(QStringLiteral("Изменение данных работника"));
    e->tag = 2;
    e->openLookups();
    e->Edit1->setText(w.asString(QStringLiteral("s_second_name")).trimmed());
    e->Edit2->setText(w.asString(QStringLiteral("s_first_name")).trimmed());
    e->Edit3->setText(w.asString(QStringLiteral("s_third_name")).trimmed());
    e->LCB_roles->setKeyValue(int(w.asInteger(QStringLiteral("role_id"))));
    e->LCB_department->setKeyValue(int(w.asInteger(QStringLiteral("dep_id"))));
    e->LCB_staffpos->setKeyValue(int(w.asInteger(QStringLiteral("staff_id"))));
    e->id = int(w.asInteger(QStringLiteral("id")));
    ui::showModal(e);
}

void TForm5::chooseRow()
{
    db::Dataset &w = list();
    WorkerTarget *target = WorkerTarget::current();
    // An empty list hands over nothing; the caller keeps what it had.
    if (target && w.isOpen() && !w.isEmpty()) {
        target->name = w.asString(QStringLiteral("s_caption")).trimmed();
        target->workerNumber = int(w.asInteger(QStringLiteral("id")));
        target->personKey = int(w.asInteger(QStringLiteral("id")));
    }
    chosen = true;
    accept();
}
