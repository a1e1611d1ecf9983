// Makes the README's picture of a summary export: the demo plant's November exported from the
// summary reports window, the saved workbook read back with openpyxl (a reader that is not ours)
// and its cells drawn as a spreadsheet shows them, every column as wide as the file says. Run by
// scripts/screenshot_export.sh under Xvfb.

#include "app/login_window.h"
#include "app/startup.h"
#include "core/forms.h"
#include "journal/journal_window.h"
#include "reports/summary_reports_window.h"
#include "ui/seams.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// The journal opens the summary reports window, whose "Excel" exports its default period.
class Walk : public ui::ModalSeam, public ui::SpreadsheetSeam
{
public:
    int exec(QDialog *dialog) override
    {
        if (dialog == forms().journal)
            forms().journal->N10Click();
        else if (dialog == forms().summaryReports)
            forms().summaryReports->Button6->click();
        return QDialog::Rejected;
    }
    QString folder() override { return m_dir.path(); }
    bool open(const QString &path) override
    {
        saved = path;
        return true;
    }
    bool openFolder(const QString &) override { return true; }

    QString saved;

private:
    QTemporaryDir m_dir;
};

class NoEnd : public ui::EndSeam
{
public:
    void endProgram() override { }
};

// Cells and custom column widths of the workbook's first sheet, as openpyxl reads them.
QJsonObject readBack(const QString &path)
{
    const char *script = R"(
import json, sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
cells = {c.coordinate: {"value": c.value, "row": c.row, "column": c.column,
                        "number": c.data_type == "n", "bold": bool(c.font.b)}
         for row in sheet.iter_rows() for c in row if c.value is not None}
widths = {k: d.width for k, d in sheet.column_dimensions.items() if d.customWidth}
print(json.dumps({"cells": cells, "widths": widths}))
)";
    // Debian's interpreter first: the reader comes from its package.
    const QString system = QStringLiteral("/usr/bin/python3");
    QProcess p;
    p.start(QFileInfo::exists(system) ? system : QStringLiteral("python3"),
            {QStringLiteral("-c"), QString::fromUtf8(script), path});
    p.waitForFinished(60000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The sheet as a spreadsheet program draws it: column letters and row numbers on grey, a grid,
// texts at the left and numbers at the right of their cells, cut at the cell's edge.
QImage drawSheet(const QJsonObject &book, int rows)
{
    const QJsonObject cells = book.value(QStringLiteral("cells")).toObject();
    const QJsonObject widths = book.value(QStringLiteral("widths")).toObject();
    QFont font;
    // The family the link measures with when the reader's own is missing.
    font.setFamilies({QStringLiteral("Calibri"), QStringLiteral("Carlito"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(15);
    font.setKerning(false);
    const QFontMetricsF metrics(font);
    double digit = 0;
    for (char16_t d = u'0'; d <= u'9'; ++d)
        digit = std::max(digit, metrics.horizontalAdvance(QChar(d)));
    int columns = 0;
    for (const QJsonValue &c : cells)
        columns = std::max(columns, c.toObject().value(QStringLiteral("column")).toInt());
    const int rowHeight = 24, headWidth = 40;
    QList<int> x {headWidth};
    for (int c = 0; c < columns; ++c) {
        const double w = widths.value(QString(QChar(u'A' + c))).toDouble(8.43 + 0.71);
        x << x.last() + qRound(w * digit);
    }
    QImage image(x.last() + 1, (rows + 1) * rowHeight + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    const QColor head(230, 230, 230), grid(210, 210, 210);
    painter.fillRect(0, 0, image.width(), rowHeight, head);
    painter.fillRect(0, 0, headWidth, image.height(), head);
    painter.setPen(grid);
    for (int r = 0; r <= rows + 1; ++r)
        painter.drawLine(0, r * rowHeight, image.width(), r * rowHeight);
    for (int xc : x)
        painter.drawLine(xc, 0, xc, image.height());
    painter.drawLine(0, 0, 0, image.height());
    painter.setPen(Qt::black);
    for (int c = 0; c < columns; ++c)
        painter.drawText(QRect(x[c], 0, x[c + 1] - x[c], rowHeight), Qt::AlignCenter,
                         QString(QChar(u'A' + c)));
    for (int r = 1; r <= rows; ++r)
        painter.drawText(QRect(0, r * rowHeight, headWidth, rowHeight), Qt::AlignCenter,
                         QString::number(r));
    // Numbers in the sheet's general format: the decimal comma, no group separators.
    QLocale general(QLocale::Russian, QLocale::Russia);
    general.setNumberOptions(QLocale::OmitGroupSeparator);
    for (const QJsonValue &v : cells) {
        const QJsonObject c = v.toObject();
        const int row = c.value(QStringLiteral("row")).toInt();
        const int column = c.value(QStringLiteral("column")).toInt() - 1;
        if (row > rows)
            continue;
        const bool number = c.value(QStringLiteral("number")).toBool();
        const QString text = number
            ? general.toString(c.value(QStringLiteral("value")).toDouble(), 'g', 15)
            : c.value(QStringLiteral("value")).toString();
        const QRect box(x[column] + 3, row * rowHeight, x[column + 1] - x[column] - 6, rowHeight);
        painter.save();
        painter.setClipRect(box);
        QFont f = font;
        f.setBold(c.value(QStringLiteral("bold")).toBool());
        painter.setFont(f);
        painter.drawText(box, (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, text);
        painter.restore();
    }
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 6) {
        QTextStream(stderr) << "usage: tabel_screenshot_export SERVER DB OUTFILE LOGIN PASSWORD\n";
        return 2;
    }
    NoEnd noEnd;
    ui::setEndSeam(&noEnd);
    // The summaries' default period is the month before today's: the demo plant's November.
    ui::setFixedNow(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    if (!startProgram({args.at(0), args.at(1), args.at(2)}))
        return 1;
    Walk walk;
    ui::setModalSeam(&walk);
    ui::setSpreadsheetSeam(&walk);
    TForm23 *login = forms().login;
    login->Edit1->setText(args.at(4));
    login->Edit2->setText(args.at(5));
    login->Button1Click();
    ui::setModalSeam(nullptr);
    ui::setSpreadsheetSeam(nullptr);
    stopProgram();
    if (walk.saved.isEmpty())
        return 1;
    const QImage sheet = drawSheet(readBack(walk.saved), 22);
    return sheet.save(args.at(3)) ? 0 : 1;
}
