// The norms of an operation: reached with "Цены" ticked, listed in order of the norm with the
// price shown with two or three decimals, typed into the grid (every new row belongs to the
// operation, also one started by the grid's keys), the last row kept by "Удалить", and a value
// that is not a number refused.

#include "tst_proc_fixture.h"

#include "processes/norms_window.h"

#include <QCheckBox>
#include <QTableView>

using namespace proctest;

namespace {

// The norms of the operation at this row of the process: the list with "Цены" ticked, the
// process's operations, then a double click on the operation; `inside` drives the norms window.
void withNorms(Program &t, int process, int row, std::function<void(TForm22 *)> inside)
{
    dataModule().showHiddenCommands = true;
    t.modal().script<TForm22>([inside](TForm22 *n) {
        inside(n);
        if (n->isVisible())
            n->Button1->click();
        return n->result();
    });
    fromMenu(t, [&](TForm4 *w) {
        w->CheckBox1->setChecked(true);
        QVERIFY(goToProcess(process));
        t.modal().script<TForm33>([&](TForm33 *p) {
            dataModule().operation.setRecNo(row);
            Q_EMIT p->DBGrid1->rowDoubleClicked();
            p->Button4->click();
            return p->result();
        });
        Q_EMIT w->DBGrid1->rowDoubleClicked();
    });
}

QStringList column(const TForm22 *n, int c)
{
    return dirtest::columnTexts(n->DBGrid1->model(), c);
}

// Types a value into a cell as the grid's editor hands it over.
void type(TForm22 *n, int row, int c, const QString &text)
{
    QAbstractItemModel *m = n->DBGrid1->model();
    QVERIFY(m->flags(m->index(row, c)) & Qt::ItemIsEditable);
    m->setData(m->index(row, c), text);
}

QString norms(const Program &t, int operation)
{
    return t.scalar(QStringLiteral("select coalesce(string_agg(concat_ws('/', norma, price, "
                                   "prize), ' ' order by norma, id), '') from "
                                   "accounts_dep.norm where o_id = %1")
                        .arg(operation));
}

} // namespace

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
