#include "report_layout.h"

#include "db/db_error.h"
#include "reports/engine/prepare.h"
#include "ui/seams.h"

namespace {

// The open query as the engine reads it: its visible rows, after its filter and in its order;
// the cursor does not move.
class DatasetRows : public reports::RowSource
{
public:
    explicit DatasetRows(const db::Dataset &data)
        : m_data(data)
    {
        if (!data.isOpen())
            throw db::DbError(QStringLiteral("Набор данных отчета не открыт"));
    }
    int rowCount() const override { return m_data.recordCount(); }
    int fieldIndex(const QString &field) const override { return m_data.fieldIndex(field); }
    QVariant value(int row, int field) const override { return m_data.valueAt(row, field); }

private:
    const db::Dataset &m_data;
};

} // namespace

ReportLayout::ReportLayout(db::Dataset *query, const QString &caption, QObject *parent)
    : QObject(parent)
    , m_query(query)
    , m_caption(caption)
{
}

void ReportLayout::setPeriod(const QDate &from, const QDate &to)
{
    m_query->params().setDate(QStringLiteral("data1"), from);
    m_query->params().setDate(QStringLiteral("data2"), to);
}

void ReportLayout::setProductKind(int item)
{
    m_productKind = item;
    // Fixed filter texts: nothing the user typed reaches them.
    if (item == 1 || item == 2) {
        m_query->setFilter(item == 1 ? QStringLiteral("naimen=0") : QStringLiteral("naimen=1"));
        m_query->setFiltered(true);
    } else {
        m_query->setFiltered(false);
    }
}

const reports::PreparedReport &ReportLayout::prepare()
{
    // A report of one product kind says so after its caption.
    QString caption = m_caption;
    if (m_productKind == 1)
        caption += QStringLiteral(" — Готовая продукция");
    else if (m_productKind == 2)
        caption += QStringLiteral(" — Заготовки");
    m_prepared = reports::prepare(m_layout, DatasetRows(*m_query), caption);
    return m_prepared;
}

void ReportLayout::preview(QWidget *parent)
{
    ui::showReportPreview(parent, m_prepared);
}

namespace layouts {

using namespace reports;

QVariant productKind(const Row &row)
{
    return row.number(QStringLiteral("naimen")) == 0 ? QStringLiteral("Готовая продукция")
                                                     : QStringLiteral("Заготовки");
}

QVariant colourNote(const Row &row)
{
    const double color = row.number(QStringLiteral("color"));
    if (color > 0) {
        if (color == 1)
            return QStringLiteral(" (грунт)");
        return QStringLiteral(" (RAL: ") + row.text(QStringLiteral("color")) + u')';
    }
    return QStringLiteral(" ");
}

Band line(std::vector<Cell> cells, const Frame &frame)
{
    Band b;
    b.height = kLine;
    b.cells = std::move(cells);
    b.frame = frame;
    return b;
}

Cell money(Cell c)
{
    return std::move(c.withMask(QStringLiteral("#0.00")).right());
}

Cell columnLabel(const QString &text, double x, double width)
{
    return labelCell(text, x, width).inBold().centred();
}

Group keyGroup(const QString &field, std::vector<Cell> footerCells, const Frame &footerFrame)
{
    Group g;
    g.keyField = field;
    g.header = line({fieldCell(field, 0, 190).inBold()});
    g.footer = line(std::move(footerCells), footerFrame);
    keepTogether(g);
    return g;
}

void keepTogether(Group &g)
{
    g.header.continuedMark = QStringLiteral(" (продолжение)");
    g.header.keepWithNext = true;
    if (g.footer)
        g.footer->keepWithPrevious = true;
}

Layout summaryScheme(const QString &name, std::vector<Cell> columnLabels, std::vector<Group> groups,
                     Band detail, std::vector<Cell> grandTotals)
{
    Layout l;
    l.name = name;
    l.pointSize = 9;
    l.title = Band {}; // height zero: prints nothing

    Group report; // the report header: no break, printed once
    report.header.height = 7;
    report.header.cells.push_back(captionCell(0, 190).inBold().sized(11).fitted());
    if (!columnLabels.empty()) {
        Band titles = line(std::move(columnLabels));
        titles.columnTitles = true;
        report.header.children.push_back(std::move(titles));
    }
    Band spacer;
    spacer.height = 2;
    report.header.children.push_back(spacer);
    Band totals;
    totals.height = 7;
    totals.frame = Frame::all();
    totals.needsColumnTitles = true;
    totals.cells.push_back(labelCell(QStringLiteral("Итого:"), 1, 30).inBold());
    for (Cell &c : grandTotals)
        totals.cells.push_back(std::move(c.inBold().overReport()));
    report.footer = totals;

    l.groups.push_back(std::move(report));
    for (Group &g : groups)
        l.groups.push_back(std::move(g));
    l.detail = std::move(detail);

    Band footer;
    footer.height = 6;
    footer.cells.push_back(pageNumberCell(150, 40).right());
    l.pageFooter = footer;
    return l;
}

} // namespace layouts
