#pragma once
// Prepared pages: what a report looks like on paper, as simple primitives in millimetres from
// the paper's top-left corner. Prepare makes them; one renderer draws them on any painter.

#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

namespace reports {

enum class PenStyle { Solid, GreyDotted };

struct TextItem
{
    QRectF box; // mm
    QString text;
    QString family;
    double pointSize = 10;
    bool bold = false;
    int alignment = 0; // Qt::Alignment flags
    bool fit = false; // drawn a little smaller, or ended with "…", when wider than its box
};

struct LineItem
{
    QLineF line; // mm
    PenStyle pen = PenStyle::Solid;
};

struct Page
{
    QSizeF size; // mm, as the paper lies (landscape is wider than tall)
    std::vector<TextItem> texts;
    std::vector<LineItem> lines;

    // What a reader sees: the texts grouped into printed rows (same top of box), top to bottom,
    // each row's texts left to right; empty texts are left out.
    std::vector<QStringList> rows() const;
    // Every row joined by " | ", for messages and simple searches.
    QStringList rowTexts() const;
    // True when some text item reads exactly `text`.
    bool hasText(const QString &text) const;
};

struct PreparedReport
{
    QString title; // the preview window's caption and the PDF's title
    std::vector<Page> pages;

    int pageCount() const { return int(pages.size()); }
    // Rows of all pages in order (page footers included).
    std::vector<QStringList> allRows() const;
};

} // namespace reports
