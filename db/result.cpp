#include "result.h"

#include "db_error.h"
#include "formats.h"
#include "odbc.h"

#include <algorithm>
#include <cstring>
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
        return exact ? QVariant::fromValue(decimals[row]) : QVariant(numbers[row]);
    case FieldType::Date:
        return QVariant(dates[row]);
    case FieldType::DateTime:
        return QVariant::fromValue(stamps[row]);
    case FieldType::String:
    case FieldType::Boolean:
        break;
    }
    return QVariant(texts[row]);
}

void StoredColumn::set(int row, const QVariant &value)
{
    const QVariant v = toFieldType(value, field.type, exact);
    const bool null = v.isNull() || !v.isValid();
    nulls[row] = null;
    switch (field.type) {
    case FieldType::Integer:
        integers[row] = null ? 0 : v.toLongLong();
        break;
    case FieldType::Float:
        if (exact)
            decimals[row] = null ? Decimal() : v.value<Decimal>();
        numbers[row] = null ? 0 : (exact ? decimals[row].toDouble() : v.toDouble());
        break;
    case FieldType::Date:
        dates[row] = null ? QDate() : v.toDate();
        break;
    case FieldType::DateTime:
        stamps[row] = null ? Timestamp() : v.value<Timestamp>();
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
        if (exact)
            decimals.emplace_back();
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
        if (exact)
            decimals.reserve(n);
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

QVariant toFieldType(const QVariant &v, FieldType type, bool exact)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    const int id = v.typeId();
    const bool isText = id == QMetaType::QString;
    if (isText && v.toString().trimmed().isEmpty() && type != FieldType::String)
        return QVariant();
    const bool isDecimal = id == qMetaTypeId<Decimal>();
    const bool isStamp = id == qMetaTypeId<Timestamp>();
    switch (type) {
    case FieldType::Integer:
        if (isText)
            return QVariant(parseInteger(v.toString()));
        if (isDecimal)
            return QVariant(v.value<Decimal>().toInteger());
        if (id == QMetaType::Double || id == QMetaType::Float)
            return QVariant(qint64(qRound64(v.toDouble())));
        return QVariant(v.toLongLong());
    case FieldType::Float:
        if (!exact)
            return QVariant(isText ? parseNumber(v.toString()) : v.toDouble());
        if (isDecimal)
            return v;
        if (isText)
            return QVariant::fromValue(Decimal::parse(v.toString()));
        if (id == QMetaType::Double || id == QMetaType::Float)
            return QVariant::fromValue(Decimal::fromDouble(v.toDouble()));
        return QVariant::fromValue(Decimal::fromInteger(v.toLongLong()));
    case FieldType::Date: {
        QDate d;
        if (isText)
            d = parseDate(v.toString());
        else if (isStamp)
            d = v.value<Timestamp>().date();
        else if (id == QMetaType::QDateTime)
            d = v.toDateTime().date();
        else
            d = v.toDate();
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::DateTime: {
        Timestamp t;
        if (isStamp)
            t = v.value<Timestamp>();
        else if (isText)
            t = Timestamp(parseDate(v.toString()), 0);
        else if (id == QMetaType::QDate)
            t = Timestamp(v.toDate(), 0);
        else
            t = Timestamp::fromDateTime(v.toDateTime());
        return t.isNull() ? QVariant() : QVariant::fromValue(t);
    }
    case FieldType::Boolean:
        if (id == QMetaType::Bool)
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

// A column's repeated texts (a product's name on each of its records, "Готовая продукция")
// share one string, so a result allocates once per distinct text rather than once per cell.
// A column of mostly distinct texts (the workers' names) stops looking after kMaxDistinct.
class TextPool
{
public:
    QString take(const SQLWCHAR *p, qsizetype length)
    {
        if (m_off)
            return odbc::fromWide(p, length);
        const QStringView text(reinterpret_cast<const char16_t *>(p), length);
        if (m_slots.empty())
            m_slots.assign(2 * kMaxDistinct, -1);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = qHash(text) & mask;; i = (i + 1) & mask) {
            const int slot = m_slots[i];
            if (slot < 0) {
                QString made = text.toString();
                if (m_texts.size() >= kMaxDistinct) {
                    m_off = true;
                    m_slots = {};
                    m_texts = {};
                    return made;
                }
                m_slots[i] = int(m_texts.size());
                m_texts.push_back(made);
                return made;
            }
            if (QStringView(m_texts[size_t(slot)]) == text)
                return m_texts[size_t(slot)];
        }
    }

private:
    static constexpr size_t kMaxDistinct = 2048; // half the table: probes stay short
    std::vector<int> m_slots; // indexes into m_texts, -1 for a free slot
    std::vector<QString> m_texts;
    bool m_off = false;
};

// Reads "1234" from p (digits only), moving p; -1 when there is no digit.
int digitsAt(const char *&p, const char *end, int maxDigits)
{
    int v = 0, n = 0;
    while (p < end && n < maxDigits && *p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        ++n;
    }
    return n == 0 ? -1 : v;
}

// "yyyy-mm-dd" as the driver writes a date, " BC" after it for a year before 1.
QDate dateAt(const char *&p, const char *end)
{
    const int y = digitsAt(p, end, 9);
    if (y <= 0 || p >= end || *p++ != '-')
        return QDate();
    const int m = digitsAt(p, end, 2);
    if (m <= 0 || p >= end || *p++ != '-')
        return QDate();
    const int d = digitsAt(p, end, 2);
    return d <= 0 ? QDate() : QDate(y, m, d);
}

bool endsBC(const char *p, const char *end)
{
    return end - p >= 3 && std::memcmp(end - 3, " BC", 3) == 0;
}

QDate yearBC(const QDate &d)
{
    return QDate(-d.year(), d.month(), d.day());
}

// The driver writes an infinite date as 0000-00-00 and a year past 9999 with zero month and day,
// and an infinite timestamp as 9999-12-31 23:59:59 or 9999-01-01 00:00:00 BC (a year the server
// cannot hold): none of them is a date the program could show or write back, so they are refused.
[[noreturn]] void refuseDate(const StoredColumn &col, const char *p, qsizetype length)
{
    throw DbError(QStringLiteral("Поле «%1»: значение «%2» не может быть прочитано: это "
                                 "бесконечная дата или дата вне диапазона программы")
                      .arg(col.field.name, QString::fromLatin1(p, length)));
}

// A decimal as the driver wrote it; a text that is not the server's form is refused with the
// column's name rather than read as another number.
Decimal parseDecimalText(const StoredColumn &col, const char *text, qsizetype length)
{
    try {
        return Decimal::fromServerText(text, length);
    } catch (const ConversionError &) {
        throw ConversionError(QStringLiteral("Поле «%1»: значение «%2» не читается как число")
                                  .arg(col.field.name, QString::fromLatin1(text, length)));
    }
}

QDate parseDateText(const StoredColumn &col, const char *text, qsizetype length)
{
    const char *p = text, *end = text + length;
    QDate d = dateAt(p, end);
    if (!d.isValid() || !(p == end || (end - p == 3 && endsBC(p, end))))
        refuseDate(col, text, length);
    return endsBC(p, end) ? yearBC(d) : d;
}

Timestamp parseStampText(const StoredColumn &col, const char *text, qsizetype length)
{
    const char *p = text, *end = text + length;
    QDate d = dateAt(p, end);
    int h = -1, mi = -1, se = -1;
    qint64 micros = 0;
    if (d.isValid() && p < end && *p++ == ' ') {
        h = digitsAt(p, end, 2);
        if (p < end && *p++ == ':')
            mi = digitsAt(p, end, 2);
        if (p < end && *p++ == ':')
            se = digitsAt(p, end, 2);
        if (p < end && *p == '.') {
            ++p;
            int scale = 100000;
            for (; p < end && *p >= '0' && *p <= '9'; ++p, scale /= 10)
                micros += (*p - '0') * scale;
        }
    }
    const bool bc = endsBC(p, end);
    const bool sentinel = d.year() == 9999
        && ((bc && d.month() == 1 && d.day() == 1)
            || (!bc && d.month() == 12 && d.day() == 31 && h == 23 && mi == 59 && se == 59
                && micros == 0));
    if (!d.isValid() || h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 || se > 59
        || !(p == end || (bc && end - p == 3)) || sentinel)
        refuseDate(col, text, length);
    return Timestamp(bc ? yearBC(d) : d, (qint64(h) * 3600 + mi * 60 + se) * 1000000 + micros);
}

} // namespace

void readResult(Statement &st, ResultTable &out, int maxRows)
{
    const SQLHSTMT h = st.handle();
    out.columns.clear();
    out.rows = 0;
    if (st.noData())
        return;
    SQLSMALLINT count = 0;
    st.check(SQLNumResultCols(h, &count));
    std::vector<Binding> bindings(count);
    std::vector<TextPool> pools(count);
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
        col.exact = col.field.type == FieldType::Float
            && (sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL);
        col.padded = sqlType == SQL_CHAR || sqlType == SQL_WCHAR;
        Binding &b = bindings[c - 1];
        switch (col.field.type) {
        case FieldType::Integer:
            b.cType = SQL_C_SBIGINT;
            b.width = sizeof(qint64);
            break;
        case FieldType::Float:
            if (col.exact) {
                // The server's digits as text: sign, point and the digits the column declares;
                // a longer value (an unconstrained numeric) is read again whole.
                b.cType = SQL_C_CHAR;
                b.width = qBound<size_t>(32, size_t(size) + 4, 1024);
            } else {
                b.cType = SQL_C_DOUBLE;
                b.width = sizeof(double);
            }
            break;
        // Dates and timestamps as the driver's text: its structs turn an infinite date into
        // today, drop the era and the microseconds.
        case FieldType::Date:
            b.cType = SQL_C_CHAR;
            b.width = 24;
            break;
        case FieldType::DateTime:
            b.cType = SQL_C_CHAR;
            b.width = 48;
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

    // The driver holds the whole result once executed and counts its rows: every column's
    // storage is sized once instead of growing (and being copied) as the blocks arrive.
    SQLLEN total = -1;
    if (odbc::succeeded(SQLRowCount(h, &total)) && total > 0) {
        const size_t expected
            = maxRows >= 0 ? qMin<size_t>(size_t(total), size_t(maxRows)) : size_t(total);
        for (StoredColumn &col : out.columns)
            col.reserve(expected);
    }

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
                    if (!col.exact) {
                        col.numbers.push_back(null ? 0 : *reinterpret_cast<const double *>(p));
                    } else if (null) {
                        col.decimals.emplace_back();
                        col.numbers.push_back(0);
                    } else {
                        if (ind == SQL_NO_TOTAL || ind >= SQLLEN(b.width)) {
                            const QByteArray whole
                                = readLongText(st, SQLUSMALLINT(r + 1), c + 1).toLatin1();
                            col.decimals.push_back(
                                parseDecimalText(col, whole.constData(), whole.size()));
                        } else {
                            col.decimals.push_back(parseDecimalText(col, p, ind));
                        }
                        col.numbers.push_back(col.decimals.back().toDouble());
                    }
                    break;
                case FieldType::Date:
                    col.dates.push_back(null ? QDate() : parseDateText(col, p, ind));
                    break;
                case FieldType::DateTime:
                    col.stamps.push_back(null ? Timestamp() : parseStampText(col, p, ind));
                    break;
                case FieldType::String:
                case FieldType::Boolean: {
                    if (null) {
                        col.texts.emplace_back();
                        break;
                    }
                    const qsizetype room = qsizetype(b.width / 2) - 1;
                    col.texts.push_back(
                        ind == SQL_NO_TOTAL || ind / 2 > room
                            ? readLongText(st, SQLUSMALLINT(r + 1), c + 1)
                            : pools[c].take(reinterpret_cast<const SQLWCHAR *>(p), ind / 2));
                    break;
                }
                }
            }
        }
        out.rows += int(take);
    }
}

} // namespace db
