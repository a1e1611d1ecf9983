#include "report_controls.h"

#include "db/dataset.h"
#include "ui/date_field.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace reports {

namespace {

QFont boldFont(const QWidget *w)
{
    QFont f = w->font();
    f.setBold(true);
    return f;
}

} // namespace

RadioGroup::RadioGroup(QWidget *parent)
    : QGroupBox(QStringLiteral("Вид продукции"), parent)
    , m_buttons(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("RadioGroup1"));
    // The title is bold, the items are not.
    const QFont plain = font();
    setFont(boldFont(this));
    auto *layout = new QVBoxLayout(this);
    const QString texts[]
        = {QStringLiteral("Все"), QStringLiteral("Готовая продукция"), QStringLiteral("Заготовки")};
    for (int i = 0; i < 3; ++i) {
        auto *b = new QRadioButton(texts[i]);
        b->setObjectName(QStringLiteral("RadioGroup1_%1").arg(i));
        b->setFont(plain);
        m_buttons->addButton(b, i);
        layout->addWidget(b);
    }
    setItemIndex(0);
}

int RadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton *b = m_buttons->button(index))
        b->setChecked(true);
}

QRadioButton *RadioGroup::item(int index) const
{
    return static_cast<QRadioButton *>(m_buttons->button(index));
}

PeriodBox::PeriodBox(QWidget *parent)
    : QGroupBox(QStringLiteral("Период отбора"), parent)
{
    setObjectName(QStringLiteral("GroupBox1"));
    const QFont plain = font();
    setFont(boldFont(this));
    DTPicker1 = new ui::DateField;
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker2 = new ui::DateField;
    DTPicker2->setObjectName(QStringLiteral("DTPicker2"));
    auto *form = new QFormLayout(this);
    for (const auto &[label, picker] : {std::pair {QStringLiteral("с"), DTPicker1},
                                        std::pair {QStringLiteral("по"), DTPicker2}}) {
        picker->setFont(plain);
        auto *l = new QLabel(label);
        l->setFont(plain);
        form->addRow(l, picker);
    }
}

void setPreviousMonth(PeriodBox &period, const QDate &today)
{
    const QDate thisMonth(today.year(), today.month(), 1);
    period.DTPicker1->setDate(thisMonth.addMonths(-1));
    period.DTPicker2->setDate(thisMonth);
}

void applySelection(db::Dataset &query, const QDate &from, const QDate &to, int productKind)
{
    query.params().setDate(QStringLiteral("data1"), from);
    query.params().setDate(QStringLiteral("data2"), to);
    switch (productKind) {
    case 1:
        query.setFilter(QStringLiteral("naimen=0"));
        query.setFiltered(true);
        break;
    case 2:
        query.setFilter(QStringLiteral("naimen=1"));
        query.setFiltered(true);
        break;
    default:
        query.setFiltered(false);
        break;
    }
}

QString productKindText(qint64 naimen)
{
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

} // namespace reports
