#pragma once
// What the lists hand over in chooser mode, and how their callers open them. Each receiving
// window (entry editor, process operations, operation editor) holds one of these as a public
// field; the field registers itself when built, so a list writes into it without including that
// window's header.

#include <QString>

// How a caller opens a list as a chooser (DirectoryWindow::showAsChooser). The delete button is
// always hidden; the rest differs between the callers, each of which names its openings.
struct ChooserOpening
{
    int tag = 1; // the list's mode: any value but 0 makes its change button choose
    bool captionChoose = true; // the change button reads "Выбрать"
    bool hideAdd = true;
    bool clearFilter = true; // the filter edit shown and emptied, so the whole list shows
    bool chooseIsDefault = true;
    // What the caller puts back when the list returns.
    bool plainChooseAfter = false; // the change button no longer the default
    bool hideFilterAfter = false;
    bool restoreAfter = false; // add and delete shown, the change button "Изменить" again
};

template<typename Target>
class HandOverTarget
{
public:
    // The one field of the program that receives this kind of pick; nullptr when none exists.
    static Target *current() { return static_cast<Target *>(s_current); }

    HandOverTarget(const HandOverTarget &) = delete;
    HandOverTarget &operator=(const HandOverTarget &) = delete;

protected:
    HandOverTarget() { s_current = this; }
    ~HandOverTarget()
    {
        if (s_current == this)
            s_current = nullptr;
    }

private:
    static inline HandOverTarget *s_current = nullptr;
};

// The personnel list's pick for the entry editor (the worker of a record, a brigade member).
struct WorkerTarget : HandOverTarget<WorkerTarget>
{
    QString name; // s_caption, trimmed
    int workerNumber = 0; // the person's row key, written as the record's worker number
    int personKey = 0; // the same key, for the brigade rows
};

// The items list's pick: the process operations window's current item.
struct ItemTarget : HandOverTarget<ItemTarget>
{
    QString mark; // marka, trimmed
    int id = 0;
};

// The operation types list's pick: the operation editor's type.
struct OperationTypeTarget : HandOverTarget<OperationTypeTarget>
{
    QString name; // s_caption, trimmed
    int id = 0;
};

// The operation chooser's pick (process list, then the process's operations): the entry editor's
// operation. Written only when the user picks an operation; a list closed without one leaves it.
struct OperationTarget : HandOverTarget<OperationTarget>
{
    bool picked = false; // set by the pick; the entry editor clears it before opening the chooser
    int operationId = 0; // operation.id
    int itemId = 0; // operation.id_inventory_items
    double price = 0; // the operation's price, the record's final price
    QString text; // "marka; s_type; Готовая продукция|Заготовки"
};
