#include "norms_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/formats.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

#include <algorithm>
#include <exception>
#include <functional>

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

struct NormColumn
{
    const char *field;
    const char *title;
};
const NormColumn kColumns[] = {{"norma", "Норматив"}, {"price", "Цена"}, {"prize", "Премия, %"}};

// "#0.00#": at least two and at most three decimals.
QString priceShown(double v)
{
    QString s = QString::number(db::roundTo(v, 3), 'f', 3);
    if (s.endsWith(u'0'))
        s.chop(1);
    s.replace(u'.', u',');
    return s;
}

int fieldColumn(const QString &field)
{
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        if (field == QLatin1String(kColumns[i].field))
            return i;
    }
    return 0;
}

// Whether a typed value is the one the cell holds already.
bool sameValue(const QVariant &held, const QVariant &typed, bool whole)
{
    if (held.isNull() || typed.isNull())
        return held.isNull() == typed.isNull();
    return whole ? held.toLongLong() == typed.toLongLong() : held.toDouble() == typed.toDouble();
}

} // namespace

// The norms of the dataset, plus an empty row to type a new norm into: always on an empty list,
// otherwise when the user starts one. What is typed into that row stays here until the row is
// written.
class NormsModel : public QAbstractTableModel
{
public:
    NormsModel(TForm22 *window, db::Dataset *norm)
        : QAbstractTableModel(window)
        , m_window(window)
        , m_norm(norm)
    {
        connect(norm, &db::Dataset::reset, this, [this] {
            if (m_keeping)
                return;
            beginResetModel();
            m_newRow = false;
            clearTyped();
            endResetModel();
        });
    }

    int stored() const { return m_norm->isOpen() ? m_norm->recordCount() : 0; }
    bool isNewRow(int row) const { return row >= stored(); }
    void startNewRow()
    {
        if (m_newRow || stored() == 0)
            return;
        beginInsertRows(QModelIndex(), stored(), stored());
        m_newRow = true;
        endInsertRows();
    }
    // The new row left with nothing typed: it goes away, as it came.
    void dropNewRow()
    {
        if (!m_newRow || hasTyped())
            return;
        beginRemoveRows(QModelIndex(), stored(), stored());
        m_newRow = false;
        endRemoveRows();
    }

    bool isKeeping() const { return m_keeping; }
    bool hasTyped() const
    {
        return std::any_of(std::begin(m_typed), std::end(m_typed),
                           [](const QVariant &v) { return !v.isNull(); });
    }
    const QVariant &typed(int column) const { return m_typed[column]; }
    void setTyped(int column, const QVariant &value)
    {
        m_typed[column] = value;
        const QModelIndex cell = index(stored(), column);
        Q_EMIT dataChanged(cell, cell);
    }
    // Called inside keepingRows once the new row is in the dataset.
    void newRowWritten()
    {
        m_newRow = false;
        clearTyped();
    }

    QVariant idAt(int row) const
    {
        return m_norm->valueAt(row, m_norm->fieldIndex(QStringLiteral("id")));
    }
    int rowOfId(const QVariant &id) const
    {
        for (int row = 0; row < stored(); ++row) {
            if (idAt(row) == id)
                return row;
        }
        return -1;
    }

    // Runs a write that posts and re-reads the dataset while every index that a view holds (its
    // current cell, an open editor) stays on its row, found again by id after the re-sort; those
    // on the new row go to the row written from it. `write` returns the id of the row written.
    QVariant keepingRows(const std::function<QVariant()> &write)
    {
        const int before = rowCount();
        Q_EMIT layoutAboutToBeChanged();
        const QModelIndexList held = persistentIndexList();
        QVariantList ids;
        for (const QModelIndex &i : held)
            ids << (isNewRow(i.row()) ? QVariant() : idAt(i.row()));
        QVariant written;
        std::exception_ptr failure;
        m_keeping = true;
        try {
            written = write();
        } catch (...) {
            failure = std::current_exception();
        }
        m_keeping = false;
        // Other users' rows may have come or gone with the re-read: then the views read
        // everything again, and the window puts the cursor back.
        const bool sameRows = rowCount() == before;
        QModelIndexList now;
        for (int k = 0; k < held.size(); ++k) {
            const QVariant &id = ids[k].isNull() ? written : ids[k];
            const int row = !sameRows ? -1 : (id.isNull() ? stored() : rowOfId(id));
            now << (row >= 0 ? index(row, held[k].column()) : QModelIndex());
        }
        changePersistentIndexList(held, now);
        Q_EMIT layoutChanged();
        if (!sameRows) {
            beginResetModel();
            endResetModel();
        }
        if (failure)
            std::rethrow_exception(failure);
        return written;
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        if (parent.isValid() || !m_norm->isOpen())
            return 0;
        return stored() + (m_newRow || stored() == 0 ? 1 : 0);
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(std::size(kColumns));
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        return index.isValid() ? flags | Qt::ItemIsEditable : flags;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section < columnCount())
            return QString::fromUtf8(kColumns[section].title);
        return QAbstractTableModel::headerData(section, o, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return QVariant();
        const QString field = QLatin1String(kColumns[index.column()].field);
        const QVariant v = isNewRow(index.row())
            ? m_typed[index.column()]
            : m_norm->valueAt(index.row(), m_norm->fieldIndex(field));
        if (v.isNull())
            return QString();
        if (field == QLatin1String("price"))
            return role == Qt::DisplayRole ? priceShown(v.toDouble())
                                           : db::formatGeneral(v.toDouble());
        return db::displayText(v);
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole || !index.isValid())
            return false;
        const int row = index.row();
        const QString field = QLatin1String(kColumns[index.column()].field);
        return ui::guarded(m_window, [&] { m_window->writeCell(row, field, value.toString()); });
    }
    // Enter in a cell, or the cursor taken to another row from a cell being typed.
    bool submit() override
    {
        return ui::guarded(m_window, [this] { m_window->writeNewRow(); });
    }

private:
    void clearTyped()
    {
        for (QVariant &v : m_typed)
            v = QVariant();
    }

    TForm22 *m_window;
    db::Dataset *m_norm;
    bool m_newRow = false;
    QVariant m_typed[std::size(kColumns)];
    bool m_keeping = false; // a write of keepingRows: the views keep their rows
};

// The grid, which can finish the typing of a cell before the window acts on the row, and
// goes on from its last cell to a new row instead of back to the first row.
class NormsGrid : public QTableView
{
public:
    // Tab from the last cell of the last row: the cell the cursor goes to.
    std::function<QModelIndex()> pastTheEnd;

    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex c = currentIndex();
        if (action == MoveNext && pastTheEnd && c.isValid() && c.row() == model()->rowCount() - 1
            && c.column() == model()->columnCount() - 1)
            return pastTheEnd();
        return QTableView::moveCursor(action, modifiers);
    }

    // The open editor's text goes into its cell, and the editor closes.
    void finishEditing()
    {
        if (state() != EditingState)
            return;
        QWidget *editor = window()->focusWidget();
        while (editor && editor->parentWidget() != viewport())
            editor = editor->parentWidget();
        if (!editor)
            return;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
};

TForm22::TForm22(QWidget *parent)
    : LeavingWindow(QStringLiteral("Норматив"), parent)
{
    setObjectName(QStringLiteral("TForm22"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    norm.setConnection(&dataModule().ADO_DB);
    norm.setObjectName(QStringLiteral("norm"));
    norm.setTable(QStringLiteral("accounts_dep.norm"));

    m_model = new NormsModel(this, &norm);
    m_grid = new NormsGrid;
    DBGrid1 = m_grid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(m_model);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed
                             | QAbstractItemView::SelectedClicked);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 8);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->installEventFilter(this);
    // The view's own handler may have written a row and re-sorted before this runs: the
    // current cell is read from the view, not from the signal.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TForm22::followGrid);
    // Leaving the new row writes what was typed into it; an empty one goes away.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &previous) {
                if (!previous.isValid() || !m_model->isNewRow(previous.row())
                    || (current.isValid() && m_model->isNewRow(current.row())))
                    return;
                if (m_model->hasTyped())
                    ui::guarded(this, [this] { writeNewRow(); });
                else
                    m_model->dropNewRow();
            });
    // Tab goes on as Down on the last row does, into the first cell of the next new row.
    m_grid->pastTheEnd = [this] {
        if (!ui::guarded(this, [this] { writeNewRow(); }))
            return DBGrid1->currentIndex();
        m_model->startNewRow();
        return m_model->index(m_model->rowCount() - 1, 0);
    };
    // The dataset's current row moved by a re-read (opening, "Удалить") is the grid's; a write
    // of this window keeps the grid's own.
    connect(&norm, &db::Dataset::currentChanged, this, [this] {
        const QModelIndex c = DBGrid1->currentIndex();
        if (m_model->isKeeping() || !norm.isOpen() || norm.recNo() < 1
            || (c.isValid() && (m_model->isNewRow(c.row()) || c.row() == norm.recNo() - 1)))
            return;
        DBGrid1->setCurrentIndex(m_model->index(norm.recNo() - 1, qMax(0, c.column())));
    });

    Button1 = new QPushButton(QStringLiteral("Сохранить"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Удалить"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(bottom);
    resize(420, 320);

    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm22::Button1Click);
    ui::connectGuarded(Button2, &QPushButton::clicked, this, &TForm22::Button2Click);
}

void TForm22::openFor(int operationId)
{
    m_operationId = operationId;
    norm.close();
    norm.setFilter(QStringLiteral("o_id=") + QString::number(operationId));
    norm.setFiltered(true);
    norm.open();
    norm.setSort(QStringLiteral("norma"));
    ui::showModal(this);
}

void TForm22::writeCell(int row, const QString &field, const QString &typed)
{
    // An emptied cell clears the value; anything else must be a number the column keeps.
    const int column = fieldColumn(field);
    const bool whole = field != QLatin1String("price");
    QVariant value;
    if (!typed.trimmed().isEmpty()) {
        const ui::NumberField number {QString::fromUtf8(kColumns[column].title), 15, whole};
        const db::Decimal d = ui::readNumber(typed, number);
        value = whole ? QVariant(int(d.toInteger())) : QVariant(d.toDouble());
    }
    if (m_model->isNewRow(row)) {
        m_model->setTyped(column, value);
        return;
    }
    // A cell left as it was writes nothing.
    if (sameValue(norm.valueAt(row, norm.fieldIndex(field)), value, whole))
        return;
    const QVariant id = m_model->idAt(row);
    m_model->keepingRows([&] {
        norm.locate(QStringLiteral("id"), id);
        try {
            norm.edit();
            norm.setValue(field, value);
            norm.post();
        } catch (...) {
            norm.cancel();
            throw;
        }
        norm.refresh();
        return id;
    });
    cursorBackTo(id, column);
}

void TForm22::writeNewRow()
{
    if (!m_model->hasTyped())
        return;
    const int column = qMax(0, DBGrid1->currentIndex().column());
    const QVariant id = m_model->keepingRows([&] {
        try {
            norm.append();
            // Every row started in this window belongs to its operation.
            norm.setValue(QStringLiteral("o_id"), m_operationId);
            for (int c = 0; c < int(std::size(kColumns)); ++c) {
                if (!m_model->typed(c).isNull())
                    norm.setValue(QLatin1String(kColumns[c].field), m_model->typed(c));
            }
            norm.post();
        } catch (...) {
            norm.cancel();
            throw;
        }
        const QVariant written = norm.value(QStringLiteral("id"));
        m_model->newRowWritten();
        norm.refresh();
        return written;
    });
    cursorBackTo(id, column);
}

void TForm22::cursorBackTo(const QVariant &id, int column)
{
    // Only a re-read that brought or took other users' rows loses the cursor, and with it the
    // cell being typed: the keys that follow go to the grid again, not to the next button.
    if (!DBGrid1->currentIndex().isValid()) {
        DBGrid1->setCurrentIndex(m_model->index(qMax(0, m_model->rowOfId(id)), column));
        DBGrid1->setFocus();
    }
    followGrid();
}

void TForm22::followGrid()
{
    const QModelIndex current = DBGrid1->currentIndex();
    if (current.isValid() && norm.isOpen() && !m_model->isNewRow(current.row()))
        norm.setRecNo(current.row() + 1);
}

void TForm22::startNewRow()
{
    m_model->startNewRow();
    const int column = qMax(0, DBGrid1->currentIndex().column());
    DBGrid1->setCurrentIndex(m_model->index(m_model->rowCount() - 1, column));
}

void TForm22::Button1Click()
{
    // What is being typed and the new row are kept, as the row the user leaves is.
    m_grid->finishEditing();
    writeNewRow();
    norm.post();
    db::Dataset &op = dataModule().operation;
    if (op.isOpen()) {
        const int row = op.recNo();
        op.close();
        op.open();
        if (op.recordCount() > 0)
            op.setRecNo(row);
    }
    accept();
}

void TForm22::Button2Click()
{
    // The last row shown stays: an operation keeps at least one norm here. On the new row
    // nothing is deleted: what was typed there goes with the re-read.
    const QModelIndex current = DBGrid1->currentIndex();
    const bool onNewRow = current.isValid() && m_model->isNewRow(current.row());
    if (norm.isOpen() && norm.recordCount() > 1 && !onNewRow)
        norm.remove();
    norm.refresh();
}

bool TForm22::eventFilter(QObject *watched, QEvent *event)
{
    // While a cell is edited its keys go to the editor first; those it leaves come here.
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool onLast = DBGrid1->currentIndex().row() == m_model->rowCount() - 1;
        if (key->key() == Qt::Key_Insert || (key->key() == Qt::Key_Down && onLast)) {
            // From a new row being typed: it is written first, then the next one starts.
            m_grid->finishEditing();
            if (ui::guarded(this, [this] { writeNewRow(); }))
                startNewRow();
            return true;
        }
    }
    return ui::Window::eventFilter(watched, event);
}
