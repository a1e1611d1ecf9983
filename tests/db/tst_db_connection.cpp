// The connection: its string with quoted logins, errors in the driver's words, transactions and
// reconnection after the server went away.

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "support/test_db.h"

#include <QTest>

using namespace db;

class TestDbConnection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quoting_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << "wvk"
                               << "wvk";
        QTest::newRow("cyrillic") << "пароль"
                                  << "пароль";
        QTest::newRow("inner blank") << "a b"
                                     << "a b";
        QTest::newRow("semicolon") << "a;b"
                                   << "{a;b}";
        QTest::newRow("equals") << "a=b"
                                << "{a=b}";
        QTest::newRow("open brace") << "{a"
                                    << "{{a}";
        QTest::newRow("close brace doubled") << "a}b"
                                             << "{a}}b}";
        QTest::newRow("leading blank") << " a"
                                       << "{ a}";
        QTest::newRow("trailing blank") << "a "
                                        << "{a }";
        QTest::newRow("option injection") << "x;UID=admin"
                                          << "{x;UID=admin}";
    }
    void quoting()
    {
        QFETCH(QString, value);
        QFETCH(QString, quoted);
        QCOMPARE(quoteOdbcValue(value), quoted);
    }

    void connectionStringShape()
    {
        ConnectionParams p;
        p.database = QStringLiteral("norvik_erp_dev");
        p.server = QStringLiteral("10.0.0.5");
        p.login = QStringLiteral("wvk");
        p.password = QStringLiteral("p;w");
        QCOMPARE(buildConnectionString(p),
                 QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=norvik_erp_dev;"
                                "SERVER=10.0.0.5;PORT=5432;UID=wvk;PWD={p;w};")
                     + QLatin1String(kDriverOptions));
        // A login the driver would take with its braces travels as a libpq keyword instead.
        p.login = QStringLiteral("a;b'c}");
        p.password = QStringLiteral("50%41");
        QCOMPARE(buildConnectionString(p),
                 QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=norvik_erp_dev;"
                                "SERVER=10.0.0.5;PORT=5432;UID=;PWD={50%41};"
                                "pqopt={user='a;b\\'c}}'};")
                     + QLatin1String(kDriverOptions));
        QVERIFY(QLatin1String(kDriverOptions).startsWith(QLatin1String("SSLmode=allow;")));
        QVERIFY(QLatin1String(kDriverOptions).endsWith(QLatin1String("OptionalErrors=0;XaOpt=1")));
    }

    // Logins and passwords holding the characters of the string's syntax really log in.
    void specialLogins_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::newRow("semicolon") << "tabel_t_semi;colon"
                                   << "pa;ss";
        QTest::newRow("braces") << "tabel_t_{brace}"
                                << "p{a}}s";
        QTest::newRow("equals") << "tabel_t_eq=1"
                                << "a=b;c";
        QTest::newRow("edge blanks") << "tabel_t_blank"
                                     << " secret ";
        QTest::newRow("cyrillic") << "tabel_t_кириллица"
                                  << "пароль;}";
        QTest::newRow("percent") << "tabel_t_pct%41"
                                 << "100%41";
        QTest::newRow("quote and backslash") << "tabel_t_o'b\\x"
                                             << "{p'q\\";
    }
    void specialLogins()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        testing::TestDatabase tdb;
        QString lit = password;
        lit.replace(u'\'', QStringLiteral("''"));
        QString ident = login;
        ident.replace(u'"', QStringLiteral("\"\""));
        tdb.exec(QStringLiteral("drop role if exists \"%1\"").arg(ident));
        tdb.exec(QStringLiteral("create role \"%1\" login password '%2'").arg(ident, lit));
        {
            Connection c;
            c.open(tdb.connectionString(login, password));
            Command who(&c);
            who.setText(QStringLiteral("select current_user"));
            QCOMPARE(who.executeScalar().toString(), login);

            Connection wrong;
            try {
                wrong.open(tdb.connectionString(login, password + QStringLiteral("x")));
                QFAIL("a wrong password logged in");
            } catch (const DbError &e) {
                QVERIFY2(e.text().contains(QLatin1String("password authentication failed")),
                         qPrintable(e.text()));
                QVERIFY(!wrong.isOpen());
            }
        }
        tdb.exec(QStringLiteral("drop role \"%1\"").arg(ident));
    }

    void serverErrorText()
    {
        testing::TestDatabase tdb;
        Connection c;
        c.open(tdb.connectionString());
        Command cmd(&c);
        cmd.setText(QStringLiteral("select * from no_such_table"));
        try {
            cmd.execute();
            QFAIL("no error");
        } catch (const DbError &e) {
            // The server's words alone, as the error box shows them.
            QCOMPARE(e.text(), QStringLiteral("relation \"no_such_table\" does not exist"));
            QCOMPARE(e.sqlState(), QStringLiteral("42P01"));
            QVERIFY(!e.connectionLost());
        }
        // A message of our own server functions arrives the same way.
        cmd.setText(QStringLiteral("do $$ begin raise exception 'Запись не найдена'; end $$"));
        try {
            cmd.execute();
            QFAIL("no error");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), QStringLiteral("Запись не найдена"));
        }
        // The connection is still usable after a refused statement.
        cmd.setText(QStringLiteral("select 7"));
        QCOMPARE(cmd.executeScalar().toLongLong(), 7);
    }

    void noDatabase()
    {
        testing::TestDatabase tdb;
        ConnectionParams p = tdb.params();
        p.database = QStringLiteral("tabel_no_such_db");
        Connection c;
        QVERIFY_THROWS_EXCEPTION(DbError, c.open(buildConnectionString(p)));
        QVERIFY(!c.isOpen());
        Command cmd(&c);
        cmd.setText(QStringLiteral("select 1"));
        QVERIFY_THROWS_EXCEPTION(DbError, cmd.execute());
    }

    void transactions()
    {
        testing::TestDatabase tdb;
        tdb.exec(QStringLiteral("create table t (id int)"));
        Connection c;
        c.open(tdb.connectionString());
        Command ins(&c);
        ins.setText(QStringLiteral("insert into t values (1)"));

        c.beginTransaction();
        QVERIFY(c.inTransaction());
        ins.execute();
        c.rollback();
        QVERIFY(!c.inTransaction());
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t")), QStringLiteral("0"));

        c.beginTransaction();
        ins.execute();
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t")), QStringLiteral("0"));
        c.commit();
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t")), QStringLiteral("1"));

        // Back in autocommit: each statement takes effect at once.
        ins.execute();
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t")), QStringLiteral("2"));
        c.rollback(); // outside a transaction: nothing, no error
    }

    // The server restarts: the next statement fails with a clear text and is not repeated;
    // the one after it reconnects and works.
    void reconnectAfterRestart()
    {
        testing::TestDatabase tdb;
        tdb.exec(QStringLiteral("create table t (id serial primary key, name text)"));
        Connection c;
        c.open(tdb.connectionString());
        Command ins(&c);
        ins.setText(QStringLiteral("insert into t (name) values (:name)"));
        ins.params().setText(QStringLiteral("name"), QStringLiteral("до"));
        QCOMPARE(ins.execute(), 1);

        testing::restartServer();

        ins.params().setText(QStringLiteral("name"), QStringLiteral("потеряна"));
        try {
            ins.execute();
            QFAIL("a statement on a dead connection succeeded");
        } catch (const DbError &e) {
            QVERIFY2(e.connectionLost(), qPrintable(e.sqlState() + u' ' + e.text()));
            QVERIFY2(e.text().startsWith(QStringLiteral("Связь с сервером базы данных потеряна")),
                     qPrintable(e.text()));
        }
        QVERIFY(c.lost());
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t where name = 'потеряна'")),
                 QStringLiteral("0"));

        ins.params().setText(QStringLiteral("name"), QStringLiteral("после"));
        QCOMPARE(ins.execute(), 1);
        QVERIFY(!c.lost());
        QCOMPARE(tdb.scalar(QStringLiteral("select string_agg(name, ',' order by id) from t")),
                 QStringLiteral("до,после"));

        // A dataset opens on the new session as well.
        Dataset ds(&c);
        ds.setSql(QStringLiteral("select name from t order by id"));
        ds.open();
        QCOMPARE(ds.recordCount(), 2);
    }

    // The server stays away: every statement until it is back fails with a text that says the
    // action did not run, counted as a lost connection, and is not repeated; then one reconnects.
    void reconnectWhileServerAway()
    {
        testing::TestDatabase tdb;
        tdb.exec(QStringLiteral("create table t (id int)"));
        Connection c;
        c.open(tdb.connectionString());
        Command ins(&c);
        ins.setText(QStringLiteral("insert into t values (1)"));
        testing::stopServer();
        QStringList texts;
        bool allLost = true;
        for (int i = 0; i < 3; ++i) {
            try {
                ins.execute();
            } catch (const DbError &e) {
                texts << e.text().section(u'\n', 0, 0);
                allLost = allLost && e.connectionLost();
            }
        }
        testing::startServer();
        QCOMPARE(texts.size(), 3);
        QVERIFY(allLost);
        QVERIFY2(texts[0].startsWith(QStringLiteral("Связь с сервером базы данных потеряна")),
                 qPrintable(texts[0]));
        for (int i = 1; i < 3; ++i)
            QCOMPARE(texts[i],
                     QStringLiteral("Нет связи с сервером базы данных, действие не "
                                    "выполнено. Следующее действие попробует "
                                    "подключиться снова."));
        QVERIFY(c.lost());
        ins.execute();
        QVERIFY(!c.lost());
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t")), QStringLiteral("1"));
    }

    void lostInsideTransaction()
    {
        testing::TestDatabase tdb;
        tdb.exec(QStringLiteral("create table t (id int)"));
        Connection c;
        c.open(tdb.connectionString());
        Command ins(&c);
        ins.setText(QStringLiteral("insert into t values (1)"));
        c.beginTransaction();
        ins.execute();
        testing::restartServer();
        QVERIFY_THROWS_EXCEPTION(DbError, ins.execute());
        // The session and its transaction are gone: nothing runs until the caller rolls back.
        QVERIFY_THROWS_EXCEPTION(DbError, ins.execute());
        c.rollback();
        ins.execute();
        QCOMPARE(tdb.scalar(QStringLiteral("select count(*) from t")), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestDbConnection)
#include "tst_db_connection.moc"
