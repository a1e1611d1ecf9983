#include "number_mask.h"

#include "db/formats.h"
#include "db/values.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace reports {

QString formatMask(double value, const QString &mask)
{
    if (!std::isfinite(value))
        return db::formatGeneral(value);
    // The mask: digits required before the point, places after it, required ones among them.
    int minIntDigits = 0, places = 0, required = 0;
    bool grouped = false, afterPoint = false;
    for (const QChar c : mask) {
        if (c == u'.')
            afterPoint = true;
        else if (!afterPoint && c == u'0')
            ++minIntDigits;
        else if (!afterPoint && c == u',')
            grouped = true;
        else if (afterPoint && (c == u'0' || c == u'#')) {
            ++places;
            required += c == u'0' ? 1 : 0;
        }
    }

    const double rounded = db::roundTo(value, places);
    // Every cell of a report passes here: the text is built in place, not from QString pieces.
    char fixed[400];
    const auto r = std::to_chars(fixed, fixed + sizeof fixed, std::fabs(rounded),
                                 std::chars_format::fixed, places);
    if (r.ec != std::errc())
        return db::formatGeneral(rounded);
    const int length = int(r.ptr - fixed);
    int wholeLength = places > 0 ? length - places - 1 : length;
    const char *fraction = fixed + wholeLength + 1;
    int fractionLength = places;
    while (fractionLength > required && fraction[fractionLength - 1] == '0')
        --fractionLength;
    const char *whole = fixed;
    if (wholeLength == 1 && whole[0] == '0' && minIntDigits == 0)
        wholeLength = 0;

    QString out;
    out.reserve(wholeLength + minIntDigits + wholeLength / 3 + fractionLength + 3);
    // A value that rounds to zero prints without a sign.
    if (rounded < 0)
        out += u'-';
    const int digits = std::max(wholeLength, minIntDigits);
    for (int i = 0; i < digits; ++i) {
        if (grouped && i > 0 && (digits - i) % 3 == 0)
            out += QChar(0x00A0);
        const int k = i - (digits - wholeLength);
        out += k < 0 ? u'0' : QChar(QLatin1Char(whole[k]));
    }
    if (fractionLength > 0) {
        out += u',';
        for (int i = 0; i < fractionLength; ++i)
            out += QLatin1Char(fraction[i]);
    }
    if (out.isEmpty() || out == QStringLiteral("-"))
        return QStringLiteral("0");
    return out;
}

QString formatValue(const QVariant &value, const QString &mask)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (!mask.isEmpty()) {
        // Exact decimals of the data layer are masked as the numbers they are.
        if (value.typeId() == qMetaTypeId<db::Decimal>())
            return formatMask(value.value<db::Decimal>().toDouble(), mask);
        switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::ULongLong:
        case QMetaType::UInt:
            return formatMask(value.toDouble(), mask);
        default:
            break;
        }
    }
    return db::displayText(value);
}

} // namespace reports
