// Speed of the timesheet window on a month of 1,000 workers x 3 shifts: opening the month (the
// three shifts' hours rows read and the day columns' look set) against psql running the same
// three statements; scrolling and repainting the coloured grid, per frame; and the month's
// export through the window (query, workbook, caption with repaints) against a plain
// libxlsxwriter program writing the same cells from values already in memory.
//   bench_timesheet --server 127.0.0.1 --port 5432 --database tabel_bench [--runs 10]
// The program's stored account (tabel.conf) must reach the database; bench/run_timesheet.sh
// makes the cluster, the month and the config.

#include "app/startup.h"
#include "bench/measure.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "reports/layouts/timesheet_print.h"
#include "timesheet/timesheet_window.h"
#include "ui/seams.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <xlsxwriter.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);
const int kMonth = 1;
const int kYear = 2027;

using bench::measure;
using bench::summarize;
using bench::Timing;

// psql's \timing of the statements, each run twice in one session; the second runs' sum.
double psqlTime(const QStringList &args, const QStringList &statements)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("tabel_admin"));
    // Its "Time:" line is read below; under the office locale psql would translate it.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("psql"), args);
    QString script = QStringLiteral("\\timing on\n\\o /dev/null\n");
    for (const QString &s : statements)
        script += s + QStringLiteral(";\n") + s + QStringLiteral(";\n");
    p.write(script.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return -1;
    static const QRegularExpression timing(QStringLiteral("^Time: ([0-9.]+) ms"),
                                           QRegularExpression::MultilineOption);
    std::vector<double> times;
    auto it = timing.globalMatch(QString::fromUtf8(p.readAllStandardOutput()));
    while (it.hasNext())
        times.push_back(it.next().captured(1).toDouble());
    double sum = 0;
    for (size_t i = 1; i < times.size(); i += 2)
        sum += times[i];
    return sum;
}

class Folder : public ui::SpreadsheetSeam
{
public:
    explicit Folder(QString path)
        : m_path(std::move(path))
    {
    }
    QString folder() override { return m_path; }
    bool open(const QString &path) override
    {
        last = path;
        return true;
    }
    bool openFolder(const QString &) override { return true; }
    QString last;

private:
    QString m_path;
};

// The same sheet written straight on libxlsxwriter from typed values.
struct Row
{
    std::string name;
    int hours[31];
    int total;
};

void plain(const std::vector<Row> &rows, const QByteArray &path)
{
    lxw_workbook *book = workbook_new(path.constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *boldText = workbook_add_format(book);
    format_set_bold(boldText);
    format_set_num_format(boldText, "@");
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format *text = workbook_add_format(book);
    format_set_num_format(text, "@");
    worksheet_write_string(sheet, 0, 0, "Январь 2027", boldText);
    worksheet_write_string(sheet, 1, 0, "Фамилия И.О.", boldText);
    for (int d = 1; d <= 31; ++d)
        worksheet_write_number(sheet, 1, lxw_col_t(d), d, bold);
    worksheet_write_string(sheet, 1, 32, "Итого", boldText);
    lxw_row_t r = 2;
    for (const Row &row : rows) {
        worksheet_write_string(sheet, r, 0, row.name.c_str(), text);
        for (int d = 0; d < 31; ++d)
            worksheet_write_number(sheet, r, lxw_col_t(d + 1), row.hours[d], nullptr);
        worksheet_write_number(sheet, r, 32, row.total, nullptr);
        ++r;
    }
    workbook_close(book);
}

QString ms(double v)
{
    return QString::number(v, 'f', v < 10 ? 2 : 1);
}

int failed = 0;

void line(const QString &figure, const Timing &t, const QString &aim = QString(), bool pass = true)
{
    if (!pass)
        ++failed;
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(figure, -46)
               .arg(ms(t.median), 9)
               .arg(ms(t.min), 9)
               .arg(aim, -14)
               .arg(aim.isEmpty() ? QString()
                        : pass    ? QStringLiteral("да")
                                  : QStringLiteral("НЕТ"));
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser cl;
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("server"),
                                    QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("port"),
                                  QStringLiteral("port"), QStringLiteral("5432"));
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("database"),
                                      QStringLiteral("name"), QStringLiteral("tabel_bench"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("runs"),
                                  QStringLiteral("n"), QStringLiteral("10"));
    cl.addOptions({server, port, database, runs});
    cl.process(app);
    const int n = std::max(1, cl.value(runs).toInt());

    ui::setFixedNow(QDateTime(QDate(kYear, kMonth, 20), QTime(9, 0)));
    QTemporaryDir files;
    Folder folder(files.path());
    ui::setSpreadsheetSeam(&folder);
    if (!startProgram({QStringLiteral("tabel"), cl.value(server) + u':' + cl.value(port),
                       cl.value(database)})) {
        out << "start-up failed\n";
        return 2;
    }
    TForm19 *w = forms().timesheet;
    w->resize(1400, 800);
    w->show();
    QApplication::processEvents();
    w->ComboBox1->setCurrentIndex(kMonth - 1);
    w->ComboBox2->setCurrentIndex(w->ComboBox2->findText(QString::number(kYear)));

    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("timesheet, 1,000 workers x 3 shifts (ms)"), -46)
               .arg(QStringLiteral("median"), 9)
               .arg(QStringLiteral("min"), 9)
               .arg(QStringLiteral("aim"));

    // Opening the month.
    const Timing open = measure(n, [&] { w->ComboBox1Change(); });
    const int rows = w->DBGrid1->model()->rowCount() + w->DBGrid2->model()->rowCount()
        + w->DBGrid3->model()->rowCount();
    QStringList statements;
    for (db::Dataset *ds :
         {&dataModule().H_Tabel_1, &dataModule().H_Tabel_2, &dataModule().H_Tabel_3})
        statements << QString(ds->sql())
                          .replace(QStringLiteral(":mnth"), QString::number(kMonth))
                          .replace(QStringLiteral(":yea"), QString::number(kYear));
    const QStringList psqlArgs {QStringLiteral("-X"), QStringLiteral("-q"),
                                QStringLiteral("-h"), cl.value(server),
                                QStringLiteral("-p"), cl.value(port),
                                QStringLiteral("-U"), QStringLiteral("tabel_admin"),
                                QStringLiteral("-d"), cl.value(database)};
    std::vector<double> psqlMs;
    for (int i = 0; i < n; ++i)
        psqlMs.push_back(psqlTime(psqlArgs, statements));
    const Timing psql = summarize(psqlMs);
    line(QStringLiteral("open the month (%1 rows)").arg(rows), open);
    bench::figure(QStringLiteral("timesheet.rows"), rows);
    bench::figure(QStringLiteral("timesheet.open"), open.median);
    line(QStringLiteral("psql, the three statements"), psql);
    const double openRatio = open.median / psql.median;
    out << QStringLiteral("open / psql (medians): %1, aim <= 1.5: %2\n")
               .arg(openRatio, 0, 'f', 2)
               .arg(openRatio <= 1.5 ? QStringLiteral("да") : QStringLiteral("НЕТ"));
    if (openRatio > 1.5)
        ++failed;

    // Scrolling and repainting the coloured grid, a frame per step.
    ui::DataGrid *g = w->DBGrid1;
    QScrollBar *bar = g->verticalScrollBar();
    std::vector<double> frames;
    for (int round = 0; round < n; ++round) {
        for (int v = bar->minimum(); v <= bar->maximum(); v += 7) {
            QElapsedTimer t;
            t.start();
            bar->setValue(v);
            g->viewport()->repaint();
            frames.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    const Timing frame = summarize(frames);
    bench::figure(QStringLiteral("timesheet.frame"), frame.median);
    // Where the worst frame fell tells a cold start (the first frames) from a stall of the
    // machine (anywhere); the 99th percentile says how rare it is.
    const auto worst = std::max_element(frames.begin(), frames.end()) - frames.begin();
    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    line(QStringLiteral("scroll and repaint, per frame (max %1)").arg(ms(frame.max)), frame,
         QStringLiteral("< 16"), frame.max < 16);
    out << QStringLiteral("  worst frame: %1 of %2; 99th percentile %3 ms\n")
               .arg(worst + 1)
               .arg(frames.size())
               .arg(ms(p99));

    // The export through the window against the plain program.
    db::Dataset &q = forms().timesheetPrint->H_Tabel;
    forms().timesheetPrint->setMonth(kMonth, kYear);
    q.open();
    std::vector<Row> values;
    for (q.first(); !q.eof(); q.next()) {
        Row r {q.asString(QStringLiteral("fio")).toStdString(), {}, 0};
        for (int d = 0; d < 31; ++d) {
            r.hours[d] = int(q.asInteger(QStringLiteral("sd%1").arg(d + 1)));
            r.total += r.hours[d];
        }
        values.push_back(std::move(r));
    }
    q.close();
    const QByteArray plainPath = QFile::encodeName(files.filePath(QStringLiteral("plain.xlsx")));
    int minute = 0;
    const auto exportOnce = [&] {
        ui::setFixedNow(QDateTime(QDate(kYear, kMonth, 20), QTime(10, 0)).addSecs(60 * ++minute));
        w->Button2Click();
    };
    // The first run of each also grows the heap; the program's first export also finds the
    // sheet's fonts and measures every name, which the exports after it find kept.
    const Timing firstPlain = measure(1, [&] { plain(values, plainPath); });
    const Timing firstExport = measure(1, exportOnce);
    const Timing exportTime = measure(n, exportOnce);
    line(QStringLiteral("plain libxlsxwriter, its first run"), firstPlain);
    line(QStringLiteral("the window's first export (names measured)"), firstExport);
    const Timing plainTime = measure(n, [&] { plain(values, plainPath); });
    line(QStringLiteral("export through the window (%1 rows)").arg(values.size()), exportTime);
    line(QStringLiteral("plain libxlsxwriter"), plainTime);
    bench::figure(QStringLiteral("timesheet.export"), exportTime.median);
    const double exportRatio = exportTime.median / plainTime.median;
    out << QStringLiteral("export / plain (medians): %1, aim <= 2: %2\n")
               .arg(exportRatio, 0, 'f', 2)
               .arg(exportRatio <= 2 ? QStringLiteral("да") : QStringLiteral("НЕТ"));
    if (exportRatio > 2)
        ++failed;

    w->hide();
    ui::setSpreadsheetSeam(nullptr);
    stopProgram();
    return failed ? 1 : 0;
}
