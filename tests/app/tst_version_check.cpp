// The version gate at login and on the journal's timer, and the decimal separator it loads.

#include "support/program_fixture.h"

#include "app/login_window.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QLabel>
#include <QTest>

using namespace testing;

namespace {

const int kDate = 20220927;
const int kTime = 13 * 3600 + 37 * 60 + 4;
const QString kTooOld
    = QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин.");

} // namespace

class TestVersionCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void atLogin_data();
    void atLogin();
    void emptyTableGetsOurVersion();
    void newerBuildWhileRunningEndsAtNextTick();
    void separatorFollowsTheDatabase();
    void databaseErrorKeepsLoginUnset();
};

void TestVersionCheck::atLogin_data()
{
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("expectD");
    QTest::addColumn<int>("expectT");
    QTest::addColumn<bool>("ends");
    QTest::newRow("same build") << kDate << kTime << kDate << kTime << false;
    QTest::newRow("day before, later time") << kDate - 1 << 86399 << kDate << kTime << false;
    QTest::newRow("same day, a second earlier") << kDate << kTime - 1 << kDate << kTime << false;
    QTest::newRow("same day, a second later") << kDate << kTime + 1 << kDate << kTime + 1 << true;
    QTest::newRow("next year") << 20230101 << 0 << 20230101 << 0 << true;
}

void TestVersionCheck::atLogin()
{
    QFETCH(int, d);
    QFETCH(int, t);
    QFETCH(int, expectD);
    QFETCH(int, expectT);
    QFETCH(bool, ends);

    ProgramFixture p;
    p.seams.setBuildStamp(kDate, kTime);
    p.db.exec(QStringLiteral("update ver set d = %1, t = %2").arg(d).arg(t));
    QVERIFY(p.start());

    QCOMPARE(p.db.scalar(QStringLiteral("select d || '/' || t from ver")),
             QStringLiteral("%1/%2").arg(expectD).arg(expectT));
    QCOMPARE(p.db.scalar(QStringLiteral("select count(*) from ver")), QStringLiteral("1"));
    QCOMPARE(p.journal()->buildDate, kDate);
    QCOMPARE(p.journal()->buildTime, kTime);
    TForm23 *login = p.loginWindow();
    if (ends) {
        QCOMPARE(p.seams.messages.errors(), QStringList {kTooOld});
        QCOMPARE(p.seams.end.count(), 1);
        // The login's timer ends the program even if nobody closes the message.
        QVERIFY(login->Timer1.isActive());
        QCOMPARE(login->Timer1.interval(), 5500);
        login->Timer1Timer();
        QCOMPARE(p.seams.end.count(), 2);
        QVERIFY(login->Label3->text().isEmpty());
    } else {
        QVERIFY(p.seams.messages.shown().isEmpty());
        QCOMPARE(p.seams.end.count(), 0);
        QVERIFY(!login->Timer1.isActive());
        QCOMPARE(login->Label3->text(),
                 QStringLiteral("Сервер: %1, БД: %2").arg(p.serverArgument(), p.db.name()));
        QCOMPARE(login->windowTitle(), QStringLiteral("Авторизация (build: 20220927.49024)"));
    }
}

void TestVersionCheck::emptyTableGetsOurVersion()
{
    ProgramFixture p;
    p.seams.setBuildStamp(kDate, kTime);
    p.db.exec(QStringLiteral("delete from ver"));
    QVERIFY(p.start());
    QVERIFY(p.seams.messages.shown().isEmpty());
    QCOMPARE(p.db.scalar(QStringLiteral("select d || '/' || t || '/' || coalesce(delim, 'null') "
                                        "from ver")),
             QStringLiteral("%1/%2/null").arg(kDate).arg(kTime));
    QCOMPARE(dataModule().decimalSeparator, QString());
}

void TestVersionCheck::newerBuildWhileRunningEndsAtNextTick()
{
    ProgramFixture p;
    p.seams.setBuildStamp(kDate, kTime);
    QVERIFY(p.start());
    p.login(QStringLiteral("senior"), QStringLiteral("senior"));
    QCOMPARE(p.journal()->Timer1.interval(), 30000);
    QVERIFY(p.journal()->Timer1.isActive());
    p.journal()->Timer1Timer();
    QCOMPARE(p.seams.end.count(), 1); // only the journal's closing by the login script
    p.db.exec(QStringLiteral("update ver set t = t + 1"));
    p.journal()->Timer1Timer();
    QCOMPARE(p.seams.messages.errors(), QStringList {kTooOld});
    QCOMPARE(p.seams.end.count(), 2);
    QVERIFY(p.loginWindow()->Timer1.isActive());
}

void TestVersionCheck::separatorFollowsTheDatabase()
{
    ProgramFixture p;
    p.seams.setBuildStamp(kDate, kTime);
    p.db.exec(QStringLiteral("update ver set delim = '.'"));
    QVERIFY(p.start());
    QCOMPARE(dataModule().decimalSeparator, QStringLiteral("."));
    QCOMPARE(dataModule().toSqlDecimal(QStringLiteral("12,5")), QStringLiteral("12.5"));
    p.db.exec(QStringLiteral("update ver set delim = ','"));
    p.journal()->Timer1Timer();
    QCOMPARE(dataModule().decimalSeparator, QStringLiteral(","));
    QCOMPARE(dataModule().toSqlDecimal(QStringLiteral("12.5")), QStringLiteral("12,5"));
    QCOMPARE(dataModule().toSqlDecimal(QStringLiteral("12")), QStringLiteral("12"));
}

void TestVersionCheck::databaseErrorKeepsLoginUnset()
{
    ProgramFixture p;
    p.seams.setBuildStamp(kDate, kTime);
    p.db.exec(QStringLiteral("alter table ver rename to ver_gone"));
    QVERIFY(p.start());
    QCOMPARE(p.seams.messages.errors().size(), 1);
    QCOMPARE(p.seams.end.count(), 0);
    QVERIFY(p.loginWindow()->Label3->text().isEmpty());
    QCOMPARE(p.loginWindow()->windowTitle(), QStringLiteral("Авторизация"));
    // The timer tries again and shows the error again; the program keeps running.
    p.journal()->Timer1Timer();
    QCOMPARE(p.seams.messages.errors().size(), 2);
    QCOMPARE(p.seams.end.count(), 0);
}

QTEST_MAIN(TestVersionCheck)
#include "tst_version_check.moc"
