// The journal's figures for bench/run_scale.sh, which runs it on the demo's day and on one ten
// times as large: shift 1's journal opened, every sort its column titles apply, and the
// personnel list's prefix filter. Prints them and hands them on through $TABEL_BENCH_FIGURES.
//   bench_scale_journal --server 127.0.0.1 --port 5432 --database tabel_bench --date 2027-01-15

#include "bench/day_options.h"
#include "bench/measure.h"
#include "bench/odbc_floor.h"
#include "core/data_module.h"
#include "db/db_error.h"
#include "db/sort_filter.h"
#include "journal/journal_window.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <stdexcept>
#include <vector>

namespace {

QTextStream out(stdout);

// Printed and handed on.
void report(const QString &figure, const QString &title, const bench::Timing &t)
{
    out << QStringLiteral("%1 %2 %3\n")
               .arg(title, -44)
               .arg(t.median, 9, 'f', 2)
               .arg(t.min, 9, 'f', 2);
    out.flush();
    bench::figure(figure, t.median);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cl;
    const bench::DayOptions options(QStringLiteral("7"));
    options.addTo(cl, true);
    cl.addHelpOption();
    cl.process(app);
    const int n = options.runsFrom(cl);
    const QDate day = options.dayFrom(cl, out);
    if (!day.isValid())
        return 2;

    try {
        TDataModule6 dm;
        // The stored account of the demo.
        const db::ConnectionParams p
            = options.connection(cl, QStringLiteral("wvk"), QStringLiteral("wuvbzad"));
        dm.openConnection(db::buildConnectionString(p));

        // The journal as the window opens it: the date and "ta" (every record).
        db::Dataset &journal = dm.Smena1;
        journal.params().setDate(QStringLiteral("data"), day);
        journal.params().setText(QStringLiteral("OK"), QStringLiteral("ta"));
        journal.open(); // warms the server's caches
        const int rows = journal.recordCount();
        bench::figure(QStringLiteral("journal.rows"), rows);
        out << QStringLiteral("Журнал смены 1 за %1: %2 строк; повторов %3 (мс: медиана, мин.)\n")
                   .arg(day.toString(QStringLiteral("dd.MM.yyyy")))
                   .arg(rows)
                   .arg(n);
        // The opens alternate with the driver's floor on the same statement, so a load that
        // comes and goes weighs on both.
        OdbcFloor floor(db::buildConnectionString(p));
        const QByteArray floorStatement = journalStatementFor(journal.sql(), day).toUtf8();
        floor.warmUp(floorStatement, rows);
        std::vector<double> openMs, floorMs;
        for (int i = 0; i < n; ++i) {
            floorMs.push_back(floor.run(floorStatement));
            openMs.push_back(bench::measure(
                                 1, [&] { journal.open(); }, [&] { journal.close(); })
                                 .min);
        }
        const bench::Timing open = bench::summarize(openMs);
        const bench::Timing floorTime = bench::summarize(floorMs);
        report(QStringLiteral("journal.open"), QStringLiteral("открытие журнала"), open);
        report(QStringLiteral("journal.floor"), QStringLiteral("нижняя граница драйвера"),
               floorTime);
        report(QStringLiteral("journal.open_floor"),
               QStringLiteral("открытие / нижняя граница, раз"),
               {open.median / floorTime.median, open.min / floorTime.min});

        // The first click on a title after the open also ranks the column's texts (later
        // clicks reuse the ranks): the name column, the one with most distinct texts.
        const QString byName = TForm1::sortTextFor(0, false);
        report(QStringLiteral("journal.sort.first"),
               QStringLiteral("первая сортировка «%1» после открытия").arg(byName.simplified()),
               bench::measure(
                   n, [&] { journal.setSort(byName); }, [&] { journal.open(); }));

        // Each sort the journal's title clicks apply, from the server's order each time.
        for (int column : {0, 1, 2, 3, 6, 8, 10, 11, 12}) {
            for (bool desc : {false, true}) {
                const QString text = TForm1::sortTextFor(column, desc);
                report(
                    QStringLiteral("journal.sort.%1%2").arg(column).arg(QChar(desc ? u'd' : u'a')),
                    QStringLiteral("сортировка «%1»").arg(text.simplified()),
                    bench::measure(
                        n, [&] { journal.setSort(text); }, [&] { journal.setSort(QString()); }));
            }
        }
        journal.setSort(QString());

        // The personnel list's search as the user types: on, one letter more, off.
        db::Dataset &workers = dm.workers;
        workers.open();
        const int all = workers.recordCount();
        bench::figure(QStringLiteral("workers.rows"), all);
        const QString shorter
            = db::likePrefixFilter(QStringLiteral("s_caption"), QStringLiteral("Ива"));
        const QString longer
            = db::likePrefixFilter(QStringLiteral("s_caption"), QStringLiteral("Иван"));
        workers.setFilter(shorter);
        const bench::Timing on = bench::measure(
            n, [&] { workers.setFiltered(true); }, [&] { workers.setFiltered(false); });
        report(
            QStringLiteral("workers.filter.on"),
            QStringLiteral("фильтр «Ива%» по ФИО (%1 из %2)").arg(workers.recordCount()).arg(all),
            on);
        report(QStringLiteral("workers.filter.narrowed"),
               QStringLiteral("фильтр уточнён до «Иван%»"),
               bench::measure(
                   n, [&] { workers.setFilter(longer); }, [&] { workers.setFilter(shorter); }));
        report(QStringLiteral("workers.filter.off"), QStringLiteral("снятие фильтра"),
               bench::measure(
                   n, [&] { workers.setFiltered(false); }, [&] { workers.setFiltered(true); }));
    } catch (const db::DbError &e) {
        out << "Ошибка базы данных: " << e.text() << '\n';
        return 2;
    } catch (const std::runtime_error &e) {
        out << "Нижняя граница драйвера: " << e.what() << '\n';
        return 2;
    }
    return 0;
}
