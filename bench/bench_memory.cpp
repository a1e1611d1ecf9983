// Resident memory of the program: every window created as at start-up, a login as a person
// does it, then the journal shown on the large day (10,000 shift-1 records) and scrolled to its
// end. Reads the stored connection of tabel.conf in $XDG_CONFIG_HOME, as the program does; run
// by bench/run.sh.

#include "app/login_window.h"
#include "app/startup.h"
#include "bench/measure.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"
#include "ui/data_grid.h"
#include "ui/seams.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextStream>
#include <functional>

namespace {

QTextStream out(stdout);

// A line of /proc/self/status ("VmRSS", "VmHWM") in megabytes.
double statusMb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// A message box would wait for a person: the bench prints it and goes on (and fails at the end).
class PrintedMessages : public ui::MessageSeam
{
public:
    int count = 0;
    QMessageBox::StandardButton show(QWidget *, const QString &caption, const QString &text,
                                     ui::Icon, QMessageBox::StandardButtons) override
    {
        ++count;
        out << caption << ": " << text << '\n';
        out.flush();
        return QMessageBox::Ok;
    }
};

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// The journal that the login shows modally is shown as a window instead, and the measuring
// runs while it is up; the end the login asks for afterwards is only noted.
class JournalRun : public ui::ModalSeam, public ui::EndSeam
{
public:
    std::function<void(QDialog *)> whileShown;
    int exec(QDialog *dialog) override
    {
        dialog->show();
        settle();
        whileShown(dialog);
        dialog->hide();
        return QDialog::Rejected;
    }
    void endProgram() override { }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser cl;
    const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("большой день"),
                                  QStringLiteral("yyyy-mm-dd"));
    const QCommandLineOption limit(QStringLiteral("limit"), QStringLiteral("цель, МБ"),
                                   QStringLiteral("mb"), QStringLiteral("150"));
    const QCommandLineOption login(QStringLiteral("login"), QStringLiteral("логин"),
                                   QStringLiteral("login"), QStringLiteral("senior"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("пароль"),
                                      QStringLiteral("password"), QStringLiteral("senior"));
    cl.addOptions({date, limit, login, password});
    cl.process(app);
    const QDate day = QDate::fromString(cl.value(date), Qt::ISODate);
    if (!day.isValid()) {
        out << "нужна --date yyyy-mm-dd\n";
        return 2;
    }

    PrintedMessages messages;
    ui::setMessageSeam(&messages);
    JournalRun run;
    ui::setModalSeam(&run);
    ui::setEndSeam(&run);
    // Where the program finds tabel.conf.
    QCoreApplication::setApplicationName(QStringLiteral("tabel"));
    QCoreApplication::setOrganizationName(QStringLiteral("tabel"));
    const double empty = statusMb("VmRSS");
    // No server or database on the command line: the stored connection of tabel.conf.
    if (!startProgram({QApplication::arguments().value(0)})) {
        out << "программа не запустилась\n";
        return 1;
    }
    buildEveryWindow();
    forms().login->show();
    settle();
    const double created = statusMb("VmRSS");

    // The journal as a user leaves it after picking the day: all four shifts open, shift 1
    // shown, every row of it scrolled past once.
    double opened = -1;
    int rows = 0;
    run.whileShown = [&](QDialog *) {
        TForm1 *journal = forms().journal;
        journal->resize(1200, 800);
        journal->DateT->setDate(day);
        journal->DateTChange();
        settle();
        rows = dataModule().Smena1.recordCount();
        QScrollBar *bar = journal->DBGrid2->verticalScrollBar();
        for (int v = bar->minimum(); v <= bar->maximum(); v += qMax(1, bar->pageStep())) {
            bar->setValue(v);
            journal->DBGrid2->viewport()->repaint();
        }
        settle();
        opened = statusMb("VmRSS");
    };
    forms().login->Edit1->setText(cl.value(login));
    forms().login->Edit2->setText(cl.value(password));
    forms().login->Button1Click();
    const double peak = statusMb("VmHWM");

    const double aim = cl.value(limit).toDouble();
    const bool ok = opened > 0 && peak <= aim && rows > 0 && messages.count == 0;
    out << QStringLiteral("Память (резидентная, МБ)\n");
    out << QStringLiteral("  до запуска программы:                 %1\n").arg(empty, 0, 'f', 1);
    out << QStringLiteral("  все окна созданы, окно входа показано: %1\n").arg(created, 0, 'f', 1);
    out << QStringLiteral("  журнал %1 записей открыт и пролистан:  %2\n")
               .arg(rows)
               .arg(opened, 0, 'f', 1);
    out << QStringLiteral("  пик за всё время:                     %1, цель ≤ %2: %3\n")
               .arg(peak, 0, 'f', 1)
               .arg(aim, 0, 'f', 0)
               .arg(ok ? QStringLiteral("да") : QStringLiteral("НЕТ"));
    out.flush();
    bench::figure(QStringLiteral("memory.rows"), rows);
    bench::figure(QStringLiteral("memory.opened"), opened);
    bench::figure(QStringLiteral("memory.peak"), peak);
    stopProgram();
    return ok ? 0 : 1;
}
