// The monthly timesheet export through the spreadsheet link against a plain libxlsxwriter
// program that writes the same cells with the same formats and column widths.
//
//   bench_xlsx [runs] [--keep]
//
// 1,000 workers x 31 days: the title and the header bold, names as text, days and totals as
// numbers, every cell fitted (the link measures; the plain program is handed the widths the
// link found). Prints median and minimum of each and the ratio of the medians (aim <= 2);
// exits with 1 when the aim is missed. --keep leaves both files in the folder it prints.

#include "reports/xlsx/excel_link.h"
#include "ui/seams.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kWorkers = 1000;
constexpr int kDays = 31;

struct Worker
{
    QString name;
    std::string nameUtf8;
    int hours[kDays];
    int total;
};

struct Month
{
    QString title = QStringLiteral("Март 2021");
    std::vector<Worker> workers;
    // The texts the export hands to the link, made once as the window would make them.
    std::vector<QString> hourTexts[kDays];
    std::vector<QString> totalTexts;
};

Month makeMonth()
{
    static const char *const surnames[]
        = {"Иванов",   "Петров",   "Сидоров",   "Кузнецов",
           "Смирнов",  "Попов",    "Васильев",  "Соколов",
           "Михайлов", "Новиков",  "Фёдоров",   "Морозов",
           "Волков",   "Алексеев", "Лебедев",   "Семёнов",
           "Егоров",   "Павлов",   "Козлов",    "Степанов",
           "Николаев", "Орлов",    "Андреев",   "Макаров",
           "Никитин",  "Захаров",  "Зайцев",    "Соловьёв",
           "Борисов",  "Яковлев",  "Григорьев", "Константинопольский"};
    static const QString initials = QStringLiteral("АБВГДЕЖЗИКЛМНОПРСТУФХЧШЭЮЯ");
    std::mt19937 random(20210315);
    Month month;
    month.workers.resize(kWorkers);
    for (int w = 0; w < kWorkers; ++w) {
        Worker &worker = month.workers[size_t(w)];
        const QString surname = QString::fromUtf8(surnames[random() % std::size(surnames)]);
        worker.name = QStringLiteral("%1 %2.%3.")
                          .arg(surname, initials.at(int(random() % initials.size())),
                               initials.at(int(random() % initials.size())));
        if (random() % 2)
            worker.name.insert(surname.size(), QStringLiteral("а"));
        worker.nameUtf8 = worker.name.toStdString();
        worker.total = 0;
        for (int d = 0; d < kDays; ++d) {
            const unsigned r = random() % 10;
            worker.hours[d] = r < 3 ? 0 : r < 8 ? 8 : int(4 + random() % 9);
            worker.total += worker.hours[d];
            month.hourTexts[d].push_back(QString::number(worker.hours[d]));
        }
        month.totalTexts.push_back(QString::number(worker.total));
    }
    return month;
}

class BenchSpreadsheets : public ui::SpreadsheetSeam
{
public:
    explicit BenchSpreadsheets(const QString &folder)
        : m_folder(folder)
    {
    }
    QString folder() override { return m_folder; }
    bool open(const QString &path) override
    {
        last = path;
        return true;
    }
    bool openFolder(const QString &) override { return true; }
    QString last;

private:
    QString m_folder;
};

// The export as the timesheet window makes it; returns the widths the link fitted.
std::vector<double> throughLink(const Month &month)
{
    reports::ExcelLink link(nullptr, QStringLiteral("Табель"));
    link.OpenExcel();
    link.SetExcelVisible(false);
    link.WriteExcelCell(1, 1, 1, month.title, true, true, true);
    link.WriteExcelCell(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int d = 1; d <= kDays; ++d)
        link.WriteExcelCell(1, d + 1, 2, QString::number(d), false, true, true);
    link.WriteExcelCell(1, kDays + 2, 2, QStringLiteral("Итого"), true, true, true);
    for (int w = 0; w < kWorkers; ++w) {
        const int row = w + 3;
        link.WriteExcelCell(1, 1, row, month.workers[size_t(w)].name, true, true, false);
        for (int d = 0; d < kDays; ++d)
            link.WriteExcelCell(1, d + 2, row, month.hourTexts[d][size_t(w)], false, true, false);
        link.WriteExcelCell(1, kDays + 2, row, month.totalTexts[size_t(w)], false, true, false);
    }
    if (link.SetExcelVisible(true) != 1) {
        std::fprintf(stderr, "the link did not save\n");
        std::exit(2);
    }
    std::vector<double> widths;
    for (int c = 1; c <= kDays + 2; ++c)
        widths.push_back(link.columnWidth(c));
    return widths;
}

// What a program written straight on libxlsxwriter does for the same sheet.
void plain(const Month &month, const std::vector<double> &widths, const QByteArray &path)
{
    lxw_workbook *book = workbook_new(path.constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Лист1");
    lxw_format *boldText = workbook_add_format(book);
    format_set_bold(boldText);
    format_set_num_format(boldText, "@");
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    lxw_format *text = workbook_add_format(book);
    format_set_num_format(text, "@");
    const std::string title = month.title.toStdString();
    worksheet_write_string(sheet, 0, 0, title.c_str(), boldText);
    worksheet_write_string(sheet, 1, 0, "Фамилия И.О.", boldText);
    for (int d = 1; d <= kDays; ++d)
        worksheet_write_number(sheet, 1, lxw_col_t(d), d, bold);
    worksheet_write_string(sheet, 1, kDays + 1, "Итого", boldText);
    for (int w = 0; w < kWorkers; ++w) {
        const Worker &worker = month.workers[size_t(w)];
        const lxw_row_t row = lxw_row_t(w + 2);
        worksheet_write_string(sheet, row, 0, worker.nameUtf8.c_str(), text);
        for (int d = 0; d < kDays; ++d)
            worksheet_write_number(sheet, row, lxw_col_t(d + 1), worker.hours[d], nullptr);
        worksheet_write_number(sheet, row, kDays + 1, worker.total, nullptr);
    }
    for (size_t c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
    if (workbook_close(book) != LXW_NO_ERROR) {
        std::fprintf(stderr, "the plain program did not save\n");
        std::exit(2);
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int runs = 15;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--keep")
            keep = true;
        else
            runs = std::max(1, QByteArray(argv[i]).toInt());
    }

    QTemporaryDir dir;
    dir.setAutoRemove(!keep);
    BenchSpreadsheets spreadsheets(dir.path());
    ui::setSpreadsheetSeam(&spreadsheets);
    ui::setFixedNow(QDateTime(QDate(2021, 4, 1), QTime(8, 0)));
    const Month month = makeMonth();
    const QByteArray plainPath = QFile::encodeName(dir.filePath(QStringLiteral("plain.xlsx")));

    // One unmeasured round of each: fonts loaded, caches and files warm.
    std::vector<double> widths = throughLink(month);
    plain(month, widths, plainPath);

    std::vector<double> linkMs, plainMs;
    QElapsedTimer timer;
    for (int r = 0; r < runs; ++r) {
        // Each run its own minute, so the link's files do not pile up under " (n)" names.
        ui::setFixedNow(QDateTime(QDate(2021, 4, 1), QTime(9, 0)).addSecs(60 * r));
        timer.start();
        widths = throughLink(month);
        linkMs.push_back(timer.nsecsElapsed() / 1e6);
        if (!keep)
            QFile::remove(spreadsheets.last);
        timer.start();
        plain(month, widths, plainPath);
        plainMs.push_back(timer.nsecsElapsed() / 1e6);
    }

    const double ratio = median(linkMs) / median(plainMs);
    QTextStream out(stdout);
    out << "timesheet export, " << kWorkers << " workers x " << kDays << " days, " << runs
        << " runs\n";
    out << QStringLiteral("| %1 | %2 ms | %3 ms |\n")
               .arg(QStringLiteral("through the link"), -24)
               .arg(median(linkMs), 0, 'f', 1)
               .arg(*std::min_element(linkMs.begin(), linkMs.end()), 0, 'f', 1);
    out << QStringLiteral("| %1 | %2 ms | %3 ms |\n")
               .arg(QStringLiteral("plain libxlsxwriter"), -24)
               .arg(median(plainMs), 0, 'f', 1)
               .arg(*std::min_element(plainMs.begin(), plainMs.end()), 0, 'f', 1);
    out << QStringLiteral("link / plain (medians): %1, aim <= 2: %2\n")
               .arg(ratio, 0, 'f', 2)
               .arg(ratio <= 2 ? QStringLiteral("да") : QStringLiteral("НЕТ"));
    if (keep)
        out << "files in " << dir.path() << "\n";
    ui::setSpreadsheetSeam(nullptr);
    return ratio <= 2 ? 0 : 1;
}
