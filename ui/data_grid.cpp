#include "data_grid.h"

#include "seams.h"

#include "db/db_error.h"
#include "db/sort_filter.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace ui {

namespace {

// Draws cells the usual way, with the window's styler deciding font and text colour, and the
// selection in its focused colours also while the grid has no focus.
class GridDelegate : public QStyledItemDelegate
{
public:
    explicit GridDelegate(DataGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        QPalette &pal = option->palette;
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     pal.color(QPalette::Active, QPalette::Highlight));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     pal.color(QPalette::Active, QPalette::HighlightedText));

        const DataGrid::CellStyler styler = m_grid->cellStyler();
        const auto &columns = m_grid->gridModel()->columns();
        if (!styler || index.column() >= columns.size())
            return;
        QFont font = option->font;
        const QColor before = pal.color(QPalette::Active, QPalette::Text);
        QColor colour = before;
        styler(columns[index.column()].field, index.row(), font, colour);
        option->font = font;
        option->fontMetrics = QFontMetrics(font);
        if (colour != before) {
            for (auto group : {QPalette::Active, QPalette::Inactive}) {
                pal.setColor(group, QPalette::Text, colour);
                pal.setColor(group, QPalette::HighlightedText, colour);
            }
        }
    }

private:
    DataGrid *m_grid;
};

} // namespace

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new db::DatasetModel(this))
{
    setModel(m_model);
    setItemDelegate(new GridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    verticalHeader()->hide();

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setDefaultAlignment(Qt::AlignCenter);
    QFont bold = titles->font();
    bold.setBold(true);
    titles->setFont(bold);
    connect(titles, &QHeaderView::sectionClicked, this, [this](int column) {
        emit titleClicked(column);
        // The header flips its own arrow on a click; what counts is the sort the click left.
        showSortIndicator();
    });

    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::onModelReset);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DataGrid::onSelectionChanged);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { onViewCurrentChanged(current); });
}

void DataGrid::setDataset(db::Dataset *ds)
{
    disconnect(m_datasetLink);
    m_selectionOrder.clear();
    m_model->setDataset(ds);
    if (ds)
        m_datasetLink
            = connect(ds, &db::Dataset::currentChanged, this, &DataGrid::followDatasetRow);
}

void DataGrid::setColumns(const QList<db::DatasetModel::Column> &columns)
{
    m_model->setColumns(columns);
}

void DataGrid::setCellStyler(CellStyler styler)
{
    m_styler = std::move(styler);
    viewport()->update();
}

QList<db::Dataset::Bookmark> DataGrid::selectedBookmarks() const
{
    return m_selectionOrder;
}

void DataGrid::clearRowSelection()
{
    clearSelection();
    m_selectionOrder.clear();
}

void DataGrid::selectBookmark(db::Dataset::Bookmark b)
{
    const db::Dataset *ds = dataset();
    if (!ds || !ds->isOpen())
        return;
    const int row = ds->visibleRowOf(b);
    if (row < 0)
        return;
    selectionModel()->select(m_model->index(row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    // Also below the last row: an empty journal still gets its double-click.
    if (event->button() == Qt::LeftButton)
        emit rowDoubleClicked();
}

void DataGrid::applyColumnVisibility()
{
    const auto &columns = m_model->columns();
    for (int i = 0; i < columns.size(); ++i) {
        setColumnHidden(i, !columns[i].visible);
        if (m_frozen)
            m_frozen->setColumnHidden(i, i != 0);
    }
    placeFrozenColumn();
}

void DataGrid::freezeFirstColumn()
{
    if (m_frozen)
        return;
    m_frozen = new QTableView(this);
    m_frozen->setObjectName(objectName() + QStringLiteral("_frozen"));
    m_frozen->setModel(m_model);
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setItemDelegate(itemDelegate());
    m_frozen->setSelectionBehavior(selectionBehavior());
    m_frozen->setSelectionMode(selectionMode());
    m_frozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_frozen->setWordWrap(wordWrap());
    m_frozen->setFrameShape(QFrame::NoFrame);
    // The keyboard stays with the grid; a click on a name selects through the shared model.
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_frozen->verticalHeader()->hide();
    m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    QHeaderView *titles = m_frozen->horizontalHeader();
    titles->setFont(horizontalHeader()->font());
    titles->setDefaultAlignment(horizontalHeader()->defaultAlignment());
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->setFixedHeight(horizontalHeader()->height());
    viewport()->stackUnder(m_frozen);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == 0)
            placeFrozenColumn();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { m_frozen->setRowHeight(row, size); });
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_frozen, &QTableView::pressed, this, [this] { setFocus(Qt::MouseFocusReason); });
    connect(m_frozen, &QTableView::doubleClicked, this, &DataGrid::rowDoubleClicked);
    applyColumnVisibility();
    m_frozen->show();
}

void DataGrid::placeFrozenColumn()
{
    if (!m_frozen)
        return;
    const int width = isColumnHidden(0) ? 0 : columnWidth(0);
    m_frozen->setColumnWidth(0, width);
    m_frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    const int left = frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
    m_frozen->setGeometry(left, frameWidth(), width,
                          viewport()->height() + horizontalHeader()->height());
    m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void DataGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeFrozenColumn();
}

void DataGrid::updateGeometries()
{
    QTableView::updateGeometries();
    placeFrozenColumn();
}

QModelIndex DataGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex to = QTableView::moveCursor(cursorAction, modifiers);
    // Home goes back to the first column: the days scroll back to their start, as they would
    // without the frozen column.
    if (m_frozen && cursorAction == MoveHome)
        horizontalScrollBar()->setValue(0);
    return to;
}

void DataGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!m_frozen || !index.isValid()) {
        QTableView::scrollTo(index, hint);
        return;
    }
    // The frozen column is always in sight: going to it scrolls the rows alone. Another column
    // is brought out from under it.
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (index.column() == 0) {
        horizontalScrollBar()->setValue(sideways);
        return;
    }
    const int hidden = m_frozen->width() - visualRect(index).left();
    if (hidden > 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hidden);
}

void DataGrid::setSortColumn(const QString &field, int column)
{
    m_sortColumns.insert(field.toLower(), column);
    showSortIndicator();
}

void DataGrid::showSortIndicator()
{
    const db::Dataset *ds = dataset();
    int column = -1;
    bool descending = false;
    if (ds && ds->isOpen() && !ds->sort().trimmed().isEmpty()) {
        try {
            const auto fieldOf = [ds](const QString &name) { return ds->fieldIndex(name); };
            const std::vector<db::SortKey> keys = db::parseSort(ds->sort(), fieldOf);
            if (!keys.empty()) {
                descending = keys.front().descending;
                const auto &columns = m_model->columns();
                for (int i = 0; i < columns.size() && column < 0; ++i) {
                    if (ds->fieldIndex(columns[i].field) == keys.front().column)
                        column = i;
                }
                for (auto it = m_sortColumns.cbegin(); it != m_sortColumns.cend() && column < 0;
                     ++it) {
                    if (ds->fieldIndex(it.key()) == keys.front().column)
                        column = it.value();
                }
            }
        } catch (const db::DbError &) {
            column = -1; // a sort the dataset holds always parses; no arrow otherwise
        }
    }
    QHeaderView *titles = horizontalHeader();
    titles->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        titles->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void DataGrid::onModelReset()
{
    applyColumnVisibility();
    showSortIndicator();

    // Rows were re-read (sort, filter, reopen). Bookmarks live until the dataset closes, so
    // the user's selection is put back in its order; a closed dataset forgets it.
    const db::Dataset *ds = dataset();
    if (!ds || !ds->isOpen()) {
        m_selectionOrder.clear();
        return;
    }
    QList<db::Dataset::Bookmark> kept;
    QItemSelection selection;
    for (db::Dataset::Bookmark b : std::as_const(m_selectionOrder)) {
        const int row = ds->bookmarkValid(b) ? ds->visibleRowOf(b) : -1;
        if (row < 0)
            continue;
        kept << b;
        selection.select(m_model->index(row, 0), m_model->index(row, 0));
    }
    m_selectionOrder = kept;
    m_restoring = true;
    selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_restoring = false;
    followDatasetRow();
}

void DataGrid::onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_restoring)
        return;
    const db::Dataset *ds = dataset();
    if (!ds || !ds->isOpen())
        return;
    QItemSelectionModel *sm = selectionModel();
    for (const QItemSelectionRange &range : deselected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!sm->isRowSelected(row))
                m_selectionOrder.removeAll(ds->bookmarkAt(row));
        }
    }
    for (const QItemSelectionRange &range : selected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const db::Dataset::Bookmark b = ds->bookmarkAt(row);
            if (sm->isRowSelected(row) && !m_selectionOrder.contains(b))
                m_selectionOrder << b;
        }
    }
}

void DataGrid::onViewCurrentChanged(const QModelIndex &current)
{
    db::Dataset *ds = dataset();
    if (m_syncing || !current.isValid() || !ds || !ds->isOpen() || ds->recNo() == current.row() + 1)
        return;
    m_syncing = true;
    guarded(this, [&] { ds->setRecNo(current.row() + 1); });
    m_syncing = false;
}

void DataGrid::followDatasetRow()
{
    const db::Dataset *ds = dataset();
    if (m_syncing || !ds || !ds->isOpen() || ds->recNo() < 1)
        return;
    const int row = ds->recNo() - 1;
    if (currentIndex().isValid() && currentIndex().row() == row)
        return;
    int column = currentIndex().isValid() ? currentIndex().column() : -1;
    if (column < 0 || isColumnHidden(column)) {
        column = 0;
        while (column < m_model->columnCount() && isColumnHidden(column))
            ++column;
    }
    if (column >= m_model->columnCount())
        return;
    // The cursor moves without touching the selection: acceptance walks the selected rows by
    // bookmark and must find them all still selected.
    m_syncing = true;
    const QModelIndex index = m_model->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
    m_syncing = false;
}

} // namespace ui
