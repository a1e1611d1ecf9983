#include "number_mask.h"

#include "db/formats.h"
#include "db/values.h"

#include <cmath>

namespace reports {

QString formatMask(double value, const QString &mask)
{
    if (!std::isfinite(value))
        return db::formatGeneral(value);
    const qsizetype point = mask.indexOf(u'.');
    const QString intPart = point < 0 ? mask : mask.left(point);
    const QString fracPart = point < 0 ? QString() : mask.mid(point + 1);
    const int required = int(fracPart.count(u'0'));
    const int places = required + int(fracPart.count(u'#'));
    const int minIntDigits = int(intPart.count(u'0'));
    const bool grouped = intPart.contains(u',');

    const double rounded = db::roundTo(value, places);
    QString text = QString::number(std::fabs(rounded), 'f', places);
    QString whole = text;
    QString fraction;
    if (places > 0) {
        whole = text.left(text.size() - places - 1);
        fraction = text.right(places);
        while (fraction.size() > required && fraction.endsWith(u'0'))
            fraction.chop(1);
    }
    if (whole == QStringLiteral("0") && minIntDigits == 0)
        whole.clear();
    while (whole.size() < minIntDigits)
        whole.prepend(u'0');
    if (grouped) {
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, QChar(0x00A0));
    }
    QString out = whole;
    if (!fraction.isEmpty())
        out += u',' + fraction;
    if (out.isEmpty())
        out = QStringLiteral("0");
    // A value that rounds to zero prints without a sign.
    const bool zero = rounded == 0;
    if (rounded < 0 && !zero)
        out.prepend(u'-');
    return out;
}

QString formatValue(const QVariant &value, const QString &mask)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (!mask.isEmpty()) {
        // Exact decimals of the data layer are masked as the numbers they are.
        if (value.metaType() == QMetaType::fromType<db::Decimal>())
            return formatMask(value.toDouble(), mask);
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
