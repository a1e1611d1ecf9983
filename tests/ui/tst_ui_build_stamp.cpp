// The build stamp: written anew by the build whenever a source of the program changes, so the
// stamp a build carries is never older than the newest source it was built from; the writing
// script gives the compiler's date and time texts, read by the function that takes the two.

#include "ui/build_texts.h"
#include "ui/seams.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QString kSource = QStringLiteral(TABEL_SOURCE_DIR);

QDateTime stampMoment(const ui::BuildStamp &s)
{
    const QDate date(s.date / 10000, s.date / 100 % 100, s.date % 100);
    return QDateTime(date, QTime(0, 0).addSecs(s.time));
}

// The newest source of the program (tests, scripts and the database schema are not part of it).
QFileInfo newestSource()
{
    QFileInfo newest;
    for (const char *folder :
         {"db", "ui", "app", "journal", "timesheet", "reports", "directories", "processes"}) {
        QDirIterator it(kSource + QLatin1Char('/') + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo f(it.next());
            if (!newest.exists() || f.lastModified() > newest.lastModified())
                newest = f;
        }
    }
    return newest;
}

// Runs the build's stamp script into a file and returns the two texts it wrote.
QStringList writtenTexts(const QString &file)
{
    QProcess cmake;
    cmake.start(QStringLiteral(CMAKE_COMMAND),
                {QStringLiteral("-DOUTPUT=") + file, QStringLiteral("-P"),
                 kSource + QStringLiteral("/scripts/build_stamp.cmake")});
    if (!cmake.waitForFinished(60000) || cmake.exitCode() != 0)
        return {};
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    const QString code = QString::fromUtf8(f.readAll());
    for (qsizetype at = code.indexOf(QLatin1String("return \"")); at >= 0;
         at = code.indexOf(QLatin1String("return \""), at + 1)) {
        const qsizetype from = at + 8;
        texts << code.mid(from, code.indexOf(QLatin1Char('"'), from) - from);
    }
    return texts;
}

} // namespace

class TestUiBuildStamp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void notOlderThanTheSources();
    void scriptWritesCompilerTexts();
};

void TestUiBuildStamp::notOlderThanTheSources()
{
    const ui::BuildStamp stamp = ui::buildStamp();
    QCOMPARE(stamp.date,
             ui::parseBuildStamp(QString::fromLatin1(ui::compiledBuildDate()),
                                 QString::fromLatin1(ui::compiledBuildTime()))
                 .date);
    const QFileInfo newest = newestSource();
    QVERIFY(newest.exists());
    // Whole seconds: the stamp has no fraction.
    const QDateTime changed = newest.lastModified().addMSecs(-newest.lastModified().time().msec());
    QVERIFY2(stampMoment(stamp) >= changed,
             qPrintable(QStringLiteral("stamp %1 %2, %3 changed %4")
                            .arg(QString::fromLatin1(ui::compiledBuildDate()),
                                 QString::fromLatin1(ui::compiledBuildTime()), newest.filePath(),
                                 changed.toString(Qt::ISODate))));
}

void TestUiBuildStamp::scriptWritesCompilerTexts()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("build_stamp.cpp"));
    const QDateTime before
        = QDateTime::currentDateTime().addMSecs(-QDateTime::currentDateTime().time().msec());
    const QStringList first = writtenTexts(file);
    QCOMPARE(first.size(), 2);
    // "Sep  7 2022" and "13:37:04", as the compiler writes them.
    QVERIFY2(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}$"))
                 .match(first[0])
                 .hasMatch(),
             qPrintable(first[0]));
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$"))
                 .match(first[1])
                 .hasMatch(),
             qPrintable(first[1]));
    const QDateTime written = stampMoment(ui::parseBuildStamp(first[0], first[1]));
    QVERIFY(written >= before);
    QVERIFY(written <= QDateTime::currentDateTime());

    // A later build writes a later stamp.
    QThread::msleep(1100);
    const QStringList second = writtenTexts(file);
    QCOMPARE(second.size(), 2);
    QVERIFY(stampMoment(ui::parseBuildStamp(second[0], second[1])) > written);
}

QTEST_GUILESS_MAIN(TestUiBuildStamp)
#include "tst_ui_build_stamp.moc"
