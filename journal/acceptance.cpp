#include "acceptance.h"

#include "journal_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/transaction.h"
#include "timesheet/hours_posting.h"
#include "ui/seams.h"

namespace {

const QString kNoMaterials = QStringLiteral("Не заведен расход ТМЦ!");

bool isAccepted(const db::Dataset &ds)
{
    return ds.asString(QStringLiteral("ok")) == QLatin1String("ok");
}

bool recordExists(qint64 id)
{
    db::Command exists(&dataModule().ADO_DB);
    exists.setText(QStringLiteral("select count(*) from accounts_dep.smena where id = :id"));
    exists.params().setInteger(QStringLiteral("id"), id);
    return exists.executeScalar().toLongLong() > 0;
}

} // namespace

void JournalAcceptance::acceptCurrent(db::Dataset &journal)
{
    if (isAccepted(journal))
        return;
    const qint64 id = journal.asInteger(QStringLiteral("id"));
    db::Connection &c = dataModule().ADO_DB;
    db::Dataset smena_gds_use_cnt(&c);
    smena_gds_use_cnt.setSql(QStringLiteral("select count(id) as id_cnt from "
                                            "accounts_dep.smena_gds_use sgu where sgu.id_smena "
                                            "= :id_smena"));
    smena_gds_use_cnt.params().setInteger(QStringLiteral("id_smena"), id);
    smena_gds_use_cnt.open();
    const qint64 materialRows = smena_gds_use_cnt.asInteger(QStringLiteral("id_cnt"));
    smena_gds_use_cnt.close();
    if (materialRows > 0) {
        db::Command smena_accept_row(&c);
        smena_accept_row.setText(QStringLiteral("select accounts_dep.smena__accept_row_hwo(:id)"));
        smena_accept_row.params().setInteger(QStringLiteral("id"), id);
        try {
            smena_accept_row.execute();
        } catch (const db::DbError &e) {
            // The rows went since they were counted: the server counts again under a lock and
            // refuses as the count would have; the other records are still accepted.
            if (e.text() != kNoMaterials)
                throw;
            ui::showError(&m_journal, kNoMaterials);
        }
    } else {
        ui::showError(&m_journal, kNoMaterials);
    }
}

void JournalAcceptance::acceptSelected()
{
    db::Dataset &ds = m_journal.currentJournal();
    if (ds.isEmpty())
        return;
    const QList<db::Dataset::Bookmark> selected = m_journal.DBGrid2->selectedBookmarks();
    if (selected.isEmpty()) {
        acceptCurrent(ds);
    } else {
        for (db::Dataset::Bookmark b : selected) {
            ds.gotoBookmark(b);
            acceptCurrent(ds);
        }
    }
    // Back at the row visited last, in the sort the user had.
    m_journal.reloadKeepingOrder(true, ds.recNo());
}

void JournalAcceptance::acceptAll()
{
    db::Dataset &ds = m_journal.currentJournal();
    const int row = ds.recNo();
    const int count = ds.recordCount();
    if (count > 0)
        ds.first();
    for (int i = 0; i < count; ++i) {
        acceptCurrent(ds);
        ds.next();
    }
    m_journal.reloadKeepingOrder(true, row);
}

void JournalAcceptance::deleteCurrent()
{
    db::Dataset &ds = m_journal.currentJournal();
    const QDate date = m_journal.journalDate();
    if (ds.isEmpty() || ds.isNull(QStringLiteral("id")))
        return;
    const qint64 id = ds.asInteger(QStringLiteral("id"));
    if (isAccepted(ds)) {
        m_journal.tellAcceptedRefusal(id, true);
        return;
    }
    TDataModule6 &dm = dataModule();
    // The journal is a snapshot: another client may have accepted the record since, and an
    // accepted record stays. The worker comes back from the row that was deleted.
    dm.DelSmena.setText(QStringLiteral("delete from accounts_dep.smena where id=:id and ok is "
                                       "distinct from 'ok' returning coalesce(w_id, 0)"));
    dm.DelSmena.params().clear();
    dm.DelSmena.params().setInteger(QStringLiteral("id"), id);
    const bool yes = ui::askYesNo(&m_journal, QStringLiteral("Удаление"),
                                  QStringLiteral("Удалить позицию из списка?"));
    if (yes) {
        // The record and the hours it leaves are one change, as on saving: a failure (or a lost
        // server) between them must not leave the day's hours counting a deleted record.
        db::Connection &c = dm.ADO_DB;
        bool acceptedMeanwhile = false;
        {
            db::Transaction transaction(c);
            const QVariant deleted = dm.DelSmena.executeScalar();
            if (!deleted.isNull()) {
                timesheet::HoursPosting(c).afterDeletion(int(deleted.toLongLong()),
                                                         m_journal.currentShift, date);
            } else {
                // No row came back: the record was accepted meanwhile (one deleted by another
                // client meanwhile is simply gone, with its hours posted by that client).
                acceptedMeanwhile = recordExists(id);
            }
            transaction.commit();
        }
        if (acceptedMeanwhile)
            ui::showError(
                &m_journal,
                QStringLiteral("Запись журнала № %1 уже принята: удалить её нельзя").arg(id));
    }
    ds.close();
    ds.open();
}
