#pragma once
// Test databases: each writing test gets its own database cloned from the template that
// ./test.sh loaded (schema only) or from the demo database, on the throwaway cluster.

#include "db/connection.h"

#include <QString>

namespace testing {

struct TestServer
{
    QString host; // TABEL_TEST_HOST
    int port = 0; // TABEL_TEST_PORT
    QString admin; // TABEL_TEST_ADMIN
    QString adminPassword;
    QString templateDb; // TABEL_TEST_TEMPLATE: the schema with no rows
    QString demoDb; // TABEL_TEST_DEMO: the schema with the demo plant
    QString pgctl; // TABEL_TEST_PGCTL: scripts/pg.sh
    QString dataDir; // TABEL_TEST_SOCKET: the cluster's folder
    static const TestServer &get(); // QFAIL-style abort with a clear text when unset
};

// A fresh database cloned from a template; dropped when the object goes away.
class TestDatabase
{
public:
    enum class From { Schema, Demo };
    explicit TestDatabase(From from = From::Schema);
    ~TestDatabase();
    QString name() const { return m_name; }
    // Connection string for a login of the cluster (default: the admin).
    QString connectionString(const QString &login = QString(),
                             const QString &password = QString()) const;
    db::ConnectionParams params(const QString &login = QString(),
                                const QString &password = QString()) const;
    // Runs SQL as the admin on this database (setup of fixtures), throws DbError.
    void exec(const QString &sql) const;
    // First column of the first row as text ("" when no row), as the admin.
    QString scalar(const QString &sql) const;

private:
    QString m_name;
};

// Restarts the cluster's server (fast shutdown), waiting until it accepts connections again.
void restartServer();
// Stops the cluster's server (fast shutdown) until startServer(), which waits until it accepts
// connections again: a server that stays away for a while.
void stopServer();
void startServer();

} // namespace testing
