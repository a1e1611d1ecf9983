// Speed of the journal on a large day: opening shift 1's journal next to the driver's floor (a
// bare reader of the same statement through the same driver) and psql's time for it, every sort of
// the journal's columns, the personnel list's prefix filter, and the start-up times measured by
// bench_startup. Run by bench/run.sh, which prepares the data.

#include "bench/day_options.h"
#include "bench/measure.h"
#include "bench/odbc_floor.h"
#include "core/data_module.h"
#include "db/db_error.h"
#include "db/sort_filter.h"
#include "journal/journal_window.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);

using bench::summarize;
using bench::Timing;

// Runs `prepare` untimed, then `work` timed, `runs` times.
Timing measure(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    return bench::measure(runs, work, prepare);
}

std::vector<double> numbers(const QString &list)
{
    std::vector<double> v;
    for (const QString &s : list.split(u',', Qt::SkipEmptyParts))
        v.push_back(s.toDouble());
    return v;
}

struct Psql
{
    QString program;
    QStringList arguments;
    QString password;

    // Runs the statement twice in one session and returns \\timing of the second run (the
    // session warm, as the program's connection is); -1 when psql failed.
    double time(const QString &statement) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSWORD"), password);
        // psql translates its "Time:" line under another locale.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        p.setProcessEnvironment(env);
        p.start(program, arguments);
        const QString script
            = QStringLiteral("\\timing on\n\\o /dev/null\n%1;\n%1;\n").arg(statement);
        p.write(script.toUtf8());
        p.closeWriteChannel();
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return -1;
        static const QRegularExpression timing(QStringLiteral("^Time: ([0-9.]+) ms"),
                                               QRegularExpression::MultilineOption);
        double last = -1;
        auto it = timing.globalMatch(QString::fromUtf8(p.readAllStandardOutput()));
        while (it.hasNext())
            last = it.next().captured(1).toDouble();
        return last;
    }
};

QString ms(double v)
{
    return QString::number(v, 'f', v < 10 ? 2 : 1);
}

struct Report
{
    int failed = 0;

    void header()
    {
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(QStringLiteral("Показатель (мс, если не сказано иное)"), -52)
                   .arg(QStringLiteral("Цель"), -16)
                   .arg(QStringLiteral("Медиана"), 10)
                   .arg(QStringLiteral("Мин."), 10)
                   .arg(QStringLiteral("Итог"));
        out << QString(96, u'-') << '\n';
    }
    // A figure held against its aim: `measured` and `limit` in the figure's own unit.
    void row(const QString &figure, const QString &aim, const QString &median, const QString &min,
             double measured, double limit)
    {
        const bool pass = measured <= limit;
        if (!pass)
            ++failed;
        line(figure, aim, median, min, pass ? QStringLiteral("да") : QStringLiteral("НЕТ"));
    }
    // A figure shown for comparison only.
    void line(const QString &figure, const QString &aim, const QString &median, const QString &min,
              const QString &verdict = QString())
    {
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(figure, -52)
                   .arg(aim, -16)
                   .arg(median, 10)
                   .arg(min, 10)
                   .arg(verdict);
        out.flush();
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cl;
    const bench::DayOptions options(QStringLiteral("20"));
    options.addTo(cl, true);
    const QCommandLineOption psql(QStringLiteral("psql"), QStringLiteral("программа psql"),
                                  QStringLiteral("path"), QStringLiteral("psql"));
    const QCommandLineOption startup(QStringLiteral("startup-ms"),
                                     QStringLiteral("времена запуска до окна входа (мс)"),
                                     QStringLiteral("list"));
    const QCommandLineOption ready(QStringLiteral("ready-ms"),
                                   QStringLiteral("времена запуска до проверки версии (мс)"),
                                   QStringLiteral("list"));
    cl.addOptions({psql, startup, ready});
    cl.addHelpOption();
    cl.process(app);

    const int n = options.runsFrom(cl);
    const QDate day = options.dayFrom(cl, out);
    if (!day.isValid())
        return 2;

    Report report;
    try {
        TDataModule6 dm;
        // The stored account of the demo.
        const db::ConnectionParams p
            = options.connection(cl, QStringLiteral("wvk"), QStringLiteral("wuvbzad"));
        dm.openConnection(db::buildConnectionString(p));

        // The journal as the window opens it: date and "ta" (every record not null).
        db::Dataset &journal = dm.Smena1;
        journal.params().setDate(QStringLiteral("data"), day);
        journal.params().setText(QStringLiteral("OK"), QStringLiteral("ta"));
        journal.open(); // warms the server's caches and the driver's prepared statement
        const int rows = journal.recordCount();

        // psql runs the same text with the two parameters written in. Its runs alternate with
        // the dataset's, so a load that comes and goes on the machine weighs on both alike.
        const QString statement = journalStatementFor(journal.sql(), day);
        const Psql psqlRun {cl.value(psql),
                            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"),
                             p.server, QStringLiteral("-p"), QString::number(p.port),
                             QStringLiteral("-U"), p.login, QStringLiteral("-d"), p.database},
                            p.password};
        OdbcFloor floor(db::buildConnectionString(p));
        const QByteArray floorStatement = statement.toUtf8();
        floor.warmUp(floorStatement, rows);
        std::vector<double> psqlMs, openMs, floorMs;
        for (int i = 0; i < n; ++i) {
            const double t = psqlRun.time(statement);
            if (t > 0)
                psqlMs.push_back(t);
            floorMs.push_back(floor.run(floorStatement));
            openMs.push_back(measure(
                                 1, [&] { journal.close(); }, [&] { journal.open(); })
                                 .min);
        }
        const Timing open = summarize(openMs);
        const Timing psqlTime = summarize(psqlMs);
        const Timing floorTime = summarize(floorMs);

        out << QStringLiteral("Журнал смены 1 за %1: %2 строк, %3 полей; повторов %4\n\n")
                   .arg(day.toString(QStringLiteral("dd.MM.yyyy")))
                   .arg(rows)
                   .arg(journal.fields().size())
                   .arg(n);
        report.header();

        report.line(QStringLiteral("Открытие журнала (%1 строк)").arg(rows), QString(),
                    ms(open.median), ms(open.min));
        report.line(QStringLiteral("Нижняя граница драйвера (тот же запрос)"), QString(),
                    ms(floorTime.median), ms(floorTime.min));
        const double toFloor = open.median / floorTime.median;
        report.row(QStringLiteral("Открытие журнала / нижняя граница, раз"),
                   QStringLiteral("≤ 1,15"), QString::number(toFloor, 'f', 2),
                   QString::number(open.min / floorTime.min, 'f', 2), toFloor, 1.15);
        if (psqlTime.min > 0) {
            report.line(QStringLiteral("psql \\timing того же запроса"), QString(),
                        ms(psqlTime.median), ms(psqlTime.min));
            const double ratio = open.median / psqlTime.median;
            report.row(QStringLiteral("Открытие журнала / psql, раз"), QStringLiteral("≤ 2,5"),
                       QString::number(ratio, 'f', 2),
                       QString::number(open.min / psqlTime.min, 'f', 2), ratio, 2.5);
            report.line(QStringLiteral("Нижняя граница / psql, раз"), QString(),
                        QString::number(floorTime.median / psqlTime.median, 'f', 2),
                        QString::number(floorTime.min / psqlTime.min, 'f', 2));
        } else {
            report.row(QStringLiteral("psql не запустился: сравнить не с чем"),
                       QStringLiteral("≤ 2,5"), QString(), QString(), 1, 0);
        }

        // Each sort the journal's title clicks apply, from the server's order each time.
        const int columns[] = {0, 1, 2, 3, 6, 8, 10, 11, 12};
        for (int column : columns) {
            for (bool desc : {false, true}) {
                const QString text = TForm1::sortTextFor(column, desc);
                const Timing t = measure(
                    n, [&] { journal.setSort(QString()); }, [&] { journal.setSort(text); });
                report.row(QStringLiteral("Сортировка «%1»").arg(text.simplified()),
                           QStringLiteral("≤ 16 мс"), ms(t.median), ms(t.min), t.median, 16);
            }
        }
        journal.setSort(QString());

        // The personnel list's search: a typed prefix filters the list as the user types.
        db::Dataset &workers = dm.workers;
        workers.open();
        const int all = workers.recordCount();
        workers.setFilter(db::likePrefixFilter(QStringLiteral("s_caption"), QStringLiteral("Ива")));
        int found = 0;
        const Timing on = measure(
            n, [&] { workers.setFiltered(false); },
            [&] {
                workers.setFiltered(true);
                found = workers.recordCount();
            });
        const Timing off = measure(
            n, [&] { workers.setFiltered(true); }, [&] { workers.setFiltered(false); });
        // Typing one more letter while the filter is on.
        const QString longer
            = db::likePrefixFilter(QStringLiteral("s_caption"), QStringLiteral("Иван"));
        const QString shorter
            = db::likePrefixFilter(QStringLiteral("s_caption"), QStringLiteral("Ива"));
        workers.setFiltered(true);
        const Timing typed = measure(
            n, [&] { workers.setFilter(shorter); }, [&] { workers.setFilter(longer); });
        report.row(QStringLiteral("Фильтр «Ива%» по ФИО (%1 из %2)").arg(found).arg(all),
                   QStringLiteral("≤ 16 мс"), ms(on.median), ms(on.min), on.median, 16);
        report.row(QStringLiteral("Фильтр уточнён до «Иван%»"), QStringLiteral("≤ 16 мс"),
                   ms(typed.median), ms(typed.min), typed.median, 16);
        report.row(QStringLiteral("Снятие фильтра"), QStringLiteral("≤ 16 мс"), ms(off.median),
                   ms(off.min), off.median, 16);
    } catch (const db::DbError &e) {
        out << "Ошибка базы данных: " << e.text() << '\n';
        return 2;
    } catch (const std::runtime_error &e) {
        out << "Нижняя граница драйвера: " << e.what() << '\n';
        return 2;
    }

    const Timing start = summarize(numbers(cl.value(startup)));
    if (start.min > 0) {
        report.row(QStringLiteral("Запуск до показа окна входа"), QStringLiteral("≤ 60 мс"),
                   ms(start.median), ms(start.min), start.median, 60);
    }
    // The window is on screen while the stored connection opens; the version check then sets
    // its caption, and the window is ready for a login.
    const Timing checked = summarize(numbers(cl.value(ready)));
    if (checked.min > 0)
        report.line(QStringLiteral("Запуск до проверки версии (окно готово ко входу)"), QString(),
                    ms(checked.median), ms(checked.min));
    out << '\n'
        << (report.failed ? QStringLiteral("Не достигнуто целей: %1\n").arg(report.failed)
                          : QStringLiteral("Все цели достигнуты\n"));
    return report.failed ? 1 : 0;
}
