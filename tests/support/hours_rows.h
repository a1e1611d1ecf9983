#pragma once
// Rows of the hours timesheet written straight into a test's database, as another client or an
// earlier month would have left them.

#include "support/test_db.h"

#include <QMap>
#include <QStringList>

namespace testing {

using Days = QMap<int, int>; // day -> hours; the other days read 0

// One row of accounts_dep.h_tabel for a worker (his personnel number), shift, month and year.
inline void addHoursRow(const TestDatabase &db, int worker, int shift, int month, int year,
                        const Days &days)
{
    QStringList cols {QStringLiteral("w_id"), QStringLiteral("smena"), QStringLiteral("month"),
                      QStringLiteral("year")};
    QStringList vals {QString::number(worker), QString::number(shift), QString::number(month),
                      QString::number(year)};
    for (auto it = days.begin(); it != days.end(); ++it) {
        cols << QStringLiteral("d%1").arg(it.key());
        vals << QString::number(it.value());
    }
    db.exec(QStringLiteral("insert into accounts_dep.h_tabel(%1) values (%2)")
                .arg(cols.join(u','), vals.join(u',')));
}

} // namespace testing
