#include "journal_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/departments_window.h"
#include "directories/items_window.h"
#include "directories/nomenclature_window.h"
#include "directories/operation_types_window.h"
#include "directories/personnel_window.h"
#include "directories/positions_window.h"
#include "directories/roles_window.h"
#include "journal/acceptance.h"
#include "journal/entry_editor.h"
#include "journal/history_window.h"
#include "processes/process_list_window.h"
#include "reports/product_report_window.h"
#include "reports/summary_reports_window.h"
#include "reports/worker_report_window.h"
#include "timesheet/timesheet_window.h"
#include "ui/date_field.h"
#include "ui/seams.h"
#include "ui/styles.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

void setBackground(QWidget *w, const QColor &c)
{
    // An invalid colour gives the widget back the button face of the style in force.
    w->setAutoFillBackground(c.isValid());
    // Buttons and check boxes paint their background in the Button role.
    QPalette p = w->palette();
    p.setColor(w->backgroundRole(),
               c.isValid() ? c : QApplication::palette().color(QPalette::Button));
    w->setPalette(p);
}

void setBold(QWidget *w, bool bold)
{
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}

bool isWeekend(const QDate &d)
{
    return d.dayOfWeek() >= 6;
}

template<typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// A list opened from the menu: its dataset is open while it is shown, and closed afterwards
// also when the window's handlers failed.
void showList(db::Dataset &ds, QDialog *w)
{
    ds.open();
    const db::CloseOnExit closer(ds);
    ui::showModal(w);
}

// A list that doubles as a chooser, opened from the menu for editing: its tag, its add and
// delete buttons and its change button's caption, which a chooser opening left as "Выбрать".
template<typename List>
void showListForEditing(db::Dataset &ds, List *w)
{
    w->tag = 0;
    w->Button1->setVisible(true);
    w->Button3->setVisible(true);
    w->Button2->setText(QStringLiteral("Изменить"));
    showList(ds, w);
}

} // namespace

QList<db::DatasetModel::Column> TForm1::gridColumns()
{
    const auto left = Qt::AlignLeft | Qt::AlignVCenter;
    const auto centre = Qt::AlignCenter;
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    return {
        {QStringLiteral("fio"), QStringLiteral("Фамилия И.О."), left, true},
        {QStringLiteral("marka"), QStringLiteral("Марка изделия"), left, true},
        {QStringLiteral("vid"), QStringLiteral("Операция"), left, true},
        {QStringLiteral("nmn"), QStringLiteral("Вид"), left, true},
        {QStringLiteral("s_caption_color"), QStringLiteral("Цвет"), centre, true},
        {QStringLiteral("time"), QStringLiteral("Часы"), right, true},
        {QStringLiteral("kol_vo"), QStringLiteral("Кол-во"), right, true},
        {QStringLiteral("brak"), QStringLiteral("Брак"), right, true},
        {QStringLiteral("summa"), QStringLiteral("Итого (р.)"), right, true},
        {QStringLiteral("prize"), QStringLiteral("Премия (%)"), right, false},
        {QStringLiteral("ok"), QStringLiteral("OK"), centre, true},
        {QStringLiteral("vvod"), QStringLiteral("Заведен"), centre, true},
        {QStringLiteral("id_doc"), QStringLiteral("№ ЗВП"), left, true},
    };
}

QString TForm1::sortTextFor(int column, bool descending)
{
    struct Texts
    {
        int column;
        const char *asc;
        const char *desc;
    };
    static const Texts table[] = {
        {0, "fio, id ASC", "fio DESC, id ASC"},
        {1, "marka, fio, id ASC", "marka DESC, fio, id ASC"},
        {2, "vid, marka, fio, id  ASC", "vid DESC, marka, fio, id ASC"},
        {3, "naimen, marka, fio, id ASC", "naimen DESC, marka, fio, id ASC"},
        {6, "kol_vo, marka, fio, id ASC", "kol_vo DESC, marka, fio, id ASC"},
        {8, "summa, marka, fio, id ASC", "summa DESC, marka, fio, id ASC"},
        {10, "ok, marka, fio, id ASC", "ok DESC, marka, fio, id ASC"},
        {11, "vvod, marka, fio, id ASC", "vvod DESC, marka, fio, id ASC"},
        {12, "id_doc, marka, fio, id ASC", "id_doc DESC, marka, fio, id ASC"},
    };
    for (const Texts &t : table) {
        if (t.column == column)
            return QString::fromLatin1(descending ? t.desc : t.asc);
    }
    return {};
}

TForm1::TForm1(QWidget *parent)
    : ui::Window(QStringLiteral("Табель"), parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const ui::BuildStamp stamp = ui::buildStamp();
    buildDate = stamp.date;
    buildTime = stamp.time;

    // Top panel: the shifts, the date, the day-off mark and the style chooser.
    RadioButton1 = named(new QRadioButton(QStringLiteral("Смена №1")), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("Смена №2")), "RadioButton2");
    RadioButton3 = named(new QRadioButton(QStringLiteral("Смена №3")), "RadioButton3");
    RadioButton4 = named(new QRadioButton(QStringLiteral("Переработка")), "RadioButton4");
    DateT = named(new ui::DateField, "DateT");
    DateT->installEventFilter(this);
    CBox1 = named(new QCheckBox(QStringLiteral("Выходной")), "CBox1");
    ComboBox1 = named(new QComboBox, "ComboBox1");
    // The styles of the program: "Windows" first, then ours in alphabetical order.
    ComboBox1->addItems(ui::availableStyles());

    auto *top = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(RadioButton1), static_cast<QWidget *>(RadioButton2),
                       static_cast<QWidget *>(RadioButton3), static_cast<QWidget *>(RadioButton4)})
        top->addWidget(w);
    top->addSpacing(16);
    top->addWidget(DateT);
    top->addWidget(CBox1);
    top->addStretch(1);
    top->addWidget(ComboBox1);

    DBGrid2 = named(new ui::DataGrid, "DBGrid2");
    DBGrid2->setColumns(gridColumns());
    DBGrid2->setWordWrap(false);
    DBGrid2->verticalHeader()->setDefaultSectionSize(DBGrid2->fontMetrics().height() + 8);
    const int widths[] = {220, 130, 120, 130, 175, 50, 60, 50, 80, 70, 40, 85, 70};
    for (int c = 0; c < int(std::size(widths)); ++c)
        DBGrid2->horizontalHeader()->resizeSection(c, widths[c]);
    // "Вид" shows the kind's name and sorts by its number.
    DBGrid2->setSortColumn(QStringLiteral("naimen"), 3);
    DBGrid2->setCellStyler([this](const QString &field, int row, QFont &font, QColor &color) {
        DBGrid2DrawColumnCell(field, row, font, color);
    });

    Button1 = named(new QPushButton(QStringLiteral("Добавить")), "Button1");
    Button2 = named(new QPushButton(QStringLiteral("Изменить")), "Button2");
    Button3 = named(new QPushButton(QStringLiteral("Удалить")), "Button3");
    Button5 = named(new QPushButton(QStringLiteral("Принять")), "Button5");
    Button6 = named(new QPushButton(QStringLiteral("Принять ВСЕ")), "Button6");
    Button8 = named(new QPushButton(QStringLiteral("Обновить")), "Button8");
    Button4 = named(new QPushButton(QStringLiteral("Выход")), "Button4");
    auto *bottom = new QHBoxLayout;
    // These six work but are not part of the delivered layout.
    for (QPushButton *b : {Button1, Button2, Button3, Button5, Button6, Button8}) {
        b->setAutoDefault(false);
        b->setVisible(false);
        bottom->addWidget(b);
    }
    bottom->addStretch(1);
    Button4->setAutoDefault(false);
    bottom->addWidget(Button4);
    StatusBar1 = named(new QStatusBar, "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    // Main menu.
    MainMenu1 = named(new QMenuBar, "MainMenu1");
    menuDirectories = MainMenu1->addMenu(QStringLiteral("Справочники"));
    menuDirectoriesAction = menuDirectories->menuAction();
    auto item = [this](QMenu *m, const QString &text, const char *name) {
        QAction *a = m->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    N1 = item(menuDirectories, QStringLiteral("Персонал"), "N1");
    N19 = item(menuDirectories, QStringLiteral("Подразделения"), "N19");
    N8 = item(menuDirectories, QStringLiteral("Должности"), "N8");
    N21 = item(menuDirectories, QStringLiteral("Роли"), "N21");
    menuDirectories->addSeparator();
    N9 = item(menuDirectories, QStringLiteral("Номенклатура"), "N9");
    N3 = item(menuDirectories, QStringLiteral("ТМЦ"), "N3");
    N6 = item(menuDirectories, QStringLiteral("Операции"), "N6");
    N5 = item(menuDirectories, QStringLiteral("Техпроцессы"), "N5");
    menuDirectories->addSeparator();
    N7 = item(menuDirectories, QStringLiteral("Администрарование"), "N7");
    menuStores = MainMenu1->addMenu(QStringLiteral("Склады"));
    menuStores->addAction(QStringLiteral("Склад ГП"));
    menuStores->addAction(QStringLiteral("Склад ТМЦ"));
    menuMarketing = MainMenu1->addMenu(QStringLiteral("Маркетинг"));
    menuMarketing->addAction(QStringLiteral("Заявки"));
    menuProduction = MainMenu1->addMenu(QStringLiteral("Производство"));
    N11 = MainMenu1->addAction(QStringLiteral("Табель по времени"));
    N11->setObjectName(QStringLiteral("N11"));
    menuTimesheetAction = N11;
    menuReports = MainMenu1->addMenu(QStringLiteral("Отчеты"));
    menuReportsAction = menuReports->menuAction();
    N10 = item(menuReports, QStringLiteral("Сводные отчеты"), "N10");
    // No command of the delivered layout opens the two on-screen reports; the setting that
    // shows the hidden commands shows these entries too.
    const std::pair<QAction *, reports::PeriodReportWindow *(*)()> onScreenReports[]
        = {{item(menuReports, QStringLiteral("Отчет по рабочим"), "NWorkerReport"),
            []() -> reports::PeriodReportWindow * { return forms().workerReport; }},
           {item(menuReports, QStringLiteral("Отчет по видам продукции"), "NProductReport"),
            []() -> reports::PeriodReportWindow * { return forms().productReport; }}};
    for (const auto &[a, window] : onScreenReports) {
        connect(menuReports, &QMenu::aboutToShow, a,
                [a] { a->setVisible(dataModule().showHiddenCommands); });
        ui::connectGuarded(a, &QAction::triggered, this,
                           [this, window] { openChild([window] { window()->openFromMenu(); }); });
    }
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    NHistory = item(PopupMenu1, QStringLiteral("История записи"), "NHistory");
    // F8 works whether the menu is open or not; no other command of the journal has a key.
    NHistory->setShortcut(QKeySequence(Qt::Key_F8));
    addAction(NHistory);
    DBGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid2, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // The menu is about the row under the mouse.
        const QModelIndex index = DBGrid2->indexAt(pos);
        if (index.isValid())
            DBGrid2->setCurrentIndex(index);
        PopupMenu1->popup(DBGrid2->viewport()->mapToGlobal(pos));
    });
    NExit = MainMenu1->addAction(QStringLiteral("Выход"));
    NExit->setObjectName(QStringLiteral("NExit"));
    // Hidden in the delivered layout; nothing makes them visible.
    for (QAction *a :
         {menuStores->menuAction(), menuMarketing->menuAction(), menuProduction->menuAction()})
        a->setVisible(false);
    showHiddenCommands(false);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addLayout(top);
    layout->addWidget(DBGrid2, 1);
    layout->addLayout(bottom);
    layout->addWidget(StatusBar1);
    resize(1240, 640);

    auto on = [this](auto *sender, auto signal, void (TForm1::*slot)()) {
        ui::connectGuarded(sender, signal, this, [this, slot] { (this->*slot)(); });
    };
    auto onToggle = [this](QRadioButton *b, void (TForm1::*slot)()) {
        connect(b, &QRadioButton::toggled, this, [this, slot](bool checked) {
            if (checked)
                ui::guarded(this, [&] { (this->*slot)(); });
        });
    };
    onToggle(RadioButton1, &TForm1::RadioButton1Click);
    onToggle(RadioButton2, &TForm1::RadioButton2Click);
    onToggle(RadioButton3, &TForm1::RadioButton3Click);
    onToggle(RadioButton4, &TForm1::RadioButton4Click);
    // The journal reloads whenever the drop-down calendar closes, however it was left (a day
    // picked, Esc or a click outside after moving the date), and on Enter (eventFilter).
    m_calendarPopup = DateT->calendarWidget()->window();
    m_calendarPopup->installEventFilter(this);
    on(CBox1, &QCheckBox::toggled, &TForm1::CBox1Click);
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { ui::guarded(this, [this] { ComboBox1Change(); }); });
    connect(DBGrid2, &ui::DataGrid::titleClicked, this,
            [this](int c) { ui::guarded(this, [&] { DBGrid2TitleClick(c); }); });
    on(DBGrid2, &ui::DataGrid::rowDoubleClicked, &TForm1::DBGrid2DblClick);
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, StatusBar1,
            &QStatusBar::clearMessage);
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(Button5, &QPushButton::clicked, &TForm1::Button5Click);
    on(Button6, &QPushButton::clicked, &TForm1::Button6Click);
    on(Button8, &QPushButton::clicked, &TForm1::Button8Click);
    on(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(N1, &QAction::triggered, &TForm1::N1Click);
    on(N19, &QAction::triggered, &TForm1::N19Click);
    on(N8, &QAction::triggered, &TForm1::N8Click);
    on(N21, &QAction::triggered, &TForm1::N21Click);
    on(N9, &QAction::triggered, &TForm1::N9Click);
    on(N3, &QAction::triggered, &TForm1::N3Click);
    on(N6, &QAction::triggered, &TForm1::N6Click);
    on(N5, &QAction::triggered, &TForm1::N5Click);
    on(N11, &QAction::triggered, &TForm1::N11Click);
    on(N10, &QAction::triggered, &TForm1::N10Click);
    on(NHistory, &QAction::triggered, &TForm1::NHistoryClick);
    on(NExit, &QAction::triggered, &TForm1::Button4Click);

    RadioButton1->setChecked(true);
    chooseShift(1);

    // The version check runs every 30 seconds from the window's creation to the end.
    Timer1.setInterval(30000);
    connect(&Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1.start();
}

db::Dataset &TForm1::currentJournal() const
{
    return dataModule().journal(currentShift);
}

QDate TForm1::journalDate() const
{
    return DateT->date();
}

void TForm1::reloadKeepingOrder(bool keepRowNumber, int rowNumber)
{
    reloadWithSort(currentJournal().sort(), keepRowNumber, rowNumber);
}

void TForm1::reloadWithSort(const QString &sort, bool keepRowNumber, int rowNumber)
{
    db::Dataset &ds = currentJournal();
    ds.close();
    ds.open();
    if (!sort.isEmpty())
        ds.setSort(sort);
    if (keepRowNumber)
        ds.setRecNo(rowNumber);
}

void TForm1::tellAcceptedRefusal(qint64 id, bool deleting)
{
    StatusBar1->showMessage(
        QStringLiteral("Запись журнала № %1 принята: %2 её нельзя")
            .arg(id)
            .arg(deleting ? QStringLiteral("удалить") : QStringLiteral("изменить")));
}

void TForm1::showEvent(QShowEvent *e)
{
    ui::Window::showEvent(e);
    if (!e->spontaneous())
        showHiddenCommands(dataModule().showHiddenCommands);
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        ui::guarded(this, [this] { FormActivate(); });
    }
}

bool TForm1::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_calendarPopup && e->type() == QEvent::Hide && !ui::endRequested()) {
        ui::guarded(this, [this] { DateTChange(); });
        return false;
    }
    if (o == DateT && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ui::guarded(this, [this] { DateTChange(); });
            return true;
        }
    }
    return ui::Window::eventFilter(o, e);
}

void TForm1::FormActivate()
{
    ComboBox1->setCurrentIndex(ComboBox1->findText(ui::currentStyle()));
    // The login's activation opens on today; the returns keep the clerk's date when the
    // setting asks for it (the day-off mark still shows that date's).
    if (!m_activated || !dataModule().keepJournalDate) {
        const QSignalBlocker block(DateT);
        DateT->setDate(ui::today());
        if (isWeekend(ui::today()))
            CBox1->setChecked(true);
    }
    m_activated = true;
    // All four shifts, so "Смена №2" to "Переработка" show their records without a date
    // change first.
    reopenShifts(true);
}

void TForm1::childClosed()
{
    FormActivate();
}

void TForm1::showHiddenCommands(bool show)
{
    for (QPushButton *b : {Button1, Button2, Button3, Button5, Button6, Button8})
        b->setVisible(show);
    N11->setVisible(show);
    menuReportsAction->setVisible(show);
}

void TForm1::chooseShift(int shift)
{
    QRadioButton *buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    for (int i = 0; i < 4; ++i) {
        const bool chosen = i + 1 == shift;
        setBackground(buttons[i], chosen ? kGreen : QColor());
        setBold(buttons[i], chosen);
    }
    currentShift = shift;
    DBGrid2->setDataset(&dataModule().journal(shift));
}

void TForm1::RadioButton1Click()
{
    chooseShift(1);
}
void TForm1::RadioButton2Click()
{
    chooseShift(2);
}
void TForm1::RadioButton3Click()
{
    chooseShift(3);
}
void TForm1::RadioButton4Click()
{
    chooseShift(4);
}

void TForm1::reopenShifts(bool onJournalDate)
{
    ui::BusyCursor busy;
    TDataModule6 &dm = dataModule();
    for (int s = 1; s <= 4; ++s)
        dm.journal(s).close();
    // In order; a failing shift stops the rest, which stay closed.
    for (int s = 1; s <= 4; ++s) {
        if (onJournalDate)
            dm.journal(s).params().setDate(QStringLiteral("data"), journalDate());
        dm.journal(s).open();
    }
}

void TForm1::DateTChange()
{
    reopenShifts(true);
    CBox1->setChecked(isWeekend(journalDate()));
    DBGrid2->setFocus();
}

void TForm1::CBox1Click()
{
    const bool on = CBox1->isChecked();
    setBackground(CBox1, on ? kRed : QColor());
    setBold(CBox1, on);
}

void TForm1::ComboBox1Change()
{
    const QString name = ComboBox1->currentText();
    ui::applyStyle(name);
    ui::writeStyleFile(name);
}

void TForm1::DBGrid2TitleClick(int column)
{
    db::Dataset &ds = currentJournal();
    const QString text = sortTextFor(column, !ds.sort().contains(QLatin1String("DESC")));
    if (!text.isEmpty())
        ds.setSort(text);
}

void TForm1::DBGrid2DblClick()
{
    if (accessMode == AccessMode::Acceptance) {
        Button5Click();
        return;
    }
    const int row = currentJournal().recNo();
    openChild([] { forms().entryEditor->openForViewing(); });
    currentJournal().setRecNo(row);
}

// The editor's return activates the journal, which reopens the shifts without their sort; the
// reload afterwards puts back the sort the user had before the editor opened.
void TForm1::Button1Click()
{
    const QString sort = currentJournal().sort();
    openChild([] { forms().entryEditor->openForAdding(); });
    reloadWithSort(sort, false);
}

void TForm1::Button2Click()
{
    db::Dataset &ds = currentJournal();
    const int row = ds.recNo();
    const QString sort = ds.sort();
    const bool hasRow = ds.isOpen() && !ds.isEmpty();
    const bool accepted = hasRow && ds.asString(QStringLiteral("ok")) == QLatin1String("ok");
    const qint64 id = accepted ? ds.asInteger(QStringLiteral("id")) : 0;
    const bool opened = hasRow && !accepted;
    if (opened)
        openChild([] { forms().entryEditor->openForChanging(); });
    reloadWithSort(sort, opened, row);
    // After the reload, which moves the current row and so clears the status line.
    if (accepted)
        tellAcceptedRefusal(id, false);
}

void TForm1::Button3Click()
{
    JournalAcceptance(*this).deleteCurrent();
}

void TForm1::Button5Click()
{
    JournalAcceptance(*this).acceptSelected();
}

void TForm1::Button6Click()
{
    JournalAcceptance(*this).acceptAll();
}

void TForm1::DBGrid2DrawColumnCell(const QString &field, int row, QFont &font, QColor &color)
{
    if (field != QLatin1String("ok"))
        return;
    const db::Dataset *ds = DBGrid2->dataset();
    const QString ok = ds->valueAt(row, ds->fieldIndex(field)).toString();
    font.setBold(true);
    color = (ok == QLatin1String("ok") || ok == QStringLiteral("да")) ? kGreen : kRed;
}

void TForm1::Button8Click()
{
    reopenShifts(false);
}

void TForm1::Button4Click()
{
    reject();
}

void TForm1::openChild(const std::function<void()> &open)
{
    const ui::FocusOwner focus(this);
    open();
}

void TForm1::N1Click()
{
    openChild([] { showListForEditing(dataModule().workers, forms().personnel.get()); });
}

void TForm1::N19Click()
{
    openChild([] { showList(dataModule().department, forms().departments); });
}

void TForm1::N8Click()
{
    openChild([] { showList(dataModule().staffpos, forms().positions); });
}

void TForm1::N21Click()
{
    openChild([] { showList(dataModule().role, forms().roles); });
}

void TForm1::N9Click()
{
    openChild([] { showList(dataModule().nomenclature, forms().nomenclature); });
}

void TForm1::N3Click()
{
    openChild([] { showListForEditing(dataModule().inventory_items, forms().items.get()); });
}

void TForm1::N6Click()
{
    openChild(
        [] { showListForEditing(dataModule().operation_type, forms().operationTypes.get()); });
}

void TForm1::N5Click()
{
    openChild([] { showListForEditing(dataModule().proc_tech, forms().processes.get()); });
}

void TForm1::N11Click()
{
    openChild([this] {
        TForm19 *w = forms().timesheet;
        const QDate d = journalDate();
        w->ComboBox1->setCurrentIndex(d.month() - 1);
        // Step through the fixed year list up to the journal's year; a year the list does not
        // hold leaves the last one chosen instead of running past the end.
        w->ComboBox2->setCurrentIndex(0);
        while (w->ComboBox2->currentText() != QString::number(d.year())
               && w->ComboBox2->currentIndex() + 1 < w->ComboBox2->count())
            w->ComboBox2->setCurrentIndex(w->ComboBox2->currentIndex() + 1);
        w->ComboBox1Change();
        ui::showModal(w);
        for (db::Dataset *ds :
             {&dataModule().H_Tabel_1, &dataModule().H_Tabel_2, &dataModule().H_Tabel_3})
            ds->close();
    });
}

void TForm1::N10Click()
{
    openChild([] {
        TForm18 *w = forms().summaryReports;
        const QDate t = ui::today();
        const QDate thisMonth(t.year(), t.month(), 1);
        w->DTPicker1->setDate(thisMonth.addMonths(-1));
        w->DTPicker2->setDate(thisMonth);
        ui::showModal(w);
    });
}

// The history changes nothing; the journal comes back with its sort and row.
void TForm1::NHistoryClick()
{
    db::Dataset &ds = currentJournal();
    if (!ds.isOpen() || ds.isEmpty())
        return;
    const qint64 id = ds.asInteger(QStringLiteral("id"));
    const int row = ds.recNo();
    const QString sort = ds.sort();
    openChild([id] { forms().history->openFor(id); });
    if (!sort.isEmpty())
        currentJournal().setSort(sort);
    currentJournal().setRecNo(row);
}

void TForm1::Timer1Timer()
{
    // A failing check shows its error and comes back at the next tick. A tick while the last
    // check's box is still open waits: a server that stays away must not pile up a box every
    // 30 seconds.
    if (!forms().versionCheck || m_timerCheckRunning)
        return;
    m_timerCheckRunning = true;
    const auto done = qScopeGuard([this] { m_timerCheckRunning = false; });
    ui::guarded(this, forms().versionCheck);
}
