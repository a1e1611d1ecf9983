#include "dataset_model.h"

#include "formats.h"

#include <algorithm>

namespace db {

DatasetModel::DatasetModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void DatasetModel::setDataset(Dataset *ds)
{
    beginResetModel();
    for (const QMetaObject::Connection &link : m_links)
        disconnect(link);
    m_links.clear();
    m_dataset = ds;
    countPlaces();
    if (ds) {
        m_links << connect(ds, &Dataset::reset, this, [this] {
            beginResetModel();
            countPlaces();
            endResetModel();
        });
        m_links << connect(ds, &Dataset::rowChanged, this, [this](int row) {
            if (row >= 0 && row < rowCount() && columnCount() > 0) {
                countPlaces();
                Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            }
        });
        m_links << connect(ds, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_dataset = nullptr;
            endResetModel();
        });
    }
    endResetModel();
}

void DatasetModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    countPlaces();
    endResetModel();
}

void DatasetModel::countPlaces()
{
    m_places.clear();
    const int rows = rowCount();
    for (const Column &c : std::as_const(m_columns)) {
        int places = c.places;
        if (places > 0 && c.placesAsNeeded) {
            const int field = rows > 0 ? m_dataset->fieldIndex(c.field) : -1;
            places = 0;
            for (int row = 0; field >= 0 && row < rows && places < c.places; ++row) {
                const QVariant v = m_dataset->valueAt(row, field);
                if (!v.isNull() && v.canConvert<double>())
                    places = std::max(places, placesNeeded(v.toDouble(), c.places));
            }
        }
        m_places << places;
    }
}

QString DatasetModel::numberText(const QVariant &v, int column) const
{
    const int places = m_places.value(column, -1);
    if (places < 0 || v.isNull())
        return displayText(v);
    switch (v.typeId()) {
    case QMetaType::QString:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::Bool:
        return displayText(v);
    default:
        return v.canConvert<double>() ? formatFixed(v.toDouble(), places) : displayText(v);
    }
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->isOpen())
        return 0;
    return m_dataset->recordCount();
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataset || index.row() >= rowCount()
        || index.column() >= columnCount())
        return QVariant();
    const Column &column = m_columns[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return numberText(m_dataset->valueAt(index.row(), m_dataset->fieldIndex(column.field)),
                          index.column());
    case Qt::EditRole:
        return m_dataset->valueAt(index.row(), m_dataset->fieldIndex(column.field));
    case Qt::TextAlignmentRole:
        return int(column.alignment.toInt());
    default:
        return QVariant();
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return QVariant();
        if (role == Qt::DisplayRole)
            return m_columns[section].title;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return QVariant();
    }
    if (role == Qt::DisplayRole && section >= 0 && section < rowCount())
        return section + 1;
    return QVariant();
}

} // namespace db
