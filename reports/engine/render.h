#pragma once
// The one renderer: draws prepared pages on any painter, so the preview, the printer and the
// PDF show the same pages.

#include "pages.h"

#include <QImage>

class QPainter;
class QPrinter;

namespace reports {

// Draws the page with its top-left paper corner at the painter's origin, `pixelsPerMm`
// device pixels to the millimetre (the painter's transform is kept as it was).
void renderPage(QPainter &painter, const Page &page, double pixelsPerMm);
// The page as an image, white paper, at `dpi` dots per inch.
QImage renderPageImage(const Page &page, double dpi);
// Every page to a PDF file (A4, the pages' orientation). False when the file cannot be
// written; nothing new is left behind then, and a file that was there stays as it was.
bool writePdf(const PreparedReport &report, const QString &path);
// Every page, or pages from..to (1-based, 0 = all), to a printer set up by the caller.
bool printReport(const PreparedReport &report, QPrinter &printer, int from = 0, int to = 0);

} // namespace reports
