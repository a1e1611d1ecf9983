// The journal when the server goes away under it: a clear error, the program keeps running,
// the next action works on a new connection. A server that stays away gives one clear error per
// action, and the version check's timer never piles a second box on its first.

#include "support/program_fixture.h"
#include "support/reconnect_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QPushButton>
#include <QTest>

using namespace testing;

namespace {

// A new record of worker 21 on the journal's day in shift 1, with a material row; its id.
int addRecord(const TestDatabase &db)
{
    const int id = db.scalar("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, "
                             "kol_vo, time, ok) select '2026-11-10', 1, 21, id_inventory_items, "
                             "id, 1.5, 4, 3, 'no' from mnf_operation.operation where id = 21 "
                             "returning id")
                       .toInt();
    db.exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                           "f_qty_use, id_cons_use) values (%1, 501, 1.5, 0)")
                .arg(id));
    return id;
}

// The program logged in with full rights on a weekday of the demo month; its journal, or nullptr
// when the start failed.
TForm1 *loggedIn(ProgramFixture &p)
{
    p.seams.setNow(QDateTime(QDate(2026, 11, 10), QTime(9, 0)));
    if (!p.start())
        return nullptr;
    p.login(QStringLiteral("senior"), QStringLiteral("senior"));
    return p.journal();
}

} // namespace

class TestJournalReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refreshAfterServerRestart();
    void serverStaysAway();
    void timerWhileServerAway();
    void acceptAfterRestart();
    void deleteAfterRestart_data();
    void deleteAfterRestart();
};

void TestJournalReconnect::refreshAfterServerRestart()
{
    ProgramFixture p;
    TForm1 *j = loggedIn(p);
    QVERIFY(j);
    const int rows = dataModule().Smena1.recordCount();
    QVERIFY(rows > 0);

    restartServer();
    j->Button8->click();
    QCOMPARE(p.seams.messages.errors().size(), 1);
    QVERIFY(!p.seams.messages.errors().first().isEmpty());
    QCOMPARE(p.seams.end.count(), 1); // only the journal's closing by the login script

    // The next action reconnects and shows the same journal.
    j->Button8->click();
    QCOMPARE(p.seams.messages.errors().size(), 1);
    for (int s = 1; s <= 4; ++s)
        QVERIFY(dataModule().journal(s).isOpen());
    QCOMPARE(dataModule().Smena1.recordCount(), rows);
}

void TestJournalReconnect::serverStaysAway()
{
    ProgramFixture p;
    TForm1 *j = loggedIn(p);
    QVERIFY(j);
    const int rows = dataModule().Smena1.recordCount();

    stopServer();
    j->Button8->click();
    const QString lost = reconnect::oneLostError(p.seams.messages);
    // Pressed again while the server is still away: one more error, in the program's words, that
    // tells the user the action did not run.
    j->Button8->click();
    const QList<RecordedMessage> away = p.seams.messages.shown().mid(1);
    startServer();
    QVERIFY2(lost.isEmpty(), qPrintable(lost));
    QCOMPARE(away.size(), 1);
    QCOMPARE(away.first().caption, QStringLiteral("Ошибка"));
    QVERIFY2(away.first().text.startsWith(QStringLiteral("Нет связи с сервером базы данных, "
                                                         "действие не выполнено")),
             qPrintable(away.first().text));

    // Back: the next press reads the journal again, with no box.
    j->Button8->click();
    QCOMPARE(p.seams.messages.shown().size(), 2);
    QCOMPARE(dataModule().Smena1.recordCount(), rows);
    // Each box shown is in the log once.
    QCOMPARE(p.seams.errorLog().count(reconnect::kLost), 1);
    QCOMPARE(p.seams.errorLog().count(QStringLiteral("Нет связи с сервером базы данных")), 1);
}

void TestJournalReconnect::timerWhileServerAway()
{
    ProgramFixture p;
    TForm1 *j = loggedIn(p);
    QVERIFY(j);
    // The timer fires again while its error box is still open, as it does in a real box's loop.
    int ticksInsideBox = 0;
    p.seams.messages.onShow([&](const RecordedMessage &) {
        if (ticksInsideBox++ < 3)
            j->Timer1Timer();
    });
    stopServer();
    j->Timer1Timer();
    const int boxes = int(p.seams.messages.shown().size());
    startServer();
    QCOMPARE(boxes, 1);
    QVERIFY(p.seams.messages.shown().first().text.contains(reconnect::kLost));
    QCOMPARE(p.seams.end.count(), 1); // only the journal's closing by the login script
    // Once the box is closed the next tick checks again, on a new connection.
    p.seams.messages.onShow({});
    j->Timer1Timer();
    QCOMPARE(p.seams.messages.shown().size(), 1);
    j->Button8->click();
    QCOMPARE(p.seams.messages.shown().size(), 1);
}

void TestJournalReconnect::acceptAfterRestart()
{
    ProgramFixture p;
    TForm1 *j = loggedIn(p);
    QVERIFY(j);
    const int id = addRecord(p.db);
    const QString ok = QStringLiteral("select ok from accounts_dep.smena where id = %1").arg(id);
    j->Button8->click();
    QVERIFY(dataModule().Smena1.locate(QStringLiteral("id"), id));
    restartServer();
    j->Button5->click();
    VERIFY_ONE_LOST_ERROR(p.seams.messages, 0);
    QCOMPARE(p.db.scalar(ok), QStringLiteral("no"));
    // Still on the record: the next press accepts it.
    QCOMPARE(dataModule().Smena1.asInteger(QStringLiteral("id")), id);
    j->Button5->click();
    QCOMPARE(p.seams.messages.shown().size(), 1);
    QCOMPARE(p.db.scalar(ok), QStringLiteral("ok"));
}

void TestJournalReconnect::deleteAfterRestart_data()
{
    QTest::addColumn<bool>("halfway");
    QTest::newRow("restart before the press") << false;
    // The server ends the program's session once, right when the deletion's hours are posted:
    // the record is already deleted on that session, its hours not yet brought up to date.
    QTest::newRow("session lost between the deletion and its hours") << true;
}

void TestJournalReconnect::deleteAfterRestart()
{
    QFETCH(bool, halfway);
    ProgramFixture p;
    TForm1 *j = loggedIn(p);
    QVERIFY(j);
    const int id = addRecord(p.db);
    // The worker's hours of the day as the records give them, and as the hours row holds them
    // (a row the deletion emptied goes: 0).
    const QString records = QStringLiteral("select coalesce(sum(time), 0)::text from "
                                           "accounts_dep.smena where w_id = 21 and smena = 1 and "
                                           "data = '2026-11-10'");
    const QString posted = QStringLiteral("select coalesce(string_agg(d10::text, ','), '0') from "
                                          "accounts_dep.h_tabel where w_id = 21 and smena = 1 and "
                                          "month = 11 and year = 2026");
    const QString present
        = QStringLiteral("select count(*) from accounts_dep.smena where id = %1").arg(id);
    // Posted as the program posts them, so the deletion has hours to take away.
    p.db.exec(QStringLiteral("delete from accounts_dep.h_tabel where w_id = 21 and smena = 1 and "
                             "month = 11 and year = 2026"));
    p.db.exec(QStringLiteral("insert into accounts_dep.h_tabel(w_id, smena, month, year, d10) "
                             "values (21, 1, 11, 2026, %1)")
                  .arg(p.db.scalar(records)));
    const QString hoursBefore = p.db.scalar(posted);
    QVERIFY(hoursBefore.toInt() >= 3);
    j->Button8->click();
    QVERIFY(dataModule().Smena1.locate(QStringLiteral("id"), id));
    if (halfway)
        p.db.exec(reconnect::endSessionOnce(QStringLiteral("accounts_dep.h_tabel"),
                                            QStringLiteral("update or delete")));
    else
        restartServer();
    p.seams.messages.answerYes();
    j->Button3->click();
    VERIFY_ONE_LOST_ERROR(p.seams.messages, 1); // after the question
    // Nothing of the deletion stays: the record and its hours are as they were.
    QCOMPARE(p.db.scalar(present), QStringLiteral("1"));
    QCOMPARE(p.db.scalar(posted), hoursBefore);
    QVERIFY(dataModule().Smena1.locate(QStringLiteral("id"), id));
    p.seams.messages.answerYes();
    j->Button3->click();
    QCOMPARE(p.seams.messages.shown().size(), 3);
    QCOMPARE(p.db.scalar(present), QStringLiteral("0"));
    QCOMPARE(p.db.scalar(posted), p.db.scalar(records));
}

QTEST_MAIN(TestJournalReconnect)
#include "tst_journal_reconnect.moc"
