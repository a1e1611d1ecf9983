// The journal window: activation (all four shifts, and when it runs on a window's return),
// shifts, date change by Enter and by the drop-down calendar, day-off mark, OK colours, sorting
// by titles, refresh, the menu's openings, the style chooser and the double-click.

#include "support/program_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/items_window.h"
#include "journal/entry_editor.h"
#include "journal/journal_window.h"
#include "reports/summary_reports_window.h"
#include "timesheet/timesheet_window.h"
#include "ui/styles.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

using namespace testing;

namespace {

const QDate kWednesday(2026, 10, 7);
const QDate kSaturday(2026, 10, 10);

struct Record
{
    int shift = 1;
    QDate date = kWednesday;
    QString ok = QStringLiteral("no"); // "" = null
    double kolVo = 10;
    int brak = 0;
    double cena = 1.5;
    int person = 0; // n-th worker of the demo plant
};

// Adds a shift record of the demo plant's n-th worker and first operation; returns its id.
int addRecord(TestDatabase &db, const Record &r)
{
    const QString w = db.scalar(QStringLiteral("select s_code from cmn_contractor.person where "
                                               "b_employee order by id offset %1 limit 1")
                                    .arg(r.person));
    const QString o = db.scalar(QStringLiteral("select min(id) from mnf_operation.operation"));
    const QString i = db.scalar(
        QStringLiteral("select id_inventory_items from mnf_operation.operation where id = %1")
            .arg(o));
    return db
        .scalar(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, "
                               "cena, kol_vo, brak, time, prize, ok, vvod) values "
                               "('%1', %2, %3, %4, %5, %6, %7, %8, 8, 0, %9, now()) "
                               "returning id")
                    .arg(r.date.toString(Qt::ISODate))
                    .arg(r.shift)
                    .arg(w, i, o)
                    .arg(r.cena)
                    .arg(r.kolVo)
                    .arg(r.brak)
                    .arg(r.ok.isEmpty() ? QStringLiteral("null")
                                        : QLatin1Char('\'') + r.ok + QLatin1Char('\'')))
        .toInt();
}

struct Logged
{
    ProgramFixture p;
    explicit Logged(const QDate &today) { p.seams.setNow(QDateTime(today, QTime(9, 0))); }
    void in(const QString &login = QStringLiteral("senior"))
    {
        QVERIFY(p.start());
        p.login(login, login);
        QVERIFY2(p.seams.messages.shown().isEmpty(),
                 qPrintable(p.seams.messages.texts().join('\n')));
    }
    TForm1 *j() const { return p.journal(); }
    // Three records of shift 2 today, quantities 10, 11 and 12; the journal on shift 2.
    void inOnShift2WithThreeRecords()
    {
        for (int i = 0; i < 3; ++i)
            addRecord(p.db, {2, ui::today(), "no", 10.0 + i, 0, 1.5, i});
        in();
        j()->RadioButton2->click();
    }
    int rows() const { return j()->DBGrid2->model()->rowCount(); }
};

QStringList columnTexts(TForm1 *j, int column)
{
    QStringList r;
    auto *m = j->DBGrid2->model();
    for (int row = 0; row < m->rowCount(); ++row)
        r << m->index(row, column).data().toString();
    return r;
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gridColumns();
    void activationShowsTodaysFirstShift();
    void okColoursAndNullOk();
    void titleClickSorts();
    void titleClickOnClosedShift();
    void sortIndicatorFollowsSort();
    void dayOff();
    void refreshReopensAll();
    void menuOpenings_data();
    void menuOpenings();
    void timesheetAndReportsOpenings();
    void styleChooser();
    void doubleClick_data();
    void doubleClick();
    void viewReturnsToRow();
    void changeKeepsShiftSortAndRow();
    void noWindowNoActivation_data();
    void noWindowNoActivation();
    void acceptedRowRefusalInStatusLine_data();
    void acceptedRowRefusalInStatusLine();
    void returnKeepsDateWhenSet_data();
    void returnKeepsDateWhenSet();
    void calendarClosing_data();
    void calendarClosing();
    void typedDate_data();
    void typedDate();
};

void TestJournal::gridColumns()
{
    const auto cols = TForm1::gridColumns();
    QCOMPARE(cols.size(), 13);
    const QStringList titles {
        "Фамилия И.О.", "Марка изделия", "Операция",   "Вид", "Цвет",    "Часы", "Кол-во",
        "Брак",         "Итого (р.)",    "Премия (%)", "OK",  "Заведен", "№ ЗВП"};
    for (int i = 0; i < 13; ++i) {
        QCOMPARE(cols[i].title, titles[i]);
        QCOMPARE(cols[i].visible, i != 9);
    }
}

void TestJournal::activationShowsTodaysFirstShift()
{
    Logged l(kWednesday);
    for (int i = 0; i < 3; ++i)
        addRecord(l.p.db, {1, kWednesday, "no", 10, 0, 1.5, i});
    addRecord(l.p.db, {2, kWednesday});
    addRecord(l.p.db, {2, kWednesday, "ok"});
    addRecord(l.p.db, {1, kWednesday.addDays(-1)});
    l.in();
    TForm1 *j = l.j();
    QCOMPARE(j->DateT->date(), kWednesday);
    QCOMPARE(l.rows(), 3);
    // All four shifts are open from the start, not only the first.
    for (int s = 1; s <= 4; ++s)
        QVERIFY(dataModule().journal(s).isOpen());
    // Every column shows for shift 1 as well: the operation, the kind, the amount.
    QVERIFY(!columnTexts(j, 2).contains(QString()));
    QCOMPARE(columnTexts(j, 3).size(), 3);
    QCOMPARE(columnTexts(j, 8), QStringList(3, QStringLiteral("15")));

    j->RadioButton2->click();
    QCOMPARE(j->currentShift, 2);
    QCOMPARE(j->DBGrid2->dataset(), &dataModule().Smena2);
    QCOMPARE(l.rows(), 2);
    QVERIFY(j->RadioButton2->font().bold() && !j->RadioButton1->font().bold());
    QCOMPARE(j->RadioButton2->palette().color(j->RadioButton2->backgroundRole()),
             QColor(0, 128, 0));
    QVERIFY(j->RadioButton2->autoFillBackground() && !j->RadioButton1->autoFillBackground());

    // Enter in the date picker reloads all four shifts.
    addRecord(l.p.db, {2, kWednesday, "no", 10, 0, 1.5, 4});
    QTest::keyClick(j->DateT, Qt::Key_Return);
    QCOMPARE(l.rows(), 3);
    for (int s = 1; s <= 4; ++s)
        QVERIFY(dataModule().journal(s).isOpen());

    // Another date by typing and Enter.
    j->DateT->setDate(kWednesday.addDays(-1));
    QTest::keyClick(j->DateT, Qt::Key_Enter);
    QCOMPARE(l.rows(), 0);
    j->RadioButton1->click();
    QCOMPARE(l.rows(), 1);

    // Typing a date alone reloads nothing.
    j->DateT->setDate(kWednesday);
    QCOMPARE(l.rows(), 1);
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

void TestJournal::okColoursAndNullOk()
{
    Logged l(kWednesday);
    addRecord(l.p.db, {1, kWednesday, "ok", 1, 0, 1, 0});
    addRecord(l.p.db, {1, kWednesday, "да", 2, 0, 1, 1});
    addRecord(l.p.db, {1, kWednesday, "no", 3, 0, 1, 2});
    addRecord(l.p.db, {1, kWednesday, "", 4, 0, 1, 3});
    l.in();
    TForm1 *j = l.j();
    QCOMPARE(l.rows(), 3); // the record whose ok is null is not listed
    db::Dataset &ds = dataModule().Smena1;
    const int okField = ds.fieldIndex(QStringLiteral("ok"));
    for (int row = 0; row < 3; ++row) {
        const QString ok = ds.valueAt(row, okField).toString();
        QFont font;
        QColor color(Qt::black);
        j->DBGrid2DrawColumnCell(QStringLiteral("ok"), row, font, color);
        QVERIFY(font.bold());
        QCOMPARE(color, ok == QLatin1String("no") ? QColor(255, 0, 0) : QColor(0, 128, 0));
        QFont other;
        QColor otherColor(Qt::black);
        j->DBGrid2DrawColumnCell(QStringLiteral("fio"), row, other, otherColor);
        QVERIFY(!other.bold());
        QCOMPARE(otherColor, QColor(Qt::black));
    }
    // The grid hands the styler the OK column's field name.
    QVERIFY(j->DBGrid2->cellStyler());
}

void TestJournal::titleClickSorts()
{
    Logged l(kWednesday);
    addRecord(l.p.db, {1, kWednesday, "no", 10, 0, 2, 0}); // 20
    addRecord(l.p.db, {1, kWednesday, "no", 5, 1, 3, 1}); // 12
    addRecord(l.p.db, {1, kWednesday, "ok", 30, 0, 1, 2}); // 30
    l.in();
    TForm1 *j = l.j();
    db::Dataset &ds = dataModule().Smena1;
    QVERIFY(ds.sort().isEmpty());
    j->DBGrid2TitleClick(8);
    QCOMPARE(ds.sort(), QStringLiteral("summa DESC, marka, fio, id ASC"));
    QCOMPARE(columnTexts(j, 8), (QStringList {"30", "20", "12"}));
    j->DBGrid2TitleClick(8);
    QCOMPARE(ds.sort(), QStringLiteral("summa, marka, fio, id ASC"));
    QCOMPARE(columnTexts(j, 8), (QStringList {"12", "20", "30"}));
    for (int inert : {4, 5, 7, 9}) {
        j->DBGrid2TitleClick(inert);
        QCOMPARE(ds.sort(), QStringLiteral("summa, marka, fio, id ASC"));
    }
    // Every sort of the table works on shift 1, the operation and the kind included.
    for (int column : {0, 1, 2, 3, 6, 8, 10, 11, 12}) {
        j->DBGrid2TitleClick(column);
        j->DBGrid2TitleClick(column);
    }
    QVERIFY2(l.p.seams.messages.shown().isEmpty(),
             qPrintable(l.p.seams.messages.texts().join('\n')));
    j->DBGrid2TitleClick(10);
    QCOMPARE(ds.sort(), QStringLiteral("ok DESC, marka, fio, id ASC"));
    QCOMPARE(columnTexts(j, 10), (QStringList {"ok", "no", "no"}));
}

void TestJournal::titleClickOnClosedShift()
{
    Logged l(kWednesday);
    l.in();
    TForm1 *j = l.j();
    j->RadioButton3->click();
    // Left closed by a reload that failed before reaching it.
    dataModule().Smena3.close();
    // Through the grid's signal, as a click would come: the error box, nothing changes.
    Q_EMIT j->DBGrid2->titleClicked(8);
    QCOMPARE(l.p.seams.messages.errors().size(), 1);
    QVERIFY(dataModule().Smena3.sort().isEmpty());
}

// The title of the column the journal is sorted by shows the direction, driven by clicks on
// the titles; reloads that drop the sort take the arrow away, those that keep it keep it.
void TestJournal::sortIndicatorFollowsSort()
{
    Logged l(kWednesday);
    l.inOnShift2WithThreeRecords();
    TForm1 *j = l.j();
    j->show();
    QVERIFY(QTest::qWaitForWindowExposed(j));
    QHeaderView *titles = j->DBGrid2->horizontalHeader();
    auto click = [&](int column) {
        j->DBGrid2->scrollTo(j->DBGrid2->model()->index(0, column));
        const int x = titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2;
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, QPoint(x, titles->height() / 2));
    };
    auto arrow = [&]() -> QString {
        if (!titles->isSortIndicatorShown())
            return QStringLiteral("none");
        return QStringLiteral("%1 %2")
            .arg(titles->sortIndicatorSection())
            .arg(titles->sortIndicatorOrder() == Qt::DescendingOrder ? "desc" : "asc");
    };
    QCOMPARE(arrow(), QStringLiteral("none"));
    click(8); // "Итого (р.)"
    QCOMPARE(dataModule().Smena2.sort(), QStringLiteral("summa DESC, marka, fio, id ASC"));
    QCOMPARE(arrow(), QStringLiteral("8 desc"));
    click(8);
    QCOMPARE(arrow(), QStringLiteral("8 asc"));
    click(7); // "Брак" sorts nothing: the arrow stays where the sort is
    QCOMPARE(arrow(), QStringLiteral("8 asc"));
    click(3); // "Вид" sorts by the kind's number
    QCOMPARE(dataModule().Smena2.sort(), QStringLiteral("naimen DESC, marka, fio, id ASC"));
    QCOMPARE(arrow(), QStringLiteral("3 desc"));
    click(6);
    QCOMPARE(arrow(), QStringLiteral("6 asc"));

    // "Изменить": the return reopens the shifts, the reload puts the sort back.
    l.p.seams.modal.script(QStringLiteral("TForm11"), ScriptedModal::reject());
    j->Button2->click();
    QCOMPARE(arrow(), QStringLiteral("6 asc"));
    // "Обновить" reopens without the sort.
    j->Button8->click();
    QCOMPARE(arrow(), QStringLiteral("none"));
    j->hide();
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

void TestJournal::dayOff()
{
    Logged l(kSaturday);
    l.in();
    TForm1 *j = l.j();
    QVERIFY(j->CBox1->isChecked());
    QVERIFY(j->CBox1->font().bold());
    QCOMPARE(j->CBox1->palette().color(j->CBox1->backgroundRole()), QColor(255, 0, 0));
    j->DateT->setDate(kWednesday);
    j->DateTChange();
    QVERIFY(!j->CBox1->isChecked());
    QVERIFY(!j->CBox1->font().bold());
    QVERIFY(!j->CBox1->autoFillBackground());
    j->DateT->setDate(kSaturday.addDays(1));
    j->DateTChange();
    QVERIFY(j->CBox1->isChecked());
    // Activation on a weekday leaves the box as it is.
    l.p.seams.setNow(QDateTime(kWednesday, QTime(10, 0)));
    j->FormActivate();
    QVERIFY(j->CBox1->isChecked());
    j->CBox1->setChecked(false);
    j->FormActivate();
    QVERIFY(!j->CBox1->isChecked());
}

void TestJournal::refreshReopensAll()
{
    Logged l(kWednesday);
    addRecord(l.p.db, {1});
    addRecord(l.p.db, {3});
    l.in();
    TForm1 *j = l.j();
    j->DBGrid2TitleClick(0);
    addRecord(l.p.db, {1, kWednesday, "no", 1, 0, 1, 4});
    j->Button8->click();
    for (int s = 1; s <= 4; ++s)
        QVERIFY(dataModule().journal(s).isOpen());
    QCOMPARE(dataModule().Smena1.recordCount(), 2);
    QCOMPARE(dataModule().Smena3.recordCount(), 1);
    QVERIFY(dataModule().Smena1.sort().isEmpty());
}

void TestJournal::menuOpenings_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("dataset");
    QTest::newRow("Персонал") << "N1"
                              << "TForm5"
                              << "workers";
    QTest::newRow("Подразделения") << "N19"
                                   << "TForm30"
                                   << "department";
    QTest::newRow("Должности") << "N8"
                               << "TForm26"
                               << "staffpos";
    QTest::newRow("Роли") << "N21"
                          << "TForm32"
                          << "role";
    QTest::newRow("Номенклатура") << "N9"
                                  << "TForm28"
                                  << "nomenclature";
    QTest::newRow("ТМЦ") << "N3"
                         << "TForm3"
                         << "inventory_items";
    QTest::newRow("Операции") << "N6"
                              << "TForm8"
                              << "operation_type";
    QTest::newRow("Техпроцессы") << "N5"
                                 << "TForm4"
                                 << "proc_tech";
}

void TestJournal::menuOpenings()
{
    QFETCH(QString, action);
    QFETCH(QString, window);
    QFETCH(QString, dataset);
    Logged l(kWednesday);
    addRecord(l.p.db, {2});
    l.in();
    TForm1 *j = l.j();
    TDataModule6 &dm = dataModule();
    db::Dataset *ds = dm.findDataset(dataset);
    QVERIFY(ds);
    j->DateT->setDate(kWednesday.addDays(-3));
    j->DateTChange();
    j->RadioButton2->click();

    bool openWhileShown = false;
    int rowsWhileShown = -1;
    int tag = -1;
    l.p.seams.modal.script(window, [&](QDialog *d) {
        openWhileShown = ds->isOpen();
        rowsWhileShown = ds->recordCount();
        tag = static_cast<ui::Window *>(d)->tag;
        return int(QDialog::Rejected);
    });
    QAction *a = j->findChild<QAction *>(action);
    QVERIFY(a && a->isEnabled());
    a->trigger();
    QVERIFY2(l.p.seams.messages.shown().isEmpty(),
             qPrintable(l.p.seams.messages.texts().join('\n')));
    QVERIFY(l.p.seams.modal.shown().contains(window));
    QVERIFY(openWhileShown);
    QCOMPARE(tag, 0);
    QVERIFY(rowsWhileShown > 0); // the demo plant has rows in every list
    QVERIFY(!ds->isOpen() || dataset == QLatin1String("role"));
    // Back in the journal: today's date again, all four shifts reopened on it.
    QCOMPARE(j->DateT->date(), kWednesday);
    for (int s = 1; s <= 4; ++s)
        QVERIFY(dm.journal(s).isOpen());
    QCOMPARE(j->currentShift, 2);
    QCOMPARE(l.rows(), 1);
}

void TestJournal::timesheetAndReportsOpenings()
{
    Logged l(QDate(2027, 1, 10));
    l.in();
    TForm1 *j = l.j();
    TForm19 *t = forms().timesheet;
    int month = -1;
    QString year;
    bool hoursOpen = false;
    l.p.seams.modal.script(QStringLiteral("TForm19"), [&](QDialog *) {
        month = t->ComboBox1->currentIndex();
        year = t->ComboBox2->currentText();
        hoursOpen = dataModule().H_Tabel_1.isOpen() && dataModule().H_Tabel_3.isOpen();
        return int(QDialog::Rejected);
    });
    j->DateT->setDate(QDate(2024, 3, 5));
    j->N11Click();
    QCOMPARE(month, 2);
    QCOMPARE(year, QStringLiteral("2024"));
    QVERIFY(hoursOpen);
    QVERIFY(!dataModule().H_Tabel_2.isOpen());
    // The year list reaches next year, so this year is there.
    l.p.seams.modal.script(QStringLiteral("TForm19"), ScriptedModal::reject());
    j->N11Click();
    QCOMPARE(t->ComboBox1->currentIndex(), 0);
    QCOMPARE(t->ComboBox2->currentText(), QStringLiteral("2027"));

    TForm18 *r = forms().summaryReports;
    l.p.seams.modal.script(QStringLiteral("TForm18"), ScriptedModal::reject());
    j->N10Click();
    QCOMPARE(r->DTPicker1->date(), QDate(2026, 12, 1));
    QCOMPARE(r->DTPicker2->date(), QDate(2027, 1, 1));
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

void TestJournal::styleChooser()
{
    Logged l(kWednesday);
    l.in();
    TForm1 *j = l.j();
    QComboBox *c = j->ComboBox1;
    QCOMPARE(c->itemText(0), QStringLiteral("Windows"));
    const int onyx = c->findText(QStringLiteral("Onyx Blue"));
    QVERIFY(onyx > 0);
    QCOMPARE(c->currentText(), QStringLiteral("Windows"));
    c->setCurrentIndex(onyx);
    Q_EMIT c->activated(onyx);
    QCOMPARE(ui::currentStyle(), QStringLiteral("Onyx Blue"));
    QFile f(ui::styleFilePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()).trimmed(), QStringLiteral("Onyx Blue"));
    c->setCurrentIndex(0);
    j->FormActivate();
    QCOMPARE(c->currentText(), QStringLiteral("Onyx Blue"));
    ui::applyStyle(QStringLiteral("Windows"));
}

void TestJournal::doubleClick_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("opensEditor");
    QTest::newRow("full") << "senior" << true;
    QTest::newRow("entry") << "clerk" << true;
    QTest::newRow("acceptance") << "checker" << false;
}

void TestJournal::doubleClick()
{
    QFETCH(QString, login);
    QFETCH(bool, opensEditor);
    Logged l(kWednesday);
    addRecord(l.p.db, {1});
    l.in(login);
    TForm1 *j = l.j();
    int tag = 0;
    if (opensEditor) {
        l.p.seams.modal.script(QStringLiteral("TForm11"), [&](QDialog *) {
            tag = forms().entryEditor->tag;
            return int(QDialog::Rejected);
        });
    }
    Q_EMIT j->DBGrid2->rowDoubleClicked();
    QCOMPARE(l.p.seams.modal.shown().contains(QStringLiteral("TForm11")), opensEditor);
    if (opensEditor)
        QCOMPARE(tag, 3);
    QVERIFY(!l.p.seams.modal.failed());
}

// The editor's return activates the journal first (today, all four shifts reopened); then the
// double-click's own step puts the journal back on the row it had.
void TestJournal::viewReturnsToRow()
{
    Logged l(kWednesday);
    for (int i = 0; i < 4; ++i)
        addRecord(l.p.db, {1, kWednesday, "no", 10, 0, 1.5, i});
    l.in();
    TForm1 *j = l.j();
    dataModule().Smena1.setRecNo(3);
    l.p.seams.modal.script(QStringLiteral("TForm11"), [&](QDialog *) {
        // Written while the editor is open: only a reopening on return shows it.
        addRecord(l.p.db, {3});
        return int(QDialog::Rejected);
    });
    Q_EMIT j->DBGrid2->rowDoubleClicked();
    QVERIFY(!l.p.seams.modal.failed());
    QCOMPARE(dataModule().Smena1.recNo(), 3);
    QCOMPARE(dataModule().Smena3.recordCount(), 1);
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

// "Изменить" on shift 2: the return activates the journal, and the reload that follows keeps
// shift 2 open with the user's sort and on the changed row's number.
void TestJournal::changeKeepsShiftSortAndRow()
{
    Logged l(kWednesday);
    l.inOnShift2WithThreeRecords();
    TForm1 *j = l.j();
    j->DBGrid2TitleClick(6);
    db::Dataset &ds = dataModule().Smena2;
    ds.setRecNo(2);
    const QString sort = ds.sort();
    QCOMPARE(sort, QStringLiteral("kol_vo DESC, marka, fio, id ASC"));
    int tag = 0;
    l.p.seams.modal.script(QStringLiteral("TForm11"), [&](QDialog *) {
        tag = forms().entryEditor->tag;
        addRecord(l.p.db, {4});
        return int(QDialog::Rejected);
    });
    j->Button2->click();
    QVERIFY(!l.p.seams.modal.failed());
    QCOMPARE(tag, 2);
    QVERIFY(ds.isOpen());
    QCOMPARE(ds.sort(), sort);
    QCOMPARE(ds.recNo(), 2);
    QCOMPARE(columnTexts(j, 6), (QStringList {"12", "11", "10"}));
    QCOMPARE(dataModule().Smena4.recordCount(), 1); // the activation reopened every shift
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

void TestJournal::noWindowNoActivation_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("ok"); // of the one record; "" = an empty journal
    QTest::addColumn<QString>("action");
    QTest::newRow("change on an accepted row") << "senior"
                                               << "ok"
                                               << "change";
    QTest::newRow("change on an empty journal") << "senior"
                                                << ""
                                                << "change";
    QTest::newRow("acceptance double-click") << "checker"
                                             << "no"
                                             << "double-click";
}

// No window shown, so the focus never left the journal: it stays on its date and shift.
void TestJournal::noWindowNoActivation()
{
    QFETCH(QString, login);
    QFETCH(QString, ok);
    QFETCH(QString, action);
    const QDate other = kWednesday.addDays(-2);
    Logged l(kWednesday);
    if (!ok.isEmpty())
        addRecord(l.p.db, {1, other, ok});
    l.in(login);
    TForm1 *j = l.j();
    j->DateT->setDate(other);
    j->DateTChange();
    if (action == QLatin1String("change"))
        j->Button2->click();
    else
        Q_EMIT j->DBGrid2->rowDoubleClicked();
    QVERIFY(!l.p.seams.modal.shown().contains(QStringLiteral("TForm11")));
    QVERIFY(!l.p.seams.modal.failed());
    QCOMPARE(j->DateT->date(), other);
    QCOMPARE(l.rows(), ok.isEmpty() ? 0 : 1);
    // The acceptance without material use rows only says so.
    QCOMPARE(l.p.seams.messages.texts(),
             action == QLatin1String("change") ? QStringList()
                                               : QStringList {"Не заведен расход ТМЦ!"});
}

void TestJournal::acceptedRowRefusalInStatusLine_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("said");
    QTest::newRow("Изменить") << "Button2"
                              << "Запись журнала № %1 принята: изменить её нельзя";
    QTest::newRow("Удалить") << "Button3"
                             << "Запись журнала № %1 принята: удалить её нельзя";
}

// The command does nothing on an accepted record, as before, and the status line says why,
// without a box; moving to another row takes the text away.
void TestJournal::acceptedRowRefusalInStatusLine()
{
    QFETCH(QString, button);
    QFETCH(QString, said);
    Logged l(kWednesday);
    const int accepted = addRecord(l.p.db, {1, kWednesday, "ok", 10, 0, 1.5, 0});
    addRecord(l.p.db, {1, kWednesday, "no", 10, 0, 1.5, 1});
    l.in();
    TForm1 *j = l.j();
    db::Dataset &ds = dataModule().Smena1;
    QVERIFY(ds.locate(QStringLiteral("id"), accepted, false));
    QVERIFY(j->StatusBar1->currentMessage().isEmpty());

    j->findChild<QPushButton *>(button)->click();
    QCOMPARE(j->StatusBar1->currentMessage(), said.arg(accepted));
    QVERIFY(l.p.seams.messages.shown().isEmpty());
    QVERIFY(!l.p.seams.modal.shown().contains(QStringLiteral("TForm11")));
    QCOMPARE(l.p.db.scalar(QStringLiteral("select count(*) from accounts_dep.smena where id = %1 "
                                          "and ok = 'ok'")
                               .arg(accepted)),
             QStringLiteral("1"));
    QCOMPARE(l.rows(), 2);

    // The other row (the reload after "Изменить" has put the journal on the first).
    j->DBGrid2->setCurrentIndex(j->DBGrid2->model()->index(ds.recNo() == 1 ? 1 : 0, 0));
    QVERIFY(j->StatusBar1->currentMessage().isEmpty());
}

void TestJournal::returnKeepsDateWhenSet_data()
{
    QTest::addColumn<QString>("setting"); // keep_journal_date in tabel.conf; null: no such line
    QTest::addColumn<bool>("kept");
    QTest::newRow("no line: back to today") << QString() << false;
    QTest::newRow("false: back to today") << "false" << false;
    QTest::newRow("true: the date kept") << "true" << true;
}

// A directory opened from the menu and closed: the journal comes back on today (the default)
// or, with the setting on, on the date and shift the clerk had, reloaded either way.
void TestJournal::returnKeepsDateWhenSet()
{
    QFETCH(QString, setting);
    QFETCH(bool, kept);
    const QDate other = kWednesday.addDays(-2);
    Logged l(kWednesday);
    addRecord(l.p.db, {2, kWednesday});
    for (int i = 0; i < 3; ++i)
        addRecord(l.p.db, {2, other, "no", 10, 0, 1.5, i});
    if (!setting.isNull()) {
        QSettings c(l.p.configDir() + QStringLiteral("/tabel.conf"), QSettings::IniFormat);
        c.setValue(QStringLiteral("keep_journal_date"), setting);
    }
    l.in();
    TForm1 *j = l.j();
    QCOMPARE(j->DateT->date(), kWednesday); // the login's activation opens on today anyway
    j->DateT->setDate(other);
    QTest::keyClick(j->DateT, Qt::Key_Return);
    j->RadioButton2->click();
    QCOMPARE(l.rows(), 3);

    l.p.seams.modal.script(QStringLiteral("TForm30"), [&](QDialog *) {
        // Written while the directory is open: only a reload on return shows it.
        addRecord(l.p.db, {2, other, "no", 10, 0, 1.5, 3});
        return int(QDialog::Rejected);
    });
    j->findChild<QAction *>(QStringLiteral("N19"))->trigger();
    QVERIFY(!l.p.seams.modal.failed());
    QCOMPARE(j->DateT->date(), kept ? other : kWednesday);
    QCOMPARE(j->currentShift, 2);
    QCOMPARE(l.rows(), kept ? 4 : 1);
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

void TestJournal::calendarClosing_data()
{
    QTest::addColumn<int>("steps"); // days moved inside the calendar with the arrow keys
    QTest::addColumn<QString>("leave"); // how the drop-down is left
    QTest::newRow("moved, Esc") << 1 << "esc";
    QTest::newRow("moved, click outside") << 1 << "outside";
    QTest::newRow("moved, Enter") << 1 << "enter";
    QTest::newRow("moved back and forth, Esc") << 0 << "esc";
}

// Whenever the drop-down calendar closes, the date change runs: the grid shows the records of
// the date the picker shows, never those of the date it showed before.
void TestJournal::calendarClosing()
{
    QFETCH(int, steps);
    QFETCH(QString, leave);
    Logged l(kWednesday);
    const QDate thursday = kWednesday.addDays(1);
    addRecord(l.p.db, {1, kWednesday});
    for (int i = 0; i < 3; ++i)
        addRecord(l.p.db, {1, thursday, "no", 10, 0, 1.5, i});
    l.in();
    TForm1 *j = l.j();
    QCOMPARE(l.rows(), 1);
    // Written after the journal opened: only a reload shows it.
    addRecord(l.p.db, {1, kWednesday, "no", 10, 0, 1.5, 3});

    j->show();
    QVERIFY(QTest::qWaitForWindowExposed(j));
    QTest::mouseClick(j->DateT, Qt::LeftButton, {},
                      QPoint(j->DateT->width() - 6, j->DateT->height() / 2));
    QWidget *popup = j->DateT->calendarWidget()->window();
    QVERIFY(popup->isVisible());
    auto *days = j->DateT->calendarWidget()->findChild<QWidget *>(
        QStringLiteral("qt_calendar_calendarview"));
    QVERIFY(days);
    if (steps == 0) {
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Left);
    }
    for (int i = 0; i < steps; ++i)
        QTest::keyClick(days, Qt::Key_Right);
    const QDate shown = kWednesday.addDays(steps);
    QCOMPARE(j->DateT->date(), shown);

    if (leave == QLatin1String("esc"))
        QTest::keyClick(days, Qt::Key_Escape);
    else if (leave == QLatin1String("enter"))
        QTest::keyClick(days, Qt::Key_Return);
    else // a press outside the drop-down reaches it first and closes it
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-20, -20));
    QVERIFY(!popup->isVisible());
    j->hide();

    QCOMPARE(j->DateT->date(), shown);
    QCOMPARE(l.rows(), steps == 0 ? 2 : 3);
    for (int s = 1; s <= 4; ++s)
        QVERIFY(dataModule().journal(s).isOpen());
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

void TestJournal::typedDate_data()
{
    QTest::addColumn<QString>("focus"); // how the picker gets the focus
    QTest::addColumn<QString>("keys"); // "\b" Backspace, "\x1b" Esc; then Enter
    QTest::addColumn<QDate>("date"); // the journal's date after Enter
    const QDate typed(2027, 1, 27); // a day without the demo plant's records
    QTest::newRow("Tab, with points") << "tab"
                                      << "27.01.2027" << typed;
    QTest::newRow("Tab, digits alone") << "tab"
                                       << "27012027" << typed;
    QTest::newRow("click on the day") << "day"
                                      << "27.01.2027" << typed;
    QTest::newRow("click in the month") << "month"
                                        << "27.01.2027" << typed;
    QTest::newRow("click after the text") << "end"
                                          << "27.01.2027" << typed;
    QTest::newRow("click after the text, digits alone") << "end"
                                                        << "27012027" << typed;
    QTest::newRow("Ctrl+A, short day and month") << "all"
                                                 << "5.3.2026" << QDate(2026, 3, 5);
    QTest::newRow("Backspace over the whole date")
        << "end" << QString(10, u'\b') + "27.01.2027" << typed;
    QTest::newRow("Backspace in the year") << "end"
                                           << "\b\b27" << QDate(2027, 10, 7);
    QTest::newRow("a digit put right") << "tab"
                                       << "27.01.2026\b7" << typed;
    QTest::newRow("no such day") << "tab"
                                 << "31.02.2026" << kWednesday;
    QTest::newRow("half a date") << "tab"
                                 << "27.01.20" << kWednesday;
    QTest::newRow("Esc takes the typing back") << "tab"
                                               << "27.01.2027\x1b" << kWednesday;
}

// A date typed into the picker, then Enter: the journal shows the records of the date typed, or
// of the date it had when the text is no date; the picker shows the date the journal shows.
void TestJournal::typedDate()
{
    QFETCH(QString, focus);
    QFETCH(QString, keys);
    QFETCH(QDate, date);
    Logged l(kWednesday);
    addRecord(l.p.db, {1, kWednesday});
    if (date != kWednesday) {
        for (int i = 0; i < 3; ++i)
            addRecord(l.p.db, {1, date, "no", 10, 0, 1.5, i});
    }
    l.in();
    TForm1 *j = l.j();
    QCOMPARE(l.rows(), 1);
    j->show();
    j->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(j));

    auto *edit = j->DateT->findChild<QLineEdit *>();
    QVERIFY(edit);
    const int y = edit->height() / 2;
    auto clickAt = [&](int cursor) {
        int x = 0;
        while (x < edit->width() && edit->cursorPositionAt(QPoint(x, y)) < cursor)
            ++x;
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, y));
        QCOMPARE(edit->cursorPosition(), cursor);
        QVERIFY(!edit->hasSelectedText());
    };
    if (focus == QLatin1String("tab")) {
        // Tab from the shift buttons, the field before the picker.
        j->RadioButton1->setFocus();
        QTest::keyClick(j->RadioButton1, Qt::Key_Tab);
    } else if (focus == QLatin1String("day")) {
        clickAt(1);
    } else if (focus == QLatin1String("month")) {
        clickAt(4);
    } else if (focus == QLatin1String("end")) {
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 2, y));
        QCOMPARE(edit->cursorPosition(), 10);
    } else {
        clickAt(1);
        QTest::keyClick(j->DateT, Qt::Key_A, Qt::ControlModifier);
    }
    QVERIFY(j->DateT->hasFocus());
    for (const QChar c : keys) {
        if (c == u'\b')
            QTest::keyClick(j->DateT, Qt::Key_Backspace);
        else if (c == u'\x1b')
            QTest::keyClick(j->DateT, Qt::Key_Escape);
        else
            QTest::keyClicks(j->DateT, QString(c));
    }
    QVERIFY(j->isVisible()); // Esc in the picker does not close the journal
    QTest::keyClick(j->DateT, Qt::Key_Return);
    const QString shown = j->DateT->text();
    j->hide();

    QCOMPARE(j->DateT->date(), date);
    QCOMPARE(shown, date.toString(QStringLiteral("dd.MM.yyyy")));
    QCOMPARE(l.rows(), date == kWednesday ? 1 : 3);
    QVERIFY(l.p.seams.messages.shown().isEmpty());
}

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
