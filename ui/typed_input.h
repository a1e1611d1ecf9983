#pragma once
// What a user typed into a field, read the same way in every window: a number in the program's
// format within what its column keeps, a text no longer than its column. A value that does not
// fit throws db::ConversionError with a Russian message naming the field; handlers read their
// fields before they write anything, so the error display shows it and nothing is half-written.

#include "db/values.h"

#include <QString>

namespace ui {

struct NumberField
{
    QString title; // as the field's label reads ("Кол-во")
    // Digits before the separator that the column keeps; 15 at most, as many as a double and the
    // program's general format keep.
    int wholeDigits = 15;
    bool whole = false; // whole numbers only (rejects, hours, positions)
};
constexpr int kIntegerDigits = 9; // an integer column: every 9-digit number fits

// "12,5" and "12.5" alike, blanks around ignored, "-0" is 0. No sign, exponent, group separator
// or second separator: the fields' keys let none of them through, so a pasted one is refused.
// Digits after the separator beyond what the column keeps are rounded by the column.
db::Decimal readNumber(const QString &typed, const NumberField &field);

// The typed text without blanks around it; refused when it is longer than the column's `limit`.
QString readText(const QString &typed, const QString &title, int limit);

} // namespace ui
