// The error log: what an error box leaves in tabel.log, how a full log is moved aside, and
// that a log that cannot be written never stands in the program's way.

#include "db/db_error.h"
#include "tests/support/fake_seams.h"
#include "ui/error_log.h"
#include "ui/seams.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using testing::SeamsFixture;

namespace {

class TFormProbe : public QDialog
{
    Q_OBJECT
};

QString readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

const QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ReadOther | QFileDevice::WriteOther;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A handler of the window that fails with the server's text, as a refused statement does.
bool failingHandler(QWidget *window, const QString &serverText)
{
    return ui::guarded(window, [&] { throw db::DbError(serverText, QStringLiteral("P0001")); });
}

} // namespace

class TestUiErrorLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void folderFollowsStateHome();
    void entries_data();
    void entries();
    void boxesOtherThanErrorsLeaveNoTrace();
    void rotation_data();
    void rotation();
    void unwritableLogIsHarmless_data();
    void unwritableLogIsHarmless();
};

void TestUiErrorLog::folderFollowsStateHome()
{
    SeamsFixture seams;
    QCOMPARE(ui::errorLogPath(), seams.stateHome.path() + QStringLiteral("/tabel/tabel.log"));
    // Unset (or not absolute, which the XDG rules ignore): the folder in the home folder.
    for (const QByteArray &value : {QByteArray(), QByteArray("relative/state")}) {
        qputenv("XDG_STATE_HOME", value);
        QCOMPARE(ui::errorLogFolder(), QDir::homePath() + QStringLiteral("/.local/state/tabel"));
    }
}

void TestUiErrorLog::entries_data()
{
    QTest::addColumn<QString>("over"); // the window the box is shown over
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("entry");

    const QString server = QStringLiteral("ОШИБКА:  повторяющееся значение ключа нарушает "
                                          "ограничение уникальности \"worker_pkey\"");
    QTest::newRow("titled window")
        << "window" << server << "2026-10-07 09:05:03  TFormProbe «Сотрудник»  " + server + "\n";
    QTest::newRow("field of the window")
        << "field" << server << "2026-10-07 09:05:03  TFormProbe «Сотрудник»  " + server + "\n";
    QTest::newRow("no window") << "none" << server << "2026-10-07 09:05:03  -  " + server + "\n";
    // The lines of a server's detail follow indented, so the next entry still starts a line.
    QTest::newRow("several lines")
        << "window"
        << "ОШИБКА:  нарушение\nDETAIL:  Ключ (id)=(5)\r\nHINT:  «'; --%_»"
        << "2026-10-07 09:05:03  TFormProbe «Сотрудник»  ОШИБКА:  нарушение\n"
           "    DETAIL:  Ключ (id)=(5)\n    HINT:  «'; --%_»\n";
}

void TestUiErrorLog::entries()
{
    QFETCH(QString, over);
    QFETCH(QString, text);
    QFETCH(QString, entry);
    SeamsFixture seams;
    seams.setNow(QDateTime(QDate(2026, 10, 7), QTime(9, 5, 3)));
    TFormProbe window;
    window.setWindowTitle(QStringLiteral("Сотрудник"));
    auto *field = new QLineEdit(&window);
    QWidget *parent = nullptr;
    if (over == QLatin1String("window"))
        parent = &window;
    else if (over == QLatin1String("field"))
        parent = field;

    QVERIFY(!failingHandler(parent, text));
    // The user saw the box as before; the log has the same text.
    QCOMPARE(seams.messages.errors(), QStringList {text});
    QCOMPARE(seams.errorLog(), entry);
    // Logins and the server's words: nobody but the user reads them.
    QCOMPARE(QFile::permissions(ui::errorLogPath()) & kOthers, QFileDevice::Permissions());

    // The next error is appended after it.
    ui::showError(parent, QStringLiteral("Значение не является числом"));
    QVERIFY(seams.errorLog().startsWith(entry));
    QVERIFY(seams.errorLog().endsWith(QStringLiteral("  Значение не является числом\n")));
}

void TestUiErrorLog::boxesOtherThanErrorsLeaveNoTrace()
{
    SeamsFixture seams;
    seams.messages.answerYes();
    QVERIFY(ui::askYesNo(nullptr, QStringLiteral("Подтверждение"), QStringLiteral("Удалить?")));
    ui::showInformation(nullptr, QStringLiteral("Сообщение"), QStringLiteral("Готово"));
    QCOMPARE(seams.messages.shown().size(), 2);
    QVERIFY(!QFile::exists(ui::errorLogPath()));
}

void TestUiErrorLog::rotation_data()
{
    QTest::addColumn<qint64>("size"); // of the log before the error
    QTest::addColumn<bool>("olderCopy"); // a tabel.log.1 from an earlier rotation
    QTest::addColumn<bool>("rotated");
    QTest::newRow("just below the limit") << ui::kErrorLogLimit - 1 << false << false;
    QTest::newRow("at the limit") << ui::kErrorLogLimit << false << true;
    QTest::newRow("past the limit, older copy replaced") << ui::kErrorLogLimit + 10 << true << true;
}

void TestUiErrorLog::rotation()
{
    QFETCH(qint64, size);
    QFETCH(bool, olderCopy);
    QFETCH(bool, rotated);
    SeamsFixture seams;
    QVERIFY(QDir().mkpath(ui::errorLogFolder()));
    const QByteArray old = QByteArray(size - 1, 'x') + '\n';
    writeFile(ui::errorLogPath(), old);
    const QString older = ui::errorLogPath() + QStringLiteral(".1");
    if (olderCopy)
        writeFile(older, "самое старое\n");

    TFormProbe window;
    QVERIFY(!failingHandler(&window, QStringLiteral("соединение потеряно")));
    // A log an older build left readable for everyone is the user's alone from now on.
    QCOMPARE(QFile::permissions(ui::errorLogPath()) & kOthers, QFileDevice::Permissions());
    const QString entryEnd = QStringLiteral("  TFormProbe  соединение потеряно\n");
    QString log = seams.errorLog();
    QVERIFY(log.endsWith(entryEnd));
    if (rotated) {
        // The full log moved aside whole; the new one holds only what came after.
        QCOMPARE(readFile(older), QString::fromLatin1(old));
        QCOMPARE(log.count(QLatin1Char('\n')), 1);
        return;
    }
    // The entry that crosses the limit is written whole; the next one starts a new log.
    QVERIFY(!QFile::exists(older));
    QVERIFY(log.startsWith(QString::fromLatin1(old)));
    QCOMPARE(log.count(QLatin1Char('\n')), 2);
    QVERIFY(!failingHandler(&window, QStringLiteral("второе")));
    QCOMPARE(readFile(older), log);
    log = seams.errorLog();
    QCOMPARE(log.count(QLatin1Char('\n')), 1);
    QVERIFY(log.endsWith(QStringLiteral("  TFormProbe  второе\n")));
}

void TestUiErrorLog::unwritableLogIsHarmless_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::newRow("state folder below a file") << "file-as-state-home";
    QTest::newRow("program's folder is a file") << "file-as-folder";
    QTest::newRow("log is a folder") << "folder-as-log";
}

void TestUiErrorLog::unwritableLogIsHarmless()
{
    QFETCH(QString, blocker);
    SeamsFixture seams;
    const QString base = seams.stateHome.path();
    if (blocker == QLatin1String("file-as-state-home")) {
        writeFile(base + QStringLiteral("/plain"), "x");
        qputenv("XDG_STATE_HOME", (base + QStringLiteral("/plain/state")).toUtf8());
    } else if (blocker == QLatin1String("file-as-folder")) {
        writeFile(base + QStringLiteral("/tabel"), "x");
    } else {
        QVERIFY(QDir().mkpath(ui::errorLogPath()));
    }

    TFormProbe window;
    QVERIFY(!failingHandler(&window, QStringLiteral("соединение потеряно")));
    // The box is shown as ever, and the program goes on to the next handler.
    QCOMPARE(seams.messages.errors(), QStringList {QStringLiteral("соединение потеряно")});
    int runs = 0;
    QVERIFY(ui::guarded(&window, [&] { ++runs; }));
    QCOMPARE(runs, 1);
    QVERIFY(!QFileInfo(ui::errorLogPath()).isFile());
}

QTEST_MAIN(TestUiErrorLog)
#include "tst_ui_error_log.moc"
