// The technological processes after a server restart: the operation editor's "Записать" shows one
// error, keeps what was typed and stores the operation once on the next press; the process list
// opened after a restart shows one error and opens on the next try.

#include "support/proc_fixture.h"
#include "support/reconnect_fixture.h"

using namespace proctest;
using testing::restartServer;

class TestProcessReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void operationSavedOnce();
    void listOpensOnSecondTry();
};

void TestProcessReconnect::operationSavedOnce()
{
    Program t;
    t.in();
    const QString operations
        = QStringLiteral("select count(*) from mnf_operation.operation where id_proc_tech = 5");
    const int before = t.count(operations);
    QString problem, typed, total;
    int afterFailure = -1;
    bool openAfterFailure = false, closedAtLast = false;
    fromMenu(t, [&](TForm4 *list) {
        QVERIFY(goToProcess(5));
        openProcess(t, list, [&](TForm33 *w) {
            t.modal().script<TForm10>([&](TForm10 *e) {
                scriptTypePick(t, QStringLiteral("Сборка"));
                e->Button4->click();
                e->cb_operation_state->setKeyValue(0);
                e->Edit3->setText(QStringLiteral("2,3"));
                restartServer();
                e->Button3->click();
                problem = reconnect::oneLostError(t.messages());
                openAfterFailure = e->isVisible();
                afterFailure = t.count(operations);
                typed = e->Edit2->text() + u'|' + e->Edit3->text();
                e->Button3->click();
                closedAtLast = !e->isVisible();
                return e->result();
            });
            w->Button1->click();
            total = w->price->text();
        });
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(openAfterFailure);
    QCOMPARE(afterFailure, before);
    QCOMPARE(typed, QStringLiteral("Сборка|2,3"));
    QVERIFY(closedAtLast);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.count(operations), before + 1);
    QCOMPARE(t.scalar("select price::text from mnf_operation.operation where id_proc_tech = 5 "
                      "order by id desc limit 1"),
             QStringLiteral("2.3000"));
    QCOMPARE(total, QStringLiteral("10"));
}

void TestProcessReconnect::listOpensOnSecondTry()
{
    Program t;
    t.in();
    restartServer();
    int rows = -1;
    t.modal().script<TForm4>([&](TForm4 *w) {
        rows = w->DBGrid1->model()->rowCount();
        return int(QDialog::Rejected);
    });
    QAction *processes = t.p.journal()->findChild<QAction *>(QStringLiteral("N5"));
    processes->trigger();
    VERIFY_ONE_LOST_ERROR(t.messages(), 0);
    QCOMPARE(rows, -1);
    processes->trigger();
    t.verifyClean();
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(rows, t.count("select count(*) from mnf_proc_tech.proc_tech"));
}

QTEST_MAIN(TestProcessReconnect)
#include "tst_process_reconnect.moc"
