#pragma once
// The one database connection of the program: ODBC through unixODBC to psqlODBC.

#include <QString>
#include <memory>

namespace db {

// Options every connection string ends with (after a ";").
extern const char *const kDriverOptions;

struct ConnectionParams
{
    QString driver = QStringLiteral("PostgreSQL UNICODE");
    QString database;
    QString server;
    int port = 5432;
    QString login;
    QString password;
    QString options = QString::fromLatin1(kDriverOptions);
};

// Builds "DRIVER={..};DATABASE=..;SERVER=..;PORT=..;UID=..;PWD=..;<options>".
// A value holding ';', '{', '}', '=' or leading/trailing blanks can never add options of its own:
// PWD is put in braces with '}' doubled (also when it holds '%', which the driver would decode);
// the driver keeps braces of UID, DATABASE and SERVER as part of the value, so such a value is
// left out there and passed as "pqopt={user='..'}" (libpq quoting) before the options.
QString buildConnectionString(const ConnectionParams &p);
// Quotes one value of a connection string by the ODBC rules above (unchanged when safe).
QString quoteOdbcValue(const QString &value);

class Statement;

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Throws DbError with the driver's text when the server refuses or cannot be reached.
    void open(const QString &connectionString);
    void close();
    bool isOpen() const;
    QString connectionString() const { return m_connectionString; }

    // Transactions (autocommit otherwise); db::Transaction is the way to run one.
    void beginTransaction();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const { return m_inTransaction; }

    // Used by Dataset and Command: the live ODBC connection handle. When an earlier statement
    // found the connection lost, this reconnects first (outside a transaction); a statement that
    // failed is never repeated by the layer.
    void *handle();
    // Called by statements when an error says the connection is gone.
    void markLost();
    bool lost() const { return m_lost; }

private:
    void connectNow();
    void disconnectNow();

    void *m_env = nullptr;
    void *m_dbc = nullptr;
    QString m_connectionString;
    bool m_open = false;
    bool m_lost = false;
    bool m_inTransaction = false;
};

} // namespace db
