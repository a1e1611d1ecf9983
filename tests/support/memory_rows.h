#pragma once
// Rows built in memory for the report engine's tests: named fields and a list of values per
// row, of the types the data layer reads from the server (numeric() for a numeric column).

#include "reports/engine/row_source.h"

#include <QStringList>
#include <QVariantList>
#include <vector>

namespace testing {

class MemoryRows : public reports::RowSource
{
public:
    explicit MemoryRows(QStringList fields);
    // One value per field, in the fields' order.
    MemoryRows &add(QVariantList values);

    int rowCount() const override { return int(m_rows.size()); }
    int fieldIndex(const QString &field) const override;
    QVariant value(int row, int field) const override;

private:
    QStringList m_fields;
    std::vector<QVariantList> m_rows;
};

// A numeric column's value, as db::Decimal holds one read from the server.
QVariant numeric(double value);

} // namespace testing
