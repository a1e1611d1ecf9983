// The process list: its opening from the menu, the prefix search, the sort toggles of the four
// titles, deleting with its question and the row number kept, totals (0 without operations, new
// after a change of the operations) and the commands shown by the hidden-commands setting.

#include "support/proc_fixture.h"

#include "processes/norms_window.h"

#include <QCheckBox>

using namespace proctest;

class TestProcList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menuOpening();
    void search_data();
    void search();
    void searchKeys();
    void sortToggles_data();
    void sortToggles();
    void remove_data();
    void remove();
    void refusedDelete();
    void processWithoutOperations();
    void totalAfterChange();
    void hiddenCommands_data();
    void hiddenCommands();
};

void TestProcList::menuOpening()
{
    Program t;
    t.in();
    QString caption;
    QStringList titles, items, prices;
    bool addShown = false, deleteShown = false, excelShown = true, pricesShown = true;
    bool focus = false;
    fromMenu(t, [&](TForm4 *w) {
        caption = w->windowTitle();
        titles = gridTitles(w->DBGrid1->model());
        items = gridColumn(w->DBGrid1, 1);
        prices = gridColumn(w->DBGrid1, 3);
        addShown = w->Button1->isVisible();
        deleteShown = w->Button3->isVisible();
        excelShown = w->Button5->isVisible();
        pricesShown = w->CheckBox1->isVisible();
        focus = w->focusWidget() == w->Edit1;
    });
    t.verifyClean();
    QCOMPARE(caption, QStringLiteral("Техпроцессы"));
    QCOMPARE(titles, QStringList({"Номер", "Изделие", "Наименование", "Цена"}));
    // Ordered by the item's mark; the price is the sum of the process's operations.
    QCOMPARE(items, QStringList({"Полка П-1000", "СТ-1000", "СТ-2000", "ШМ-01", "ШМ-02"}));
    QCOMPARE(prices, QStringList({"7,7", "44", "56,1", "86,9", "98,5"}));
    QVERIFY(addShown);
    QVERIFY(deleteShown);
    QVERIFY(!excelShown);
    QVERIFY(!pricesShown);
    QVERIFY(focus);
    QVERIFY(!dataModule().proc_tech.isOpen());
}

void TestProcList::search_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("prefix") << "СТ" << QStringList({"СТ-1000", "СТ-2000"});
    QTest::newRow("lower case") << "шм-0" << QStringList({"ШМ-01", "ШМ-02"});
    QTest::newRow("whole mark") << "Полка П-1000" << QStringList({"Полка П-1000"});
    QTest::newRow("middle of a mark") << "1000" << QStringList();
    QTest::newRow("nothing") << "Щ" << QStringList();
}

void TestProcList::search()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, items);
    Program t;
    t.in();
    QStringList shown, cleared;
    fromMenu(t, [&](TForm4 *w) {
        dirtest::typeText(w->Edit1, typed);
        shown = gridColumn(w->DBGrid1, 1);
        w->Edit1->clear();
        cleared = gridColumn(w->DBGrid1, 1);
    });
    t.verifyClean();
    QCOMPARE(shown, items);
    QCOMPARE(cleared.size(), 5);
}

void TestProcList::searchKeys()
{
    // Up and Down in the search field move the list; the search runs again on the next opening.
    Program t;
    t.in();
    int afterDown = 0, afterUp = 0;
    QStringList again;
    fromMenu(t, [&](TForm4 *w) {
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        afterDown = dataModule().proc_tech.recNo();
        QTest::keyClick(w->Edit1, Qt::Key_Up);
        afterUp = dataModule().proc_tech.recNo();
        dirtest::typeText(w->Edit1, QStringLiteral("ШМ"));
    });
    fromMenu(t, [&](TForm4 *w) { again = gridColumn(w->DBGrid1, 1); });
    t.verifyClean();
    QCOMPARE(afterDown, 3);
    QCOMPARE(afterUp, 2);
    QCOMPARE(again, QStringList({"ШМ-01", "ШМ-02"}));
}

void TestProcList::sortToggles_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QStringList>("ids");
    // Demo: 1 СТ-1000 44, 2 СТ-2000 56,1, 3 ШМ-01 86,9, 4 ШМ-02 98,5, 5 Полка П-1000 7,7; names
    // put 5 ("Полка…") before 1 and 2 ("Стеллаж…") before 3 and 4 ("Шкаф…").
    QTest::newRow("Номер once") << QList<int>({0}) << QStringList({"5", "4", "3", "2", "1"});
    QTest::newRow("Номер twice") << QList<int>({0, 0}) << QStringList({"1", "2", "3", "4", "5"});
    QTest::newRow("Изделие once") << QList<int>({1}) << QStringList({"4", "3", "2", "1", "5"});
    QTest::newRow("Изделие twice") << QList<int>({1, 1}) << QStringList({"5", "1", "2", "3", "4"});
    QTest::newRow("Наименование once") << QList<int>({2}) << QStringList({"4", "3", "2", "1", "5"});
    QTest::newRow("Наименование twice")
        << QList<int>({2, 2}) << QStringList({"5", "1", "2", "3", "4"});
    QTest::newRow("Цена once") << QList<int>({3}) << QStringList({"4", "3", "2", "1", "5"});
    QTest::newRow("Цена twice") << QList<int>({3, 3}) << QStringList({"5", "1", "2", "3", "4"});
    // Each click toggles whichever column was sorted before.
    QTest::newRow("Цена, then Номер")
        << QList<int>({3, 0}) << QStringList({"1", "2", "3", "4", "5"});
    QTest::newRow("Цена twice, then Номер")
        << QList<int>({3, 3, 0}) << QStringList({"5", "4", "3", "2", "1"});
}

void TestProcList::sortToggles()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QStringList, ids);
    Program t;
    t.in();
    QStringList shown;
    fromMenu(t, [&](TForm4 *w) {
        for (int c : clicks)
            Q_EMIT w->DBGrid1->titleClicked(c);
        shown = gridColumn(w->DBGrid1, 0);
    });
    t.verifyClean();
    QCOMPARE(shown, ids);
}

void TestProcList::remove_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestProcList::remove()
{
    QFETCH(bool, yes);
    Program t;
    t.in();
    // Processes whose operations are not in the journal can go.
    t.p.db.exec("insert into mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) values "
                "(41, 'Дверь, вариант 1', 207), (42, 'Дверь, вариант 2', 207), "
                "(43, 'Дверь, вариант 3', 207)");
    t.p.db.exec("insert into mnf_operation.operation (id_type, id_state, price, "
                "id_inventory_items, id_proc_tech, orderby) values (1, 1, 2, 207, 42, 1)");
    int rowBefore = 0, rowAfter = 0, rowsAfter = 0;
    QString idAfter;
    yes ? t.messages().answerYes() : t.messages().answerNo();
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(42));
        rowBefore = dataModule().proc_tech.recNo();
        w->Button3->click();
        rowAfter = dataModule().proc_tech.recNo();
        rowsAfter = dataModule().proc_tech.recordCount();
        idAfter = dataModule().proc_tech.asString("id");
    });
    t.verifyClean();
    const testing::RecordedMessage q = t.messages().last();
    QCOMPARE(q.caption, QStringLiteral("Удаление"));
    QCOMPARE(q.text, QStringLiteral("Удалить строку (будет удалена вся спецификация ТП)?"));
    QCOMPARE(q.icon, ui::Icon::Question);
    QCOMPARE(rowAfter, rowBefore);
    QCOMPARE(rowsAfter, yes ? 7 : 8);
    QCOMPARE(idAfter == QLatin1String("42"), !yes);
    QCOMPARE(t.count("select count(*) from mnf_proc_tech.proc_tech where id = 42"), yes ? 0 : 1);
    QCOMPARE(t.count("select count(*) from mnf_operation.operation where id_proc_tech = 42"),
             yes ? 0 : 1);
}

void TestProcList::refusedDelete()
{
    // Process 1's operations are in the journal: the server refuses, the list stays.
    Program t;
    t.in();
    t.messages().answerYes();
    int rows = 0;
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(1));
        w->Button3->click();
        rows = dataModule().proc_tech.recordCount();
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors().size(), 1);
    QCOMPARE(rows, 5);
    QCOMPARE(t.count("select count(*) from mnf_proc_tech.proc_tech where id = 1"), 1);
}

void TestProcList::processWithoutOperations()
{
    Program t;
    t.in();
    t.p.db.exec("insert into mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) values "
                "(41, 'Дверь без операций', 207)");
    QString price, total;
    int rows = -1;
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(41));
        price = dataModule().proc_tech.asString("full_price");
        openProcess(t, w, [&](TForm33 *p) {
            total = p->price->text();
            rows = p->DBGrid1->model()->rowCount();
        });
    });
    t.verifyClean();
    QCOMPARE(price, QStringLiteral("0"));
    QCOMPARE(total, QString());
    QCOMPARE(rows, 0);
}

void TestProcList::totalAfterChange()
{
    // After "Изменить" the list shows the process's new total and stays on its row.
    Program t;
    t.in();
    QString before, after;
    int rowBefore = 0, rowAfter = 0;
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(2));
        before = dataModule().proc_tech.asString("full_price");
        rowBefore = dataModule().proc_tech.recNo();
        openProcess(t, w, [&](TForm33 *p) {
            dataModule().operation.setRecNo(1);
            t.modal().script<TForm10>([&](TForm10 *e) {
                e->Edit3->setText(QStringLiteral("10,1"));
                e->Button3->click();
                return e->result();
            });
            p->Button2->click();
        });
        rowAfter = dataModule().proc_tech.recNo();
        after = dataModule().proc_tech.asString("full_price");
    });
    t.verifyClean();
    QCOMPARE(before, QStringLiteral("56,1"));
    QCOMPARE(after, QStringLiteral("62,1")); // 4,1 became 10,1
    QCOMPARE(rowAfter, rowBefore);
}

void TestProcList::hiddenCommands_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("opened");
    QTest::newRow("setting off") << false << false << "TForm33";
    QTest::newRow("setting on, Цены not ticked") << true << false << "TForm33";
    QTest::newRow("setting on, Цены ticked") << true << true << "TForm22";
}

void TestProcList::hiddenCommands()
{
    QFETCH(bool, shown);
    QFETCH(bool, ticked);
    QFETCH(QString, opened);
    Program t;
    t.in();
    dataModule().showHiddenCommands = shown;
    bool excel = !shown, prices = !shown;
    int normsOf = 0;
    t.modal().script<TForm33>([](TForm33 *w) { return w->result(); });
    t.modal().script<TForm22>([&](TForm22 *n) {
        normsOf = n->operationId();
        n->Button1->click();
        return n->result();
    });
    fromMenu(t, [&](TForm4 *w) {
        excel = w->Button5->isVisible();
        prices = w->CheckBox1->isVisible();
        w->CheckBox1->setChecked(ticked);
        w->Button5->click(); // there, and harmless
        // The norms are those of the current row of the operations, as the chooser leaves it.
        db::Dataset &op = dataModule().operation;
        op.params().setInteger("id_proc_tech", 1);
        op.open();
        op.setRecNo(4);
        QVERIFY(goToProcess(3));
        Q_EMIT w->DBGrid1->rowDoubleClicked();
    });
    t.verifyClean();
    QCOMPARE(excel, shown);
    QCOMPARE(prices, shown);
    QCOMPARE(t.modal().shown().filter(QRegularExpression("TForm(33|22)")), QStringList({opened}));
    QCOMPARE(t.modal().pending(opened == QLatin1String("TForm22") ? "TForm33" : "TForm22"), 1);
    QCOMPARE(normsOf, opened == QLatin1String("TForm22") ? 4 : 0);
    // The setting is read at every showing: off again hides both.
    dataModule().showHiddenCommands = false;
    fromMenu(t, [&](TForm4 *w) {
        excel = w->Button5->isVisible();
        prices = w->CheckBox1->isVisible();
    });
    QVERIFY(!excel);
    QVERIFY(!prices);
}

QTEST_MAIN(TestProcList)
#include "tst_proc_list.moc"
