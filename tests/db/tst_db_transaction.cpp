// The transaction guard against the server: what a guard left uncommitted undoes (rows and
// advisory locks), what commit keeps, joining a transaction already open, and a session lost
// inside one. What the guard's session holds is always read from another session.

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/transaction.h"
#include "support/test_db.h"

#include <QTest>
#include <memory>

using namespace db;

class TestDbTransaction : public QObject
{
    Q_OBJECT
    std::unique_ptr<testing::TestDatabase> m_db;
    Connection m_conn; // the guard's session, opened anew for each test

    void run(const QString &sql)
    {
        Command c(&m_conn);
        c.setText(sql);
        c.execute();
    }
    void insert(int id) { run(QStringLiteral("insert into t values (%1)").arg(id)); }
    // The committed rows, seen from another session.
    QString committed() const
    {
        return m_db->scalar(QStringLiteral("select string_agg(id::text, ',' order by id) from t"));
    }
    QString lockState() const
    {
        return m_db->scalar(QStringLiteral(
            "select case when pg_try_advisory_xact_lock(7, 1) then 'free' else 'held' end"));
    }

public:
    enum class End { ScopeExit, StatementFails, Thrown };
    Q_ENUM(End)

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<testing::TestDatabase>();
        m_db->exec(QStringLiteral("create table t (id int not null)"));
    }
    void init()
    {
        m_db->exec(QStringLiteral("truncate t"));
        m_conn.open(m_db->connectionString());
    }
    void cleanup() { m_conn.close(); }
    void cleanupTestCase() { m_db.reset(); }

    void uncommittedRollsBack_data()
    {
        QTest::addColumn<End>("end");
        QTest::newRow("scope exit") << End::ScopeExit;
        // The driver undoes only the failing statement; the row before it must go too.
        QTest::newRow("statement fails") << End::StatementFails;
        QTest::newRow("thrown by the caller") << End::Thrown;
    }
    void uncommittedRollsBack()
    {
        QFETCH(End, end);
        auto work = [&] {
            Transaction transaction(m_conn);
            QVERIFY(m_conn.inTransaction());
            run(QStringLiteral("select pg_advisory_xact_lock(7, 1)"));
            insert(1);
            QCOMPARE(lockState(), QStringLiteral("held"));
            if (end == End::StatementFails)
                run(QStringLiteral("insert into t values (null)"));
            if (end == End::Thrown)
                throw DbError(QStringLiteral("Запись не найдена"));
        };
        if (end == End::ScopeExit)
            work();
        else
            QVERIFY_THROWS_EXCEPTION(DbError, work());
        QVERIFY(!m_conn.inTransaction());
        QCOMPARE(lockState(), QStringLiteral("free"));
        QCOMPARE(committed(), QString());
        // Back in autocommit: the next statement takes effect at once.
        insert(2);
        QCOMPARE(committed(), QStringLiteral("2"));
    }

    void commitKeeps()
    {
        {
            Transaction transaction(m_conn);
            insert(1);
            insert(2);
            QCOMPARE(committed(), QString());
            transaction.commit();
            QVERIFY(!m_conn.inTransaction());
            QCOMPARE(committed(), QStringLiteral("1,2"));
        }
        QCOMPARE(committed(), QStringLiteral("1,2"));
        insert(3);
        QCOMPARE(committed(), QStringLiteral("1,2,3"));
    }

    // A guard inside an open transaction neither commits nor rolls back: the outer one decides
    // for all.
    void joinsOpenTransaction_data()
    {
        QTest::addColumn<bool>("outerCommits");
        QTest::addColumn<QString>("rows");
        QTest::newRow("outer commits") << true << QStringLiteral("1,2,3");
        QTest::newRow("outer left uncommitted") << false << QString();
    }
    void joinsOpenTransaction()
    {
        QFETCH(bool, outerCommits);
        QFETCH(QString, rows);
        {
            Transaction outer(m_conn);
            insert(1);
            {
                Transaction inner(m_conn);
                insert(2);
                inner.commit();
            }
            QVERIFY(m_conn.inTransaction());
            QCOMPARE(committed(), QString());
            {
                Transaction inner(m_conn);
                insert(3);
            }
            QVERIFY(m_conn.inTransaction());
            if (outerCommits)
                outer.commit();
        }
        QVERIFY(!m_conn.inTransaction());
        QCOMPARE(committed(), rows);
    }

    // The session dies inside the transaction: commit cannot reach the server, the guard still
    // ends the transaction on our side, and the next statement runs on a new session.
    void sessionLost()
    {
        const QString pid = [&] {
            Command c(&m_conn);
            c.setText(QStringLiteral("select pg_backend_pid()"));
            return c.executeScalar().toString();
        }();
        {
            Transaction transaction(m_conn);
            insert(1);
            m_db->exec(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
            QVERIFY_THROWS_EXCEPTION(DbError, insert(2));
            QVERIFY(m_conn.lost());
            try {
                transaction.commit();
                QFAIL("commit on a lost session went through");
            } catch (const DbError &e) {
                QVERIFY2(e.text().contains(QStringLiteral("во время транзакции")),
                         qPrintable(e.text()));
            }
        }
        QVERIFY(!m_conn.inTransaction());
        insert(3);
        QVERIFY(!m_conn.lost());
        QCOMPARE(committed(), QStringLiteral("3"));
    }
};

QTEST_GUILESS_MAIN(TestDbTransaction)
#include "tst_db_transaction.moc"
