#pragma once
// The program's number and date texts: Russian whatever the machine says
// (dd.MM.yyyy, decimal separator ",").

#include <QDate>
#include <QString>

namespace db {

// General format: up to 15 significant digits, no trailing zeros, no group separators,
// "," as the separator ("12,5", "0,1", "1E-20" style exponent for very small/large values).
QString formatGeneral(double v);
// Rounds to `places` decimals, ties to even on the decimal value (2,5 -> 2; 0,125 -> 0,12).
double roundTo(double v, int places);
// Fixed format: rounded as roundTo rounds, with exactly `places` decimals and "," as the
// separator ("11722,69", "48,00", "-0,5" with 1; a value that rounds to zero is "0,00").
QString formatFixed(double v, int places);
// How many of `places` decimals v needs once rounded to them (12,50 with 3 needs 1).
int placesNeeded(double v, int places);
// "dd.MM.yyyy" for statements that take a date as day.month.year text.
QString sqlDateText(const QDate &d);
// A number typed by the user in the program's format (",", also "."); throws ConversionError.
double parseNumber(const QString &text);
// A whole number typed by the user, exactly (a double would turn 9007199254740993 into
// ...992); a number with places is rounded as qRound64 rounds. Throws ConversionError.
qint64 parseInteger(const QString &text);
// A date in dd.MM.yyyy; throws ConversionError.
QDate parseDate(const QString &text);

// The driver and the spreadsheet library write and read numbers through the C library, in the
// process's number locale: under ru_RU they would write "21,5" where the server and the file
// mean "21.5". The application object takes that locale from LANG, so it is set back to "C"
// before either runs (every connect, statement and workbook checks; the program's own number
// texts above never use it).
void useCNumberLocale();

} // namespace db

#include <QVariant>

namespace db {

// A stored value as the grids and asString show it: numbers in general format, dates
// dd.MM.yyyy, date-times dd.MM.yyyy hh:mm:ss, NULL as "".
QString displayText(const QVariant &v);

} // namespace db
