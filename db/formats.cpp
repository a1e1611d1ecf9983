#include "formats.h"

#include "db_error.h"
#include "values.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace db {

QString formatGeneral(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (v == 0)
        return QStringLiteral("0");
    // %g with 15 digits picks the same fixed/exponent split as the general format
    // (exponent below -4 or from 15 up); only the spelling of the exponent differs.
    QString s = QString::number(v, 'g', 15);
    const qsizetype e = s.indexOf(u'e');
    if (e >= 0) {
        QString mantissa = s.left(e);
        QString exponent = s.mid(e + 1);
        const bool negative = exponent.startsWith(u'-');
        exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(u'0'))
            exponent.remove(0, 1);
        s = mantissa + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    s.replace(u'.', u',');
    return s;
}

// Decides ties on the decimal text of v with 15 significant digits, which is the number the
// user sees: 2,675 is a tie there (and goes to 2,68) although its binary value lies below it.
double roundTo(double v, int places)
{
    if (!std::isfinite(v) || v == 0)
        return v;
    const bool negative = v < 0;
    // d.dddddddddddddde±x: 15 significant digits and the exponent.
    const QString text = QString::number(std::fabs(v), 'e', 14);
    const qsizetype ePos = text.indexOf(u'e');
    QString digits = text.left(ePos);
    digits.remove(u'.');
    const int exponent = text.mid(ePos + 1).toInt();
    // Digits kept: those up to `places` after the decimal point.
    const int keep = exponent + 1 + places;
    if (keep >= digits.size())
        return v;
    if (keep < 0)
        return negative ? -0.0 : 0.0;
    QString kept = digits.left(keep);
    const QString rest = digits.mid(keep);
    bool up = false;
    if (rest[0] > u'5') {
        up = true;
    } else if (rest[0] == u'5') {
        bool beyond = false;
        for (qsizetype i = 1; i < rest.size(); ++i)
            beyond = beyond || rest[i] != u'0';
        const bool lastOdd = !kept.isEmpty() && (kept.back().digitValue() % 2 == 1);
        up = beyond || lastOdd;
    }
    if (kept.isEmpty())
        kept = QStringLiteral("0");
    int shift = exponent + 1 - keep; // value = kept * 10^shift
    if (up) {
        qsizetype i = kept.size() - 1;
        while (i >= 0 && kept[i] == u'9') {
            kept[i] = u'0';
            --i;
        }
        if (i < 0)
            kept.prepend(u'1');
        else
            kept[i] = QChar(u'0' + kept[i].digitValue() + 1);
    }
    if (keep == 0 && !up)
        return negative ? -0.0 : 0.0;
    const double r = QStringLiteral("%1e%2").arg(kept).arg(shift).toDouble();
    return negative ? -r : r;
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

} // namespace db
