#pragma once
// Base of the two on-screen report windows: a period, a product kind and "Отбор" filling a grid
// from the window's query, with the product kind column drawn as its name.

#include "db/dataset.h"
#include "reports/report_controls.h"
#include "ui/data_grid.h"
#include "ui/window.h"

class QPushButton;
class QDateEdit;
class QVBoxLayout;

namespace reports {

class PeriodReportWindow : public ui::Window
{
    Q_OBJECT
public:
    RadioGroup *RadioGroup1;
    PeriodBox *GroupBox1;
    QDateEdit *DTPicker1; // start, included
    QDateEdit *DTPicker2; // end, excluded
    ui::DataGrid *DBGrid1;
    QPushButton *Button1; // "Отбор"

    db::Dataset &query() { return m_query; }

    // Opening from the journal's menu: the previous calendar month is offered, the grid stays
    // empty until "Отбор"; the query is closed when the window is left.
    void openFromMenu();

    // What the product kind column shows for a row: "Готовая продукция" for kind 0,
    // "Заготовки" for 1, "Ошибка" for any other; nothing for a row without a mark.
    static QString kindCellText(const QString &marka, qint64 naimen);

public Q_SLOTS:
    void Button1Click(); // "Отбор"

protected:
    // Builds the grid on `sql` with `columns`; the product kind column is the one on "naimen".
    PeriodReportWindow(const QString &caption, const QStringList &sql,
                       const QList<db::DatasetModel::Column> &columns, QWidget *parent);
    // The grid's columns: the worker's name (when asked), the item's mark, the operation, the
    // product kind, the quantity, the rejects and the amount.
    static QList<db::DatasetModel::Column> reportColumns(bool withWorker);
    // The buttons' column at the right, for the windows' own buttons (top to bottom).
    QVBoxLayout *buttons() const { return m_buttons; }
    QPushButton *addButton(const QString &text, const char *name);
    // A button with nothing behind it yet: shown where it belongs, not as a live command.
    static void notYetMade(QPushButton *button, const QString &why);

private:
    // Every column as wide as its title and values, after each "Отбор".
    void fitColumns();

    db::Dataset m_query;
    QVBoxLayout *m_buttons;
};

} // namespace reports
