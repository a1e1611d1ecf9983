// Datasets and commands against the server: typed reading, parameters, typed NULLs, long and
// Cyrillic texts, and row editing of table datasets.

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/odbc.h"
#include "support/test_db.h"

#include <QTest>
#include <memory>

using namespace db;

class TestDbDataset : public QObject
{
    Q_OBJECT
    std::unique_ptr<testing::TestDatabase> m_db;
    std::unique_ptr<Connection> m_conn;

    qint64 run(const QString &sql)
    {
        Command c(m_conn.get());
        c.setText(sql);
        return c.execute();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<testing::TestDatabase>();
        // The template holds the program's schema; these tables live in a schema of their own
        // that the test's connection finds first.
        m_db->exec(QStringLiteral(
            "create schema dbtest;"
            "create domain dbtest.t_id as numeric(15,0);"
            "create table dbtest.kinds (id serial primary key, i int, b bigint, n0 numeric(15,0),"
            " n4 numeric(15,4), f float8, t text, v varchar(20), d date, ts timestamp,"
            " ok boolean, code dbtest.t_id);"
            "create table dbtest.ver (d int, t int, delim text);"
            "create table dbtest.people (id serial primary key, fio text not null,"
            " kol int default 5, made date default '2024-01-02');"
            "create table dbtest.log (msg text);"
            "create function dbtest.note(m text) returns int language sql as"
            " $$ insert into dbtest.log values (m) returning 1 $$;"));
        m_db->exec(QStringLiteral("alter database %1 set search_path to dbtest, public")
                       .arg(m_db->name()));
        m_conn = std::make_unique<Connection>();
        m_conn->open(m_db->connectionString());
    }
    void cleanupTestCase()
    {
        m_conn.reset();
        m_db.reset();
    }

    void parameterParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("simple") << "select * from t where a=:a and b = :B"
                                << "select * from t where a=? and b = ?" << QStringList {"a", "b"};
        QTest::newRow("twice") << "where :x > 1 or :X < 0"
                               << "where ? > 1 or ? < 0" << QStringList {"x", "x"};
        QTest::newRow("cast kept") << "select :d::date, a::t_integer"
                                   << "select ?::date, a::t_integer" << QStringList {"d"};
        QTest::newRow("string literal") << "select ':no', 'it''s :no', :yes"
                                        << "select ':no', 'it''s :no', ?" << QStringList {"yes"};
        QTest::newRow("quoted identifier")
            << "select \":no\" from t where a=:a"
            << "select \":no\" from t where a=?" << QStringList {"a"};
        QTest::newRow("line comment") << "select 1 -- :no\n, :a"
                                      << "select 1 -- :no\n, ?" << QStringList {"a"};
        QTest::newRow("block comment") << "select /* :no /* :deep */ :no */ :a"
                                       << "select /* :no /* :deep */ :no */ ?" << QStringList {"a"};
        QTest::newRow("dollar quote") << "select $f$ :no $f$, $$ :no $$, :a"
                                      << "select $f$ :no $f$, $$ :no $$, ?" << QStringList {"a"};
        QTest::newRow("dollar tag with digits") << "select $fn1$ :no $fn1$, :a"
                                                << "select $fn1$ :no $fn1$, ?" << QStringList {"a"};
        QTest::newRow("dollar tag with underscore")
            << "select $a_1$ it's :no $q$ $a_1$, :a"
            << "select $qq$ it's :no $q$ $qq$, ?" << QStringList {"a"};
        QTest::newRow("digit is no tag") << "select $1$ :a"
                                         << "select $1$ ?" << QStringList {"a"};
        QTest::newRow("escape string") << "select E'\\' :no', :a"
                                       << "select E'\\' :no', ?" << QStringList {"a"};
        QTest::newRow("cyrillic name") << "where a=:дата"
                                       << "where a=?" << QStringList {"дата"};
        QTest::newRow("array slice") << "select a[1:2]"
                                     << "select a[1:2]" << QStringList {};
        QTest::newRow("positional dollar") << "select $1, :a"
                                           << "select $1, ?" << QStringList {"a"};
    }
    void parameterParsing()
    {
        QFETCH(QString, text);
        QFETCH(QString, sql);
        QFETCH(QStringList, names);
        const ParsedSql parsed = parseParameters(text);
        QCOMPARE(parsed.sql, sql);
        QCOMPARE(parsed.names, names);
    }

    void namedParametersBind()
    {
        Dataset ds(m_conn.get());
        ds.setSql(QStringList {QStringLiteral("select :A::int + :a::int as s,"),
                               QStringLiteral(" :Txt as t -- :ignored")});
        ds.params().setInteger(QStringLiteral("a"), 20);
        ds.params().setText(QStringLiteral("TXT"), QStringLiteral("Иванов's"));
        ds.open();
        QCOMPARE(ds.asInteger(QStringLiteral("s")), 40);
        QCOMPARE(ds.asString(QStringLiteral("T")), QStringLiteral("Иванов's"));

        Dataset missing(m_conn.get());
        missing.setSql(QStringLiteral("select :nothing"));
        try {
            missing.open();
            QFAIL("opened without its parameter");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), QStringLiteral("Параметр «nothing» не задан"));
        }
        QVERIFY(!missing.isOpen());
    }

    void typedReading()
    {
        run(QStringLiteral("delete from kinds"));
        run(QStringLiteral(
            "insert into kinds (i, b, n0, n4, f, t, v, d, ts, ok, code) values"
            " (7, 9000000000, 123456789012345, 12.3456, 0.5, 'текст', 'вар', '2024-02-29',"
            " '2024-02-29 13:45:10.250', true, 42)"));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select k.*, 1 as id, k.i + 0.5 as half from kinds k"));
        ds.open();
        QCOMPARE(ds.recordCount(), 1);
        struct Expect
        {
            const char *name;
            FieldType type;
        };
        const Expect expected[] = {
            {"id", FieldType::Integer},   {"i", FieldType::Integer},  {"b", FieldType::Integer},
            {"n0", FieldType::Integer},   {"n4", FieldType::Float},   {"f", FieldType::Float},
            {"t", FieldType::String},     {"v", FieldType::String},   {"d", FieldType::Date},
            {"ts", FieldType::DateTime},  {"ok", FieldType::String},  {"code", FieldType::Integer},
            {"id_1", FieldType::Integer}, {"half", FieldType::Float},
        };
        QCOMPARE(ds.fields().size(), std::size(expected));
        for (size_t i = 0; i < std::size(expected); ++i) {
            QCOMPARE(ds.fields()[i].name, QLatin1String(expected[i].name));
            QCOMPARE(int(ds.fields()[i].type), int(expected[i].type));
        }
        QCOMPARE(ds.fields()[4].scale, 4);
        QCOMPARE(ds.value(QStringLiteral("b")).toLongLong(), 9000000000LL);
        QCOMPARE(ds.value(QStringLiteral("n0")).toLongLong(), 123456789012345LL);
        QCOMPARE(ds.asFloat(QStringLiteral("n4")), 12.3456);
        QCOMPARE(ds.asString(QStringLiteral("n4")), QStringLiteral("12,3456"));
        QCOMPARE(ds.asString(QStringLiteral("t")), QStringLiteral("текст"));
        QCOMPARE(ds.asDate(QStringLiteral("d")), QDate(2024, 2, 29));
        QCOMPARE(ds.asString(QStringLiteral("ts")), QStringLiteral("29.02.2024 13:45:10"));
        QCOMPARE(ds.value(QStringLiteral("ts")).toDateTime().time().msec(), 250);
        QCOMPARE(ds.asString(QStringLiteral("ok")), QStringLiteral("1"));
        QCOMPARE(ds.asInteger(QStringLiteral("code")), 42);
        QCOMPARE(ds.asInteger(QStringLiteral("id_1")), 1);
        QCOMPARE(ds.asString(QStringLiteral("half")), QStringLiteral("7,5"));
        QVERIFY_THROWS_EXCEPTION(ConversionError, ds.asInteger(QStringLiteral("t")));
        try {
            ds.value(QStringLiteral("nope"));
            QFAIL("no error for a missing field");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), QStringLiteral("Поле «nope» не найдено"));
        }
        ds.close();
        try {
            ds.value(QStringLiteral("i"));
            QFAIL("no error for a closed dataset");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), QStringLiteral("Набор данных закрыт"));
        }
    }

    // A name is found in any case and with blanks around, and always among the columns of the
    // statement open now: the same name read before a reopen with other columns finds its new
    // place, and a name that was missing is found once it is there.
    void fieldNamesFollowTheColumns()
    {
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select 1 as a, 2 as b"));
        ds.open();
        QCOMPARE(ds.asInteger(QStringLiteral("b")), 2);
        QCOMPARE(ds.asInteger(QStringLiteral(" B ")), 2);
        QCOMPARE(ds.fieldIndex(QStringLiteral("c")), -1);
        ds.close();
        ds.setSql(QStringLiteral("select 3 as c, 4 as b, 5 as a"));
        ds.open();
        QCOMPARE(ds.asInteger(QStringLiteral("b")), 4);
        QCOMPARE(ds.asInteger(QStringLiteral(" B ")), 4);
        QCOMPARE(ds.asInteger(QStringLiteral("A")), 5);
        QCOMPARE(ds.fieldIndex(QStringLiteral("c")), 0);
        ds.close();
        QCOMPARE(ds.fieldIndex(QStringLiteral("b")), -1);
    }

    // Every type's NULL reaches the server typed (an untyped one would arrive as bytea and be
    // refused by the typed columns), and every value survives the round trip.
    void typedParameters_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("int") << "i" << int(FieldType::Integer) << QVariant(qint64(-5)) << "-5";
        QTest::newRow("bigint") << "b" << int(FieldType::Integer)
                                << QVariant(qint64(1234567890123LL)) << "1234567890123";
        QTest::newRow("numeric 15,0") << "n0" << int(FieldType::Integer)
                                      << QVariant(qint64(987654321012345LL)) << "987654321012345";
        QTest::newRow("numeric 15,4")
            << "n4" << int(FieldType::Float) << QVariant(1.2345) << "1,2345";
        QTest::newRow("float") << "f" << int(FieldType::Float) << QVariant(-0.125) << "-0,125";
        QTest::newRow("text") << "t" << int(FieldType::String) << QVariant(QStringLiteral("Ёж"))
                              << "Ёж";
        QTest::newRow("varchar") << "v" << int(FieldType::String)
                                 << QVariant(QStringLiteral("O'Brien")) << "O'Brien";
        QTest::newRow("date") << "d" << int(FieldType::Date) << QVariant(QDate(1999, 12, 31))
                              << "31.12.1999";
        QTest::newRow("timestamp")
            << "ts" << int(FieldType::DateTime)
            << QVariant(QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9))) << "06.05.2020 07:08:09";
        QTest::newRow("boolean") << "ok" << int(FieldType::Boolean) << QVariant(true) << "1";
        QTest::newRow("domain") << "code" << int(FieldType::Integer) << QVariant(qint64(77))
                                << "77";
    }
    void typedParameters()
    {
        QFETCH(QString, column);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QString, shown);
        run(QStringLiteral("delete from kinds"));
        Command ins(m_conn.get());
        ins.setText(QStringLiteral("insert into kinds (%1) values (:v), (:n)").arg(column));
        ins.params().set(QStringLiteral("v"), ParamValue {FieldType(type), value});
        ins.params().setNull(QStringLiteral("n"), FieldType(type));
        QCOMPARE(ins.execute(), 2);

        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select %1 from kinds order by %1 nulls last").arg(column));
        ds.open();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.asString(column), shown);
        QVERIFY(!ds.isNull(column));
        ds.next();
        QVERIFY(ds.isNull(column));
        QCOMPARE(ds.asString(column), QString());
        QVERIFY(!ds.value(column).isValid());

        // The same value finds its row when bound in a condition.
        Command count(m_conn.get());
        count.setText(QStringLiteral("select count(*) from kinds where %1 = :v").arg(column));
        count.params().set(QStringLiteral("V"), ParamValue {FieldType(type), value});
        QCOMPARE(count.executeScalar().toLongLong(), 1);
    }

    void longAndCyrillicTexts_data()
    {
        QTest::addColumn<QString>("text");
        QString mixed;
        for (int i = 0; i < 8000; ++i)
            mixed += QChar(i % 3 == 0 ? u'Ж' : (i % 3 == 1 ? u'z' : u'ё'));
        QTest::newRow("8000 mixed") << mixed;
        QTest::newRow("8190 cyrillic") << QString(8190, QChar(u'Щ'));
        QTest::newRow("beyond the cap") << QString(20000, QChar(u'я')) + QStringLiteral("конец");
        QTest::newRow("line breaks") << QStringLiteral("строка 1\nстрока 2\nстрока 3\n");
        QTest::newRow("empty") << QString();
    }
    void longAndCyrillicTexts()
    {
        QFETCH(QString, text);
        run(QStringLiteral("delete from kinds"));
        Command ins(m_conn.get());
        ins.setText(QStringLiteral("insert into kinds (t, v) values (:t, 'x')"));
        ins.params().setText(QStringLiteral("t"), text);
        ins.execute();
        QCOMPARE(m_db->scalar(QStringLiteral("select length(t) from kinds")),
                 QString::number(text.size()));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select t, v, t as again from kinds"));
        ds.open();
        QCOMPARE(ds.asString(QStringLiteral("t")).size(), text.size());
        QCOMPARE(ds.asString(QStringLiteral("t")), text);
        QCOMPARE(ds.asString(QStringLiteral("again")), text);
        QCOMPARE(ds.asString(QStringLiteral("v")), QStringLiteral("x"));
        QVERIFY(!ds.isNull(QStringLiteral("t")));
    }

    void manyRowsInBlocks()
    {
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select g as id, repeat('ы', g % 50) as t, g * 0.5 as h,"
                                 " case when g % 3 = 0 then null else g end as n,"
                                 " date '2024-01-01' + g as d,"
                                 " timestamp '2024-01-01 10:00' + g * interval '1 minute' as ts,"
                                 " g::numeric(15,0) as n0,"
                                 // Texts that repeat, and texts that repeat and then stop
                                 // repeating (more distinct ones than a column keeps shared).
                                 " 'вид ' || g % 7 as kind,"
                                 " case when g < 100 then 'один' else 'имя ' || g end as name"
                                 " from generate_series(1, 4567) g"));
        ds.open();
        QCOMPARE(ds.recordCount(), 4567);
        int nulls = 0;
        for (ds.first(); !ds.eof(); ds.next()) {
            const qint64 g = ds.asInteger(QStringLiteral("id"));
            QCOMPARE(ds.recNo(), int(g));
            QCOMPARE(ds.asString(QStringLiteral("t")).size(), int(g % 50));
            QCOMPARE(ds.asFloat(QStringLiteral("h")), g * 0.5);
            nulls += ds.isNull(QStringLiteral("n"));
            QCOMPARE(ds.asDate(QStringLiteral("d")), QDate(2024, 1, 1).addDays(g));
            QCOMPARE(ds.value(QStringLiteral("ts")).toDateTime().time(),
                     QTime(10, 0).addSecs(60 * g));
            QCOMPARE(ds.asInteger(QStringLiteral("n0")), g);
            QCOMPARE(ds.asString(QStringLiteral("kind")), QStringLiteral("вид %1").arg(g % 7));
            QCOMPARE(ds.asString(QStringLiteral("name")),
                     g < 100 ? QStringLiteral("один") : QStringLiteral("имя %1").arg(g));
        }
        QCOMPARE(nulls, 4567 / 3);
    }

    void commands()
    {
        run(QStringLiteral("delete from log"));
        Command c(m_conn.get());
        c.setText(QStringLiteral("insert into log values ('a'), ('b'), ('c')"));
        QCOMPARE(c.execute(), 3);
        c.setText(QStringLiteral("update log set msg = msg || '!' where msg <> :m"));
        c.params().setText(QStringLiteral("m"), QStringLiteral("a"));
        QCOMPARE(c.execute(), 2);
        // A select of a server function runs it; its result is dropped.
        c.setText(QStringLiteral("select note(:m)"));
        c.execute();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from log where msg = 'a'")),
                 QStringLiteral("2"));
        c.setText(QStringLiteral("select max(msg) from log where msg like :p"));
        c.params().setText(QStringLiteral("p"), QStringLiteral("%!"));
        QCOMPARE(c.executeScalar().toString(), QStringLiteral("c!"));
        c.setText(QStringLiteral("select msg from log where false"));
        QVERIFY(c.executeScalar().isNull());
    }

    void tableWithId()
    {
        run(QStringLiteral("delete from people"));
        Dataset ds(m_conn.get());
        ds.setTable(QStringLiteral("dbtest.people"));
        ds.open();
        QVERIFY(ds.isEmpty());

        // Appending to an empty table; the id and the defaults come back from the server.
        ds.append();
        QCOMPARE(ds.state(), Dataset::State::Insert);
        ds.setValue(QStringLiteral("fio"), QStringLiteral("О'Коннор"));
        ds.post();
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(ds.recordCount(), 1);
        const qint64 id = ds.asInteger(QStringLiteral("id"));
        QVERIFY(id > 0);
        QCOMPARE(ds.asInteger(QStringLiteral("kol")), 5);
        QCOMPARE(ds.asDate(QStringLiteral("made")), QDate(2024, 1, 2));
        QCOMPARE(m_db->scalar(QStringLiteral("select fio from people where id = %1").arg(id)),
                 QStringLiteral("О'Коннор"));

        ds.append();
        ds.setValue(QStringLiteral("fio"), QStringLiteral("Бобров"));
        ds.setValue(QStringLiteral("kol"), QStringLiteral("12"));
        ds.setValue(QStringLiteral("made"), QStringLiteral("03.04.2024"));
        ds.post();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.asString(QStringLiteral("fio")), QStringLiteral("Бобров"));
        const qint64 second = ds.asInteger(QStringLiteral("id"));

        // Edit and post: only this row changes on the server.
        ds.edit();
        ds.setValue(QStringLiteral("kol"), 13);
        QCOMPARE(ds.asInteger(QStringLiteral("kol")), 13);
        ds.post();
        QCOMPARE(m_db->scalar(QStringLiteral("select string_agg(kol::text, ',' order by id)"
                                             " from people")),
                 QStringLiteral("5,13"));

        // Cancel leaves the row and the server as they were.
        ds.edit();
        ds.setValue(QStringLiteral("fio"), QStringLiteral("Никто"));
        ds.cancel();
        QCOMPARE(ds.asString(QStringLiteral("fio")), QStringLiteral("Бобров"));
        ds.append();
        ds.cancel();
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from people")), QStringLiteral("2"));

        // A value the server refuses: the error, and the dataset still editing.
        ds.edit();
        ds.setValue(QStringLiteral("fio"), QVariant());
        QVERIFY_THROWS_EXCEPTION(DbError, ds.post());
        QCOMPARE(ds.state(), Dataset::State::Edit);
        ds.cancel();
        QVERIFY_THROWS_EXCEPTION(ConversionError, ds.edit(),
                                 ds.setValue(QStringLiteral("kol"), QStringLiteral("много")));
        ds.cancel();

        // Delete by id; the other row stays.
        QVERIFY(ds.locate(QStringLiteral("id"), second));
        ds.remove();
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.asInteger(QStringLiteral("id")), id);
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from people")), QStringLiteral("1"));

        // Refresh shows what others wrote and keeps the record number.
        run(QStringLiteral("insert into people (fio) values ('Аксенов'), ('Яшин')"));
        ds.setRecNo(1);
        ds.refresh();
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(ds.recNo(), 1);
    }

    void tableCondition()
    {
        run(QStringLiteral("delete from people"));
        run(QStringLiteral("insert into people (fio, kol) values ('А', 1), ('Б', 2), ('В', 2)"));
        Dataset ds(m_conn.get());
        ds.setTable(QStringLiteral("people"), QStringLiteral("kol = :kol"));
        ds.params().setInteger(QStringLiteral("kol"), 2);
        ds.open();
        QCOMPARE(ds.recordCount(), 2);
        Dataset query(m_conn.get());
        query.setSql(QStringLiteral("select * from people"));
        query.open();
        QVERIFY_THROWS_EXCEPTION(DbError, query.edit());
    }

    // The version table has no id: rows are found by all of their original values, and only
    // one of two equal rows changes.
    void tableWithoutId()
    {
        run(QStringLiteral("delete from ver"));
        Dataset ds(m_conn.get());
        ds.setTable(QStringLiteral("ver"));
        ds.open();
        ds.append();
        ds.setValue(QStringLiteral("d"), 20240101);
        ds.setValue(QStringLiteral("t"), 1200);
        ds.setValue(QStringLiteral("delim"), QStringLiteral(","));
        ds.post();
        ds.append();
        ds.setValue(QStringLiteral("d"), 20240101);
        ds.setValue(QStringLiteral("t"), 1200);
        ds.setValue(QStringLiteral("delim"), QStringLiteral(","));
        ds.post();
        ds.append();
        ds.setValue(QStringLiteral("d"), 1);
        ds.post(); // t and delim stay NULL
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from ver")), QStringLiteral("3"));

        ds.first();
        ds.edit();
        ds.setValue(QStringLiteral("delim"), QStringLiteral("."));
        ds.post();
        QCOMPARE(m_db->scalar(QStringLiteral("select string_agg(delim, '' order by delim)"
                                             " from ver")),
                 QStringLiteral(",."));
        QVERIFY(ds.locate(QStringLiteral("d"), 1));
        ds.edit();
        ds.setValue(QStringLiteral("t"), 5);
        ds.post();
        QCOMPARE(m_db->scalar(QStringLiteral("select t from ver where d = 1")),
                 QStringLiteral("5"));
        ds.remove();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from ver")), QStringLiteral("2"));
        ds.first();
        ds.remove();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from ver")), QStringLiteral("1"));
        QCOMPARE(ds.recordCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDbDataset)
#include "tst_db_dataset.moc"
