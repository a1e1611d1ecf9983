#pragma once
// Where the program connects before login: the server, port, database and stored account.
// Kept in tabel.conf in the per-user config folder, written with the defaults on first start.

#include <QString>
#include <QStringList>

struct AppConfig
{
    QString server = QStringLiteral("erp-db.plant.local");
    int port = 5432;
    QString database = QStringLiteral("norvik_erp_dev");
    QString login = QStringLiteral("wvk");
    QString password = QStringLiteral("wuvbzad");
    // Shows the journal's commands that the delivered layout hides (key show_hidden_commands);
    // the environment variable TABEL_SHOW_HIDDEN_COMMANDS, when set, overrides the file.
    bool showHiddenCommands = false;
    // The password field's initial text logs in as the stored account; `access_code=false`
    // makes it an ordinary password.
    bool accessCode = true;
    // Every return to the journal from another window puts it back on today's date; on, the
    // journal keeps the date (and shift) the clerk chose (key keep_journal_date).
    bool keepJournalDate = false;

    static QString filePath();
    // Writes the defaults when the file is missing. The file holds a password, so it is kept
    // readable and writable by its owner alone.
    static AppConfig load();
};

// The command line: argument 1 the server (optionally "host:port"), argument 2 the database.
struct CommandLine
{
    QString arg1; // as passed, "" when absent
    QString arg2;
    bool useArguments() const { return !arg1.isEmpty() && !arg2.isEmpty(); }
    static CommandLine fromArguments(const QStringList &args); // args[0] is the program

    // Server, port and database for a connection: the arguments when both are given,
    // otherwise the configured defaults.
    QString server(const AppConfig &c) const;
    int port(const AppConfig &c) const;
    QString database(const AppConfig &c) const;
};
