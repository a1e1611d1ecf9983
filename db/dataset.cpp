#include "dataset.h"

#include "connection.h"
#include "db_error.h"
#include "formats.h"
#include "odbc.h"
#include "result.h"
#include "sort_filter.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace db {

// --- parameters --------------------------------------------------------------------------

ParamValue ParamValue::integer(qint64 v)
{
    return {FieldType::Integer, QVariant(v)};
}
ParamValue ParamValue::number(double v)
{
    return {FieldType::Float, QVariant(v)};
}
ParamValue ParamValue::decimal(const Decimal &v)
{
    return {FieldType::Float, v.isNull() ? QVariant() : QVariant::fromValue(v)};
}
ParamValue ParamValue::text(const QString &v)
{
    return {FieldType::String, QVariant(v)};
}
ParamValue ParamValue::date(const QDate &v)
{
    return {FieldType::Date, v.isValid() ? QVariant(v) : QVariant()};
}
ParamValue ParamValue::dateTime(const QDateTime &v)
{
    return {FieldType::DateTime, v.isValid() ? QVariant(v) : QVariant()};
}
ParamValue ParamValue::null(FieldType t)
{
    return {t, QVariant()};
}

void Params::set(const QString &name, const ParamValue &v)
{
    const QString key = name.startsWith(u':') ? name.mid(1).toLower() : name.toLower();
    for (auto &item : m_items) {
        if (item.first == key) {
            item.second = v;
            return;
        }
    }
    m_items.emplace_back(key, v);
}

bool Params::contains(const QString &name) const
{
    const QString key = name.toLower();
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const auto &item) { return item.first == key; });
}

ParamValue Params::value(const QString &name) const
{
    const QString key = name.toLower();
    for (const auto &item : m_items) {
        if (item.first == key)
            return item.second;
    }
    throw DbError(QStringLiteral("Параметр «%1» не задан").arg(name));
}

// --- dataset -----------------------------------------------------------------------------

struct Dataset::Impl
{
    ResultTable table;
    std::vector<char> deleted; // removed rows keep their place so bookmarks stay valid
    std::vector<int> view; // visible stored rows in order
    std::vector<int> position; // stored row -> visible position, -1 when hidden
    int current = -1; // visible position
    bool eof = true;
    bool bof = true;
    std::vector<SortKey> sortKeys;
    ColumnRanks ranks; // of the stored rows as they are; cleared when a row changes
    std::vector<FilterCondition> filterConditions;
    std::vector<QVariant> buffer; // values being edited or inserted
    std::vector<char> modified;
    std::vector<Field> fields;

    // Names as the program writes them, found once: a loop over rows asks for the same few
    // fields thousands of times. A fresh Impl comes with every open, so the memo never outlives
    // its columns.
    mutable QHash<QString, int> found;

    int lookup(const QString &name) const
    {
        const auto memo = found.constFind(name);
        if (memo != found.constEnd())
            return *memo;
        const QString n = name.trimmed();
        int index = -1;
        for (size_t i = 0; i < table.columns.size(); ++i) {
            if (table.columns[i].field.name.compare(n, Qt::CaseInsensitive) == 0) {
                index = int(i);
                break;
            }
        }
        if (found.size() < 1024) // names typed into a filter are not all kept
            found.insert(name, index);
        return index;
    }
    int storedCurrent() const { return current >= 0 ? view[current] : -1; }
};

Dataset::Dataset(Connection *connection, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Impl>())
    , m_connection(connection)
{
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QStringList &lines)
{
    setSql(lines.join(QLatin1Char('\n')));
}

void Dataset::setSql(const QString &text)
{
    m_sql = text;
    m_table.clear();
    m_condition.clear();
}

void Dataset::setTable(const QString &table, const QString &condition)
{
    m_table = table;
    m_condition = condition;
    m_sql = QStringLiteral("select * from ") + table;
    if (!condition.trimmed().isEmpty())
        m_sql += QStringLiteral(" where ") + condition;
}

void Dataset::requireOpen() const
{
    if (m_state == State::Inactive)
        throw DbError(QStringLiteral("Набор данных закрыт"));
}

void Dataset::requireTable() const
{
    requireOpen();
    if (!isTable())
        throw DbError(QStringLiteral("Набор данных нельзя изменять"));
}

int Dataset::requireField(const QString &name) const
{
    requireOpen();
    const int i = d->lookup(name);
    if (i < 0)
        throw DbError(QStringLiteral("Поле «%1» не найдено").arg(name));
    return i;
}

void Dataset::open()
{
    if (isOpen())
        return;
    if (!m_connection)
        throw DbError(QStringLiteral("Соединение с базой данных не задано"));
    auto fresh = std::make_unique<Impl>();
    {
        Statement st(m_connection);
        st.execute(m_sql, m_params);
        readResult(st, fresh->table);
    }
    fresh->deleted.assign(fresh->table.rows, 0);
    for (const StoredColumn &c : fresh->table.columns)
        fresh->fields.push_back(c.field);
    if (!m_filterText.trimmed().isEmpty()) {
        fresh->filterConditions = parseFilter(m_filterText, fresh->table,
                                              [&](const QString &n) { return fresh->lookup(n); });
    }
    d = std::move(fresh);
    m_sortText.clear();
    m_state = State::Browse;
    rebuild(false);
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

void Dataset::close()
{
    if (!isOpen())
        return;
    d = std::make_unique<Impl>();
    m_state = State::Inactive;
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

void Dataset::rebuild(bool keepCurrent)
{
    const int oldStored = d->storedCurrent();
    const int oldPosition = d->current;
    const bool filter = m_filtered && !d->filterConditions.empty();
    d->view.clear();
    d->view.reserve(d->table.rows);
    for (int r = 0; r < d->table.rows; ++r) {
        if (!d->deleted[r] && (!filter || rowMatches(d->table, r, d->filterConditions)))
            d->view.push_back(r);
    }
    sortRows(d->view, d->table, d->sortKeys, d->ranks);
    d->position.assign(d->table.rows, -1);
    for (size_t i = 0; i < d->view.size(); ++i)
        d->position[d->view[i]] = int(i);
    const int count = int(d->view.size());
    int target = count > 0 ? 0 : -1;
    if (keepCurrent && count > 0) {
        if (oldStored >= 0 && d->position[oldStored] >= 0)
            target = d->position[oldStored];
        else
            target = qBound(0, oldPosition, count - 1);
    }
    d->current = target;
    d->eof = d->bof = count == 0;
}

int Dataset::recordCount() const
{
    return int(d->view.size());
}

int Dataset::recNo() const
{
    return d->current + 1;
}

void Dataset::setCurrent(int visibleRow)
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    const int count = recordCount();
    d->current = count > 0 ? qBound(0, visibleRow, count - 1) : -1;
    d->eof = d->bof = false;
    Q_EMIT currentChanged();
}

void Dataset::setRecNo(int n)
{
    requireOpen();
    setCurrent(n - 1);
}

void Dataset::first()
{
    requireOpen();
    setCurrent(0);
    d->bof = true;
    d->eof = recordCount() == 0;
}

void Dataset::last()
{
    requireOpen();
    setCurrent(recordCount() - 1);
    d->bof = recordCount() == 0;
}

void Dataset::next()
{
    requireOpen();
    if (d->current + 1 < recordCount()) {
        setCurrent(d->current + 1);
    } else {
        d->eof = true;
        d->bof = recordCount() == 0;
    }
}

void Dataset::prior()
{
    requireOpen();
    if (d->current > 0) {
        setCurrent(d->current - 1);
    } else {
        d->bof = true;
        d->eof = recordCount() == 0;
    }
}

bool Dataset::eof() const
{
    return d->eof || recordCount() == 0;
}

bool Dataset::bof() const
{
    return d->bof || recordCount() == 0;
}

const std::vector<Field> &Dataset::fields() const
{
    return d->fields;
}

int Dataset::fieldIndex(const QString &name) const
{
    return d->lookup(name);
}

QVariant Dataset::value(const QString &field) const
{
    const int c = requireField(field);
    if (m_state == State::Edit || m_state == State::Insert)
        return d->buffer[c];
    if (d->current < 0)
        return QVariant();
    return d->table.columns[c].value(d->view[d->current]);
}

bool Dataset::isNull(const QString &field) const
{
    const QVariant v = value(field);
    return v.isNull() || !v.isValid();
}

qint64 Dataset::asInteger(const QString &field) const
{
    const QVariant v = value(field);
    if (v.isNull() || !v.isValid())
        return 0;
    if (v.typeId() == qMetaTypeId<Decimal>())
        return v.value<Decimal>().toInteger();
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::Double:
        return qRound64(v.toDouble());
    case QMetaType::QString:
        return parseInteger(v.toString());
    default:
        throw ConversionError(QStringLiteral("«%1» не является числом").arg(displayText(v)));
    }
}

double Dataset::asFloat(const QString &field) const
{
    const QVariant v = value(field);
    if (v.isNull() || !v.isValid())
        return 0;
    if (v.typeId() == qMetaTypeId<Decimal>())
        return v.value<Decimal>().toDouble();
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::QString:
        return parseNumber(v.toString());
    default:
        throw ConversionError(QStringLiteral("«%1» не является числом").arg(displayText(v)));
    }
}

QString Dataset::asString(const QString &field) const
{
    return displayText(value(field));
}

QDate Dataset::asDate(const QString &field) const
{
    const QVariant v = value(field);
    if (v.isNull() || !v.isValid())
        return QDate();
    if (v.typeId() == qMetaTypeId<Timestamp>())
        return v.value<Timestamp>().date();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate();
    case QMetaType::QDateTime:
        return v.toDateTime().date();
    case QMetaType::QString:
        return v.toString().trimmed().isEmpty() ? QDate() : parseDate(v.toString());
    default:
        throw ConversionError(QStringLiteral("«%1» не является датой").arg(displayText(v)));
    }
}

QVariant Dataset::valueAt(int visibleRow, int fieldIndex) const
{
    if (!isOpen() || visibleRow < 0 || visibleRow >= recordCount() || fieldIndex < 0
        || fieldIndex >= int(d->table.columns.size()))
        return QVariant();
    if (m_state == State::Edit && visibleRow == d->current)
        return d->buffer[fieldIndex];
    return d->table.columns[fieldIndex].value(d->view[visibleRow]);
}

Dataset::Bookmark Dataset::bookmark() const
{
    return d->storedCurrent();
}

bool Dataset::bookmarkValid(Bookmark b) const
{
    return isOpen() && b >= 0 && b < d->table.rows && !d->deleted[b] && d->position[b] >= 0;
}

void Dataset::gotoBookmark(Bookmark b)
{
    requireOpen();
    if (!bookmarkValid(b))
        throw DbError(QStringLiteral("Запись не найдена"));
    setCurrent(d->position[b]);
}

Dataset::Bookmark Dataset::bookmarkAt(int visibleRow) const
{
    if (visibleRow < 0 || visibleRow >= recordCount())
        return -1;
    return d->view[visibleRow];
}

int Dataset::visibleRowOf(Bookmark b) const
{
    if (!isOpen() || b < 0 || b >= d->table.rows || d->deleted[b])
        return -1;
    return d->position[b];
}

// A case-sensitive match, with char(n) padding ignored as the server ignores it.
static bool sameExactText(const StoredColumn &col, const QString &a, const QString &b)
{
    return comparableText(col, a) == comparableText(col, b);
}

bool Dataset::locate(const QString &field, const QVariant &value, bool caseInsensitive)
{
    const int c = requireField(field);
    const StoredColumn &col = d->table.columns[c];
    QVariant wanted;
    try {
        wanted = toFieldType(value, col.field.type, col.exact);
    } catch (const ConversionError &) {
        return false;
    }
    const bool text = col.field.type == FieldType::String || col.field.type == FieldType::Boolean;
    for (int i = 0; i < recordCount(); ++i) {
        const int r = d->view[i];
        bool hit;
        if (text && !caseInsensitive && !col.isNull(r) && !wanted.isNull())
            hit = sameExactText(col, col.texts[r], wanted.toString());
        else
            hit = compareValue(col, r, wanted) == 0;
        if (hit) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

void Dataset::setSort(const QString &sortText)
{
    requireOpen();
    std::vector<SortKey> keys
        = parseSort(sortText, [this](const QString &n) { return d->lookup(n); });
    d->sortKeys = std::move(keys);
    m_sortText = sortText;
    rebuild(true);
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

// On a closed dataset the text is kept and checked when the dataset opens.
void Dataset::setFilter(const QString &filterText)
{
    if (isOpen()) {
        std::vector<FilterCondition> conds
            = parseFilter(filterText, d->table, [this](const QString &n) { return d->lookup(n); });
        d->filterConditions = std::move(conds);
    }
    m_filterText = filterText;
    if (isOpen() && m_filtered) {
        rebuild(true);
        Q_EMIT reset();
        Q_EMIT currentChanged();
    }
}

void Dataset::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    m_filtered = on;
    if (isOpen()) {
        rebuild(true);
        Q_EMIT reset();
        Q_EMIT currentChanged();
    }
}

// --- editing -----------------------------------------------------------------------------

void Dataset::append()
{
    requireTable();
    if (m_state != State::Browse)
        post();
    d->buffer.assign(d->table.columns.size(), QVariant());
    d->modified.assign(d->table.columns.size(), 0);
    m_state = State::Insert;
    Q_EMIT currentChanged();
}

void Dataset::edit()
{
    requireTable();
    if (m_state != State::Browse)
        return;
    if (d->current < 0) {
        append();
        return;
    }
    const int r = d->view[d->current];
    d->buffer.clear();
    for (const StoredColumn &c : d->table.columns)
        d->buffer.push_back(c.value(r));
    d->modified.assign(d->table.columns.size(), 0);
    m_state = State::Edit;
}

void Dataset::setValue(const QString &field, const QVariant &value)
{
    const int c = requireField(field);
    if (m_state != State::Edit && m_state != State::Insert)
        throw DbError(QStringLiteral("Набор данных не в режиме редактирования"));
    const StoredColumn &col = d->table.columns[c];
    d->buffer[c] = toFieldType(value, col.field.type, col.exact);
    d->modified[c] = 1;
    if (m_state == State::Edit)
        Q_EMIT rowChanged(d->current);
}

// "?::type" so a value bound as text or bigint lands in a column of any type (bool, domains).
QString Dataset::qualifiedCast(int column) const
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_ ]*$"));
    QString type = d->table.columns[column].serverType;
    // The driver names auto-numbered columns by their declaration.
    if (type == u"serial" || type == u"bigserial" || type == u"smallserial")
        type = type == u"serial"
            ? QStringLiteral("int4")
            : (type == u"bigserial" ? QStringLiteral("int8") : QStringLiteral("int2"));
    // It names char(n) "char", which as a cast is char(1) and would cut the value to one letter.
    if (type == u"char")
        type = QStringLiteral("bpchar");
    return plain.match(type).hasMatch() ? QStringLiteral("?::") + type : QStringLiteral("?");
}

static QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(u'"', QStringLiteral("\"\""));
    return u'"' + s + u'"';
}

static ParamValue paramOf(const StoredColumn &col, const QVariant &v)
{
    return {col.field.type, v};
}

// The row on the server: by its id when the table has one, otherwise by all of its original
// values (one physical row of them, should several be equal).
QString Dataset::keyCondition(int storedRow, std::vector<ParamValue> &params) const
{
    const int id = d->lookup(QStringLiteral("id"));
    if (id >= 0 && !d->table.columns[id].isNull(storedRow)) {
        params.push_back(paramOf(d->table.columns[id], d->table.columns[id].value(storedRow)));
        return QStringLiteral("\"id\" = ") + qualifiedCast(id);
    }
    QStringList parts;
    for (size_t c = 0; c < d->table.columns.size(); ++c) {
        const StoredColumn &col = d->table.columns[c];
        parts << quoted(col.field.name) + QStringLiteral(" is not distinct from ")
                + qualifiedCast(int(c));
        params.push_back(paramOf(col, col.value(storedRow)));
    }
    return QStringLiteral("ctid = (select ctid from %1 where %2 limit 1)")
        .arg(m_table, parts.join(QStringLiteral(" and ")));
}

void Dataset::storeReturned(int storedRow, const ResultTable &returned)
{
    d->ranks.clear(); // a row written or added: the ranks no longer hold
    if (returned.rows == 0)
        return;
    for (size_t c = 0; c < returned.columns.size() && c < d->table.columns.size(); ++c)
        d->table.columns[c].set(storedRow, returned.columns[c].value(0));
}

void Dataset::post()
{
    if (m_state == State::Browse || m_state == State::Inactive)
        return;
    const auto &columns = d->table.columns;
    std::vector<ParamValue> params;
    QStringList names, values;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (!d->modified[c])
            continue;
        names << quoted(columns[c].field.name);
        values << qualifiedCast(int(c));
        params.push_back(paramOf(columns[c], d->buffer[c]));
    }
    ResultTable returned;
    if (m_state == State::Insert) {
        const QString sql = names.isEmpty()
            ? QStringLiteral("insert into %1 default values returning *").arg(m_table)
            : QStringLiteral("insert into %1 (%2) values (%3) returning *")
                  .arg(m_table, names.join(u','), values.join(u','));
        Statement st(m_connection);
        st.execute(sql, params);
        readResult(st, returned);
        d->table.appendNullRow();
        d->deleted.push_back(0);
        d->position.push_back(-1);
        const int row = d->table.rows - 1;
        for (size_t c = 0; c < columns.size(); ++c)
            d->table.columns[c].set(row, d->buffer[c]);
        storeReturned(row, returned);
        m_state = State::Browse;
        d->buffer.clear();
        rebuild(false);
        d->current = d->position[row] >= 0 ? d->position[row] : qMin(0, recordCount() - 1);
        d->eof = d->bof = recordCount() == 0;
        Q_EMIT reset();
        Q_EMIT currentChanged();
        return;
    }
    const int row = d->view[d->current];
    if (names.isEmpty()) {
        m_state = State::Browse;
        return;
    }
    QStringList sets;
    for (int i = 0; i < names.size(); ++i)
        sets << names[i] + QStringLiteral(" = ") + values[i];
    const QString where = keyCondition(row, params);
    const QString sql = QStringLiteral("update %1 set %2 where %3 returning *")
                            .arg(m_table, sets.join(QStringLiteral(", ")), where);
    {
        Statement st(m_connection);
        st.execute(sql, params);
        readResult(st, returned);
    }
    if (returned.rows == 0)
        throw DbError(QStringLiteral("Запись не найдена: её изменил или удалил другой "
                                     "пользователь"));
    storeReturned(row, returned);
    m_state = State::Browse;
    d->buffer.clear();
    if (d->sortKeys.empty() && !(m_filtered && !d->filterConditions.empty())) {
        Q_EMIT rowChanged(d->current);
    } else {
        rebuild(true);
        Q_EMIT reset();
        Q_EMIT currentChanged();
    }
}

void Dataset::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    const bool editing = m_state == State::Edit;
    m_state = State::Browse;
    d->buffer.clear();
    if (editing)
        Q_EMIT rowChanged(d->current);
    Q_EMIT currentChanged();
}

void Dataset::remove()
{
    requireTable();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    m_state = State::Browse;
    if (d->current < 0)
        throw DbError(QStringLiteral("Нет записи для удаления"));
    const int row = d->view[d->current];
    std::vector<ParamValue> params;
    const QString sql
        = QStringLiteral("delete from %1 where %2").arg(m_table, keyCondition(row, params));
    {
        Statement st(m_connection);
        st.execute(sql, params);
    }
    d->deleted[row] = 1;
    const int position = d->current;
    rebuild(false);
    d->current = recordCount() > 0 ? qMin(position, recordCount() - 1) : -1;
    Q_EMIT reset();
    Q_EMIT currentChanged();
}

void Dataset::refresh()
{
    requireOpen();
    const QString sortText = m_sortText;
    const int rec = recNo();
    close();
    open();
    if (!sortText.isEmpty())
        setSort(sortText);
    if (rec > 0 && recordCount() > 0)
        setRecNo(rec);
}

// --- command -----------------------------------------------------------------------------

Command::Command(Connection *connection)
    : m_connection(connection)
{
}

qint64 Command::execute()
{
    Statement st(m_connection);
    st.execute(m_text, m_params);
    return st.rowCount();
}

QVariant Command::executeScalar()
{
    Statement st(m_connection);
    st.execute(m_text, m_params);
    if (!st.hasResult())
        return QVariant();
    ResultTable t;
    readResult(st, t, 1);
    if (t.rows == 0 || t.columns.empty())
        return QVariant();
    return t.columns[0].value(0);
}

} // namespace db
