#pragma once
// Reads a saved workbook back with a reader that is not ours (Debian's python3-openpyxl) and
// hands the tests what a spreadsheet program would show: every cell's value, type, number
// format and weight, the custom column widths and the sheet names.

#include "db/formats.h"
#include "reports/xlsx/excel_link.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace xlsxtest {

struct ReadCell
{
    QVariant value;
    QString type; // "n" number, "s" text
    QString format; // number format: "General", "@"...
    bool bold = false;
};

struct Workbook
{
    bool ok = false;
    QString error;
    QStringList sheets;
    QHash<QString, ReadCell> cells; // by reference: "A1"
    QHash<QString, double> widths; // by column letter, custom widths only

    bool has(const QString &ref) const { return cells.contains(ref); }
    ReadCell cell(const QString &ref) const { return cells.value(ref); }
};

inline const char *readerScript()
{
    return R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
cells = {}
for row in sheet.iter_rows():
    for c in row:
        if c.value is None:
            continue
        cells[c.coordinate] = {"value": c.value, "type": c.data_type,
                               "format": c.number_format, "bold": bool(c.font.b)}
widths = {k: d.width for k, d in sheet.column_dimensions.items() if d.customWidth}
print(json.dumps({"sheets": book.sheetnames, "cells": cells, "widths": widths}))
)";
}

// Debian's interpreter first: the reader comes from its package.
inline QString python()
{
    const QString system = QStringLiteral("/usr/bin/python3");
    return QFile::exists(system) ? system : QStringLiteral("python3");
}

inline Workbook read(const QString &path)
{
    Workbook book;
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), QString::fromUtf8(readerScript()), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        book.error = QString::fromUtf8(p.readAllStandardError());
        return book;
    }
    const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    for (const QJsonValue &s : root.value(QStringLiteral("sheets")).toArray())
        book.sheets << s.toString();
    const QJsonObject cells = root.value(QStringLiteral("cells")).toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const QJsonObject c = it.value().toObject();
        book.cells.insert(it.key(),
                          {c.value(QStringLiteral("value")).toVariant(),
                           c.value(QStringLiteral("type")).toString(),
                           c.value(QStringLiteral("format")).toString(),
                           c.value(QStringLiteral("bold")).toBool()});
    }
    const QJsonObject widths = root.value(QStringLiteral("widths")).toObject();
    for (auto it = widths.begin(); it != widths.end(); ++it)
        book.widths.insert(it.key(), it.value().toDouble());
    book.ok = true;
    return book;
}

// A column width as stored in the file against the width the link fitted: the file holds it
// with the cell margins (5 pixels, about 0.7 of a digit) added, in 1/256 of a digit.
inline bool storedWidth(double stored, double fitted)
{
    return stored >= fitted && stored <= fitted + 1;
}

// The letters of a cell reference: "AG12" -> "AG".
inline QString columnOf(const QString &ref)
{
    qsizetype n = 0;
    while (n < ref.size() && ref[n].isLetter())
        ++n;
    return ref.left(n);
}

// The columns that are not as wide as the widest text in them, as the link measures a text
// (numbers in the program's form, as the exports write them), with what they hold and what
// they should: "" when every column holding a text fits it.
inline QString unfittedColumns(const Workbook &book)
{
    QMap<QString, double> widest;
    QMap<QString, QString> widestText;
    for (auto it = book.cells.begin(); it != book.cells.end(); ++it) {
        const QString text = it->type == QLatin1String("n")
            ? db::formatGeneral(it->value.toDouble())
            : it->value.toString();
        reports::ExcelLink measure;
        measure.OpenExcel();
        measure.WriteExcelCell(1, 1, 1, text, true, true, it->bold);
        const QString column = columnOf(it.key());
        if (measure.columnWidth(1) > widest.value(column, -1)) {
            widest[column] = measure.columnWidth(1);
            widestText[column] = text;
        }
    }
    QStringList unfitted;
    for (auto it = widest.begin(); it != widest.end(); ++it) {
        const double stored = book.widths.value(it.key(), -1);
        if (!storedWidth(stored, it.value()))
            unfitted << QStringLiteral("%1: %2 for «%3» (%4)")
                            .arg(it.key())
                            .arg(stored)
                            .arg(widestText[it.key()])
                            .arg(it.value());
    }
    return unfitted.join(QStringLiteral("; "));
}

// The files (hidden ones too) in a folder, by name.
inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace xlsxtest

// Reads the file into `book` or fails the test with the reader's complaint.
#define XLSX_READ(book, path)                                                                      \
    const xlsxtest::Workbook book = xlsxtest::read(path);                                          \
    QVERIFY2(book.ok,                                                                              \
             qPrintable(QStringLiteral("openpyxl cannot read %1: %2").arg(path, book.error)))
