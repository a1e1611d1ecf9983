#include "operation_editor.h"

#include "core/data_module.h"
#include "core/directory_window.h"
#include "core/forms.h"
#include "directories/operation_types_window.h"
#include "processes/process_operations_window.h"
#include "ui/buttons.h"
#include "ui/key_filters.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// The price column keeps 15 digits, 4 of them after the separator.
const ui::NumberField kPrice {QStringLiteral("Цена"), 11};
const ui::NumberField kPosition {QStringLiteral("№ по порядку"), ui::kIntegerDigits, true};

} // namespace

TForm10::TForm10(QWidget *parent)
    : ui::Window(QStringLiteral("Операция"), parent)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    max_num.setConnection(&dataModule().ADO_DB);
    max_num.setObjectName(QStringLiteral("max_num"));
    max_num.setSql(QStringList {
        QStringLiteral("select (case when max(o.orderby) is null then 0 else max(o.orderby) "
                       "end) +1 as orderby from mnf_operation.operation o "),
        QStringLiteral("where o.id_proc_tech=:id_pt")});
    operation_state.setConnection(&dataModule().ADO_DB);
    operation_state.setObjectName(QStringLiteral("operation_state"));
    operation_state.setTable(QStringLiteral("mnf_operation.operation_state"));

    auto *group = new QGroupBox(QStringLiteral("Цена операции"));
    Edit2 = new QLineEdit;
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setEnabled(false);
    Edit2->setReadOnly(true);
    Edit2->setFocusPolicy(Qt::NoFocus);
    Button4 = ui::namedButton(QStringLiteral("..."), "Button4");
    Button4->setFixedWidth(Button4->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    cb_operation_state = new ui::LookupBox;
    cb_operation_state->setObjectName(QStringLiteral("cb_operation_state"));
    cb_operation_state->setKeyField(QStringLiteral("id"));
    cb_operation_state->setListField(QStringLiteral("s_caption"));
    cb_operation_state->setDataset(&operation_state);
    Edit3 = new QLineEdit;
    Edit3->setObjectName(QStringLiteral("Edit3"));
    ui::allowDecimalKeys(Edit3);
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ui::allowIntegerKeys(Edit1);

    auto *type = new QHBoxLayout;
    type->addWidget(Edit2, 1);
    type->addWidget(Button4);
    auto *fields = new QFormLayout(group);
    fields->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    fields->addRow(QStringLiteral("Операция"), type);
    fields->addRow(QStringLiteral("Вид"), cb_operation_state);
    fields->addRow(QStringLiteral("Цена"), Edit3);
    fields->addRow(QStringLiteral("№ по порядку"), Edit1);
    setTabOrder(Button4, Edit3);
    setTabOrder(Edit3, Edit1);
    setTabOrder(Edit1, cb_operation_state);

    Button3 = ui::namedDefaultButton(QStringLiteral("Записать"), "Button3");
    Button5 = ui::namedButton(QStringLiteral("Отмена"), "Button5");
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Button3);
    bottom->addWidget(Button5);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
    layout->addLayout(bottom);
    setMinimumWidth(420);

    ui::connectGuarded(Button4, &QPushButton::clicked, this, &TForm10::Button4Click);
    ui::connectGuarded(Button3, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(Button5, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm10::openForAdding(int processId)
{
    tag = 1;
    id = 0;
    max_num.close();
    max_num.params().setInteger(QStringLiteral("id_pt"), processId);
    max_num.open();
    Edit1->setText(max_num.asString(QStringLiteral("orderby")));
    Edit2->clear();
    Edit3->clear();
    // A new operation starts without a type: none is carried over from the last opening.
    operationType.name.clear();
    operationType.id = 0;
    operation_state.close();
    operation_state.open();
    cb_operation_state->setKeyValue(-1);
}

void TForm10::openForChanging(const db::Dataset &operation)
{
    tag = 0;
    id = int(operation.asInteger(QStringLiteral("id")));
    operationType.id = int(operation.asInteger(QStringLiteral("id_type")));
    operationType.name = operation.asString(QStringLiteral("s_type")).trimmed();
    Edit1->setText(operation.asString(QStringLiteral("orderby")));
    Edit2->setText(operation.asString(QStringLiteral("s_type")));
    Edit3->setText(operation.asString(QStringLiteral("price")));
    operation_state.close();
    operation_state.open();
    cb_operation_state->setKeyValue(int(operation.asInteger(QStringLiteral("id_state"))));
}

void TForm10::showEvent(QShowEvent *event)
{
    ui::Window::showEvent(event);
    if (!event->spontaneous())
        Button3->setFocus();
}

void TForm10::Button4Click()
{
    dataModule().operation_type.open();
    operationType.name = Edit2->text();
    forms().operationTypes->showAsChooser(kTypeChooser);
    dataModule().operation_type.close();
    Edit2->setText(operationType.name);
}

void TForm10::Button1Click()
{
    saveOperation();
}

void TForm10::saveOperation()
{
    const QVariant state = cb_operation_state->keyValue();
    if (Edit1->text().trimmed().isEmpty() || operationType.id == 0
        || Edit2->text().trimmed().isEmpty() || state.isNull()) {
        ui::showError(this, QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const db::Decimal price = ui::readNumber(Edit3->text(), kPrice);
    const int position = int(ui::readNumber(Edit1->text(), kPosition).toInteger());
    const TForm33 *process = forms().processOperations;
    db::Params p;
    p.setInteger(QStringLiteral("id_type"), operationType.id);
    p.setInteger(QStringLiteral("id_state"), state.toInt());
    // The price travels as the exact decimal text; the server makes the number of it.
    p.setDecimal(QStringLiteral("price"), price);
    p.setInteger(QStringLiteral("orderby"), position);
    if (tag == 1) {
        // A new operation makes the process's item.
        p.setInteger(QStringLiteral("id_inventory_items"), process->item.id);
        p.setInteger(QStringLiteral("id_proc_tech"), process->processId);
        runStatement(dataModule().cmd_all,
                     QStringLiteral("INSERT INTO mnf_operation.operation(id_type, id_state, "
                                    "price, id_inventory_items, id_proc_tech, orderby)VALUES("
                                    ":id_type, :id_state, cast(:price as numeric), "
                                    ":id_inventory_items, :id_proc_tech, :orderby)"),
                     p);
    } else {
        // A changed operation keeps the item it makes: a blank of another item stays that blank.
        p.setInteger(QStringLiteral("id"), id);
        runStatement(dataModule().cmd_all,
                     QStringLiteral("UPDATE mnf_operation.operation SET id_type=:id_type, "
                                    "id_state=:id_state, price=cast(:price as numeric), "
                                    "orderby=:orderby WHERE id=:id"),
                     p);
    }
    db::Dataset &op = dataModule().operation;
    op.close();
    op.open();
    accept();
}
