#include "lookup_box.h"

#include "db/dataset.h"
#include "db/formats.h"

#include <QKeyEvent>
#include <QWheelEvent>

namespace ui {

namespace {

// Keys come as integers of any width, doubles or texts; a key typed elsewhere must still
// find its row.
bool sameKey(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return false;
    bool aNumber = false, bNumber = false;
    const double x = a.toDouble(&aNumber);
    const double y = b.toDouble(&bNumber);
    if (aNumber && bNumber)
        return x == y;
    return a.toString() == b.toString();
}

QString listText(const QVariant &v)
{
    if (v.isNull())
        return QString();
    if (v.metaType().id() == QMetaType::Double)
        return db::formatGeneral(v.toDouble());
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    return v.toString();
}

} // namespace

LookupBox::LookupBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
}

void LookupBox::setDataset(db::Dataset *ds)
{
    disconnect(m_link);
    m_dataset = ds;
    if (ds)
        m_link = connect(ds, &db::Dataset::reset, this, &LookupBox::reload);
    reload();
}

void LookupBox::setKeyField(const QString &field)
{
    m_keyField = field;
    reload();
}

void LookupBox::setListField(const QString &field)
{
    m_listField = field;
    reload();
}

QVariant LookupBox::keyValue() const
{
    return currentIndex() < 0 ? QVariant() : itemData(currentIndex());
}

void LookupBox::setKeyValue(const QVariant &key)
{
    for (int i = 0; i < count(); ++i) {
        if (sameKey(itemData(i), key)) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

void LookupBox::wheelStep(int angleDelta)
{
    if (angleDelta == 0)
        return;
    QKeyEvent step(QEvent::KeyPress, angleDelta < 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
    keyPressEvent(&step);
}

void LookupBox::wheelEvent(QWheelEvent *event)
{
    // The focus within its window: a box keeps it while the window waits behind a message.
    const int delta = event->angleDelta().y();
    if (window()->focusWidget() != this || delta == 0) {
        event->ignore();
        return;
    }
    wheelStep(delta);
    event->accept();
}

void LookupBox::reload()
{
    const QVariant chosen = keyValue();
    QSignalBlocker quiet(this);
    clear();
    if (m_dataset && m_dataset->isOpen()) {
        const int keyIndex = m_dataset->fieldIndex(m_keyField);
        const int listIndex = m_dataset->fieldIndex(m_listField);
        if (keyIndex >= 0 && listIndex >= 0) {
            for (int row = 0; row < m_dataset->recordCount(); ++row) {
                addItem(listText(m_dataset->valueAt(row, listIndex)),
                        m_dataset->valueAt(row, keyIndex));
            }
        }
    }
    setKeyValue(chosen);
    quiet.unblock();
    // Only a choice that really changed is announced.
    if (!chosen.isNull() && !sameKey(chosen, keyValue()))
        emit currentIndexChanged(currentIndex());
}

} // namespace ui
