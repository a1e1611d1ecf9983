#pragma once
// A drop-down list over a dataset: shows one field of each row and hands back another (the
// key), as the lookup boxes of the editors do.

#include <QComboBox>
#include <QPointer>
#include <QVariant>

namespace db {
class Dataset;
}

namespace ui {

class LookupBox : public QComboBox
{
    Q_OBJECT
public:
    explicit LookupBox(QWidget *parent = nullptr);

    // The list follows the dataset: it is read again whenever the dataset's rows change.
    void setDataset(db::Dataset *ds);
    db::Dataset *dataset() const { return m_dataset; }
    void setKeyField(const QString &field);
    void setListField(const QString &field);

    QVariant keyValue() const; // null QVariant when nothing is chosen
    void setKeyValue(const QVariant &key); // chooses the row with that key, or nothing
    QString text() const { return currentText(); }

    void reload(); // reads the rows again, keeping the chosen key when it is still there
    // One wheel step as the arrow keys would do it: down to the next row for a negative
    // vertical angle, up to the previous one for a positive angle.
    void wheelStep(int angleDelta);

protected:
    // Only the box that has the focus reacts to the wheel, stepping as the arrow keys do; over
    // any other box the wheel goes on to the window, so scrolling past a box never changes it.
    void wheelEvent(QWheelEvent *event) override;

private:
    QPointer<db::Dataset> m_dataset;
    QMetaObject::Connection m_link;
    QString m_keyField;
    QString m_listField;
};

} // namespace ui
