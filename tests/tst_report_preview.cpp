// The report preview window as a person uses it: the pages one at a time, previous and next,
// the first and last, the page label, zoom, save as PDF; the real preview seam opens it.

#include "support/test_db.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "reports/engine/prepare.h"
#include "reports/engine/preview_window.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

using namespace testing;
using namespace reports;

namespace {

// 120 numbered lines: three pages.
PreparedReport threePages(db::Connection &c)
{
    db::Dataset ds(&c);
    ds.setSql(QStringLiteral("select 'Строка ' || n as k from generate_series(1, 120) n"));
    ds.open();
    Layout l;
    l.name = QStringLiteral("Проба");
    l.detail.height = 5;
    l.detail.cells = {fieldCell(QStringLiteral("k"), 0, 60)};
    Band footer;
    footer.height = 6;
    footer.cells = {pageNumberCell(150, 40).right()};
    l.pageFooter = footer;
    return prepare(l, ds, QString());
}

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
    std::unique_ptr<TestDatabase> m_db;
    db::Connection m_connection;

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        m_connection.open(m_db->connectionString());
    }
    void cleanupTestCase()
    {
        m_connection.close();
        m_db.reset();
    }

    void turnPages()
    {
        PreviewWindow w(threePages(m_connection));
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
        PreviewWindow w(threePages(m_connection));
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
        PreviewWindow w(threePages(m_connection));
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
