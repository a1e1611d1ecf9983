// Cost of the record history: "Запись" of a changed record with the history's triggers on and
// off, run by run in turn so a passing load weighs on both, the share the history takes, and
// the save's aim with the history on; and the history window's reading of one record among the
// few hundred thousand history rows bench/run.sh generated. The program starts on the
// tabel.conf of XDG_CONFIG_HOME (the stored account); the triggers are switched by the owner.

#include "app/startup.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "db/db_error.h"
#include "journal/entry_editor.h"
#include "journal/history_window.h"
#include "journal/journal_window.h"
#include "day_options.h"
#include "large_day.h"
#include "measure.h"
#include "timesheet/hours_posting.h"
#include "ui/seams.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableWidget>
#include <QTextStream>

namespace {

QTextStream out(stdout);

QString yesNo(bool ok)
{
    return ok ? QStringLiteral("да") : QStringLiteral("НЕТ");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser cl;
    const bench::DayOptions options(QStringLiteral("20"));
    options.addTo(cl, true);
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
        // The owner switches the history's trigger between the runs.
        db::Connection owner;
        owner.open(db::buildConnectionString(
            options.connection(cl, QStringLiteral("tabel_admin"), QStringLiteral("tabel_admin"))));
        db::Command history(&owner);
        auto historyOn = [&history](bool on) {
            history.setText(
                QStringLiteral("alter table accounts_dep.smena %1 trigger smena_history")
                    .arg(on ? QStringLiteral("enable") : QStringLiteral("disable")));
            history.execute();
        };

        TDataModule6 &dm = dataModule();
        TForm1 *j = forms().journal;
        TForm11 *e = forms().entryEditor;
        db::Dataset &journal = dm.Smena1;
        // bench/run.sh gave these records a requisition line (a record needs one to be saved).
        const std::vector<int> ids = bench::openLargeDay(day);
        if (int(ids.size()) < 2)
            throw db::DbError(QStringLiteral("мало записей для замера"));

        // "Запись" of a record with other hours (a quantity would soon fall below the
        // record's rejects, these records being changed run after run); the editor opened
        // untimed.
        auto save = [&](int id) {
            journal.locate(QStringLiteral("id"), id);
            e->openForChanging();
            e->Edit6->setText(e->Edit6->text() == QLatin1String("8") ? QStringLiteral("7")
                                                                     : QStringLiteral("8"));
            QElapsedTimer t;
            t.start();
            e->Button1Click();
            return double(t.nsecsElapsed()) / 1e6;
        };
        std::vector<double> with, without, reload, posting;
        for (int i = 0; i < n; ++i) {
            // Each run saves once with the history and once without, first one then the other.
            historyOn(i % 2 == 0);
            (i % 2 == 0 ? with : without).push_back(save(ids[size_t(2 * i) % ids.size()]));
            historyOn(i % 2 != 0);
            (i % 2 != 0 ? with : without).push_back(save(ids[size_t(2 * i + 1) % ids.size()]));

            const int row = journal.recNo();
            QElapsedTimer t;
            t.start();
            j->reloadKeepingOrder(true, row);
            reload.push_back(double(t.nsecsElapsed()) / 1e6);
            t.start();
            timesheet::HoursPosting(dm.ADO_DB).afterSave(e->workerNumber, 1, day);
            posting.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        historyOn(true);

        // The history window of a record with its share of the generated rows.
        TForm34 *w = forms().history;
        db::Command count(&dm.ADO_DB);
        count.setText(QStringLiteral("select count(*) from accounts_dep.smena_history"));
        const qint64 total = count.executeScalar().toLongLong();
        const int shown = ids[ids.size() / 2];
        w->readHistory(shown); // the server's caches warm
        const bench::Timing open = bench::measure(n, [&] { w->readHistory(shown); });
        if (messages.shown > 0)
            throw db::DbError(QStringLiteral("во время замера были сообщения"));

        const bench::Timing on = bench::summarize(with), off = bench::summarize(without);
        const double alone = bench::summarize(reload).median + bench::summarize(posting).median;
        const double share = on.median > 0 ? (on.median - off.median) / on.median : 0;
        const bool saveOk = on.median <= 1.5 * alone;
        const bool openOk = open.median <= 50;
        out << QStringLiteral("История: строк %1, у открытой записи %2; повторов: %3\n")
                   .arg(total)
                   .arg(w->Grid1->rowCount())
                   .arg(n);
        out << QStringLiteral("«Запись» с историей, мс (медиана / мин.): %1 / %2; без истории: "
                              "%3 / %4\n")
                   .arg(on.median, 0, 'f', 1)
                   .arg(on.min, 0, 'f', 1)
                   .arg(off.median, 0, 'f', 1)
                   .arg(off.min, 0, 'f', 1);
        out << QStringLiteral("Доля истории в «Записи»: %1 %\n").arg(share * 100, 0, 'f', 1);
        out << QStringLiteral("«Запись» с историей / (перечитывание + проводка): %1, цель ≤ 1,5: "
                              "%2\n")
                   .arg(on.median / alone, 0, 'f', 2)
                   .arg(yesNo(saveOk));
        out << QStringLiteral("Окно «История записи», мс (медиана / мин.): %1 / %2, цель ≤ 50: "
                              "%3\n")
                   .arg(open.median, 0, 'f', 1)
                   .arg(open.min, 0, 'f', 1)
                   .arg(yesNo(openOk));
        bench::figure(QStringLiteral("history_share"), share);
        bench::figure(QStringLiteral("history_open_ms"), open.median);
        status = saveOk && openOk ? 0 : 1;
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
