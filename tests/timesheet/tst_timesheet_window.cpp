// The monthly timesheet window: the opening on the journal's month, the year list, the day
// columns and the hours' colours as the grids paint them, "Обновить", "Перестроить" with its
// progress, a failing rebuild, and leaving the window.

#include "support/report_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "timesheet/timesheet_window.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

using namespace reptest;

namespace {

// Chooses a month and a year in the lists as a user does.
void choose(TForm19 *w, const QString &month, const QString &year)
{
    const int m = w->ComboBox1->findText(month);
    QVERIFY(m >= 0);
    w->ComboBox1->setCurrentIndex(m);
    Q_EMIT w->ComboBox1->activated(m);
    const int y = w->ComboBox2->findText(year);
    QVERIFY(y >= 0);
    w->ComboBox2->setCurrentIndex(y);
    Q_EMIT w->ComboBox2->activated(y);
}

// The grid of the tab "Смена №shift".
ui::DataGrid *grid(TForm19 *w, int shift)
{
    return shift == 1 ? w->DBGrid1 : shift == 2 ? w->DBGrid2 : w->DBGrid3;
}

// The timesheet shown on its own with a month chosen (for looking at the painted grids).
struct Shown
{
    TForm19 *w = forms().timesheet;
    Shown(const QString &month, const QString &year)
    {
        w->resize(1400, 700);
        w->show();
        choose(w, month, year);
    }
    ~Shown()
    {
        w->hide();
        for (db::Dataset *ds :
             {&dataModule().H_Tabel_1, &dataModule().H_Tabel_2, &dataModule().H_Tabel_3})
            ds->close();
    }
};

int rowOf(ui::DataGrid *g, const QString &name)
{
    return int(columnTexts(g->model(), 0).indexOf(name));
}

} // namespace

class TestTimesheetWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout();
    void openingSelectsJournalMonth_data();
    void openingSelectsJournalMonth();
    void yearList();
    void daysPastMonthEnd_data();
    void daysPastMonthEnd();
    void weekendAndHourColours();
    void selectedCellKeepsStandardLook();
    void repaintFollowsDataAndPalette();
    void namesStayWhileDaysScroll();
    void workerInTwoShifts();
    void refresh();
    void rebuildMonthWithoutRecords();
    void rebuildMonth();
    void failingRebuild();
    void leaving();
};

void TestTimesheetWindow::layout()
{
    Program p;
    p.in();
    TForm19 *w = forms().timesheet;
    QCOMPARE(w->windowTitle(), QStringLiteral("Табель по времени"));
    QCOMPARE(w->PageControl1->count(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w->PageControl1->tabText(i), QStringLiteral("Смена №%1").arg(i + 1));
    QStringList months;
    for (int i = 0; i < w->ComboBox1->count(); ++i)
        months << w->ComboBox1->itemText(i);
    QCOMPARE(months,
             QStringList({"Январь", "Февраль", "Март", "Апрель", "Май", "Июнь", "Июль", "Август",
                          "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"}));
    // Rebuild, progress and export sit on the first tab alone.
    QWidget *first = w->PageControl1->widget(0);
    QVERIFY(first->isAncestorOf(w->Button1));
    QVERIFY(first->isAncestorOf(w->PB));
    QVERIFY(first->isAncestorOf(w->Button2));
    QVERIFY(!w->PageControl1->isAncestorOf(w->Button5));
    QCOMPARE(w->Button1->text(), QStringLiteral("Перестроить"));
    QCOMPARE(w->Button2->text(), QStringLiteral("Excel"));
    QCOMPARE(w->Button4->text(), QStringLiteral("Выход"));
    QCOMPARE(w->Button5->text(), QStringLiteral("Обновить"));
    QCOMPARE(w->Button6->text(), QStringLiteral("Печать"));
    for (int shift = 1; shift <= 3; ++shift) {
        const auto *m = grid(w, shift)->model();
        QCOMPARE(m->columnCount(), 33);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Фамилия И. О."));
        for (int day = 1; day <= 31; ++day)
            QCOMPARE(m->headerData(day, Qt::Horizontal).toString(), QString::number(day));
        QCOMPARE(m->headerData(32, Qt::Horizontal).toString(), QStringLiteral("Итого"));
        QVERIFY(grid(w, shift)->horizontalHeader()->font().bold());
    }
}

void TestTimesheetWindow::openingSelectsJournalMonth_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::newRow("15 March 2021") << QDate(2021, 3, 15) << "Март"
                                   << "2021";
    // The years past the old fixed list's end.
    QTest::newRow("this year") << QDate(2026, 11, 20) << "Ноябрь"
                               << "2026";
    QTest::newRow("next year") << QDate(2027, 1, 4) << "Январь"
                               << "2027";
    QTest::newRow("first year") << QDate(2007, 12, 31) << "Декабрь"
                                << "2007";
}

void TestTimesheetWindow::openingSelectsJournalMonth()
{
    QFETCH(QDate, date);
    QFETCH(QString, month);
    QFETCH(QString, year);
    Program p;
    p.in();
    const int worker = p.worker(0);
    p.addHoursRow(worker, 1, date.month(), date.year(), {{1, 7}});
    p.addHoursRow(worker, 3, date.month(), date.year(), {{2, 6}});
    // Another month of the same worker stays out.
    p.addHoursRow(worker, 2, date.month() % 12 + 1, date.year(), {{1, 5}});
    QStringList shown[3];
    openTimesheetOn(p, date, [&](TForm19 *w) {
        QCOMPARE(w->ComboBox1->currentText(), month);
        QCOMPARE(w->ComboBox2->currentText(), year);
        for (int shift = 1; shift <= 3; ++shift)
            shown[shift - 1] = columnTexts(grid(w, shift)->model(), 0);
    });
    const QString name = p.name(worker);
    // December 2026 and November 2026 hold the demo plant's own month.
    QVERIFY(shown[0].contains(name));
    QVERIFY(!shown[1].contains(name));
    QVERIFY(shown[2].contains(name));
    // Closed when the window is left.
    QVERIFY(!dataModule().H_Tabel_1.isOpen());
    QVERIFY(!dataModule().H_Tabel_2.isOpen());
    QVERIFY(!dataModule().H_Tabel_3.isOpen());
    QVERIFY(p.messages().shown().isEmpty());
}

void TestTimesheetWindow::yearList()
{
    Program p(QDate(2026, 12, 10));
    p.in();
    const QComboBox *years = forms().timesheet->ComboBox2;
    QCOMPARE(years->itemText(0), QStringLiteral("2007"));
    QCOMPARE(years->itemText(years->count() - 1), QStringLiteral("2027"));
    QCOMPARE(years->count(), 2027 - 2007 + 1);
    for (int i = 0; i < years->count(); ++i)
        QCOMPARE(years->itemText(i), QString::number(2007 + i));
}

void TestTimesheetWindow::daysPastMonthEnd_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("lastDay");
    QTest::newRow("February 2021") << "Февраль"
                                   << "2021" << 28;
    QTest::newRow("February 2024") << "Февраль"
                                   << "2024" << 29;
    QTest::newRow("April 2021") << "Апрель"
                                << "2021" << 30;
    QTest::newRow("March 2021") << "Март"
                                << "2021" << 31;
}

void TestTimesheetWindow::daysPastMonthEnd()
{
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(int, lastDay);
    Program p;
    p.in();
    const int m = QStringList({"Январь", "Февраль", "Март", "Апрель"}).indexOf(month) + 1;
    // Hours past the month's end cannot come from a posting; a row holding them anyway shows
    // that those columns hide their values.
    Days days;
    for (int d = 1; d <= 31; ++d)
        days[d] = d <= 28 ? 0 : 7;
    p.addHoursRow(p.worker(0), 1, m, year.toInt(), days);
    Shown s(month, year);
    TForm19 *w = s.w;
    ui::DataGrid *g = w->DBGrid1;
    QCOMPARE(g->model()->rowCount(), 1);
    const QColor base = g->palette().color(QPalette::Base);
    for (int day = 26; day <= 31; ++day) {
        const bool past = day > lastDay;
        QCOMPARE(w->dayColumn(day).readOnly, past);
        const Ink title
            = inkOf(titleImage(g, day), g->horizontalHeader()->palette().color(QPalette::Button));
        const Ink cell = inkOf(cellImage(g, 0, day), base);
        if (past) {
            // A grey title; the value is painted in the background's colour.
            QVERIFY2(isSilver(title.strongest),
                     qPrintable(QStringLiteral("day %1: %2").arg(day).arg(title.strongest.name())));
            QCOMPARE(cell.pixels, 0);
        } else {
            QVERIFY2(isDark(title.strongest) || isRed(title.strongest),
                     qPrintable(QStringLiteral("day %1").arg(day)));
            QVERIFY(cell.pixels > 0);
        }
    }
}

void TestTimesheetWindow::weekendAndHourColours()
{
    Program p;
    p.in();
    // March 2021: the 1st is a Monday, the 6th and 7th are Saturday and Sunday.
    const int worker = p.worker(0);
    p.addHoursRow(worker, 1, 3, 2021, {{1, 8}, {2, 10}, {3, 5}, {4, 0}, {6, 0}, {7, 8}, {13, 12}});
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    ui::DataGrid *g = s.w->DBGrid1;
    QCOMPARE(g->model()->rowCount(), 1);
    const QColor base = g->palette().color(QPalette::Base);
    const QFont plain = g->font();
    QFont bold = plain;
    bold.setBold(true);

    struct Expect
    {
        int day;
        QString text;
        bool red;
        bool silver;
        bool bold;
        bool green;
    };
    const Expect cells[] = {
        {1, "8", false, false, true, false}, // 8: bold, in the normal colour
        {2, "10", false, false, true, true}, // above 8: bold on light green
        {3, "5", false, false, false, false}, // 5: plain
        {4, "0", false, true, false, false}, // a weekday's 0: silver
        {6, "0", true, false, false, false}, // a weekend's 0 stays red
        {7, "8", true, false, true, false}, // a weekend's 8: bold and red
        {13, "12", true, false, true, true}, // a Saturday's 12: bold, red, on green
    };
    for (const Expect &e : cells) {
        const QString what = QStringLiteral("day %1").arg(e.day);
        QCOMPARE(g->model()->index(0, e.day).data().toString(), e.text);
        const QImage img = cellImage(g, 0, e.day);
        const QColor background = img.pixelColor(1, 1);
        QVERIFY2((background == TForm19::lightGreen()) == e.green, qPrintable(what));
        if (!e.green)
            QVERIFY2(background == base, qPrintable(what));
        const Ink ink = inkOf(img, background);
        QVERIFY2(ink.pixels > 0, qPrintable(what));
        QVERIFY2(isRed(ink.strongest) == e.red, qPrintable(what));
        QVERIFY2(isSilver(ink.strongest) == e.silver, qPrintable(what));
        if (!e.red && !e.silver)
            QVERIFY2(isDark(ink.strongest), qPrintable(what));
        // Bold or plain: the painted ink is nearer to the text drawn in that weight.
        const int asBold = referenceInk(bold, e.text, img.size());
        const int asPlain = referenceInk(plain, e.text, img.size());
        QVERIFY2(asBold > asPlain, qPrintable(what));
        const bool paintedBold = qAbs(ink.pixels - asBold) < qAbs(ink.pixels - asPlain);
        QVERIFY2(paintedBold == e.bold,
                 qPrintable(what
                            + QStringLiteral(": ink %1, bold %2, "
                                             "plain %3")
                                  .arg(ink.pixels)
                                  .arg(asBold)
                                  .arg(asPlain)));
    }
    // Weekend titles red, weekday titles in the normal colour.
    const QColor button = g->horizontalHeader()->palette().color(QPalette::Button);
    for (int day : {6, 7, 13, 14, 20, 21, 27, 28})
        QVERIFY2(isRed(inkOf(titleImage(g, day), button).strongest),
                 qPrintable(QString::number(day)));
    for (int day : {1, 5, 8, 12, 31})
        QVERIFY2(isDark(inkOf(titleImage(g, day), button).strongest),
                 qPrintable(QString::number(day)));
    // The total on pale blue: 8 + 10 + 5 + 8 + 12.
    QCOMPARE(g->model()->index(0, 32).data().toString(), QStringLiteral("43"));
    QCOMPARE(cellImage(g, 0, 32).pixelColor(1, 1), TForm19::paleBlue());
    // The name column keeps the grid's look.
    QCOMPARE(cellImage(g, 0, 0).pixelColor(1, 1), base);
}

void TestTimesheetWindow::selectedCellKeepsStandardLook()
{
    Program p;
    p.in();
    p.addHoursRow(p.worker(0), 1, 3, 2021, {{2, 10}, {6, 0}});
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    ui::DataGrid *g = s.w->DBGrid1;
    g->setCurrentIndex(g->model()->index(0, 2));
    const QColor highlight = g->palette().color(QPalette::Active, QPalette::Highlight);
    const QImage selected = cellImage(g, 0, 2);
    QCOMPARE(selected.pixelColor(1, 1), highlight);
    QVERIFY(!isRed(inkOf(selected, highlight).strongest));
    // Once the cell is left, the rules paint it again.
    g->setCurrentIndex(g->model()->index(0, 6));
    QCOMPARE(cellImage(g, 0, 2).pixelColor(1, 1), TForm19::lightGreen());
    QCOMPARE(cellImage(g, 0, 6).pixelColor(1, 1), highlight);
}

// Alike cells of many rows are painted once and copied: each row must still show its own
// value, a changed value its new look, and a new palette its colours.
void TestTimesheetWindow::repaintFollowsDataAndPalette()
{
    Program p;
    p.in();
    p.addHoursRow(p.worker(0), 1, 3, 2021, {{2, 10}, {3, 8}});
    p.addHoursRow(p.worker(1), 1, 3, 2021, {{2, 5}, {3, 8}});
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    ui::DataGrid *g = s.w->DBGrid1;
    QCOMPARE(g->model()->rowCount(), 2);
    const int green = g->model()->index(0, 2).data().toString() == QStringLiteral("10") ? 0 : 1;
    const QColor base = g->palette().color(QPalette::Base);
    QCOMPARE(cellImage(g, green, 2).pixelColor(1, 1), TForm19::lightGreen());
    QCOMPARE(cellImage(g, 1 - green, 2).pixelColor(1, 1), base);
    // Both rows' 8 look the same, and differ from the 10 beside them.
    QCOMPARE(cellImage(g, 0, 3), cellImage(g, 1, 3));

    // Another client changes the 5 to 11; "Обновить" paints it on green.
    p.exec("update accounts_dep.h_tabel set d2 = 11 where d2 = 5 and month = 3 and year = 2021");
    QTest::mouseClick(s.w->Button5, Qt::LeftButton);
    for (int row = 0; row < 2; ++row)
        QCOMPARE(cellImage(g, row, 2).pixelColor(1, 1), TForm19::lightGreen());

    // A new palette (another style) reaches the cells drawn before.
    QPalette pal = g->palette();
    pal.setColor(QPalette::Base, QColor(250, 240, 200));
    g->setPalette(pal);
    QCOMPARE(cellImage(g, 0, 3).pixelColor(1, 1), QColor(250, 240, 200));
}

// Scrolled to the month's last days and "Итого", the names stay where they were, as a
// spreadsheet's frozen column; the keyboard and a click on a name still work.
void TestTimesheetWindow::namesStayWhileDaysScroll()
{
    Program p;
    p.in();
    p.addHoursRow(p.worker(0), 1, 3, 2021, {{1, 8}, {31, 9}});
    p.addHoursRow(p.worker(1), 1, 3, 2021, {{2, 7}, {30, 12}});
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    s.w->resize(700, 500);
    ui::DataGrid *g = s.w->DBGrid1;
    QCOMPARE(g->model()->rowCount(), 2);
    QVERIFY(QTest::qWaitForWindowExposed(s.w));
    g->setFocus();
    g->setCurrentIndex(g->model()->index(1, 1));
    QCOMPARE(g->horizontalScrollBar()->value(), 0);
    // The first row's name, where the grid shows it at the start.
    const QRect name(g->viewport()->mapTo(g, g->visualRect(g->model()->index(0, 0)).topLeft()),
                     g->visualRect(g->model()->index(0, 0)).size());
    const QImage before = g->grab().toImage().copy(name.adjusted(1, 1, -1, -1));

    QTest::keyClick(g, Qt::Key_End); // to "Итого"
    QCOMPARE(g->currentIndex(), g->model()->index(1, 32));
    QVERIFY(g->horizontalScrollBar()->value() > 0);
    const QRect total = g->visualRect(g->currentIndex());
    QVERIFY(g->viewport()->rect().contains(total));
    QVERIFY2(total.left() >= name.width(), "the total is not under the names");
    QCOMPARE(g->grab().toImage().copy(name.adjusted(1, 1, -1, -1)), before);
    QTest::keyClick(g, Qt::Key_Left); // day 31, next to the names
    QCOMPARE(g->currentIndex().column(), 31);
    QVERIFY(g->visualRect(g->currentIndex()).left() >= name.width());

    // A click on the name selects its row and leaves the days where they are.
    const int scrolled = g->horizontalScrollBar()->value();
    QWidget *under = g->childAt(name.center());
    QVERIFY(under);
    QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(g, name.center()));
    QCOMPARE(g->currentIndex(), g->model()->index(0, 0));
    QCOMPARE(dataModule().H_Tabel_1.recNo(), 1);
    QCOMPARE(g->horizontalScrollBar()->value(), scrolled);
    QVERIFY(g->hasFocus());
    QTest::keyClick(g, Qt::Key_Home);
    QCOMPARE(g->horizontalScrollBar()->value(), 0);
}

void TestTimesheetWindow::workerInTwoShifts()
{
    Program p;
    p.in();
    const int worker = p.worker(2);
    p.addHoursRow(worker, 1, 3, 2021, {{1, 8}});
    p.addHoursRow(worker, 2, 3, 2021, {{2, 4}});
    // Overtime rows are not shown on any tab.
    p.addHoursRow(p.worker(3), 4, 3, 2021, {{1, 2}});
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    const QString name = p.name(worker);
    QCOMPARE(columnTexts(s.w->DBGrid1->model(), 0), QStringList {name});
    QCOMPARE(columnTexts(s.w->DBGrid2->model(), 0), QStringList {name});
    QCOMPARE(s.w->DBGrid3->model()->rowCount(), 0);
    QCOMPARE(s.w->DBGrid1->model()->index(0, 1).data().toString(), QStringLiteral("8"));
    QCOMPARE(s.w->DBGrid2->model()->index(0, 2).data().toString(), QStringLiteral("4"));
}

void TestTimesheetWindow::refresh()
{
    Program p;
    p.in();
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    QCOMPARE(s.w->DBGrid2->model()->rowCount(), 0);
    // Another client posts meanwhile; "Обновить" reads the month again.
    p.addHoursRow(p.worker(1), 2, 3, 2021, {{9, 8}});
    QCOMPARE(s.w->DBGrid2->model()->rowCount(), 0);
    QTest::mouseClick(s.w->Button5, Qt::LeftButton);
    QCOMPARE(columnTexts(s.w->DBGrid2->model(), 0), QStringList {p.name(p.worker(1))});
    QCOMPARE(dataModule().H_Tabel_2.params().value(QStringLiteral("mnth")).value.toInt(), 3);
    QCOMPARE(dataModule().H_Tabel_2.params().value(QStringLiteral("yea")).value.toInt(), 2021);
    QVERIFY(p.messages().shown().isEmpty());
}

void TestTimesheetWindow::rebuildMonthWithoutRecords()
{
    Program p;
    p.in();
    // Hours rows that no shift record stands behind.
    p.addHoursRow(p.worker(0), 1, 3, 2021, {{1, 8}});
    p.addHoursRow(p.worker(1), 2, 3, 2021, {{1, 8}});
    p.addHoursRow(p.worker(2), 3, 3, 2021, {{1, 8}});
    p.addHoursRow(p.worker(2), 3, 4, 2021, {{1, 8}});
    Shown s(QStringLiteral("Март"), QStringLiteral("2021"));
    QCOMPARE(s.w->DBGrid3->model()->rowCount(), 1);
    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QVERIFY(p.messages().shown().isEmpty());
    for (int shift = 1; shift <= 3; ++shift) {
        QVERIFY(grid(s.w, shift)->dataset()->isOpen());
        QCOMPARE(grid(s.w, shift)->model()->rowCount(), 0);
    }
    QCOMPARE(p.count("select count(*) from accounts_dep.h_tabel where month=3 and year=2021"), 0);
    QCOMPARE(p.count("select count(*) from accounts_dep.h_tabel where month=4 and year=2021"), 1);
    QVERIFY(s.w->PB->isHidden());
}

void TestTimesheetWindow::rebuildMonth()
{
    Program p;
    p.in();
    // November 2026 of the demo plant, its hours rows spoilt.
    p.exec("update accounts_dep.h_tabel set d3 = 99 where month = 11 and year = 2026");
    const int extra = p.worker(0);
    p.addRecord({QDate(2026, 11, 28), 2, extra, 5}); // the Saturday: into a second shift
    Shown s(QStringLiteral("Ноябрь"), QStringLiteral("2026"));
    QList<int> progress;
    bool gridsClosed = true;
    connect(s.w->PB, &QProgressBar::valueChanged, s.w, [&](int v) {
        progress << v;
        gridsClosed = gridsClosed && !dataModule().H_Tabel_1.isOpen() && s.w->PB->isVisible();
    });
    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    QCOMPARE(s.w->PB->maximum(), 30);
    QCOMPARE(s.w->PB->minimum(), 1);
    QList<int> days;
    for (int d = 2; d <= 30; ++d) // the position starts at 1
        days << d;
    QCOMPARE(progress, days);
    QVERIFY(gridsClosed);
    QVERIFY(s.w->PB->isHidden());

    // The grids show what the records give: each day's sum of hours per worker and shift.
    QCOMPARE(p.count("select count(*) from accounts_dep.h_tabel where month = 11 and year = 2026 "
                     "and d3 = 99"),
             0);
    for (int shift = 1; shift <= 3; ++shift) {
        ui::DataGrid *g = grid(s.w, shift);
        QCOMPARE(g->model()->rowCount(),
                 p.count(QStringLiteral("select count(distinct w_id) from accounts_dep.smena "
                                        "where smena = %1 and data between '2026-11-01' and "
                                        "'2026-11-30'")
                             .arg(shift)));
    }
    const QString name = p.name(extra);
    const int row = rowOf(s.w->DBGrid2, name);
    QVERIFY(row >= 0);
    QCOMPARE(s.w->DBGrid2->model()->index(row, 28).data().toString(), QStringLiteral("5"));
    QCOMPARE(s.w->DBGrid2->model()->index(row, 32).data().toString(), QStringLiteral("5"));
    const int row1 = rowOf(s.w->DBGrid1, name);
    QCOMPARE(s.w->DBGrid1->model()->index(row1, 2).data().toString(),
             p.scalar("select sum(time) from accounts_dep.smena where smena = 1 and data = "
                      "'2026-11-02' and w_id = "
                      + QString::number(extra)));
}

void TestTimesheetWindow::failingRebuild()
{
    Program p;
    p.in();
    p.exec("create function test_refuse() returns trigger language plpgsql as $$ begin raise "
           "exception 'табель закрыт'; end $$");
    p.exec("create trigger refuse before insert on accounts_dep.h_tabel for each row execute "
           "function test_refuse()");
    const QString before = p.scalar("select string_agg(id || ':' || d2, ',' order by id) from "
                                    "accounts_dep.h_tabel where month = 11 and year = 2026");
    QVERIFY(!before.isEmpty());
    Shown s(QStringLiteral("Ноябрь"), QStringLiteral("2026"));
    const int rows = s.w->DBGrid1->model()->rowCount();
    QVERIFY(rows > 0);
    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QCOMPARE(p.messages().errors().size(), 1);
    QVERIFY2(p.messages().errors().first().contains(QStringLiteral("табель закрыт")),
             qPrintable(p.messages().errors().first()));
    // The month's rows are as they were, and the grids show them again.
    QCOMPARE(p.scalar("select string_agg(id || ':' || d2, ',' order by id) from "
                      "accounts_dep.h_tabel where month = 11 and year = 2026"),
             before);
    for (int shift = 1; shift <= 3; ++shift)
        QVERIFY(grid(s.w, shift)->dataset()->isOpen());
    QCOMPARE(s.w->DBGrid1->model()->rowCount(), rows);
    QVERIFY(s.w->PB->isHidden());
    // A second try, after the cause is gone, succeeds.
    p.exec("drop trigger refuse on accounts_dep.h_tabel");
    p.messages().clear();
    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QVERIFY(p.messages().shown().isEmpty());
    QCOMPARE(s.w->DBGrid1->model()->rowCount(), rows);
}

void TestTimesheetWindow::leaving()
{
    Program p;
    p.in();
    int result = -1;
    p.modal().script<TForm19>([&](TForm19 *w) {
        QTest::mouseClick(w->Button4, Qt::LeftButton);
        result = w->result();
        return result;
    });
    p.journal()->N11Click();
    QCOMPARE(result, int(QDialog::Rejected));
    bool hidden = false;
    result = -1;
    p.modal().script<TForm19>([&](TForm19 *w) {
        QTest::keyClick(w, Qt::Key_Escape);
        hidden = !w->isVisible();
        result = w->result();
        return result;
    });
    p.journal()->N11Click();
    QVERIFY(hidden);
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!dataModule().H_Tabel_1.isOpen());
}

QTEST_MAIN(TestTimesheetWindow)
#include "tst_timesheet_window.moc"
