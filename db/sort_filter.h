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
// The ranks of a table's columns, for sorting: equal values (texts by the text rule) share a
// rank, ranks follow the values' order, and NULL is -1. A column is ranked when a sort first
// needs it, and the ranks serve every later sort until the rows change (clear()): a column's
// values are compared with one another once, not on every click on a title.
class ColumnRanks
{
public:
    struct Ranked
    {
        std::vector<int> ranks; // by stored row
        int distinct = 0; // ranks run from 0 to distinct - 1
    };
    const Ranked &of(const ResultTable &table, int column);
    void clear() { m_columns.clear(); }

private:
    std::vector<Ranked> m_columns; // by column; ranks empty until ranked
};

// Puts the stored rows of `view` in the order of the keys, keeping the present order of rows
// with equal keys; NULL comes first in ascending order and last in descending.
void sortRows(std::vector<int> &view, const ResultTable &table, const std::vector<SortKey> &keys,
              ColumnRanks &ranks);

// Compares one stored value with a value of the column's type (NULLs first).
int compareValue(const StoredColumn &col, int row, const QVariant &v);

} // namespace db
