// Material use when the server restarts between two of the user's actions: opening the material
// window, writing a row in it and deleting a row from the editor each show one error and write
// nothing; pressed again, each does its work exactly once.

#include "support/entry_fixture.h"
#include "support/reconnect_fixture.h"

#include "journal/material_window.h"
#include "ui/data_grid.h"

using namespace entrytest;
using testing::restartServer;

namespace {

const int kGoods = 503; // bolts: operation 5 of item 201 takes half a piece each

struct Material : Editor
{
    int record = 0;

    Material()
    {
        in();
        p.db.exec("update mnf_operation.operation set f_qty_from = 0.5 where id = 5");
        record = addRecord(21, 5, 10, 8, QStringLiteral("no"), 1);
        refresh();
        go(record);
    }
    int rows() const
    {
        return count(QStringLiteral("select count(*) from accounts_dep.smena_gds_use where "
                                    "id_smena = %1")
                         .arg(record));
    }
    QString used() const
    {
        return scalar(QStringLiteral("select coalesce(sum(f_qty_use), 0)::numeric(10, 3)::text "
                                     "from "
                                     "accounts_dep.smena_gds_use where id_smena = %1")
                          .arg(record));
    }
    // The material window's next showing is driven by `inside`, then left with "Отмена" if open.
    void scriptMaterial(const std::function<void(TForm24 *)> &inside)
    {
        modal().script<TForm24>([inside](TForm24 *m) {
            inside(m);
            if (m->isVisible())
                m->Button2->click();
            return m->result();
        });
    }
};

} // namespace

class TestMaterialReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowWrittenOnce_data();
    void rowWrittenOnce();
    void windowOpensOnSecondPress();
    void rowDeletedOnce();
};

void TestMaterialReconnect::rowWrittenOnce_data()
{
    QTest::addColumn<bool>("halfway"); // the session ends inside the write, not before "Запись"
    QTest::newRow("restart before the press") << false;
    QTest::newRow("session lost while writing") << true;
}

void TestMaterialReconnect::rowWrittenOnce()
{
    QFETCH(bool, halfway);
    Material t;
    QString problem, typed;
    bool openAfterFailure = false, closedAtLast = false;
    int rowsAfterFailure = -1;
    QStringList listed;
    t.change([&](TForm11 *w) {
        t.scriptMaterial([&](TForm24 *m) {
            Editor::choose(m->LCB_id_gds_use, kGoods);
            m->Edit7->setText(QStringLiteral("2,5"));
            if (halfway) // after the batch was read and locked, at the row's insert
                t.p.db.exec(reconnect::endSessionOnce(QStringLiteral("accounts_dep.smena_gds_use"),
                                                      QStringLiteral("insert")));
            else
                restartServer();
            m->Button1->click();
            problem = reconnect::oneLostError(t.messages());
            openAfterFailure = m->isVisible();
            typed = m->Edit7->text();
            rowsAfterFailure = t.rows();
            m->Button1->click();
            closedAtLast = !m->isVisible();
        });
        w->Button5->click();
        listed = dirtest::columnTexts(w->DBGrid1->model(), 1);
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(openAfterFailure);
    QCOMPARE(typed, QStringLiteral("2,5"));
    QCOMPARE(rowsAfterFailure, 0);
    QVERIFY(closedAtLast);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.rows(), 1);
    QCOMPARE(t.used(), QStringLiteral("2.500"));
    QCOMPARE(listed, QStringList {QStringLiteral("2,5")});
}

void TestMaterialReconnect::windowOpensOnSecondPress()
{
    Material t;
    int shownAfterFailure = -1;
    QString problem;
    t.change([&](TForm11 *w) {
        t.scriptMaterial([&](TForm24 *m) {
            Editor::choose(m->LCB_id_gds_use, kGoods);
            m->Edit7->setText(QStringLiteral("1"));
            m->Button1->click();
        });
        restartServer();
        w->Button5->click();
        problem = reconnect::oneLostError(t.messages());
        shownAfterFailure = t.modal().shown().count(QStringLiteral("TForm24"));
        QVERIFY(w->Button5->isEnabled());
        w->Button5->click();
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(shownAfterFailure, 0);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.rows(), 1);
    QCOMPARE(t.used(), QStringLiteral("1.000"));
}

void TestMaterialReconnect::rowDeletedOnce()
{
    Material t;
    for (const char *q : {"0.5", "1.5"})
        t.p.db.exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                                   "f_qty_use) values (%1, %2, %3)")
                        .arg(t.record)
                        .arg(kGoods)
                        .arg(QLatin1String(q)));
    QString problem;
    int rowsAfterFailure = -1;
    QStringList listedAfterFailure, listed;
    t.change([&](TForm11 *w) {
        w->smena_gds_use.setRecNo(2);
        restartServer();
        w->Button6->click();
        problem = reconnect::oneLostError(t.messages());
        rowsAfterFailure = t.rows();
        listedAfterFailure = dirtest::columnTexts(w->DBGrid1->model(), 1);
        w->Button6->click();
        listed = dirtest::columnTexts(w->DBGrid1->model(), 1);
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(rowsAfterFailure, 2);
    QCOMPARE(listedAfterFailure.size(), 2);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.rows(), 1);
    QCOMPARE(listed.size(), 1);
}

QTEST_MAIN(TestMaterialReconnect)
#include "tst_material_reconnect.moc"
