#include "render.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>
#include <QSaveFile>
#include <optional>

namespace reports {

namespace {

QPageLayout pageLayoutFor(const Page &page)
{
    const bool landscape = page.size.width() > page.size.height();
    return QPageLayout(QPageSize(QPageSize::A4),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// Pages of a report on a paged device (PDF writer or printer) whose painter origin is the
// paper's corner.
bool paintPages(QPagedPaintDevice &device, const PreparedReport &report, int from, int to)
{
    const int first = from > 0 ? from - 1 : 0;
    const int last = to > 0 ? std::min(to, report.pageCount()) - 1 : report.pageCount() - 1;
    if (report.pages.empty() || first > last)
        return false;
    device.setPageLayout(pageLayoutFor(report.pages[size_t(first)]));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double pixelsPerMm = device.logicalDpiX() / 25.4;
    for (int i = first; i <= last; ++i) {
        if (i > first) {
            device.setPageLayout(pageLayoutFor(report.pages[size_t(i)]));
            if (!device.newPage())
                return false;
        }
        renderPage(painter, report.pages[size_t(i)], pixelsPerMm);
    }
    return painter.end();
}

// A text wider than its box: drawn up to a fifth smaller, and when that is not enough, at
// that size ended with "…", never cut off at the box's edge. False when it fits as it is.
bool drawFitted(QPainter &painter, const QFont &font, const QRectF &box, const TextItem &t)
{
    // The font's size is in the painter's units, so the widths come out in millimetres.
    const double width = QFontMetricsF(font, painter.device()).horizontalAdvance(t.text);
    if (width <= box.width())
        return false;
    constexpr double smallest = 0.8;
    QFont smaller = font;
    // A little below the exact ratio: hinting may widen a smaller font's texts.
    smaller.setPointSizeF(font.pointSizeF() * std::max(smallest, box.width() / width * 0.97));
    painter.setFont(smaller);
    const QFontMetricsF metrics(smaller, painter.device());
    const QString text = metrics.horizontalAdvance(t.text) <= box.width()
        ? t.text
        : metrics.elidedText(t.text, Qt::ElideRight, box.width());
    painter.drawText(box, t.alignment | Qt::TextSingleLine, text);
    return true;
}

} // namespace

void renderPage(QPainter &painter, const Page &page, double pixelsPerMm)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(pixelsPerMm, pixelsPerMm);
    // Qt turns a font's points into device pixels and the scale above applies again; the size
    // is set so that the text comes out in points of paper on every device.
    const double deviceDpi = painter.device()->logicalDpiY();
    const double pointsToUnits = 25.4 / deviceDpi;

    QPen solid(Qt::black);
    solid.setWidthF(0.2);
    QPen dotted(QColor(128, 128, 128));
    dotted.setWidthF(0.2);
    dotted.setStyle(Qt::DotLine);
    std::optional<PenStyle> pen;
    for (const LineItem &l : page.lines) {
        if (pen != l.pen) {
            painter.setPen(l.pen == PenStyle::Solid ? solid : dotted);
            pen = l.pen;
        }
        painter.drawLine(l.line);
    }
    painter.setPen(Qt::black);
    // Most texts share the font of the one before: changing the painter's font costs more
    // than drawing a short text.
    QFont font;
    const TextItem *previous = nullptr;
    for (const TextItem &t : page.texts) {
        if (!previous || previous->family != t.family || previous->bold != t.bold
            || previous->pointSize != t.pointSize) {
            font.setFamily(t.family);
            font.setBold(t.bold);
            font.setPointSizeF(t.pointSize * pointsToUnits);
            painter.setFont(font);
        }
        previous = &t;
        // A little air between a frame line and the text.
        const QRectF box = t.box.adjusted(0.5, 0, -0.5, 0);
        if (t.fit && drawFitted(painter, font, box, t))
            previous = nullptr; // the painter's font is no longer the text's
        else
            painter.drawText(box, t.alignment | Qt::TextSingleLine, t.text);
    }
    painter.restore();
}

QImage renderPageImage(const Page &page, double dpi)
{
    const double pixelsPerMm = dpi / 25.4;
    QImage image(qRound(page.size.width() * pixelsPerMm), qRound(page.size.height() * pixelsPerMm),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    renderPage(painter, page, pixelsPerMm);
    painter.end();
    return image;
}

bool writePdf(const PreparedReport &report, const QString &path)
{
    // Written under a temporary name beside the file and put in its place only when whole: a
    // failed write leaves a file that was there as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool ok = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(600);
        writer.setTitle(report.title);
        writer.setCreator(QStringLiteral("Tabel"));
        ok = paintPages(writer, report, 0, 0);
    }
    // The last buffered bytes are written here, not in commit(), whose own flush keeps no error.
    if (!ok || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool printReport(const PreparedReport &report, QPrinter &printer, int from, int to)
{
    printer.setFullPage(true);
    return paintPages(printer, report, from, to);
}

} // namespace reports
