// The timesheet's outputs: the month exported to a workbook (read back from the saved file) with
// its "Excel (k из N)" caption and the note of where it went, the window's other commands held
// while the export runs, and "Печать" with the timesheet layout's preview titled with its month.

#include "support/report_fixture.h"
#include "support/xlsx_reader.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "reports/layouts/timesheet_print.h"
#include "timesheet/timesheet_window.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace reptest;

namespace {

// The column letters of the sheet: 1 -> "A", 33 -> "AG".
QString columnName(int column)
{
    QString name;
    for (int c = column; c > 0; c = (c - 1) / 26)
        name.prepend(QChar(u'A' + (c - 1) % 26));
    return name;
}

QString ref(int column, int row)
{
    return columnName(column) + QString::number(row);
}

// Exports the month of `date` and returns the saved file ("" when none was saved).
QString exportOf(Program &p, const QDate &date, QStringList *captions = nullptr)
{
    const qsizetype before = p.p.seams.spreadsheets.opened().size();
    openTimesheetOn(p, date, [&](TForm19 *w) {
        QVERIFY(QTest::qWaitForWindowExposed(w));
        Captions seen(w->Button2);
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        if (captions)
            *captions = seen.shown;
    });
    const QStringList opened = p.p.seams.spreadsheets.opened();
    return opened.size() == before + 1 ? opened.last() : QString();
}

} // namespace

class TestTimesheetOutput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportMonth();
    void exportOfEmptyMonth();
    void exportCountsRows();
    void exportHoldsOtherCommands();
    void captionBackOnOpening();
    void print_data();
    void print();
};

void TestTimesheetOutput::exportMonth()
{
    Program p;
    p.in();
    const int a = p.worker(4);
    const int b = p.worker(5);
    // One worker in shifts 1 and 2 and in overtime: one line, the shifts added day by day.
    p.addHoursRow(a, 1, 3, 2021, {{1, 8}, {2, 8}, {31, 4}});
    p.addHoursRow(a, 2, 3, 2021, {{2, 3}, {3, 10}});
    p.addHoursRow(a, 4, 3, 2021, {{6, 2}});
    p.addHoursRow(b, 3, 3, 2021, {{15, 12}});
    p.addHoursRow(b, 1, 4, 2021, {{15, 5}}); // April: not this month

    QStringList captions;
    const QString file = exportOf(p, QDate(2021, 3, 15), &captions);
    QVERIFY(!file.isEmpty());
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    QVERIFY(file.contains(QStringLiteral("Табель Март 2021")));
    XLSX_READ(book, file);

    // The title and the header, bold.
    const xlsxtest::ReadCell title = book.cell("A1");
    QCOMPARE(title.value.toString(), QStringLiteral("Март 2021"));
    QCOMPARE(title.format, QStringLiteral("@"));
    QVERIFY(title.bold);
    QCOMPARE(book.cell("A2").value.toString(), QStringLiteral("Фамилия И.О."));
    QVERIFY(book.cell("A2").bold);
    for (int day = 1; day <= 31; ++day) {
        const xlsxtest::ReadCell c = book.cell(ref(day + 1, 2));
        QCOMPARE(c.type, QStringLiteral("n"));
        QCOMPARE(c.value.toInt(), day);
        QVERIFY(c.bold);
    }
    QCOMPARE(book.cell("AG2").value.toString(), QStringLiteral("Итого"));
    QVERIFY(book.cell("AG2").bold);

    // One line per worker, by name; every day written, the empty ones as 0.
    QStringList names {p.name(a), p.name(b)};
    std::sort(names.begin(), names.end());
    const QMap<QString, Days> hours {{p.name(a), {{1, 8}, {2, 11}, {3, 10}, {6, 2}, {31, 4}}},
                                     {p.name(b), {{15, 12}}}};
    for (int i = 0; i < 2; ++i) {
        const int row = 3 + i;
        const xlsxtest::ReadCell name = book.cell(ref(1, row));
        QCOMPARE(name.value.toString(), names[i]);
        QCOMPARE(name.format, QStringLiteral("@"));
        QVERIFY(!name.bold);
        int total = 0;
        for (int day = 1; day <= 31; ++day) {
            const xlsxtest::ReadCell c = book.cell(ref(day + 1, row));
            QCOMPARE(c.type, QStringLiteral("n"));
            QCOMPARE(c.value.toInt(), hours[names[i]].value(day));
            QVERIFY(!c.bold);
            total += hours[names[i]].value(day);
        }
        QCOMPARE(book.cell(ref(33, row)).value.toInt(), total);
    }
    QVERIFY(!book.has("A5"));
    // The caption counts the rows as they are written and is painted while the export runs,
    // from none to all of them.
    const QStringList counted = captions.mid(captions.indexOf(QStringLiteral("Excel (0 из 2)")));
    QVERIFY2(counted.size() >= 2, qPrintable(captions.join(u';')));
    QCOMPARE(counted.last(), QStringLiteral("Excel (2 из 2)"));
    QVERIFY(!forms().timesheetPrint->H_Tabel.isOpen());
    // The window says where the file went and shows its folder on request.
    TForm19 *w = forms().timesheet;
    QVERIFY(w->NoteExport->isVisibleTo(w));
    QCOMPARE(w->NoteExport->LabelSaved->text(),
             QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(file));
    QTest::mouseClick(w->NoteExport->ButtonFolder, Qt::LeftButton);
    QCOMPARE(p.p.seams.spreadsheets.openedFolders(), QStringList {QFileInfo(file).absolutePath()});
}

void TestTimesheetOutput::exportOfEmptyMonth()
{
    Program p;
    p.in();
    const QString file = exportOf(p, QDate(2021, 3, 15));
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);
    // The title, the name's title, 31 days and the total's title.
    QCOMPARE(book.cells.size(), 1 + 1 + 31 + 1);
    QVERIFY(!book.has("A3"));
    QCOMPARE(forms().timesheet->Button2->text(), QStringLiteral("Excel (0 из 0)"));
    QVERIFY(p.messages().shown().isEmpty());
}

void TestTimesheetOutput::exportCountsRows()
{
    Program p;
    p.in();
    for (int i = 0; i < 12; ++i)
        p.addHoursRow(p.worker(i), 1 + i % 3, 2, 2021, {{1 + i, 8}});
    QString caption;
    QString file;
    openTimesheetOn(p, QDate(2021, 2, 1), [&](TForm19 *w) {
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        caption = w->Button2->text();
        file = p.p.seams.spreadsheets.opened().value(0);
    });
    QCOMPARE(caption, QStringLiteral("Excel (12 из 12)"));
    XLSX_READ(book, file);
    QVERIFY(book.has("A14"));
    QVERIFY(!book.has("A15"));
}

void TestTimesheetOutput::exportHoldsOtherCommands()
{
    Program p;
    p.in();
    p.addHoursRow(p.worker(0), 1, 3, 2021, {{3, 99}});
    p.addHoursRow(p.worker(1), 1, 3, 2021, {{4, 8}});
    bool held = false;
    bool stillShown = false;
    QString monthDuring;
    openTimesheetOn(p, QDate(2021, 3, 15), [&](TForm19 *w) {
        // Runs between the export's rows, as a user's clicks would.
        QTimer::singleShot(0, w, [&, w] {
            held = w->busy();
            for (QWidget *c :
                 std::initializer_list<QWidget *> {w->Button1, w->Button2, w->Button4, w->Button5,
                                                   w->Button6, w->ComboBox1, w->ComboBox2})
                held = held && !c->isEnabled();
            QTest::mouseClick(w->Button1, Qt::LeftButton); // "Перестроить"
            QTest::mouseClick(w->Button5, Qt::LeftButton); // "Обновить"
            QTest::mouseClick(w->Button2, Qt::LeftButton); // a second export
            QTest::keyClick(w->ComboBox1, Qt::Key_Down); // another month
            QTest::keyClick(w, Qt::Key_Escape);
            w->close();
            w->Button4Click();
            monthDuring = w->ComboBox1->currentText();
            stillShown = w->isVisible();
        });
        QTest::mouseClick(w->Button2, Qt::LeftButton);
        QVERIFY(w->isVisible());
        QVERIFY(!w->busy());
        QVERIFY(w->Button1->isEnabled() && w->Button4->isEnabled() && w->ComboBox1->isEnabled());
        QCOMPARE(w->Button2->text(), QStringLiteral("Excel (2 из 2)"));
    });
    QVERIFY(held);
    QVERIFY(stillShown);
    QCOMPARE(monthDuring, QStringLiteral("Март"));
    // No rebuild ran (it would have cleared the month without records) and one file was saved.
    QCOMPARE(p.count("select count(*) from accounts_dep.h_tabel where month = 3 and year = 2021"),
             2);
    QCOMPARE(p.p.seams.spreadsheets.opened().size(), 1);
    QVERIFY(p.messages().shown().isEmpty());
}

void TestTimesheetOutput::captionBackOnOpening()
{
    Program p;
    p.in();
    p.addHoursRow(p.worker(0), 1, 3, 2021, {{3, 8}});
    exportOf(p, QDate(2021, 3, 15));
    QCOMPARE(forms().timesheet->Button2->text(), QStringLiteral("Excel (1 из 1)"));
    QString caption;
    openTimesheetOn(p, QDate(2021, 3, 15), [&](TForm19 *w) { caption = w->Button2->text(); });
    QCOMPARE(caption, QStringLiteral("Excel"));
}

void TestTimesheetOutput::print_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");
    QTest::newRow("March 2021") << QDate(2021, 3, 15) << "Март 2021 г."
                                << "Табель по времени март 2021";
    QTest::newRow("April 2021") << QDate(2021, 4, 2) << "Апрель 2021 г."
                                << "Табель по времени апрель 2021";
}

void TestTimesheetOutput::print()
{
    QFETCH(QDate, date);
    QFETCH(QString, caption);
    QFETCH(QString, title);
    Program p;
    p.in();
    const int a = p.worker(7);
    const int b = p.worker(8);
    p.addHoursRow(a, 1, date.month(), date.year(), {{1, 8}, {2, 4}});
    p.addHoursRow(a, 2, date.month(), date.year(), {{2, 4}, {30, 9}});
    p.addHoursRow(b, 3, date.month(), date.year(), {{5, 7}});
    openTimesheetOn(p, date, [&](TForm19 *w) { QTest::mouseClick(w->Button6, Qt::LeftButton); });
    QVERIFY2(p.messages().shown().isEmpty(), qPrintable(p.messages().texts().join('\n')));
    QCOMPARE(p.p.seams.previews.count(), 1);
    const reports::PreparedReport r = p.p.seams.previews.last();
    QCOMPARE(r.pageCount(), 1);
    QCOMPARE(r.title, title); // the preview's caption and the PDF's name
    const reports::Page &page = r.pages.front();
    QVERIFY(page.size.width() > page.size.height()); // landscape
    QVERIFY(page.hasText(caption));
    // The header: 31 days whatever the month's length, and the total.
    QStringList header {caption};
    for (int day = 1; day <= 31; ++day)
        header << QString::number(day);
    header << QStringLiteral("Итого");
    const auto rows = page.rows();
    QVERIFY(std::find(rows.begin(), rows.end(), header) != rows.end());
    // The worker of two shifts is one line with the shifts added day by day.
    int lines = 0;
    for (const QStringList &row : rows) {
        if (row.value(0) != p.name(a))
            continue;
        ++lines;
        QCOMPARE(row.value(1), QStringLiteral("8"));
        QCOMPARE(row.value(2), QStringLiteral("8"));
        QCOMPARE(row.value(30), QStringLiteral("9"));
        QCOMPARE(row.last(), QStringLiteral("25"));
    }
    QCOMPARE(lines, 1);
    QVERIFY(page.rowTexts().join('\n').contains(p.name(b)));
    QVERIFY(!forms().timesheetPrint->H_Tabel.isOpen());
}

QTEST_MAIN(TestTimesheetOutput)
#include "tst_timesheet_output.moc"
