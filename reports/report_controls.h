#pragma once
// What the report windows share: the product kind choice, the period of selection, and how
// both reach a report's query.

#include <QDate>
#include <QGroupBox>

class QDateEdit;
class QRadioButton;
class QButtonGroup;
namespace db {
class Dataset;
}

namespace reports {

// "Вид продукции": "Все", "Готовая продукция", "Заготовки"; the first is chosen at start.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit RadioGroup(QWidget *parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton *item(int index) const;

private:
    QButtonGroup *m_buttons;
};

// "Период отбора": from "с" (included) to "по" (excluded).
class PeriodBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit PeriodBox(QWidget *parent = nullptr);
    QDateEdit *DTPicker1; // start, included
    QDateEdit *DTPicker2; // end, excluded
};

// The whole calendar month before the one of `today`: from its first day to this month's first.
void setPreviousMonth(PeriodBox &period, const QDate &today);

// Sets a report query's period (data1 included, data2 excluded) and product kind filter: item 0
// shows every kind, item 1 "naimen=0" (finished products), item 2 "naimen=1" (semi-finished).
void applySelection(db::Dataset &query, const QDate &from, const QDate &to, int productKind);

// The product kind as the reports name it: 0 "Готовая продукция", otherwise "Заготовки".
QString productKindText(qint64 naimen);

} // namespace reports
