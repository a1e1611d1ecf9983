#include "odbc_floor.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <stdexcept>

namespace {

constexpr SQLULEN kBlock = 500;
constexpr SQLLEN kWidth = 512;

[[noreturn]] void fail(SQLSMALLINT type, SQLHANDLE h, const char *what)
{
    SQLCHAR state[6] = {}, text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, h, 1, state, &native, text, sizeof text, &length);
    throw std::runtime_error(std::string(what) + ": " + reinterpret_cast<char *>(state) + ' '
                             + reinterpret_cast<char *>(text));
}

} // namespace

OdbcFloor::OdbcFloor(const QString &connectionString)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    m_env = env;
    m_dbc = dbc;
    QByteArray text = connectionString.toUtf8();
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR *>(text.data()),
                                        SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
        fail(SQL_HANDLE_DBC, dbc, "connect");
}

OdbcFloor::~OdbcFloor()
{
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

double OdbcFloor::run(const QByteArray &statement, long *rows)
{
    QByteArray text = statement;
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &st);
    QElapsedTimer t;
    t.start();
    if (!SQL_SUCCEEDED(SQLExecDirect(st, reinterpret_cast<SQLCHAR *>(text.data()), SQL_NTS)))
        fail(SQL_HANDLE_STMT, st, "execute");
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st, &columns);
    SQLULEN fetched = 0;
    SQLSetStmtAttr(st, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kBlock), 0);
    SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    // Left uninitialized, as a reader that only hands the buffers to the driver would.
    const std::unique_ptr<char[]> values(new char[size_t(columns) * kBlock * kWidth]);
    const std::unique_ptr<SQLLEN[]> indicators(new SQLLEN[size_t(columns) * kBlock]);
    for (SQLSMALLINT c = 0; c < columns; ++c)
        SQLBindCol(st, SQLUSMALLINT(c + 1), SQL_C_CHAR, values.get() + size_t(c) * kBlock * kWidth,
                   kWidth, indicators.get() + size_t(c) * kBlock);
    long read = 0;
    while (SQL_SUCCEEDED(SQLFetch(st)))
        read += long(fetched);
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (rows)
        *rows = read;
    return ms;
}

void OdbcFloor::warmUp(const QByteArray &statement, long journalRows)
{
    long rows = 0;
    run(statement, &rows);
    if (rows != journalRows)
        throw std::runtime_error(QStringLiteral("прочла %1 строк, журнал %2")
                                     .arg(rows)
                                     .arg(journalRows)
                                     .toStdString());
}

QString journalStatementFor(QString sql, const QDate &day)
{
    sql.replace(QRegularExpression(QStringLiteral("(?<!:):data\\b"),
                                   QRegularExpression::CaseInsensitiveOption),
                QStringLiteral("DATE '%1'").arg(day.toString(Qt::ISODate)));
    sql.replace(QRegularExpression(QStringLiteral("(?<!:):ok\\b"),
                                   QRegularExpression::CaseInsensitiveOption),
                QStringLiteral("'ta'"));
    return sql;
}
