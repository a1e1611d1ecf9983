// The journal when the server goes away under it: a clear error, the program keeps running,
// the next action works on a new connection.

#include "support/program_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QPushButton>
#include <QTest>

using namespace testing;

class TestJournalReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refreshAfterServerRestart();
};

void TestJournalReconnect::refreshAfterServerRestart()
{
    ProgramFixture p;
    const QDate day(2026, 11, 10); // a weekday of the demo month
    p.seams.setNow(QDateTime(day, QTime(9, 0)));
    QVERIFY(p.start());
    p.login(QStringLiteral("senior"), QStringLiteral("senior"));
    TForm1 *j = p.journal();
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

QTEST_MAIN(TestJournalReconnect)
#include "tst_journal_reconnect.moc"
