// The command line of the benchmarks that measure on one day of the journal: --date and --runs,
// and for those with a connection of their own --server, --port and --database.

#pragma once

#include "db/connection.h"

#include <QCommandLineParser>
#include <QDate>
#include <QTextStream>
#include <QtGlobal>

namespace bench {

struct DayOptions
{
    explicit DayOptions(const QString &defaultRuns)
        : runs(QStringLiteral("runs"), QStringLiteral("повторов"), QStringLiteral("n"),
               defaultRuns)
    {
    }

    QCommandLineOption date {QStringLiteral("date"), QStringLiteral("дата журнала"),
                             QStringLiteral("yyyy-mm-dd")};
    QCommandLineOption runs;
    QCommandLineOption server {QStringLiteral("server"), QStringLiteral("сервер"),
                               QStringLiteral("host"), QStringLiteral("127.0.0.1")};
    QCommandLineOption port {QStringLiteral("port"), QStringLiteral("порт"), QStringLiteral("port"),
                             QStringLiteral("5432")};
    QCommandLineOption database {QStringLiteral("database"), QStringLiteral("база"),
                                 QStringLiteral("name"), QStringLiteral("tabel_bench")};

    void addTo(QCommandLineParser &cl, bool withConnection) const
    {
        cl.addOptions({date, runs});
        if (withConnection)
            cl.addOptions({server, port, database});
    }
    int runsFrom(const QCommandLineParser &cl) const { return qMax(1, cl.value(runs).toInt()); }
    // An invalid date, after saying so on `out`, when --date is missing or not a date.
    QDate dayFrom(const QCommandLineParser &cl, QTextStream &out) const
    {
        const QDate day = QDate::fromString(cl.value(date), Qt::ISODate);
        if (!day.isValid())
            out << "нужна --date yyyy-mm-dd\n";
        return day;
    }
    // The server and database given, with `login` and `password`.
    db::ConnectionParams connection(const QCommandLineParser &cl, const QString &login,
                                    const QString &password) const
    {
        db::ConnectionParams p;
        p.server = cl.value(server);
        p.port = cl.value(port).toInt();
        p.database = cl.value(database);
        p.login = login;
        p.password = password;
        return p;
    }
};

} // namespace bench
