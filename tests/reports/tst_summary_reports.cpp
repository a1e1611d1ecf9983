// The summary reports window: the opening's default period, the product kind kept between
// openings, the previews titled with their period, and the product export read back from the
// saved workbook, its columns fitted and its place told in the window.

#include "support/report_fixture.h"
#include "support/xlsx_reader.h"

#include "core/forms.h"
#include "reports/layouts/product_summary.h"
#include "reports/layouts/products_detail.h"
#include "reports/layouts/requisitions_report.h"
#include "reports/layouts/workers_detail.h"
#include "reports/layouts/workers_summary.h"
#include "reports/summary_reports_window.h"

#include <QDateEdit>
#include <QFontMetricsF>
#include <QImage>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace reptest;

namespace {

const QDate kFrom(2021, 3, 1);
const QDate kTo(2021, 4, 1);

// Opens the window from the journal's menu; `inside` drives it while shown.
void openSummary(Program &p, const std::function<void(TForm18 *)> &inside)
{
    p.modal().script<TForm18>([&](TForm18 *w) {
        inside(w);
        return int(QDialog::Rejected);
    });
    p.journal()->N10Click();
    QCOMPARE(p.modal().pending(QStringLiteral("TForm18")), 0);
}

void choose(TForm18 *w, const QDate &from, const QDate &to, int kind)
{
    w->DTPicker1->setDate(from);
    w->DTPicker2->setDate(to);
    w->RadioGroup1->item(kind)->click();
}

// The export of the window with the period and kind chosen; returns the saved file.
QString exportProducts(Program &p, const QDate &from, const QDate &to, int kind,
                       QStringList *captions = nullptr)
{
    const qsizetype before = p.p.seams.spreadsheets.opened().size();
    openSummary(p, [&](TForm18 *w) {
        choose(w, from, to, kind);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        Captions seen(w->Button6);
        QTest::mouseClick(w->Button6, Qt::LeftButton);
        if (captions)
            *captions = seen.shown;
    });
    const QStringList opened = p.p.seams.spreadsheets.opened();
    return opened.size() == before + 1 ? opened.last() : QString();
}

struct Expected
{
    QString nom, operation, kind;
    double mass;
    int count;
};

} // namespace

class TestSummaryReports : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout();
    void defaultPeriod_data();
    void defaultPeriod();
    void keepsProductKind();
    void previews_data();
    void previews();
    void titleNamesProductKind_data();
    void titleNamesProductKind();
    void previewTitleNamesPeriod_data();
    void previewTitleNamesPeriod();
    void previewOfPartsOnly();
    void exportRows_data();
    void exportRows();
    void exportOfEmptyPeriod();
    void exportCountsRows();
    void exportToUnwritableFolder();
};

void TestSummaryReports::layout()
{
    Program p;
    p.in();
    TForm18 *w = forms().summaryReports;
    QCOMPARE(w->GroupBox1->title(), QStringLiteral("Период отбора"));
    QVERIFY(w->GroupBox1->font().bold());
    QVERIFY(w->RadioGroup1->font().bold());
    const QStringList kinds {"Все", "Готовая продукция", "Заготовки"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w->RadioGroup1->item(i)->text(), kinds[i]);
    const std::pair<QPushButton *, QString> buttons[]
        = {{w->Button4, "Отчет по рабочим"},           {w->Button2, "Отчет по продукции"},
           {w->Button1, "Детальный отчет по рабочим"}, {w->Button3, "Детальный отчет по продукции"},
           {w->Button7, "Детальный отчет по заявкам"}, {w->Button5, "Выход"}};
    int y = -1;
    for (const auto &[b, text] : buttons) {
        QCOMPARE(b->text(), text);
        // Top to bottom in this order once laid out.
        w->adjustSize();
        QVERIFY(b->geometry().y() > y);
        y = b->geometry().y();
    }
}

void TestSummaryReports::defaultPeriod_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("10 January") << QDate(2021, 1, 10) << QDate(2020, 12, 1) << QDate(2021, 1, 1);
    QTest::newRow("10 March") << QDate(2021, 3, 10) << QDate(2021, 2, 1) << QDate(2021, 3, 1);
    QTest::newRow("31 December") << QDate(2026, 12, 31) << QDate(2026, 11, 1) << QDate(2026, 12, 1);
}

void TestSummaryReports::defaultPeriod()
{
    QFETCH(QDate, today);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    Program p(today);
    p.in();
    QDate shownFrom, shownTo;
    p.modal().script<TForm18>([&](TForm18 *w) {
        shownFrom = w->DTPicker1->date();
        shownTo = w->DTPicker2->date();
        // A period the user changes is not kept for the next opening.
        w->DTPicker1->setDate(QDate(2000, 1, 1));
        return int(QDialog::Rejected);
    });
    p.journal()->N10Click();
    QCOMPARE(shownFrom, from);
    QCOMPARE(shownTo, to);
    p.modal().script<TForm18>([&](TForm18 *w) {
        shownFrom = w->DTPicker1->date();
        QTest::mouseClick(w->Button5, Qt::LeftButton);
        return w->result();
    });
    p.journal()->N10Click();
    QCOMPARE(shownFrom, from);
    QVERIFY(p.messages().shown().isEmpty());
}

void TestSummaryReports::keepsProductKind()
{
    Program p;
    p.in();
    TForm18 *w = forms().summaryReports;
    QCOMPARE(w->windowTitle(), QStringLiteral("Отчеты"));
    QCOMPARE(w->RadioGroup1->title(), QStringLiteral("Вид продукции"));
    QCOMPARE(w->RadioGroup1->itemIndex(), 0);
    QCOMPARE(w->Button6->text(), QStringLiteral("Excel (0 из 0)"));
    p.modal().script<TForm18>([&](TForm18 *f) {
        f->RadioGroup1->item(2)->click();
        QTest::keyClick(f, Qt::Key_Escape);
        return f->result();
    });
    p.journal()->N10Click();
    int kept = -1;
    p.modal().script<TForm18>([&](TForm18 *f) {
        kept = f->RadioGroup1->itemIndex();
        return int(QDialog::Rejected);
    });
    p.journal()->N10Click();
    QCOMPARE(kept, 2);
}

void TestSummaryReports::previews_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    for (const auto &[button, name] : {std::pair {"Button4", "Отчет по рабочим"},
                                       {"Button2", "Отчет по продукции"},
                                       {"Button1", "Детальный отчет по рабочим"},
                                       {"Button3", "Детальный отчет по продукции"},
                                       {"Button7", "Детальный отчет по заявкам"}})
        QTest::newRow(name) << button << QString::fromUtf8(name);
}

void TestSummaryReports::previews()
{
    QFETCH(QString, button);
    QFETCH(QString, title);
    const QString caption = QStringLiteral("   ") + title + QStringLiteral(" за период с ");
    Program p(QDate(2026, 12, 10));
    p.in();
    // The demo plant's November, its default period; a record on the end day stays out, one
    // on the first day (a colour of its own, 613 pieces) is counted.
    const int late = p.addRecord({QDate(2026, 12, 1), 1, p.worker(0), 8, 0, 777, 0, 1});
    const int first = p.addRecord({QDate(2026, 11, 1), 1, p.worker(1), 8, 0, 613, 0, 1, 4321});
    p.exec(QStringLiteral("update accounts_dep.smena set id_doc = (select min(id) from "
                          "mnf_doc.doc) where id in (%1, %2)")
               .arg(late)
               .arg(first));
    openSummary(p, [&](TForm18 *w) {
        QTest::mouseClick(w->findChild<QPushButton *>(button), Qt::LeftButton);
    });
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    QCOMPARE(p.p.seams.previews.count(), 1);
    const reports::PreparedReport r = p.p.seams.previews.last();
    QVERIFY(r.pageCount() >= 1);
    QVERIFY2(r.pages.front().hasText(caption + "01.11.2026 по 01.12.2026"),
             qPrintable(r.pages.front().rowTexts().join('\n')));
    // The preview's caption and the PDF's name: the report and its month.
    QCOMPARE(r.title, title + QStringLiteral(" ноябрь 2026"));
    bool lateShown = false;
    for (const reports::Page &page : r.pages)
        lateShown = lateShown || page.rowTexts().join('\n').contains(QStringLiteral("777"));
    QVERIFY(!lateShown);
    bool firstShown = false;
    for (const QStringList &row : r.allRows())
        firstShown = firstShown
            || (row.contains(QStringLiteral("613"))
                && !row.filter(QStringLiteral("4321")).isEmpty());
    QVERIFY2(firstShown, qPrintable(r.pages.front().rowTexts().join('\n')));
    // The demo month has records: the report is not empty.
    QVERIFY(r.allRows().size() > 5);
    for (ReportLayout *l : std::initializer_list<ReportLayout *> {
             forms().workersSummary, forms().productSummary, forms().workersDetail,
             forms().productsDetail, forms().requisitionsReport})
        QVERIFY(!l->query().isOpen());
}

// With a product kind chosen, the title of every summary names it after the period.
void TestSummaryReports::titleNamesProductKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("named");
    QTest::newRow("Все") << 0 << QString();
    QTest::newRow("Готовая продукция") << 1 << QStringLiteral(" — Готовая продукция");
    QTest::newRow("Заготовки") << 2 << QStringLiteral(" — Заготовки");
}

void TestSummaryReports::titleNamesProductKind()
{
    QFETCH(int, kind);
    QFETCH(QString, named);
    Program p(QDate(2026, 12, 10));
    p.in();
    const std::pair<const char *, QString> buttons[]
        = {{"Button4", "   Отчет по рабочим за период с "},
           {"Button2", "   Отчет по продукции за период с "},
           {"Button1", "   Детальный отчет по рабочим за период с "},
           {"Button3", "   Детальный отчет по продукции за период с "},
           {"Button7", "   Детальный отчет по заявкам за период с "}};
    openSummary(p, [&](TForm18 *w) {
        w->RadioGroup1->item(kind)->click();
        for (const auto &[button, title] : buttons) {
            QTest::mouseClick(w->findChild<QPushButton *>(button), Qt::LeftButton);
            const reports::Page page = p.p.seams.previews.last().pages.front();
            QVERIFY2(page.rows().front()
                         == QStringList {title + "01.11.2026 по 01.12.2026" + named},
                     qPrintable(page.rowTexts().join('\n')));
            // Printed whole: the title is as wide as its box allows at most.
            const reports::TextItem &caption = page.texts.front();
            QFont font(caption.family);
            font.setBold(caption.bold);
            font.setPointSizeF(caption.pointSize);
            QImage paper(1, 1, QImage::Format_RGB32);
            paper.setDotsPerMeterX(qRound(600 / 0.0254));
            paper.setDotsPerMeterY(qRound(600 / 0.0254));
            const double mm
                = QFontMetricsF(font, &paper).horizontalAdvance(caption.text) * 25.4 / 600;
            QVERIFY2(mm < caption.box.width() - 1, qPrintable(QString::number(mm)));
        }
    });
    QCOMPARE(p.p.seams.previews.count(), 5);
}

// A period other than a calendar month is named by its first and last day ("по" is excluded).
void TestSummaryReports::previewTitleNamesPeriod_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("title");
    QTest::newRow("half a month") << QDate(2026, 11, 1) << QDate(2026, 11, 16)
                                  << "Отчет по рабочим 01.11.2026 – 15.11.2026";
    QTest::newRow("two months") << QDate(2026, 10, 1) << QDate(2026, 12, 1)
                                << "Отчет по рабочим 01.10.2026 – 30.11.2026";
    QTest::newRow("one day") << QDate(2026, 11, 5) << QDate(2026, 11, 6)
                             << "Отчет по рабочим 05.11.2026";
    QTest::newRow("December") << QDate(2026, 12, 1) << QDate(2027, 1, 1)
                              << "Отчет по рабочим декабрь 2026";
}

void TestSummaryReports::previewTitleNamesPeriod()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, title);
    Program p(QDate(2026, 12, 10));
    p.in();
    openSummary(p, [&](TForm18 *w) {
        choose(w, from, to, 0);
        QTest::mouseClick(w->Button4, Qt::LeftButton);
    });
    QCOMPARE(p.p.seams.previews.count(), 1);
    QCOMPARE(p.p.seams.previews.last().title, title);
}

void TestSummaryReports::previewOfPartsOnly()
{
    Program p(QDate(2026, 12, 10));
    p.in();
    QStringList all, parts;
    openSummary(p, [&](TForm18 *w) {
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        all = p.p.seams.previews.last().pages.front().rowTexts();
        w->RadioGroup1->item(2)->click();
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        parts = p.p.seams.previews.last().pages.front().rowTexts();
    });
    QVERIFY(all.join('\n').contains(QStringLiteral("Готовая продукция")));
    QVERIFY(all.join('\n').contains(QStringLiteral("Заготовки")));
    QVERIFY(!parts.join('\n').contains(QStringLiteral("Готовая продукция")));
    QVERIFY(parts.join('\n').contains(QStringLiteral("Заготовки")));
}

void TestSummaryReports::exportRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("Все") << 0;
    QTest::newRow("Готовая продукция") << 1;
    QTest::newRow("Заготовки") << 2;
}

void TestSummaryReports::exportRows()
{
    QFETCH(int, kind);
    Program p(QDate(2021, 4, 10));
    p.in();
    const int finished = p.count("select min(id) from mnf_operation.operation where id_state = 0");
    const int part = p.count("select min(id) from mnf_operation.operation where id_state = 1");
    p.addRecord({QDate(2021, 3, 1), 1, p.worker(0), 8, finished, 10, 1, 2, 0});
    p.addRecord({QDate(2021, 3, 2), 2, p.worker(1), 8, finished, 5, 0, 2, 0});
    p.addRecord({QDate(2021, 3, 2), 1, p.worker(0), 8, finished, 3, 0, 2, 1});
    p.addRecord({QDate(2021, 3, 31), 1, p.worker(0), 8, finished, 4, 0, 2, 7});
    p.addRecord({QDate(2021, 3, 5), 3, p.worker(2), 8, part, 30, 2, 1, 0});
    // The day of "по" and the day before "с" are not in the period.
    p.addRecord({QDate(2021, 4, 1), 1, p.worker(0), 8, part, 100, 0, 1, 0});
    p.addRecord({QDate(2021, 2, 28), 1, p.worker(0), 8, part, 100, 0, 1, 0});

    auto item = [&](int operation, const char *what) {
        return p.scalar(QStringLiteral("select %1 from accounts_dep.inventory_items ii join "
                                       "mnf_operation.operation o on o.id_inventory_items = ii.id "
                                       "where o.id = %2")
                            .arg(QLatin1String(what))
                            .arg(operation));
    };
    auto vid = [&](int operation) {
        return p.scalar(QStringLiteral("select ot.s_caption from mnf_operation.operation_type ot "
                                       "join mnf_operation.operation o on o.id_type = ot.id where "
                                       "o.id = %1")
                            .arg(operation));
    };
    const double fMass = item(finished, "massa").toDouble();
    const double pMass = item(part, "massa").toDouble();
    QList<Expected> all {
        {item(finished, "nom"), vid(finished), "Готовая продукция", fMass * 14, 14},
        {item(finished, "nom"), vid(finished) + " (грунт)", "Готовая продукция", fMass * 3, 3},
        {item(finished, "nom"), vid(finished) + " (цвет: 7)", "Готовая продукция", fMass * 4, 4},
        {item(part, "nom"), vid(part), "Заготовки", pMass * 28, 28},
    };
    QList<Expected> rows;
    for (const Expected &e : all) {
        if (kind == 0 || (kind == 1) == (e.kind == QStringLiteral("Готовая продукция")))
            rows << e;
    }

    QStringList captions;
    const QString file = exportProducts(p, kFrom, kTo, kind, &captions);
    QVERIFY(!file.isEmpty());
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    XLSX_READ(book, file);
    const QStringList header {"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(book.cell(QString(QChar('A' + c)) + "1").value.toString(), header[c]);
    QStringList found;
    for (int r = 0; r < rows.size(); ++r) {
        const QString n = QString::number(r + 2);
        const QString operation = book.cell("B" + n).value.toString();
        found << operation;
        const auto e = std::find_if(rows.begin(), rows.end(),
                                    [&](const Expected &x) { return x.operation == operation; });
        QVERIFY2(e != rows.end(), qPrintable(operation));
        QCOMPARE(book.cell("A" + n).value.toString(), e->nom);
        QCOMPARE(book.cell("C" + n).value.toString(), e->kind);
        QCOMPARE(book.cell("D" + n).type, QStringLiteral("n"));
        QCOMPARE(book.cell("D" + n).value.toDouble(), e->mass);
        QCOMPARE(book.cell("E" + n).type, QStringLiteral("n"));
        QCOMPARE(book.cell("E" + n).value.toInt(), e->count);
    }
    QVERIFY(!book.has("A" + QString::number(rows.size() + 2)));
    QCOMPARE(found.size(), rows.size());
    // Every column as wide as its widest text: no "Готовая п…" to widen by hand.
    const QString unfitted = xlsxtest::unfittedColumns(book);
    QVERIFY2(unfitted.isEmpty(), qPrintable(unfitted));
    // The window says where the file went and shows its folder on request.
    TForm18 *w = forms().summaryReports;
    QCOMPARE(w->NoteExport->LabelSaved->text(),
             QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(file));
    QVERIFY(w->NoteExport->isVisibleTo(w));
    QTest::mouseClick(w->NoteExport->ButtonFolder, Qt::LeftButton);
    QCOMPARE(p.p.seams.spreadsheets.openedFolders(), QStringList {QFileInfo(file).absolutePath()});
    // The caption counts the rows as they are written (after the old one, painted pressed).
    QStringList counted {QStringLiteral("Excel (0 из %1)").arg(rows.size())};
    for (int k = 1; k <= rows.size(); ++k)
        counted << QStringLiteral("Excel (%1 из %2)").arg(k).arg(rows.size());
    QCOMPARE(captions.mid(captions.indexOf(counted.first())), counted);
    QVERIFY(!forms().summaryReports->XLS_Rep.isOpen());
}

void TestSummaryReports::exportOfEmptyPeriod()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    const QString file = exportProducts(p, kFrom, kTo, 0);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);
    QCOMPARE(book.cells.size(), 5);
    QCOMPARE(book.cell("E1").value.toString(), QStringLiteral("Кол-во"));
    QCOMPARE(forms().summaryReports->Button6->text(), QStringLiteral("Excel (0 из 0)"));
}

void TestSummaryReports::exportCountsRows()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    // Twelve colours of one operation: twelve rows.
    for (int colour = 0; colour < 12; ++colour)
        p.addRecord({QDate(2021, 3, 1 + colour), 1, p.worker(0), 8, 0, 1, 0, 1, colour});
    const QString file = exportProducts(p, kFrom, kTo, 0);
    QCOMPARE(forms().summaryReports->Button6->text(), QStringLiteral("Excel (12 из 12)"));
    XLSX_READ(book, file);
    QVERIFY(book.has("A13"));
    QVERIFY(!book.has("A14"));
    // The caption stays until the next export.
    openSummary(
        p, [](TForm18 *w) { QCOMPARE(w->Button6->text(), QStringLiteral("Excel (12 из 12)")); });
}

void TestSummaryReports::exportToUnwritableFolder()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    p.addRecord({QDate(2021, 3, 1), 1, p.worker(0), 8});
    // A folder that cannot be made: a file stands in its way.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("Tabel"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    p.p.seams.spreadsheets.setFolder(dir.filePath("Tabel/sub"));
    const QString file = exportProducts(p, kFrom, kTo, 0);
    QVERIFY(file.isEmpty());
    QCOMPARE(p.messages().errors().size(), 1);
    QVERIFY(!forms().summaryReports->XLS_Rep.isOpen());
    // The window goes on working.
    p.messages().clear();
    p.p.seams.spreadsheets.setFolder(dir.filePath("ok"));
    const QString saved = exportProducts(p, kFrom, kTo, 0);
    QVERIFY(!saved.isEmpty());
    QVERIFY(p.messages().shown().isEmpty());
    TForm18 *w = forms().summaryReports;
    QCOMPARE(w->NoteExport->file(), saved);
    // A failed export names no file, not even the one before.
    p.p.seams.spreadsheets.setFolder(dir.filePath("Tabel/sub"));
    QVERIFY(exportProducts(p, kFrom, kTo, 0).isEmpty());
    QCOMPARE(p.messages().errors().size(), 1);
    QVERIFY(!w->NoteExport->isVisibleTo(w));
    QCOMPARE(w->NoteExport->file(), QString());
}

QTEST_MAIN(TestSummaryReports)
#include "tst_summary_reports.moc"
