#pragma once
// Several clients of the program at once on one database: each a process of its own on its own
// connection and login, driving the journal, the entry editor, the material window, the brigade
// and the timesheet's month rebuild through the windows, as a person does. Each client keeps what
// it meant to do; at the end the coordinator holds the database against all of it.
//
// The benchmark (bench_clients) and the short test (tst_clients_short) share this code: both
// start copies of their own executable with the client arguments (isClientRole, runClient).

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace clients {

struct Options
{
    // The server and the database the clients work on; the admin account prepares and checks.
    QString host;
    int port = 5432;
    QString database;
    QString admin;
    QString adminPassword;

    int clients = 8; // one of them runs the month rebuilds
    int seconds = 180;
    quint32 seed = 1;
    // The executable started for each client (argv[0] of the caller) and arguments it needs
    // before the client arguments.
    QString program;
    QStringList programArguments;

    // The records fall on the first `days` days of this month.
    int year = 2027;
    int month = 2;
    int days = 4;
    // Pause before the decisive button, as a person looks at the row first.
    int thinkMs = 150;
};

struct Check
{
    QString name;
    bool ok = false;
    QString detail; // what failed, or a summary of what was checked
};

struct Result
{
    QList<Check> checks;
    QMap<QString, qint64> operations; // per kind, all clients together
    QMap<QString, qint64> messages; // the error boxes the clients were shown, by text
    double seconds = 0; // from the first start to the last end
    bool ok() const;
    // Printable table: operations per second per kind and overall, then the checks.
    QString report() const;
};

// Sets up the logins and the shared data, runs the clients to the end and checks the database.
Result run(const Options &options);

// The arguments that make an executable a client of the run.
bool isClientRole(const QStringList &arguments);
// A client's whole life: start the program, log in, work until the time is up, write its log.
// Needs a QApplication. Returns the process's exit status.
int runClient(const QStringList &arguments);

} // namespace clients
