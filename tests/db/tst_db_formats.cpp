// Number and date texts of the program, and the text rule of sort, filter and locate.

#include "db/db_error.h"
#include "db/formats.h"
#include "db/sort_filter.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

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
        QTest::newRow("rounds into an exponent") << 999999999999999.9 << "1E15";
        QTest::newRow("negative small") << -0.000123 << "-0,000123";
        QTest::newRow("whole with zeros") << 120000.0 << "120000";
        QTest::newRow("exact tie at 15 digits") << 8793839938306625.0 << "8,79383993830663E15";
        QTest::newRow("exact tie, carry") << 9999999999999995.0 << "1E16";
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

    // The rounding and the general format work on digits without building texts; they must
    // decide exactly as the decimal text of the value with 15 significant digits does, over the
    // values reports and editors meet: prices times quantities, sums with binary noise, ties, large
    // and small.
    void roundAgreesWithDecimalText()
    {
        const auto byText = [](double v, int places) {
            if (v == 0)
                return v;
            const QString t = QString::number(std::fabs(v), 'e', 14);
            const qsizetype e = t.indexOf(u'e');
            const QString digits = t.left(e).remove(u'.');
            const int exponent = t.mid(e + 1).toInt();
            const int keep = exponent + 1 + places;
            if (keep >= digits.size())
                return v;
            if (keep < 0)
                return v < 0 ? -0.0 : 0.0;
            // Ties go to even on the digit before the rest.
            QString kept = digits.left(keep);
            const QString rest = digits.mid(keep);
            const bool beyond = rest.mid(1).contains(QRegularExpression(QStringLiteral("[1-9]")));
            const bool odd = !kept.isEmpty() && kept.back().digitValue() % 2 == 1;
            const bool up = rest[0] > u'5' || (rest[0] == u'5' && (beyond || odd));
            const qint64 k = (kept.isEmpty() ? 0 : kept.toLongLong()) + (up ? 1 : 0);
            const double r = QStringLiteral("%1e%2").arg(k).arg(exponent + 1 - keep).toDouble();
            return v < 0 ? -r : r;
        };
        QRandomGenerator random(20261210);
        for (int i = 0; i < 200000; ++i) {
            double v = 0;
            switch (i % 5) {
            case 0: // a price with kopecks times a quantity
                v = random.bounded(1, 100000) / 100.0 * random.bounded(1, 1000) / 4.0;
                break;
            case 1: // a sum of tenths with binary noise
                for (int n = random.bounded(1, 40); n > 0; --n)
                    v += random.bounded(0, 1000) / 10.0;
                break;
            case 2: // a tie at some place
                v = (random.bounded(0, 2000000) + 0.5) / std::pow(10.0, random.bounded(0, 7));
                break;
            case 3: // any magnitude
                v = random.generateDouble() * std::pow(10.0, random.bounded(-12, 20));
                break;
            default: // whole numbers, some of 16 digits ending in 5: exact ties at 15 digits
                v = i % 10 == 4
                    ? double(random.bounded(Q_INT64_C(100000000000000), Q_INT64_C(900719925474099)))
                            * 10
                        + 5
                    : double(random.bounded(0, 1000000));
                break;
            }
            if (i % 2)
                v = -v;
            const int places = i % 7;
            // The general format spelt from the %.15g text.
            QString general = QString::number(v, 'g', 15);
            const qsizetype e = general.indexOf(u'e');
            if (e >= 0) {
                const int exponent = general.mid(e + 1).toInt();
                general = general.left(e) + u'E' + QString::number(exponent);
            }
            general.replace(u'.', u',');
            if (v == 0)
                general = QStringLiteral("0");
            QCOMPARE(formatGeneral(v), general);
            const double expected = byText(v, places);
            const double got = roundTo(v, places);
            if (got != expected || std::signbit(got) != std::signbit(expected))
                QFAIL(qPrintable(QStringLiteral("%1 на %2 знаков: %3, а по тексту %4")
                                     .arg(v, 0, 'g', 17)
                                     .arg(places)
                                     .arg(got, 0, 'g', 17)
                                     .arg(expected, 0, 'g', 17)));
        }
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
