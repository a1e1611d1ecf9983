#include "formats.h"

#include "db_error.h"
#include "values.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace db {

namespace {

// Splits "d.ddde+x" into its digits and the exponent.
int splitScientific(const char *text, const char *end, char *digits, int &exponent)
{
    int count = 0;
    const char *p = text;
    for (; p < end && *p != 'e'; ++p) {
        if (*p != '.')
            digits[count++] = *p;
    }
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    return count;
}

// The digits of v > 0 with at most 15 significant ones, as the user sees them, and the power of
// ten of the first: 2,675 gives "2675" and 0. The shortest text that reads back as v is that
// text whenever it has 15 digits or fewer (it is then the nearest 15-digit decimal to v); only
// longer ones are rounded to 15 digits, and an exact tie there goes away from zero, as the
// program's texts always did. No QString in between: this runs for every printed cell.
int significantDigits(double v, char (&digits)[24], int &exponent)
{
    char text[40];
    char all[24];
    auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific);
    const int count = splitScientific(text, r.ptr, all, exponent);
    if (count <= 15) {
        std::copy(all, all + count, digits);
        return count;
    }
    // Sixteen digits ending in 5 may be the exact value, a tie at 15; the whole expansion tells.
    if (count == 16 && all[15] == '5') {
        char exact[1100];
        const auto e
            = std::to_chars(exact, exact + sizeof exact, v, std::chars_format::scientific, 1074);
        int tail = 0;
        char expansion[1100];
        const int n = splitScientific(exact, e.ptr, expansion, tail);
        if (std::all_of(expansion + 16, expansion + n, [](char c) { return c == '0'; })) {
            std::copy(all, all + 15, digits);
            int i = 14;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits[0] = '1';
                ++exponent;
            }
            return 15;
        }
    }
    r = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 14);
    return splitScientific(text, r.ptr, digits, exponent);
}

} // namespace

QString formatGeneral(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (v == 0)
        return QStringLiteral("0");
    // As %.15g: fixed from 1E-4 up to 15 digits before the point, otherwise an exponent,
    // spelt "1,23456789012346E15" and "1E-5".
    char digits[24];
    int exponent = 0;
    int count = significantDigits(std::fabs(v), digits, exponent);
    while (count > 1 && digits[count - 1] == '0')
        --count;
    char out[48];
    int n = 0;
    if (v < 0)
        out[n++] = '-';
    if (exponent < -4 || exponent >= 15) {
        out[n++] = digits[0];
        if (count > 1) {
            out[n++] = ',';
            for (int i = 1; i < count; ++i)
                out[n++] = digits[i];
        }
        out[n++] = 'E';
        n = int(std::to_chars(out + n, out + sizeof out, exponent).ptr - out);
    } else if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i)
            out[n++] = i < count ? digits[i] : '0';
        if (count > exponent + 1) {
            out[n++] = ',';
            for (int i = exponent + 1; i < count; ++i)
                out[n++] = digits[i];
        }
    } else {
        out[n++] = '0';
        out[n++] = ',';
        for (int i = -1; i > exponent; --i)
            out[n++] = '0';
        for (int i = 0; i < count; ++i)
            out[n++] = digits[i];
    }
    return QString::fromLatin1(out, n);
}

// Decides ties on the decimal text of v with 15 significant digits, which is the number the
// user sees: 2,675 is a tie there (and goes to 2,68) although its binary value lies below it.
double roundTo(double v, int places)
{
    if (!std::isfinite(v) || v == 0)
        return v;
    const bool negative = v < 0;
    char digits[24];
    int exponent = 0;
    const int count = significantDigits(std::fabs(v), digits, exponent);
    // Digits kept: those up to `places` after the decimal point.
    const int keep = exponent + 1 + places;
    if (keep >= count)
        return v;
    if (keep < 0)
        return negative ? -0.0 : 0.0;
    qint64 kept = 0;
    for (int i = 0; i < keep; ++i)
        kept = kept * 10 + (digits[i] - '0');
    bool up = digits[keep] > '5';
    if (digits[keep] == '5') {
        bool beyond = false;
        for (int i = keep + 1; i < count; ++i)
            beyond = beyond || digits[i] != '0';
        up = beyond || kept % 2 == 1;
    }
    if (up)
        ++kept;
    if (kept == 0)
        return negative ? -0.0 : 0.0;
    // value = kept * 10^shift. Both factors are exact doubles for the shifts that occur, so
    // one multiplication or division gives the nearest double, as reading the text would.
    const int shift = exponent + 1 - keep;
    double r = 0;
    if (shift >= 0 && shift <= 22)
        r = double(kept) * kExactPowersOfTen[shift];
    else if (shift < 0 && shift >= -22)
        r = double(kept) / kExactPowersOfTen[-shift];
    else
        r = std::strtod((std::to_string(kept) + 'e' + std::to_string(shift)).c_str(), nullptr);
    return negative ? -r : r;
}

QString formatFixed(double v, int places)
{
    const double rounded = roundTo(v, places);
    if (!std::isfinite(rounded))
        return formatGeneral(rounded);
    char text[400];
    // No "-0,00": a value that rounds to zero has no sign.
    const auto r = std::to_chars(text, text + sizeof text, rounded == 0 ? 0.0 : rounded,
                                 std::chars_format::fixed, places);
    if (r.ec != std::errc())
        return formatGeneral(rounded);
    QString out = QString::fromLatin1(text, int(r.ptr - text));
    out.replace(u'.', u',');
    return out;
}

int placesNeeded(double v, int places)
{
    const double rounded = roundTo(v, places);
    int needed = 0;
    while (needed < places && roundTo(rounded, needed) != rounded)
        ++needed;
    return needed;
}

QString sqlDateText(const QDate &d)
{
    return d.toString(QStringLiteral("dd.MM.yyyy"));
}

double parseNumber(const QString &text)
{
    QString t = text.trimmed();
    const qsizetype comma = t.indexOf(u',');
    if (comma >= 0)
        t[comma] = u'.';
    bool ok = false;
    double v = 0;
    // Only digits, one separator and a sign: no group separators, no exponent from a user.
    static const QRegularExpression shape(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (shape.match(t).hasMatch())
        v = QLocale::c().toDouble(t, &ok);
    if (!ok)
        throw ConversionError(QStringLiteral("«%1» не является числом").arg(text));
    return v;
}

qint64 parseInteger(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^[+-]?\\d+$"));
    const QString t = text.trimmed();
    if (!whole.match(t).hasMatch())
        return qRound64(parseNumber(text));
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok)
        throw ConversionError(
            QStringLiteral("«%1» не является целым числом допустимой величины").arg(text));
    return v;
}

QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
    if (!d.isValid())
        throw ConversionError(QStringLiteral("«%1» не является датой").arg(text));
    return d;
}

QString displayText(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return formatGeneral(v.toDouble());
    case QMetaType::QDate:
        return dateText(v.toDate());
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    default:
        // Decimals show every digit they hold, timestamps as date and time (their own texts).
        return v.toString();
    }
}

void useCNumberLocale()
{
    const std::lconv *numbers = std::localeconv();
    if (std::strcmp(numbers->decimal_point, ".") != 0 || numbers->thousands_sep[0] != '\0')
        std::setlocale(LC_NUMERIC, "C");
}

} // namespace db
