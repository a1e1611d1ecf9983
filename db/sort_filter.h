#pragma once
// Client-side sort and filter texts of datasets, and the one text rule they share.

#include "result.h"

#include <QString>
#include <functional>
#include <vector>

namespace db {

// The layer's text rule, used by sort, filter (=, <>, <, >, like) and locate without regard to
// case: texts compare letter by letter after case folding (Cyrillic and Latin alike), by code
// point, except that "ё" stands between "е" and "ж" as in the Russian alphabet. Texts that
// differ only in case are equal (so a sort keeps their server order).
int compareText(QStringView a, QStringView b);
inline bool sameText(QStringView a, QStringView b)
{
    return compareText(a, b) == 0;
}

// A text of the column as the server compares it: char(n) without its trailing blanks.
QStringView comparableText(const StoredColumn &col, const QString &text);

// `like` patterns: "%" any run of characters, "_" one character, and a backslash makes the
// next character plain ("\%", "\_", "\\", "\'" is not needed: a quote is doubled).
// Matching follows the text rule above, so "ив%" finds "Иванов".
bool likeMatches(const QString &text, const QString &pattern);

// "<field> like '<typed>%'" that finds the rows starting with what the user typed, whatever
// quotes, "%", "_" or backslashes it holds.
QString likePrefixFilter(const QString &field, const QString &typed);

// Parsed sort text: column indexes with their directions.
struct SortKey
{
    int column;
    bool descending;
};
using FieldLookup = std::function<int(const QString &)>; // -1 when absent

// Throw DbError in Russian for a missing field or a text that cannot be parsed.
std::vector<SortKey> parseSort(const QString &text, const FieldLookup &lookup);

struct FilterCondition
{
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge, Like, NotLike, IsNull, NotNull };
    int column = -1;
    Op op = Op::Eq;
    QVariant value; // converted to the column's type
    QString pattern; // for like
};
std::vector<FilterCondition> parseFilter(const QString &text, const ResultTable &table,
                                         const FieldLookup &lookup);

bool rowMatches(const ResultTable &table, int row, const std::vector<FilterCondition> &conds);
// Orders two stored rows by the keys; NULL comes first in ascending order.
int compareRows(const ResultTable &table, int a, int b, const std::vector<SortKey> &keys);
// Compares one stored value with a value of the column's type (NULLs first).
int compareValue(const StoredColumn &col, int row, const QVariant &v);

} // namespace db
