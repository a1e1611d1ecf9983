// Number and date texts of the program, and the text rule of sort, filter and locate.

#include "db/db_error.h"
#include "db/formats.h"
#include "db/sort_filter.h"

#include <QTest>

using namespace db;

class TestDbFormats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void generalFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("integer") << 12.0 << "12";
        QTest::newRow("fraction") << 12.5 << "12,5";
        QTest::newRow("tenth") << 0.1 << "0,1";
        QTest::newRow("binary noise") << 0.1 + 0.2 << "0,3";
        QTest::newRow("negative") << -3.25 << "-3,25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("no groups") << 1234567.0 << "1234567";
        QTest::newRow("15 digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("16 digits") << 1234567890123456.0 << "1,23456789012346E15";
        QTest::newRow("small fixed") << 0.0001 << "0,0001";
        QTest::newRow("small exponent") << 0.00001 << "1E-5";
        QTest::newRow("tiny") << 1.5e-20 << "1,5E-20";
        QTest::newRow("rounded to 15") << 2.0 / 3.0 << "0,666666666666667";
    }
    void generalFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatGeneral(value), text);
    }

    void roundTiesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("places");
        QTest::addColumn<double>("expected");
        QTest::newRow("2.5 -> 2") << 2.5 << 0 << 2.0;
        QTest::newRow("3.5 -> 4") << 3.5 << 0 << 4.0;
        QTest::newRow("0.5 -> 0") << 0.5 << 0 << 0.0;
        QTest::newRow("0.125 -> 0.12") << 0.125 << 2 << 0.12;
        QTest::newRow("0.135 -> 0.14") << 0.135 << 2 << 0.14;
        // The binary value of 2.675 lies below the tie; the decimal text decides.
        QTest::newRow("2.675 -> 2.68") << 2.675 << 2 << 2.68;
        QTest::newRow("2.665 -> 2.66") << 2.665 << 2 << 2.66;
        QTest::newRow("above tie") << 0.12501 << 2 << 0.13;
        QTest::newRow("below tie") << 0.12499 << 2 << 0.12;
        QTest::newRow("negative tie") << -0.125 << 2 << -0.12;
        QTest::newRow("negative up") << -1.005 << 2 << -1.0;
        QTest::newRow("carry") << 9.9995 << 3 << 10.0;
        QTest::newRow("four places") << 1.23455 << 4 << 1.2346;
        QTest::newRow("four places even") << 1.23445 << 4 << 1.2344;
        QTest::newRow("three places") << 0.0005 << 3 << 0.0;
        QTest::newRow("small to zero") << 0.00004 << 2 << 0.0;
        QTest::newRow("nothing to do") << 1.5 << 4 << 1.5;
        QTest::newRow("sum noise") << 0.1 + 0.2 << 4 << 0.3;
    }
    void roundTiesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, places);
        QFETCH(double, expected);
        QCOMPARE(roundTo(value, places), expected);
    }

    void parseNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << "12,5" << true << 12.5;
        QTest::newRow("point") << "12.5" << true << 12.5;
        QTest::newRow("blanks") << "  7 " << true << 7.0;
        QTest::newRow("negative") << "-0,25" << true << -0.25;
        QTest::newRow("trailing separator") << "3," << true << 3.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("two separators") << "1,2,3" << false << 0.0;
        QTest::newRow("groups") << "1 000" << false << 0.0;
    }
    void parseNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        if (valid) {
            QCOMPARE(parseNumber(text), value);
            return;
        }
        try {
            parseNumber(text);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QCOMPARE(e.text(), QStringLiteral("«%1» не является числом").arg(text));
        }
    }

    void dates()
    {
        QCOMPARE(sqlDateText(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
        QCOMPARE(parseDate(QStringLiteral("05.03.2024")), QDate(2024, 3, 5));
        QCOMPARE(parseDate(QStringLiteral("5.3.2024")), QDate(2024, 3, 5));
        QVERIFY_THROWS_EXCEPTION(ConversionError, parseDate(QStringLiteral("31.02.2024")));
        QVERIFY_THROWS_EXCEPTION(ConversionError, parseDate(QStringLiteral("2024-03-05")));
    }

    void displayTexts()
    {
        QCOMPARE(displayText(QVariant()), QString());
        QCOMPARE(displayText(QVariant(qint64(42))), QStringLiteral("42"));
        QCOMPARE(displayText(QVariant(2.5)), QStringLiteral("2,5"));
        QCOMPARE(displayText(QVariant(QDate(2024, 1, 9))), QStringLiteral("09.01.2024"));
        QCOMPARE(displayText(QVariant(QDateTime(QDate(2024, 1, 9), QTime(7, 5, 3)))),
                 QStringLiteral("09.01.2024 07:05:03"));
    }

    void textRule_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("case ignored cyrillic") << "иванов"
                                               << "ИВАНОВ" << 0;
        QTest::newRow("case ignored latin") << "Abc"
                                            << "aBC" << 0;
        QTest::newRow("alphabet") << "Андреев"
                                  << "Борисов" << -1;
        QTest::newRow("lower before upper ignored") << "борисов"
                                                    << "Андреев" << 1;
        QTest::newRow("yo after ye") << "Ёлкин"
                                     << "Елкин" << 1;
        QTest::newRow("yo before zhe") << "Ёлкин"
                                       << "Жуков" << -1;
        QTest::newRow("yo before ya") << "ёж"
                                      << "Яков" << -1;
        QTest::newRow("prefix first") << "Иван"
                                      << "Иванов" << -1;
        QTest::newRow("latin before cyrillic") << "Zeta"
                                               << "Альфа" << -1;
    }
    void textRule()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(qBound(-1, compareText(a, b), 1), order);
        QCOMPARE(qBound(-1, compareText(b, a), 1), -order);
    }

    void like_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("match");
        QTest::newRow("prefix") << "Иванов"
                                << "Ив%" << true;
        QTest::newRow("prefix lower") << "Иванов"
                                      << "ив%" << true;
        QTest::newRow("prefix upper") << "иванов"
                                      << "ИВА%" << true;
        QTest::newRow("latin case") << "Smith"
                                    << "sm%" << true;
        QTest::newRow("not prefix") << "Петров"
                                    << "Ив%" << false;
        QTest::newRow("inside") << "Петров"
                                << "%тро%" << true;
        QTest::newRow("one char") << "кот"
                                  << "к_т" << true;
        QTest::newRow("one char too many") << "коот"
                                           << "к_т" << false;
        QTest::newRow("exact") << "кот"
                               << "кот" << true;
        QTest::newRow("exact longer") << "кот"
                                      << "ко" << false;
        QTest::newRow("escaped percent") << "100%"
                                         << "100\\%" << true;
        QTest::newRow("escaped percent literal") << "1000"
                                                 << "100\\%" << false;
        QTest::newRow("escaped underscore") << "a_b"
                                            << "a\\_b" << true;
        QTest::newRow("escaped underscore literal") << "axb"
                                                    << "a\\_b" << false;
        QTest::newRow("backtracking") << "ababc"
                                      << "%abc" << true;
        QTest::newRow("empty pattern") << ""
                                       << "%" << true;
    }
    void like()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, match);
        QCOMPARE(likeMatches(text, pattern), match);
    }

    void prefixFilterText()
    {
        QCOMPARE(likePrefixFilter(QStringLiteral("fio"), QStringLiteral("Ив")),
                 QStringLiteral("fio like 'Ив%'"));
        QCOMPARE(likePrefixFilter(QStringLiteral("fio"), QStringLiteral("O'B")),
                 QStringLiteral("fio like 'O''B%'"));
        QCOMPARE(likePrefixFilter(QStringLiteral("s"), QStringLiteral("5%_\\")),
                 QStringLiteral("s like '5\\%\\_\\\\%'"));
    }
};

QTEST_GUILESS_MAIN(TestDbFormats)
#include "tst_db_formats.moc"
