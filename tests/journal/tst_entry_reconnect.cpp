// The entry editor when the server restarts between two of the user's actions: the action that
// meets the dead connection shows one error and writes nothing, the editor keeps what was typed,
// and the same action pressed again writes the record, its hours and its brigade exactly once.

#include "support/entry_fixture.h"
#include "support/reconnect_fixture.h"

#include "ui/data_grid.h"

using namespace entrytest;
using testing::restartServer;

namespace {

struct Reconnect : Editor
{
    Reconnect() { in(); }

    int records() const { return count(QStringLiteral("select count(*) from accounts_dep.smena")); }
    int hoursRows(int worker) const
    {
        return count(QStringLiteral("select count(*) from accounts_dep.h_tabel where w_id = %1 "
                                    "and smena = 1 and month = 12 and year = 2026")
                         .arg(worker));
    }
    // The worker's hours of the day as the shift records give them.
    QString hoursOfRecords(int worker) const
    {
        return scalar(QStringLiteral("select sum(time)::text from accounts_dep.smena where w_id = "
                                     "%1 and smena = 1 and data = '2026-12-10'")
                          .arg(worker));
    }
    int brigadeRows(int record) const
    {
        return count(QStringLiteral("select count(*) from accounts_dep.person_temp where "
                                    "id_smena = %1")
                         .arg(record));
    }
};

} // namespace

class TestEntryReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newRecordSavedOnce();
    void newRecordLostHalfway_data();
    void newRecordLostHalfway();
    void changeSavedOnce();
    void brigadeMemberAddedOnce();
    void brigadeDividedOnce_data();
    void brigadeDividedOnce();
    void openingAfterRestart();
};

void TestEntryReconnect::newRecordSavedOnce()
{
    Reconnect t;
    const int before = t.records();
    const QString hoursBefore = t.hoursOf(24, 1, kDay);
    int recordsAfterFailure = -1, id = 0;
    QString hoursAfterFailure, quantity, worker, label;
    bool headerOpen = false, brigadeClosed = false;
    QString problem;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("3"), QStringLiteral("5"));
        const QString typedWorker = w->Edit1->text();
        restartServer();
        w->Button1->click();
        problem = reconnect::oneLostError(t.messages());
        recordsAfterFailure = t.records();
        hoursAfterFailure = t.hoursOf(24, 1, kDay);
        quantity = w->Edit3->text();
        worker = w->Edit1->text() == typedWorker ? QStringLiteral("kept") : w->Edit1->text();
        label = w->Label10->text();
        headerOpen = w->GroupBox1->isEnabled() && w->Button1->isEnabled();
        brigadeClosed = !w->Button9->isEnabled() && !w->Button7->isEnabled();
        // The second press is the one that writes.
        w->Button1->click();
        id = w->recordId;
        w->Button9->click();
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(recordsAfterFailure, before);
    QCOMPARE(hoursAfterFailure, hoursBefore);
    QCOMPARE(quantity, QStringLiteral("3"));
    QCOMPARE(worker, QStringLiteral("kept"));
    QVERIFY(label.isEmpty());
    QVERIFY(headerOpen);
    QVERIFY(brigadeClosed);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.records(), before + 1);
    QVERIFY(id > 0);
    QCOMPARE(t.smena(id, "w_id, kol_vo::numeric(10, 1), time, id_doc_item"),
             QStringLiteral("24|3.0|5|4"));
    QCOMPARE(t.hoursRows(24), 1);
    QCOMPARE(t.hoursOf(24, 1, kDay), t.hoursOfRecords(24));
}

void TestEntryReconnect::newRecordLostHalfway_data()
{
    QTest::addColumn<bool>("atCommit");
    // The record is inserted on that session, its hours not yet.
    QTest::newRow("while its hours are posted") << false;
    // Record and hours are written; the session ends as they are committed.
    QTest::newRow("at the commit") << true;
}

void TestEntryReconnect::newRecordLostHalfway()
{
    QFETCH(bool, atCommit);
    Reconnect t;
    const int before = t.records();
    const QString hoursBefore = t.hoursOf(24, 1, kDay);
    // The server ends the program's session once, on the new record's hours row.
    t.p.db.exec(reconnect::endSessionOnce(QStringLiteral("accounts_dep.h_tabel"),
                                          QStringLiteral("insert or update"), atCommit));
    int recordsAfterFailure = -1, id = 0;
    QString hoursAfterFailure, problem;
    bool headerOpen = false;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("3"), QStringLiteral("5"));
        w->Button1->click();
        problem = reconnect::oneLostError(t.messages());
        recordsAfterFailure = t.records();
        hoursAfterFailure = t.hoursOf(24, 1, kDay);
        headerOpen = w->GroupBox1->isEnabled() && w->Button1->isEnabled() && w->recordId == 0;
        w->Button1->click();
        id = w->recordId;
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The insert went with the session: no record without its hours.
    QCOMPARE(recordsAfterFailure, before);
    QCOMPARE(hoursAfterFailure, hoursBefore);
    QVERIFY(headerOpen);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.records(), before + 1);
    QCOMPARE(t.smena(id, "w_id, kol_vo::numeric(10, 1), time"), QStringLiteral("24|3.0|5"));
    QCOMPARE(t.hoursRows(24), 1);
    QCOMPARE(t.hoursOf(24, 1, kDay), t.hoursOfRecords(24));
}

void TestEntryReconnect::changeSavedOnce()
{
    Reconnect t;
    const int id = t.addRecord(24, 21, 3, 4, QStringLiteral("no"), 4);
    t.refresh();
    t.go(id);
    const int before = t.records();
    QString afterFailure, typed, problem;
    t.change([&](TForm11 *w) {
        w->Edit3->setText(QStringLiteral("2"));
        w->Edit6->setText(QStringLiteral("7"));
        restartServer();
        w->Button1->click();
        problem = reconnect::oneLostError(t.messages());
        afterFailure = t.smena(id, "kol_vo::numeric(10, 1), time");
        typed = w->Edit3->text() + u'|' + w->Edit6->text();
        w->Button1->click();
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(afterFailure, QStringLiteral("3.0|4"));
    QCOMPARE(typed, QStringLiteral("2|7"));
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.records(), before);
    QCOMPARE(t.smena(id, "kol_vo::numeric(10, 1), time"), QStringLiteral("2.0|7"));
    QCOMPARE(t.hoursRows(24), 1);
    QCOMPARE(t.hoursOf(24, 1, kDay), t.hoursOfRecords(24));
}

void TestEntryReconnect::brigadeMemberAddedOnce()
{
    Reconnect t;
    int id = 0, rowsAfterFailure = -1, rowsAtLast = -1;
    QString problem;
    QStringList listed;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("4"));
        w->Button1->click();
        id = w->recordId;
        t.scriptWorker(25);
        restartServer();
        w->Button7->click();
        problem = reconnect::oneLostError(t.messages());
        rowsAfterFailure = t.brigadeRows(id);
        // The chooser was not reached: the same pick is made on the next press.
        w->Button7->click();
        listed = dirtest::columnTexts(w->DBGrid2->model(), 0);
        rowsAtLast = t.brigadeRows(id);
        // Leaving undivided asks; the member is taken back.
        t.messages().answerNo();
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(rowsAfterFailure, 0);
    QCOMPARE(t.messages().errors().size(), 1);
    QCOMPARE(rowsAtLast, 1);
    QCOMPARE(t.brigadeRows(id), 0);
    QCOMPARE(listed,
             QStringList {t.scalar("select s_caption from cmn_contractor.person where id = 25")});
}

void TestEntryReconnect::brigadeDividedOnce_data()
{
    QTest::addColumn<bool>("away"); // the server stays away for a second press
    QTest::addColumn<bool>("halfway"); // the session ends inside the division, not before it
    QTest::newRow("restart") << false << false;
    QTest::newRow("server away for a while") << true << false;
    QTest::newRow("session lost during the division") << false << true;
}

void TestEntryReconnect::brigadeDividedOnce()
{
    QFETCH(bool, away);
    QFETCH(bool, halfway);
    Reconnect t;
    int id = 0, rowsAfterFailure = -1;
    bool openAfterFailure = false, saveOnAfterFailure = false, closedAtLast = false;
    QString problem, quantityAfterFailure;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("6"));
        w->Button1->click();
        id = w->recordId;
        t.scriptWorker(25);
        w->Button7->click();
        if (away)
            testing::stopServer();
        else if (halfway) // when the division posts the members' hours
            t.p.db.exec(reconnect::endSessionOnce(QStringLiteral("accounts_dep.h_tabel"),
                                                  QStringLiteral("insert or update")));
        else
            restartServer();
        w->Button9->click();
        problem = reconnect::oneLostError(t.messages());
        openAfterFailure = w->isVisible();
        if (away) {
            w->Button9->click();
            openAfterFailure = openAfterFailure && w->isVisible();
            testing::startServer();
        }
        saveOnAfterFailure = w->Button9->isEnabled();
        rowsAfterFailure = t.brigadeRows(id);
        quantityAfterFailure = t.smena(id, "kol_vo::numeric(10, 1)");
        if (w->isVisible())
            w->Button9->click();
        closedAtLast = !w->isVisible();
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The division did not run: the editor stays, so "Сохранить" can run it.
    QVERIFY(openAfterFailure);
    QVERIFY(saveOnAfterFailure);
    QCOMPARE(rowsAfterFailure, 1);
    QCOMPARE(quantityAfterFailure, QStringLiteral("6.0"));
    QVERIFY(closedAtLast);
    QCOMPARE(t.messages().shown().size(), away ? 2 : 1);
    QCOMPARE(t.brigadeRows(id), 0);
    QCOMPARE(t.scalar("select string_agg(w_id || ':' || kol_vo::numeric(10, 1), ',' order by "
                      "w_id) from accounts_dep.smena where data = '2026-12-10' and o_id = 21 and "
                      "w_id in (24, 25)"),
             QStringLiteral("24:3.0,25:3.0"));
    for (int worker : {24, 25}) {
        QCOMPARE(t.hoursRows(worker), 1);
        QCOMPARE(t.hoursOf(worker, 1, kDay), t.hoursOfRecords(worker));
    }
}

void TestEntryReconnect::openingAfterRestart()
{
    Reconnect t;
    const int id = t.addRecord(24, 21, 3, 4, QStringLiteral("no"), 4);
    t.refresh();
    t.go(id);
    restartServer();
    QString shownQuantity;
    t.change([&](TForm11 *w) { shownQuantity = w->Edit3->text(); });
    VERIFY_ONE_LOST_ERROR(t.messages(), 0);
    QVERIFY(shownQuantity.isEmpty()); // the editor was not shown
    QVERIFY(t.j()->Button2->isEnabled());
    // The journal still stands on the record, so the next press opens it.
    t.j()->Button2->click();
    t.verifyClean();
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(shownQuantity, QStringLiteral("3"));
}

QTEST_MAIN(TestEntryReconnect)
#include "tst_entry_reconnect.moc"
