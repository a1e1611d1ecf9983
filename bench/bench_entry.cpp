// Speed of the entry editor on a large day: the change opening, and "Запись" of a changed
// record (update, hours posting, journal reload) next to the journal's own reload plus one
// hours posting measured alone. Run by bench/run.sh after the large day is loaded; the program
// starts on the tabel.conf of XDG_CONFIG_HOME (the stored account).

#include "app/startup.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "db/db_error.h"
#include "db/formats.h"
#include "journal/entry_editor.h"
#include "journal/journal_window.h"
#include "day_options.h"
#include "large_day.h"
#include "timesheet/hours_posting.h"
#include "ui/seams.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double elapsedMs(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser cl;
    const bench::DayOptions options(QStringLiteral("20"));
    options.addTo(cl, false);
    cl.addHelpOption();
    cl.process(app);
    const int n = options.runsFrom(cl);
    const QDate day = options.dayFrom(cl, out);
    if (!day.isValid())
        return 2;

    bench::NoModal modal;
    bench::PrintedMessages messages(out);
    ui::setModalSeam(&modal);
    ui::setMessageSeam(&messages);
    if (!startProgram({QStringLiteral("tabel")}))
        return 1;
    int status = 0;
    try {
        TDataModule6 &dm = dataModule();
        TForm1 *j = forms().journal;
        TForm11 *e = forms().entryEditor;
        db::Dataset &journal = dm.Smena1;
        // bench/run.sh gave the records changed here a requisition line.
        const std::vector<int> ids = bench::openLargeDay(day);
        if (int(ids.size()) < 2 * n)
            throw db::DbError(QStringLiteral("мало записей для замера"));

        std::vector<double> opening, save, reload, posting;
        for (int i = 0; i < n; ++i) {
            journal.locate(QStringLiteral("id"), ids[size_t(i)]);
            QElapsedTimer t;
            t.start();
            e->openForChanging();
            opening.push_back(elapsedMs(t));

            // "Запись" of the record with another quantity.
            journal.locate(QStringLiteral("id"), ids[size_t(n + i)]);
            e->openForChanging();
            const double quantity = db::parseNumber(e->Edit3->text());
            e->Edit3->setText(db::formatGeneral(quantity - 0.25));
            t.start();
            e->Button1Click();
            save.push_back(elapsedMs(t));

            const int row = journal.recNo();
            t.start();
            j->reloadKeepingOrder(true, row);
            reload.push_back(elapsedMs(t));

            t.start();
            timesheet::HoursPosting(dm.ADO_DB).afterSave(e->workerNumber, 1, day);
            posting.push_back(elapsedMs(t));
        }
        if (messages.shown > 0)
            throw db::DbError(QStringLiteral("во время замера были сообщения"));

        const double open = median(opening);
        const double written = median(save);
        const double alone = median(reload) + median(posting);
        const bool openOk = open <= 50;
        const bool saveOk = written <= 1.5 * alone;
        out << QStringLiteral("Записей в журнале: %1; повторов: %2\n")
                   .arg(journal.recordCount())
                   .arg(n);
        out << QStringLiteral(
                   "Открытие для изменения, мс (медиана / мин.): %1 / %2, цель ≤ 50: %3\n")
                   .arg(open, 0, 'f', 1)
                   .arg(*std::min_element(opening.begin(), opening.end()), 0, 'f', 1)
                   .arg(openOk ? QStringLiteral("да") : QStringLiteral("НЕТ"));
        out << QStringLiteral("«Запись» изменённой записи, мс: %1 (мин. %2)\n")
                   .arg(written, 0, 'f', 1)
                   .arg(*std::min_element(save.begin(), save.end()), 0, 'f', 1);
        out << QStringLiteral("Перечитывание журнала, мс: %1; проводка часов, мс: %2\n")
                   .arg(median(reload), 0, 'f', 1)
                   .arg(median(posting), 0, 'f', 1);
        out << QStringLiteral("«Запись» / (перечитывание + проводка): %1, цель ≤ 1,5: %2\n")
                   .arg(written / alone, 0, 'f', 2)
                   .arg(saveOk ? QStringLiteral("да") : QStringLiteral("НЕТ"));
        status = openOk && saveOk ? 0 : 1;
    } catch (const std::exception &ex) {
        out << "Ошибка: " << ex.what() << '\n';
        status = 1;
    }
    out.flush();
    stopProgram();
    ui::setModalSeam(nullptr);
    ui::setMessageSeam(nullptr);
    return status;
}
