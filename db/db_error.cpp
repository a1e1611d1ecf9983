#include "db_error.h"

#include "odbc.h"

namespace db {

DbError::DbError(const QString &text, const QString &sqlState)
    : std::runtime_error(text.toStdString()), m_text(text), m_sqlState(sqlState)
{
}

bool DbError::connectionLost() const
{
    return odbc::looksLost(m_sqlState, m_text);
}

ConversionError::ConversionError(const QString &text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

namespace odbc {

Diagnostics diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Diagnostics d;
    QStringList lines;
    for (SQLSMALLINT rec = 1;; ++rec) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLWCHAR> message(1024);
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, rec, state, &native, message.data(),
                                      SQLSMALLINT(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(message.size())) {
            message.resize(length + 1);
            rc = SQLGetDiagRecW(handleType, handle, rec, state, &native, message.data(),
                                SQLSMALLINT(message.size()), &length);
        }
        if (!succeeded(rc))
            break;
        if (d.state.isEmpty())
            d.state = fromWide(state, 5);
        const QString line = fromWide(message.data(), qMin<qsizetype>(length, message.size() - 1))
                                 .trimmed();
        if (!line.isEmpty() && !lines.contains(line))
            lines << line;
    }
    d.text = lines.join(QLatin1Char('\n'));
    return d;
}

bool looksLost(const QString &sqlState, const QString &text)
{
    static const char *const states[] = {"08S01", "08003", "08006", "57P01", "57P02", "57P03"};
    for (const char *s : states) {
        if (sqlState == QLatin1String(s))
            return true;
    }
    static const char *const words[] = {
        "connection has been lost",  "no connection to the server",
        "server closed the connection", "terminating connection",
        "could not send query",      "connection dead",
    };
    for (const char *w : words) {
        if (text.contains(QLatin1String(w), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace odbc
} // namespace db
