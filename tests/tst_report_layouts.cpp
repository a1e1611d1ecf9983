// The six printed layouts on the demo plant: what a reader sees on the prepared pages (group
// keys once, subtotals and totals against the database's own sums, colour notes, product kind
// texts and the kind filter, the timesheet's header on every page and its 31 day columns, the
// requisition headers), an empty period, the layouts in the registry with the preview seam, and
// the PDF read back.

#include "support/program_fixture.h"
#include "support/test_db.h"

#include "core/forms.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/formats.h"
#include "reports/engine/number_mask.h"
#include "reports/engine/render.h"
#include "reports/layouts/product_summary.h"
#include "reports/layouts/products_detail.h"
#include "reports/layouts/requisitions_report.h"
#include "reports/layouts/timesheet_print.h"
#include "reports/layouts/workers_detail.h"
#include "reports/layouts/workers_summary.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
        QCOMPARE(rows.at(1), (QStringList {"Коробки", "Количество"}));
        QCOMPARE(rows.back(), QStringList {"1"});
        QCOMPARE(rows.at(rows.size() - 2).first(), QStringLiteral("Итого:"));
        QCOMPARE(rows.at(rows.size() - 2).last(), QStringLiteral("13")); // (4-1) + (5-1) + (7-1)
        QCOMPARE(rows.at(rows.size() - 3).last(), QStringLiteral("13")); // the item's subtotal
        for (const QString &kind : column(r, 10 + 8))
            QCOMPARE(kind, QStringLiteral("Готовая продукция"));
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
        QTest::newRow("product summary")
            << 17 << QStringList {"Коробки", "Количество"} << QStringList {"Итого:", "0", "0"};
        QTest::newRow("detailed workers")
            << 20 << QStringList {"Брак", "Количество", "Сумма", "Премия"}
            << QStringList {"Итого:", "0", "0", "0,00"};
        QTest::newRow("detailed products")
            << 21 << QStringList {"Брак", "Коробки", "Кол-во", "Сумма"}
            << QStringList {"Итого:", "0", "0,00", "0", "0,00"};
        QTest::newRow("requisitions") << 25 << QStringList {"Брак", "Номенкл.", "Кол-во", "Сумма"}
                                      << QStringList {"Итого:", "0", "0,00", "0", "0,00"};
    }
    void emptyPeriod()
    {
        QFETCH(int, layout);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, totals);
        std::unique_ptr<ReportLayout> l;
        switch (layout) {
        case 16:
            l = std::make_unique<TForm16>(&m_connection);
            break;
        case 17:
            l = std::make_unique<TForm17>(&m_connection);
            break;
        case 20:
            l = std::make_unique<TForm20>(&m_connection);
            break;
        case 21:
            l = std::make_unique<TForm21>(&m_connection);
            break;
        default:
            l = std::make_unique<TForm25>(&m_connection);
            break;
        }
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
