#pragma once
// The data grid: a read-only table view over a DatasetModel that follows the dataset's current
// row, selects whole rows (several with Ctrl/Shift), reports title clicks by column number, and
// lets a window draw cells of its own (the OK column's colours).

#include "db/dataset_model.h"

#include <QHash>
#include <QTableView>
#include <functional>

namespace ui {

class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    db::DatasetModel *gridModel() const { return m_model; }
    void setDataset(db::Dataset *ds); // connects the grid to a dataset (a data source switch)
    db::Dataset *dataset() const { return m_model->dataset(); }
    void setColumns(const QList<db::DatasetModel::Column> &columns);

    // Bookmarks of the selected rows, in the order the user selected them.
    QList<db::Dataset::Bookmark> selectedBookmarks() const;
    void clearRowSelection();
    void selectBookmark(db::Dataset::Bookmark b); // adds to the selection (tests, Ctrl+click)

    // Cell painting hook: called for every cell with the column's field name and the row's
    // visible position; it may change the font and text colour of the cell. The background
    // stays the grid's own, so a selected row keeps its highlight.
    // The title of the column the dataset is sorted by (the first key of its sort text) shows
    // the sort's direction; a sort key that no column shows as its own field can be given
    // the column that stands for it (the journal's "Вид" sorts by the kind's number).
    void setSortColumn(const QString &field, int column);

    // Keeps the first column in place while the others scroll sideways, as spreadsheets freeze
    // it: a second view over the same model and selection lies over the grid's left edge and
    // shows that column alone. Call after the grid's delegate and columns are set.
    void freezeFirstColumn();
    QTableView *frozenColumn() const { return m_frozen; }

    using CellStyler
        = std::function<void(const QString &field, int visibleRow, QFont &font, QColor &textColor)>;
    void setCellStyler(CellStyler styler);
    CellStyler cellStyler() const { return m_styler; }

    // With the first column frozen, a cell is brought out from under it.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void titleClicked(int column); // column number among all columns, hidden ones included
    void rowDoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;

private:
    void onModelReset();
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void onViewCurrentChanged(const QModelIndex &current);
    void followDatasetRow();
    void applyColumnVisibility();
    void showSortIndicator();
    void placeFrozenColumn();

    db::DatasetModel *m_model;
    CellStyler m_styler;
    QHash<QString, int> m_sortColumns;
    QTableView *m_frozen = nullptr;
    QList<db::Dataset::Bookmark> m_selectionOrder;
    QMetaObject::Connection m_datasetLink;
    bool m_syncing = false; // the view and the dataset are being aligned: no echo
    bool m_restoring = false; // the selection is being put back after a reset
};

} // namespace ui
