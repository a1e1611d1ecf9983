#pragma once
// A query or table held whole on the client (static cursor), with named parameters, client-side
// sort and filter, record numbers, bookmarks, locate and, for tables, row editing.

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "values.h"

namespace db {

class Connection;
struct ResultTable;

enum class FieldType { Integer, Float, String, Date, DateTime, Boolean };

// A parameter value with its type; a null still carries its type to the server.
struct ParamValue
{
    FieldType type = FieldType::String;
    QVariant value; // invalid or null QVariant = SQL NULL of `type`

    static ParamValue integer(qint64 v);
    static ParamValue number(double v); // sent with 15 significant digits
    // Every digit of a decimal (Decimal::parse of the typed text, or a value read from a
    // decimal column), for numeric columns.
    static ParamValue decimal(const Decimal &v);
    static ParamValue text(const QString &v);
    static ParamValue date(const QDate &v);
    static ParamValue dateTime(const QDateTime &v);
    static ParamValue null(FieldType t);
};

// Named parameters (":name", matched without regard to case) of one statement.
class Params
{
public:
    void setInteger(const QString &name, qint64 v) { set(name, ParamValue::integer(v)); }
    void setNumber(const QString &name, double v) { set(name, ParamValue::number(v)); }
    void setDecimal(const QString &name, const Decimal &v) { set(name, ParamValue::decimal(v)); }
    void setText(const QString &name, const QString &v) { set(name, ParamValue::text(v)); }
    void setDate(const QString &name, const QDate &v) { set(name, ParamValue::date(v)); }
    void setNull(const QString &name, FieldType t) { set(name, ParamValue::null(t)); }
    void set(const QString &name, const ParamValue &v);
    bool contains(const QString &name) const;
    ParamValue value(const QString &name) const; // throws DbError when not set
    void clear() { m_items.clear(); }

private:
    std::vector<std::pair<QString, ParamValue>> m_items; // names kept lower-case
};

struct Field
{
    QString name; // as the server names it; a repeated name gets "_1", "_2" (id, id_1)
    FieldType type;
    int scale = 0; // decimal places for numeric columns
};

class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Bookmark = qint64; // stays valid for a row across sort and filter until close()

    explicit Dataset(Connection *connection = nullptr, QObject *parent = nullptr);
    ~Dataset() override;

    void setConnection(Connection *c) { m_connection = c; }
    Connection *connection() const { return m_connection; }

    // A query: its text as lines (joined by line breaks).
    void setSql(const QStringList &lines);
    void setSql(const QString &text);
    QString sql() const { return m_sql; }
    // A table dataset: all columns of `table`, optionally narrowed by a server-side condition
    // with parameters (e.g. "o_id = :o_id"). Editing is allowed only on table datasets.
    void setTable(const QString &table, const QString &condition = QString());
    bool isTable() const { return !m_table.isEmpty(); }

    Params &params() { return m_params; }

    void open(); // runs the statement and reads every row; throws DbError, leaves it closed
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // Over the visible rows (after filter, in sort order).
    int recordCount() const;
    int recNo() const; // 1-based; 0 when there are no rows
    void setRecNo(int n); // clamped to 1..recordCount
    void first();
    void last();
    void next(); // past the last row sets eof()
    void prior();
    bool eof() const;
    bool bof() const;
    bool isEmpty() const { return recordCount() == 0; }

    const std::vector<Field> &fields() const;
    int fieldIndex(const QString &name) const; // -1 when absent; case-insensitive
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }

    // Current row values; a missing field throws DbError, a closed dataset throws DbError,
    // asInteger/asFloat of a text that is not a number throws ConversionError.
    // value() holds what the server holds: qint64 for integers and whole numerics up to 18
    // digits, db::Decimal for other numerics (numeric(28,6), numeric, numeric(19,0)), double for
    // float columns, QDate for dates (years before 1 are BC), db::Timestamp for timestamps (with
    // microseconds), QString for the rest. Decimal and Timestamp convert through QVariant
    // (toDouble(), toLongLong(), toString() in the program's format, toDateTime(), toDate()), and
    // setValue() of what value() gave writes it back unchanged. A date or timestamp the program
    // cannot hold (infinity, a year past 9999) makes open() throw DbError.
    QVariant value(const QString &field) const; // null QVariant for SQL NULL
    bool isNull(const QString &field) const;
    qint64 asInteger(const QString &field) const; // null -> 0
    double asFloat(const QString &field) const; // null -> 0; a decimal as the nearest double
    // null -> ""; floats in general format, decimals with every digit they hold ("1234,500001"),
    // dates dd.MM.yyyy, timestamps dd.MM.yyyy hh:mm:ss
    QString asString(const QString &field) const;
    QDate asDate(const QString &field) const; // null -> invalid date
    // Row by visible position (0-based) for grids, without moving the cursor.
    QVariant valueAt(int visibleRow, int fieldIndex) const;

    Bookmark bookmark() const; // of the current row; -1 when none
    bool bookmarkValid(Bookmark b) const; // the row exists and passes the filter
    void gotoBookmark(Bookmark b); // throws DbError when not valid
    Bookmark bookmarkAt(int visibleRow) const;
    int visibleRowOf(Bookmark b) const; // -1 when filtered out

    // Moves to the first visible row whose field equals value (texts compared with the
    // case rule of the layer when caseInsensitive); false and no move when none.
    bool locate(const QString &field, const QVariant &value, bool caseInsensitive = false);

    // "fio DESC, id ASC": several keys, each with an optional ASC or DESC. Empty = server order.
    // A text naming a missing field, or malformed, throws DbError and changes nothing.
    void setSort(const QString &sortText);
    QString sort() const { return m_sortText; }
    // "fio like 'Ив%'", "id_doc=12", "naimen=0", "fio='Иванов'", joined by " and ".
    // Applied while filtered() is true. Bad text throws DbError and changes nothing.
    void setFilter(const QString &filterText);
    QString filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Table editing. post() writes to the server at once (insert returns the new id).
    void append();
    void insert() { append(); }
    void edit();
    // Texts in the program's formats: a whole number into an integer column exactly, a number
    // into a decimal column with every digit; an empty text, an invalid QDate or QDateTime is
    // NULL. Throws ConversionError.
    void setValue(const QString &field, const QVariant &value);
    void post();
    void cancel();
    void remove(); // deletes the current row on the server and from the dataset
    void refresh(); // reopens, keeping sort, filter and the current row's record number

signals:
    void reset(); // rows, order or filter changed: views re-read everything
    void currentChanged(); // the current row moved
    void rowChanged(int visibleRow); // values of one visible row changed (editing)

private:
    struct Impl;
    void requireOpen() const;
    void requireTable() const;
    int requireField(const QString &name) const;
    void rebuild(bool keepCurrent);
    void setCurrent(int visibleRow);
    QString qualifiedCast(int column) const;
    QString keyCondition(int storedRow, std::vector<ParamValue> &params) const;
    void storeReturned(int storedRow, const ResultTable &returned);

    std::unique_ptr<Impl> d;
    Connection *m_connection = nullptr;
    QString m_sql;
    QString m_table;
    QString m_condition;
    Params m_params;
    State m_state = State::Inactive;
    QString m_sortText;
    QString m_filterText;
    bool m_filtered = false;
    friend class DatasetModel;
};

// A statement that returns nothing to read: text (replaced by callers), then execute().
class Command
{
public:
    explicit Command(Connection *connection = nullptr);
    void setConnection(Connection *c) { m_connection = c; }
    void setText(const QString &text) { m_text = text; }
    QString text() const { return m_text; }
    Params &params() { return m_params; }
    // Runs the text with its parameters; returns the rows affected (-1 when unknown).
    // A select (e.g. of a server function) is run and its result discarded.
    qint64 execute();
    // Runs and returns the first column of the first row (null QVariant when no row).
    QVariant executeScalar();

private:
    Connection *m_connection;
    QString m_text;
    Params m_params;
};

// Closes a dataset when the scope ends, also when what runs inside it throws.
class CloseOnExit
{
public:
    explicit CloseOnExit(Dataset &ds)
        : m_ds(ds)
    {
    }
    ~CloseOnExit() { m_ds.close(); }
    CloseOnExit(const CloseOnExit &) = delete;
    CloseOnExit &operator=(const CloseOnExit &) = delete;

private:
    Dataset &m_ds;
};

} // namespace db
