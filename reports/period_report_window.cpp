#include "period_report_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "ui/buttons.h"
#include "ui/seams.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace reports {

namespace {

// The product kind column: drawn as usual, then cleared and written with the kind's name.
class KindDelegate : public QStyledItemDelegate
{
public:
    explicit KindDelegate(ui::DataGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const db::Dataset *ds = m_grid->dataset();
        if (!ds || !ds->isOpen())
            return;
        painter->save();
        painter->fillRect(option.rect, m_grid->palette().brush(QPalette::Base));
        const QString marka
            = ds->valueAt(index.row(), ds->fieldIndex(QStringLiteral("marka"))).toString();
        const qint64 naimen
            = ds->valueAt(index.row(), ds->fieldIndex(QStringLiteral("naimen"))).toLongLong();
        const QString text = PeriodReportWindow::kindCellText(marka, naimen);
        if (!text.isEmpty()) {
            painter->setFont(option.font);
            painter->setPen(m_grid->palette().color(QPalette::Text));
            painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
        }
        painter->restore();
    }

private:
    ui::DataGrid *m_grid;
};

} // namespace

PeriodReportWindow::PeriodReportWindow(const QString &caption, const QStringList &sql,
                                       const QList<db::DatasetModel::Column> &columns,
                                       QWidget *parent)
    : ui::Window(caption, parent)
{
    m_query.setConnection(&dataModule().ADO_DB);
    m_query.setSql(sql);

    DBGrid1 = new ui::DataGrid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setDataset(&m_query);
    DBGrid1->setColumns(columns);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].field == QLatin1String("naimen")) {
            DBGrid1->setItemDelegateForColumn(i, new KindDelegate(DBGrid1));
            DBGrid1->setColumnWidth(i, 140);
        } else if (columns[i].field == QLatin1String("fio")
                   || columns[i].field == QLatin1String("marka")) {
            DBGrid1->setColumnWidth(i, 180);
        }
    }

    RadioGroup1 = new RadioGroup;
    GroupBox1 = new PeriodBox;
    DTPicker1 = GroupBox1->DTPicker1;
    DTPicker2 = GroupBox1->DTPicker2;
    const QDate today = ui::today();
    DTPicker1->setDate(today);
    DTPicker2->setDate(today);

    m_buttons = new QVBoxLayout;
    Button1 = addButton(QStringLiteral("Отбор"), "Button1");
    Button1->setDefault(true);

    auto *side = new QVBoxLayout;
    side->addWidget(RadioGroup1);
    side->addWidget(GroupBox1);
    side->addLayout(m_buttons);
    side->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(side);

    ui::connectGuarded(Button1, &QPushButton::clicked, this, &PeriodReportWindow::Button1Click);
}

QList<db::DatasetModel::Column> PeriodReportWindow::reportColumns(bool withWorker)
{
    const auto left = Qt::AlignLeft | Qt::AlignVCenter;
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    QList<db::DatasetModel::Column> columns {
        {QStringLiteral("marka"), QStringLiteral("Марка изделия"), left, true},
        {QStringLiteral("vid"), QStringLiteral("Операция"), left, true},
        {QStringLiteral("naimen"), QStringLiteral("Вид"), left, true},
        // Quantities with the decimals of material quantities where a row has any, amounts
        // with two as the printed reports show them.
        {QStringLiteral("kolvo"), QStringLiteral("Кол-во"), right, true, 3, true},
        {QStringLiteral("brk"), QStringLiteral("Брак"), right, true, 0},
        {QStringLiteral("summa"), QStringLiteral("Сумма"), right, true, 2},
    };
    if (withWorker)
        columns.prepend({QStringLiteral("fio"), QStringLiteral("ФИО"), left, true});
    return columns;
}

QPushButton *PeriodReportWindow::addButton(const QString &text, const char *name)
{
    auto *b = ui::namedButton(text, name);
    m_buttons->addWidget(b);
    return b;
}

QString PeriodReportWindow::kindCellText(const QString &marka, qint64 naimen)
{
    if (marka.trimmed().isEmpty())
        return {};
    switch (naimen) {
    case 0:
        return QStringLiteral("Готовая продукция");
    case 1:
        return QStringLiteral("Заготовки");
    default:
        return QStringLiteral("Ошибка");
    }
}

void PeriodReportWindow::openFromMenu()
{
    setPreviousMonth(*GroupBox1, ui::today());
    m_query.close();
    const db::CloseOnExit closer(m_query);
    ui::showModal(this);
}

void PeriodReportWindow::Button1Click()
{
    m_query.close();
    applySelection(m_query, DTPicker1->date(), DTPicker2->date(), RadioGroup1->itemIndex());
    m_query.open();
    fitColumns();
}

void PeriodReportWindow::fitColumns()
{
    // The kind column is drawn with the kind's name, not its number: it keeps its width.
    const auto &columns = DBGrid1->gridModel()->columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].field != QLatin1String("naimen"))
            DBGrid1->resizeColumnToContents(i);
    }
}

void PeriodReportWindow::notYetMade(QPushButton *button, const QString &why)
{
    button->setEnabled(false);
    button->setToolTip(why);
}

} // namespace reports
