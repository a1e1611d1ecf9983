// The norms of an operation: reached with "Цены" ticked, listed in order of the norm with the
// price shown with two or three decimals, typed into the grid (every new row belongs to the
// operation, also one started by the grid's keys), keys pressed as a person does with the table
// read after each (a new row written when it is left, with all that was typed; the cursor on the
// row written, wherever the order puts it), the last row kept by "Удалить", nothing deleted from
// the new row, and a value that is not a number refused.

#include "support/norms_fixture.h"

#include <QAbstractItemModelTester>

using namespace proctest;

class TestProcNorms : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listing();
    void typedIntoEmptyGrid();
    void typedWithKeys_data();
    void typedWithKeys();
    void rowStartedByKeys_data();
    void rowStartedByKeys();
    void deleteKeepsLastRow();
    void deleteOnNewRow();
    void rowsOfAnotherUser();
    void notANumber();
};

void TestProcNorms::listing()
{
    Program t;
    t.in();
    t.p.db.exec("insert into accounts_dep.norm (o_id, norma, prize, price) values "
                "(2, 60, 5, 12.3456), (2, 30, 0, 12.5), (2, 45, 7, 12), (3, 10, 1, 1)");
    QString caption;
    QStringList titles, normsShown, prices, prizes;
    withNorms(t, 1, 2, [&](TForm22 *n) {
        caption = n->windowTitle();
        titles = gridTitles(n->DBGrid1->model());
        normsShown = column(n, 0);
        prices = column(n, 1);
        prizes = column(n, 2);
    });
    t.verifyClean();
    QCOMPARE(caption, QStringLiteral("Норматив"));
    QCOMPARE(titles, QStringList({"Норматив", "Цена", "Премия, %"}));
    QCOMPARE(normsShown, QStringList({"30", "45", "60"}));
    QCOMPARE(prices, QStringList({"12,50", "12,00", "12,346"}));
    QCOMPARE(prizes, QStringList({"0", "7", "5"}));
}

void TestProcNorms::typedIntoEmptyGrid()
{
    // Operation 2 has no norms: the grid offers one empty row, and what is typed there is a
    // norm of that operation.
    Program t;
    t.in();
    int rowsBefore = 0;
    QStringList shown;
    withNorms(t, 1, 2, [&](TForm22 *n) {
        rowsBefore = n->DBGrid1->model()->rowCount();
        type(n, 0, 0, QStringLiteral("50"));
        type(n, 0, 1, QStringLiteral("12,5"));
        type(n, 0, 2, QStringLiteral("10"));
        shown = column(n, 1);
    });
    t.verifyClean();
    QCOMPARE(rowsBefore, 1);
    QCOMPARE(shown, QStringList({"12,50"}));
    QCOMPARE(norms(t, 2), QStringLiteral("50/12.5/10"));
    QCOMPARE(t.count("select count(*) from accounts_dep.norm where o_id is null"), 0);
}

void TestProcNorms::typedWithKeys_data()
{
    // Keys pressed step by step in the grid; after each step the operation's norms in the table
    // and the current cell (its row's norm, its column).
    QTest::addColumn<int>("process");
    QTest::addColumn<int>("row"); // of the operation in the process
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("startRow"); // the current row when the typing begins, column 0
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("after"); // "norms | cursor" after each step
    QTest::addColumn<QString>("message"); // the one error shown, if any

    // Operation 15 holds 20/35/12; operation 1 holds 120/4.5/10 and 150/4.75/15.
    const QString op15 = QStringLiteral("20/35/12");
    const QString op1 = QStringLiteral("120/4.5/10 150/4.75/15");
    auto at = [](const QString &stored, const char *cursor) {
        return stored + QStringLiteral(" | ") + QLatin1String(cursor);
    };
    QTest::newRow("new row, written by Enter, then edited")
        << 3 << 4 << 15 << 0
        << QStringList {"<Down>", "25<Tab>", "36,5<Tab>", "15<Enter>", "16<Enter>"}
        << QStringList {at(op15, "@0"), at(op15, "25@1"), at(op15, "25@2"),
                        at("20/35/12 25/36.5/15", "25@2"), at("20/35/12 25/36.5/16", "25@2")}
        << QString();
    QTest::newRow("new row sorted first, written by Enter, then edited")
        << 1 << 1 << 1 << 1 << QStringList {"<Down>", "100<Tab>", "5<Enter>", "6<Enter>"}
        << QStringList {at(op1, "@0"), at(op1, "100@1"), at("100/5 " + op1, "100@1"),
                        at("100/6 " + op1, "100@1")}
        << QString();
    QTest::newRow("new row left with Down, the next new row left empty")
        << 1 << 1 << 1 << 1 << QStringList {"<Down>", "130<Tab>", "5<Down>", "<Up>"}
        << QStringList {at(op1, "@0"), at(op1, "130@1"), at("120/4.5/10 130/5 150/4.75/15", "@1"),
                        at("120/4.5/10 130/5 150/4.75/15", "150@1")}
        << QString();
    QTest::newRow("empty grid, then a new row after the one written")
        << 1 << 2 << 2 << 0 << QStringList {"50<Tab>", "12,5<Enter>", "<Down>", "10<Tab>"}
        << QStringList {at("", "50@1"), at("50/12.5", "50@1"), at("50/12.5", "@1"),
                        at("50/12.5", "@2")}
        << QString();
    QTest::newRow("new row left by Tab from its last cell")
        << 3 << 4 << 15 << 0 << QStringList {"<Down>", "10<Tab>1<Tab>2<Tab>", "3<Enter>"}
        << QStringList {at(op15, "@0"), at("10/1/2 20/35/12", "@0"), at("3 10/1/2 20/35/12", "3@0")}
        << QString();
    QTest::newRow("new row left by a click on a row that moves")
        << 1 << 1 << 1 << 1 << QStringList {"<Down>", "100<Tab>7,25", "<click 1 2>", "11<Enter>"}
        << QStringList {at(op1, "@0"), at(op1, "100@1"), at("100/7.25 " + op1, "150@2"),
                        at("100/7.25 120/4.5/10 150/4.75/11", "150@2")}
        << QString();
    QTest::newRow("new row, Esc drops the cell typed, Esc again saves")
        << 1 << 1 << 1 << 1 << QStringList {"<Down>", "130<Tab>", "9<Esc>", "<Esc>"}
        << QStringList {at(op1, "@0"), at(op1, "130@1"), at(op1, "130@1"),
                        at("120/4.5/10 130 150/4.75/15", "130@1")}
        << QString();
    QTest::newRow("existing row, its norm changed and the row re-sorted")
        << 1 << 1 << 1 << 1
        << QStringList {"100<Tab>", "5<Enter>", "<Down>", "<F2><Enter>", "<click 0 0>130<Tab>"}
        << QStringList {at("100/4.75/15 120/4.5/10", "100@1"), at("100/5/15 120/4.5/10", "100@1"),
                        at("100/5/15 120/4.5/10", "120@1"), at("100/5/15 120/4.5/10", "120@1"),
                        at("120/4.5/10 130/5/15", "130@1")}
        << QString();
    QTest::newRow("new row, a price that is not a number")
        << 3 << 4 << 15 << 0 << QStringList {"<Down>", "25<Tab>3a<Tab>", "15<Enter>"}
        << QStringList {at(op15, "@0"), at(op15, "25@2"), at("20/35/12 25/15", "25@2")}
        << QStringLiteral("Поле «Цена»: «3a» не является числом. Введите число, например 12,5.");
}

void TestProcNorms::typedWithKeys()
{
    QFETCH(int, process);
    QFETCH(int, row);
    QFETCH(int, operation);
    QFETCH(int, startRow);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, after);
    QFETCH(QString, message);
    Program t;
    t.in();
    QStringList seen;
    withNorms(t, process, row, [&](TForm22 *n) {
        QCOMPARE(n->operationId(), operation);
        // Rows written and re-sorted under the view keep the model's promises.
        QAbstractItemModelTester tester(n->DBGrid1->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        focusGrid(n, startRow);
        for (const QString &keys : steps) {
            press(n, keys);
            seen << norms(t, operation) + QStringLiteral(" | ") + cursor(n);
        }
    });
    t.verifyClean();
    QCOMPARE(seen, after);
    QCOMPARE(t.messages().texts(), message.isEmpty() ? QStringList() : QStringList {message});
}

void TestProcNorms::rowStartedByKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Insert") << int(Qt::Key_Insert);
    QTest::newRow("Down on the last row") << int(Qt::Key_Down);
}

void TestProcNorms::rowStartedByKeys()
{
    // Operation 1 has two norms; a row the grid's keys start belongs to operation 1 as well.
    QFETCH(int, key);
    Program t;
    t.in();
    int rowsAfterKey = 0;
    QStringList shown;
    withNorms(t, 1, 1, [&](TForm22 *n) {
        focusGrid(n, 1);
        QTest::keyClick(n->DBGrid1, Qt::Key(key));
        rowsAfterKey = n->DBGrid1->model()->rowCount();
        press(n, QStringLiteral("100<Tab><Tab>5<Enter>"));
        // The written row takes its place by its norm.
        shown = column(n, 0);
    });
    t.verifyClean();
    QCOMPARE(rowsAfterKey, 3);
    QCOMPARE(shown, QStringList({"100", "120", "150"}));
    QCOMPARE(norms(t, 1), QStringLiteral("100/5 120/4.5/10 150/4.75/15"));
}

void TestProcNorms::deleteKeepsLastRow()
{
    Program t;
    t.in();
    QStringList afterFirst, afterSecond;
    withNorms(t, 1, 1, [&](TForm22 *n) {
        n->DBGrid1->setCurrentIndex(n->DBGrid1->model()->index(0, 1));
        n->Button2->click(); // no question
        afterFirst = column(n, 0);
        n->Button2->click(); // the last row stays
        afterSecond = column(n, 0);
    });
    t.verifyClean();
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(afterFirst, QStringList({"150"}));
    QCOMPARE(afterSecond, QStringList({"150"}));
    QCOMPARE(norms(t, 1), QStringLiteral("150/4.75/15"));
}

void TestProcNorms::deleteOnNewRow()
{
    // The cursor on the new row: "Удалить" takes that row away, never the stored row above it.
    Program t;
    t.in();
    const QString before = norms(t, 1);
    QStringList shown;
    QString current;
    withNorms(t, 1, 1, [&](TForm22 *n) {
        focusGrid(n, 1);
        press(n, QStringLiteral("<Down>"));
        n->Button2->click();
        shown = column(n, 0);
        current = cursor(n);
    });
    t.verifyClean();
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(norms(t, 1), before);
    QCOMPARE(shown, QStringList({"120", "150"}));
    QCOMPARE(current, QStringLiteral("150@0"));
}

void TestProcNorms::rowsOfAnotherUser()
{
    // Another clerk adds a norm while this one types: the re-read after a write shows it, and the
    // cursor stays on the row written.
    Program t;
    t.in();
    QStringList shown, cursors;
    withNorms(t, 1, 1, [&](TForm22 *n) {
        focusGrid(n, 1);
        t.p.db.exec("insert into accounts_dep.norm (o_id, norma) values (1, 130)");
        press(n, QStringLiteral("100<Tab>"));
        cursors << cursor(n);
        t.p.db.exec("insert into accounts_dep.norm (o_id, norma) values (1, 140)");
        press(n, QStringLiteral("<Down><Down><Down>90<Enter>"));
        cursors << cursor(n);
        shown = column(n, 0);
    });
    t.verifyClean();
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(norms(t, 1), QStringLiteral("90 100/4.75/15 120/4.5/10 130 140"));
    QCOMPARE(shown, QStringList({"90", "100", "120", "130", "140"}));
    QCOMPARE(cursors, QStringList({"100@0", "90@0"}));
}

void TestProcNorms::notANumber()
{
    Program t;
    t.in();
    const QString before = norms(t, 1);
    QStringList shown;
    withNorms(t, 1, 1, [&](TForm22 *n) {
        type(n, 0, 0, QStringLiteral("12a"));
        type(n, 1, 1, QStringLiteral("1.2.3"));
        shown = column(n, 0);
        // Esc leaves as "Сохранить" does.
        QTest::keyClick(n, Qt::Key_Escape);
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors().size(), 2);
    QCOMPARE(shown, QStringList({"120", "150"}));
    QCOMPARE(norms(t, 1), before);
}

QTEST_MAIN(TestProcNorms)
#include "tst_proc_norms.moc"
