#include "prepare.h"

#include "db/db_error.h"
#include "db/formats.h"
#include "db/values.h"
#include "number_mask.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace reports {

// --- the row -------------------------------------------------------------------------------

Row::Row(const RowSource *data, int row, QHash<QString, int> *fieldCache)
    : m_data(data)
    , m_row(row)
    , m_cache(fieldCache)
{
}

int Row::indexOf(const QString &field) const
{
    const auto it = m_cache->constFind(field);
    if (it != m_cache->constEnd())
        return *it;
    const int i = m_data->fieldIndex(field);
    if (i < 0)
        throw db::DbError(QStringLiteral("Поле «%1» не найдено").arg(field));
    m_cache->insert(field, i);
    return i;
}

QVariant Row::value(const QString &field) const
{
    const int i = indexOf(field);
    return m_row < 0 ? QVariant() : m_data->value(m_row, i);
}

double Row::number(const QString &field) const
{
    const QVariant v = value(field);
    if (v.isNull() || !v.isValid())
        return 0;
    if (v.typeId() == qMetaTypeId<db::Decimal>())
        return v.value<db::Decimal>().toDouble();
    if (v.typeId() == QMetaType::QString)
        return db::parseNumber(v.toString());
    return v.toDouble();
}

QString Row::text(const QString &field) const
{
    return db::displayText(value(field));
}

// --- cells and layout ----------------------------------------------------------------------

Cell &Cell::centred()
{
    alignment = int(Qt::AlignHCenter | Qt::AlignVCenter);
    return *this;
}

Cell &Cell::right()
{
    alignment = int(Qt::AlignRight | Qt::AlignVCenter);
    return *this;
}

namespace {
Cell makeCell(CellKind kind, double x, double width)
{
    Cell c;
    c.kind = kind;
    c.x = x;
    c.width = width;
    return c;
}
} // namespace

Cell fieldCell(const QString &field, double x, double width)
{
    Cell c = makeCell(CellKind::Field, x, width);
    c.field = field;
    return c;
}

Cell labelCell(const QString &text, double x, double width)
{
    Cell c = makeCell(CellKind::Label, x, width);
    c.text = text;
    return c;
}

Cell captionCell(double x, double width)
{
    return makeCell(CellKind::Caption, x, width);
}

Cell computedCell(Compute fn, double x, double width)
{
    Cell c = makeCell(CellKind::Computed, x, width);
    c.compute = std::move(fn);
    return c;
}

Cell sumCell(const QString &field, double x, double width)
{
    Cell c = makeCell(CellKind::Sum, x, width);
    c.field = field;
    return c;
}

Cell sumCell(Compute fn, double x, double width)
{
    Cell c = makeCell(CellKind::Sum, x, width);
    c.compute = std::move(fn);
    return c;
}

Cell pageNumberCell(double x, double width)
{
    return makeCell(CellKind::PageNumber, x, width);
}

QSizeF Layout::paperSize() const
{
    return landscape ? QSizeF(297, 210) : QSizeF(210, 297);
}

// --- prepare -------------------------------------------------------------------------------

namespace {

class Preparer
{
public:
    Preparer(const Layout &layout, const RowSource &data, const QString &caption)
        : L(layout)
        , m_data(data)
        , m_caption(caption)
        , m_paper(layout.paperSize())
    {
        m_limit = m_paper.height() - L.marginBottom - (L.pageFooter ? L.pageFooter->height : 0.0);
        collectSums();
        checkGroups();
    }

    PreparedReport run()
    {
        m_out.title = L.name;
        const std::vector<Step> steps = plan();
        m_open.assign(L.groups.size(), false);
        startPage();
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step &s = steps[i];
            const Row row(&m_data, s.row, &m_fields);
            if (s.what == Step::Detail) {
                for (size_t k = 0; k < m_sums.size(); ++k)
                    m_totals[k] += summand(*m_sums[k], row);
            }
            if (prints(s.band)) {
                // Bands kept together go to the next page as one block when the block fits
                // on a page; a longer block breaks where it must.
                if (!gluedToPrevious(steps, i)) {
                    const double block = blockHeight(steps, i);
                    if (m_y + block > m_limit + 1e-9 && m_y > m_bodyTop + 1e-9
                        && block <= m_limit - m_bodyTop + 1e-9)
                        newPage(*s.band, row);
                }
                print(*s.band, row);
            }
            if (s.what == Step::Open)
                m_open[s.group] = true;
            else if (s.what == Step::Close)
                m_open[s.group] = false;
        }
        finishPage();
        return std::move(m_out);
    }

private:
    // One band to print in report order, with the row it is printed for.
    struct Step
    {
        enum What { Title, Open, Detail, Close } what;
        const Band *band; // null: a group without a footer closes
        int row; // -1: no row
        size_t group = 0;
    };

    // The bands in print order: the title, the headers of the groups without a break, then
    // per row the footers of the groups that end, the headers of those that begin and the
    // detail, and at the end the footers of the groups still open.
    std::vector<Step> plan()
    {
        std::vector<Step> steps;
        const int n = m_data.rowCount();
        const int none = n > 0 ? 0 : -1;
        if (L.title)
            steps.push_back({Step::Title, &*L.title, none});
        std::vector<bool> open(L.groups.size(), false);
        size_t firstKeyed = 0;
        while (firstKeyed < L.groups.size() && !L.groups[firstKeyed].hasKey()) {
            steps.push_back({Step::Open, &L.groups[firstKeyed].header, none, firstKeyed});
            open[firstKeyed] = true;
            ++firstKeyed;
        }
        auto close = [&](size_t outermost, int row) {
            for (size_t g = L.groups.size(); g-- > outermost;) {
                if (!open[g])
                    continue;
                const auto &footer = L.groups[g].footer;
                steps.push_back({Step::Close, footer ? &*footer : nullptr, row, g});
                open[g] = false;
            }
        };
        std::vector<QVariant> keys(L.groups.size());
        for (int r = 0; r < n; ++r) {
            const Row row(&m_data, r, &m_fields);
            // The outermost group whose key changed; it and every group inside it break.
            size_t changed = L.groups.size();
            for (size_t g = firstKeyed; g < L.groups.size(); ++g) {
                QVariant k = keyOf(L.groups[g], row);
                if (changed == L.groups.size() && (r == 0 || k != keys[g]))
                    changed = g;
                keys[g] = std::move(k);
            }
            if (r > 0 && changed < L.groups.size())
                close(changed, r - 1);
            for (size_t g = changed; g < L.groups.size(); ++g) {
                steps.push_back({Step::Open, &L.groups[g].header, r, g});
                open[g] = true;
            }
            steps.push_back({Step::Detail, &L.detail, r});
        }
        close(0, n - 1);
        return steps;
    }

    static bool prints(const Band *b) { return b && (b->height > 0 || !b->children.empty()); }

    static double treeHeight(const Band &b)
    {
        double h = std::max(b.height, 0.0);
        for (const Band &child : b.children)
            h += treeHeight(child);
        return h;
    }

    // The printing band before step i, if any.
    static const Band *previousBand(const std::vector<Step> &steps, size_t i)
    {
        while (i-- > 0) {
            if (prints(steps[i].band))
                return steps[i].band;
        }
        return nullptr;
    }

    static bool gluedToPrevious(const std::vector<Step> &steps, size_t i)
    {
        const Band *previous = previousBand(steps, i);
        return previous && (previous->keepWithNext || steps[i].band->keepWithPrevious);
    }

    // The height of step i's band with the bands kept together with it that follow.
    static double blockHeight(const std::vector<Step> &steps, size_t i)
    {
        double h = treeHeight(*steps[i].band);
        for (size_t k = i + 1; k < steps.size(); ++k) {
            if (!prints(steps[k].band))
                continue;
            if (!gluedToPrevious(steps, k))
                break;
            h += treeHeight(*steps[k].band);
        }
        return h;
    }

    void checkGroups() const
    {
        bool keyed = false;
        for (const Group &g : L.groups) {
            if (g.hasKey())
                keyed = true;
            else if (keyed)
                throw std::logic_error("a group without a break key inside one with a key");
        }
    }

    void collectSums()
    {
        auto add = [this](const Band &b, auto &&self) -> void {
            for (const Cell &c : b.cells) {
                if (c.kind == CellKind::Sum) {
                    m_sumIndex[&c] = m_sums.size();
                    m_sums.push_back(&c);
                }
            }
            for (const Band &child : b.children)
                self(child, self);
        };
        if (L.title)
            add(*L.title, add);
        for (const Group &g : L.groups) {
            add(g.header, add);
            if (g.footer)
                add(*g.footer, add);
        }
        add(L.detail, add);
        if (L.pageFooter)
            add(*L.pageFooter, add);
        m_totals.assign(m_sums.size(), 0.0);
    }

    static QVariant keyOf(const Group &g, const Row &row)
    {
        return g.key ? g.key(row) : row.value(g.keyField);
    }

    static double summand(const Cell &c, const Row &row)
    {
        if (c.compute) {
            const QVariant v = c.compute(row);
            return v.isNull() ? 0.0 : v.toDouble();
        }
        return row.number(c.field);
    }

    void startPage()
    {
        Page p;
        p.size = m_paper;
        m_out.pages.push_back(std::move(p));
        m_y = L.marginTop;
        const Row row = m_currentRow ? *m_currentRow : Row(&m_data, -1, &m_fields);
        for (size_t g = 0; g < m_open.size(); ++g) {
            if (!m_open[g])
                continue;
            const Band &header = L.groups[g].header;
            if (L.groups[g].repeatOnEveryPage)
                emitBand(header, row);
            else if (!header.continuedMark.isEmpty())
                emitBand(header, row, header.continuedMark);
        }
        m_bodyTop = m_y;
    }

    // Ends the page and starts the next for `next`, with the column titles above it when it
    // needs them.
    void newPage(const Band &next, const Row &row)
    {
        finishPage();
        m_currentRow = &row;
        startPage();
        m_currentRow = nullptr;
        if (next.needsColumnTitles && m_titles)
            emitBand(*m_titles, row);
    }

    void finishPage()
    {
        if (!L.pageFooter)
            return;
        const Row none(&m_data, -1, &m_fields);
        const double saved = m_y;
        m_y = m_paper.height() - L.marginBottom - L.pageFooter->height;
        emitBand(*L.pageFooter, none);
        m_y = saved;
    }

    void print(const Band &band, const Row &row)
    {
        if (band.height <= 0 && band.children.empty())
            return;
        if (m_y + band.height > m_limit + 1e-9 && m_y > m_bodyTop + 1e-9)
            newPage(band, row);
        emitBand(band, row);
        for (const Band &child : band.children)
            print(child, row);
    }

    // Puts the band's texts and lines on the current page at m_y and moves down; `mark`
    // follows the texts of its fields and computed cells.
    void emitBand(const Band &band, const Row &row, const QString &mark = QString())
    {
        if (band.columnTitles)
            m_titles = &band;
        Page &page = m_out.pages.back();
        const double left = L.marginLeft;
        const double right = m_paper.width() - L.marginRight;
        const double top = m_y;
        const double bottom = m_y + band.height;
        addFrame(page, QRectF(QPointF(left, top), QPointF(right, bottom)), band.frame);
        for (const Cell &c : band.cells) {
            const double h = c.height > 0 ? c.height : band.height - c.y;
            const QRectF box(left + c.x, top + c.y, c.width, h);
            addFrame(page, box, c.frame);
            QString text = cellText(c, row);
            if (text.isEmpty())
                continue;
            if (c.kind == CellKind::Field || c.kind == CellKind::Computed)
                text += mark;
            TextItem t;
            t.box = box;
            t.text = std::move(text);
            t.family = L.fontFamily;
            t.pointSize = c.pointSize > 0 ? c.pointSize : L.pointSize;
            t.bold = c.bold;
            t.alignment = c.alignment;
            t.fit = c.fit;
            page.texts.push_back(std::move(t));
        }
        m_y = bottom;
        // Subtotals start again once their band has printed.
        for (const Cell &c : band.cells) {
            if (c.kind == CellKind::Sum && c.scope == SumScope::AfterPrint)
                m_totals[m_sumIndex.at(&c)] = 0;
        }
    }

    QString cellText(const Cell &c, const Row &row)
    {
        switch (c.kind) {
        case CellKind::Field:
            return formatValue(row.value(c.field), c.mask);
        case CellKind::Label:
            return c.text;
        case CellKind::Caption:
            return m_caption;
        case CellKind::Computed:
            return formatValue(c.compute(row), c.mask);
        case CellKind::Sum:
            return formatValue(QVariant(m_totals[m_sumIndex.at(&c)]), c.mask);
        case CellKind::PageNumber:
            return QString::number(m_out.pages.size());
        }
        return QString();
    }

    static void addFrame(Page &page, const QRectF &r, const Frame &f)
    {
        if (f.top)
            page.lines.push_back({QLineF(r.topLeft(), r.topRight()), f.pen});
        if (f.bottom)
            page.lines.push_back({QLineF(r.bottomLeft(), r.bottomRight()), f.pen});
        if (f.left)
            page.lines.push_back({QLineF(r.topLeft(), r.bottomLeft()), f.pen});
        if (f.right)
            page.lines.push_back({QLineF(r.topRight(), r.bottomRight()), f.pen});
    }

    const Layout &L;
    const RowSource &m_data;
    QString m_caption;
    QSizeF m_paper;
    double m_limit = 0;
    double m_y = 0;
    double m_bodyTop = 0;
    PreparedReport m_out;
    QHash<QString, int> m_fields;
    std::vector<const Cell *> m_sums;
    std::unordered_map<const Cell *, size_t> m_sumIndex;
    std::vector<double> m_totals;
    std::vector<bool> m_open;
    const Row *m_currentRow = nullptr;
    const Band *m_titles = nullptr; // the column titles printed last
};

} // namespace

PreparedReport prepare(const Layout &layout, const RowSource &rows, const QString &caption)
{
    return Preparer(layout, rows, caption).run();
}

} // namespace reports
