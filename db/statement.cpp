#include "db_error.h"
#include "odbc.h"
#include "result.h"

#include <cstring>

namespace db {

static bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

static bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

ParsedSql parseParameters(const QString &text)
{
    ParsedSql out;
    out.sql.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    // Copies text[i..end) and moves past it.
    auto copyUntil = [&](qsizetype end) {
        out.sql += QStringView(text).mid(i, end - i);
        i = end;
    };
    while (i < n) {
        const QChar c = text[i];
        const QChar next = i + 1 < n ? text[i + 1] : QChar();
        if (c == u'\'') {
            // E'..' strings take backslash escapes; '' is a quote in every string.
            const bool escapes = i > 0 && (text[i - 1] == u'E' || text[i - 1] == u'e')
                && (i < 2 || !isNamePart(text[i - 2]));
            qsizetype j = i + 1;
            while (j < n) {
                if (escapes && text[j] == u'\\') {
                    j += 2;
                    continue;
                }
                if (text[j] == u'\'') {
                    if (j + 1 < n && text[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            copyUntil(qMin(j + 1, n));
        } else if (c == u'"') {
            qsizetype j = text.indexOf(u'"', i + 1);
            copyUntil(j < 0 ? n : j + 1);
        } else if (c == u'-' && next == u'-') {
            qsizetype j = text.indexOf(u'\n', i);
            copyUntil(j < 0 ? n : j);
        } else if (c == u'/' && next == u'*') {
            int depth = 0;
            qsizetype j = i;
            while (j < n) {
                if (text[j] == u'/' && j + 1 < n && text[j + 1] == u'*') {
                    ++depth;
                    j += 2;
                } else if (text[j] == u'*' && j + 1 < n && text[j + 1] == u'/') {
                    j += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++j;
                }
            }
            copyUntil(qMin(j, n));
        } else if (c == u'$' && (i == 0 || !isNamePart(text[i - 1]))) {
            // $tag$ ... $tag$: a tag starts as a name does and may go on with digits ($fn1$);
            // "$1" is a positional parameter, not a quote.
            qsizetype j = i + 1;
            if (j < n && isNameStart(text[j])) {
                while (j < n && isNamePart(text[j]))
                    ++j;
            }
            if (j < n && text[j] == u'$') {
                const QString tag = text.mid(i, j - i + 1);
                const qsizetype end = text.indexOf(tag, j + 1);
                if (end < 0 || !tag.contains(u'_')) {
                    copyUntil(end < 0 ? n : end + tag.size());
                } else {
                    // The driver scans the text for "?" itself and knows no "_" in a tag: a
                    // quote inside such a body would hide the parameters after it. The same
                    // body under a tag of letters alone means the same to the server.
                    const QStringView body = QStringView(text).mid(j + 1, end - j - 1);
                    QString plain = QStringLiteral("$q$");
                    while (body.contains(plain))
                        plain.insert(1, u'q');
                    out.sql += plain;
                    out.sql += body;
                    out.sql += plain;
                    i = end + tag.size();
                }
            } else {
                copyUntil(i + 1);
            }
        } else if (c == u':' && next == u':') {
            copyUntil(i + 2);
        } else if (c == u':' && isNameStart(next)) {
            qsizetype j = i + 1;
            while (j < n && isNamePart(text[j]))
                ++j;
            out.names << text.mid(i + 1, j - i - 1).toLower();
            out.sql += u'?';
            i = j;
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}

struct Statement::Buffer
{
    qint64 integer = 0;
    QByteArray ascii;
    QString text;
    unsigned char flag = 0;
    SQLLEN indicator = 0;
};

Statement::Statement(Connection *connection)
    : m_connection(connection)
{
    if (!connection)
        throw DbError(QStringLiteral("Соединение с базой данных не задано"));
    SQLHDBC dbc = connection->handle();
    if (!odbc::succeeded(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt))) {
        const odbc::Diagnostics diag = odbc::diagnostics(SQL_HANDLE_DBC, dbc);
        if (odbc::looksLost(diag.state, diag.text))
            connection->markLost();
        throw odbc::errorOf(diag);
    }
}

Statement::~Statement()
{
    if (m_stmt != SQL_NULL_HSTMT)
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
}

void Statement::check(SQLRETURN rc)
{
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA)
        return;
    const odbc::Diagnostics diag = odbc::diagnostics(SQL_HANDLE_STMT, m_stmt);
    if (odbc::looksLost(diag.state, diag.text))
        m_connection->markLost();
    throw odbc::errorOf(diag);
}

void Statement::bind(int number, const ParamValue &v)
{
    auto b = std::make_unique<Buffer>();
    const bool null = v.value.isNull() || !v.value.isValid();
    b->indicator = null ? SQL_NULL_DATA : 0;
    SQLSMALLINT cType = SQL_C_WCHAR, sqlType = SQL_WVARCHAR, digits = 0;
    SQLULEN size = 1;
    SQLPOINTER data = nullptr;
    SQLLEN length = 0;
    switch (v.type) {
    case FieldType::Integer:
        b->integer = null ? 0 : v.value.toLongLong();
        cType = SQL_C_SBIGINT;
        sqlType = SQL_BIGINT;
        size = 19;
        data = &b->integer;
        break;
    case FieldType::Float:
        if (!null && v.value.typeId() == qMetaTypeId<Decimal>()) {
            // A decimal goes as its own digits, declared numeric: declared double, the server
            // would pass it through a float8 and keep 15 digits.
            b->ascii = v.value.value<Decimal>().serverText();
            cType = SQL_C_CHAR;
            sqlType = SQL_NUMERIC;
            size = SQLULEN(b->ascii.size());
            const qsizetype point = b->ascii.indexOf('.');
            digits = point < 0 ? 0 : SQLSMALLINT(b->ascii.size() - point - 1);
        } else {
            // As the decimal text of 15 significant digits: the driver's own conversion sends
            // 17, so 1.2345 would reach a numeric column as 1.2344999999999999.
            b->ascii = null ? QByteArray("0") : QByteArray::number(v.value.toDouble(), 'g', 15);
            cType = SQL_C_CHAR;
            sqlType = SQL_DOUBLE;
            size = 15;
        }
        data = b->ascii.data();
        length = b->ascii.size() + 1;
        if (!null)
            b->indicator = b->ascii.size();
        break;
    // Dates and timestamps go as text: the driver's structs know no era and no microseconds.
    case FieldType::Date:
    case FieldType::DateTime: {
        const QVariant t = null ? QVariant() : toFieldType(v.value, v.type);
        if (t.isNull()) {
            b->indicator = SQL_NULL_DATA; // an invalid QDate or QDateTime is no date at all
        } else if (v.type == FieldType::Date) {
            const QDate d = t.toDate();
            b->ascii = QByteArray::number(qAbs(d.year())).rightJustified(4, '0') + '-'
                + QByteArray::number(d.month()).rightJustified(2, '0') + '-'
                + QByteArray::number(d.day()).rightJustified(2, '0') + (d.year() < 0 ? " BC" : "");
        } else {
            b->ascii = t.value<Timestamp>().serverText();
        }
        cType = SQL_C_CHAR;
        sqlType = v.type == FieldType::Date ? SQL_TYPE_DATE : SQL_TYPE_TIMESTAMP;
        size = v.type == FieldType::Date ? 10 : 26;
        digits = v.type == FieldType::Date ? 0 : 6;
        data = b->ascii.data();
        length = b->ascii.size() + 1;
        if (!t.isNull())
            b->indicator = b->ascii.size();
        break;
    }
    case FieldType::Boolean: {
        const QString t = v.value.toString().trimmed().toLower();
        b->flag = (t == u"1" || t == u"true" || t == u"t") ? 1 : 0;
        cType = SQL_C_BIT;
        sqlType = SQL_BIT;
        size = 1;
        data = &b->flag;
        break;
    }
    case FieldType::String:
        b->text = null ? QString() : v.value.toString();
        size = qMax<SQLULEN>(1, SQLULEN(b->text.size()));
        data = const_cast<char16_t *>(reinterpret_cast<const char16_t *>(b->text.utf16()));
        length = SQLLEN(b->text.size() + 1) * 2;
        if (!null)
            b->indicator = SQLLEN(b->text.size()) * 2;
        break;
    }
    check(SQLBindParameter(m_stmt, SQLUSMALLINT(number), SQL_PARAM_INPUT, cType, sqlType, size,
                           digits, data, length, &b->indicator));
    m_buffers.push_back(std::move(b));
}

void Statement::run(const QString &sql)
{
    const SQLRETURN rc = SQLExecDirectW(m_stmt, const_cast<SQLWCHAR *>(odbc::wide(sql)), SQL_NTS);
    // A write that touched no row leaves nothing to describe or fetch, "returning" or not; the
    // driver manager calls any further step a sequence error.
    m_noData = rc == SQL_NO_DATA;
    check(rc);
}

void Statement::execute(const QString &text, const Params &params)
{
    const ParsedSql parsed = parseParameters(text);
    for (int i = 0; i < parsed.names.size(); ++i)
        bind(i + 1, params.value(parsed.names[i]));
    run(parsed.sql);
}

void Statement::execute(const QString &text, const std::vector<ParamValue> &positional)
{
    for (size_t i = 0; i < positional.size(); ++i)
        bind(int(i + 1), positional[i]);
    run(text);
}

qint64 Statement::rowCount()
{
    if (m_noData)
        return 0;
    SQLLEN n = -1;
    if (!odbc::succeeded(SQLRowCount(m_stmt, &n)))
        return -1;
    return n;
}

bool Statement::hasResult()
{
    if (m_noData)
        return false;
    SQLSMALLINT n = 0;
    check(SQLNumResultCols(m_stmt, &n));
    return n > 0;
}

} // namespace db
