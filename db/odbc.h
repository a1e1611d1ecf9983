#pragma once
// Private to the data layer: the ODBC calls shared by the connection, statements and results.

#include "connection.h"
#include "dataset.h"
#include "db_error.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <vector>

namespace db {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager must use 16-bit SQLWCHAR");

namespace odbc {

inline const SQLWCHAR *wide(const QString &s)
{
    return reinterpret_cast<const SQLWCHAR *>(s.utf16());
}
// The driver's UTF-16 as it stands: a plain copy, so a text that starts with U+FEFF keeps it
// (fromUtf16 would take it for a byte order mark and drop it).
inline QString fromWide(const SQLWCHAR *p, qsizetype length)
{
    static_assert(sizeof(SQLWCHAR) == sizeof(QChar));
    return QString(reinterpret_cast<const QChar *>(p), length);
}
inline bool succeeded(SQLRETURN rc)
{
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

struct Diagnostics
{
    QString text; // every record's message, one per line
    QString state; // SQLSTATE of the first record
};
Diagnostics diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// True when a failure's SQLSTATE or the driver's words say the server connection is gone.
bool looksLost(const QString &sqlState, const QString &text);

// The error a failure's diagnostics make: a lost connection says so in the program's words
// before the driver's; any other failure carries the server's (or driver's) text alone.
DbError errorOf(const Diagnostics &diag);

} // namespace odbc

// A statement text with ":name" parameters turned into "?" and the names in order of use.
struct ParsedSql
{
    QString sql;
    QStringList names; // lower-case, one per "?", repeated when a name is used again
};
ParsedSql parseParameters(const QString &text);

// One ODBC statement on the connection; freed with the object.
class Statement
{
public:
    explicit Statement(Connection *connection);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    SQLHSTMT handle() const { return m_stmt; }
    // Binds the named parameters by their types and runs the text; throws DbError.
    void execute(const QString &text, const Params &params);
    void execute(const QString &text, const std::vector<ParamValue> &positional);
    qint64 rowCount();
    bool hasResult();
    // True when the statement ran and touched no row (SQL_NO_DATA): no result to read.
    bool noData() const { return m_noData; }
    // Throws DbError with the driver's text when rc is a failure; marks a lost connection.
    void check(SQLRETURN rc);

private:
    struct Buffer;
    void bind(int number, const ParamValue &v);
    void run(const QString &sql);

    Connection *m_connection;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    bool m_noData = false;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
};

} // namespace db
