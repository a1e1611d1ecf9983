#pragma once
// A printed layout kept for the whole run of the program: its own query on the program's
// connection, the caption its caller sets, its bands, and prepare and preview.

#include "db/dataset.h"
#include "reports/engine/layout.h"
#include "reports/engine/pages.h"

#include <QDate>
#include <QObject>

class QWidget;

class ReportLayout : public QObject
{
    Q_OBJECT
public:
    // The query the caller fills, opens and closes.
    db::Dataset &query() { return *m_query; }
    // The one title label whose caption the caller sets before preparing.
    void setCaption(const QString &caption) { m_caption = caption; }
    QString caption() const { return m_caption; }
    const reports::Layout &layout() const { return m_layout; }

    // The period of the summaries: data1 included, data2 excluded, bound as dates.
    void setPeriod(const QDate &from, const QDate &to);
    // The product kind choice of the report windows: 0 all, 1 finished products
    // ("naimen=0"), 2 blanks ("naimen=1"), as the query's own filter.
    void setProductKind(int item);

    // Lays the open query out into pages (kept until the next prepare); the caption names the
    // product kind when one is chosen. A closed query throws DbError.
    const reports::PreparedReport &prepare();
    const reports::PreparedReport &prepared() const { return m_prepared; }
    // Shows the prepared pages in the preview, from which the user prints.
    void preview(QWidget *parent = nullptr);

protected:
    ReportLayout(db::Dataset *query, const QString &caption, QObject *parent);

    reports::Layout m_layout;

private:
    db::Dataset *m_query;
    QString m_caption;
    int m_productKind = 0;
    reports::PreparedReport m_prepared;
};

// Pieces the five summary layouts share.
namespace layouts {

// Row height of the summaries, mm.
constexpr double kLine = 5;
// "Готовая продукция" for product kind 0, "Заготовки" otherwise.
QVariant productKind(const reports::Row &row);
// " (грунт)" for colour 1, " (RAL: n)" above 1, a blank otherwise.
QVariant colourNote(const reports::Row &row);

// The scheme every summary follows: an empty title band, the report header (the caption in
// bold and the column labels) with a thin spacer after it, the groups, the detail, the grand
// totals framed on all four sides after "Итого:", and the page number at the bottom right.
reports::Layout summaryScheme(const QString &name, std::vector<reports::Cell> columnLabels,
                              std::vector<reports::Group> groups, reports::Band detail,
                              std::vector<reports::Cell> grandTotals);
// A group on a field whose header prints the key in bold at the left margin (kept together).
reports::Group keyGroup(const QString &field, std::vector<reports::Cell> footerCells,
                        const reports::Frame &footerFrame = {});
// The group's header goes on over a page break marked " (продолжение)" and never stays alone
// at the foot of a page; its footer never stands alone at the top of one.
void keepTogether(reports::Group &g);
// A band of one line of the summaries.
reports::Band line(std::vector<reports::Cell> cells, const reports::Frame &frame = {});
// An amount: two decimals, at the right.
reports::Cell money(reports::Cell c);
// A bold label of the report header.
reports::Cell columnLabel(const QString &text, double x, double width);

} // namespace layouts
