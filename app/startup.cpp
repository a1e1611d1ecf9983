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
#include "journal/journal_window.h"
#include "journal/material_window.h"
#include "processes/norms_window.h"
#include "processes/operation_editor.h"
#include "processes/process_list_window.h"
#include "processes/process_operations_window.h"
#include "processes/unused_operation_window.h"
#include "reports/layouts/product_summary.h"
#include "reports/layouts/products_detail.h"
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
#include <optional>

bool startProgram(const QStringList &arguments)
{
    // Before any window exists, so each one takes the Russian locale and Qt's Russian texts.
    ui::installRussian();
    ui::applyStyle(ui::readStyleFile());

    const CommandLine cl = CommandLine::fromArguments(arguments);
    const AppConfig config = AppConfig::load();
    Forms &f = forms();
    // The journal's grid shows the data module's datasets, so the module comes first.
    f.dataModule = new TDataModule6;
    f.dataModule->showHiddenCommands = config.showHiddenCommands;
    f.dataModule->keepJournalDate = config.keepJournalDate;
    f.journal = new TForm1;
    // The stored account connects before anyone logs in, for the version check; it goes to
    // the database the program was started on.
    db::ConnectionParams p;
    p.database = cl.database(config);
    p.server = cl.server(config);
    p.port = cl.port(config);
    p.login = config.login;
    p.password = config.password;
    // A refusal of the server is told in the program's words, its reason kept in the log; a
    // fault after connecting is shown as it stands. The box comes after the catch block.
    std::optional<db::DbError> refused;
    const bool opened = ui::guarded(nullptr, [&] {
        try {
            f.dataModule->openConnection(db::buildConnectionString(p));
        } catch (const db::DbError &e) {
            if (f.dataModule->ADO_DB.isOpen())
                throw;
            refused = e;
        }
    });
    if (refused)
        explainConnectFailure(nullptr, *refused,
                              p.port == 5432 ? p.server : p.server + u':' + QString::number(p.port),
                              p.database);
    if (!opened || refused) {
        ui::endProgram();
        return false;
    }
    f.login = new TForm23(cl, config);
    f.versionCheck = [] { runVersionCheck(); };

    f.workerEditor = new TForm2;
    f.items = new TForm3;
    f.processes = new TForm4;
    f.personnel = new TForm5;
    f.itemEditor = new TForm7;
    f.operationTypes = new TForm8;
    f.operationTypeEditor = new TForm9;
    f.operationEditor = new TForm10;
    f.entryEditor = new TForm11;
    f.workerReport = new TForm12;
    f.productReport = new TForm13;
    f.summaryReports = new TForm18;
    f.timesheet = new TForm19;
    f.norms = new TForm22;
    f.processOperationUnused = new TForm14;
    f.material = new TForm24;
    f.positions = new TForm26;
    f.positionEditor = new TForm27;
    f.nomenclature = new TForm28;
    f.nomenclatureEditor = new TForm29;
    f.departments = new TForm30;
    f.departmentEditor = new TForm31;
    f.roles = new TForm32;
    f.processOperations = new TForm33;
    db::Connection *connection = &f.dataModule->ADO_DB;
    f.timesheetPrint = new TForm15(connection);
    f.workersSummary = new TForm16(connection);
    f.productSummary = new TForm17(connection);
    f.workersDetail = new TForm20(connection);
    f.productsDetail = new TForm21(connection);
    f.requisitionsReport = new TForm25(connection);
    return true;
}

bool startAndShowLogin(const QStringList &arguments)
{
    QCoreApplication::setApplicationName(QStringLiteral("tabel"));
    QCoreApplication::setOrganizationName(QStringLiteral("tabel"));
    if (!startProgram(arguments))
        return false;
    forms().login->show();
    return !ui::endRequested();
}

void stopProgram()
{
    Forms &f = forms();
    QObject *all[] = {f.workerEditor,
                      f.items,
                      f.processes,
                      f.personnel,
                      f.itemEditor,
                      f.operationTypes,
                      f.operationTypeEditor,
                      f.operationEditor,
                      f.entryEditor,
                      f.workerReport,
                      f.productReport,
                      f.summaryReports,
                      f.timesheet,
                      f.norms,
                      f.processOperationUnused,
                      f.material,
                      f.positions,
                      f.positionEditor,
                      f.nomenclature,
                      f.nomenclatureEditor,
                      f.departments,
                      f.departmentEditor,
                      f.roles,
                      f.processOperations,
                      f.timesheetPrint,
                      f.workersSummary,
                      f.productSummary,
                      f.workersDetail,
                      f.productsDetail,
                      f.requisitionsReport,
                      f.login,
                      f.journal,
                      f.dataModule};
    for (QObject *o : all)
        delete o;
    f = Forms {};
}
