// Speed of the timesheet's month rebuild on a month of 300 workers (--workers) x 3 shifts x 31 days
// of shift records: the program's rebuild, one set-based statement that computes the same rows, and
// the statement-by-statement posting (two statements per worker, shift and day) it replaced. Makes
// its own database from the schema template and drops it at the end.
//   bench_rebuild --server 127.0.0.1 --port 5432 --login tabel_admin --password ...
//                 [--template tabel_template] [--runs 5] [--workers 300] [--no-old]

#include "bench/measure.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "timesheet/hours_posting.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);

const int kMonth = 1;
const int kYear = 2027;
const int kShifts = 3;

double median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
}

// The month cleared untimed, then `work` timed, `runs` times; the median in ms.
double measure(db::Connection &c, int runs, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        db::Command clear(&c);
        clear.setText(QStringLiteral("delete from accounts_dep.h_tabel"));
        clear.execute();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

QString dayList(const QString &pattern)
{
    QStringList l;
    for (int d = 1; d <= 31; ++d)
        l << pattern.arg(d);
    return l.join(QStringLiteral(", "));
}

// A digest of the month's rows, to see that all three ways write the same.
QString digest(db::Connection &c)
{
    db::Command q(&c);
    q.setText(QStringLiteral("select count(*) || ' rows, ' || md5(string_agg(concat_ws(',', "
                             "w_id, smena, month, year, %1), ';' order by w_id, smena)) from "
                             "accounts_dep.h_tabel where month = %2 and year = %3")
                  .arg(dayList(QStringLiteral("coalesce(d%1::text, '-')")))
                  .arg(kMonth)
                  .arg(kYear));
    return q.executeScalar().toString();
}

void setBased(db::Connection &c)
{
    db::Command q(&c);
    q.setText(QStringLiteral("with cleared as (delete from accounts_dep.h_tabel where month = "
                             "%1 and year = %2) insert into accounts_dep.h_tabel(smena, w_id, "
                             "month, year, %3) select smena, w_id, %1, %2, %4 from "
                             "accounts_dep.smena where data >= make_date(%2, %1, 1) and data < "
                             "make_date(%2, %1, 1) + interval '1 month' and w_id is not null "
                             "group by smena, w_id")
                  .arg(kMonth)
                  .arg(kYear)
                  .arg(dayList(QStringLiteral("d%1")),
                       dayList(QStringLiteral("coalesce(sum(time) filter (where extract(day "
                                              "from data) = %1), 0)"))));
    q.execute();
}

// The posting as it was: the month cleared, then per day the day groups and, per group, the
// existence check and an update or insert, each its own request with its own text.
void statementByStatement(db::Connection &c, const std::function<void(int)> &progress)
{
    const QString m = QString::number(kMonth);
    const QString y = QString::number(kYear);
    db::Command del(&c);
    del.setText(
        QStringLiteral("delete from accounts_dep.h_tabel where month=%1 and year=%2").arg(m, y));
    del.execute();
    db::Dataset dt(&c);
    dt.setSql(QStringLiteral(" select smena, w_id, sum(time) as tim from accounts_dep.smena "
                             "where data=:data group by smena,w_id;"));
    db::Dataset control(&c);
    db::Command ins(&c);
    const int days = QDate(kYear, kMonth, 1).daysInMonth();
    for (int i = 1; i <= days; ++i) {
        dt.params().setDate(QStringLiteral("data"), QDate(kYear, kMonth, i));
        dt.open();
        for (dt.first(); !dt.eof(); dt.next()) {
            const QString w = dt.asString(QStringLiteral("w_id"));
            const QString s = dt.asString(QStringLiteral("smena"));
            const QString h = dt.asString(QStringLiteral("tim"));
            control.setSql(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel "
                                          "h_tabel where w_id=%1 and smena=%2 and month=%3 and "
                                          "year=%4")
                               .arg(w, s, m, y));
            control.open();
            const qint64 cnt = control.asInteger(QStringLiteral("cnt"));
            control.close();
            if (cnt != 0) {
                ins.setText(QStringLiteral("update accounts_dep.h_tabel set d%1='%2' where "
                                           "w_id=%3 and smena=%4 and month=%5 and year=%6")
                                .arg(QString::number(i), h, w, s, m, y));
            } else {
                ins.setText(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, "
                                           "year, d%1) values(%2, %3, %4, %5, %6)")
                                .arg(QString::number(i), s, w, m, y, h));
            }
            ins.execute();
            progress(i);
        }
        dt.close();
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("адрес сервера"),
                                    QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("порт"),
                                  QStringLiteral("port"), QStringLiteral("5432"));
    const QCommandLineOption login(QStringLiteral("login"), QStringLiteral("суперпользователь"),
                                   QStringLiteral("login"), QStringLiteral("tabel_admin"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("пароль"),
                                      QStringLiteral("password"), QStringLiteral("tabel_admin"));
    const QCommandLineOption templ(QStringLiteral("template"),
                                   QStringLiteral("база со схемой без данных"),
                                   QStringLiteral("name"), QStringLiteral("tabel_template"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("прогонов на замер"),
                                        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption workersOption(QStringLiteral("workers"), QStringLiteral("работников"),
                                           QStringLiteral("n"), QStringLiteral("300"));
    // The old posting takes minutes at ten times the demo; the scale bench leaves it out.
    const QCommandLineOption noOld(QStringLiteral("no-old"),
                                   QStringLiteral("без прежнего способа, оператор за оператором"));
    parser.addOptions({server, port, login, password, templ, runsOption, workersOption, noOld});
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const int workers = std::max(1, parser.value(workersOption).toInt());
    const bool withOld = !parser.isSet(noOld);

    db::ConnectionParams p;
    p.server = parser.value(server);
    p.port = parser.value(port).toInt();
    p.login = parser.value(login);
    p.password = parser.value(password);
    p.database = QStringLiteral("postgres");
    const QString name
        = QStringLiteral("tabel_bench_rebuild_%1").arg(QCoreApplication::applicationPid());
    db::Connection admin;
    auto adminExec = [&](const QString &sql) {
        db::Command c(&admin);
        c.setText(sql);
        c.execute();
    };
    try {
        admin.open(db::buildConnectionString(p));
        adminExec(QStringLiteral("create database %1 template %2").arg(name, parser.value(templ)));
    } catch (const db::DbError &e) {
        out << "Ошибка: " << e.text() << Qt::endl;
        return 1;
    }

    int rc = 0;
    try {
        p.database = name;
        db::Connection c;
        c.open(db::buildConnectionString(p));
        db::Command fill(&c);
        fill.setText(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, time) "
                                    "select make_date(%1, %2, d), s, w, (w * 7 + d * 3 + s) % 13 "
                                    "from generate_series(1, %3) w, generate_series(1, %4) s, "
                                    "generate_series(1, 31) d")
                         .arg(kYear)
                         .arg(kMonth)
                         .arg(workers)
                         .arg(kShifts));
        fill.execute();
        fill.setText(QStringLiteral("analyze accounts_dep.smena"));
        fill.execute();
        out << "Месяц " << kMonth << "." << kYear << ": " << workers << " работников x " << kShifts
            << " смены x 31 день = " << workers * kShifts * 31 << " записей смен; медиана из "
            << runs << " прогонов" << Qt::endl;

        const double oneStatement = measure(c, runs, [&] { setBased(c); });
        const QString expected = digest(c);

        int lastDay = 0, steps = 0;
        const double rebuild = measure(c, runs, [&] {
            lastDay = steps = 0;
            timesheet::HoursPosting(c).rebuildMonth(kMonth, kYear, [&](int day) {
                lastDay = day;
                ++steps;
            });
        });
        const QString rebuilt = digest(c);

        int oldSteps = 0;
        double old = 0;
        QString oldRows = expected;
        if (withOld) {
            old = measure(c, 1, [&] { statementByStatement(c, [&](int) { ++oldSteps; }); });
            oldRows = digest(c);
        }
        bench::figure(QStringLiteral("rebuild.records"), workers * kShifts * 31);
        bench::figure(QStringLiteral("rebuild.set_based"), oneStatement);
        bench::figure(QStringLiteral("rebuild"), rebuild);

        out << QStringLiteral("один set-based оператор:      %1 мс").arg(oneStatement, 0, 'f', 1)
            << Qt::endl
            << QStringLiteral("перестроение месяца:          %1 мс (прогресс: %2 шагов, до дня %3)")
                   .arg(rebuild, 0, 'f', 1)
                   .arg(steps)
                   .arg(lastDay)
            << Qt::endl;
        if (withOld) {
            out << QStringLiteral("оператор за оператором:       %1 мс (1 прогон)")
                       .arg(old, 0, 'f', 1)
                << Qt::endl;
        }
        out << QStringLiteral("перестроение / set-based:     %1 (не больше 3)")
                   .arg(rebuild / oneStatement, 0, 'f', 2)
            << Qt::endl;
        if (withOld) {
            out << QStringLiteral("оператор за оператором / перестроение: %1 (не меньше 30)")
                       .arg(old / rebuild, 0, 'f', 1)
                << Qt::endl;
        }
        const bool same = expected == rebuilt && expected == oldRows;
        out << "строки: " << expected
            << (!same         ? " — РАЗЛИЧАЮТСЯ"
                    : withOld ? " — одинаковы у всех трёх"
                              : " — одинаковы у обоих")
            << Qt::endl;
        if (!same) {
            out << "перестроение: " << rebuilt << "; оператор за оператором: " << oldRows
                << Qt::endl;
            rc = 1;
        }
    } catch (const db::DbError &e) {
        out << "Ошибка: " << e.text() << Qt::endl;
        rc = 1;
    }
    try {
        adminExec(QStringLiteral("drop database %1").arg(name));
    } catch (const db::DbError &e) {
        out << "Ошибка: " << e.text() << Qt::endl;
    }
    return rc;
}
