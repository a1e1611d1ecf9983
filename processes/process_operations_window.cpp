#include "process_operations_window.h"

#include "core/data_module.h"
#include "core/directory_window.h"
#include "core/forms.h"
#include "db/formats.h"
#include "directories/items_window.h"
#include "processes/norms_window.h"
#include "processes/operation_editor.h"
#include "processes/process_list_window.h"
#include "ui/buttons.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Техпроцесс № ");
constexpr int kCaptionLength = 254;

} // namespace

TForm33::TForm33(QWidget *parent)
    : LeavingWindow(QStringLiteral("Список операций"), parent)
{
    setObjectName(QStringLiteral("TForm33"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    full_price.setConnection(&dataModule().ADO_DB);
    full_price.setObjectName(QStringLiteral("full_price"));
    full_price.setSql(QStringList {
        QStringLiteral("select sum(o.price) as full_price from mnf_operation.operation o  "),
        QStringLiteral("where o.id_proc_tech = :id_pt")});
    full_price.params().setInteger(QStringLiteral("id_pt"), 0);

    GroupBox1 = new QGroupBox(kCaption);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit3 = new QLineEdit;
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit2 = new QLineEdit;
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setEnabled(false);
    Button5 = ui::namedButton(QStringLiteral("..."), "Button5");
    Button5->setFixedWidth(Button5->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    price = new QLabel;
    price->setObjectName(QStringLiteral("price"));
    QFont bold = price->font();
    bold.setBold(true);
    price->setFont(bold);
    Button6 = ui::namedButton(QStringLiteral("Сохранить"), "Button6");

    auto *header = new QGridLayout(GroupBox1);
    header->addWidget(new QLabel(QStringLiteral("Наименование ТП:")), 0, 0);
    header->addWidget(Edit3, 0, 1, 1, 2);
    header->addWidget(new QLabel(QStringLiteral("Изделие:")), 1, 0);
    header->addWidget(Edit2, 1, 1);
    header->addWidget(Button5, 1, 2);
    auto *total = new QHBoxLayout;
    total->addWidget(new QLabel(QStringLiteral("Итого:")));
    total->addWidget(price);
    total->addStretch(1);
    total->addWidget(Button6);
    header->addLayout(total, 2, 0, 1, 3);
    header->setColumnStretch(1, 1);

    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    DBGrid1 = new ui::DataGrid;
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setColumns({{QStringLiteral("orderby"), QStringLiteral("Номер п.п."), right},
                         {QStringLiteral("s_type"), QStringLiteral("Операция")},
                         {QStringLiteral("s_state"), QStringLiteral("Состояние")},
                         {QStringLiteral("price"), QStringLiteral("Цена"), right}});
    DBGrid1->setDataset(&dataModule().operation);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 8);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {90, 220, 170, 90};
    for (int c = 0; c < int(std::size(widths)); ++c)
        DBGrid1->horizontalHeader()->resizeSection(c, widths[c]);

    Button1 = ui::namedButton(QStringLiteral("Добавить"), "Button1");
    Button1->setDefault(true);
    Button2 = ui::namedButton(QStringLiteral("Изменить"), "Button2");
    Button3 = ui::namedButton(QStringLiteral("Удалить"), "Button3");
    Button4 = ui::namedButton(QStringLiteral("Выход"), "Button4");
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    auto *bottom = new QHBoxLayout;
    for (QPushButton *b : {Button1, Button2, Button3})
        bottom->addWidget(b);
    bottom->addSpacing(24);
    bottom->addWidget(Edit1);
    bottom->addStretch(1);
    bottom->addWidget(Button4);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(bottom);
    resize(680, 480);

    // The operation that "Изменить" and "Удалить" take is always shown selected.
    const auto showCurrent = [this] {
        db::Dataset &op = dataModule().operation;
        if (op.isOpen() && op.recNo() > 0)
            DBGrid1->selectRow(op.recNo() - 1);
    };
    connect(&dataModule().operation, &db::Dataset::currentChanged, this, showCurrent);
    connect(&dataModule().operation, &db::Dataset::reset, this, showCurrent);
    connect(&full_price, &db::Dataset::reset, this, &TForm33::showTotal);
    ui::connectGuarded(Button4, &QPushButton::clicked, this, &TForm33::Button4Click);
    ui::connectGuarded(Button6, &QPushButton::clicked, this, &TForm33::Button6Click);
    ui::connectGuarded(Button5, &QPushButton::clicked, this, &TForm33::Button5Click);
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm33::Button1Click);
    ui::connectGuarded(Button2, &QPushButton::clicked, this, &TForm33::Button2Click);
    ui::connectGuarded(Button3, &QPushButton::clicked, this, &TForm33::Button3Click);
    ui::connectGuarded(DBGrid1, &ui::DataGrid::rowDoubleClicked, this, &TForm33::DBGrid1DblClick);
}

void TForm33::openNew()
{
    tag = 1;
    processId = 0;
    m_chooser = false;
    m_picked = false;
    setHeaderEditable(true);
    full_price.close();
    full_price.params().setInteger(QStringLiteral("id_pt"), 0);
    full_price.open();
    GroupBox1->setTitle(kCaption);
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    item.mark.clear();
    item.id = 0;
    m_savedMark.clear();
    m_savedCaption.clear();
    m_savedItem = 0;
    // A new process has no operations yet: the grid shows none.
    dataModule().operation.close();
}

void TForm33::openExisting(int id, int itemId, const QString &mark, const QString &caption,
                           bool chooser)
{
    tag = 0;
    processId = id;
    item.id = itemId;
    item.mark = mark;
    m_chooser = chooser;
    m_picked = false;
    setHeaderEditable(!chooser);
    full_price.close();
    full_price.params().setInteger(QStringLiteral("id_pt"), id);
    full_price.open();
    GroupBox1->setTitle(kCaption + QString::number(id));
    db::Dataset &op = dataModule().operation;
    op.close();
    op.params().setInteger(QStringLiteral("id_proc_tech"), id);
    op.open();
    Edit2->setText(mark);
    Edit3->setText(caption);
    Edit1->clear();
    m_savedMark = mark;
    m_savedCaption = caption;
    m_savedItem = itemId;
}

void TForm33::setHeaderEditable(bool editable)
{
    // The chooser only looks at the process: what would change it is out of reach.
    Edit3->setReadOnly(!editable);
    for (QPushButton *b : {Button5, Button6, Button1, Button3})
        b->setVisible(editable);
    Button2->setText(editable ? QStringLiteral("Изменить") : QStringLiteral("Выбрать"));
    Button1->setDefault(editable);
    Button2->setDefault(!editable);
}

void TForm33::showTotal()
{
    price->setText(full_price.isOpen() && !full_price.isEmpty()
                       ? full_price.asString(QStringLiteral("full_price"))
                       : QString());
}

void TForm33::reopenTotal()
{
    full_price.close();
    full_price.open();
}

void TForm33::returnTo(int row)
{
    db::Dataset &op = dataModule().operation;
    if (op.isOpen() && op.recordCount() > 0)
        op.setRecNo(row);
}

bool TForm33::headerChanged() const
{
    return Edit2->text().trimmed() != m_savedMark || Edit3->text().trimmed() != m_savedCaption
        || item.id != m_savedItem;
}

bool TForm33::Button6Click()
{
    return saveHeader();
}

bool TForm33::saveHeader()
{
    if (!headerChanged())
        return true;
    if (!ui::askYesNo(this, QStringLiteral("Сохраннение"), QStringLiteral("Сохранить изменения?")))
        return true;
    const QString caption = Edit3->text().trimmed();
    const QString mark = Edit2->text().trimmed();
    if (caption.isEmpty() || mark.isEmpty() || item.id == 0) {
        ui::showError(this, QStringLiteral("Все поля должны быть заполнены!"));
        return false;
    }
    // The name column keeps 254 characters: a longer name is refused (the window stays open),
    // never cut.
    ui::readText(caption, QStringLiteral("Наименование ТП"), kCaptionLength);
    db::Command &cmd = dataModule().cmd_all;
    db::Params p;
    p.setText(QStringLiteral("s_caption"), caption);
    p.setInteger(QStringLiteral("id_inventory_items"), item.id);
    db::Dataset &pt = dataModule().proc_tech;
    if (tag == 1) {
        // The id the server gave this insert: another client's process saved at the same moment
        // has its own.
        cmd.params() = p;
        cmd.setText(QStringLiteral("insert into mnf_proc_tech.proc_tech(s_caption, "
                                   "id_inventory_items)VALUES(:s_caption, :id_inventory_items) "
                                   "returning id"));
        processId = cmd.executeScalar().toInt();
        tag = 0;
        GroupBox1->setTitle(kCaption + QString::number(processId));
        full_price.close();
        full_price.params().setInteger(QStringLiteral("id_pt"), processId);
        full_price.open();
        db::Dataset &op = dataModule().operation;
        op.close();
        op.params().setInteger(QStringLiteral("id_proc_tech"), processId);
        op.open();
    } else {
        p.setInteger(QStringLiteral("id"), processId);
        runStatement(cmd,
                     QStringLiteral("UPDATE mnf_proc_tech.proc_tech SET s_caption=:s_caption, "
                                    "id_inventory_items=:id_inventory_items where id=:id"),
                     p);
    }
    m_savedMark = mark;
    m_savedCaption = caption;
    m_savedItem = item.id;
    if (pt.isOpen()) {
        pt.close();
        pt.open();
    }
    return true;
}

void TForm33::Button4Click()
{
    if (Button6Click())
        QDialog::reject();
}

void TForm33::Button5Click()
{
    dataModule().inventory_items.open();
    item.mark = Edit2->text().trimmed();
    forms().items->showAsChooser(kItemChooser);
    dataModule().inventory_items.close();
    Edit2->setText(item.mark);
}

void TForm33::Button1Click()
{
    if (tag == 1) {
        // Operations belong to a saved process: never to one that does not exist yet.
        ui::showError(this,
                      QStringLiteral("Техпроцесс не сохранен. Сначала нажмите "
                                     "\"Сохранить\", затем добавляйте операции."));
        return;
    }
    TForm10 *e = forms().operationEditor;
    e->openForAdding(processId);
    ui::showModal(e);
    e->max_num.close();
    e->operation_state.close();
    reopenTotal();
}

void TForm33::Button2Click()
{
    if (m_chooser) {
        chooseOperation();
        return;
    }
    db::Dataset &op = dataModule().operation;
    if (!op.isOpen() || op.isEmpty())
        return;
    const int row = op.recNo();
    TForm10 *e = forms().operationEditor;
    e->openForChanging(op);
    ui::showModal(e);
    e->operation_state.close();
    returnTo(row);
    reopenTotal();
}

void TForm33::Button3Click()
{
    db::Dataset &op = dataModule().operation;
    if (!op.isOpen() || op.isEmpty())
        return;
    const int row = op.recNo();
    if (ui::askYesNo(this, QStringLiteral("Удаление"),
                     QStringLiteral("Удалить строку (будет удалена вся спецификация ТП)?"))) {
        db::Params p;
        p.setInteger(QStringLiteral("id"), op.asInteger(QStringLiteral("id")));
        runStatement(dataModule().cmd_all,
                     QStringLiteral("delete from mnf_operation.operation where id=:id"), p);
        op.close();
        op.open();
    }
    returnTo(row);
    reopenTotal();
}

void TForm33::DBGrid1DblClick()
{
    db::Dataset &op = dataModule().operation;
    const TForm4 *list = forms().processes;
    if (!m_chooser && list->CheckBox1->isChecked() && op.isOpen() && !op.isEmpty()) {
        forms().norms->openFor(int(op.asInteger(QStringLiteral("id"))));
        return;
    }
    Button2Click();
}

void TForm33::chooseOperation()
{
    db::Dataset &op = dataModule().operation;
    // Nothing to pick in a process without operations: the list stays open.
    if (!op.isOpen() || op.isEmpty())
        return;
    if (OperationTarget *target = OperationTarget::current()) {
        const bool finished = op.asInteger(QStringLiteral("id_state")) == 0;
        target->picked = true;
        target->operationId = int(op.asInteger(QStringLiteral("id")));
        target->itemId = int(op.asInteger(QStringLiteral("id_inventory_items")));
        target->price = op.asFloat(QStringLiteral("price"));
        target->text = op.asString(QStringLiteral("marka")).trimmed() + QStringLiteral("; ")
            + op.asString(QStringLiteral("s_type")).trimmed() + QStringLiteral("; ")
            + (finished ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки"));
    }
    m_picked = true;
    accept();
}
