// The band report engine on rows built in memory: number masks and their rounding, group keys once
// per group, subtotals that restart, grand totals, an empty report, page breaks inside a long group
// with the repeated header and page numbers, child bands, frames, paper, and the PDF read back.

#include "support/memory_rows.h"

#include "db/db_error.h"
#include "reports/engine/number_mask.h"
#include "reports/engine/prepare.h"
#include "reports/engine/render.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace testing;
using namespace reports;

Q_DECLARE_METATYPE(std::vector<QStringList>)

namespace {

// A report header with the caption and the column label, the grand total at the end, a page
// footer with the page number.
Layout reportWithTotals()
{
    Layout l;
    l.name = QStringLiteral("Проба");
    Group report;
    report.header.height = 8;
    report.header.cells
        = {captionCell(0, 120).inBold(), labelCell(QStringLiteral("Сумма"), 150, 40)};
    Band totals;
    totals.height = 6;
    totals.frame = Frame::all();
    totals.cells
        = {labelCell(QStringLiteral("Итого:"), 0, 40),
           sumCell(QStringLiteral("v"), 150, 40).withMask(QStringLiteral("#0.00")).overReport()};
    report.footer = totals;
    l.groups.push_back(report);
    l.detail.height = 5;
    l.detail.cells = {fieldCell(QStringLiteral("k"), 10, 40),
                      fieldCell(QStringLiteral("v"), 150, 40).withMask(QStringLiteral("#0.00"))};
    Band footer;
    footer.height = 6;
    footer.cells = {pageNumberCell(150, 40).right()};
    l.pageFooter = footer;
    return l;
}

Group groupOn(const QString &field)
{
    Group g;
    g.keyField = field;
    g.header.height = 5;
    g.header.cells = {fieldCell(field, 0, 60).inBold()};
    Band footer;
    footer.height = 5;
    footer.cells = {labelCell(QStringLiteral("итог ") + field, 60, 60),
                    sumCell(QStringLiteral("v"), 150, 40).withMask(QStringLiteral("#0.00"))};
    g.footer = footer;
    return g;
}

// The report header's caption with the column titles in a band of their own, which the grand
// totals carry when they begin a page; a group kept together over page breaks.
Layout keptTogether()
{
    Layout l = reportWithTotals();
    Band &header = l.groups[0].header;
    header.height = 5;
    header.cells.pop_back();
    Band titles;
    titles.height = 5;
    titles.columnTitles = true;
    titles.cells = {labelCell(QStringLiteral("Сумма"), 150, 40)};
    header.children.push_back(titles);
    l.groups[0].footer->needsColumnTitles = true;
    Group g = groupOn(QStringLiteral("g"));
    g.header.continuedMark = QStringLiteral(" (продолжение)");
    g.header.keepWithNext = true;
    g.footer->keepWithPrevious = true;
    l.groups.push_back(g);
    return l;
}

int countRows(const std::vector<QStringList> &rows, const QStringList &row)
{
    return int(std::count(rows.begin(), rows.end(), row));
}

} // namespace

class TestReportEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Masks round to their places with ties to even on the decimal value the user sees.
    void masks_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::newRow("2.675 up to even 8") << 2.675 << "#0.00"
                                            << "2,68";
        QTest::newRow("2.665 stays on even 6") << 2.665 << "#0.00"
                                               << "2,66";
        QTest::newRow("negative tie") << -2.675 << "#0.00"
                                      << "-2,68";
        QTest::newRow("three places") << 12.0 << "#0.000"
                                      << "12,000";
        QTest::newRow("no decimals, 2.5") << 2.5 << "#0"
                                          << "2";
        QTest::newRow("no decimals, 3.5") << 3.5 << "#0"
                                          << "4";
        QTest::newRow("small negative is zero") << -0.004 << "#0.00"
                                                << "0,00";
        QTest::newRow("below one") << 0.5 << "#0.00"
                                   << "0,50";
        QTest::newRow("thousands") << 1234567.891 << "#,##0.00"
                                   << "1\u00a0234\u00a0567,89";
        QTest::newRow("optional places") << 0.5 << "0.##"
                                         << "0,5";
        QTest::newRow("optional places, whole") << 7.0 << "0.##"
                                                << "7";
        QTest::newRow("negative to zero, optional") << -0.001 << "0.##"
                                                    << "0";
        QTest::newRow("one group exactly") << 1000.0 << "#,##0"
                                           << "1\u00a0000";
        QTest::newRow("required leading zeros") << 5.25 << "000.0"
                                                << "005,2";
        QTest::newRow("no whole digit") << -0.5 << "#.#"
                                        << "-,5";
    }
    void masks()
    {
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, text);
        QCOMPARE(formatMask(value, mask), text);
    }

    // The same rounding for a value held as a numeric, as the server gives it; a field without
    // a mask prints in the general format and a text field ignores the mask.
    void maskedNumericFields()
    {
        MemoryRows rows({"a", "b", "c", "d"});
        rows.add({numeric(2.675), numeric(2.665), numeric(12.50), QStringLiteral("Иванов")});
        Layout l;
        l.detail.height = 5;
        l.detail.cells = {fieldCell(QStringLiteral("a"), 0, 30).withMask(QStringLiteral("#0.00")),
                          fieldCell(QStringLiteral("b"), 30, 30).withMask(QStringLiteral("#0.00")),
                          fieldCell(QStringLiteral("c"), 60, 30),
                          fieldCell(QStringLiteral("d"), 90, 30).withMask(QStringLiteral("#0.00"))};
        const PreparedReport r = prepare(l, rows, QString());
        QCOMPARE(r.pageCount(), 1);
        QCOMPARE(r.pages[0].rows().at(0), (QStringList {"2,68", "2,66", "12,5", "Иванов"}));
    }

    // Keys print once per group; inner subtotals restart after they print; an outer change
    // breaks the inner group too; grand totals run over the whole report.
    void groupsAndSums()
    {
        MemoryRows data({"g", "k", "v"});
        data.add({"Андреев", "сталь", numeric(1.5)})
            .add({"Андреев", "сталь", numeric(2.0)})
            .add({"Андреев", "медь", numeric(3.0)})
            .add({"Борисов", "медь", numeric(4.0)})
            .add({"Борисов", "медь", numeric(0.25)});
        Layout l = reportWithTotals();
        l.groups.push_back(groupOn(QStringLiteral("g")));
        l.groups.push_back(groupOn(QStringLiteral("k")));
        const PreparedReport r = prepare(l, data, QStringLiteral("Заголовок отчета"));
        const auto rows = r.allRows();
        const std::vector<QStringList> expected {
            {"Заголовок отчета", "Сумма"},
            {"Андреев"},
            {"сталь"},
            {"сталь", "1,50"},
            {"сталь", "2,00"},
            {"итог k", "3,50"},
            {"медь"},
            {"медь", "3,00"},
            {"итог k", "3,00"},
            {"итог g", "6,50"},
            {"Борисов"},
            {"медь"},
            {"медь", "4,00"},
            {"медь", "0,25"},
            {"итог k", "4,25"},
            {"итог g", "4,25"},
            {"Итого:", "10,75"},
            {"1"},
        };
        QCOMPARE(rows, expected);
    }

    // No rows: one page with the caption, the header, the grand total 0 and the page number.
    void emptyReportIsOnePage()
    {
        const MemoryRows none({"g", "k", "v"});
        Layout l = reportWithTotals();
        l.groups.push_back(groupOn(QStringLiteral("g")));
        const PreparedReport r = prepare(l, none, QStringLiteral("Пустой период"));
        QCOMPARE(r.pageCount(), 1);
        const std::vector<QStringList> expected {
            {"Пустой период", "Сумма"}, {"Итого:", "0,00"}, {"1"}};
        QCOMPARE(r.pages[0].rows(), expected);
        // The frame of the totals band: four sides.
        QCOMPARE(int(r.pages[0].lines.size()), 4);
    }

    // A group longer than a page goes on over the next pages: its key is printed once, its
    // subtotal covers all its rows, the repeated header and the page number are on every page,
    // and nothing is printed over the page footer.
    void pageBreakInsideLongGroup()
    {
        MemoryRows data({"g", "k", "v"});
        for (int n = 1; n <= 130; ++n)
            data.add({"Длинная группа", QString::number(n), numeric(n)});
        data.add({"Вторая", "131", numeric(1)});
        Layout l = reportWithTotals();
        l.groups[0].repeatOnEveryPage = true;
        l.groups.push_back(groupOn(QStringLiteral("g")));
        const PreparedReport r = prepare(l, data, QStringLiteral("Шапка"));
        // 297 - 20 mm margins - 6 footer - 8 header = 263 mm: 52 lines of 5 mm on each page.
        QVERIFY2(r.pageCount() == 3, qPrintable(QString::number(r.pageCount())));
        const auto rows = r.allRows();
        QCOMPARE(countRows(rows, {"Длинная группа"}), 1);
        QCOMPARE(countRows(rows, {"итог g", "8515,00"}), 1); // 1 + ... + 130
        QCOMPARE(countRows(rows, {"итог g", "1,00"}), 1);
        QCOMPARE(countRows(rows, {"Итого:", "8516,00"}), 1);
        int detailRows = 0;
        for (int p = 0; p < r.pageCount(); ++p) {
            const Page &page = r.pages[size_t(p)];
            const auto pageRows = page.rows();
            QCOMPARE(pageRows.front(), (QStringList {"Шапка", "Сумма"}));
            QCOMPARE(pageRows.back(), QStringList {QString::number(p + 1)});
            for (const TextItem &t : page.texts) {
                if (t.text != QString::number(p + 1))
                    QVERIFY2(t.box.bottom() <= 297 - 10 - 6 + 1e-6, qPrintable(t.text));
            }
            for (const QStringList &row : pageRows)
                detailRows += row.size() == 2 && row[0] != "итог g" && row[0] != "Итого:"
                    && row[0] != "Шапка";
        }
        QCOMPARE(detailRows, 131);
        // The rows go on in order across the break.
        const auto second = r.pages[1].rows();
        QCOMPARE(second.at(1).at(0), QString::number(r.pages[0].rows().size() - 2));
    }

    // Page breaks that keep a group readable. The page body runs from 20 mm (caption and
    // titles) to 281 mm (the page footer), 5 mm a line.
    void pagesKeepGroupsTogether_data()
    {
        QTest::addColumn<int>("first"); // rows of the group "А"
        QTest::addColumn<int>("second"); // rows of the group "Б" after it
        QTest::addColumn<QStringList>("lastOnFirstPage");
        QTest::addColumn<std::vector<QStringList>>("secondPage"); // its first rows
        // 51 rows end at 280 mm: the footer would stand alone at the top of page 2; the last
        // row comes over with it, under its group's name marked as continued.
        QTest::newRow("footer with its last row")
            << 51 << 0 << QStringList {"50", "50,00"}
            << std::vector<QStringList> {{"А (продолжение)"},
                                         {"51", "51,00"},
                                         {"итог g", "1326,00"},
                                         {"Итого:", "1326,00"},
                                         {"2"}};
        // The name of "Б" would be the last line of page 1: it goes over with its first row.
        QTest::newRow("header with its first row")
            << 49 << 3 << QStringList {"итог g", "1225,00"}
            << std::vector<QStringList> {{"Б"},          {"б1", "1,00"},     {"б2", "2,00"},
                                         {"б3", "3,00"}, {"итог g", "6,00"}, {"Итого:", "1231,00"},
                                         {"2"}};
        // The grand totals alone on page 2 under the column titles.
        QTest::newRow("grand totals under the titles")
            << 50 << 0 << QStringList {"итог g", "1275,00"}
            << std::vector<QStringList> {{"Сумма"}, {"Итого:", "1275,00"}, {"2"}};
        QTest::newRow("a group over three pages")
            << 120 << 0 << QStringList {"51", "51,00"}
            << std::vector<QStringList> {{"А (продолжение)"}, {"52", "52,00"}};
    }
    void pagesKeepGroupsTogether()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(QStringList, lastOnFirstPage);
        QFETCH(std::vector<QStringList>, secondPage);
        MemoryRows data({"g", "k", "v"});
        for (int n = 1; n <= first; ++n)
            data.add({"А", QString::number(n), numeric(n)});
        for (int n = 1; n <= second; ++n)
            data.add({"Б", "б" + QString::number(n), numeric(n)});
        const PreparedReport r = prepare(keptTogether(), data, QStringLiteral("Шапка"));
        QVERIFY(r.pageCount() >= 2);
        const auto page1 = r.pages[0].rows();
        QCOMPARE(page1.at(0), QStringList {"Шапка"});
        QCOMPARE(page1.at(1), QStringList {"Сумма"});
        QCOMPARE(page1.at(2), QStringList {"А"});
        QCOMPARE(page1.at(page1.size() - 2), lastOnFirstPage);
        const auto page2 = r.pages[1].rows();
        QVERIFY2(page2.size() >= secondPage.size(), qPrintable(r.pages[1].rowTexts().join('\n')));
        QCOMPARE(std::vector<QStringList>(page2.begin(), page2.begin() + secondPage.size()),
                 secondPage);
        // Every page after the first goes on with the open group's name marked as continued,
        // the name of a group that begins there, or the titles of the grand totals.
        const auto rows = r.allRows();
        for (int p = 1; p < r.pageCount(); ++p) {
            const QStringList top = r.pages[size_t(p)].rows().front();
            QVERIFY2(top == QStringList {"А (продолжение)"} || top == QStringList {"Б"}
                         || top == QStringList {"Сумма"},
                     qPrintable(top.join('|')));
        }
        QCOMPARE(countRows(rows, {"А"}), 1);
        int details = 0;
        for (const QStringList &row : rows)
            details += row.size() == 2 && row[0] != "итог g" && row[0] != "Итого:";
        QCOMPARE(details, first + second);
    }

    // A child band follows its parent; frames come out as lines with their pens.
    void childBandAndFrames()
    {
        MemoryRows data({"v", "k"});
        data.add({1, "строка 1"}).add({2, "строка 2"});
        Layout l;
        l.landscape = true;
        l.marginLeft = 15;
        l.detail.height = 5;
        l.detail.frame = Frame::aboveBelow(PenStyle::GreyDotted);
        l.detail.cells = {fieldCell(QStringLiteral("k"), 0, 40).framed(Frame::sides())};
        Band child;
        child.height = 4;
        child.cells
            = {computedCell([](const Row &r) { return QVariant(r.number("v") * 10); }, 5, 20)};
        l.detail.children.push_back(child);
        const PreparedReport r = prepare(l, data, QString());
        const Page &page = r.pages.at(0);
        QCOMPARE(page.size, QSizeF(297, 210));
        const std::vector<QStringList> expected {{"строка 1"}, {"10"}, {"строка 2"}, {"20"}};
        QCOMPARE(page.rows(), expected);
        QCOMPARE(page.texts.at(0).box, QRectF(15, 10, 40, 5));
        QCOMPARE(page.texts.at(1).box, QRectF(20, 15, 20, 4));
        int dotted = 0, solid = 0;
        for (const LineItem &line : page.lines)
            ++(line.pen == PenStyle::GreyDotted ? dotted : solid);
        QCOMPARE(dotted, 4); // above and below each detail band, across the printable width
        QCOMPARE(solid, 4); // both sides of each name cell
        QCOMPARE(page.lines.at(0).line, QLineF(15, 10, 287, 10));
    }

    void missingFieldIsAnError()
    {
        MemoryRows data({"v"});
        data.add({1});
        Layout l;
        l.detail.height = 5;
        l.detail.cells = {fieldCell(QStringLiteral("nope"), 0, 40)};
        QVERIFY_THROWS_EXCEPTION(db::DbError, prepare(l, data, QString()));
    }

    // The PDF has the prepared pages: pdftotext, a reader that is not ours, finds the texts.
    void pdfReadBack()
    {
        MemoryRows data({"g", "k", "v"});
        for (int n = 1; n <= 70; ++n)
            data.add({"Группа Ёжиков", QString::number(n), numeric(n / 8.0)});
        Layout l = reportWithTotals();
        l.groups[0].repeatOnEveryPage = true;
        l.groups.push_back(groupOn(QStringLiteral("g")));
        const PreparedReport r = prepare(l, data, QStringLiteral("Отчет за период с 01.11.2026"));
        QCOMPARE(r.pageCount(), 2);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("отчет.pdf"));
        QVERIFY(writePdf(r, pdf));
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        const QStringList pages = text.split(QChar(u'\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 2);
        for (const QString &page : pages)
            QVERIFY2(page.contains(QStringLiteral("Отчет за период с 01.11.2026")),
                     qPrintable(page));
        QVERIFY(pages[0].contains(QStringLiteral("Группа Ёжиков")));
        QVERIFY(pages[0].contains(QStringLiteral("0,12"))); // 1/8 = 0,125: the tie goes to even 2
        QVERIFY(pages[1].contains(QStringLiteral("Итого:")));
        QVERIFY(pages[1].contains(QStringLiteral("310,62"))); // 2485/8 = 310,625
        QVERIFY(!pages[0].contains(QStringLiteral("Итого:")));

        // A folder that cannot be written: false, and no file.
        const QString bad = dir.filePath(QStringLiteral("нет/такой/папки/отчет.pdf"));
        QVERIFY(!writePdf(r, bad));
        QVERIFY(!QFile::exists(bad));
    }

    // The image of a page has ink where the texts are and white paper elsewhere.
    void pageImage()
    {
        MemoryRows data({"k", "v"});
        data.add({"Иванов", numeric(1.5)});
        const PreparedReport r = prepare(reportWithTotals(), data, QStringLiteral("Заголовок"));
        const QImage image = renderPageImage(r.pages[0], 96);
        QCOMPARE(image.size(), QSize(794, 1123));
        QCOMPARE(image.pixelColor(5, 5), QColor(Qt::white));
        // The caption starts at the left margin, 10 mm from the top.
        bool ink = false;
        for (int x = 38; x < 120 && !ink; ++x)
            for (int y = 38; y < 68 && !ink; ++y)
                ink = image.pixelColor(x, y).lightness() < 128;
        QVERIFY(ink);
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_report_engine.moc"
