// What the benchmarks that drive the program's windows on the large day share: seams that
// let windows come and go at once and print any box, and the day's journal as a user has it.

#pragma once

#include "core/data_module.h"
#include "core/forms.h"
#include "db/db_error.h"
#include "journal/journal_window.h"
#include "ui/seams.h"

#include <QDateEdit>
#include <QTextStream>
#include <vector>

namespace bench {

// Windows come and go at once: only the handlers' own work is timed.
class NoModal : public ui::ModalSeam
{
public:
    int exec(QDialog *) override { return 0; }
};

// A box during a run is a fault of the run: it is printed and answered No.
class PrintedMessages : public ui::MessageSeam
{
public:
    explicit PrintedMessages(QTextStream &out)
        : m_out(out)
    {
    }
    int shown = 0;
    QMessageBox::StandardButton show(QWidget *, const QString &caption, const QString &text,
                                     ui::Icon, QMessageBox::StandardButtons buttons) override
    {
        ++shown;
        m_out << caption << ": " << text << '\n';
        return buttons & QMessageBox::No ? QMessageBox::No : QMessageBox::Ok;
    }

private:
    QTextStream &m_out;
};

// Opens shift 1 of the day in the journal at 9:00, sorted by "Кол-во" as a user may have it,
// and returns the day's open records that bench/run.sh gave a requisition line (a record
// needs one to be saved, and fewer rejects than pieces), in the order of their ids.
inline std::vector<int> openLargeDay(const QDate &day)
{
    TDataModule6 &dm = dataModule();
    TForm1 *j = forms().journal;
    ui::setFixedNow(QDateTime(day, QTime(9, 0)));
    j->currentShift = 1;
    j->DateT->setDate(day);
    db::Dataset &journal = dm.Smena1;
    journal.params().setDate(QStringLiteral("data"), day);
    journal.params().setText(QStringLiteral("OK"), QStringLiteral("ta"));
    journal.close();
    journal.open();
    journal.setSort(TForm1::sortTextFor(6, false));
    db::Dataset withLine(&dm.ADO_DB);
    withLine.setSql(QStringLiteral("select id from accounts_dep.smena where data = :day and "
                                   "id_doc_item <> 0 and ok = 'no' and brak < kol_vo order by id"));
    withLine.params().setDate(QStringLiteral("day"), day);
    withLine.open();
    std::vector<int> ids;
    for (withLine.first(); !withLine.eof(); withLine.next())
        ids.push_back(int(withLine.asInteger(QStringLiteral("id"))));
    return ids;
}

} // namespace bench
