// The six printed layouts on the demo plant: what a reader sees on the prepared pages (group
// keys once, subtotals and totals against the database's own sums, colour notes, product kind
// texts and the kind filter, the timesheet's header on every page and its 31 day columns, the
// requisition headers), an empty period, a closed query, the layouts in the registry with the
// preview seam and the preview window the start-up registers, and the PDF read back.

#include "support/program_fixture.h"
#include "support/test_db.h"

#include "core/forms.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/formats.h"
#include "reports/engine/number_mask.h"
#include "reports/engine/preview_window.h"
#include "reports/engine/render.h"
#include "reports/layouts/product_summary.h"
#include "reports/layouts/products_detail.h"
#include "reports/layouts/requisitions_report.h"
#include "reports/layouts/timesheet_print.h"
#include "reports/layouts/workers_detail.h"
#include "reports/layouts/workers_summary.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <map>

using namespace testing;
using reports::formatMask;
using reports::PreparedReport;
using Rows = std::vector<QStringList>;

namespace {

const QDate kFrom(2026, 11, 1);
const QDate kTo(2026, 12, 1);
// The joins of the summaries, for the database's own sums over the demo period.
const QString kJoin = QStringLiteral(
    " from accounts_dep.smena s join cmn_contractor.person p on p.id = s.w_id"
    " join accounts_dep.oper o on o.id = s.o_id join accounts_dep.inventory_items ii"
    " on ii.id = s.i_id where s.data >= '2026-11-01' and s.data < '2026-12-01'");

int countRows(const Rows &rows, const QStringList &row)
{
    return int(std::count(rows.begin(), rows.end(), row));
}

// The rows of every page without its page number (the last row), as one run.
Rows bodyRows(const PreparedReport &r)
{
    Rows out;
    for (const reports::Page &p : r.pages) {
        Rows rows = p.rows();
        out.insert(out.end(), rows.begin(), rows.end() - 1);
    }
    return out;
}

QString describe(const Rows &rows)
{
    QStringList out;
    for (const QStringList &r : rows)
        out << r.join(QStringLiteral(" | "));
    return out.join(u'\n');
}

double number(const QString &text)
{
    return text.isEmpty() ? 0 : text.toDouble();
}

// Every text of the report that stands in the column starting at x mm.
QStringList column(const PreparedReport &r, double x)
{
    QStringList out;
    for (const reports::Page &p : r.pages)
        for (const reports::TextItem &t : p.texts)
            if (qAbs(t.box.left() - x) < 1e-6)
                out << t.text;
    return out;
}

// A clone of the demo plant with some rows of a test's own, and a connection to it.
struct DemoWith
{
    explicit DemoWith(const QString &sql)
        : db(TestDatabase::From::Demo)
    {
        db.exec(sql);
        connection.open(db.connectionString());
    }
    TestDatabase db;
    db::Connection connection;
};

// A summary layout by its form number: 16, 17, 20, 21 or 25.
std::unique_ptr<ReportLayout> summary(int number, db::Connection *connection)
{
    switch (number) {
    case 16:
        return std::make_unique<TForm16>(connection);
    case 17:
        return std::make_unique<TForm17>(connection);
    case 20:
        return std::make_unique<TForm20>(connection);
    case 21:
        return std::make_unique<TForm21>(connection);
    default:
        return std::make_unique<TForm25>(connection);
    }
}

// The texts of a page by printed row (same top of box), top to bottom.
std::vector<std::vector<const reports::TextItem *>> itemRows(const reports::Page &page)
{
    std::map<long long, std::vector<const reports::TextItem *>> byTop;
    for (const reports::TextItem &t : page.texts)
        byTop[std::llround(t.box.top() * 100)].push_back(&t);
    std::vector<std::vector<const reports::TextItem *>> out;
    for (auto &[top, items] : byTop)
        out.push_back(items);
    return out;
}

// How wide a text is on paper, mm, in a font set in points.
double widthMm(const QFont &font, const QString &text)
{
    QImage paper(1, 1, QImage::Format_RGB32);
    paper.setDotsPerMeterX(qRound(600 / 0.0254));
    paper.setDotsPerMeterY(qRound(600 / 0.0254));
    return QFontMetricsF(font, &paper).horizontalAdvance(text) * 25.4 / 600;
}

// Where a text's ink lies across the paper, mm from its left edge, as the renderer puts it: in
// the report's font, half a millimetre in from its box, a fitted text no wider than the box.
std::pair<double, double> inkOf(const reports::TextItem &t)
{
    QFont font(t.family);
    font.setBold(t.bold);
    font.setPointSizeF(t.pointSize);
    const QRectF box = t.box.adjusted(0.5, 0, -0.5, 0);
    double width = widthMm(font, t.text);
    if (t.fit)
        width = std::min(width, box.width());
    if (t.alignment & Qt::AlignRight)
        return {box.right() - width, box.right()};
    if (t.alignment & Qt::AlignHCenter)
        return {box.center().x() - width / 2, box.center().x() + width / 2};
    return {box.left(), box.left() + width};
}

QString pdfText(const PreparedReport &r, const QString &path)
{
    if (!reports::writePdf(r, path))
        return QString();
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReportLayouts : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_demo; // read only
    db::Connection m_connection;

    QString scalar(const QString &sql) { return m_demo->scalar(sql); }

    // Fills, opens, prepares and closes as a calling window does.
    static PreparedReport run(ReportLayout &layout, const QDate &from, const QDate &to,
                              int kind = 0, const QString &caption = QStringLiteral("Заголовок"))
    {
        layout.setPeriod(from, to);
        layout.setProductKind(kind);
        layout.query().open();
        layout.setCaption(caption);
        PreparedReport r = layout.prepare();
        layout.query().close();
        return r;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_demo = std::make_unique<TestDatabase>(TestDatabase::From::Demo);
        m_connection.open(m_demo->connectionString());
    }
    void cleanupTestCase()
    {
        m_connection.close();
        m_demo.reset();
    }

    // A worker with two items: the name once, each item with its rows and its own subtotal,
    // then the worker's total, then the next worker; the grand total at the end.
    void workersSummaryGroups()
    {
        const QString worker = scalar(
            QStringLiteral("select p.s_caption") + kJoin
            + QStringLiteral(" group by p.s_caption having count(distinct ii.nom) >= 2 order by 1 "
                             "limit 1"));
        QVERIFY(!worker.isEmpty());
        TForm16 layout(&m_connection);
        const PreparedReport r = run(layout, kFrom, kTo);
        const Rows rows = bodyRows(r);
        QCOMPARE(countRows(rows, {worker}), 1);
        size_t i = size_t(std::find(rows.begin(), rows.end(), QStringList {worker}) - rows.begin());

        db::Dataset items(&m_connection);
        items.setSql(QStringLiteral("select ii.nom, sum(s.kol_vo - s.brak) as kolvo, "
                                    "sum((s.kol_vo - s.brak) * s.cena) as summa, count(distinct "
                                    "(o.naimen, ii.nom, o.vid, s.color)) as n")
                     + kJoin
                     + QStringLiteral(" and p.s_caption = :fio group by ii.nom order by 1"));
        items.params().setText(QStringLiteral("fio"), worker);
        items.open();
        QVERIFY(items.recordCount() >= 2);
        double total = 0;
        for (++i; !items.eof(); items.next()) {
            QCOMPARE(rows.at(i++), QStringList {items.asString("nom")});
            for (int d = 0; d < items.asInteger("n"); ++d, ++i)
                QVERIFY2(rows.at(i).size() >= 4, qPrintable(rows.at(i).join('|')));
            QCOMPARE(rows.at(i++),
                     (QStringList {db::formatGeneral(items.asFloat("kolvo")),
                                   formatMask(items.asFloat("summa"), "#0.000")}));
            total += items.asFloat("summa");
        }
        QCOMPARE(rows.at(i++), QStringList {formatMask(total, "#0.00")});
        QVERIFY(rows.at(i).size() == 1); // the next worker's name

        const double grand
            = scalar(QStringLiteral("select sum((s.kol_vo - s.brak) * s.cena)::float8") + kJoin)
                  .toDouble();
        QVERIFY(grand > 0);
        QCOMPARE(countRows(rows, {"Итого:", formatMask(grand, "#0.00")}), 1);
        QCOMPARE(rows.front(), QStringList {"Заголовок"});
        QCOMPARE(r.allRows().back(), QStringList {QString::number(r.pageCount())});
    }

    // The kind filter of the calling windows: every printed kind text is the chosen one, and
    // as many as the database has rows of that kind.
    void productKind_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("finished");
        QTest::addColumn<int>("blanks");
        const QString rowsOf = QStringLiteral(
            "select count(*) from (select 1 %1 group by p.s_caption, ii.nom, o.naimen, o.vid, "
            "s.color %2) t");
        const int finished
            = scalar(rowsOf.arg(kJoin, QStringLiteral("having o.naimen = 0"))).toInt();
        const int blanks = scalar(rowsOf.arg(kJoin, QStringLiteral("having o.naimen = 1"))).toInt();
        QVERIFY(finished > 0 && blanks > 0);
        QTest::newRow("Все") << 0 << finished << blanks;
        QTest::newRow("Готовая продукция") << 1 << finished << 0;
        QTest::newRow("Заготовки") << 2 << 0 << blanks;
    }
    void productKind()
    {
        QFETCH(int, item);
        QFETCH(int, finished);
        QFETCH(int, blanks);
        TForm16 layout(&m_connection);
        const PreparedReport r = run(layout, kFrom, kTo, item);
        const QStringList kinds = column(r, 10 + 8);
        QCOMPARE(int(kinds.count(QStringLiteral("Готовая продукция"))), finished);
        QCOMPARE(int(kinds.count(QStringLiteral("Заготовки"))), blanks);
        QCOMPARE(int(kinds.size()), finished + blanks);
    }

    // Colour 1 is primer, a colour above 1 its RAL number, none a blank; the product summary
    // adds the boxes and the pieces per item.
    void colourNotes()
    {
        DemoWith demo(QStringLiteral(
            "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, "
            "color) select date '2031-01-10', 1, 1, o.id_inventory_items, o.id, 10, 4 + c, 1, c "
            "from mnf_operation.operation o, unnest(array[0, 1, 3]) c where o.id = (select "
            "min(id) from mnf_operation.operation where id_state = 0)"));
        TForm17 layout(&demo.connection);
        const PreparedReport r = run(layout, QDate(2031, 1, 1), QDate(2031, 2, 1));
        QStringList notes = column(r, 10 + 88);
        notes.sort();
        QCOMPARE(notes, (QStringList {" ", " (RAL: 3)", " (грунт)"}));
        const Rows rows = r.allRows();
        QCOMPARE(rows.at(1), (QStringList {"Кор./шт.", "Коробки", "Количество"}));
        QCOMPARE(rows.back(), QStringList {"1"});
        QCOMPARE(rows.at(rows.size() - 2).first(), QStringLiteral("Итого:"));
        QCOMPARE(rows.at(rows.size() - 2).last(), QStringLiteral("13")); // (4-1) + (5-1) + (7-1)
        QCOMPARE(rows.at(rows.size() - 3).last(), QStringLiteral("13")); // the item's subtotal
        for (const QString &kind : column(r, 10 + 8))
            QCOMPARE(kind, QStringLiteral("Готовая продукция"));
    }

    // Items of one name that differ only in their boxes per piece: within a group no two lines
    // print alike besides their sums ("Коробки", "Количество"), and the boxes per piece stand
    // in their own column, each line's boxes its factor times its pieces.
    void productSummaryLinesApart()
    {
        TForm17 layout(&m_connection);
        const PreparedReport r = run(layout, kFrom, kTo);
        QMap<QString, double> titles; // the column titles by where their boxes begin
        const auto firstPage = itemRows(r.pages[0]);
        for (const reports::TextItem *t : firstPage.at(1))
            titles.insert(t->text, t->box.left());
        QVERIFY2(titles.contains(QStringLiteral("Кор./шт.")),
                 qPrintable(QStringList(titles.keys()).join('|')));
        auto under = [&](const std::vector<const reports::TextItem *> &row, const QString &title) {
            for (const reports::TextItem *t : row)
                if (qAbs(t->box.left() - titles.value(title, -1)) < 1e-6)
                    return t->text;
            return QString();
        };
        auto value = [](QString text) { return text.replace(u',', u'.').toDouble(); };
        QString group;
        int lines = 0, alike = 0;
        QSet<QString> seen, withoutFactor; // the current group's lines, without their sums
        for (const reports::Page &page : r.pages) {
            for (const auto &row : itemRows(page)) {
                if (row.size() == 1 && row.front()->bold && row.front()->box.width() == 190) {
                    group = row.front()->text;
                    seen.clear();
                    withoutFactor.clear();
                    continue;
                }
                // A line: the product kind at the left.
                if (qAbs(row.front()->box.left() - (10 + 8)) > 1e-6 || row.front()->bold)
                    continue;
                ++lines;
                const QString mass = under(row, QStringLiteral("Коробки"));
                const QString pieces = under(row, QStringLiteral("Количество"));
                const QString factor = under(row, QStringLiteral("Кор./шт."));
                QStringList printed;
                for (const reports::TextItem *t : row)
                    printed << t->text;
                printed.removeOne(mass);
                printed.removeOne(pieces);
                const QString line = printed.join('|');
                QVERIFY2(!seen.contains(line), qPrintable(group + ": " + line));
                seen.insert(line);
                printed.removeOne(factor);
                alike += withoutFactor.contains(printed.join('|'));
                withoutFactor.insert(printed.join('|'));
                QVERIFY2(!factor.isEmpty(), qPrintable(line));
                QCOMPARE(value(mass), std::round(value(factor) * value(pieces) * 100) / 100);
            }
        }
        QVERIFY(lines > 5);
        // The demo month has such items: "СТ-1000" and "СТ-2000" of one name.
        QVERIFY(alike > 0);
    }

    // A name longer than the printed timesheet's name column is drawn a little smaller to fit,
    // one far too long ends with "…": pdftotext finds no word of either past the column.
    void timesheetLongNames()
    {
        // The widths of the names at the layout's 8 points, against the column's 68 mm inside.
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(8);
        auto mm = [&](const QString &text) { return widthMm(font, text); };
        const QStringList words {"Задунайский-Константинопольский",
                                 "Вольдемар",
                                 "фон",
                                 "дер",
                                 "Ли",
                                 "Аполлинариевич",
                                 "Младший",
                                 "Второй",
                                 "Третий",
                                 "Четвертый",
                                 "Пятый"};
        QString fitted;
        int w = 0;
        while (mm(fitted) < 68 * 1.05)
            fitted += (fitted.isEmpty() ? "" : " ") + words.at(w++);
        QVERIFY2(mm(fitted) < 68 / 0.8 * 0.97, qPrintable(fitted));
        // Its own first word, to be found apart from the other.
        QString elided
            = QStringLiteral("Константинопольский-Задунайский") + fitted.mid(fitted.indexOf(u' '));
        while (mm(elided) < 68 * 1.6)
            elided += u' ' + words.at(w++);
        DemoWith demo(QStringLiteral("insert into cmn_contractor.person(s_caption, b_employee) "
                                     "values ('%1', true), ('%2', true);"
                                     "insert into accounts_dep.h_tabel(w_id, smena, month, year, "
                                     "d1) select id, 1, 3, 2031, 8 from cmn_contractor.person "
                                     "where s_caption in ('%1', '%2')")
                          .arg(fitted, elided));
        TForm15 layout(&demo.connection);
        layout.setMonth(3, 2031);
        layout.query().open();
        layout.setCaption(QStringLiteral("Март 2031 г."));
        const PreparedReport r = layout.prepare();
        layout.query().close();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("timesheet.pdf"));
        QVERIFY(reports::writePdf(r, pdf));
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        // Words with their places, points from the paper's left edge.
        struct Word
        {
            QString text;
            double left, right, top;
        };
        QList<Word> page;
        const QRegularExpression word(QStringLiteral(
            "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" [^>]*>([^<]*)</word>"));
        for (const auto &m : word.globalMatch(QString::fromUtf8(p.readAllStandardOutput())))
            page << Word {m.captured(4), m.captured(1).toDouble(), m.captured(3).toDouble(),
                          m.captured(2).toDouble()};
        const double columnEnd = (10 + 69) / 25.4 * 72;
        auto printedName = [&](const QString &name) {
            const QString first = name.section(u' ', 0, 0);
            const auto start = std::find_if(page.begin(), page.end(),
                                            [&](const Word &x) { return x.text == first; });
            QStringList out;
            if (start == page.end())
                return out;
            for (auto it = start; it != page.end() && qAbs(it->top - start->top) < 1; ++it) {
                if (it->left > columnEnd)
                    break;
                out << it->text;
                if (it->right > columnEnd + 0.5)
                    out << QStringLiteral("[past the column]");
            }
            return out;
        };
        QCOMPARE(printedName(fitted).join(u' '), fitted);
        const QString shown = printedName(elided).join(u' ');
        QVERIFY2(shown.endsWith(u'…'), qPrintable(shown));
        QVERIFY2(elided.startsWith(shown.chopped(1)), qPrintable(shown));
        QVERIFY(shown.size() > 20);
    }

    // The timesheet: the period label and the days 1 to 31 with "Итого" at the top of every
    // page, every day column printed for a month of 30 days, the row's total, page numbers.
    void timesheetPages()
    {
        DemoWith demo(QStringLiteral(
            "insert into cmn_contractor.person(s_caption, b_employee) select 'Яковлева ' || "
            "lpad(n::text, 2, '0'), true from generate_series(1, 40) n;"
            "insert into accounts_dep.h_tabel(w_id, smena, month, year, d1, d2, d30) select id, "
            "1, 11, 2026, 8, 7, 4 from cmn_contractor.person where s_caption like 'Яковлева %'"));
        TForm15 layout(&demo.connection);
        QCOMPARE(layout.caption(), QStringLiteral("Данные за:"));
        layout.setMonth(11, 2026);
        layout.query().open();
        const int workers = layout.query().recordCount();
        layout.setCaption(QStringLiteral("Ноябрь 2026 г."));
        const PreparedReport r = layout.prepare();
        layout.query().close();
        QVERIFY2(workers > 60, qPrintable(QString::number(workers)));
        QCOMPARE(r.pages.at(0).size, QSizeF(297, 210));
        QVERIFY(r.pageCount() >= 3);

        QStringList header {"Ноябрь 2026 г."};
        for (int d = 1; d <= 31; ++d)
            header << QString::number(d);
        header << QStringLiteral("Итого");
        int details = 0;
        for (int p = 0; p < r.pageCount(); ++p) {
            const Rows rows = r.pages[size_t(p)].rows();
            QCOMPARE(rows.front(), header);
            QCOMPARE(rows.back(), QStringList {QString::number(p + 1)});
            for (size_t i = 1; i + 1 < rows.size(); ++i, ++details) {
                const QStringList &row = rows[i];
                QCOMPARE(row.size(), 33); // name, 31 days, total
                QCOMPARE(row.at(31), QStringLiteral("0")); // 31 November
                double sum = 0;
                for (int d = 1; d <= 31; ++d)
                    sum += number(row.at(d));
                QCOMPARE(row.at(32), db::formatGeneral(sum));
            }
        }
        QCOMPARE(details, workers);
        const QString oneOfThem = QStringLiteral("Яковлева 07");
        QVERIFY(countRows(r.allRows(),
                          QStringList {oneOfThem} << "8"
                                                  << "7" << QStringList(27, QStringLiteral("0"))
                                                  << "4"
                                                  << "0"
                                                  << "19")
                == 1);
        // The day labels are parted by grey dotted lines.
        int dotted = 0;
        for (const reports::LineItem &l : r.pages[0].lines)
            dotted += l.pen == reports::PenStyle::GreyDotted;
        QVERIFY(dotted >= 62);
    }

    // A period without records: one page with the caption, the column labels, "Итого:" with
    // zeros and the page number.
    void emptyPeriod_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("totals");
        QTest::newRow("workers summary") << 16 << QStringList() << QStringList {"Итого:", "0,00"};
        QTest::newRow("product summary") << 17 << QStringList {"Кор./шт.", "Коробки", "Количество"}
                                         << QStringList {"Итого:", "0", "0"};
        QTest::newRow("detailed workers")
            << 20 << QStringList {"Брак", "Количество", "Сумма", "Премия"}
            << QStringList {"Итого:", "0", "0", "0,00"};
        QTest::newRow("detailed products")
            << 21 << QStringList {"Брак", "Коробки", "Кол-во", "Сумма"}
            << QStringList {"Итого:", "0", "0,00", "0", "0,00"};
        QTest::newRow("requisitions")
            << 25 << QStringList {"Брак", "Номенкл.", "Коробки", "Кол-во", "Сумма"}
            << QStringList {"Итого:", "0", "0,00", "0", "0,00"};
    }
    void emptyPeriod()
    {
        QFETCH(int, layout);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, totals);
        const std::unique_ptr<ReportLayout> l = summary(layout, &m_connection);
        const QString caption = QStringLiteral("   Отчет за период с 01.06.2031 по 01.07.2031");
        const PreparedReport r = run(*l, QDate(2031, 6, 1), QDate(2031, 7, 1), 0, caption);
        QCOMPARE(r.pageCount(), 1);
        Rows expected {{caption}};
        if (!labels.isEmpty())
            expected.push_back(labels);
        expected.push_back(totals);
        expected.push_back({"1"});
        QCOMPARE(r.pages[0].rows(), expected);
    }

    // One worker, one item and one requisition in a period, a row per colour. The workers
    // summary goes on to page 2 under the worker's and the item's names marked as continued;
    // the requisition's subtotal comes over with its last row under the continued number; the
    // product summary's grand totals, alone on page 2, stand under the column titles.
    void pageBreaks_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<int>("colours");
        // Page 2's first rows, each the start of a row's texts joined by " | ": %1 the worker,
        // %2 the item's name, %3 its mark.
        QTest::addColumn<QStringList>("top");
        QTest::newRow("workers summary")
            << 16 << 70 << QStringList {"%1 (продолжение)", "%2 (продолжение)"};
        QTest::newRow("requisitions")
            << 25 << 50 << QStringList {"ЗВП-950 (продолжение)", "%3 | ", "0 | "};
        QTest::newRow("product summary")
            << 17 << 49 << QStringList {"Кор./шт. | Коробки | Количество", "Итого: | "};
    }
    void pageBreaks()
    {
        QFETCH(int, layout);
        QFETCH(int, colours);
        QFETCH(QStringList, top);
        DemoWith demo(
            QStringLiteral("insert into mnf_doc.doc(s_number) values ('ЗВП-950');"
                           "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, "
                           "kol_vo, brak, color, id_doc) select date '2031-03-10', 1, (select "
                           "min(id) from cmn_contractor.person where b_employee), "
                           "o.id_inventory_items, o.id, 2, 10, 0, c, (select id from mnf_doc.doc "
                           "where s_number = 'ЗВП-950') from mnf_operation.operation o, "
                           "generate_series(2, %1 + 1) c where o.id = (select min(id) from "
                           "mnf_operation.operation)")
                .arg(colours));
        const QString worker = demo.db.scalar(QStringLiteral(
            "select s_caption from cmn_contractor.person where b_employee order by id limit 1"));
        const QString item = QStringLiteral(
            "select %1 from accounts_dep.inventory_items where id = (select id_inventory_items "
            "from mnf_operation.operation order by id limit 1)");
        const QString nom = demo.db.scalar(item.arg(QStringLiteral("nom")));
        const QString marka = demo.db.scalar(item.arg(QStringLiteral("marka")));
        const std::unique_ptr<ReportLayout> l = summary(layout, &demo.connection);
        const PreparedReport r = run(*l, QDate(2031, 3, 1), QDate(2031, 4, 1));
        QCOMPARE(r.pageCount(), 2);
        const QStringList page2 = r.pages[1].rowTexts();
        QTemporaryDir dir;
        const QString pdf = pdfText(r, dir.filePath(QStringLiteral("report.pdf")));
        const QStringList pdfPages = pdf.split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(int(pdfPages.size()), 2);
        for (int i = 0; i < top.size(); ++i) {
            const QString expected
                = QString(top[i]).replace("%1", worker).replace("%2", nom).replace("%3", marka);
            QVERIFY2(page2.at(i).startsWith(expected), qPrintable(page2.join('\n')));
            // The PDF's page 2 has the texts in the same order.
            const QString first = expected.section(QStringLiteral(" | "), 0, 0);
            if (!first.isEmpty())
                QVERIFY2(pdfPages[1].contains(first), qPrintable(pdfPages[1]));
        }
        // The group's key prints plain once, on page 1.
        const QString key = layout == 16 ? worker : layout == 25 ? QStringLiteral("ЗВП-950") : nom;
        QCOMPARE(countRows(r.pages[0].rows(), {key}), 1);
        QCOMPARE(countRows(r.allRows(), {key}), 1);
    }

    // Every printed row of the five summaries on the demo month: no two texts touch, at least
    // 1.5 mm of paper between them.
    void roomBetweenTexts_data()
    {
        QTest::addColumn<int>("layout");
        QTest::newRow("workers summary") << 16;
        QTest::newRow("product summary") << 17;
        QTest::newRow("detailed workers") << 20;
        QTest::newRow("detailed products") << 21;
        QTest::newRow("requisitions") << 25;
    }
    void roomBetweenTexts()
    {
        QFETCH(int, layout);
        const std::unique_ptr<ReportLayout> l = summary(layout, &m_connection);
        const PreparedReport r = run(*l, kFrom, kTo);
        int rows = 0;
        for (const reports::Page &page : r.pages) {
            for (auto row : itemRows(page)) {
                ++rows;
                std::sort(row.begin(), row.end(), [](const auto *a, const auto *b) {
                    return inkOf(*a).first < inkOf(*b).first;
                });
                for (size_t i = 1; i < row.size(); ++i) {
                    const double gap = inkOf(*row[i]).first - inkOf(*row[i - 1]).second;
                    QVERIFY2(gap >= 1.5,
                             qPrintable(QStringLiteral("«%1» and «%2»: %3 mm")
                                            .arg(row[i - 1]->text, row[i]->text)
                                            .arg(gap)));
                }
            }
        }
        QVERIFY(rows > 20);
    }

    // The requisitions report: the rejects, boxes, pieces and amounts of every subtotal and of
    // the grand total stand under "Брак", "Коробки", "Кол-во" and "Сумма".
    void requisitionColumns()
    {
        TForm25 layout(&m_connection);
        const PreparedReport r = run(layout, kFrom, kTo);
        QMap<QString, QRectF> titles;
        for (const reports::TextItem &t : r.pages[0].texts)
            if (t.bold && qAbs(t.box.top() - r.pages[0].texts[0].box.bottom()) < 1e-6)
                titles.insert(t.text, t.box);
        const QStringList under {"Брак", "Коробки", "Кол-во", "Сумма"};
        for (const QString &title : under)
            QVERIFY2(titles.contains(title), qPrintable(QStringList(titles.keys()).join('|')));
        int totals = 0;
        for (const reports::Page &page : r.pages) {
            for (auto row : itemRows(page)) {
                std::sort(row.begin(), row.end(), [](const auto *a, const auto *b) {
                    return a->box.left() < b->box.left();
                });
                if (row.front()->text == QStringLiteral("Итого:"))
                    row.erase(row.begin());
                // A subtotal or the grand total: four bold numbers.
                if (row.size() != 4 || !std::all_of(row.begin(), row.end(), [](const auto *t) {
                        return t->bold && t->text.front().isDigit();
                    }))
                    continue;
                ++totals;
                for (int i = 0; i < 4; ++i) {
                    const auto [left, right] = inkOf(*row[size_t(i)]);
                    const QRectF column = titles.value(under[i]);
                    QVERIFY2(left >= column.left() && right <= column.right(),
                             qPrintable(row[size_t(i)]->text + " / " + under[i]));
                }
            }
        }
        QVERIFY(totals > 3);
    }

    void emptyMonthTimesheet()
    {
        TForm15 layout(&m_connection);
        layout.setMonth(2, 2031);
        layout.query().open();
        layout.setCaption(QStringLiteral("Февраль 2031 г."));
        const PreparedReport r = layout.prepare();
        layout.query().close();
        QCOMPARE(r.pageCount(), 1);
        const Rows rows = r.pages[0].rows();
        QCOMPARE(int(rows.size()), 2);
        QCOMPARE(rows.front().size(), 33);
        QCOMPARE(rows.back(), QStringList {"1"});
    }

    // The detailed workers' footer: the worker's sums, then "Итог:" with pay and bonus; the
    // grand totals equal the database's sums.
    void detailedWorkers()
    {
        const QString worker = scalar(QStringLiteral("select min(p.s_caption)") + kJoin
                                      + QStringLiteral(" and s.prize > 0"));
        QVERIFY(!worker.isEmpty());
        const QString sums
            = QStringLiteral("select sum(s.brak)::text || ';' || sum(s.kol_vo)::text || ';' || "
                             "sum((s.kol_vo - s.brak) * s.cena)::text || ';' || "
                             "sum(s.prize * (s.kol_vo - s.brak) * s.cena / 100)::text");
        const QStringList w
            = scalar(sums + kJoin + QStringLiteral(" and p.s_caption = '%1'").arg(worker))
                  .split(u';');
        const QStringList all = scalar(sums + kJoin).split(u';');
        TForm20 layout(&m_connection);
        const PreparedReport r = run(layout, kFrom, kTo);
        const Rows rows = r.allRows();
        const auto at = std::find(rows.begin(), rows.end(), QStringList {worker});
        QVERIFY(at != rows.end());
        const QStringList footer {db::formatGeneral(number(w[0])), db::formatGeneral(number(w[1])),
                                  formatMask(number(w[2]), "#0.00"),
                                  formatMask(number(w[3]), "#0.00")};
        const auto f = std::find(at, rows.end(), footer);
        QVERIFY2(f != rows.end(), qPrintable(footer.join('|') + "\n" + describe(rows)));
        QCOMPARE(*(f + 1),
                 (QStringList {"Итог:", formatMask(number(w[2]) + number(w[3]), "#0.00")}));
        QCOMPARE(
            countRows(rows,
                      {"Итого:", db::formatGeneral(number(all[0])),
                       db::formatGeneral(number(all[1])), formatMask(number(all[2]), "#0.00")}),
            1);
    }

    // The detailed products query: the period, the kind filter, one group per item name in
    // one piece, totals equal to the database's.
    void detailedProducts_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("condition");
        QTest::newRow("Все") << 0 << QString();
        QTest::newRow("Готовая продукция") << 1 << QStringLiteral(" and o.naimen = 0");
        QTest::newRow("Заготовки") << 2 << QStringLiteral(" and o.naimen = 1");
    }
    void detailedProducts()
    {
        QFETCH(int, item);
        QFETCH(QString, condition);
        TForm21 layout(&m_connection);
        const PreparedReport r = run(layout, kFrom, kTo, item);
        const Rows rows = r.allRows();
        const QStringList noms
            = scalar(QStringLiteral("select string_agg(distinct ii.nom, ';')") + kJoin + condition)
                  .split(u';');
        QVERIFY(!noms.isEmpty());
        for (const QString &nom : noms)
            QCOMPARE(countRows(rows, {nom}), 1);
        const QStringList all
            = scalar(QStringLiteral("select sum(s.brak)::text || ';' || sum(s.kol_vo)::text || ';' "
                                    "|| sum((s.kol_vo - s.brak) * s.cena)::text")
                     + kJoin + condition)
                  .split(u';');
        const QStringList &totals = rows.at(rows.size() - 2);
        QCOMPARE(totals.size(), 5);
        QCOMPARE(totals.at(0), QStringLiteral("Итого:"));
        QCOMPARE(totals.at(1), db::formatGeneral(number(all[0])));
        QCOMPARE(totals.at(3), db::formatGeneral(number(all[1])));
        QCOMPARE(totals.at(4), formatMask(number(all[2]), "#0.00"));
        const QStringList kinds = column(r, 10 + 74);
        QVERIFY(!kinds.isEmpty());
        QCOMPARE(kinds.contains(QStringLiteral("Заготовки")), item != 1);
        QCOMPARE(kinds.contains(QStringLiteral("Готовая продукция")), item != 2);
    }

    // Requisitions: the header names the requisition; two requisitions that begin with the
    // same item are two groups with their own subtotals.
    void requisitionHeaders()
    {
        DemoWith demo(QStringLiteral(
            "insert into mnf_doc.doc(s_number) values ('ЗВП-901'), ('ЗВП-902');"
            "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, "
            "id_doc) select date '2031-02-10', 1, 1, o.id_inventory_items, o.id, 10, v.q, 0, d.id "
            "from (values ('ЗВП-901', 1, 5), ('ЗВП-902', 1, 7), ('ЗВП-902', 2, 11)) v(num, "
            "which, q) join mnf_doc.doc d on d.s_number = v.num join lateral (select o.* from "
            "mnf_operation.operation o join cmn_inventory_items.inventory_items ii on ii.id = "
            "o.id_inventory_items where ii.id_nom = (select (array_agg(distinct ii2.id_nom order "
            "by ii2.id_nom))[v.which] from mnf_operation.operation o2 join "
            "cmn_inventory_items.inventory_items ii2 on ii2.id = o2.id_inventory_items) order by "
            "o.id limit 1) o on true"));
        TForm25 layout(&demo.connection);
        const PreparedReport r = run(layout, QDate(2031, 2, 1), QDate(2031, 3, 1));
        const Rows rows = r.allRows();
        QCOMPARE(countRows(rows, {"ЗВП-901"}), 1);
        QCOMPARE(countRows(rows, {"ЗВП-902"}), 2);
        // Subtotal rows: rejects, boxes, pieces, amount.
        QStringList sums;
        for (const QStringList &row : rows)
            if (row.size() == 4 && row.at(0) == "0")
                sums << row.at(2) + '/' + row.at(3);
        QCOMPARE(sums.size(), 3);
        QCOMPARE(sums.at(0), QStringLiteral("5/50,00")); // ЗВП-901 alone
        sums.sort();
        QCOMPARE(sums, (QStringList {"11/110,00", "5/50,00", "7/70,00"}));
        QVERIFY(rows.at(rows.size() - 2).contains(QStringLiteral("230,00")));
    }

    // Created at start-up and kept in the registry; the caller's road ends in the preview seam.
    void registryAndPreview()
    {
        ProgramFixture p;
        QVERIFY(p.start());
        Forms &f = forms();
        const QList<QPair<ReportLayout *, QString>> all {
            {f.timesheetPrint, "TForm15"}, {f.workersSummary, "TForm16"},
            {f.productSummary, "TForm17"}, {f.workersDetail, "TForm20"},
            {f.productsDetail, "TForm21"}, {f.requisitionsReport, "TForm25"}};
        for (const auto &[layout, name] : all) {
            QVERIFY(layout);
            QCOMPARE(QString::fromLatin1(layout->metaObject()->className()), name);
        }
        ReportLayout *l = f.workersSummary;
        const QString caption
            = QStringLiteral("   Отчет по рабочим за период с 01.11.2026 по 01.12.2026");
        run(*l, kFrom, kTo, 0, caption);
        l->preview();
        QCOMPARE(p.seams.previews.count(), 1);
        const PreparedReport shown = p.seams.previews.last();
        QCOMPARE(shown.pageCount(), l->prepared().pageCount());
        QCOMPARE(shown.allRows(), l->prepared().allRows());
        QCOMPARE(shown.allRows().front(), QStringList {caption});
        QVERIFY(!l->query().isOpen());

        // Without the test's recorder the road ends in the preview window that the start-up
        // registered, shown modally with the same pages.
        ui::setReportPreviewSeam(nullptr);
        QString title;
        Rows windowRows;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto *w = qobject_cast<reports::PreviewWindow *>(QApplication::activeModalWidget());
            if (!w)
                return;
            poll.stop();
            title = w->windowTitle();
            windowRows = w->report().allRows();
            w->reject();
        });
        poll.start();
        l->preview();
        poll.stop();
        QCOMPARE(title, QStringLiteral("Предварительный просмотр — ") + l->prepared().title);
        QCOMPARE(windowRows, l->prepared().allRows());
    }

    // A query the caller has closed is an error, not an empty report.
    void closedQueryIsAnError()
    {
        TForm16 layout(&m_connection);
        run(layout, kFrom, kTo);
        QVERIFY(!layout.query().isOpen());
        QVERIFY_THROWS_EXCEPTION(db::DbError, layout.prepare());
    }

    // The PDF of the workers summary: the same pages, read by pdftotext.
    void workersSummaryPdf()
    {
        TForm16 layout(&m_connection);
        const QString caption
            = QStringLiteral("   Отчет по рабочим за период с 01.11.2026 по 01.12.2026");
        const PreparedReport r = run(layout, kFrom, kTo, 0, caption);
        QTemporaryDir dir;
        const QString text = pdfText(r, dir.filePath(QStringLiteral("workers.pdf")));
        const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
        QCOMPARE(int(pages.size()), r.pageCount());
        QVERIFY(pages.first().contains(caption.trimmed()));
        const Rows rows = r.allRows();
        const QStringList &totals = rows.at(rows.size() - 2);
        QVERIFY(pages.last().contains(QRegularExpression(
            QStringLiteral("Итого:\\s+") + QRegularExpression::escape(totals.at(1)))));
        for (int p = 0; p < r.pageCount(); ++p) {
            const Rows pageRows = r.pages[size_t(p)].rows();
            for (const QStringList &row : pageRows)
                QVERIFY2(pages[p].simplified().contains(row.first().simplified()),
                         qPrintable(row.first()));
        }
    }
};

QTEST_MAIN(TestReportLayouts)
#include "tst_report_layouts.moc"
