#pragma once
// Table model over a dataset's visible rows, for the grids.

#include "dataset.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace db {

class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString title;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        bool visible = true;
    };

    explicit DatasetModel(QObject *parent = nullptr);
    void setDataset(Dataset *ds);
    Dataset *dataset() const { return m_dataset; }
    void setColumns(const QList<Column> &columns);
    const QList<Column> &columns() const { return m_columns; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // DisplayRole: the field's text as the dataset formats it (numbers in general format with
    // the program's separator, dates dd.MM.yyyy); empty for a column whose field is absent.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

private:
    QPointer<Dataset> m_dataset;
    QList<Column> m_columns;
    QList<QMetaObject::Connection> m_links;
};

} // namespace db
