#include "sort_filter.h"

#include <QHash>
#include <algorithm>
#include <bit>

#include "db_error.h"
#include "formats.h"

namespace db {

namespace {

// Weight of one character under the text rule: folded code point, "ё" just after "е".
inline uint weight(QChar c)
{
    const char16_t f = c.toCaseFolded().unicode();
    if (f == u'ё')
        return uint(u'е') * 2 + 1;
    return uint(f) * 2;
}

template<typename T>
int threeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

QString fieldMissing(const QString &name)
{
    return QStringLiteral("Поле «%1» не найдено").arg(name);
}

} // namespace

int compareText(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const uint wa = weight(pa[i]), wb = weight(pb[i]);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return threeWay(a.size(), b.size());
}

QStringView comparableText(const StoredColumn &col, const QString &text)
{
    QStringView v(text);
    if (col.padded) {
        while (!v.isEmpty() && v.back() == u' ')
            v.chop(1);
    }
    return v;
}

bool likeMatches(const QString &text, const QString &pattern)
{
    // Iterative matching with one backtrack point for the last "%".
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    const qsizetype tn = text.size(), pn = pattern.size();
    while (t < tn) {
        if (p < pn) {
            const QChar pc = pattern[p];
            if (pc == u'%') {
                starP = ++p;
                starT = t;
                continue;
            }
            if (pc == u'_') {
                ++p;
                ++t;
                continue;
            }
            const bool escaped = pc == u'\\' && p + 1 < pn;
            const QChar lit = escaped ? pattern[p + 1] : pc;
            if (weight(lit) == weight(text[t])) {
                p += escaped ? 2 : 1;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pn && pattern[p] == u'%')
        ++p;
    return p == pn;
}

QString likePrefixFilter(const QString &field, const QString &typed)
{
    QString escaped;
    escaped.reserve(typed.size() + 4);
    for (QChar c : typed) {
        if (c == u'%' || c == u'_' || c == u'\\')
            escaped += u'\\';
        escaped += c;
        if (c == u'\'')
            escaped += u'\'';
    }
    return QStringLiteral("%1 like '%2%'").arg(field, escaped);
}

std::vector<SortKey> parseSort(const QString &text, const FieldLookup &lookup)
{
    std::vector<SortKey> keys;
    if (text.trimmed().isEmpty())
        return keys;
    const QString bad = QStringLiteral("Неверный текст сортировки: «%1»").arg(text);
    for (const QString &item : text.split(u',')) {
        const QStringList words = item.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty() || words.size() > 2)
            throw DbError(bad);
        bool descending = false;
        if (words.size() == 2) {
            if (words[1].compare(u"DESC", Qt::CaseInsensitive) == 0)
                descending = true;
            else if (words[1].compare(u"ASC", Qt::CaseInsensitive) != 0)
                throw DbError(bad);
        }
        const int column = lookup(words[0]);
        if (column < 0)
            throw DbError(fieldMissing(words[0]));
        keys.push_back({column, descending});
    }
    return keys;
}

namespace {

struct Token
{
    enum Kind { Word, Text, Number, Op, End } kind;
    QString text;
};

std::vector<Token> tokenize(const QString &s, const QString &bad)
{
    std::vector<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'\'') {
            QString value;
            qsizetype j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    throw DbError(bad);
                if (s[j] == u'\'') {
                    if (j + 1 < n && s[j + 1] == u'\'') {
                        value += u'\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                value += s[j];
            }
            out.push_back({Token::Text, value});
            i = j + 1;
        } else if (c.isDigit() || ((c == u'-' || c == u'.') && i + 1 < n && s[i + 1].isDigit())) {
            qsizetype j = i + 1;
            while (j < n && (s[j].isDigit() || s[j] == u'.'))
                ++j;
            out.push_back({Token::Number, s.mid(i, j - i)});
            i = j;
        } else if (c.isLetter() || c == u'_') {
            qsizetype j = i + 1;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == u'_' || s[j] == u'.'))
                ++j;
            out.push_back({Token::Word, s.mid(i, j - i)});
            i = j;
        } else if (c == u'<' || c == u'>' || c == u'!' || c == u'=') {
            QString op(c);
            if (i + 1 < n && (s[i + 1] == u'=' || (c == u'<' && s[i + 1] == u'>')))
                op += s[i + 1];
            if (op == u"!")
                throw DbError(bad);
            out.push_back({Token::Op, op});
            i += op.size();
        } else {
            throw DbError(bad);
        }
    }
    out.push_back({Token::End, QString()});
    return out;
}

bool isWord(const Token &t, const char16_t *word)
{
    return t.kind == Token::Word && t.text.compare(QStringView(word), Qt::CaseInsensitive) == 0;
}

QVariant literalFor(const StoredColumn &col, const Token &t, const QString &bad)
{
    try {
        switch (col.field.type) {
        case FieldType::Integer:
            return QVariant(parseNumber(t.text));
        case FieldType::Float:
            if (col.exact)
                return QVariant::fromValue(Decimal::parse(t.text));
            return QVariant(parseNumber(t.text));
        case FieldType::Date:
        case FieldType::DateTime: {
            if (t.kind != Token::Text)
                throw DbError(bad);
            QDate d = QDate::fromString(t.text.trimmed(), Qt::ISODate);
            if (!d.isValid())
                d = parseDate(t.text);
            if (col.field.type == FieldType::Date)
                return QVariant(d);
            return QVariant::fromValue(Timestamp(d, 0));
        }
        case FieldType::String:
        case FieldType::Boolean:
            break;
        }
    } catch (const ConversionError &e) {
        throw DbError(QStringLiteral("Неверное значение в фильтре поля «%1»: %2")
                          .arg(col.field.name, e.text()));
    }
    return QVariant(t.text);
}

} // namespace

std::vector<FilterCondition> parseFilter(const QString &text, const ResultTable &table,
                                         const FieldLookup &lookup)
{
    using Op = FilterCondition::Op;
    std::vector<FilterCondition> conds;
    if (text.trimmed().isEmpty())
        return conds;
    const QString bad = QStringLiteral("Неверный текст фильтра: «%1»").arg(text);
    const std::vector<Token> tokens = tokenize(text, bad);
    size_t i = 0;
    for (;;) {
        const Token &name = tokens[i++];
        if (name.kind != Token::Word)
            throw DbError(bad);
        FilterCondition c;
        c.column = lookup(name.text);
        if (c.column < 0)
            throw DbError(fieldMissing(name.text));
        const StoredColumn &col = table.columns[c.column];
        const Token &op = tokens[i++];
        if (isWord(op, u"is")) {
            c.op = Op::IsNull;
            if (isWord(tokens[i], u"not")) {
                c.op = Op::NotNull;
                ++i;
            }
            if (!isWord(tokens[i++], u"null"))
                throw DbError(bad);
        } else {
            if (isWord(op, u"like")) {
                c.op = Op::Like;
            } else if (isWord(op, u"not") && isWord(tokens[i], u"like")) {
                c.op = Op::NotLike;
                ++i;
            } else if (op.kind == Token::Op) {
                static const std::pair<const char16_t *, Op> ops[]
                    = {{u"=", Op::Eq},  {u"<>", Op::Ne}, {u"!=", Op::Ne}, {u"<", Op::Lt},
                       {u"<=", Op::Le}, {u">", Op::Gt},  {u">=", Op::Ge}};
                bool found = false;
                for (const auto &[spelling, value] : ops) {
                    if (op.text == QStringView(spelling)) {
                        c.op = value;
                        found = true;
                    }
                }
                if (!found)
                    throw DbError(bad);
            } else {
                throw DbError(bad);
            }
            const Token &value = tokens[i++];
            if (value.kind != Token::Text && value.kind != Token::Number)
                throw DbError(bad);
            if (c.op == Op::Like || c.op == Op::NotLike) {
                if (value.kind != Token::Text)
                    throw DbError(bad);
                c.pattern = value.text;
            } else {
                c.value = literalFor(col, value, bad);
            }
        }
        conds.push_back(c);
        if (tokens[i].kind == Token::End)
            break;
        if (!isWord(tokens[i++], u"and"))
            throw DbError(bad);
    }
    return conds;
}

int compareValue(const StoredColumn &col, int row, const QVariant &v)
{
    const bool nullA = col.nulls[row], nullB = v.isNull() || !v.isValid();
    if (nullA || nullB)
        return threeWay(!nullA, !nullB);
    switch (col.field.type) {
    case FieldType::Integer:
        if (v.typeId() == QMetaType::Double)
            return threeWay(double(col.integers[row]), v.toDouble());
        return threeWay(col.integers[row], v.toLongLong());
    case FieldType::Float:
        if (!col.exact)
            return threeWay(col.numbers[row], v.toDouble());
        return col.decimals[row].compare(toFieldType(v, FieldType::Float, true).value<Decimal>());
    case FieldType::Date:
        return threeWay(col.dates[row], v.toDate());
    case FieldType::DateTime:
        return col.stamps[row].compare(toFieldType(v, FieldType::DateTime).value<Timestamp>());
    case FieldType::String:
    case FieldType::Boolean:
        break;
    }
    const QString other = v.toString();
    return compareText(comparableText(col, col.texts[row]), comparableText(col, other));
}

bool rowMatches(const ResultTable &table, int row, const std::vector<FilterCondition> &conds)
{
    using Op = FilterCondition::Op;
    for (const FilterCondition &c : conds) {
        const StoredColumn &col = table.columns[c.column];
        const bool null = col.nulls[row];
        bool ok = false;
        switch (c.op) {
        case Op::IsNull:
            ok = null;
            break;
        case Op::NotNull:
            ok = !null;
            break;
        case Op::Like:
        case Op::NotLike:
            // A NULL is neither like nor unlike anything, as on the server.
            // On char(n) the padding counts here, as it does in the server's like.
            ok = !null
                && (likeMatches(displayText(col.value(row)), c.pattern) == (c.op == Op::Like));
            break;
        default: {
            if (null)
                return false;
            const int cmp = compareValue(col, row, c.value);
            ok = (c.op == Op::Eq && cmp == 0) || (c.op == Op::Ne && cmp != 0)
                || (c.op == Op::Lt && cmp < 0) || (c.op == Op::Le && cmp <= 0)
                || (c.op == Op::Gt && cmp > 0) || (c.op == Op::Ge && cmp >= 0);
        }
        }
        if (!ok)
            return false;
    }
    return true;
}

namespace {

// The weights of a text's first four letters in 16 bits each, highest first, a missing letter
// as 0: a smaller number means a text that comes earlier under the rule, equal numbers tell
// nothing. A weight that does not fit 16 bits (no letter of Russian or English) becomes 0xFFFF,
// which no letter has, and ends the number, so such texts only "begin alike".
quint64 prefixWeight(QStringView text)
{
    quint64 key = 0;
    bool cut = false;
    for (qsizetype i = 0; i < 4; ++i) {
        uint w = 0;
        if (!cut && i < text.size()) {
            w = weight(text[i]);
            cut = w >= 0xFFFF;
            w = qMin(w, 0xFFFFu);
        }
        key = (key << 16) | w;
    }
    return key;
}

// Ranks of a text column's rows; rows that are NULL keep -1, the order looks at NULL first.
ColumnRanks::Ranked rankTexts(const StoredColumn &col, int rows)
{
    std::vector<int> idOfRow(rows, -1);
    std::vector<QStringView> distinct;
    QHash<QStringView, int> ids;
    for (int r = 0; r < rows; ++r) {
        if (col.nulls[r])
            continue;
        const QStringView text = comparableText(col, col.texts[r]);
        const auto it = ids.constFind(text);
        if (it != ids.constEnd()) {
            idOfRow[r] = *it;
        } else {
            idOfRow[r] = int(distinct.size());
            ids.insert(text, idOfRow[r]);
            distinct.push_back(text);
        }
    }
    // The texts are ordered by the weights of their first four letters packed into one number,
    // read once in a row, so that most comparisons touch neither the texts nor the case folding;
    // only texts that begin alike are compared in full.
    struct Keyed
    {
        quint64 prefix;
        int id;
    };
    std::vector<Keyed> keyed(distinct.size());
    for (size_t i = 0; i < distinct.size(); ++i)
        keyed[i] = {prefixWeight(distinct[i]), int(i)};
    std::sort(keyed.begin(), keyed.end(), [&distinct](const Keyed &a, const Keyed &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return compareText(distinct[a.id], distinct[b.id]) < 0;
    });
    std::vector<int> byText(distinct.size());
    for (size_t i = 0; i < byText.size(); ++i)
        byText[i] = keyed[i].id;
    std::vector<int> rankOfId(distinct.size());
    int rank = -1;
    for (size_t i = 0; i < byText.size(); ++i) {
        if (i == 0 || compareText(distinct[byText[i - 1]], distinct[byText[i]]) != 0)
            ++rank;
        rankOfId[byText[i]] = rank;
    }
    for (int &id : idOfRow) {
        if (id >= 0)
            id = rankOfId[id];
    }
    return {std::move(idOfRow), rank + 1};
}

// Two stored values of a column of numbers, dates or moments, neither NULL.
int compareStored(const StoredColumn &col, int a, int b)
{
    switch (col.field.type) {
    case FieldType::Integer:
        return threeWay(col.integers[a], col.integers[b]);
    case FieldType::Float: {
        // Nearest doubles keep the order of the decimals; only equal ones need the digits.
        const int cmp = threeWay(col.numbers[a], col.numbers[b]);
        return cmp == 0 && col.exact ? col.decimals[a].compare(col.decimals[b]) : cmp;
    }
    case FieldType::Date:
        return threeWay(col.dates[a], col.dates[b]);
    case FieldType::DateTime:
        return col.stamps[a].compare(col.stamps[b]);
    case FieldType::String:
    case FieldType::Boolean:
        break; // texts are ranked by rankTexts
    }
    Q_UNREACHABLE();
    return 0;
}

ColumnRanks::Ranked rankValues(const StoredColumn &col, int rows)
{
    std::vector<int> byValue;
    byValue.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        if (!col.nulls[r])
            byValue.push_back(r);
    }
    std::sort(byValue.begin(), byValue.end(),
              [&col](int a, int b) { return compareStored(col, a, b) < 0; });
    std::vector<int> ranks(rows, -1);
    int rank = -1;
    for (size_t i = 0; i < byValue.size(); ++i) {
        if (i == 0 || compareStored(col, byValue[i - 1], byValue[i]) != 0)
            ++rank;
        ranks[byValue[i]] = rank;
    }
    return {std::move(ranks), rank + 1};
}

// A key's code of a row: ascending NULL 0 and rank + 1, descending rank from the top and NULL
// last; from 0 to `distinct` either way.
struct KeyCodes
{
    const ColumnRanks::Ranked *ranked;
    bool descending;
    int width; // bits of the largest code

    quint64 code(int row) const
    {
        const int rank = ranked->ranks[row];
        if (descending)
            return quint64(rank < 0 ? ranked->distinct : ranked->distinct - 1 - rank);
        return quint64(rank + 1);
    }
};

// Stable sort of the rows by one number each: eight bits a pass, lowest first.
void radixSort(std::vector<int> &view, const std::vector<quint64> &codes, int bits)
{
    struct Item
    {
        quint64 code;
        int row;
    };
    std::vector<Item> items(view.size()), spare(view.size());
    for (size_t i = 0; i < view.size(); ++i)
        items[i] = {codes[i], view[i]};
    for (int shift = 0; shift < bits; shift += 8) {
        size_t start[257] = {};
        for (const Item &it : items)
            ++start[((it.code >> shift) & 0xFF) + 1];
        if (start[((items.front().code >> shift) & 0xFF) + 1] == items.size())
            continue; // one value of this digit: the pass would change nothing
        for (int d = 0; d < 256; ++d)
            start[d + 1] += start[d];
        for (const Item &it : items)
            spare[start[(it.code >> shift) & 0xFF]++] = it;
        items.swap(spare);
    }
    for (size_t i = 0; i < view.size(); ++i)
        view[i] = items[i].row;
}

} // namespace

const ColumnRanks::Ranked &ColumnRanks::of(const ResultTable &table, int column)
{
    if (m_columns.size() != table.columns.size())
        m_columns.assign(table.columns.size(), {});
    Ranked &r = m_columns[column];
    if (r.ranks.size() != size_t(table.rows)) {
        const StoredColumn &col = table.columns[column];
        r = col.field.type == FieldType::String || col.field.type == FieldType::Boolean
            ? rankTexts(col, table.rows)
            : rankValues(col, table.rows);
    }
    return r;
}

void sortRows(std::vector<int> &view, const ResultTable &table, const std::vector<SortKey> &keys,
              ColumnRanks &ranks)
{
    if (keys.empty() || view.size() < 2)
        return;
    std::vector<KeyCodes> codes;
    int bits = 0;
    for (const SortKey &k : keys) {
        const ColumnRanks::Ranked &r = ranks.of(table, k.column);
        codes.push_back({&r, k.descending, int(std::bit_width(unsigned(r.distinct)))});
        bits += codes.back().width;
    }
    if (bits <= 64) {
        // Every key's code side by side in one number, the first key highest: the rows are
        // then sorted in passes over that number alone, in time that grows with their count.
        std::vector<quint64> packed(view.size(), 0);
        for (size_t i = 0; i < view.size(); ++i) {
            quint64 value = 0;
            for (const KeyCodes &c : codes)
                value = c.width ? (value << c.width) | c.code(view[i]) : value;
            packed[i] = value;
        }
        radixSort(view, packed, bits);
        return;
    }
    std::stable_sort(view.begin(), view.end(), [&codes](int a, int b) {
        for (const KeyCodes &c : codes) {
            const quint64 ca = c.code(a), cb = c.code(b);
            if (ca != cb)
                return ca < cb;
        }
        return false;
    });
}

} // namespace db
