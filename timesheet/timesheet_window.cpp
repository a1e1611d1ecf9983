#include "timesheet_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "reports/engine/preview_window.h"
#include "reports/layouts/timesheet_print.h"
#include "timesheet/hours_posting.h"
#include "ui/buttons.h"
#include "ui/seams.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kSumm = QStringLiteral("summ");

// The day of a day column's field ("d7" -> 7); 0 for the name and the total.
int dayOfField(const QString &field)
{
    if (field.size() < 2 || field.at(0) != QLatin1Char('d'))
        return 0;
    bool ok = false;
    const int day = QStringView(field).mid(1).toInt(&ok);
    return ok && day >= 1 && day <= 31 ? day : 0;
}

QList<db::DatasetModel::Column> timesheetColumns()
{
    QList<db::DatasetModel::Column> columns {{QStringLiteral("fio"),
                                              QStringLiteral("Фамилия И. О."),
                                              Qt::AlignLeft | Qt::AlignVCenter, true}};
    for (int day = 1; day <= 31; ++day)
        columns.append(
            {QStringLiteral("d%1").arg(day), QString::number(day), Qt::AlignCenter, true});
    columns.append({kSumm, QStringLiteral("Итого"), Qt::AlignCenter, true});
    return columns;
}

// Cells painted with the timesheet's look, through the grid's own painting (a selected cell
// keeps its highlight, also while the grid has no focus). A month shows a few dozen distinct
// day cells (a number, its colours, selected or not) repeated over a thousand rows, so each
// distinct one is painted once into a picture and the picture is copied on every repaint:
// scrolling stays smooth on a full month.
class TimesheetDelegate : public QStyledItemDelegate
{
public:
    TimesheetDelegate(const TForm19 *form, ui::DataGrid *grid)
        : QStyledItemDelegate(grid)
        , m_form(form)
        , m_grid(grid)
        , m_gridPainting(grid->itemDelegate())
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const TForm19::CellLook look = m_form->cellLook(m_grid, index, selected);
        // The names are all different and the current cell has its focus frame: drawn as such.
        if (index.column() == 0 || (option.state & QStyle::State_HasFocus)) {
            paintCell(painter, option, index, look);
            return;
        }
        // A new style or palette paints every cell anew.
        if (option.palette.cacheKey() != m_paletteKey) {
            m_pictures.clear();
            m_paletteKey = option.palette.cacheKey();
        }
        const qreal ratio = painter->device()->devicePixelRatioF();
        const Key key {
            index.data(Qt::DisplayRole).toString(),
            option.rect.size(),
            int(option.state
                & (QStyle::State_Selected | QStyle::State_Enabled | QStyle::State_Active)),
            look.text.rgba(),
            look.background.isValid() ? look.background.rgba() : 0u,
            look.font.bold(),
            look.font.pointSizeF(),
            look.font.family(),
            ratio};
        auto it = m_pictures.constFind(key);
        if (it == m_pictures.constEnd()) {
            if (m_pictures.size() > 4096)
                m_pictures.clear();
            QPixmap picture(option.rect.size() * ratio);
            picture.setDevicePixelRatio(ratio);
            // What the view leaves under a cell is its base colour.
            picture.fill(m_grid->viewport()->palette().color(m_grid->viewport()->backgroundRole()));
            QPainter p(&picture);
            QStyleOptionViewItem cell(option);
            cell.rect = QRect(QPoint(0, 0), option.rect.size());
            paintCell(&p, cell, index, look);
            p.end();
            it = m_pictures.insert(key, picture);
        }
        painter->drawPixmap(option.rect.topLeft(), *it);
    }

private:
    struct Key
    {
        QString text;
        QSize size;
        int state;
        QRgb text_colour;
        QRgb background;
        bool bold;
        qreal pointSize;
        QString family;
        qreal ratio;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &k, size_t seed = 0)
    {
        return qHashMulti(seed, k.text, k.size.width(), k.size.height(), k.state, k.text_colour,
                          k.background, k.bold);
    }

    void paintCell(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index,
                   const TForm19::CellLook &look) const
    {
        if (look.background.isValid())
            painter->fillRect(option.rect, look.background);
        QStyleOptionViewItem cell(option);
        if (look.font != option.font) {
            cell.font = look.font;
            cell.fontMetrics = QFontMetrics(look.font);
        }
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            cell.palette.setColor(group, QPalette::Text, look.text);
        m_gridPainting->paint(painter, cell, index);
    }

    const TForm19 *m_form;
    ui::DataGrid *m_grid;
    QAbstractItemDelegate *m_gridPainting;
    mutable QHash<Key, QPixmap> m_pictures;
    mutable qint64 m_paletteKey = 0;
};

// Titles coloured as the month's day columns are: weekends red, days past the month grey.
class TimesheetHeader : public QHeaderView
{
public:
    TimesheetHeader(const TForm19 *form, ui::DataGrid *grid)
        : QHeaderView(Qt::Horizontal, grid)
        , m_form(form)
        , m_grid(grid)
    {
    }

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override
    {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        const auto &columns = m_grid->gridModel()->columns();
        if (logicalIndex < 0 || logicalIndex >= columns.size())
            return;
        const int day = dayOfField(columns[logicalIndex].field);
        if (day == 0)
            return;
        const QColor colour = m_form->dayColumn(day).titleColour;
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            option->palette.setColor(group, QPalette::ButtonText, colour);
    }

private:
    const TForm19 *m_form;
    ui::DataGrid *m_grid;
};

} // namespace

TForm19::TForm19(QWidget *parent)
    : ui::Window(QStringLiteral("Табель по времени"), parent)
    , m_excel(this, QStringLiteral("Табель"))
{
    setObjectName(QStringLiteral("TForm19"));

    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TDataModule6 &dm = dataModule();
    const std::pair<ui::DataGrid **, db::Dataset *> grids[]
        = {{&DBGrid1, &dm.H_Tabel_1}, {&DBGrid2, &dm.H_Tabel_2}, {&DBGrid3, &dm.H_Tabel_3}};
    int shift = 0;
    for (const auto &[grid, ds] : grids) {
        ++shift;
        auto *g = new ui::DataGrid;
        *grid = g;
        g->setObjectName(QStringLiteral("DBGrid%1").arg(shift));
        g->setHorizontalHeader(new TimesheetHeader(this, g));
        QHeaderView *titles = g->horizontalHeader();
        titles->setDefaultAlignment(Qt::AlignCenter);
        titles->setHighlightSections(false);
        QFont bold = titles->font();
        bold.setBold(true);
        titles->setFont(bold);
        g->setItemDelegate(new TimesheetDelegate(this, g));
        g->setSelectionBehavior(QAbstractItemView::SelectItems);
        g->setSelectionMode(QAbstractItemView::SingleSelection);
        g->setDataset(ds);
        g->setColumns(timesheetColumns());
        g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
        g->setColumnWidth(0, 200);
        for (int day = 1; day <= 31; ++day)
            g->setColumnWidth(day, 28);
        g->setColumnWidth(32, 52);
        // The names stay in sight while the days scroll to the month's end and "Итого".
        g->freezeFirstColumn();

        auto *page = new QWidget;
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->addWidget(g, 1);
        if (shift == 1) {
            Button1 = ui::namedButton(QStringLiteral("Перестроить"), "Button1");
            PB = new QProgressBar;
            PB->setObjectName(QStringLiteral("PB"));
            PB->setMinimum(1);
            PB->setValue(1);
            PB->hide();
            Button2 = ui::namedButton(QStringLiteral("Excel"), "Button2");
            auto *row = new QHBoxLayout;
            row->addWidget(Button1);
            row->addWidget(PB, 1);
            row->addStretch();
            row->addWidget(Button2);
            pageLayout->addLayout(row);
        }
        PageControl1->addTab(page, QStringLiteral("Смена №%1").arg(shift));
    }

    Button4 = ui::namedButton(QStringLiteral("Выход"), "Button4");
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Январь"), QStringLiteral("Февраль"),
                         QStringLiteral("Март"), QStringLiteral("Апрель"), QStringLiteral("Май"),
                         QStringLiteral("Июнь"), QStringLiteral("Июль"), QStringLiteral("Август"),
                         QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"),
                         QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")});
    ComboBox2 = new QComboBox;
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    // From the first year of the plant's timesheets to next year, so this year is always there.
    for (int y = 2007; y <= ui::today().year() + 1; ++y)
        ComboBox2->addItem(QString::number(y));
    Button5 = ui::namedButton(QStringLiteral("Обновить"), "Button5");
    Button6 = ui::namedButton(QStringLiteral("Печать"), "Button6");

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Button4);
    bottom->addStretch(1);
    bottom->addWidget(ComboBox1);
    bottom->addWidget(ComboBox2);
    bottom->addWidget(Button5);
    bottom->addWidget(Button6);
    NoteExport = new reports::ExportNote(m_excel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(NoteExport);
    layout->addLayout(bottom);
    resize(1200, 600);

    auto on = [this](auto *sender, auto signal, void (TForm19::*slot)()) {
        ui::connectGuarded(sender, signal, this, [this, slot] { (this->*slot)(); });
    };
    on(ComboBox1, &QComboBox::activated, &TForm19::ComboBox1Change);
    on(ComboBox2, &QComboBox::activated, &TForm19::ComboBox1Change);
    on(Button5, &QPushButton::clicked, &TForm19::Button5Click);
    on(Button1, &QPushButton::clicked, &TForm19::Button1Click);
    on(Button2, &QPushButton::clicked, &TForm19::Button2Click);
    on(Button6, &QPushButton::clicked, &TForm19::Button6Click);
    on(Button4, &QPushButton::clicked, &TForm19::Button4Click);
    applyDayColumns(month(), year());
}

int TForm19::month() const
{
    return ComboBox1->currentIndex() + 1;
}

int TForm19::year() const
{
    return ComboBox2->currentText().toInt();
}

TForm19::DayColumn TForm19::dayColumn(int day) const
{
    return m_days.at(day - 1);
}

void TForm19::ComboBox1Change()
{
    if (m_busy)
        return;
    const int m = month();
    const int y = year();
    TDataModule6 &dm = dataModule();
    for (db::Dataset *ds : {&dm.H_Tabel_1, &dm.H_Tabel_2, &dm.H_Tabel_3}) {
        ds->close();
        ds->params().setInteger(QStringLiteral("mnth"), m);
        ds->params().setInteger(QStringLiteral("yea"), y);
        ds->open();
    }
    applyDayColumns(m, y);
}

void TForm19::applyDayColumns(int m, int y)
{
    const QDate first(y, m, 1);
    const QPalette pal = DBGrid1->palette();
    for (int day = 1; day <= 31; ++day) {
        DayColumn &c = m_days[day - 1];
        if (day <= first.daysInMonth()) {
            const bool weekend = first.addDays(day - 1).dayOfWeek() >= Qt::Saturday;
            c.colour = weekend ? weekendColour() : pal.color(QPalette::Text);
            c.titleColour = weekend ? weekendColour() : pal.color(QPalette::WindowText);
            c.readOnly = false;
        } else {
            // Past the month's end: the values vanish into the background.
            c.colour = pal.color(QPalette::Base);
            c.titleColour = silver();
            c.readOnly = true;
        }
    }
    for (ui::DataGrid *g : {DBGrid1, DBGrid2, DBGrid3}) {
        g->horizontalHeader()->viewport()->update();
        g->viewport()->update();
    }
}

TForm19::CellLook TForm19::cellLook(const ui::DataGrid *grid, const QModelIndex &index,
                                    bool selected) const
{
    const QPalette pal = grid->palette();
    CellLook look {grid->font(), pal.color(QPalette::Text), QColor()};
    const auto &columns = grid->gridModel()->columns();
    if (selected || index.column() < 0 || index.column() >= columns.size())
        return look;
    const QString &field = columns[index.column()].field;
    if (field == kSumm) {
        look.background = paleBlue();
        return look;
    }
    const int day = dayOfField(field);
    if (day == 0)
        return look;

    const DayColumn &column = m_days[day - 1];
    look.text = column.colour;
    const bool red = column.colour == weekendColour();
    const int hours = index.data(Qt::EditRole).toInt(); // an empty day reads 0
    if (hours == 0) {
        if (!red)
            look.text = silver();
        if (column.readOnly)
            look.text = pal.color(QPalette::Base);
    } else if (hours == 8) {
        look.font.setBold(true);
        if (!red)
            look.text = pal.color(QPalette::Text);
    } else if (hours > 8) {
        look.font.setBold(true);
        look.background = lightGreen();
    }
    return look;
}

void TForm19::reopenShifts()
{
    TDataModule6 &dm = dataModule();
    for (db::Dataset *ds : {&dm.H_Tabel_1, &dm.H_Tabel_2, &dm.H_Tabel_3}) {
        ds->close();
        ds->open();
    }
}

void TForm19::Button5Click()
{
    if (m_busy)
        return;
    reopenShifts();
}

void TForm19::Button1Click()
{
    rebuildMonth();
}

void TForm19::rebuildMonth()
{
    if (m_busy)
        return;
    const int m = month();
    const int y = year();
    const int days = QDate(y, m, 1).daysInMonth();
    TDataModule6 &dm = dataModule();
    for (db::Dataset *ds : {&dm.H_Tabel_1, &dm.H_Tabel_2, &dm.H_Tabel_3})
        ds->close();
    PB->setMaximum(days);
    PB->setValue(1);
    PB->show();
    ui::BusyCursor busy;
    try {
        timesheet::HoursPosting().rebuildMonth(m, y, [this](int day) {
            PB->setValue(day);
            PB->repaint();
        });
    } catch (...) {
        // The rebuild is all or nothing: the month's rows are as they were, so the grids
        // show them again before the error is reported.
        PB->hide();
        try {
            reopenShifts();
        } catch (...) {
            // The same fault again (a lost server): the first error is the one to show.
        }
        throw;
    }
    reopenShifts();
    PB->hide();
}

void TForm19::Button2Click()
{
    exportMonth();
}

void TForm19::exportMonth()
{
    if (m_busy)
        return;
    TForm15 *layout = forms().timesheetPrint;
    db::Dataset &q = layout->H_Tabel;
    ui::BusyCursor hourglass;
    q.close();
    layout->setMonth(month(), year());
    q.open();
    // The window repaints between rows; nothing else may change the month under the export,
    // and the query is closed however it ends.
    setBusy(true);
    struct Done
    {
        TForm19 *w;
        db::Dataset &q;
        ~Done()
        {
            q.close();
            w->setBusy(false);
        }
    } done {this, q};

    if (m_excel.OpenExcel() == reports::ExcelLink::kFailed)
        return;
    m_excel.setTitle(QStringLiteral("Табель %1 %2").arg(ComboBox1->currentText()).arg(year()));
    m_excel.SetExcelVisible(false);
    const int n = q.recordCount();
    Button2->setText(QStringLiteral("Excel (0 из %1)").arg(n));
    QCoreApplication::processEvents();
    QElapsedTimer sincePaint;
    sincePaint.start();
    m_excel.WriteExcelCell(1, 1, 1, ComboBox1->currentText() + u' ' + ComboBox2->currentText(),
                           true, true, true);
    m_excel.WriteExcelCell(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int day = 1; day <= 31; ++day)
        m_excel.WriteExcelCell(1, day + 1, 2, QString::number(day), false, true, true);
    m_excel.WriteExcelCell(1, 33, 2, QStringLiteral("Итого"), true, true, true);

    QStringList dayFields;
    for (int day = 1; day <= 31; ++day)
        dayFields << QStringLiteral("sd%1").arg(day);
    int row = 3;
    for (q.first(); !q.eof(); q.next()) {
        m_excel.WriteExcelCell(1, 1, row, q.asString(QStringLiteral("fio")), true, true, false);
        qint64 total = 0;
        for (int day = 1; day <= 31; ++day) {
            const qint64 hours = q.asInteger(dayFields.at(day - 1)); // empty: 0
            total += hours;
            m_excel.WriteExcelCell(1, day + 1, row, QString::number(hours), false, true, false);
        }
        m_excel.WriteExcelCell(1, 33, row, QString::number(total), false, true, false);
        ++row;
        // The caption is set and repainted a few dozen times a second and at the last row:
        // doing it after every row would cost more than the rows.
        if (sincePaint.elapsed() >= 25 || row - 3 == n) {
            Button2->setText(QStringLiteral("Excel (%1 из %2)").arg(row - 3).arg(n));
            QCoreApplication::processEvents();
            sincePaint.restart();
        }
    }
    m_excel.SetExcelVisible(true);
}

void TForm19::Button6Click()
{
    if (m_busy)
        return;
    TForm15 *layout = forms().timesheetPrint;
    db::Dataset &q = layout->H_Tabel;
    q.close();
    layout->setMonth(month(), year());
    q.open();
    const db::CloseOnExit closer(q);
    layout->setCaption(ComboBox1->currentText() + u' ' + ComboBox2->currentText()
                       + QStringLiteral(" г."));
    // The preview's caption and the PDF's name carry the month too.
    reports::PreparedReport report = layout->prepare();
    const QDate first(year(), month(), 1);
    report.title = reports::titleWithPeriod(report.title, first, first.addMonths(1));
    ui::showReportPreview(this, report);
}

void TForm19::Button4Click()
{
    reject();
}

void TForm19::FormActivate()
{
    Button2->setText(QStringLiteral("Excel"));
}

void TForm19::setBusy(bool busy)
{
    m_busy = busy;
    for (QWidget *w : std::initializer_list<QWidget *> {Button1, Button2, Button4, Button5, Button6,
                                                        ComboBox1, ComboBox2})
        w->setEnabled(!busy);
}

void TForm19::reject()
{
    // Not while an export reads the month: it would be closed under it.
    if (m_busy)
        return;
    ui::Window::reject();
}

void TForm19::closeEvent(QCloseEvent *e)
{
    if (m_busy) {
        e->ignore();
        return;
    }
    ui::Window::closeEvent(e);
}

void TForm19::showEvent(QShowEvent *e)
{
    ui::Window::showEvent(e);
    if (!e->spontaneous())
        ui::guarded(this, [this] { FormActivate(); });
}
