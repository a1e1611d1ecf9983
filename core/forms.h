#pragma once
// The window registry: one instance of every window, created at start and reachable by all.

#include <functional>

class TDataModule6;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;
class TForm16;
class TForm17;
class TForm18;
class TForm19;
class TForm20;
class TForm21;
class TForm22;
class TForm23;
class TForm24;
class TForm25;
class TForm26;
class TForm27;
class TForm28;
class TForm29;
class TForm30;
class TForm31;
class TForm32;
class TForm33;

struct Forms
{
    TDataModule6 *dataModule = nullptr;
    TForm1 *journal = nullptr;
    TForm2 *workerEditor = nullptr;
    TForm3 *items = nullptr;
    TForm4 *processes = nullptr;
    TForm5 *personnel = nullptr;
    TForm7 *itemEditor = nullptr;
    TForm8 *operationTypes = nullptr;
    TForm9 *operationTypeEditor = nullptr;
    TForm10 *operationEditor = nullptr;
    TForm11 *entryEditor = nullptr;
    TForm12 *workerReport = nullptr;
    TForm13 *productReport = nullptr;
    TForm14 *processOperationUnused = nullptr;
    TForm18 *summaryReports = nullptr;
    TForm19 *timesheet = nullptr;
    TForm22 *norms = nullptr;
    TForm23 *login = nullptr;
    TForm24 *material = nullptr;
    TForm26 *positions = nullptr;
    TForm27 *positionEditor = nullptr;
    TForm28 *nomenclature = nullptr;
    TForm29 *nomenclatureEditor = nullptr;
    TForm30 *departments = nullptr;
    TForm31 *departmentEditor = nullptr;
    TForm32 *roles = nullptr;
    TForm33 *processOperations = nullptr;
    // The printed layouts, each with its own query.
    TForm15 *timesheetPrint = nullptr;
    TForm16 *workersSummary = nullptr;
    TForm17 *productSummary = nullptr;
    TForm20 *workersDetail = nullptr;
    TForm21 *productsDetail = nullptr;
    TForm25 *requisitionsReport = nullptr;

    // The version check lives with the login; the journal's timer reaches it through here.
    std::function<void()> versionCheck;
};

Forms &forms();
TDataModule6 &dataModule();
