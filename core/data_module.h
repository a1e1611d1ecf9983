#pragma once
// The data module: the program's one connection and the datasets and commands the windows share.

#include "db/connection.h"
#include "db/dataset.h"

#include <QObject>

class TDataModule6 : public QObject
{
    Q_OBJECT
public:
    explicit TDataModule6(QObject *parent = nullptr);

    db::Connection ADO_DB;

    // Journal of one date, one dataset per shift number (4 = overtime).
    db::Dataset Smena1, Smena2, Smena3, Smena4;
    // The dataset of a shift number; any other number counts as 1.
    db::Dataset &journal(int shift);

    db::Dataset ver; // the version record (a table)
    db::Dataset Control; // one-off queries: text replaced, opened, one field read, closed
    db::Command DelSmena; // deletions of shift and hours rows
    db::Command H_Tabel_ins;
    db::Command cmd_all; // the directories' inserts, updates and deletes

    // Shared lists of the directories, processes and timesheet.
    db::Dataset workers, department, staffpos, role, nomenclature, inventory_items, operation_type,
        proc_tech, operation, H_Tabel_1, H_Tabel_2, H_Tabel_3;

    // A dataset of the module by its name ("workers", "Smena1"); nullptr when none.
    db::Dataset *findDataset(const QString &name);

    // Shows the commands the delivered layout hides (tabel.conf "show_hidden_commands"); the
    // access modes still enable and disable them. Windows read it each time they are shown.
    bool showHiddenCommands = false;
    // The journal keeps its date across returns from other windows (tabel.conf
    // "keep_journal_date"); off, each return puts it back on today.
    bool keepJournalDate = false;

    // The decimal separator of numbers put into statement text, read by every version check.
    QString decimalSeparator;
    // A typed number for statement text: the first "," (or, when there is none, the first ".")
    // becomes the decimal separator; a text with neither is returned unchanged.
    QString toSqlDecimal(const QString &typed) const;

    // Opens the connection and the datasets that are open from the start (roles).
    void openConnection(const QString &connectionString);
    // What the module reads once the stored account is connected (ADO_DB opened elsewhere).
    void connected();

private:
    QList<db::Dataset *> m_datasets;
};
