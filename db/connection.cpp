#include "connection.h"

#include "db_error.h"
#include "formats.h"
#include "odbc.h"

#include <malloc.h>

namespace db {

// LFConversion is off: on it, the driver turns LF into CR LF on the way out and CR LF into LF on
// the way in, so a stored CR LF could not come back as it is.
const char *const kDriverOptions
    = "SSLmode=allow;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
      "ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
      "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;"
      "BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;LFConversion=0;UpdatableCursors=1;"
      "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;"
      "D6=-101;OptionalErrors=0;XaOpt=1";

QString quoteOdbcValue(const QString &value)
{
    const bool edgeBlank = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    bool special = edgeBlank;
    for (QChar c : value) {
        if (c == u';' || c == u'{' || c == u'}' || c == u'=')
            special = true;
    }
    if (!special)
        return value;
    QString inner = value;
    inner.replace(u'}', QStringLiteral("}}"));
    return u'{' + inner + u'}';
}

// psqlODBC takes a braced value apart only for PWD; UID, DATABASE and SERVER arrive with their
// braces. A value that needs quoting therefore travels in the driver's "pqopt" attribute, as a
// quoted libpq keyword, and its ODBC attribute stays empty.
static QString libpqQuoted(const QString &value)
{
    QString v = value;
    v.replace(u'\\', QStringLiteral("\\\\"));
    v.replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + v + u'\'';
}

QString buildConnectionString(const ConnectionParams &p)
{
    QStringList libpq;
    auto plain = [&libpq](const QString &value, const char *keyword) {
        if (quoteOdbcValue(value) == value)
            return value;
        libpq << QLatin1String(keyword) + u'=' + libpqQuoted(value);
        return QString();
    };
    const QString database = plain(p.database, "dbname");
    const QString server = plain(p.server, "host");
    const QString login = plain(p.login, "user");
    // Unbraced, the driver would also decode "%xx" in a password.
    QString password = quoteOdbcValue(p.password);
    if (password == p.password && p.password.contains(u'%'))
        password = u'{' + p.password + u'}';
    QString s = QStringLiteral("DRIVER={%1};DATABASE=%2;SERVER=%3;PORT=%4;UID=%5;PWD=%6;")
                    .arg(p.driver, database, server, QString::number(p.port), login, password);
    if (!libpq.isEmpty()) {
        QString opt = libpq.join(u' ');
        opt.replace(u'}', QStringLiteral("}}"));
        s += QStringLiteral("pqopt={") + opt + QStringLiteral("};");
    }
    return s + p.options;
}

Connection::Connection() = default;

Connection::~Connection()
{
    close();
    if (m_env)
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

void Connection::open(const QString &connectionString)
{
    close();
    m_connectionString = connectionString;
    connectNow();
    m_open = true;
}

void Connection::close()
{
    disconnectNow();
    m_open = false;
    m_lost = false;
    m_inTransaction = false;
}

bool Connection::isOpen() const
{
    return m_open;
}

namespace {

// A result of ten thousand rows is some tens of megabytes on the driver's side and ours, freed
// when the next one is read. The C library would hand that memory back to the system at once
// (and, above 128 KB, map each block afresh), so every open paid again for zeroed pages: the
// process keeps up to 64 MB of freed heap for the next result instead.
void keepResultMemory()
{
    static const bool kept = [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    Q_UNUSED(kept);
}

} // namespace

void Connection::connectNow()
{
    useCNumberLocale();
    keepResultMemory();
    if (!m_env) {
        SQLHENV env = SQL_NULL_HENV;
        if (!odbc::succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
            throw DbError(QStringLiteral("Не удалось инициализировать ODBC"));
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        m_env = env;
    }
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!odbc::succeeded(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &dbc)))
        throw DbError(QStringLiteral("Не удалось инициализировать ODBC"));
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
    const SQLRETURN rc
        = SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR *>(odbc::wide(m_connectionString)),
                            SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!odbc::succeeded(rc)) {
        const odbc::Diagnostics diag = odbc::diagnostics(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw DbError(diag.text.isEmpty() ? QStringLiteral("Не удалось подключиться к базе данных")
                                          : diag.text,
                      diag.state);
    }
    m_dbc = dbc;
}

void Connection::disconnectNow()
{
    if (!m_dbc)
        return;
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    m_dbc = nullptr;
}

void *Connection::handle()
{
    if (!m_open)
        throw DbError(QStringLiteral("Соединение с базой данных не открыто"));
    useCNumberLocale();
    if (m_lost) {
        // The transaction died with the old session; its statements must not run piecemeal on
        // a new one, so the caller has to roll back first.
        if (m_inTransaction)
            throw DbError(QStringLiteral("Связь с сервером базы данных потеряна во время "
                                         "транзакции; транзакция отменена"));
        disconnectNow();
        try {
            connectNow();
        } catch (const DbError &e) {
            // Still lost (08S01): the next statement tries again. The driver's text alone
            // ("Connection refused") would not tell the user that nothing was done.
            throw DbError(QStringLiteral("Нет связи с сервером базы данных, действие не "
                                         "выполнено. Следующее действие попробует подключиться "
                                         "снова.\n")
                              + e.text(),
                          QStringLiteral("08S01"));
        }
        m_lost = false;
    }
    return m_dbc;
}

void Connection::markLost()
{
    m_lost = true;
}

static void setAutocommit(void *dbc, bool on)
{
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF),
                      SQL_IS_UINTEGER);
}

void Connection::beginTransaction()
{
    if (m_inTransaction)
        throw DbError(QStringLiteral("Транзакция уже начата"));
    void *dbc = handle();
    const SQLRETURN rc
        = SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                            reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
    if (!odbc::succeeded(rc)) {
        const odbc::Diagnostics diag = odbc::diagnostics(SQL_HANDLE_DBC, dbc);
        if (odbc::looksLost(diag.state, diag.text))
            markLost();
        throw odbc::errorOf(diag);
    }
    m_inTransaction = true;
}

void Connection::commit()
{
    if (!m_inTransaction)
        throw DbError(QStringLiteral("Транзакция не начата"));
    void *dbc = handle();
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT);
    if (!odbc::succeeded(rc)) {
        const odbc::Diagnostics diag = odbc::diagnostics(SQL_HANDLE_DBC, dbc);
        rollback();
        if (odbc::looksLost(diag.state, diag.text))
            markLost();
        throw odbc::errorOf(diag);
    }
    setAutocommit(dbc, true);
    m_inTransaction = false;
}

void Connection::rollback() noexcept
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (m_dbc && !m_lost) {
        SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
        setAutocommit(m_dbc, true);
    }
}

} // namespace db
