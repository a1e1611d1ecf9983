// The journal when the server goes away under it: a clear error, the program keeps running,
// the next action works on a new connection. A server that stays away gives one clear error per
// action, and the version check's timer never piles a second box on its first.

#include "support/program_fixture.h"
#include "tst_reconnect_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QPushButton>
#include <QTest>

using namespace testing;

namespace {

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

QTEST_MAIN(TestJournalReconnect)
#include "tst_journal_reconnect.moc"
