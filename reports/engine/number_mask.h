#pragma once
// Number masks of the printed reports: "#0" no decimals, "#0.00" two, "#0.000" three;
// "#,##0.00" groups thousands with a non-breaking space; '#' after the point is an optional
// digit. The decimal separator is ",". Rounding is the program's: to the mask's places with
// ties to even on the decimal value the user sees, so 2,675 prints "2,68" and 2,665 "2,66".

#include <QString>
#include <QVariant>

namespace reports {

QString formatMask(double value, const QString &mask);
// A value of a cell: numbers through the mask when there is one, otherwise (and texts) as
// the program shows values everywhere (general format, dd.MM.yyyy).
QString formatValue(const QVariant &value, const QString &mask);

} // namespace reports
