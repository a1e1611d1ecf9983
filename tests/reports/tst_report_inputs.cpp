// Hostile input in the report windows (the summary reports, the worker and the product report):
// texts typed over the period's dates, periods turned round or as wide as the pickers go, and
// worker names and item marks with quotes, backslashes, "%", "_", emoji and long texts. The
// pickers keep a real date whatever is typed, every report runs on the dates they show without a
// message, and the names show as the database holds them, also under the product kind filter.

#include "support/report_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "reports/product_report_window.h"
#include "reports/summary_reports_window.h"
#include "reports/worker_report_window.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>

using namespace reptest;

namespace {

const QDate kFrom(2021, 3, 1);
const QDate kTo(2021, 4, 1);

enum Window { Summary, Workers, Products };
const char *const kWindows[] = {"сводные отчеты", "отчет по рабочим", "отчет по продукции"};

// Types over the whole text of a date picker as a keyboard would, then leaves it.
void typeOver(QDateEdit *picker, const QString &text)
{
    picker->setFocus();
    picker->selectAll();
    for (const char32_t c : text.toUcs4()) {
        const QString key = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, c < 128 ? int(QChar(c).toUpper().unicode()) : 0,
                        Qt::NoModifier, key);
        QApplication::sendEvent(picker, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, key);
        QApplication::sendEvent(picker, &release);
    }
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(picker, &out);
    Q_EMIT picker->editingFinished();
}

// Opens one of the three windows from the journal's menu "Отчеты"; `inside` drives it.
void openWindow(Program &p, int window,
                const std::function<void(reports::PeriodBox *, reports::RadioGroup *)> &inside,
                const std::function<void(QWidget *)> &run)
{
    dataModule().showHiddenCommands = true;
    auto drive = [&](QWidget *w, reports::PeriodBox *period, reports::RadioGroup *kind) {
        inside(period, kind);
        run(w);
        return int(QDialog::Rejected);
    };
    if (window == Summary) {
        p.modal().script<TForm18>(
            [&](TForm18 *w) { return drive(w, w->GroupBox1, w->RadioGroup1); });
        p.journal()->N10Click();
        return;
    }
    if (window == Workers)
        p.modal().script<TForm12>(
            [&](TForm12 *w) { return drive(w, w->GroupBox1, w->RadioGroup1); });
    else
        p.modal().script<TForm13>(
            [&](TForm13 *w) { return drive(w, w->GroupBox1, w->RadioGroup1); });
    QAction *a = p.journal()->findChild<QAction *>(
        QLatin1String(window == Workers ? "NWorkerReport" : "NProductReport"));
    QVERIFY(a);
    a->trigger();
}

// Records of the first worker on 1, 2, 15 and 31 March 2021 whose quantities are their days: the
// sum tells which records a report took.
void addMarchRecords(Program &p)
{
    const int finished = p.count("select min(id) from mnf_operation.operation where id_state = 0");
    for (int day : {1, 2, 15, 31})
        p.addRecord({QDate(2021, 3, day), 1, p.worker(0), 8, finished, double(day), 0, 2});
}

// What a window showed for its period: the grid's rows or the preview's texts, one string each.
QStringList runReport(Program &p, QWidget *w, int window)
{
    if (window == Summary) {
        const int before = p.p.seams.previews.count();
        QTest::mouseClick(static_cast<TForm18 *>(w)->Button4, Qt::LeftButton);
        if (p.p.seams.previews.count() != before + 1)
            return {QStringLiteral("(no preview)")};
        QStringList rows;
        for (const QStringList &row : p.p.seams.previews.last().allRows())
            rows << row.join(u'|');
        return rows;
    }
    auto *r = static_cast<reports::PeriodReportWindow *>(w);
    QTest::mouseClick(r->Button1, Qt::LeftButton);
    QStringList rows;
    const QAbstractItemModel *m = r->DBGrid1->model();
    for (int row = 0; row < m->rowCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(row, c).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace

class TestReportInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typedDates_data();
    void typedDates();
    void typedPeriod_data();
    void typedPeriod();
    void periods_data();
    void periods();
    void recordTexts_data();
    void recordTexts();
};

void TestReportInputs::typedDates_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("typed");
    // The three windows share the period box: every text in one, a few in the others.
    for (int window : {Summary, Workers, Products}) {
        QList<const char *> texts {"'; drop table accounts_dep.smena; --", "😀", "31.02.2021",
                                   "99.99.9999"};
        if (window == Summary)
            texts << "\""
                  << "\\"
                  << "%_"
                  << ";"
                  << "Март"
                  << ""
                  << "00.00.0000"
                  << "1e5"
                  << "12,5,3"
                  << "-0"
                  << "99999999999999999999"
                  << "01.03.2021";
        for (const char *text : texts)
            QTest::addRow("%s: %s", kWindows[window], text) << window << QString::fromUtf8(text);
    }
}

// Whatever is typed over the start date, the picker holds a real date: the one it had when the
// text holds no digit, and the report covers exactly the dates the pickers show.
void TestReportInputs::typedDates()
{
    QFETCH(int, window);
    QFETCH(QString, typed);
    Program p(QDate(2021, 4, 10)); // the windows offer March 2021
    p.in();
    addMarchRecords(p);
    QDate from, to;
    QStringList shown, expected;
    openWindow(
        p, window,
        [&](reports::PeriodBox *period, reports::RadioGroup *) {
            period->DTPicker1->setDate(kFrom);
            period->DTPicker2->setDate(kTo);
            typeOver(period->DTPicker1, typed);
            from = period->DTPicker1->date();
            to = period->DTPicker2->date();
        },
        [&](QWidget *w) {
            shown = runReport(p, w, window);
            // The same report on the dates as set by a person who picks them from the calendar.
            auto *period = w->findChild<reports::PeriodBox *>();
            period->DTPicker1->setDate(from);
            expected = runReport(p, w, window);
        });
    QVERIFY2(!p.modal().failed(), qPrintable(p.modal().failures().join('\n')));
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    QVERIFY(from.isValid());
    QCOMPARE(to, kTo);
    bool digits = false;
    for (const QChar c : typed)
        digits = digits || (c >= u'0' && c <= u'9');
    if (!digits)
        QCOMPARE(from, kFrom);
    // A period turned round by the typing is empty, and empty the same way.
    QVERIFY(window != Summary || !shown.isEmpty());
    QCOMPARE(shown, expected);
    const QString fromText = from.toString(QStringLiteral("dd.MM.yyyy"));
    if (window == Summary)
        QVERIFY2(shown.join('\n').contains(QStringLiteral("за период с ") + fromText
                                           + QStringLiteral(" по 01.04.2021")),
                 qPrintable(shown.join('\n')));
}

void TestReportInputs::typedPeriod_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("selectAll"); // Ctrl+A after the click on the start's day
    QTest::addColumn<QString>("from"); // typed over the start, then Tab and the end
    QTest::addColumn<QString>("to");
    for (int window : {Summary, Workers}) {
        QTest::addRow("%s: a click, points", kWindows[window]) << window << false << "15.03.2021"
                                                               << "16.03.2021";
        QTest::addRow("%s: Ctrl+A, digits alone", kWindows[window]) << window << true << "15032021"
                                                                    << "16032021";
    }
}

// A clerk types the period: a click into the start, its date, Tab to the end, its date. The
// report covers the days typed.
void TestReportInputs::typedPeriod()
{
    QFETCH(int, window);
    QFETCH(bool, selectAll);
    QFETCH(QString, from);
    QFETCH(QString, to);
    Program p(QDate(2021, 4, 10)); // the windows offer March 2021
    p.in();
    addMarchRecords(p);
    QDate start, end;
    QStringList shown;
    openWindow(
        p, window,
        [&](reports::PeriodBox *period, reports::RadioGroup *) {
            QWidget *w = period->window();
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            auto *edit = period->DTPicker1->findChild<QLineEdit *>();
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(2, edit->height() / 2));
            if (selectAll)
                QTest::keyClick(period->DTPicker1, Qt::Key_A, Qt::ControlModifier);
            QVERIFY(period->DTPicker1->hasFocus());
            QTest::keyClicks(period->DTPicker1, from);
            QTest::keyClick(period->DTPicker1, Qt::Key_Tab);
            QVERIFY(period->DTPicker2->hasFocus());
            QTest::keyClicks(period->DTPicker2, to);
        },
        [&](QWidget *w) {
            shown = runReport(p, w, window);
            auto *period = w->findChild<reports::PeriodBox *>();
            start = period->DTPicker1->date();
            end = period->DTPicker2->date();
        });
    QVERIFY2(!p.modal().failed(), qPrintable(p.modal().failures().join('\n')));
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    QCOMPARE(start, QDate(2021, 3, 15));
    QCOMPARE(end, QDate(2021, 3, 16));
    if (window == Summary) {
        QVERIFY2(shown.join('\n').contains(QStringLiteral("за период с 15.03.2021 по 16.03.2021")),
                 qPrintable(shown.join('\n')));
        return;
    }
    // The worker's one row holds the record of 15 March alone.
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("|15|")), qPrintable(shown.first()));
}

void TestReportInputs::periods_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("records"); // of the four March records; -1: the demo plant's too
    for (int window : {Summary, Workers, Products}) {
        QTest::addRow("%s: turned round", kWindows[window]) << window << kTo << kFrom << 0;
        QTest::addRow("%s: one day, empty", kWindows[window]) << window << kFrom << kFrom << 0;
        QTest::addRow("%s: from the pickers' first day", kWindows[window])
            << window << QDate(1752, 9, 14) << kTo << 4;
        QTest::addRow("%s: to the pickers' last day", kWindows[window])
            << window << kFrom << QDate(9999, 12, 31) << -1;
        QTest::addRow("%s: below the pickers' first day", kWindows[window])
            << window << QDate(100, 1, 1) << QDate(2021, 3, 2) << 1;
    }
}

// Any period the pickers accept runs without a message; one that ends before it starts is
// empty.
void TestReportInputs::periods()
{
    QFETCH(int, window);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, records);
    Program p(QDate(2021, 4, 10));
    p.in();
    addMarchRecords(p);
    QStringList shown;
    openWindow(
        p, window,
        [&](reports::PeriodBox *period, reports::RadioGroup *) {
            period->DTPicker1->setDate(from);
            period->DTPicker2->setDate(to);
        },
        [&](QWidget *w) { shown = runReport(p, w, window); });
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    if (records < 0) {
        QVERIFY(shown.size() > 1);
        return;
    }
    if (window == Summary) {
        QCOMPARE(p.p.seams.previews.count(), 1);
        const QString text = shown.join('\n');
        QCOMPARE(text.contains(QStringLiteral("49")), records == 4);
        return;
    }
    // The worker's rows of the kind hold the quantities of the records in the period.
    const QList<int> quantities {1, 2, 15, 31};
    int sum = 0;
    for (int i = 0; i < records; ++i)
        sum += quantities[i];
    QCOMPARE(shown.size(), records ? 1 : 0);
    if (records)
        QVERIFY2(shown.first().contains(u'|' + QString::number(sum) + u'|'), qPrintable(shown[0]));
}

void TestReportInputs::recordTexts_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("name"); // of the worker
    QTest::addColumn<QString>("mark"); // of the item
    QTest::addColumn<QString>("shownName"); // as the reports' catalogue keeps them (50 letters)
    QTest::addColumn<QString>("shownMark");
    const QString long254 = QString(253, QChar(u'Ж')) + u'%';
    const QString kept50 = QString(50, QChar(u'Ж'));
    const QList<std::pair<QString, QString>> texts {
        {"О'Нил Д'Артаньян Петрович", "ШМ-'01'"},
        {"Иванов \"Младший\" Иван", "ШМ \"01\""},
        {"C:\\Петров\\ П.", "ШМ\\01\\"},
        {"Сидоров; drop table x; --", "ШМ-01'; delete from accounts_dep.smena; --"},
        {"Ковалёв 100% _И_", "ШМ_01%"},
        {"Ёлкин Ёжик Ёфимович", "ШМ-01 «ёлка»"},
        {"Смайлов 😀 Эмодзи", "ШМ 🗄️ 01"},
        {"=СУММ(A1:A2)", "=1+1"},
    };
    for (int window : {Summary, Workers, Products}) {
        for (const auto &[name, mark] : texts)
            QTest::addRow("%s: %s", kWindows[window], qPrintable(name))
                << window << name << mark << name << mark;
        QTest::addRow("%s: 254 letters", kWindows[window])
            << window << long254 << long254 << kept50 << kept50;
    }
}

void TestReportInputs::recordTexts()
{
    QFETCH(int, window);
    QFETCH(QString, name);
    QFETCH(QString, mark);
    QFETCH(QString, shownName);
    QFETCH(QString, shownMark);
    Program p(QDate(2021, 4, 10));
    p.in();
    const int finished = p.count("select min(id) from mnf_operation.operation where id_state = 0");
    const int part = p.count("select min(id) from mnf_operation.operation where id_state = 1");
    const int worker = p.worker(0);
    p.exec(QStringLiteral("update cmn_contractor.person set s_caption = $t$%1$t$ where s_code = "
                          "'%2'")
               .arg(name)
               .arg(worker));
    p.exec(QStringLiteral("update cmn_inventory_items.inventory_items set marka = $t$%1$t$ where "
                          "id = (select id_inventory_items from mnf_operation.operation where id "
                          "= %2)")
               .arg(mark)
               .arg(finished));
    QCOMPARE(p.name(worker), name);
    p.addRecord({QDate(2021, 3, 2), 1, worker, 8, finished, 7, 0, 2});
    p.addRecord({QDate(2021, 3, 3), 1, worker, 8, part, 5, 0, 2});
    QStringList all, finishedOnly;
    openWindow(
        p, window,
        [&](reports::PeriodBox *period, reports::RadioGroup *) {
            period->DTPicker1->setDate(kFrom);
            period->DTPicker2->setDate(kTo);
        },
        [&](QWidget *w) {
            all = runReport(p, w, window);
            w->findChild<reports::RadioGroup *>()->item(1)->click();
            finishedOnly = runReport(p, w, window);
        });
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    const QString allText = all.join('\n');
    const QString finishedText = finishedOnly.join('\n');
    if (window != Products)
        QVERIFY2(allText.contains(shownName), qPrintable(allText));
    if (window != Summary) {
        // The grid's cells hold the texts whole: a row of the finished item with its mark.
        bool found = false;
        for (const QString &row : finishedOnly)
            found = found || row.split(u'|').contains(shownMark);
        QVERIFY2(found, qPrintable(finishedText));
        QCOMPARE(finishedOnly.size(), 1);
        QCOMPARE(all.size(), 2);
    } else {
        QVERIFY2(finishedText.contains(shownName), qPrintable(finishedText));
    }
    QVERIFY(!finishedText.contains(QStringLiteral("Заготовки")));
}

QTEST_MAIN(TestReportInputs)
#include "tst_report_inputs.moc"
