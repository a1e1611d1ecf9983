// The worker and product report windows: their menu entries, "Отбор" with the period's ends
// and the product kind filter, and the kind column as the grid paints it.

#include "support/report_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "reports/product_report_window.h"
#include "reports/worker_report_window.h"

#include <QAction>
#include <QDateEdit>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>

using namespace reptest;

namespace {

// The period: March 2021, outside the demo plant's months.
const QDate kFrom(2021, 3, 1);
const QDate kTo(2021, 4, 1);

// Operations of the demo plant of each product kind (0 finished, 1 semi-finished).
int operationOfKind(const Program &p, int kind)
{
    return p.count(QStringLiteral("select min(id) from mnf_operation.operation where id_state = %1")
                       .arg(kind));
}

// An operation of kind 2, which the reports do not know.
int operationOfUnknownKind(const Program &p)
{
    p.exec("insert into mnf_operation.operation_state(id, s_caption) values (2, 'Прочее')");
    return p.count("insert into mnf_operation.operation(id_type, id_state, price, "
                   "id_inventory_items, id_proc_tech, orderby) select id_type, 2, price, "
                   "id_inventory_items, id_proc_tech, 99 from mnf_operation.operation where id = "
                   "(select min(id) from mnf_operation.operation) returning id");
}

QAction *menuEntry(TForm1 *j, const char *name)
{
    return j->findChild<QAction *>(QLatin1String(name));
}

// Opens a report window from the journal's menu "Отчеты"; `inside` drives it while shown.
template<typename Window>
void openReport(Program &p, const char *entry, const std::function<void(Window *)> &inside)
{
    dataModule().showHiddenCommands = true;
    p.modal().script<Window>([&](Window *w) {
        inside(w);
        return int(QDialog::Rejected);
    });
    QAction *a = menuEntry(p.journal(), entry);
    QVERIFY(a);
    a->trigger();
    QCOMPARE(p.modal().pending(QString::fromLatin1(Window::staticMetaObject.className())), 0);
}

void select(reports::PeriodReportWindow *w, const QDate &from, const QDate &to, int kind)
{
    w->DTPicker1->setDate(from);
    w->DTPicker2->setDate(to);
    w->RadioGroup1->item(kind)->click();
    QTest::mouseClick(w->Button1, Qt::LeftButton);
}

int column(reports::PeriodReportWindow *w, const QString &field)
{
    const auto &columns = w->DBGrid1->gridModel()->columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].field == field)
            return i;
    }
    return -1;
}

// The kind cell as it should look: the grid's background with `text` 2 pixels in.
QImage expectedKindCell(ui::DataGrid *g, int row, int column, const QString &text)
{
    const QRect r = g->visualRect(g->model()->index(row, column));
    QImage img(r.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(g->palette().color(QPalette::Base));
    if (!text.isEmpty()) {
        QPainter painter(&img);
        painter.setFont(g->font());
        painter.setPen(g->palette().color(QPalette::Text));
        painter.drawText(img.rect().adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    }
    return img.copy(img.rect().adjusted(1, 1, -1, -1));
}

bool sameLook(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixelColor(x, y).rgb() != b.pixelColor(x, y).rgb())
                return false;
        }
    }
    return true;
}

} // namespace

class TestReportWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menuEntriesFollowTheSetting();
    void workerReport_data();
    void workerReport();
    void productReport_data();
    void productReport();
    void kindColumnDrawing();
    void periodEndExcluded();
    void numbersOneFormatPerColumn();
    void workerWindowShowsEveryColumn();
    void commandsNotYetMadeAreDisabled();
    void leaving();
};

void TestReportWindows::menuEntriesFollowTheSetting()
{
    Program p;
    p.in();
    TForm1 *j = p.journal();
    QAction *worker = menuEntry(j, "NWorkerReport");
    QAction *product = menuEntry(j, "NProductReport");
    QVERIFY(worker && product);
    QCOMPARE(worker->text(), QStringLiteral("Отчет по рабочим"));
    QCOMPARE(product->text(), QStringLiteral("Отчет по видам продукции"));
    QVERIFY(j->menuReports->actions().contains(worker));
    QVERIFY(j->menuReports->actions().contains(product));
    for (bool on : {false, true, false}) {
        dataModule().showHiddenCommands = on;
        Q_EMIT j->menuReports->aboutToShow();
        QCOMPARE(worker->isVisible(), on);
        QCOMPARE(product->isVisible(), on);
    }
}

void TestReportWindows::workerReport_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("kinds");
    QTest::newRow("Все") << 0 << QStringList {"0", "1"};
    QTest::newRow("Готовая продукция") << 1 << QStringList {"0"};
    QTest::newRow("Заготовки") << 2 << QStringList {"1"};
}

void TestReportWindows::workerReport()
{
    QFETCH(int, kind);
    QFETCH(QStringList, kinds);
    Program p(QDate(2021, 4, 10));
    p.in();
    const int finished = operationOfKind(p, 0);
    const int part = operationOfKind(p, 1);
    const int w1 = p.worker(0);
    const int w2 = p.worker(1);
    // Two records of one worker, item, operation kind and product kind make one row.
    p.addRecord({QDate(2021, 3, 2), 1, w1, 8, finished, 10, 1, 2.5});
    p.addRecord({QDate(2021, 3, 3), 2, w1, 8, finished, 6, 0, 2.5});
    p.addRecord({QDate(2021, 3, 3), 1, w2, 8, part, 30, 2, 0.5});

    QStringList names, marks, shownKinds, amounts;
    QDate from, to;
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("Отчет по рабочим"));
        // Offered: the month before today's; nothing listed before "Отбор".
        from = w->DTPicker1->date();
        to = w->DTPicker2->date();
        QCOMPARE(w->DBGrid1->model()->rowCount(), 0);
        select(w, kFrom, kTo, kind);
        names = columnTexts(w->DBGrid1->model(), column(w, "fio"));
        marks = columnTexts(w->DBGrid1->model(), column(w, "marka"));
        shownKinds = columnTexts(w->DBGrid1->model(), column(w, "naimen"));
        amounts = columnTexts(w->DBGrid1->model(), column(w, "summa"));
    });
    QCOMPARE(from, QDate(2021, 3, 1));
    QCOMPARE(to, QDate(2021, 4, 1));
    QStringList expectedNames;
    for (const QString &k : kinds)
        expectedNames << p.name(k == "0" ? w1 : w2);
    expectedNames.sort();
    QCOMPARE(names, expectedNames);
    QCOMPARE(shownKinds.size(), kinds.size());
    for (const QString &k : kinds)
        QVERIFY(shownKinds.contains(k));
    for (int i = 0; i < names.size(); ++i) {
        const bool first = names[i] == p.name(w1);
        // (10 - 1) * 2.5 + 6 * 2.5 and (30 - 2) * 0.5
        QCOMPARE(amounts[i], first ? QStringLiteral("37,50") : QStringLiteral("14,00"));
        QCOMPARE(marks[i],
                 p.scalar(QStringLiteral("select ii.marka from "
                                         "cmn_inventory_items.inventory_items ii join "
                                         "mnf_operation.operation o on "
                                         "o.id_inventory_items = ii.id where o.id = %1")
                              .arg(first ? finished : part)));
    }
    QVERIFY(p.messages().shown().isEmpty());
    QVERIFY(!forms().workerReport->w_Report().isOpen());
}

void TestReportWindows::productReport_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("rows");
    QTest::newRow("Все") << 0 << 2;
    QTest::newRow("Готовая продукция") << 1 << 1;
    QTest::newRow("Заготовки") << 2 << 1;
}

void TestReportWindows::productReport()
{
    QFETCH(int, kind);
    QFETCH(int, rows);
    Program p(QDate(2021, 4, 10));
    p.in();
    const int finished = operationOfKind(p, 0);
    const int part = operationOfKind(p, 1);
    p.addRecord({QDate(2021, 3, 2), 1, p.worker(0), 8, finished, 10, 1, 2.5});
    p.addRecord({QDate(2021, 3, 9), 3, p.worker(5), 8, finished, 4, 3, 2.5});
    p.addRecord({QDate(2021, 3, 3), 1, p.worker(1), 8, part, 30, 2, 0.5});
    QStringList kinds, counts, rejects, amounts;
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("Отчет по видам продукции"));
        select(w, kFrom, kTo, kind);
        kinds = columnTexts(w->DBGrid1->model(), column(w, "naimen"));
        counts = columnTexts(w->DBGrid1->model(), column(w, "kolvo"));
        rejects = columnTexts(w->DBGrid1->model(), column(w, "brk"));
        amounts = columnTexts(w->DBGrid1->model(), column(w, "summa"));
    });
    QCOMPARE(kinds.size(), rows);
    for (int i = 0; i < rows; ++i) {
        // One row per item, operation kind and product kind: the two workers' finished
        // products together, whatever their rejects.
        const bool finishedRow = kinds[i] == QLatin1String("0");
        QVERIFY(kind == 0 || finishedRow == (kind == 1));
        QCOMPARE(counts[i], finishedRow ? QStringLiteral("14") : QStringLiteral("30"));
        QCOMPARE(rejects[i], finishedRow ? QStringLiteral("4") : QStringLiteral("2"));
        QCOMPARE(amounts[i], finishedRow ? QStringLiteral("25,00") : QStringLiteral("14,00"));
    }
    QVERIFY(p.messages().shown().isEmpty());
}

void TestReportWindows::kindColumnDrawing()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    const int kinds[] = {operationOfKind(p, 0), operationOfKind(p, 1), operationOfUnknownKind(p)};
    for (int i = 0; i < 3; ++i)
        p.addRecord({QDate(2021, 3, 2 + i), 1, p.worker(i), 8, kinds[i]});
    // A record whose item has a blank mark: its kind cell stays empty.
    p.exec("insert into cmn_inventory_items.inventory_items(marka) values (' ')");
    p.exec(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo) "
                          "select '2021-03-20', 1, %1, max(id), %2, 1 from "
                          "cmn_inventory_items.inventory_items")
               .arg(p.worker(3))
               .arg(kinds[1]));

    auto check = [&](reports::PeriodReportWindow *w) {
        w->resize(1000, 500);
        select(w, kFrom, kTo, 0);
        ui::DataGrid *g = w->DBGrid1;
        const int kindColumn = column(w, "naimen");
        QCOMPARE(kindColumn, w == forms().workerReport ? 3 : 2);
        QCOMPARE(g->model()->rowCount(), 4);
        const db::Dataset &ds = w->query();
        QStringList painted;
        for (int row = 0; row < 4; ++row) {
            const QString marka = ds.valueAt(row, ds.fieldIndex("marka")).toString();
            const int naimen = ds.valueAt(row, ds.fieldIndex("naimen")).toInt();
            const QString text = marka.trimmed().isEmpty() ? QString()
                : naimen == 0 ? QStringLiteral("Готовая продукция")
                : naimen == 1 ? QStringLiteral("Заготовки")
                              : QStringLiteral("Ошибка");
            QVERIFY2(
                sameLook(cellImage(g, row, kindColumn), expectedKindCell(g, row, kindColumn, text)),
                qPrintable(QStringLiteral("row %1: %2").arg(row).arg(text)));
            painted << text;
        }
        painted.sort();
        QCOMPARE(painted, QStringList({"", "Готовая продукция", "Заготовки", "Ошибка"}));
        // "Готовая продукция": the one row of kind 0.
        select(w, kFrom, kTo, 1);
        QCOMPARE(g->model()->rowCount(), 1);
        QVERIFY(sameLook(cellImage(g, 0, kindColumn),
                         expectedKindCell(g, 0, kindColumn, QStringLiteral("Готовая продукция"))));
        // "Заготовки": kind 1 alone, the blank mark's row among them; kind 2 is in neither.
        select(w, kFrom, kTo, 2);
        QCOMPARE(g->model()->rowCount(), 2);
        QCOMPARE(columnTexts(g->model(), kindColumn), QStringList({"1", "1"}));
    };
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) { check(w); });
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) { check(w); });
    QVERIFY(p.messages().shown().isEmpty());
}

void TestReportWindows::periodEndExcluded()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    const int op = operationOfKind(p, 0);
    p.addRecord({QDate(2021, 3, 1), 1, p.worker(0), 8, op, 1}); // the first day: in
    p.addRecord({QDate(2021, 3, 31), 1, p.worker(0), 8, op, 2}); // the last day: in
    p.addRecord({QDate(2021, 4, 1), 1, p.worker(0), 8, op, 4}); // the day of "по": out
    p.addRecord({QDate(2021, 2, 28), 1, p.worker(0), 8, op, 8}); // before: out
    QString workerCount, productCount;
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) {
        select(w, kFrom, kTo, 0);
        workerCount = columnTexts(w->DBGrid1->model(), column(w, "kolvo")).join(u';');
    });
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) {
        select(w, kFrom, kTo, 0);
        productCount = columnTexts(w->DBGrid1->model(), column(w, "kolvo")).join(u';');
    });
    QCOMPARE(workerCount, QStringLiteral("3"));
    QCOMPARE(productCount, QStringLiteral("3"));
}

// Each number column shows its values with the same decimals and a comma: amounts with two,
// quantities with as many as a row needs (here one), rejects whole.
void TestReportWindows::numbersOneFormatPerColumn()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    const int op = operationOfKind(p, 0);
    p.addRecord({QDate(2021, 3, 2), 1, p.worker(0), 8, op, 10, 0, 1.1234}); // 11,234
    p.addRecord({QDate(2021, 3, 2), 1, p.worker(1), 8, op, 6, 1, 2.5}); // 12,5
    p.addRecord({QDate(2021, 3, 2), 1, p.worker(2), 8, op, 2.5, 0, 1}); // 2,5
    QMap<QString, QStringList> worker, product;
    const QStringList fields {"kolvo", "brk", "summa"};
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) {
        select(w, kFrom, kTo, 0);
        for (const QString &f : fields)
            worker[f] = columnTexts(w->DBGrid1->model(), column(w, f));
    });
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) {
        select(w, kFrom, kTo, 0);
        for (const QString &f : fields)
            product[f] = columnTexts(w->DBGrid1->model(), column(w, f));
    });
    auto sorted = [](QStringList l) {
        l.sort();
        return l;
    };
    QCOMPARE(sorted(worker["kolvo"]), QStringList({"10,0", "2,5", "6,0"}));
    QCOMPARE(sorted(worker["brk"]), QStringList({"0", "0", "1"}));
    QCOMPARE(sorted(worker["summa"]), QStringList({"11,23", "12,50", "2,50"}));
    QCOMPARE(product["kolvo"], QStringList({"18,5"}));
    QCOMPARE(product["brk"], QStringList({"1"}));
    QCOMPARE(product["summa"], QStringList({"26,23"}));
    QVERIFY(p.messages().shown().isEmpty());
}

// The worker report opens wide enough for "Сумма" and may be made wider; after "Отбор" each
// column is as wide as its longest text.
void TestReportWindows::workerWindowShowsEveryColumn()
{
    Program p(QDate(2021, 4, 10));
    p.in();
    p.exec("update cmn_contractor.person set s_caption = 'Константинопольский-Задунайский "
           "Вольдемар Ааронович' where s_code = '"
           + QString::number(p.worker(0)) + "'");
    p.addRecord({QDate(2021, 3, 2), 1, p.worker(0), 8, operationOfKind(p, 0), 1000, 0, 11.7227});
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) {
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(w->minimumSize() != w->maximumSize()); // not a fixed size
        ui::DataGrid *g = w->DBGrid1;
        const int sum = column(w, "summa");
        QVERIFY2(g->columnViewportPosition(sum) + g->columnWidth(sum) <= g->viewport()->width(),
                 "\"Сумма\" is off-screen");
        select(w, kFrom, kTo, 0);
        QCOMPARE(g->model()->rowCount(), 1);
        const QFontMetrics fm(g->font());
        for (const QString &f : {QStringLiteral("fio"), QStringLiteral("summa")}) {
            const QString text = g->model()->index(0, column(w, f)).data().toString();
            QVERIFY2(g->columnWidth(column(w, f)) > fm.horizontalAdvance(text), qPrintable(text));
        }
        QCOMPARE(g->model()->index(0, sum).data().toString(), QStringLiteral("11722,70"));
        // Wider names: the clerk widens the window and sees the amount again.
        w->resize(g->horizontalHeader()->length() + 400, w->height());
        QTRY_COMPARE(g->horizontalScrollBar()->maximum(), 0);
    });
    QVERIFY(p.messages().shown().isEmpty());
}

// "Отчет", "Детальный отчет" and "Печать" have nothing behind them: they are disabled and say
// so when pointed at.
void TestReportWindows::commandsNotYetMadeAreDisabled()
{
    Program p;
    p.in();
    auto check = [](QPushButton *b) {
        QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY2(b->toolTip().contains(QStringLiteral("пока не")), qPrintable(b->text()));
    };
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) {
        check(w->Button4);
        check(w->Button2);
        QVERIFY(w->Button1->isEnabled() && w->Button3->isEnabled());
    });
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) {
        check(w->Button2);
        QVERIFY(w->Button1->isEnabled() && w->Button3->isEnabled());
    });
}

void TestReportWindows::leaving()
{
    Program p;
    p.in();
    bool hidden = false;
    openReport<TForm12>(p, "NWorkerReport", [&](TForm12 *w) {
        QVERIFY(w->Button1->isDefault());
        QTest::mouseClick(w->Button3, Qt::LeftButton);
        hidden = !w->isVisible();
    });
    QVERIFY(hidden);
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) {
        QVERIFY(w->Button1->isDefault());
        QTest::keyClick(w, Qt::Key_Escape);
        hidden = !w->isVisible();
    });
    QVERIFY(hidden);
    // "Печать", "Отчет" and "Детальный отчет" have nothing behind them.
    openReport<TForm13>(p, "NProductReport", [&](TForm13 *w) {
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        QVERIFY(w->isVisible());
    });
    QVERIFY(p.messages().shown().isEmpty());
}

QTEST_MAIN(TestReportWindows)
#include "tst_report_windows.moc"
