#include "norms_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/formats.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

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

} // namespace

// The norms of the dataset, plus an empty row to type a new norm into: always on an empty list,
// otherwise when the user starts one.
class NormsModel : public QAbstractTableModel
{
public:
    NormsModel(TForm22 *window, db::Dataset *norm)
        : QAbstractTableModel(window)
        , m_window(window)
        , m_norm(norm)
    {
        connect(norm, &db::Dataset::reset, this, [this] {
            beginResetModel();
            m_newRow = false;
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
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
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
        if ((role != Qt::DisplayRole && role != Qt::EditRole) || isNewRow(index.row()))
            return QVariant();
        const QString field = QLatin1String(kColumns[index.column()].field);
        const QVariant v = m_norm->valueAt(index.row(), m_norm->fieldIndex(field));
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

private:
    TForm22 *m_window;
    db::Dataset *m_norm;
    bool m_newRow = false;
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
    DBGrid1 = new QTableView;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(m_model);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed
                             | QAbstractItemView::SelectedClicked);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 8);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->installEventFilter(this);
    // The current cell's row is the dataset's current row ("Удалить" takes it).
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && norm.isOpen() && current.row() < norm.recordCount())
                    norm.setRecNo(current.row() + 1);
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
    QVariant value;
    if (!typed.trimmed().isEmpty()) {
        const int column = fieldColumn(field);
        const ui::NumberField number {QString::fromUtf8(kColumns[column].title), 15,
                                      field != QLatin1String("price")};
        const db::Decimal d = ui::readNumber(typed, number);
        value = number.whole ? QVariant(int(d.toInteger())) : QVariant(d.toDouble());
    }
    const bool adding = row >= norm.recordCount();
    try {
        if (adding) {
            norm.append();
            // Every row started in this window belongs to its operation.
            norm.setValue(QStringLiteral("o_id"), m_operationId);
        } else {
            norm.setRecNo(row + 1);
            norm.edit();
        }
        norm.setValue(field, value);
        norm.post();
    } catch (...) {
        norm.cancel();
        throw;
    }
    const QVariant id = norm.value(QStringLiteral("id"));
    norm.refresh();
    norm.locate(QStringLiteral("id"), id);
}

void TForm22::startNewRow()
{
    m_model->startNewRow();
    DBGrid1->setCurrentIndex(m_model->index(m_model->rowCount() - 1, 0));
}

void TForm22::Button1Click()
{
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
    // The last row shown stays: an operation keeps at least one norm here.
    if (norm.isOpen() && norm.recordCount() > 1)
        norm.remove();
    norm.refresh();
}

bool TForm22::eventFilter(QObject *watched, QEvent *event)
{
    // While a cell is edited its keys go to the editor, not here.
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool onLast = DBGrid1->currentIndex().row() == m_model->rowCount() - 1;
        if (key->key() == Qt::Key_Insert || (key->key() == Qt::Key_Down && onLast)) {
            startNewRow();
            return true;
        }
    }
    return ui::Window::eventFilter(watched, event);
}
