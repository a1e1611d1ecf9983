#include "result.h"

#include "db_error.h"
#include "formats.h"
#include "odbc.h"

#include <algorithm>
#include <memory>

namespace db {

QVariant StoredColumn::value(int row) const
{
    if (nulls[row])
        return QVariant();
    switch (field.type) {
    case FieldType::Integer:
        return QVariant(integers[row]);
    case FieldType::Float:
        return QVariant(numbers[row]);
    case FieldType::Date:
        return QVariant(dates[row]);
    case FieldType::DateTime:
        return QVariant(stamps[row]);
    case FieldType::String:
    case FieldType::Boolean:
        break;
    }
    return QVariant(texts[row]);
}

void StoredColumn::set(int row, const QVariant &v)
{
    const bool null = v.isNull() || !v.isValid();
    nulls[row] = null;
    switch (field.type) {
    case FieldType::Integer:
        integers[row] = null ? 0 : v.toLongLong();
        break;
    case FieldType::Float:
        numbers[row] = null ? 0 : v.toDouble();
        break;
    case FieldType::Date:
        dates[row] = null ? QDate() : v.toDate();
        break;
    case FieldType::DateTime:
        stamps[row] = null ? QDateTime() : v.toDateTime();
        break;
    case FieldType::String:
    case FieldType::Boolean:
        texts[row] = null ? QString() : v.toString();
        break;
    }
}

// Only the vector of the column's type holds values; the others stay empty.
void StoredColumn::appendNull()
{
    nulls.push_back(1);
    switch (field.type) {
    case FieldType::Integer:
        integers.push_back(0);
        break;
    case FieldType::Float:
        numbers.push_back(0);
        break;
    case FieldType::Date:
        dates.emplace_back();
        break;
    case FieldType::DateTime:
        stamps.emplace_back();
        break;
    case FieldType::String:
    case FieldType::Boolean:
        texts.emplace_back();
        break;
    }
}

void StoredColumn::reserve(size_t n)
{
    nulls.reserve(n);
    switch (field.type) {
    case FieldType::Integer:
        integers.reserve(n);
        break;
    case FieldType::Float:
        numbers.reserve(n);
        break;
    case FieldType::Date:
        dates.reserve(n);
        break;
    case FieldType::DateTime:
        stamps.reserve(n);
        break;
    case FieldType::String:
    case FieldType::Boolean:
        texts.reserve(n);
        break;
    }
}

void ResultTable::appendNullRow()
{
    for (StoredColumn &c : columns)
        c.appendNull();
    ++rows;
}

QDateTime wallClock(const QDateTime &t)
{
    return t.isValid() ? QDateTime(t.date(), t.time(), Qt::UTC) : QDateTime();
}

QVariant toFieldType(const QVariant &v, FieldType type)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    const bool isText = v.typeId() == QMetaType::QString;
    if (isText && v.toString().trimmed().isEmpty() && type != FieldType::String)
        return QVariant();
    switch (type) {
    case FieldType::Integer:
        if (isText)
            return QVariant(qint64(qRound64(parseNumber(v.toString()))));
        if (v.typeId() == QMetaType::Double)
            return QVariant(qint64(qRound64(v.toDouble())));
        return QVariant(v.toLongLong());
    case FieldType::Float:
        return QVariant(isText ? parseNumber(v.toString()) : v.toDouble());
    case FieldType::Date:
        return QVariant(isText ? parseDate(v.toString()) : v.toDate());
    case FieldType::DateTime:
        if (isText)
            return QVariant(QDateTime(parseDate(v.toString()), QTime(0, 0), Qt::UTC));
        if (v.typeId() == QMetaType::QDate)
            return QVariant(QDateTime(v.toDate(), QTime(0, 0), Qt::UTC));
        return QVariant(wallClock(v.toDateTime()));
    case FieldType::Boolean:
        if (v.typeId() == QMetaType::Bool)
            return QVariant(QString(v.toBool() ? u'1' : u'0'));
        return QVariant(v.toString());
    case FieldType::String:
        break;
    }
    return QVariant(v.toString());
}

namespace {

constexpr SQLULEN kMaxTextChars = 8190;
constexpr size_t kBlockBytes = 4 << 20;

struct Binding
{
    SQLSMALLINT cType = SQL_C_WCHAR;
    size_t width = 0; // bytes of one value
    // Column-wise binding steps fixed-size values by their own size, so no padding here.
    std::unique_ptr<char[]> data;
    std::unique_ptr<SQLLEN[]> indicators;
};

FieldType typeOf(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT scale)
{
    switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        return FieldType::Integer;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        // Whole numbers that fit 64 bits (identifiers are numeric(15,0)) read as integers.
        return scale == 0 && size > 0 && size <= 18 ? FieldType::Integer : FieldType::Float;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return FieldType::Float;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return FieldType::Date;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return FieldType::DateTime;
    default:
        return FieldType::String;
    }
}

QString columnText(SQLHSTMT h, SQLUSMALLINT column, SQLUSMALLINT attribute)
{
    SQLWCHAR buf[256] = {};
    SQLSMALLINT bytes = 0;
    if (!odbc::succeeded(SQLColAttributeW(h, column, attribute, buf, sizeof buf, &bytes, nullptr)))
        return QString();
    return odbc::fromWide(buf, qMin<qsizetype>(bytes / 2, 255));
}

// A text longer than its bound buffer: read again whole with SQLGetData.
QString readLongText(Statement &st, SQLUSMALLINT rowInBlock, SQLUSMALLINT column)
{
    st.check(SQLSetPos(st.handle(), rowInBlock, SQL_POSITION, SQL_LOCK_NO_CHANGE));
    QString out;
    std::vector<SQLWCHAR> buf(32768);
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(st.handle(), column, SQL_C_WCHAR, buf.data(),
                                        SQLLEN(buf.size() * 2), &ind);
        if (rc == SQL_NO_DATA)
            break;
        st.check(rc);
        if (ind == SQL_NULL_DATA)
            return QString();
        const qsizetype room = qsizetype(buf.size()) - 1;
        const qsizetype got = (ind == SQL_NO_TOTAL || ind / 2 > room) ? room : ind / 2;
        out += odbc::fromWide(buf.data(), got);
        if (rc == SQL_SUCCESS)
            break;
    }
    return out;
}

} // namespace

void readResult(Statement &st, ResultTable &out, int maxRows)
{
    const SQLHSTMT h = st.handle();
    SQLSMALLINT count = 0;
    st.check(SQLNumResultCols(h, &count));
    out.columns.clear();
    out.rows = 0;
    std::vector<Binding> bindings(count);
    size_t rowBytes = 0;
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        st.check(SQLDescribeColW(h, c, name, 256, &nameLength, &sqlType, &size, &scale, &nullable));
        StoredColumn col;
        QString fieldName = odbc::fromWide(name, qMin<qsizetype>(nameLength, 255));
        // A repeated name (two "id" columns of a join) becomes id_1, id_2.
        const QString base = fieldName;
        for (int k = 1;; ++k) {
            const bool taken
                = std::any_of(out.columns.begin(), out.columns.end(), [&](const StoredColumn &o) {
                      return o.field.name.compare(fieldName, Qt::CaseInsensitive) == 0;
                  });
            if (!taken)
                break;
            fieldName = base + u'_' + QString::number(k);
        }
        col.field = Field {fieldName, typeOf(sqlType, size, scale), scale};
        col.serverType = columnText(h, c, SQL_DESC_TYPE_NAME);
        Binding &b = bindings[c - 1];
        switch (col.field.type) {
        case FieldType::Integer:
            b.cType = SQL_C_SBIGINT;
            b.width = sizeof(qint64);
            break;
        case FieldType::Float:
            b.cType = SQL_C_DOUBLE;
            b.width = sizeof(double);
            break;
        case FieldType::Date:
            b.cType = SQL_C_TYPE_DATE;
            b.width = sizeof(SQL_DATE_STRUCT);
            break;
        case FieldType::DateTime:
            b.cType = SQL_C_TYPE_TIMESTAMP;
            b.width = sizeof(SQL_TIMESTAMP_STRUCT);
            break;
        case FieldType::String:
        case FieldType::Boolean: {
            // Sizes the driver reports for times, intervals and the like are too small for
            // their texts; anything longer than the cap is read again whole.
            SQLULEN chars = size == 0 || size > kMaxTextChars ? kMaxTextChars : size;
            chars = qMax<SQLULEN>(chars, 64);
            b.cType = SQL_C_WCHAR;
            b.width = (chars + 1) * sizeof(SQLWCHAR);
            break;
        }
        }
        rowBytes += b.width + sizeof(SQLLEN);
        out.columns.push_back(std::move(col));
    }
    if (count == 0)
        return;

    SQLULEN block = std::clamp<SQLULEN>(kBlockBytes / qMax<size_t>(rowBytes, 1), 16, 500);
    if (maxRows >= 0)
        block = qBound<SQLULEN>(1, SQLULEN(maxRows), block);
    SQLULEN fetched = 0;
    st.check(SQLSetStmtAttr(h, SQL_ATTR_ROW_BIND_TYPE,
                            reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0));
    st.check(SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(block), 0));
    st.check(SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0));
    for (SQLUSMALLINT c = 1; c <= count; ++c) {
        Binding &b = bindings[c - 1];
        b.data.reset(new char[b.width * block]);
        b.indicators.reset(new SQLLEN[block]);
        st.check(SQLBindCol(h, c, b.cType, b.data.get(), SQLLEN(b.width), b.indicators.get()));
    }

    for (;;) {
        if (maxRows >= 0 && out.rows >= maxRows)
            break;
        const SQLRETURN rc = SQLFetch(h);
        if (rc == SQL_NO_DATA)
            break;
        st.check(rc);
        SQLULEN take = fetched;
        if (maxRows >= 0)
            take = qMin<SQLULEN>(take, SQLULEN(maxRows - out.rows));
        for (SQLUSMALLINT c = 0; c < count; ++c) {
            StoredColumn &col = out.columns[c];
            const Binding &b = bindings[c];
            for (SQLULEN r = 0; r < take; ++r) {
                const SQLLEN ind = b.indicators[r];
                const char *p = b.data.get() + r * b.width;
                const bool null = ind == SQL_NULL_DATA;
                col.nulls.push_back(null);
                switch (col.field.type) {
                case FieldType::Integer:
                    col.integers.push_back(null ? 0 : *reinterpret_cast<const qint64 *>(p));
                    break;
                case FieldType::Float:
                    col.numbers.push_back(null ? 0 : *reinterpret_cast<const double *>(p));
                    break;
                case FieldType::Date: {
                    const auto *d = reinterpret_cast<const SQL_DATE_STRUCT *>(p);
                    col.dates.push_back(null ? QDate() : QDate(d->year, d->month, d->day));
                    break;
                }
                case FieldType::DateTime: {
                    const auto *t = reinterpret_cast<const SQL_TIMESTAMP_STRUCT *>(p);
                    col.stamps.push_back(null ? QDateTime()
                                              : QDateTime(QDate(t->year, t->month, t->day),
                                                          QTime(t->hour, t->minute, t->second,
                                                                int(t->fraction / 1000000)),
                                                          Qt::UTC));
                    break;
                }
                case FieldType::String:
                case FieldType::Boolean: {
                    if (null) {
                        col.texts.emplace_back();
                        break;
                    }
                    const qsizetype room = qsizetype(b.width / 2) - 1;
                    QString text = ind == SQL_NO_TOTAL || ind / 2 > room
                        ? readLongText(st, SQLUSMALLINT(r + 1), c + 1)
                        : odbc::fromWide(reinterpret_cast<const SQLWCHAR *>(p), ind / 2);
                    // The driver's LFConversion turns every line break into CR LF on the way
                    // in; the program's texts break lines with LF alone.
                    if (text.contains(u'\r'))
                        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                    col.texts.push_back(std::move(text));
                    break;
                }
                }
            }
        }
        out.rows += int(take);
    }
}

} // namespace db
