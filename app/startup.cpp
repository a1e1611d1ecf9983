#include "startup.h"

#include "app/login_window.h"
#include "app/version_check.h"
#include "core/config.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "db/db_error.h"
#include "directories/department_editor.h"
#include "directories/departments_window.h"
#include "directories/item_editor.h"
#include "directories/items_window.h"
#include "directories/nomenclature_editor.h"
#include "directories/nomenclature_window.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "directories/personnel_window.h"
#include "directories/position_editor.h"
#include "directories/positions_window.h"
#include "directories/roles_window.h"
#include "directories/worker_editor.h"
#include "journal/entry_editor.h"
#include "journal/history_window.h"
#include "journal/journal_window.h"
#include "journal/material_window.h"
#include "processes/norms_window.h"
#include "processes/operation_editor.h"
#include "processes/process_list_window.h"
#include "processes/process_operations_window.h"
#include "processes/unused_operation_window.h"
#include "reports/layouts/product_summary.h"
#include "reports/layouts/products_detail.h"
#include "reports/layouts/report_preview.h"
#include "reports/layouts/requisitions_report.h"
#include "reports/layouts/timesheet_print.h"
#include "reports/layouts/workers_detail.h"
#include "reports/layouts/workers_summary.h"
#include "reports/product_report_window.h"
#include "reports/summary_reports_window.h"
#include "reports/worker_report_window.h"
#include "timesheet/timesheet_window.h"
#include "ui/russian.h"
#include "ui/seams.h"
#include "ui/styles.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>
#include <atomic>
#include <future>
#include <optional>

namespace {

// The window is built the first time the program reaches it.
template<class T, class... Args>
void defineWindow(FormSlot<T> &slot, Args... args)
{
    slot.define([args...] { return new T(args...); }, [](T *w) { delete w; });
}

void defineWindows(Forms &f)
{
    defineWindow(f.journal);
    defineWindow(f.workerEditor);
    defineWindow(f.items);
    defineWindow(f.processes);
    defineWindow(f.personnel);
    defineWindow(f.itemEditor);
    defineWindow(f.operationTypes);
    defineWindow(f.operationTypeEditor);
    defineWindow(f.operationEditor);
    defineWindow(f.entryEditor);
    defineWindow(f.workerReport);
    defineWindow(f.productReport);
    defineWindow(f.summaryReports);
    defineWindow(f.timesheet);
    defineWindow(f.norms);
    defineWindow(f.processOperationUnused);
    defineWindow(f.material);
    defineWindow(f.positions);
    defineWindow(f.positionEditor);
    defineWindow(f.nomenclature);
    defineWindow(f.nomenclatureEditor);
    defineWindow(f.departments);
    defineWindow(f.departmentEditor);
    defineWindow(f.roles);
    defineWindow(f.processOperations);
    defineWindow(f.history);
    db::Connection *connection = &f.dataModule->ADO_DB;
    defineWindow(f.timesheetPrint, connection);
    defineWindow(f.workersSummary, connection);
    defineWindow(f.productSummary, connection);
    defineWindow(f.workersDetail, connection);
    defineWindow(f.productsDetail, connection);
    defineWindow(f.requisitionsReport, connection);
}

// The stored account's connection, made on a thread of its own while the login window goes on
// screen.
struct PendingStart
{
    db::ConnectionParams params;
    std::future<void> connecting;
};

// The main thread waits in an event loop, so the login window paints, until the connecting
// thread is done. The flag is set before the loop is told to quit: a quit that some other event
// processing took before the wait began is not waited for.
struct ConnectWait
{
    QEventLoop loop;
    std::atomic<bool> done {false};

    void signal()
    {
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    }
    // The user's keys and clicks wait for the end of the start-up.
    void wait()
    {
        if (!done)
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
};

// Everything before the stored connection is needed: the style, the data module, the windows'
// definitions and the login window; then the connection is started on a thread of its own. When
// it ends, well or not, `wake` (if given) is signalled from the connecting thread.
PendingStart beginStart(const QStringList &arguments, ConnectWait *wake)
{
    // Before any window exists, so each one takes the Russian locale and Qt's Russian texts.
    ui::installRussian();
    ui::applyStyle(ui::readStyleFile());
    layouts::registerPreview();

    const CommandLine cl = CommandLine::fromArguments(arguments);
    const AppConfig config = AppConfig::load();
    Forms &f = forms();
    f.dataModule = new TDataModule6;
    f.dataModule->showHiddenCommands = config.showHiddenCommands;
    f.dataModule->keepJournalDate = config.keepJournalDate;
    defineWindows(f);
    defineWindow(f.login, cl, config);
    f.login.get();
    f.versionCheck = [] { runVersionCheck(); };
    // The stored account connects before anyone logs in, for the version check; it goes to
    // the database the program was started on. It starts once the login window is built:
    // loading the driver while the window was being built slowed the window more than it
    // saved.
    PendingStart pending;
    db::ConnectionParams &p = pending.params;
    p.database = cl.database(config);
    p.server = cl.server(config);
    p.port = cl.port(config);
    p.login = config.login;
    p.password = config.password;
    pending.connecting = std::async(
        std::launch::async,
        [&connection = f.dataModule->ADO_DB, text = db::buildConnectionString(p), wake] {
            const auto wakeUp = qScopeGuard([wake] {
                if (wake)
                    wake->signal();
            });
            connection.open(text);
        });
    return pending;
}

// Waits for the stored connection and opens what is stored open with it. A refusal of the server
// is told in the program's words over `window`, its reason kept in the log; a fault after
// connecting is shown as it stands. False when the program is ending.
bool finishStart(PendingStart &pending, QWidget *window)
{
    std::optional<db::DbError> refused;
    const bool opened = ui::guarded(window, [&] {
        try {
            pending.connecting.get();
        } catch (const db::DbError &e) {
            refused = e;
            return;
        }
        forms().dataModule->connected();
    });
    // The box comes after the catch block.
    const db::ConnectionParams &p = pending.params;
    if (refused)
        explainConnectFailure(window, *refused,
                              p.port == 5432 ? p.server : p.server + u':' + QString::number(p.port),
                              p.database);
    if (!opened || refused) {
        ui::endProgram();
        return false;
    }
    return true;
}

} // namespace

bool startProgram(const QStringList &arguments)
{
    PendingStart pending = beginStart(arguments, nullptr);
    return finishStart(pending, nullptr);
}

bool startAndShowLogin(const QStringList &arguments)
{
    QCoreApplication::setApplicationName(QStringLiteral("tabel"));
    QCoreApplication::setOrganizationName(QStringLiteral("tabel"));
    ConnectWait connecting;
    PendingStart pending = beginStart(arguments, &connecting);
    // The window is on screen while the server is still answering. Its activation (the version
    // check) waits for the connection, and so do the keys pressed meanwhile: nobody logs in
    // before the check.
    TForm23 *login = forms().login;
    login->showBeforeActivation();
    connecting.wait();
    // The window may have been closed meanwhile; the connection is waited for all the same.
    if (!finishStart(pending, login) || ui::endRequested())
        return false;
    login->activate();
    return !ui::endRequested();
}

void buildEveryWindow()
{
    eachWindow(forms(), [](auto &slot) { slot.get(); });
}

void stopProgram()
{
    Forms &f = forms();
    eachWindow(f, [](auto &slot) { slot.clear(); });
    delete f.dataModule;
    f = Forms {};
}
