#pragma once
// A band report layout as data: page setup, bands with their cells, groups with break keys.
// Computed cells are small functions of the current row; sums run over the detail rows.

#include "pages.h"
#include "row_source.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

namespace reports {

// The row a band is printed for. Values of a row that does not exist (an empty report's
// footers) are null: numbers read 0, texts "".
class Row
{
public:
    Row(const RowSource *data, int row, QHash<QString, int> *fieldCache);
    QVariant value(const QString &field) const; // a field the rows lack throws DbError
    double number(const QString &field) const;
    QString text(const QString &field) const; // in the program's display format
    bool exists() const { return m_row >= 0; }

private:
    int indexOf(const QString &field) const;
    const RowSource *m_data;
    int m_row;
    QHash<QString, int> *m_cache;
};

using Compute = std::function<QVariant(const Row &)>;

struct Frame
{
    bool top = false, bottom = false, left = false, right = false;
    PenStyle pen = PenStyle::Solid;

    static Frame all(PenStyle pen = PenStyle::Solid) { return {true, true, true, true, pen}; }
    static Frame above(PenStyle pen = PenStyle::Solid) { return {true, false, false, false, pen}; }
    static Frame below(PenStyle pen = PenStyle::Solid) { return {false, true, false, false, pen}; }
    static Frame aboveBelow(PenStyle pen = PenStyle::Solid)
    {
        return {true, true, false, false, pen};
    }
    static Frame sides(PenStyle pen = PenStyle::Solid) { return {false, false, true, true, pen}; }
    bool any() const { return top || bottom || left || right; }
};

enum class CellKind {
    Field, // a field of the rows, with an optional number mask
    Label, // fixed text
    Caption, // the one text the caller sets before preparing
    Computed, // a function of the row
    Sum, // a sum over the detail rows of a field or of a function of the row
    PageNumber
};

// When a sum starts again from zero.
enum class SumScope {
    AfterPrint, // after its band has printed (group subtotals)
    Report // never: it runs over the whole report (grand totals)
};

struct Cell
{
    CellKind kind = CellKind::Label;
    double x = 0; // mm from the left margin
    double width = 0;
    double y = 0; // mm from the band's top
    double height = 0; // 0: the band's height less y
    QString field; // Field, or the field a Sum adds
    QString text; // Label
    Compute compute; // Computed, or the value a Sum adds per row
    QString mask; // "#0.00"; empty: numbers in general format
    int alignment = int(Qt::AlignLeft | Qt::AlignVCenter);
    bool bold = false;
    double pointSize = 0; // 0: the layout's
    Frame frame;
    SumScope scope = SumScope::AfterPrint;
    bool fit = false; // a text wider than its box: a little smaller, or ended with "…"

    Cell &inBold()
    {
        bold = true;
        return *this;
    }
    Cell &withMask(const QString &m)
    {
        mask = m;
        return *this;
    }
    Cell &aligned(int a)
    {
        alignment = a;
        return *this;
    }
    Cell &centred();
    Cell &right();
    Cell &framed(const Frame &f)
    {
        frame = f;
        return *this;
    }
    Cell &overReport()
    {
        scope = SumScope::Report;
        return *this;
    }
    Cell &sized(double points)
    {
        pointSize = points;
        return *this;
    }
    Cell &fitted()
    {
        fit = true;
        return *this;
    }
    Cell &at(double top, double h)
    {
        y = top;
        height = h;
        return *this;
    }
};

Cell fieldCell(const QString &field, double x, double width);
Cell labelCell(const QString &text, double x, double width);
Cell captionCell(double x, double width);
Cell computedCell(Compute fn, double x, double width);
Cell sumCell(const QString &field, double x, double width);
Cell sumCell(Compute fn, double x, double width);
Cell pageNumberCell(double x, double width);

struct Band
{
    double height = 0; // mm; a band of height 0 prints nothing
    std::vector<Cell> cells;
    Frame frame; // across the printable width
    std::vector<Band> children; // child bands, printed right after this one

    // Page breaks. A group header with a mark is printed again at the top of every page its
    // group goes on to, the text of each field or computed cell followed by the mark.
    QString continuedMark;
    bool keepWithNext = false; // never last on a page: it goes over with the band after it
    bool keepWithPrevious = false; // never first on a page: the band before comes along
    // The column titles: the last printed goes again above a band that needs them when that
    // band begins a page (the grand totals).
    bool columnTitles = false;
    bool needsColumnTitles = false;
};

struct Group
{
    // The break key: a field, or a function of the row. Neither: the group has no break; its
    // header prints once at the start and its footer once at the end (the report header and
    // the grand totals). Groups without a break come before those with one.
    QString keyField;
    Compute key;
    Band header;
    std::optional<Band> footer;
    bool repeatOnEveryPage = false; // the header again at the top of every following page
    bool hasKey() const { return !keyField.isEmpty() || bool(key); }
};

struct Layout
{
    QString name; // the preview's caption
    bool landscape = false; // A4 either way
    double marginLeft = 10, marginTop = 10, marginRight = 10, marginBottom = 10; // mm
    QString fontFamily = QStringLiteral("Arial");
    double pointSize = 10;
    std::optional<Band> title; // printed once, first
    std::vector<Group> groups; // outermost first
    Band detail; // one per row
    std::optional<Band> pageFooter; // at the bottom of every page

    QSizeF paperSize() const; // A4 in mm as it lies
    double printableWidth() const { return paperSize().width() - marginLeft - marginRight; }
};

} // namespace reports
