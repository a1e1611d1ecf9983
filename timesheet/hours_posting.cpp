#include "hours_posting.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/transaction.h"

#include <QStringList>
#include <array>
#include <map>
#include <optional>

namespace timesheet {

namespace {

constexpr int kDays = 31;

// The day column of a day of the month: built from the number alone, never from input text.
QString dayColumn(int day)
{
    Q_ASSERT(day >= 1 && day <= kDays);
    return QStringLiteral("d") + QString::number(day);
}

void setRowKey(db::Params &p, int worker, int shift, int month, int year)
{
    p.setInteger(QStringLiteral("w_id"), worker);
    p.setInteger(QStringLiteral("smena"), shift);
    p.setInteger(QStringLiteral("month"), month);
    p.setInteger(QStringLiteral("year"), year);
}

const QString kRowCondition
    = QStringLiteral(" where w_id=:w_id and smena=:smena and month=:month and year=:year");

void lockMonth(db::Connection &c, int month, int year, bool exclusive)
{
    db::Command lock(&c);
    lock.setText(exclusive
                     ? QStringLiteral("select pg_advisory_xact_lock(cast(:cls as integer), "
                                      "cast(:key as integer))")
                     : QStringLiteral("select pg_advisory_xact_lock_shared(cast(:cls as integer), "
                                      "cast(:key as integer))"));
    lock.params().setInteger(QStringLiteral("cls"), HoursPosting::monthLockClass());
    lock.params().setInteger(QStringLiteral("key"), HoursPosting::monthLockKey(month, year));
    lock.execute();
}

// A text array literal for a parameter: "{1,2,3}".
QString arrayText(const QList<int> &values)
{
    QStringList parts;
    parts.reserve(values.size());
    for (int v : values)
        parts << QString::number(v);
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

} // namespace

HoursPosting::HoursPosting()
    : m_connection(dataModule().ADO_DB)
{
}

HoursPosting::HoursPosting(db::Connection &connection)
    : m_connection(connection)
{
}

qint64 HoursPosting::rowLockKey(int worker, int shift, int month, int year)
{
    // The worker in the high half; month, year and shift number in the low half, so no two
    // rows of shift numbers 0 to 15 share a key.
    const quint64 low
        = (quint64(quint32(year)) * 12 + quint32(month - 1)) * 16 + quint32(shift & 15);
    return qint64((quint64(quint32(worker)) << 32) | (low & 0xffffffffu));
}

void HoursPosting::inTransaction(const std::function<void()> &fn)
{
    db::Transaction transaction(m_connection);
    fn();
    transaction.commit();
}

void HoursPosting::afterSave(int worker, int shift, const QDate &date)
{
    // The timesheet reads the rows again when it is next shown.
    if (forms().dataModule) {
        TDataModule6 &dm = dataModule();
        for (db::Dataset *ds : {&dm.H_Tabel_1, &dm.H_Tabel_2, &dm.H_Tabel_3})
            ds->close();
    }
    post(After::Save, worker, shift, date);
}

void HoursPosting::afterDeletion(int worker, int shift, const QDate &date)
{
    post(After::Deletion, worker, shift, date);
}

void HoursPosting::post(After after, int worker, int shift, const QDate &date)
{
    if (!date.isValid())
        throw db::DbError(QStringLiteral("Дата для табеля не задана"));
    const int month = date.month();
    const int year = date.year();
    const QString day = dayColumn(date.day());
    inTransaction([&] {
        lockMonth(m_connection, month, year, false);
        db::Command q(&m_connection);
        q.setText(QStringLiteral("select pg_advisory_xact_lock(cast(:key as bigint))"));
        q.params().setInteger(QStringLiteral("key"), rowLockKey(worker, shift, month, year));
        q.execute();

        setRowKey(q.params(), worker, shift, month, year);
        q.setText(QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel")
                  + kRowCondition);
        const qint64 count = q.executeScalar().toLongLong();

        q.params().setDate(QStringLiteral("data"), date);
        q.setText(QStringLiteral("select sum(time) as tim from accounts_dep.smena where "
                                 "w_id=:w_id and smena=:smena and data=:data group by w_id, "
                                 "smena, data"));
        const qint64 hours = q.executeScalar().toLongLong(); // no row (or no hours) reads 0
        q.params().setInteger(QStringLiteral("hours"), hours);

        if (count == 0) {
            // After a deletion that leaves nothing, a row of zeros would only clutter the list.
            if (after == After::Save || hours != 0) {
                q.setText(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, "
                                         "year, %1) values(:smena, :w_id, :month, :year, "
                                         ":hours)")
                              .arg(day));
                q.execute();
            }
            return;
        }
        q.setText(QStringLiteral("update accounts_dep.h_tabel set %1=:hours").arg(day)
                  + kRowCondition);
        q.execute();
        if (after == After::Deletion && hours == 0) {
            // The row goes only when no day of the month has hours left.
            QStringList empty;
            for (int d = 1; d <= kDays; ++d)
                empty << QStringLiteral("coalesce(%1, 0)=0").arg(dayColumn(d));
            q.setText(QStringLiteral("delete from accounts_dep.h_tabel") + kRowCondition
                      + QStringLiteral(" and ") + empty.join(QStringLiteral(" and ")));
            q.execute();
        }
    });
}

void HoursPosting::rebuildMonth(int month, int year, const Progress &progress)
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        throw db::DbError(QStringLiteral("Неверный месяц табеля: %1.%2").arg(month).arg(year));
    const int days = first.daysInMonth();

    inTransaction([&] {
        lockMonth(m_connection, month, year, true);
        db::Command cmd(&m_connection);
        cmd.params().setInteger(QStringLiteral("month"), month);
        cmd.params().setInteger(QStringLiteral("year"), year);
        cmd.setText(QStringLiteral("delete from accounts_dep.h_tabel where month=:month and "
                                   "year=:year"));
        cmd.execute();

        // The day groups are read day by day (the progress follows them) and gathered here;
        // the rows are written together at the end, each worker and shift number once.
        using Hours = std::array<std::optional<int>, kDays>;
        std::map<std::pair<int, int>, Hours> rows; // (shift number, worker) -> hours per day
        db::Dataset dt(&m_connection);
        dt.setSql(QStringLiteral(" select smena, w_id, sum(time) as tim from accounts_dep.smena "
                                 "where data=:data group by smena,w_id;"));
        for (int day = 1; day <= days; ++day) {
            dt.params().setDate(QStringLiteral("data"), QDate(year, month, day));
            dt.open();
            for (dt.first(); !dt.eof(); dt.next()) {
                // A record without a worker has no hours row to go to.
                if (dt.isNull(QStringLiteral("w_id")))
                    continue;
                const std::pair key(int(dt.asInteger(QStringLiteral("smena"))),
                                    int(dt.asInteger(QStringLiteral("w_id"))));
                rows[key][day - 1] = int(dt.asInteger(QStringLiteral("tim")));
            }
            dt.close();
            if (progress)
                progress(day);
        }

        // Rows with the same days posted share one insert; the days without records are left
        // out of it and keep the column default, as a day-by-day posting leaves them.
        std::map<quint32, std::vector<std::pair<std::pair<int, int>, const Hours *>>> byDays;
        for (const auto &[key, hours] : rows) {
            quint32 mask = 0;
            for (int d = 0; d < kDays; ++d) {
                if (hours[d])
                    mask |= 1u << d;
            }
            byDays[mask].push_back({key, &hours});
        }
        for (const auto &[mask, group] : byDays) {
            QList<int> shifts, workers;
            for (const auto &[key, hours] : group) {
                shifts << key.first;
                workers << key.second;
            }
            cmd.params().setText(QStringLiteral("s"), arrayText(shifts));
            cmd.params().setText(QStringLiteral("w"), arrayText(workers));
            QStringList columns, values, arrays;
            for (int d = 0; d < kDays; ++d) {
                if (!(mask & (1u << d)))
                    continue;
                const QString col = dayColumn(d + 1);
                QList<int> dayHours;
                for (const auto &[key, hours] : group)
                    dayHours << *(*hours)[d];
                cmd.params().setText(col, arrayText(dayHours));
                columns << QStringLiteral(", ") + col;
                values << QStringLiteral(", u.") + col;
                arrays << QStringLiteral(", cast(:%1 as integer[])").arg(col);
            }
            cmd.setText(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, "
                                       "year")
                        + columns.join(QString())
                        + QStringLiteral(") select u.s, u.w, :month, :year")
                        + values.join(QString())
                        + QStringLiteral(" from unnest(cast(:s as integer[]), cast(:w as "
                                         "integer[])")
                        + arrays.join(QString()) + QStringLiteral(") as u(s, w")
                        + columns.join(QString()) + QStringLiteral(")"));
            cmd.execute();
        }
    });
}

} // namespace timesheet
