// Speed of the printed reports: the workers summary over a period of 10,000 query rows,
// prepare against the opening of its query, and the PDF of the prepared pages per page.
// With --png it renders the first page of the workers summary of a period to a picture
// instead (the README's). Run by bench/run.sh, which prepares the data.

#include "bench/measure.h"
#include "db/connection.h"
#include "reports/engine/render.h"
#include "reports/layouts/workers_summary.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
#include <vector>

namespace {

QTextStream out(stdout);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The processor time of this process, ms: on a machine shared with other work the wall time
// of a step that only computes grows with the load, its processor time does not.
double cpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

QString yesNo(bool ok)
{
    return ok ? QStringLiteral("да") : QStringLiteral("НЕТ");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv); // fonts for the PDF
    QCommandLineParser cl;
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("host"),
                                    QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("port"),
                                  QStringLiteral("port"), QStringLiteral("5432"));
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("database"),
                                      QStringLiteral("name"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("first day"),
                                  QStringLiteral("yyyy-mm-dd"), QStringLiteral("2027-01-15"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("day after the last"),
                                QStringLiteral("yyyy-mm-dd"), QStringLiteral("2027-01-16"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("runs"),
                                  QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption png(QStringLiteral("png"), QStringLiteral("picture of page 1"),
                                 QStringLiteral("file"));
    const QCommandLineOption login(QStringLiteral("login"), QStringLiteral("login"),
                                   QStringLiteral("login"), QStringLiteral("wvk"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("password"),
                                      QStringLiteral("password"), QStringLiteral("wuvbzad"));
    cl.addOptions({server, port, database, from, to, runs, png, login, password});
    cl.process(app);

    db::ConnectionParams p;
    p.server = cl.value(server);
    p.port = cl.value(port).toInt();
    p.database = cl.value(database);
    p.login = cl.value(login);
    p.password = cl.value(password);
    db::Connection connection;
    connection.open(db::buildConnectionString(p));

    TForm16 layout(&connection);
    const QDate first = QDate::fromString(cl.value(from), Qt::ISODate);
    const QDate end = QDate::fromString(cl.value(to), Qt::ISODate);
    layout.setPeriod(first, end);
    layout.setCaption(QStringLiteral("   Отчет по рабочим за период с ")
                      + first.toString(QStringLiteral("dd.MM.yyyy")) + QStringLiteral(" по ")
                      + end.toString(QStringLiteral("dd.MM.yyyy")));

    if (cl.isSet(png)) {
        layout.query().open();
        const reports::PreparedReport &r = layout.prepare();
        layout.query().close();
        return reports::renderPageImage(r.pages.at(0), 110).save(cl.value(png)) ? 0 : 1;
    }

    std::vector<double> open, openCpu, prepare, prepareCpu, pdf, pdfCpu;
    int rows = 0, pages = 0;
    QTemporaryDir dir;
    for (int i = 0; i < cl.value(runs).toInt(); ++i) {
        layout.query().close();
        QElapsedTimer t;
        t.start();
        double c = cpuMs();
        layout.query().open();
        open.push_back(msSince(t));
        openCpu.push_back(cpuMs() - c);
        rows = layout.query().recordCount();
        t.restart();
        c = cpuMs();
        const reports::PreparedReport &r = layout.prepare();
        prepare.push_back(msSince(t));
        prepareCpu.push_back(cpuMs() - c);
        pages = r.pageCount();
        t.restart();
        c = cpuMs();
        if (!reports::writePdf(r, dir.filePath(QStringLiteral("workers.pdf")))) {
            out << "PDF не записан\n";
            return 1;
        }
        pdf.push_back(msSince(t) / pages);
        pdfCpu.push_back((cpuMs() - c) / pages);
    }
    const double o = median(open), pr = median(prepare), pp = median(pdf);
    const bool prepareOk = pr <= o, pdfOk = pp <= 5;
    out << QStringLiteral("Сводка по рабочим: %1 строк запроса, %2 страниц\n").arg(rows).arg(pages);
    bench::figure(QStringLiteral("report.rows"), rows);
    bench::figure(QStringLiteral("report.pages"), pages);
    bench::figure(QStringLiteral("report.open"), o);
    bench::figure(QStringLiteral("report.prepare"), pr);
    bench::figure(QStringLiteral("report.pdf_page"), pp);
    out << QStringLiteral("| figure | wall, median | client CPU, median | aim | ok |\n"
                          "|---|---|---|---|---|\n");
    out << QStringLiteral("| open t_Report | %1 ms | %2 ms | | |\n")
               .arg(o, 0, 'f', 1)
               .arg(median(openCpu), 0, 'f', 1);
    out << QStringLiteral("| prepare | %1 ms | %2 ms | ≤ open | %3 |\n")
               .arg(pr, 0, 'f', 1)
               .arg(median(prepareCpu), 0, 'f', 1)
               .arg(yesNo(prepareOk));
    out << QStringLiteral("| PDF per page | %1 ms | %2 ms | ≤ 5 ms | %3 |\n")
               .arg(pp, 0, 'f', 2)
               .arg(median(pdfCpu), 0, 'f', 2)
               .arg(yesNo(pdfOk));
    out.flush();
    return prepareOk && pdfOk ? 0 : 1;
}
