#pragma once
// Hours posting: the worked hours of the shift records summed per worker, shift number and day
// into the monthly hours rows (accounts_dep.h_tabel). The only writer of hours rows.

#include <QDate>
#include <functional>

namespace db {
class Connection;
}

namespace timesheet {

class HoursPosting
{
public:
    // Posts on the data module's connection.
    HoursPosting();
    explicit HoursPosting(db::Connection &connection);

    // After a shift record was saved: the day's sum of the worker's hours in that shift number
    // goes into the day column, the hours row is made when there is none yet.
    void afterSave(int worker, int shift, const QDate &date);
    // After a shift record was deleted: the day's remaining sum goes into the day column (0
    // included); a row left with no hours on any day is removed; a worker without a row that
    // still has hours that day gets one.
    void afterDeletion(int worker, int shift, const QDate &date);

    // Called with each day of the month as the rebuild reaches it (1, 2, ... last day).
    using Progress = std::function<void(int day)>;
    // Clears the month's hours rows of every worker and shift number and posts every day of
    // the month again from the shift records; all or nothing.
    void rebuildMonth(int month, int year, const Progress &progress = {});

    // Every writer of hours rows serializes on these transaction-scoped advisory locks: the
    // key of one (worker, shift number, month, year), taken exclusively by a posting, and the
    // key of a month, taken shared by a posting and exclusively by the rebuild.
    static qint64 rowLockKey(int worker, int shift, int month, int year);
    static int monthLockClass() { return 0x48544142; } // the two-key lock space: (class, month)
    static int monthLockKey(int month, int year) { return year * 12 + month - 1; }

private:
    enum class After { Save, Deletion };
    void post(After after, int worker, int shift, const QDate &date);
    // Runs fn in a transaction of its own (or in the caller's, when one is open), rolled back
    // on the first error.
    void inTransaction(const std::function<void()> &fn);

    db::Connection &m_connection;
};

} // namespace timesheet
