// The report preview window as a person uses it: the pages one at a time, previous and next,
// the first and last, the page label, zoom, save as PDF through the program's save dialog; the
// window as the program's preview makes it.

#include "support/fake_seams.h"
#include "support/memory_rows.h"

#include "reports/engine/prepare.h"
#include "reports/engine/preview_window.h"
#include "reports/engine/render.h"
#include "reports/layouts/report_preview.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace testing;
using namespace reports;

namespace {

// 120 numbered lines: three pages.
PreparedReport threePages()
{
    MemoryRows rows({"k"});
    for (int n = 1; n <= 120; ++n)
        rows.add({"Строка " + QString::number(n)});
    Layout l;
    l.name = QStringLiteral("Проба");
    l.detail.height = 5;
    l.detail.cells = {fieldCell(QStringLiteral("k"), 0, 60)};
    Band footer;
    footer.height = 6;
    footer.cells = {pageNumberCell(150, 40).right()};
    l.pageFooter = footer;
    return prepare(l, rows, QString());
}

// pdfinfo, a reader that is not ours: its report on the file ("" when it cannot read it).
QString pdfInfo(const QString &path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(30000) || info.exitCode() != 0)
        return QString();
    return QString::fromUtf8(info.readAllStandardOutput());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Files in the folder, hidden ones too, by name.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Writes of this process beyond `bytes` fail (EFBIG instead of the signal) while it lives, as
// on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old {};
};

const QString kPeriodTitle = QStringLiteral("Отчет по рабочим 01.11.2026 – 15.11.2026");

// The page drawn in the window, as a picture.
QImage shownPage(PreviewWindow &w)
{
    auto *view = w.findChild<QScrollArea *>(QStringLiteral("ScrollPages"))->widget();
    return view->grab().toImage();
}

} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void turnPages()
    {
        PreviewWindow w(threePages());
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("Предварительный просмотр — Проба"));
        auto *label = w.findChild<QLabel *>(QStringLiteral("LabelPage"));
        QCOMPARE(label->text(), QStringLiteral("Страница 1 из 3"));
        QVERIFY(!w.ButtonPrior->isEnabled());
        QVERIFY(!w.ButtonFirst->isEnabled());
        const QImage first = shownPage(w);
        w.ButtonNext->click();
        QCOMPARE(label->text(), QStringLiteral("Страница 2 из 3"));
        QVERIFY(shownPage(w) != first);
        w.ButtonLast->click();
        QCOMPARE(w.currentPage(), 3);
        QVERIFY(!w.ButtonNext->isEnabled());
        QVERIFY(!w.ButtonLast->isEnabled());
        // A click on a disabled button, and Page Down on the last page, change nothing.
        w.ButtonNext->click();
        QTest::keyClick(&w, Qt::Key_PageDown);
        QCOMPARE(w.currentPage(), 3);
        QTest::keyClick(&w, Qt::Key_PageUp);
        QCOMPARE(w.currentPage(), 2);
        w.ButtonPrior->click();
        QCOMPARE(w.currentPage(), 1);
        QCOMPARE(shownPage(w), first);
        w.ButtonLast->click();
        w.ButtonFirst->click();
        QCOMPARE(label->text(), QStringLiteral("Страница 1 из 3"));
    }

    // Zoom changes the size of the page on the screen in proportion and keeps the page.
    void zoom()
    {
        PreviewWindow w(threePages());
        w.show();
        w.ButtonNext->click();
        auto *view = w.findChild<QScrollArea *>(QStringLiteral("ScrollPages"))->widget();
        QCOMPARE(w.zoom(), 1.0);
        const int width100 = view->width();
        w.ComboZoom->setCurrentIndex(w.ComboZoom->findText(QStringLiteral("200 %")));
        QCOMPARE(w.zoom(), 2.0);
        const int width200 = view->width();
        w.ComboZoom->setCurrentIndex(w.ComboZoom->findText(QStringLiteral("50 %")));
        const int width50 = view->width();
        // The paper, without the grey border of 2 x 16 pixels.
        QVERIFY(qAbs((width200 - 32) - 2 * (width100 - 32)) <= 2);
        QVERIFY(qAbs((width100 - 32) - 2 * (width50 - 32)) <= 2);
        QCOMPARE(w.currentPage(), 2);
    }

    void savePdf()
    {
        PreviewWindow w(threePages());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Проба.pdf"));
        QVERIFY(w.savePdf(path));
        // pdfinfo, a reader that is not ours, counts the pages.
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        QVERIFY(info.waitForFinished(30000));
        QCOMPARE(info.exitCode(), 0);
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))),
                 qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Title:\\s+Проба"))),
                 qPrintable(text));
    }

    // "Сохранить в PDF..." proposes the report's title with its period in the exports' folder;
    // a name typed without ".pdf" gets it, also one with points in it.
    void pdfAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("as proposed") << "" << kPeriodTitle + ".pdf";
        QTest::newRow("no suffix") << "Ноябрь"
                                   << "Ноябрь.pdf";
        QTest::newRow("points in the name") << "Отчет 15.11.2026"
                                            << "Отчет 15.11.2026.pdf";
        QTest::newRow("its own suffix") << "Итог.PDF"
                                        << "Итог.PDF";
    }
    void pdfAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        SeamsFixture seams;
        PreparedReport report = threePages();
        report.title = kPeriodTitle;
        const auto w = layouts::previewWindow(report, nullptr);
        seams.fileDialogs.script(ScriptedFileDialogs::typeAndSave(typed));
        QVERIFY(!w->LabelSaved->isVisibleTo(w.get()));
        w->ButtonPdf->click();

        QCOMPARE(seams.fileDialogs.shown().size(), 1);
        const ScriptedFileDialogs::Shown shown = seams.fileDialogs.shown().first();
        QCOMPARE(shown.caption, QStringLiteral("Сохранить в PDF"));
        const QString folder = seams.spreadsheets.folder();
        QCOMPARE(shown.folder, QDir(folder).absolutePath());
        QCOMPARE(shown.name, kPeriodTitle + ".pdf");
        QVERIFY2(seams.messages.shown().isEmpty(), qPrintable(seams.messages.texts().join('\n')));
        const QString path = QDir(folder).filePath(saved);
        const QString info = pdfInfo(path);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))),
                 qPrintable(path + ": " + info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+")
                                                  + QRegularExpression::escape(kPeriodTitle))),
                 qPrintable(info));
        QCOMPARE(filesIn(folder), QStringList {saved});
        QVERIFY(w->LabelSaved->isVisibleTo(w.get()));
        QCOMPARE(w->LabelSaved->text(),
                 QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(path));
    }

    // A file of the name with its suffix is replaced only when the user says so.
    void pdfReplacesWhenAsked_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("Да") << true;
        QTest::newRow("Нет") << false;
    }
    void pdfReplacesWhenAsked()
    {
        QFETCH(bool, replace);
        SeamsFixture seams;
        const QString folder = seams.spreadsheets.folder();
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("Итог.pdf"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        const auto w = layouts::previewWindow(threePages(), nullptr);
        seams.fileDialogs.script(ScriptedFileDialogs::typeAndSave(QStringLiteral("Итог")));
        seams.messages.answer(replace ? QMessageBox::Yes : QMessageBox::No);
        w->ButtonPdf->click();

        const RecordedMessage asked = seams.messages.last();
        QCOMPARE(asked.caption, QStringLiteral("Сохранить в PDF"));
        QCOMPARE(asked.text, QStringLiteral("Файл «Итог.pdf» уже существует.\nЗаменить его?"));
        QCOMPARE(seams.messages.shown().size(), 1);
        QCOMPARE(contents(path).startsWith("%PDF"), replace);
        QCOMPARE(contents(path) == "old", !replace);
        QCOMPARE(w->LabelSaved->isVisibleTo(w.get()), replace);
        QCOMPARE(filesIn(folder), QStringList {QStringLiteral("Итог.pdf")});
    }

    // A write that fails half way (a full disk) leaves the PDF that was there as it was, and
    // no piece of the new one; the user is told.
    void pdfFailedWriteKeepsFile()
    {
        SeamsFixture seams;
        const QString folder = seams.spreadsheets.folder();
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(kPeriodTitle + ".pdf");
        PreparedReport earlier = threePages();
        earlier.title = QStringLiteral("Прежний");
        QVERIFY(writePdf(earlier, path));
        const QByteArray before = contents(path);
        QVERIFY(before.size() > 4096);

        PreparedReport report = threePages();
        report.title = kPeriodTitle;
        const auto w = layouts::previewWindow(report, nullptr);
        seams.fileDialogs.script(ScriptedFileDialogs::typeAndSave());
        seams.messages.answerYes(); // replace it
        {
            const FileSizeLimit full(4096);
            w->ButtonPdf->click();
        }
        QCOMPARE(seams.messages.errors(),
                 QStringList {QStringLiteral("Не удалось записать файл «%1».")
                                  .arg(QDir::toNativeSeparators(path))});
        QCOMPARE(contents(path), before);
        QCOMPARE(filesIn(folder), QStringList {kPeriodTitle + ".pdf"});
        QVERIFY(!w->LabelSaved->isVisibleTo(w.get()));
    }

    // An empty report still has its one page; without pages nothing can be turned or saved.
    void noPages()
    {
        PreviewWindow w(PreparedReport {});
        QCOMPARE(w.LabelPage->text(), QStringLiteral("Страница 0 из 0"));
        QVERIFY(!w.ButtonPrint->isEnabled());
        QVERIFY(!w.ButtonPdf->isEnabled());
        w.ButtonNext->click();
        QCOMPARE(w.currentPage(), 1);
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_report_preview.moc"
