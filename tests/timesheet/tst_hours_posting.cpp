// Hours posting: after a save, after a deletion, the month rebuild (rows, progress, all or
// nothing), postings of two clients at once, and the demo plant's hours rows.

#include "support/hours_rows.h"
#include "support/test_db.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "timesheet/hours_posting.h"

#include <QTest>
#include <chrono>
#include <future>
#include <thread>

using namespace testing;
using timesheet::HoursPosting;

namespace {

struct Rec
{
    int worker;
    int shift;
    QDate date;
    int hours;
};

const QDate kDay(2021, 3, 5); // column d5, month 3, year 2021
const QString kSenior = QStringLiteral("senior");

void addRecords(const TestDatabase &db, const QList<Rec> &records)
{
    for (const Rec &r : records) {
        db.exec(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, time) "
                               "values ('%1', %2, %3, %4)")
                    .arg(r.date.toString(Qt::ISODate))
                    .arg(r.shift)
                    .arg(r.worker)
                    .arg(r.hours));
    }
}

QString dayValues(const Days &days)
{
    QStringList v;
    for (int d = 1; d <= 31; ++d)
        v << QString::number(days.value(d));
    return v.join(QLatin1Char(','));
}

// "d1, d2, ..., d31", each as text with NULL shown as "-".
QString dayColumnsText()
{
    QStringList c;
    for (int d = 1; d <= 31; ++d)
        c << QStringLiteral("coalesce(d%1::text, '-')").arg(d);
    return c.join(QStringLiteral(", "));
}

// The day values of every hours row of the key ("row;row"), "" when there is none.
QString hoursRows(const TestDatabase &db, int worker, int shift, int month, int year)
{
    return db.scalar(QStringLiteral("select string_agg(concat_ws(',', %1), ';' order by id) "
                                    "from accounts_dep.h_tabel where w_id=%2 and smena=%3 and "
                                    "month=%4 and year=%5")
                         .arg(dayColumnsText())
                         .arg(worker)
                         .arg(shift)
                         .arg(month)
                         .arg(year));
}

// Every hours row with its id, in id order: what must not change.
QString allHoursRows(const TestDatabase &db, const QString &condition = QStringLiteral("true"))
{
    return db.scalar(QStringLiteral("select string_agg(concat_ws(',', id, w_id, smena, month, "
                                    "year, %1), E'\\n' order by id) from accounts_dep.h_tabel "
                                    "where %2")
                         .arg(dayColumnsText(), condition));
}

// The rows of a month as the day-by-day posting of every day's records leaves them, computed
// in one statement: per worker and shift number the day's sum, days without records at the
// column default.
QStringList expectedMonth(const TestDatabase &db, int month, int year)
{
    QStringList days;
    for (int d = 1; d <= 31; ++d) {
        days << QStringLiteral("coalesce((case when count(*) filter (where extract(day from "
                               "data) = %1) > 0 then coalesce(sum(time) filter (where "
                               "extract(day from data) = %1), 0) else %2 end)::text, '-')")
                    .arg(d)
                    .arg(QStringLiteral("(select column_default::integer from "
                                        "information_schema.columns where table_schema = "
                                        "'accounts_dep' and table_name = 'h_tabel' and "
                                        "column_name = 'd%1')")
                             .arg(d));
    }
    return db
        .scalar(QStringLiteral("select string_agg(r, E'\\n' order by w_id, smena) from "
                               "(select w_id, smena, concat_ws(',', w_id, smena, %1, %2, "
                               "%3) r from accounts_dep.smena where w_id is not null and "
                               "extract(month from data) = %1 and extract(year from data) "
                               "= %2 group by w_id, smena) g")
                    .arg(month)
                    .arg(year)
                    .arg(days.join(QStringLiteral(", "))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList actualMonth(const TestDatabase &db, int month, int year)
{
    return db
        .scalar(QStringLiteral("select string_agg(concat_ws(',', w_id, smena, month, year, "
                               "%1), E'\\n' order by w_id, smena) from "
                               "accounts_dep.h_tabel where month = %2 and year = %3")
                    .arg(dayColumnsText())
                    .arg(month)
                    .arg(year))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString ungrantedAdvisoryLocks(const TestDatabase &db)
{
    return db.scalar(QStringLiteral("select count(*) from pg_locks where locktype = 'advisory' "
                                    "and not granted and database = (select oid from "
                                    "pg_database where datname = current_database())"));
}

// A posting of its own client, on its own thread; the result is the error text ("" = none).
std::future<QString> postAsync(const QString &connectionString,
                               std::function<void(HoursPosting &)> posting)
{
    return std::async(std::launch::async, [connectionString, posting] {
        try {
            db::Connection c;
            c.open(connectionString);
            HoursPosting p(c);
            posting(p);
            return QString();
        } catch (const db::DbError &e) {
            return e.text();
        }
    });
}

} // namespace

Q_DECLARE_METATYPE(Rec)
Q_DECLARE_METATYPE(QList<Rec>)
Q_DECLARE_METATYPE(Days)
Q_DECLARE_METATYPE(std::optional<Days>)

class TestHoursPosting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void posting_data();
    void posting();
    void failedPostingLeavesNothing();
    void twoClientsOneRow();
    void locks_data();
    void locks();
    void brigadeDivisionTakesTheRowLock();
    void rebuildMonth_data();
    void rebuildMonth();
    void rebuildAllOrNothing_data();
    void rebuildAllOrNothing();
    void demoHoursArePosted();
};

void TestHoursPosting::posting_data()
{
    QTest::addColumn<bool>("afterDeletion");
    QTest::addColumn<QList<Rec>>("records"); // the shift records in the database
    QTest::addColumn<std::optional<Days>>("before"); // the hours row of (7, 1, 3, 2021)
    QTest::addColumn<QDate>("date");
    QTest::addColumn<std::optional<Days>>("after");

    const QList<Rec> others {{8, 1, kDay, 5}, {7, 2, kDay, 6}, {7, 1, kDay.addDays(1), 4}};
    const std::optional<Days> none;
    QTest::newRow("save: first record of the month")
        << false << (QList<Rec> {{7, 1, kDay, 8}} + others) << none << kDay
        << std::optional(Days {{5, 8}});
    QTest::newRow("save: two records summed, the rest of the row kept")
        << false << QList<Rec> {{7, 1, kDay, 8}, {7, 1, kDay, 3}}
        << std::optional(Days {{1, 4}, {5, 99}}) << kDay << std::optional(Days {{1, 4}, {5, 11}});
    QTest::newRow("save: zero hours written")
        << false << QList<Rec> {{7, 1, kDay, 0}} << none << kDay << std::optional(Days {{5, 0}});
    QTest::newRow("save: day 31") << false << QList<Rec> {{7, 1, QDate(2021, 3, 31), 7}} << none
                                  << QDate(2021, 3, 31) << std::optional(Days {{31, 7}});
    QTest::newRow("deletion: remaining hours")
        << true << (QList<Rec> {{7, 1, kDay, 3}} + others) << std::optional(Days {{1, 4}, {5, 11}})
        << kDay << std::optional(Days {{1, 4}, {5, 3}});
    QTest::newRow("deletion: nothing left that day, other days kept")
        << true << others << std::optional(Days {{1, 4}, {5, 8}}) << kDay
        << std::optional(Days {{1, 4}, {5, 0}});
    QTest::newRow("deletion: nothing left in the month, row removed")
        << true << others << std::optional(Days {{5, 8}}) << kDay << none;
    QTest::newRow("deletion: no row yet, hours remain")
        << true << QList<Rec> {{7, 1, kDay, 3}} << none << kDay << std::optional(Days {{5, 3}});
    QTest::newRow("deletion: no row, nothing left") << true << others << none << kDay << none;
}

void TestHoursPosting::posting()
{
    QFETCH(bool, afterDeletion);
    QFETCH(QList<Rec>, records);
    QFETCH(std::optional<Days>, before);
    QFETCH(QDate, date);
    QFETCH(std::optional<Days>, after);

    TestDatabase db;
    addRecords(db, records);
    if (before)
        addHoursRow(db, 7, 1, 3, 2021, *before);
    // Rows of the neighbouring keys, which no posting of (7, 1, 3, 2021) may touch.
    addHoursRow(db, 8, 1, 3, 2021, {{5, 1}});
    addHoursRow(db, 7, 2, 3, 2021, {{5, 1}});
    addHoursRow(db, 7, 1, 4, 2021, {{5, 1}});
    addHoursRow(db, 7, 1, 3, 2022, {{5, 1}});
    const QString neighbours = allHoursRows(db,
                                            QStringLiteral("not (w_id=7 and smena=1 and "
                                                           "month=3 and year=2021)"));

    db::Connection c;
    c.open(db.connectionString(kSenior, kSenior));
    HoursPosting p(c);
    if (afterDeletion)
        p.afterDeletion(7, 1, date);
    else
        p.afterSave(7, 1, date);

    QCOMPARE(hoursRows(db, 7, 1, 3, 2021), after ? dayValues(*after) : QString());
    QCOMPARE(allHoursRows(db,
                          QStringLiteral("not (w_id=7 and smena=1 and month=3 and "
                                         "year=2021)")),
             neighbours);
    QVERIFY(!c.inTransaction());
}

void TestHoursPosting::failedPostingLeavesNothing()
{
    // The deletion of the emptied row fails: the zero written before it must go as well.
    TestDatabase db;
    addHoursRow(db, 7, 1, 3, 2021, {{5, 8}});
    db.exec(QStringLiteral(
        "create function test_refuse() returns trigger language plpgsql as $$ begin raise "
        "exception 'Удаление строк табеля запрещено'; end $$; create trigger refuse before "
        "delete on accounts_dep.h_tabel for each row execute function test_refuse()"));
    db::Connection c;
    c.open(db.connectionString(kSenior, kSenior));
    HoursPosting p(c);
    try {
        p.afterDeletion(7, 1, kDay);
        QFAIL("the refused deletion was not reported");
    } catch (const db::DbError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("Удаление строк табеля запрещено")),
                 qPrintable(e.text()));
    }
    QCOMPARE(hoursRows(db, 7, 1, 3, 2021), dayValues({{5, 8}}));
    QVERIFY(!c.inTransaction());

    // The connection goes on working.
    addRecords(db, {{7, 1, kDay, 6}});
    p.afterSave(7, 1, kDay);
    QCOMPARE(hoursRows(db, 7, 1, 3, 2021), dayValues({{5, 6}}));
}

void TestHoursPosting::twoClientsOneRow()
{
    // Two clients saved a record each for the same worker and day and post at the same moment;
    // a third holds the row's lock until both wait, so both start on a month without the row.
    TestDatabase db;
    addRecords(db, {{7, 1, kDay, 5}, {7, 1, kDay, 3}});
    db::Connection holder;
    holder.open(db.connectionString());
    holder.beginTransaction();
    db::Command lock(&holder);
    lock.setText(QStringLiteral("select pg_advisory_xact_lock(cast(:key as bigint))"));
    lock.params().setInteger(QStringLiteral("key"), HoursPosting::rowLockKey(7, 1, 3, 2021));
    lock.execute();

    const QString cs = db.connectionString(kSenior, kSenior);
    auto save = [](HoursPosting &p) { p.afterSave(7, 1, kDay); };
    std::future<QString> first = postAsync(cs, save);
    std::future<QString> second = postAsync(cs, save);
    QTRY_COMPARE_WITH_TIMEOUT(ungrantedAdvisoryLocks(db), QStringLiteral("2"), 20000);
    holder.rollback();
    QCOMPARE(first.get(), QString());
    QCOMPARE(second.get(), QString());
    QCOMPARE(hoursRows(db, 7, 1, 3, 2021), dayValues({{5, 8}}));
}

void TestHoursPosting::brigadeDivisionTakesTheRowLock()
{
    // The server's division among a brigade writes hours rows too: it waits for the same lock.
    TestDatabase db(TestDatabase::From::Demo);
    const QString id = db.scalar(QStringLiteral(
        "select id from accounts_dep.smena where data = '2026-11-10' and smena = 1 and ok = 'no' "
        "order by id limit 1"));
    QVERIFY(!id.isEmpty());
    const int member
        = db.scalar(
                QStringLiteral(
                    "select min(id) from cmn_contractor.person where b_employee and s_code::int <> "
                    "(select w_id from accounts_dep.smena where id = %1)")
                    .arg(id))
              .toInt();
    db.exec(QStringLiteral("insert into accounts_dep.person_temp(id_smena, id_person) values "
                           "(%1, %2)")
                .arg(id)
                .arg(member));

    db::Connection holder;
    holder.open(db.connectionString());
    holder.beginTransaction();
    db::Command lock(&holder);
    lock.setText(QStringLiteral("select pg_advisory_xact_lock(cast(:key as bigint))"));
    lock.params().setInteger(QStringLiteral("key"), HoursPosting::rowLockKey(member, 1, 11, 2026));
    lock.execute();

    db::Connection c;
    c.open(db.connectionString());
    db::Command divide(&c);
    divide.setText(QStringLiteral("set lock_timeout = 300"));
    divide.execute();
    divide.setText(QStringLiteral("select accounts_dep.divide_between_person(%1)").arg(id));
    try {
        divide.execute();
        QFAIL("the division did not wait for the row's lock");
    } catch (const db::DbError &e) {
        QCOMPARE(e.sqlState(), QStringLiteral("55P03"));
    }
    holder.rollback();
    divide.execute();
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from accounts_dep.h_tabel where w_id = %1 "
                                      "and smena = 1 and month = 11 and year = 2026 and d10 > 0")
                           .arg(member)),
             QStringLiteral("1"));
}

void TestHoursPosting::locks_data()
{
    // The lock another client holds, what this client runs, whether it has to wait.
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("run");
    QTest::addColumn<bool>("waits");
    QTest::newRow("row: same key") << "row"
                                   << "save 7 1 2021-03-05" << true;
    QTest::newRow("row: another worker") << "row"
                                         << "save 8 1 2021-03-05" << false;
    QTest::newRow("row: another shift number") << "row"
                                               << "save 7 2 2021-03-05" << false;
    QTest::newRow("row: another month") << "row"
                                        << "save 7 1 2021-04-05" << false;
    QTest::newRow("row: another year") << "row"
                                       << "save 7 1 2022-03-05" << false;
    QTest::newRow("row: deletion of the same key") << "row"
                                                   << "delete 7 1 2021-03-20" << true;
    QTest::newRow("posting running: rebuild of its month") << "month shared"
                                                           << "rebuild 3 2021" << true;
    QTest::newRow("posting running: rebuild of another month") << "month shared"
                                                               << "rebuild 4 2021" << false;
    QTest::newRow("rebuild running: posting in its month") << "month exclusive"
                                                           << "save 9 3 2021-03-31" << true;
    QTest::newRow("rebuild running: posting in another month") << "month exclusive"
                                                               << "save 9 3 2021-02-28" << false;
}

void TestHoursPosting::locks()
{
    QFETCH(QString, held);
    QFETCH(QString, run);
    QFETCH(bool, waits);

    TestDatabase db;
    db::Connection holder;
    holder.open(db.connectionString());
    holder.beginTransaction();
    db::Command lock(&holder);
    if (held == QLatin1String("row")) {
        lock.setText(QStringLiteral("select pg_advisory_xact_lock(cast(:key as bigint))"));
        lock.params().setInteger(QStringLiteral("key"), HoursPosting::rowLockKey(7, 1, 3, 2021));
    } else {
        lock.setText(QStringLiteral("select pg_advisory_xact_lock%1(cast(:cls as integer), "
                                    "cast(:key as integer))")
                         .arg(held.endsWith(QLatin1String("shared")) ? QStringLiteral("_shared")
                                                                     : QString()));
        lock.params().setInteger(QStringLiteral("cls"), HoursPosting::monthLockClass());
        lock.params().setInteger(QStringLiteral("key"), HoursPosting::monthLockKey(3, 2021));
    }
    lock.execute();

    const QStringList words = run.split(QLatin1Char(' '));
    std::future<QString> done
        = postAsync(db.connectionString(kSenior, kSenior), [words](HoursPosting &p) {
              if (words[0] == QLatin1String("rebuild")) {
                  p.rebuildMonth(words[1].toInt(), words[2].toInt());
                  return;
              }
              const QDate date = QDate::fromString(words[3], Qt::ISODate);
              if (words[0] == QLatin1String("save"))
                  p.afterSave(words[1].toInt(), words[2].toInt(), date);
              else
                  p.afterDeletion(words[1].toInt(), words[2].toInt(), date);
          });
    if (waits) {
        QTRY_COMPARE_WITH_TIMEOUT(ungrantedAdvisoryLocks(db), QStringLiteral("1"), 20000);
        QVERIFY(done.wait_for(std::chrono::milliseconds(300)) == std::future_status::timeout);
    } else {
        const bool finished = done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        holder.rollback();
        QVERIFY2(finished, "the posting waited for a lock of another key");
    }
    holder.rollback();
    QCOMPARE(done.get(), QString());
}

void TestHoursPosting::rebuildMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("nullDefaults"); // day columns without a default
    QTest::newRow("November 2026") << 11 << 2026 << false;
    QTest::newRow("November 2026, day columns without default") << 11 << 2026 << true;
    QTest::newRow("December 2026") << 12 << 2026 << false;
    QTest::newRow("February 2027, no records") << 2 << 2027 << false;
}

void TestHoursPosting::rebuildMonth()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(bool, nullDefaults);

    TestDatabase db(TestDatabase::From::Demo);
    if (nullDefaults) {
        QStringList alter;
        for (int d = 1; d <= 31; ++d)
            alter << QStringLiteral("alter column d%1 drop default").arg(d);
        db.exec(QStringLiteral("alter table accounts_dep.h_tabel ") + alter.join(','));
    }
    // A day whose only record has no hours, a record without a worker, and a stale row of a
    // worker without records in the month.
    const QString w = db.scalar(QStringLiteral("select min(w_id) from accounts_dep.smena"));
    db.exec(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, time) values "
                           "(make_date(%1, %2, 1), 4, %3, 0), (make_date(%1, %2, 2), 1, null, 5)")
                .arg(year)
                .arg(month)
                .arg(w));
    addHoursRow(db, 999, 2, month, year, {{3, 7}});
    const QString condition = QStringLiteral("not (month = %1 and year = %2)").arg(month).arg(year);
    const QString otherMonths = allHoursRows(db, condition);
    const QStringList expected = expectedMonth(db, month, year);
    QVERIFY(!expected.join('\n').contains(QStringLiteral("999,")));

    db::Connection c;
    c.open(db.connectionString(kSenior, kSenior));
    QList<int> days;
    HoursPosting(c).rebuildMonth(month, year, [&](int day) { days << day; });

    const QStringList actual = actualMonth(db, month, year);
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i)
        QCOMPARE(actual[i], expected[i]);
    QCOMPARE(allHoursRows(db, condition), otherMonths);
    QList<int> everyDay;
    for (int d = 1; d <= QDate(year, month, 1).daysInMonth(); ++d)
        everyDay << d;
    QCOMPARE(days, everyDay);
    QVERIFY(!c.inTransaction());
}

void TestHoursPosting::rebuildAllOrNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("stopped on day 15") << "stop";
    QTest::newRow("server refuses a row") << "refuse";
    QTest::newRow("connection lost on day 10") << "lost";
}

void TestHoursPosting::rebuildAllOrNothing()
{
    QFETCH(QString, fault);

    TestDatabase db(TestDatabase::From::Demo);
    // Rows the rebuild would change: a stale one and a wrong day.
    addHoursRow(db, 999, 2, 11, 2026, {{3, 7}});
    db.exec(QStringLiteral("update accounts_dep.h_tabel set d2 = 77 where month = 11"));
    if (fault == QLatin1String("refuse")) {
        db.exec(QStringLiteral(
            "create function test_refuse() returns trigger language plpgsql as $$ begin "
            "if new.smena = 3 then raise exception 'Строка табеля отклонена'; end if; return "
            "new; end $$; create trigger refuse before insert on accounts_dep.h_tabel for each "
            "row execute function test_refuse()"));
    }
    const QString before = allHoursRows(db);

    db::Connection c;
    c.open(db.connectionString(kSenior, kSenior));
    db::Command pid(&c);
    pid.setText(QStringLiteral("select pg_backend_pid()"));
    const QString backend = pid.executeScalar().toString();
    HoursPosting p(c);
    int lastDay = 0;
    auto progress = [&](int day) {
        lastDay = day;
        if (fault == QLatin1String("stop") && day == 15)
            throw std::runtime_error("stopped");
        if (fault == QLatin1String("lost") && day == 10)
            db.exec(QStringLiteral("select pg_terminate_backend(%1)").arg(backend));
    };
    QVERIFY_THROWS_EXCEPTION(std::exception, p.rebuildMonth(11, 2026, progress));
    QCOMPARE(lastDay,
             fault == QLatin1String("refuse")     ? 30
                 : fault == QLatin1String("stop") ? 15
                                                  : 10);
    QVERIFY(!c.inTransaction());
    QCOMPARE(allHoursRows(db), before);

    // Running it again (the fault gone) rebuilds the month on the same connection.
    db.exec(QStringLiteral("drop trigger if exists refuse on accounts_dep.h_tabel"));
    p.rebuildMonth(11, 2026);
    QCOMPARE(actualMonth(db, 11, 2026), expectedMonth(db, 11, 2026));
}

// The demo plant's hours rows are what the program makes of its records: a month rebuild of
// each month with records changes none of them.
void TestHoursPosting::demoHoursArePosted()
{
    TestDatabase db(TestDatabase::From::Demo);
    const QStringList months
        = db.scalar(QStringLiteral("select string_agg(distinct to_char(data, 'MM YYYY'), ',') "
                                   "from accounts_dep.smena"))
              .split(QLatin1Char(','), Qt::SkipEmptyParts);
    QVERIFY(!months.isEmpty());
    db::Connection c;
    c.open(db.connectionString(kSenior, kSenior));
    for (const QString &m : months) {
        const int month = m.section(QLatin1Char(' '), 0, 0).toInt();
        const int year = m.section(QLatin1Char(' '), 1, 1).toInt();
        const QStringList stored = actualMonth(db, month, year);
        QVERIFY2(!stored.isEmpty(), qPrintable(m));
        HoursPosting(c).rebuildMonth(month, year);
        QCOMPARE(actualMonth(db, month, year), stored);
    }
}

QTEST_MAIN(TestHoursPosting)
#include "tst_hours_posting.moc"
