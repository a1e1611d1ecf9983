// The personnel list and the worker editor, the fullest instance of the reference lists: the
// prefix filter and its keys, add / change / delete with their questions and row numbers, the
// required fields, refused deletes, an empty list, the mouse wheel, and the worker chooser.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/personnel_window.h"
#include "directories/worker_editor.h"
#include "journal/entry_editor.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>

using namespace dirtest;

namespace {

const int kEmployees = 30; // the demo plant's listed persons

QStringList names(TForm5 *w)
{
    return columnTexts(w->DBGrid1->model(), 0);
}

// The entry editor's opening of the list as a chooser: the worker of a record hides "Добавить",
// a brigade member's choice leaves it alone.
void openAsChooser(bool hideAdd)
{
    dataModule().workers.open();
    forms().personnel->showAsChooser(hideAdd ? TForm11::kWorkerChooser : TForm11::kBrigadeChooser);
}

void fillEditor(TForm2 *e, const QString &surname, const QString &first, const QString &third)
{
    e->Edit1->setText(surname);
    e->Edit2->setText(first);
    e->Edit3->setText(third);
    for (ui::LookupBox *b : {e->LCB_staffpos, e->LCB_department, e->LCB_roles})
        b->setCurrentIndex(0);
}

} // namespace

class TestDirPersonnel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menuOpening();
    void filterAndKeys();
    void add();
    void requiredFields_data();
    void requiredFields();
    void change();
    void remove();
    void refusedDelete();
    void emptyList();
    void mouseWheel();
    void wheelOverUnfocusedBoxes();
    void chooser_data();
    void chooser();
    void chooserLeftAlone();
};

void TestDirPersonnel::menuOpening()
{
    Program t;
    t.in();
    // A chooser opening hid the add and delete buttons; the menu shows them again.
    t.modal().script<TForm5>([](TForm5 *) { return int(QDialog::Rejected); });
    openAsChooser(true);
    int rows = -1, tag = -1;
    bool focus = false, buttons = false;
    QStringList titles;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        rows = w->DBGrid1->model()->rowCount();
        tag = w->tag;
        focus = w->focusWidget() == w->Edit1;
        buttons = !w->Button1->isHidden() && !w->Button3->isHidden();
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
    });
    t.verifyClean();
    QCOMPARE(rows, kEmployees);
    QCOMPARE(tag, 0);
    QVERIFY(focus);
    QVERIFY(buttons);
    QCOMPARE(titles, (QStringList {"ФИО", "Должность", "Подразделение", "Роль"}));
    QVERIFY(!dataModule().workers.isOpen());
}

void TestDirPersonnel::filterAndKeys()
{
    Program t;
    t.in();
    QStringList ivanov, sRows, all;
    int afterDown = 0, afterUp = 0, selectedRow = -2;
    QString afterDelete, afterBackspace;
    int cursorAfterLeft = -1;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        typeText(w->Edit1, QStringLiteral("Ив"));
        ivanov = names(w);
        w->Edit1->clear();
        typeText(w->Edit1, QStringLiteral("С"));
        sRows = names(w);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        afterDown = dataModule().workers.recNo();
        const QModelIndexList selected = w->DBGrid1->selectionModel()->selectedRows();
        selectedRow = selected.size() == 1 ? selected.first().row() : -1;
        QTest::keyClick(w->Edit1, Qt::Key_Up);
        afterUp = dataModule().workers.recNo();
        // Keys that act only on key-down do nothing here; typing and Backspace edit.
        typeText(w->Edit1, QStringLiteral("и"));
        w->Edit1->setCursorPosition(0);
        QTest::keyClick(w->Edit1, Qt::Key_Delete);
        afterDelete = w->Edit1->text();
        w->Edit1->setCursorPosition(2);
        QTest::keyClick(w->Edit1, Qt::Key_Left);
        cursorAfterLeft = w->Edit1->cursorPosition();
        QTest::keyClick(w->Edit1, Qt::Key_Backspace);
        afterBackspace = w->Edit1->text();
        w->Edit1->clear();
        all = names(w);
        typeText(w->Edit1, QStringLiteral("Петр"));
    });
    t.verifyClean();
    QCOMPARE(ivanov, QStringList {"Иванов Иван Петрович"});
    QCOMPARE(sRows,
             (QStringList {"Семенов Юрий Анатольевич", "Сидоров Алексей Викторович",
                           "Смирнов Андрей Васильевич", "Соколов Павел Андреевич",
                           "Соловьев Кирилл Андреевич", "Степанов Григорий Федорович"}));
    QCOMPARE(afterDown, 3);
    QCOMPARE(selectedRow, 2); // the current row shows selected
    QCOMPARE(afterUp, 2);
    QCOMPARE(afterDelete, QStringLiteral("Си"));
    QCOMPARE(cursorAfterLeft, 2);
    QCOMPARE(afterBackspace, QStringLiteral("С"));
    QCOMPARE(all.size(), kEmployees);

    // The next opening from the menu keeps the filter text and the filter it set.
    QString text;
    QStringList kept;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        text = w->Edit1->text();
        kept = names(w);
    });
    QCOMPARE(text, QStringLiteral("Петр"));
    QCOMPARE(kept, QStringList {"Петров Сергей Николаевич"});
}

void TestDirPersonnel::add()
{
    Program t;
    t.in();
    QString caption;
    int editorTag = -1;
    bool emptyFields = false, focus = false;
    QVariant keptStaffpos;
    int rowAfter = 0;
    QStringList listed;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        dataModule().workers.setRecNo(7);
        t.modal().script<TForm2>([&](TForm2 *e) {
            caption = e->windowTitle();
            editorTag = e->tag;
            emptyFields = e->Edit1->text().isEmpty() && e->Edit2->text().isEmpty()
                && e->Edit3->text().isEmpty();
            focus = e->focusWidget() == e->Edit1;
            fillEditor(e, QStringLiteral("  Юрьев "), QStringLiteral(" Юрий"),
                       QStringLiteral("Юрьевич  "));
            e->LCB_staffpos->setCurrentIndex(e->LCB_staffpos->findText("Сварщик"));
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
        rowAfter = dataModule().workers.recNo();
        listed = names(w);
        // The next add shows the lookups as they were left.
        t.modal().script<TForm2>([&](TForm2 *e) {
            keptStaffpos = e->LCB_staffpos->keyValue();
            e->Button2->click();
            return e->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(caption, QStringLiteral("Заведение данных нового работника"));
    QCOMPARE(editorTag, 1);
    QVERIFY(emptyFields);
    QVERIFY(focus);
    QCOMPARE(rowAfter, 1);
    QVERIFY(listed.contains("Юрьев Юрий Юрьевич"));
    QCOMPARE(listed.size(), kEmployees + 1);
    QCOMPARE(t.scalar("select s_second_name || '|' || s_first_name || '|' || s_third_name || '|' "
                      "|| id_staffpos || '|' || b_employee || '|' || (s_code = id::text) from "
                      "cmn_contractor.person where s_caption = 'Юрьев Юрий Юрьевич'"),
             QStringLiteral("Юрьев|Юрий|Юрьевич|2|true|true"));
    QCOMPARE(keptStaffpos.toInt(), 2);
}

void TestDirPersonnel::requiredFields_data()
{
    QTest::addColumn<int>("empty"); // 0-2 the names, 3-5 the lookups
    const char *fields[] = {"Фамилия", "Имя", "Отчество", "Должность", "Подразделение", "Роль"};
    for (int i = 0; i < 6; ++i)
        QTest::newRow(fields[i]) << i;
}

void TestDirPersonnel::requiredFields()
{
    QFETCH(int, empty);
    Program t;
    t.in();
    const int before = t.count("select count(*) from cmn_contractor.person");
    bool openDuringMessage = false, openAfter = false;
    t.messages().onShow([&](const testing::RecordedMessage &) {
        openDuringMessage = forms().workerEditor->isVisible();
    });
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        t.modal().script<TForm2>([&](TForm2 *e) {
            fillEditor(e, "Юрьев", "Юрий", "Юрьевич");
            QLineEdit *edits[] = {e->Edit1, e->Edit2, e->Edit3};
            ui::LookupBox *boxes[] = {e->LCB_staffpos, e->LCB_department, e->LCB_roles};
            if (empty < 3)
                edits[empty]->setText(QStringLiteral("   "));
            else
                boxes[empty - 3]->setCurrentIndex(-1);
            e->Button1->click();
            openAfter = e->isVisible() && e->result() == 0;
            e->Button2->click();
            return e->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.messages().last().caption, QStringLiteral("Ошибка"));
    QCOMPARE(t.messages().last().text, QStringLiteral("Все поля должны быть заполнены!"));
    QCOMPARE(t.messages().last().icon, ui::Icon::Error);
    QVERIFY(openDuringMessage);
    QVERIFY(openAfter);
    QCOMPARE(t.count("select count(*) from cmn_contractor.person"), before);
}

void TestDirPersonnel::change()
{
    Program t;
    t.in();
    QString caption, e1, e2, e3;
    int editorTag = -1, staff = 0, dep = 0, role = 0;
    int rowAfter = 0;
    QString atRow;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        // Row 3 is "Борисов Геннадий Львович" (position 5, department 4, role 2).
        dataModule().workers.setRecNo(3);
        t.modal().script<TForm2>([&](TForm2 *e) {
            caption = e->windowTitle();
            editorTag = e->tag;
            e1 = e->Edit1->text();
            e2 = e->Edit2->text();
            e3 = e->Edit3->text();
            staff = e->LCB_staffpos->keyValue().toInt();
            dep = e->LCB_department->keyValue().toInt();
            role = e->LCB_roles->keyValue().toInt();
            e->Edit1->setText(QStringLiteral(" Ярцев "));
            e->LCB_roles->setKeyValue(3);
            e->Button1->click();
            return e->result();
        });
        w->Button2->click();
        rowAfter = dataModule().workers.recNo();
        atRow = dataModule().workers.asString("s_caption");
    });
    t.verifyClean();
    QCOMPARE(caption, QStringLiteral("Изменение данных работника"));
    QCOMPARE(editorTag, 2);
    QCOMPARE((QStringList {e1, e2, e3}), (QStringList {"Борисов", "Геннадий", "Львович"}));
    QCOMPARE((QList<int> {staff, dep, role}), (QList<int> {5, 4, 2}));
    QCOMPARE(t.scalar("select s_caption || '|' || s_second_name || '|' || id_role from "
                      "cmn_contractor.person where id = 28"),
             QStringLiteral("Ярцев Геннадий Львович|Ярцев|3"));
    // Back on the same row number, which the renamed person has left.
    QCOMPARE(rowAfter, 3);
    QCOMPARE(atRow, QStringLiteral("Васильев Николай Геннадьевич"));
}

void TestDirPersonnel::remove()
{
    Program t;
    t.in();
    t.p.db.exec("insert into cmn_contractor.person (s_caption, s_second_name, s_first_name, "
                "s_third_name, id_staffpos, id_department, id_role) values ('Анисимов Олег "
                "Олегович', 'Анисимов', 'Олег', 'Олегович', 1, 2, 1)");
    QString afterNo, afterYes;
    int rowAfterYes = 0;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        dataModule().workers.setRecNo(3);
        t.messages().answerNo();
        w->Button3->click();
        afterNo = dataModule().workers.asString("s_caption");
        t.messages().answerYes();
        w->Button3->click();
        rowAfterYes = dataModule().workers.recNo();
        afterYes = dataModule().workers.asString("s_caption");
    });
    t.verifyClean();
    QCOMPARE(t.messages().shown().size(), 2);
    for (const auto &m : t.messages().shown()) {
        QCOMPARE(m.caption, QStringLiteral("Удаление"));
        QCOMPARE(m.text, QStringLiteral("Удалить работника?"));
        QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QCOMPARE(afterNo, QStringLiteral("Анисимов Олег Олегович"));
    QCOMPARE(t.count("select count(*) from cmn_contractor.person where s_second_name = "
                     "'Анисимов'"),
             0);
    QCOMPARE(rowAfterYes, 3);
    QCOMPARE(afterYes, QStringLiteral("Борисов Геннадий Львович"));
}

void TestDirPersonnel::refusedDelete()
{
    Program t;
    t.in();
    // Person 14 has shift records in the demo month.
    int rowsAfter = 0, rowAfter = 0;
    bool open = false;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        dataModule().workers.setRecNo(1);
        t.messages().answerYes();
        w->Button3->click();
        open = dataModule().workers.isOpen();
        rowsAfter = w->DBGrid1->model()->rowCount();
        rowAfter = dataModule().workers.recNo();
    });
    t.verifyClean();
    // The server's own text (person 14 has records and is in a brigade).
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY2(t.messages().errors().constFirst().contains("удалить нельзя"),
             qPrintable(t.messages().errors().constFirst()));
    QVERIFY(open);
    QCOMPARE(rowsAfter, kEmployees);
    QCOMPARE(rowAfter, 1);
    QCOMPARE(t.count("select count(*) from cmn_contractor.person where id = 14"), 1);
}

void TestDirPersonnel::emptyList()
{
    Program t;
    t.in();
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        typeText(w->Edit1, QStringLiteral("Щщ"));
        QCOMPARE(w->DBGrid1->model()->rowCount(), 0);
        w->Button2->click();
        w->Button3->click();
        emit w->DBGrid1->rowDoubleClicked();
    });
    t.verifyClean();
    // No editor, no question, no statement.
    QCOMPARE(t.modal().shown().filter("TForm2").size(), 0);
    QVERIFY(t.messages().shown().isEmpty());
}

void TestDirPersonnel::mouseWheel()
{
    Program t;
    t.in();
    int start = -1, down = -1, up = -1, onEdit = -1;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        t.modal().script<TForm2>([&](TForm2 *e) {
            ui::LookupBox *box = e->LCB_department;
            box->setCurrentIndex(1);
            box->setFocus();
            start = box->currentIndex();
            const QPointF at(5, 5);
            QWheelEvent wheelDown(at, e->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e, &wheelDown);
            down = box->currentIndex();
            QWheelEvent wheelUp(at, e->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                                Qt::NoScrollPhase, false);
            QApplication::sendEvent(e, &wheelUp);
            QApplication::sendEvent(e, &wheelUp);
            up = box->currentIndex();
            // Only a lookup box with the focus is stepped.
            e->Edit1->setFocus();
            QApplication::sendEvent(e, &wheelDown);
            onEdit = box->currentIndex();
            e->Button2->click();
            return e->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(start, 1);
    QCOMPARE(down, 2);
    QCOMPARE(up, 0);
    QCOMPARE(onEdit, 0);
}

// Scrolling over the editor's lookup boxes while typing a name changes none of them: what
// "Записать" saves is what the person had.
void TestDirPersonnel::wheelOverUnfocusedBoxes()
{
    Program t;
    t.in();
    QList<int> before, after;
    t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
        // Row 3 is "Борисов Геннадий Львович" (position 5, department 4, role 2).
        dataModule().workers.setRecNo(3);
        t.modal().script<TForm2>([&](TForm2 *e) {
            const QList<ui::LookupBox *> boxes {e->LCB_staffpos, e->LCB_department, e->LCB_roles};
            for (ui::LookupBox *b : boxes)
                before << b->keyValue().toInt();
            e->Edit3->setFocus();
            e->Edit3->setText(QStringLiteral("Львович"));
            for (ui::LookupBox *b : boxes) {
                for (int delta : {-120, -120, 120 * 3, -120}) {
                    const QPointF at(b->width() / 2.0, b->height() / 2.0);
                    QWheelEvent wheel(at, b->mapToGlobal(at), {}, {0, delta}, Qt::NoButton,
                                      Qt::NoModifier, Qt::NoScrollPhase, false);
                    QApplication::sendEvent(b, &wheel);
                }
            }
            for (ui::LookupBox *b : boxes)
                after << b->keyValue().toInt();
            e->Button1->click();
            return e->result();
        });
        w->Button2->click();
    });
    t.verifyClean();
    QCOMPARE(before, (QList<int> {5, 4, 2}));
    QCOMPARE(after, before);
    QCOMPARE(t.scalar("select id_staffpos || '|' || id_department || '|' || id_role from "
                      "cmn_contractor.person where id = 28"),
             QStringLiteral("5|4|2"));
}

void TestDirPersonnel::chooser_data()
{
    QTest::addColumn<bool>("hideAdd");
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("worker of a record") << true << false;
    QTest::newRow("brigade member") << false << false;
    QTest::newRow("double click") << true << true;
}

void TestDirPersonnel::chooser()
{
    QFETCH(bool, hideAdd);
    QFETCH(bool, doubleClick);
    Program t;
    t.in();
    WorkerTarget &target = forms().entryEditor->chosenWorker;
    t.p.db.exec("update cmn_contractor.person set s_caption = 'Петров Сергей Николаевич  ' "
                "where id = 2");
    bool addShown = false, deleteShown = true, filterEmpty = false, flagAtStart = true;
    QString caption;
    TForm5 *w = forms().personnel;
    w->chosen = true; // from an earlier choice: cleared by the activation
    t.modal().script<TForm5>([&](TForm5 *l) {
        flagAtStart = l->chosen;
        addShown = !l->Button1->isHidden();
        deleteShown = !l->Button3->isHidden();
        filterEmpty = l->Edit1->text().isEmpty() && !dataModule().workers.filtered();
        caption = l->Button2->text();
        typeText(l->Edit1, QStringLiteral("Пет"));
        if (doubleClick)
            emit l->DBGrid1->rowDoubleClicked();
        else
            l->Button2->click();
        return l->result();
    });
    w->Edit1->setText(QStringLiteral("Ив")); // a filter left from the menu
    openAsChooser(hideAdd);
    t.verifyClean();
    QVERIFY(!flagAtStart);
    QCOMPARE(addShown, !hideAdd);
    QVERIFY(!deleteShown);
    QVERIFY(filterEmpty);
    QCOMPARE(caption, QStringLiteral("Выбрать"));
    QVERIFY(w->chosen);
    QCOMPARE(target.name, QStringLiteral("Петров Сергей Николаевич"));
    QCOMPARE(target.workerNumber, 2);
    QCOMPARE(target.personKey, 2);
    QVERIFY(t.modal().shown().filter("TForm2").isEmpty());
}

void TestDirPersonnel::chooserLeftAlone()
{
    Program t;
    t.in();
    WorkerTarget &target = forms().entryEditor->chosenWorker;
    target.name = QStringLiteral("Прежний");
    target.workerNumber = target.personKey = 77;
    TForm5 *w = forms().personnel;

    // "Выход": no choice, nothing handed over.
    t.modal().script<TForm5>([](TForm5 *l) {
        l->Button4->click();
        return l->result();
    });
    openAsChooser(true);
    QVERIFY(!w->chosen);
    QCOMPARE(target.name, QStringLiteral("Прежний"));

    // An empty list: the flag is set, the caller keeps its values.
    t.modal().script<TForm5>([](TForm5 *l) {
        typeText(l->Edit1, QStringLiteral("Щщ"));
        l->Button2->click();
        return l->result();
    });
    openAsChooser(true);
    t.verifyClean();
    QVERIFY(w->chosen);
    QCOMPARE(target.name, QStringLiteral("Прежний"));
    QCOMPARE(target.workerNumber, 77);
    QCOMPARE(target.personKey, 77);
}

QTEST_MAIN(TestDirPersonnel)
#include "tst_dir_personnel.moc"
