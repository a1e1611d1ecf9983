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
        // Numbers of the column with this many decimals, all alike ("48,00" beside
        // "11722,69"); -1 shows each in general format. With `placesAsNeeded`, as many of them
        // as the column's values need, still the same for every row.
        int places = -1;
        bool placesAsNeeded = false;
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
    QString numberText(const QVariant &v, int column) const;
    void countPlaces();

    QList<Column> m_columns;
    QList<int> m_places; // decimals each column shows its numbers with, -1 general format
    QList<QMetaObject::Connection> m_links;
};

} // namespace db
