#pragma once
// Private to the data layer: a result held whole in memory, one typed vector per column.

#include "dataset.h"
#include "values.h"

#include <QVariant>
#include <vector>

namespace db {

class Statement;

struct StoredColumn
{
    Field field;
    QString serverType; // the server's type name, for casts in written statements
    // A decimal column (numeric with places, or wider than 64 bits): its values are kept exact
    // in `decimals`, and their nearest doubles in `numbers` as well, which sort fast; float
    // columns keep their doubles in `numbers` alone.
    bool exact = false;
    // char(n): the server ignores the trailing blanks when it compares, and so do we.
    bool padded = false;
    std::vector<qint64> integers;
    std::vector<double> numbers;
    std::vector<Decimal> decimals;
    std::vector<QString> texts;
    std::vector<QDate> dates;
    std::vector<Timestamp> stamps;
    std::vector<char> nulls;

    bool isNull(int row) const { return nulls[row]; }
    QVariant value(int row) const; // null QVariant for NULL
    void set(int row, const QVariant &v); // v already of the column's type (or null)
    void appendNull();
    void reserve(size_t n);
};

struct ResultTable
{
    std::vector<StoredColumn> columns;
    int rows = 0;

    void appendNullRow();
};

// Reads the statement's result (up to maxRows rows when >= 0) with block fetch.
void readResult(Statement &st, ResultTable &out, int maxRows = -1);

// Timestamps of the server carry no zone: they are kept as wall-clock values (date and time
// fields in a UTC QDateTime), which spares the local-zone arithmetic on every read and compare.
QDateTime wallClock(const QDateTime &t);

// A value converted to a field type (texts in the program's number and date formats);
// an empty text, an invalid date or time become NULL. Throws ConversionError.
// Float values become Decimal when `exact`, double otherwise; date-times become Timestamp.
QVariant toFieldType(const QVariant &v, FieldType type, bool exact = false);

} // namespace db
