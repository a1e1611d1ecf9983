// The norms of an operation: reached with "Цены" ticked, listed in order of the norm with the
// price shown with two or three decimals, typed into the grid (every new row belongs to the
// operation, also one started by the grid's keys), the last row kept by "Удалить", and a value
// that is not a number refused.

#include "tst_norms_fixture.h"

using namespace proctest;

class TestProcNorms : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listing();
    void typedIntoEmptyGrid();
    void rowStartedByKeys_data();
    void rowStartedByKeys();
    void deleteKeepsLastRow();
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
        n->DBGrid1->setFocus();
        n->DBGrid1->setCurrentIndex(n->DBGrid1->model()->index(1, 0));
        QTest::keyClick(n->DBGrid1, Qt::Key(key));
        rowsAfterKey = n->DBGrid1->model()->rowCount();
        type(n, 2, 0, QStringLiteral("100"));
        // The written row takes its place by its norm and stays the current one.
        type(n, n->norm.recNo() - 1, 2, QStringLiteral("5"));
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
