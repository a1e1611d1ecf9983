#pragma once
// The window registry: one instance of every window, reachable by all. The data module and the
// login are made at start; every other window is built the first time it is reached, so the
// start does not pay for windows the clerk may never open.

#include <QtGlobal>

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
class TForm34;

// One window of the registry: reaching it (->, or as a pointer) builds it on first use.
template<class T>
class FormSlot
{
public:
    // `make` builds the window and `destroy` deletes it; the registry knows only the name.
    void define(std::function<T *()> make, std::function<void(T *)> destroy)
    {
        m_make = std::move(make);
        m_destroy = std::move(destroy);
    }
    T *get()
    {
        if (!m_window && m_make) {
            // A window reaching itself while it is being built would get a second instance.
            if (m_building)
                qFatal("A window of the registry reached itself while being built");
            m_building = true;
            m_window = m_make();
            m_building = false;
        }
        return m_window;
    }
    T *operator->() { return get(); }
    operator T *() { return get(); }
    bool isBuilt() const { return m_window != nullptr; }
    // Deletes the window if it was built; the slot is empty afterwards.
    void clear()
    {
        if (m_window && m_destroy)
            m_destroy(m_window);
        m_window = nullptr;
        m_make = nullptr;
        m_destroy = nullptr;
    }

private:
    T *m_window = nullptr;
    bool m_building = false;
    std::function<T *()> m_make;
    std::function<void(T *)> m_destroy;
};

struct Forms
{
    TDataModule6 *dataModule = nullptr;
    FormSlot<TForm1> journal;
    FormSlot<TForm2> workerEditor;
    FormSlot<TForm3> items;
    FormSlot<TForm4> processes;
    FormSlot<TForm5> personnel;
    FormSlot<TForm7> itemEditor;
    FormSlot<TForm8> operationTypes;
    FormSlot<TForm9> operationTypeEditor;
    FormSlot<TForm10> operationEditor;
    FormSlot<TForm11> entryEditor;
    FormSlot<TForm12> workerReport;
    FormSlot<TForm13> productReport;
    FormSlot<TForm14> processOperationUnused;
    FormSlot<TForm18> summaryReports;
    FormSlot<TForm19> timesheet;
    FormSlot<TForm22> norms;
    FormSlot<TForm23> login;
    FormSlot<TForm24> material;
    FormSlot<TForm26> positions;
    FormSlot<TForm27> positionEditor;
    FormSlot<TForm28> nomenclature;
    FormSlot<TForm29> nomenclatureEditor;
    FormSlot<TForm30> departments;
    FormSlot<TForm31> departmentEditor;
    FormSlot<TForm32> roles;
    FormSlot<TForm33> processOperations;
    FormSlot<TForm34> history;
    // The printed layouts, each with its own query.
    FormSlot<TForm15> timesheetPrint;
    FormSlot<TForm16> workersSummary;
    FormSlot<TForm17> productSummary;
    FormSlot<TForm20> workersDetail;
    FormSlot<TForm21> productsDetail;
    FormSlot<TForm25> requisitionsReport;

    // The version check lives with the login; the journal's timer reaches it through here.
    std::function<void()> versionCheck;
};

Forms &forms();
TDataModule6 &dataModule();

// Visits every window slot of the registry, the journal and the login last (they are the last
// to go when the program ends).
template<class Visit>
void eachWindow(Forms &f, Visit &&visit)
{
    visit(f.workerEditor);
    visit(f.items);
    visit(f.processes);
    visit(f.personnel);
    visit(f.itemEditor);
    visit(f.operationTypes);
    visit(f.operationTypeEditor);
    visit(f.operationEditor);
    visit(f.entryEditor);
    visit(f.workerReport);
    visit(f.productReport);
    visit(f.summaryReports);
    visit(f.timesheet);
    visit(f.norms);
    visit(f.processOperationUnused);
    visit(f.material);
    visit(f.positions);
    visit(f.positionEditor);
    visit(f.nomenclature);
    visit(f.nomenclatureEditor);
    visit(f.departments);
    visit(f.departmentEditor);
    visit(f.roles);
    visit(f.processOperations);
    visit(f.history);
    visit(f.timesheetPrint);
    visit(f.workersSummary);
    visit(f.productSummary);
    visit(f.workersDetail);
    visit(f.productsDetail);
    visit(f.requisitionsReport);
    visit(f.login);
    visit(f.journal);
}
