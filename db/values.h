#pragma once
// Exact values of the data layer: decimals and timestamps as the server holds them, where a
// double or a QDateTime would change them (a double keeps 15-17 digits, a QDateTime only
// milliseconds). Both travel in a QVariant and convert to double, qint64, QString, QDateTime and
// QDate through QVariant's own conversions (toDouble(), toString(), toDateTime(), ...).

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QString>

namespace db {

// 10^0 … 10^22, every one an exact double: a whole number of up to 15 digits times or over one
// of them is, in one operation, the nearest double to that decimal, as reading its text gives.
inline constexpr double kExactPowersOfTen[]
    = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A numeric value of a decimal column: its digits as the server writes them ("-1234.500000",
// "NaN", "Infinity"), so a value nobody touched goes back unchanged and a typed one keeps every
// digit. QVariant::toString() gives the program's text (see text()).
class Decimal
{
public:
    Decimal() = default; // null
    // The server's text or a typed one in the program's format ("12,5", "12.5", "-0,001").
    // Throws ConversionError for anything else (no exponent, no group separators).
    static Decimal parse(const QString &text);
    // The double as the user sees it: up to 15 significant digits, as the windows' general
    // format shows it.
    static Decimal fromDouble(double v);
    static Decimal fromInteger(qint64 v);
    // The server's text as the driver hands it over: [-]digits[.digits], "NaN", "Infinity" or
    // "-Infinity". Anything else (a "," written under another number locale, an exponent, a
    // cut text) throws ConversionError: read as it stands it would be another number.
    static Decimal fromServerText(const char *text, qsizetype length);
    static bool isServerText(const char *text, qsizetype length);

    bool isNull() const { return size() == 0; }
    // The server's form: "." as the separator, no exponent (what is bound to statements).
    QByteArray serverText() const { return QByteArray(data(), size()); }
    // The program's form: "," as the separator, no trailing zeros ("1234567890,123456", "5").
    QString text() const;
    double toDouble() const;
    // The whole number when there are no fraction digits and it fits; otherwise rounded as
    // qRound64 rounds the double.
    qint64 toInteger() const;
    // -1, 0, 1 by value (NaN above every number, as on the server).
    int compare(const Decimal &other) const;
    friend bool operator==(const Decimal &a, const Decimal &b) { return a.compare(b) == 0; }
    friend bool operator!=(const Decimal &a, const Decimal &b) { return a.compare(b) != 0; }

private:
    // The digits of a numeric(28,6) and the like fit in the object itself: a result of ten
    // thousand rows allocates nothing per value; longer ones go to m_large.
    static constexpr int kSmall = 31;
    void assign(const char *text, qsizetype length);
    const char *data() const { return m_size >= 0 ? m_small : m_large.constData(); }
    qsizetype size() const { return m_size >= 0 ? m_size : m_large.size(); }
    QByteArrayView view() const { return QByteArrayView(data(), size()); }

    char m_small[kSmall];
    qint8 m_size = 0; // length in m_small, -1 when the digits are in m_large
    QByteArray m_large;
};

// A timestamp of the server with its microseconds, kept as wall-clock date and time (the
// server's timestamps carry no zone). Years before 1 are BC, as QDate counts them.
class Timestamp
{
public:
    Timestamp() = default; // null
    Timestamp(const QDate &date, qint64 microsecondsOfDay);
    // A QDateTime's date and time fields (milliseconds); an invalid one gives a null Timestamp.
    static Timestamp fromDateTime(const QDateTime &t);

    bool isNull() const { return !m_date.isValid(); }
    QDate date() const { return m_date; }
    qint64 microsecondsOfDay() const { return m_micros; }
    // Date and time fields in a UTC QDateTime, cut to milliseconds.
    QDateTime toDateTime() const;
    // "2024-02-29 13:45:10.250000", " BC" after a year before 1 (what is bound to statements).
    QByteArray serverText() const;
    // "29.02.2024 13:45:10", as the windows show a date and time.
    QString text() const;
    int compare(const Timestamp &other) const;
    friend bool operator==(const Timestamp &a, const Timestamp &b) { return a.compare(b) == 0; }
    friend bool operator!=(const Timestamp &a, const Timestamp &b) { return a.compare(b) != 0; }

private:
    QDate m_date;
    qint64 m_micros = 0;
};

// "dd.MM.yyyy", with the year written positive and " до н. э." after it for years before 1.
QString dateText(const QDate &d);

} // namespace db

Q_DECLARE_METATYPE(db::Decimal)
Q_DECLARE_METATYPE(db::Timestamp)
