#pragma once
// The whole program started on a test database of its own, with scripted seams, a config file
// of its own and a login helper that leaves the journal ready to drive.

#include "fake_seams.h"
#include "test_db.h"

#include <QTemporaryDir>

class TForm1;
class TForm23;

namespace testing {

class ProgramFixture
{
public:
    explicit ProgramFixture(TestDatabase::From from = TestDatabase::From::Demo);
    ~ProgramFixture();

    TestDatabase db;
    SeamsFixture seams;

    // "127.0.0.1:port" and the database name, as ./run.sh passes them.
    QString serverArgument() const;
    QStringList arguments() const { return {QStringLiteral("tabel"), serverArgument(), db.name()}; }
    // Writes tabel.conf so that the stored connection (no arguments) reaches `database`.
    void writeConfig(const QString &database, const QString &password = QStringLiteral("wuvbzad"));

    // Starts the program as main() does: the login window shown while the stored connection
    // opens, then its activation (the version check). False when the connection failed.
    bool start(const QStringList &args = {});
    // Types login and password and presses "Вход"; the journal is shown modally by a script
    // that lets it activate and returns at once, so a test drives the journal afterwards.
    void login(const QString &login, const QString &password = QStringLiteral("4739"));

    TForm1 *journal() const;
    TForm23 *loginWindow() const;
    QString configDir() const { return m_config.path() + QStringLiteral("/tabel"); }

private:
    QTemporaryDir m_config;
    bool m_started = false;
};

} // namespace testing
