#pragma once
// The rows a report is laid out from, as the engine reads them: how many there are, where a
// field is, and a value by row and field. A query of the program gives them through a thin
// adapter of the layouts; the engine's tests build them in memory.

#include <QString>
#include <QVariant>

namespace reports {

class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual int rowCount() const = 0;
    // The field's column, -1 when there is none; names match whatever their case.
    virtual int fieldIndex(const QString &field) const = 0;
    // The value as the data layer reads it (numerics as db::Decimal, dates as QDate); null
    // when the value is null. Rows run 0..rowCount() - 1 in the order they are printed.
    virtual QVariant value(int row, int field) const = 0;
};

} // namespace reports
