#include "memory_rows.h"

#include "db/values.h"

#include <stdexcept>

namespace testing {

MemoryRows::MemoryRows(QStringList fields)
    : m_fields(std::move(fields))
{
}

MemoryRows &MemoryRows::add(QVariantList values)
{
    if (values.size() != m_fields.size())
        throw std::logic_error("a row of memory rows needs one value per field");
    m_rows.push_back(std::move(values));
    return *this;
}

int MemoryRows::fieldIndex(const QString &field) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant MemoryRows::value(int row, int field) const
{
    return m_rows.at(size_t(row)).at(field);
}

QVariant numeric(double value)
{
    return QVariant::fromValue(db::Decimal::fromDouble(value));
}

} // namespace testing
