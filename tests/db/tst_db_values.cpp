// Values of every column type as the server holds them: read into a table dataset, posted back
// untouched, typed and posted, each time compared with the server's own text of the column.
// Also what the server holds but the program cannot show (infinite dates), NULL dates, long
// server messages, writes that find no row, and char(n) columns in filter and locate.

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/odbc.h"
#include "db/values.h"
#include "support/test_db.h"

#include <QScopeGuard>
#include <QTest>
#include <clocale>
#include <memory>

using namespace db;

class TestDbValues : public QObject
{
    Q_OBJECT
    std::unique_ptr<testing::TestDatabase> m_db;
    std::unique_ptr<Connection> m_conn;

    void run(const QString &sql)
    {
        Command c(m_conn.get());
        c.setText(sql);
        c.execute();
    }
    // The server's text of the one row's column.
    QString held(const QString &column) const
    {
        return m_db->scalar(QStringLiteral("select %1::text from vals").arg(column));
    }
    // One row holding `literal` in `column`, opened as a table dataset.
    void openWith(Dataset &ds, const QString &column, const QString &literal)
    {
        run(QStringLiteral("delete from vals"));
        m_db->exec(QStringLiteral("insert into dbvals.vals (%1) values (%2)").arg(column, literal));
        ds.setTable(QStringLiteral("vals"));
        ds.open();
        QCOMPARE(ds.recordCount(), 1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<testing::TestDatabase>();
        m_db->exec(QStringLiteral(
            "create schema dbvals;"
            "create table dbvals.vals (id serial primary key, n28 numeric(28,6), n numeric,"
            " n19 numeric(19,0), n15 numeric(15,4), b bigint, i int, f float8, d date,"
            " ts timestamp, c char(6), t text, other int);"
            "create table dbvals.plain (n28 numeric(28,6), ts timestamp, c char(6), note text);"));
        m_db->exec(QStringLiteral("alter database %1 set search_path to dbvals, public")
                       .arg(m_db->name()));
        m_conn = std::make_unique<Connection>();
        m_conn->open(m_db->connectionString());
    }
    void cleanupTestCase()
    {
        m_conn.reset();
        m_db.reset();
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("literal"); // what another client stored
        QTest::addColumn<QString>("shown"); // asString() of it
        QTest::addColumn<QString>("typed"); // what the user types then
        QTest::addColumn<QString>("stored"); // the server's text of the typed value
        QTest::addColumn<QString>("typedShown");
        QTest::newRow("numeric(28,6)") << "n28"
                                       << "1234567890.123456"
                                       << "1234567890,123456"
                                       << "123456789012,123456"
                                       << "123456789012.123456"
                                       << "123456789012,123456";
        QTest::newRow("numeric(28,6) widest") << "n28"
                                              << "-9999999999999999999999.999999"
                                              << "-9999999999999999999999,999999"
                                              << "0,000001"
                                              << "0.000001"
                                              << "0,000001";
        QTest::newRow("numeric(28,6) trailing zeros") << "n28"
                                                      << "12.5"
                                                      << "12,5"
                                                      << "-7"
                                                      << "-7.000000"
                                                      << "-7";
        QTest::newRow("numeric(15,4)") << "n15"
                                       << "2.675"
                                       << "2,675"
                                       << "1.2345"
                                       << "1.2345"
                                       << "1,2345";
        QTest::newRow("numeric") << "n"
                                 << "12345678901234567890.0123456789"
                                 << "12345678901234567890,0123456789"
                                 << "0,1"
                                 << "0.1"
                                 << "0,1";
        QTest::newRow("numeric NaN") << "n"
                                     << "'NaN'"
                                     << "NAN"
                                     << "5"
                                     << "5"
                                     << "5";
        QTest::newRow("numeric(19,0)") << "n19"
                                       << "1234567890123456789"
                                       << "1234567890123456789"
                                       << "9999999999999999999"
                                       << "9999999999999999999"
                                       << "9999999999999999999";
        QTest::newRow("bigint") << "b"
                                << "9007199254740993"
                                << "9007199254740993"
                                << "-9007199254740993"
                                << "-9007199254740993"
                                << "-9007199254740993";
        QTest::newRow("bigint largest") << "b"
                                        << "9223372036854775807"
                                        << "9223372036854775807"
                                        << "9223372036854775806"
                                        << "9223372036854775806"
                                        << "9223372036854775806";
        QTest::newRow("int") << "i"
                             << "-2147483648"
                             << "-2147483648"
                             << "2147483647"
                             << "2147483647"
                             << "2147483647";
        QTest::newRow("float8") << "f"
                                << "0.1"
                                << "0,1"
                                << "2,5"
                                << "2.5"
                                << "2,5";
        QTest::newRow("date") << "d"
                              << "'2024-02-29'"
                              << "29.02.2024"
                              << "01.03.2024"
                              << "2024-03-01"
                              << "01.03.2024";
        QTest::newRow("date first year") << "d"
                                         << "'0001-01-01'"
                                         << "01.01.0001"
                                         << "31.12.9999"
                                         << "9999-12-31"
                                         << "31.12.9999";
        QTest::newRow("timestamp micro") << "ts"
                                         << "'2020-05-06 07:08:09.123456'"
                                         << "06.05.2020 07:08:09"
                                         << "07.05.2020"
                                         << "2020-05-07 00:00:00"
                                         << "07.05.2020 00:00:00";
        QTest::newRow("timestamp one micro") << "ts"
                                             << "'2020-05-06 23:59:59.000001'"
                                             << "06.05.2020 23:59:59"
                                             << "29.02.2024"
                                             << "2024-02-29 00:00:00"
                                             << "29.02.2024 00:00:00";
        QTest::newRow("timestamp BC") << "ts"
                                      << "'0044-03-15 07:08:09.5 BC'"
                                      << "15.03.0044 до н. э. 07:08:09"
                                      << "15.03.2044"
                                      << "2044-03-15 00:00:00"
                                      << "15.03.2044 00:00:00";
        QTest::newRow("char(6)") << "c"
                                 << "'ab'"
                                 << "ab    "
                                 << "xy"
                                 << "xy"
                                 << "xy    ";
        QTest::newRow("text CR LF") << "t"
                                    << "E'a\\r\\nb\\nc\\r'"
                                    << "a\r\nb\nc\r"
                                    << "x\r\ny\n"
                                    << "x\r\ny\n"
                                    << "x\r\ny\n";
        // A leading U+FEFF is a character of the text, not a byte order mark to drop (built
        // with QChar: a literal read as UTF-8 would lose it on the way in).
        const QString mark(QChar(0xFEFF));
        QTest::newRow("text leading U+FEFF")
            << "t"
            << "E'\\uFEFFабв \\U0001F600'" << mark + QStringLiteral("абв \U0001F600") << mark + u'x'
            << mark + u'x' << mark + u'x';
    }
    void roundTrip()
    {
        QFETCH(QString, column);
        QFETCH(QString, literal);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, typedShown);
        Dataset ds(m_conn.get());
        openWith(ds, column, literal);
        const QString original = held(column);
        QCOMPARE(ds.asString(column), shown);

        // Untouched: another column changes, then the value itself is set back as it was read.
        ds.edit();
        ds.setValue(QStringLiteral("other"), 1);
        ds.post();
        QCOMPARE(held(column), original);
        ds.edit();
        ds.setValue(column, ds.value(column));
        ds.post();
        QCOMPARE(held(column), original);
        QCOMPARE(ds.asString(column), shown);

        // A value read by a query and bound as a parameter goes back whole.
        Dataset query(m_conn.get());
        query.setSql(QStringLiteral("select %1 from vals").arg(column));
        query.open();
        QCOMPARE(query.asString(column), shown);
        Command back(m_conn.get());
        back.setText(QStringLiteral("update vals set %1 = :v").arg(column));
        back.params().set(QStringLiteral("v"),
                          ParamValue {query.fields()[0].type, query.value(column)});
        QCOMPARE(back.execute(), 1);
        QCOMPARE(held(column), original);

        // Typed as the user types it.
        ds.edit();
        ds.setValue(column, typed);
        ds.post();
        QCOMPARE(held(column), stored);
        QCOMPARE(ds.asString(column), typedShown);
        ds.refresh();
        QCOMPARE(ds.asString(column), typedShown);
    }

    // What the windows' arithmetic gets: a double, whatever the digits behind it.
    void decimalsAsNumbers()
    {
        Dataset ds(m_conn.get());
        openWith(ds, QStringLiteral("n28, n, n19, n15"),
                 QStringLiteral("1234567890.123456, 1e40, 1234567890123456789, 2.5"));
        QCOMPARE(ds.asFloat(QStringLiteral("n28")), 1234567890.123456);
        QCOMPARE(ds.asFloat(QStringLiteral("n")), 1e40);
        QCOMPARE(ds.asFloat(QStringLiteral("n19")), 1234567890123456789.0);
        QCOMPARE(ds.asInteger(QStringLiteral("n19")), 1234567890123456789LL);
        QCOMPARE(ds.asInteger(QStringLiteral("n15")), 3);
        QCOMPARE(ds.value(QStringLiteral("n15")).toDouble(), 2.5);
        QCOMPARE(ds.value(QStringLiteral("n28")).toString(), QStringLiteral("1234567890,123456"));
        QCOMPARE(ds.asString(QStringLiteral("n")), QStringLiteral("1") + QString(40, u'0'));
        QCOMPARE(int(ds.fields()[ds.fieldIndex(QStringLiteral("n28"))].type),
                 int(FieldType::Float));
        QCOMPARE(ds.fields()[ds.fieldIndex(QStringLiteral("n15"))].scale, 4);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ds.edit(),
                                 ds.setValue(QStringLiteral("n28"), QStringLiteral("1e5")));
        ds.cancel();
        // A double the window computed goes in as the user sees it (15 digits).
        ds.edit();
        ds.setValue(QStringLiteral("n28"), 0.1 + 0.2);
        ds.setValue(QStringLiteral("n"), 1.0 / 3);
        ds.post();
        QCOMPARE(held(QStringLiteral("n28")), QStringLiteral("0.300000"));
        QCOMPARE(held(QStringLiteral("n")), QStringLiteral("0.333333333333333"));

        // A statement of a window binds the typed text as a decimal, and every digit arrives.
        Command c(m_conn.get());
        c.setText(QStringLiteral("update vals set n28 = :n28, n = :n, n15 = :n15"));
        c.params().setDecimal(QStringLiteral("n28"),
                              Decimal::parse(QStringLiteral("123456789012,123456")));
        c.params().setDecimal(QStringLiteral("n"),
                              Decimal::parse(QStringLiteral("-0,00000000000000000001")));
        c.params().setDecimal(QStringLiteral("n15"), Decimal());
        QCOMPARE(c.execute(), 1);
        QCOMPARE(held(QStringLiteral("n28")), QStringLiteral("123456789012.123456"));
        QCOMPARE(held(QStringLiteral("n")), QStringLiteral("-0.00000000000000000001"));
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from vals where n15 is null")),
                 QStringLiteral("1"));
    }

    // An office machine runs under ru_RU.UTF-8, where the C library writes "21,5": values read,
    // posted back untouched and computed must still be the server's numbers.
    void numbersUnderTheOfficeLocale_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("literal");
        QTest::addColumn<double>("number");
        QTest::addColumn<double>("computed"); // a double a window posts
        QTest::addColumn<QString>("computedHeld");
        QTest::newRow("price") << "n15"
                               << "21.0000" << 21.0 << 9.5 << "9.5000";
        QTest::newRow("fraction") << "n28"
                                  << "0.300000" << 0.3 << 0.1 + 0.2 << "0.300000";
        QTest::newRow("long") << "n28"
                              << "123456789012.123456" << 123456789012.123456 << -2.25
                              << "-2.250000";
        QTest::newRow("float") << "f"
                               << "0.3" << 0.3 << 1.0 / 3 << "0.333333333333333";
    }
    void numbersUnderTheOfficeLocale()
    {
        QFETCH(QString, column);
        QFETCH(QString, literal);
        QFETCH(double, number);
        QFETCH(double, computed);
        QFETCH(QString, computedHeld);
        const QByteArray before = std::setlocale(LC_ALL, nullptr);
        auto restore = qScopeGuard([&] { std::setlocale(LC_ALL, before.constData()); });
        QVERIFY2(std::setlocale(LC_ALL, "ru_RU.UTF-8"),
                 "the locale ru_RU.UTF-8 is not generated on this machine");

        Dataset ds(m_conn.get());
        openWith(ds, column, literal);
        const QString original = held(column);
        QCOMPARE(ds.asFloat(column), number);
        ds.edit();
        ds.setValue(QStringLiteral("other"), 2);
        ds.post();
        ds.edit();
        ds.setValue(column, ds.value(column));
        ds.post();
        QCOMPARE(held(column), original);

        Command c(m_conn.get());
        c.setText(QStringLiteral("update vals set %1 = :v").arg(column));
        c.params().set(QStringLiteral("v"), ParamValue {FieldType::Float, computed});
        QCOMPARE(c.execute(), 1);
        QCOMPARE(held(column), computedHeld);
        ds.refresh();
        QCOMPARE(ds.asFloat(column), held(column).toDouble());
    }

    // A text of the driver that is not the server's form of a number is never read as one.
    void serverTextsThatAreNoNumbers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("comma") << QByteArray("0,300000");
        QTest::newRow("exponent") << QByteArray("1e5");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("sign alone") << QByteArray("-");
        QTest::newRow("point last") << QByteArray("12.");
        QTest::newRow("blank") << QByteArray(" 12");
        QTest::newRow("nan lower") << QByteArray("nan");
    }
    void serverTextsThatAreNoNumbers()
    {
        QFETCH(QByteArray, text);
        QVERIFY_THROWS_EXCEPTION(ConversionError,
                                 Decimal::fromServerText(text.constData(), text.size()));
        for (const QByteArray ok : {"-0.5", "12", "NaN", "-Infinity"})
            QCOMPARE(Decimal::fromServerText(ok.constData(), ok.size()).serverText(), ok);
    }

    // A row without an id is found by all of its values: they must match the server's exactly.
    void rowWithoutIdFoundByExactValues()
    {
        run(QStringLiteral("delete from plain"));
        m_db->exec(QStringLiteral("insert into dbvals.plain values"
                                  " (1234567890.123456, '2020-05-06 07:08:09.123456', 'ab', 'x'),"
                                  " (1234567890.123457, '2020-05-06 07:08:09.123457', 'ab', 'y')"));
        Dataset ds(m_conn.get());
        ds.setTable(QStringLiteral("plain"));
        ds.open();
        ds.setSort(QStringLiteral("n28"));
        QCOMPARE(ds.asString(QStringLiteral("note")), QStringLiteral("x"));
        ds.edit();
        ds.setValue(QStringLiteral("note"), QStringLiteral("изменено"));
        ds.post();
        QCOMPARE(m_db->scalar(QStringLiteral("select string_agg(note, ',' order by n28)"
                                             " from plain")),
                 QStringLiteral("изменено,y"));
        ds.last();
        ds.remove();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from plain")), QStringLiteral("1"));
    }

    // Whole numbers typed as text keep every digit, beyond what a double holds.
    void integersTypedAsText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("2^53 + 1") << "9007199254740993"
                                  << "9007199254740993";
        QTest::newRow("sign and blanks") << " +9007199254740995 "
                                         << "9007199254740995";
        QTest::newRow("places rounded") << "2,5"
                                        << "3";
        QTest::newRow("smallest") << "-9223372036854775808"
                                  << "-9223372036854775808";
    }
    void integersTypedAsText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Dataset ds(m_conn.get());
        openWith(ds, QStringLiteral("b"), QStringLiteral("0"));
        ds.edit();
        ds.setValue(QStringLiteral("b"), typed);
        ds.post();
        QCOMPARE(held(QStringLiteral("b")), stored);
        QCOMPARE(ds.asString(QStringLiteral("b")), stored);
        Command c(m_conn.get());
        c.setText(QStringLiteral("select b from vals"));
        QCOMPARE(c.executeScalar().toLongLong(), stored.toLongLong());
    }
    void integerOutOfRangeRefused()
    {
        Dataset ds(m_conn.get());
        openWith(ds, QStringLiteral("b"), QStringLiteral("7"));
        ds.edit();
        QVERIFY_THROWS_EXCEPTION(
            ConversionError,
            ds.setValue(QStringLiteral("b"), QStringLiteral("9223372036854775808")));
        ds.cancel();
        QCOMPARE(held(QStringLiteral("b")), QStringLiteral("7"));
    }

    // Dates the server holds but the program cannot show are refused, never shown as others.
    void datesOutOfReach_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("literal");
        QTest::newRow("date infinity") << "d"
                                       << "'infinity'";
        QTest::newRow("date -infinity") << "d"
                                        << "'-infinity'";
        QTest::newRow("date year 12345") << "d"
                                         << "'12345-06-07'";
        QTest::newRow("timestamp infinity") << "ts"
                                            << "'infinity'";
        QTest::newRow("timestamp -infinity") << "ts"
                                             << "'-infinity'";
        QTest::newRow("timestamp year 12345") << "ts"
                                              << "'12345-06-07 08:00'";
    }
    void datesOutOfReach()
    {
        QFETCH(QString, column);
        QFETCH(QString, literal);
        run(QStringLiteral("delete from vals"));
        m_db->exec(QStringLiteral("insert into dbvals.vals (%1) values (%2)").arg(column, literal));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select id, %1 from vals").arg(column));
        try {
            ds.open();
            QFAIL(qPrintable(QStringLiteral("opened, showing %1").arg(ds.asString(column))));
        } catch (const DbError &e) {
            QVERIFY2(e.text().startsWith(QStringLiteral("Поле «%1»: значение «").arg(column)),
                     qPrintable(e.text()));
            QVERIFY2(e.text().contains(QStringLiteral("бесконечная дата или дата вне диапазона")),
                     qPrintable(e.text()));
        }
        QVERIFY(!ds.isOpen());
        // The connection goes on.
        Command c(m_conn.get());
        c.setText(QStringLiteral("select count(*) from vals"));
        QCOMPARE(c.executeScalar().toLongLong(), 1);
    }

    // The latest timestamp the driver can tell from an infinite one is still read.
    void latestTimestamp()
    {
        Dataset ds(m_conn.get());
        openWith(ds, QStringLiteral("ts, d"),
                 QStringLiteral("'9999-12-31 23:59:58.999999', '9999-12-31'"));
        QCOMPARE(ds.asString(QStringLiteral("ts")), QStringLiteral("31.12.9999 23:59:58"));
        QCOMPARE(ds.asDate(QStringLiteral("d")), QDate(9999, 12, 31));
        ds.edit();
        ds.setValue(QStringLiteral("ts"), ds.value(QStringLiteral("ts")));
        ds.post();
        QCOMPARE(held(QStringLiteral("ts")), QStringLiteral("9999-12-31 23:59:58.999999"));
    }

    // An invalid QDate or QDateTime is NULL, whichever way it travels.
    void invalidDatesAreNull_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("QDate into date") << "d" << QVariant(QDate());
        QTest::newRow("QDateTime into date") << "d" << QVariant(QDateTime());
        QTest::newRow("QDateTime into timestamp") << "ts" << QVariant(QDateTime());
        QTest::newRow("QDate into timestamp") << "ts" << QVariant(QDate());
        QTest::newRow("empty text into date") << "d" << QVariant(QStringLiteral(" "));
    }
    void invalidDatesAreNull()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        Dataset ds(m_conn.get());
        openWith(ds, QStringLiteral("d, ts"), QStringLiteral("'2024-01-02', '2024-01-02 03:04'"));
        ds.edit();
        ds.setValue(column, value);
        QVERIFY(ds.isNull(column));
        ds.post();
        QCOMPARE(
            m_db->scalar(QStringLiteral("select count(*) from vals where %1 is null").arg(column)),
            QStringLiteral("1"));
        QVERIFY(ds.isNull(column));

        // What asDate() gives for the NULL goes back as NULL.
        ds.edit();
        ds.setValue(column, ds.asDate(column));
        ds.post();
        QCOMPARE(
            m_db->scalar(QStringLiteral("select count(*) from vals where %1 is null").arg(column)),
            QStringLiteral("1"));

        run(QStringLiteral("update vals set d = '2024-01-02', ts = '2024-01-02 03:04'"));
        Command c(m_conn.get());
        c.setText(QStringLiteral("update vals set %1 = :v").arg(column));
        c.params().set(QStringLiteral("v"),
                       ParamValue {column == u"d" ? FieldType::Date : FieldType::DateTime, value});
        QCOMPARE(c.execute(), 1);
        QCOMPARE(
            m_db->scalar(QStringLiteral("select count(*) from vals where %1 is null").arg(column)),
            QStringLiteral("1"));
    }

    // The whole of a long server message reaches the error box, and nothing else, up to the
    // about 4,000 bytes the driver keeps of one.
    void longServerMessages_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        const QString cyrillic(1100, QChar(u'Ж'));
        QTest::newRow("1,100 Cyrillic") << cyrillic << cyrillic;
        QString mixed;
        for (int i = 0; i < 2500; ++i)
            mixed += QChar(i % 2 ? u'ы' : u'q');
        QTest::newRow("2,500 mixed") << mixed << mixed;
        QTest::newRow("3,900 Latin") << QString(3900, QChar(u'x')) << QString(3900, QChar(u'x'));
        QTest::newRow("short") << QStringLiteral("Нет остатка") << QStringLiteral("Нет остатка");
        QTest::newRow("beyond the driver")
            << QStringLiteral("q") + QString(3000, QChar(u'Щ'))
            << QStringLiteral("Сервер сообщил об ошибке (код P0001), но её текст слишком "
                              "длинный, чтобы драйвер ODBC его передал");
    }
    void longServerMessages()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        Command c(m_conn.get());
        c.setText(QStringLiteral("do $body$ begin raise exception '%', %1; end $body$")
                      .arg(QStringLiteral("'") + message + QStringLiteral("'")));
        try {
            c.execute();
            QFAIL("no error");
        } catch (const DbError &e) {
            QVERIFY2(e.text().size() == shown.size(), qPrintable(e.text().left(300)));
            QCOMPARE(e.text(), shown);
            QCOMPARE(e.sqlState(), QStringLiteral("P0001"));
        }
        c.setText(QStringLiteral("select 1"));
        QCOMPARE(c.executeScalar().toLongLong(), 1);
    }

    // A write with `returning` that finds no row answers "no row", it does not fail.
    void returningNoRow()
    {
        run(QStringLiteral("delete from vals"));
        Command c(m_conn.get());
        c.setText(QStringLiteral("update vals set i = 1 where id = -1 returning id"));
        QVERIFY(c.executeScalar().isNull());
        c.setText(QStringLiteral("delete from vals where id = -1 returning id"));
        QVERIFY(c.executeScalar().isNull());
        QCOMPARE(c.execute(), 0);
        c.setText(QStringLiteral("insert into vals (i) values (1) returning id"));
        QVERIFY(c.executeScalar().toLongLong() > 0);

        // The row was deleted by another client: the layer's own words.
        Dataset ds(m_conn.get());
        ds.setTable(QStringLiteral("vals"));
        ds.open();
        m_db->exec(QStringLiteral("delete from dbvals.vals"));
        ds.edit();
        ds.setValue(QStringLiteral("i"), 2);
        try {
            ds.post();
            QFAIL("posted a row that is gone");
        } catch (const DbError &e) {
            QCOMPARE(e.text(),
                     QStringLiteral("Запись не найдена: её изменил или удалил другой "
                                    "пользователь"));
        }
        QCOMPARE(ds.state(), Dataset::State::Edit);
        ds.cancel();
        QCOMPARE(ds.recordCount(), 1);

        // The same for a table without an id, whose rows are found by their values.
        run(QStringLiteral("delete from plain"));
        run(QStringLiteral(
            "insert into plain values (1.5, '2024-01-02 03:04:05.678901', 'ab', 'x')"));
        Dataset plain(m_conn.get());
        plain.setTable(QStringLiteral("plain"));
        plain.open();
        m_db->exec(QStringLiteral("delete from dbvals.plain"));
        plain.edit();
        plain.setValue(QStringLiteral("note"), QStringLiteral("y"));
        try {
            plain.post();
            QFAIL("posted a row that is gone");
        } catch (const DbError &e) {
            QCOMPARE(e.text(),
                     QStringLiteral("Запись не найдена: её изменил или удалил другой "
                                    "пользователь"));
        }
        plain.cancel();
    }

    // A dollar-quoted body with digits in its tag holds no parameters.
    void dollarTagsWithDigits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fn1") << "select $fn1$:no$fn1$ as t, :a::int as a"
                             << ":no";
        QTest::newRow("a_2b") << "select $a_2b$ it's :no $a_2b$ as t, :a::int as a"
                              << " it's :no ";
        QTest::newRow("nested") << "select $x1$ $y$ :no $y$ $x1$ as t, :a::int as a"
                                << " $y$ :no $y$ ";
    }
    void dollarTagsWithDigits()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const ParsedSql parsed = parseParameters(text);
        QCOMPARE(parsed.names, QStringList {QStringLiteral("a")});
        Dataset ds(m_conn.get());
        ds.setSql(text);
        ds.params().setInteger(QStringLiteral("a"), 5);
        ds.open();
        QCOMPARE(ds.asString(QStringLiteral("t")), expected);
        QCOMPARE(ds.asInteger(QStringLiteral("a")), 5);
    }

    // Filter and locate on char(n) agree with the server, which ignores the padding in
    // comparisons but not in like. (The layer's texts compare without regard to case, the
    // server's do not: these texts differ in more than case.)
    void paddedTextsAsTheServerComparesThem_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("serverCondition");
        QTest::newRow("equal") << "c='ab'"
                               << "c = 'ab'";
        QTest::newRow("equal padded") << "c='ab  '"
                                      << "c = 'ab  '";
        QTest::newRow("like") << "c like 'ab'"
                              << "c like 'ab'";
        QTest::newRow("like padded") << "c like 'ab    '"
                                     << "c like 'ab    '";
        QTest::newRow("like prefix") << "c like 'a%'"
                                     << "c like 'a%'";
        QTest::newRow("like ending") << "c like '%b'"
                                     << "c like '%b'";
        QTest::newRow("not equal") << "c<>'ab'"
                                   << "c <> 'ab'";
        QTest::newRow("less") << "c<'ab'"
                              << "c < 'ab'";
        QTest::newRow("decimal equal") << "n28=12.5"
                                       << "n28 = 12.5";
        QTest::newRow("decimal digits") << "n28>1234567890.123456"
                                        << "n28 > 1234567890.123456";
    }
    void paddedTextsAsTheServerComparesThem()
    {
        QFETCH(QString, filter);
        QFETCH(QString, serverCondition);
        run(QStringLiteral("delete from vals"));
        run(QStringLiteral(
            "insert into vals (c, n28) values ('ab', 12.5), ('abc', 1234567890.123457),"
            " ('a', 1234567890.123456), ('ab c', 12.500001), ('b', 0)"));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select * from vals order by id"));
        ds.open();
        ds.setFilter(filter);
        ds.setFiltered(true);
        QStringList client;
        for (ds.first(); !ds.eof(); ds.next())
            client << ds.asString(QStringLiteral("id"));
        const QString server = m_db->scalar(
            QStringLiteral("select string_agg(id::text, ',' order by id) from vals where %1")
                .arg(serverCondition));
        QCOMPARE(client.join(u','), server);
    }
    void locateOnPaddedText()
    {
        run(QStringLiteral("delete from vals"));
        run(QStringLiteral("insert into vals (c, i) values ('abc', 1), ('ab', 2), ('Ab', 3)"));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select * from vals order by i"));
        ds.open();
        QVERIFY(ds.locate(QStringLiteral("c"), QStringLiteral("ab")));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 2);
        QVERIFY(ds.locate(QStringLiteral("c"), QStringLiteral("Ab  ")));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 3);
        ds.first();
        QVERIFY(ds.locate(QStringLiteral("c"), QStringLiteral("AB"), true));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 2);
        QVERIFY(!ds.locate(QStringLiteral("c"), QStringLiteral("a")));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 2);
        // Sorting puts "ab" before "abc", as the server's order by does.
        ds.setSort(QStringLiteral("c DESC"));
        ds.first();
        QCOMPARE(ds.asString(QStringLiteral("c")), QStringLiteral("abc   "));
    }

    // Decimals sort by value and find their rows by every digit.
    void decimalsSortAndLocate()
    {
        run(QStringLiteral("delete from vals"));
        run(QStringLiteral("insert into vals (n28, i) values (1234567890.123457, 1),"
                           " (-0.5, 2), (1234567890.123456, 3), (NULL, 4), (99, 5), (-12, 6)"));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select * from vals"));
        ds.open();
        ds.setSort(QStringLiteral("n28"));
        QStringList order;
        for (ds.first(); !ds.eof(); ds.next())
            order << ds.asString(QStringLiteral("i"));
        QCOMPARE(
            order.join(u','),
            m_db->scalar(QStringLiteral("select string_agg(i::text, ',' order by n28 nulls first)"
                                        " from vals")));
        QVERIFY(ds.locate(QStringLiteral("n28"), QStringLiteral("1234567890,123456")));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 3);
        QVERIFY(ds.locate(QStringLiteral("n28"), 99));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 5);
        QVERIFY(ds.locate(QStringLiteral("n28"), -0.5));
        QCOMPARE(ds.asInteger(QStringLiteral("i")), 2);
    }
};

QTEST_GUILESS_MAIN(TestDbValues)
#include "tst_db_values.moc"
