#pragma once
// TForm19: the monthly timesheet, one tab per shift.

#include "reports/xlsx/excel_link.h"
#include "reports/xlsx/export_note.h"
#include "ui/data_grid.h"
#include "ui/window.h"

#include <QColor>
#include <QFont>
#include <array>

class QComboBox;
class QProgressBar;
class QPushButton;
class QTabWidget;

class TForm19 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm19(QWidget *parent = nullptr);

    QTabWidget *PageControl1;
    ui::DataGrid *DBGrid1, *DBGrid2, *DBGrid3; // shifts 1, 2 and 3
    QPushButton *Button1; // "Перестроить"
    QProgressBar *PB; // the day the rebuild is at
    QPushButton *Button2; // "Excel"
    QPushButton *Button4; // "Выход"
    QComboBox *ComboBox1; // month
    QComboBox *ComboBox2; // year
    QPushButton *Button5; // "Обновить"
    QPushButton *Button6; // "Печать"
    reports::ExportNote *NoteExport; // where the last export went

    // Colours of the timesheet, as the plant's office knows them.
    static QColor weekendColour() { return QColor(255, 0, 0); }
    static QColor silver() { return QColor(192, 192, 192); }
    static QColor lightGreen() { return QColor(192, 220, 192); }
    static QColor paleBlue() { return QColor(225, 228, 255); }

    // How the chosen month shows a day column (1..31): its values' and title's colour, and
    // whether the day lies past the month's end (read-only, values invisible, title grey).
    struct DayColumn
    {
        QColor colour;
        QColor titleColour;
        bool readOnly = false;
    };
    DayColumn dayColumn(int day) const;

    // The look one cell is painted with: the month's column look and the hours' rules (0 grey,
    // 8 bold, more than 8 bold on light green). The grids' painting goes through here.
    struct CellLook
    {
        QFont font;
        QColor text;
        QColor background; // invalid: the grid's own
    };
    CellLook cellLook(const ui::DataGrid *grid, const QModelIndex &index, bool selected) const;

    // An export is running: the window's other commands wait for it.
    bool busy() const { return m_busy; }

public Q_SLOTS:
    // Applies the chosen month and year: the three shifts' hours rows of that month.
    void ComboBox1Change();
    void Button5Click(); // "Обновить"
    void Button1Click(); // "Перестроить"
    void Button2Click(); // "Excel"
    void Button6Click(); // "Печать"
    void Button4Click(); // "Выход"
    void FormActivate();

public:
    void reject() override;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    int month() const;
    int year() const;
    void reopenShifts();
    // The chosen month's hours rows made anew from the shift records, day by day.
    void rebuildMonth();
    // The chosen month's hours to a new spreadsheet: a row per worker with the shifts summed,
    // a column per day and the month's total.
    void exportMonth();
    // The day columns' look for a month: weekends red, days past its end hidden.
    void applyDayColumns(int month, int year);
    void setBusy(bool busy);

    std::array<DayColumn, 31> m_days;
    bool m_busy = false;
    reports::ExcelLink m_excel;
};
