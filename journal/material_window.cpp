#include "material_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/connection.h"
#include "db/formats.h"
#include "db/transaction.h"
#include "journal/entry_editor.h"
#include "ui/buttons.h"
#include "ui/key_filters.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kRemainder = QStringLiteral(
    "from accounts_dep.get_reminder_qty_by_smena(:id_smena, :id_gds, '%1') res_qty;");

const ui::NumberField kUse {QStringLiteral("Расход")};

double firstNumber(db::Dataset &ds, const QString &field)
{
    if (!ds.isOpen() || ds.isEmpty())
        return 0;
    ds.first();
    return ds.asFloat(field);
}

} // namespace

TForm24::TForm24(QWidget *parent)
    : ui::Window(QStringLiteral("Материал"), parent)
{
    setObjectName(QStringLiteral("TForm24"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    db::Connection *c = &dataModule().ADO_DB;
    for (db::Dataset *ds :
         {&v_cmn_gds_in, &v_id_cons_use, &v_id_cons_use1, &sum_smena_gds_use, &operation})
        ds->setConnection(c);
    v_cmn_gds_in.setSql(
        QStringLiteral("select * from accounts_dep.get_gds_from_by_smena(:id_smena)"));
    v_cmn_gds_in.params().setInteger(QStringLiteral("id_smena"), -1);
    v_id_cons_use.setSql(QStringList {QStringLiteral("select res_qty.s_full_caption"),
                                      QStringLiteral(",res_qty.f_qty as f_qty_free"),
                                      kRemainder.arg(QStringLiteral("free"))});
    v_id_cons_use1.setSql(QStringList {QStringLiteral("select res_qty.s_full_caption"),
                                       QStringLiteral(",res_qty.f_qty as f_qty_free"),
                                       kRemainder.arg(QStringLiteral("reserved"))});
    sum_smena_gds_use.setSql(QStringLiteral(
        "select sum(f_qty_use) as sum_qty_use from accounts_dep.smena_gds_use sgu where "
        "sgu.id_smena =:id_smena and id_gds_use=:id_gds_use"));

    LCB_id_gds_use = new ui::LookupBox;
    LCB_id_gds_use->setObjectName(QStringLiteral("LCB_id_gds_use"));
    LCB_id_gds_use->setKeyField(QStringLiteral("id"));
    LCB_id_gds_use->setListField(QStringLiteral("s_caption"));
    LCB_id_gds_use->setDataset(&v_cmn_gds_in);
    LCB_id_gds_use->setMinimumWidth(320);
    LCB_id_gds_use->installEventFilter(this);
    Edit7 = new QLineEdit(QStringLiteral("0"));
    Edit7->setObjectName(QStringLiteral("Edit7"));
    ui::allowDecimalKeys(Edit7);
    DBText1 = new QLabel;
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText2 = new QLabel;
    DBText2->setObjectName(QStringLiteral("DBText2"));
    Button1 = ui::namedDefaultButton(QStringLiteral("Запись"), "Button1");
    Button2 = ui::namedButton(QStringLiteral("Отмена"), "Button2");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("ТМЦ"), LCB_id_gds_use);
    form->addRow(QStringLiteral("Расход"), Edit7);
    form->addRow(DBText1);
    form->addRow(DBText2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    ui::connectGuarded(LCB_id_gds_use, &QComboBox::activated, this,
                       &TForm24::LCB_id_gds_useCloseUp);
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm24::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm24::showEvent(QShowEvent *e)
{
    ui::Window::showEvent(e);
    ui::guarded(this, [this] { FormActivate(); });
}

void TForm24::FormActivate()
{
    for (db::Dataset *ds : {&v_id_cons_use, &v_id_cons_use1}) {
        ds->close();
        ds->params().setInteger(QStringLiteral("id_smena"), -1);
        ds->params().setNumber(QStringLiteral("id_gds"), 0);
        ds->open();
    }
    DBText1->clear();
    DBText2->clear();
}

bool TForm24::eventFilter(QObject *o, QEvent *e)
{
    // Leaving the goods list counts as a choice, as closing its drop-down does.
    if (o == LCB_id_gds_use && e->type() == QEvent::FocusOut && isVisible())
        ui::guarded(this, [this] { LCB_id_gds_useCloseUp(); });
    return ui::Window::eventFilter(o, e);
}

void TForm24::readUsed()
{
    const TForm11 *editor = forms().entryEditor;
    sum_smena_gds_use.close();
    sum_smena_gds_use.params().setInteger(QStringLiteral("id_smena"), editor->recordId);
    sum_smena_gds_use.params().setNumber(QStringLiteral("id_gds_use"), goodsId);
    sum_smena_gds_use.open();
    alreadyUsed = firstNumber(sum_smena_gds_use, QStringLiteral("sum_qty_use"));
}

void TForm24::LCB_id_gds_useCloseUp()
{
    const TForm11 *editor = forms().entryEditor;
    for (db::Dataset *ds : {&v_id_cons_use, &v_id_cons_use1, &operation})
        ds->close();
    const QVariant key = LCB_id_gds_use->keyValue();
    goodsId = key.isNull() ? 0 : int(key.toLongLong());
    if (!key.isNull()) {
        v_cmn_gds_in.setRecNo(LCB_id_gds_use->currentIndex() + 1);
        operation.params().clear();
        operation.params().setInteger(QStringLiteral("item"), editor->itemId);
        if (v_cmn_gds_in.value(QStringLiteral("b_is_color")).toBool()) {
            operation.setSql(QStringLiteral("select gds_attr.f_color_qty as f_qty_from from "
                                            "cmn_gds_and_srv.gds_attr gds_attr where "
                                            "gds_attr.id = :item"));
        } else {
            operation.setSql(QStringLiteral("select f_qty_from from mnf_operation.operation "
                                            "where id_gds_to = :item and id_gds_from = :gds"));
            operation.params().setInteger(QStringLiteral("gds"), goodsId);
        }
    }
    for (db::Dataset *ds : {&v_id_cons_use, &v_id_cons_use1}) {
        ds->params().setNumber(QStringLiteral("id_gds"), goodsId);
        ds->params().setInteger(QStringLiteral("id_smena"), editor->recordId);
        ds->open();
    }
    DBText1->setText(v_id_cons_use.isEmpty()
                         ? QString()
                         : v_id_cons_use.asString(QStringLiteral("s_full_caption")));
    DBText2->setText(v_id_cons_use1.isEmpty()
                         ? QString()
                         : v_id_cons_use1.asString(QStringLiteral("s_full_caption")));
    double norm = 0;
    if (!key.isNull()) {
        operation.open();
        norm = firstNumber(operation, QStringLiteral("f_qty_from"));
    }
    readUsed();
    allowedQuantity = db::roundTo(
        norm * ui::readNumber(editor->Edit3->text(), {QStringLiteral("Кол-во")}).toDouble(), 4);
    // What the norm still allows is proposed; 0 when the record already used more than the norm
    // now allows (its quantity was lowered), as the field takes no sign.
    const double left = db::roundTo(allowedQuantity - alreadyUsed, 3);
    Edit7->setText(left > 0 ? db::formatGeneral(left) : QStringLiteral("0"));
}

double TForm24::batchTotal()
{
    return firstNumber(v_id_cons_use, QStringLiteral("f_qty_free"))
        + firstNumber(v_id_cons_use1, QStringLiteral("f_qty_free"));
}

std::optional<double> TForm24::writeIfFits(double quantity)
{
    const TForm11 *editor = forms().entryEditor;
    db::Connection &c = dataModule().ADO_DB;
    {
        db::Transaction transaction(c);
        // Two clients taking the same goods wait for each other here, so the remainder read
        // below is the one the row is written against.
        db::Command cmd(&c);
        cmd.setText(QStringLiteral("select pg_advisory_xact_lock(cast(:cls as integer), "
                                   "cast(:key as integer))"));
        cmd.params().setInteger(QStringLiteral("cls"), batchLockClass());
        cmd.params().setInteger(QStringLiteral("key"), goodsId);
        cmd.execute();
        cmd.params().clear();
        cmd.params().setInteger(QStringLiteral("id_smena"), editor->recordId);
        cmd.params().setNumber(QStringLiteral("id_gds"), goodsId);
        cmd.setText(QStringLiteral(
            "select coalesce(sum(f_qty), 0) from (select f_qty from "
            "accounts_dep.get_reminder_qty_by_smena(:id_smena, :id_gds, 'free') union all "
            "select f_qty from accounts_dep.get_reminder_qty_by_smena(:id_smena, :id_gds, "
            "'reserved')) t"));
        const double total = cmd.executeScalar().toDouble();
        // Too little left: nothing is written, and the uncommitted guard frees the lock.
        if (db::roundTo(total, 3) < db::roundTo(quantity, 3))
            return total;
        cmd.params().clear();
        cmd.params().setInteger(QStringLiteral("id_smena"), editor->recordId);
        cmd.params().setInteger(QStringLiteral("id_gds_use"), goodsId);
        cmd.params().setNumber(QStringLiteral("f_qty_use"), quantity);
        cmd.setText(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                                   "f_qty_use) values(:id_smena, :id_gds_use, :f_qty_use)"));
        cmd.execute();
        transaction.commit();
    }
    return std::nullopt;
}

void TForm24::Button1Click()
{
    recordUse();
}

void TForm24::recordUse()
{
    readUsed();
    double total = batchTotal();
    if (LCB_id_gds_use->text().isEmpty()) {
        ui::showError(this, QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    double q
        = Edit7->text().trimmed().isEmpty() ? 0 : ui::readNumber(Edit7->text(), kUse).toDouble();
    // A quantity of 0 is no use of the goods, whatever was used before: the zero check below
    // names it.
    if (q > 0 && db::roundTo(alreadyUsed + q - allowedQuantity, 4) > 0) {
        if (db::roundTo(q, 4) > 0
            && ui::askYesNo(this, QStringLiteral("Запрос"),
                            QStringLiteral("Расход ТМЦ не может быть больше остатка по партии! "
                                           "Расходовать весь остаток по партии?"),
                            ui::Icon::Warning))
            q = db::roundTo(allowedQuantity - alreadyUsed, 4);
        else
            return;
    }
    for (;;) {
        const double v = db::roundTo(db::parseNumber(db::formatGeneral(q)), 3);
        if (db::roundTo(total, 3) < v) {
            if (v > 0
                && ui::askYesNo(this, QStringLiteral("Запрос"),
                                QStringLiteral("Расход ТМЦ не может быть больше партии! "
                                               "Расходовать весь остаток по партии?"),
                                ui::Icon::Warning))
                q = db::roundTo(total, 3);
            else
                return;
        }
        if (LCB_id_gds_use->keyValue().isNull())
            return;
        if (q <= 0) {
            ui::showError(this, QStringLiteral("Расход ТМЦ не может быть 0!"));
            return;
        }
        const std::optional<double> shorter = writeIfFits(q);
        if (!shorter)
            break;
        // Another client took from the batch meanwhile: the question is asked again.
        total = *shorter;
    }
    accept();
}

void TForm24::FormClose()
{
    for (db::Dataset *ds : {&v_cmn_gds_in, &v_id_cons_use, &v_id_cons_use1})
        ds->close();
}

void TForm24::done(int result)
{
    FormClose();
    ui::Window::done(result);
}
