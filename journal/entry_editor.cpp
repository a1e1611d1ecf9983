#include "entry_editor.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/formats.h"
#include "db/transaction.h"
#include "directories/personnel_window.h"
#include "journal/journal_window.h"
#include "journal/material_window.h"
#include "processes/process_list_window.h"
#include "timesheet/hours_posting.h"
#include "ui/buttons.h"
#include "ui/data_grid.h"
#include "ui/date_field.h"
#include "ui/key_filters.h"
#include "ui/lookup_box.h"
#include "ui/seams.h"
#include "ui/typed_input.h"

#include <QApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kRequisitions
    = QStringLiteral("select id, s_caption from accounts_dep.v_mnf_requisition order by s_caption");
const QString kLines = QStringLiteral("select id, id_doc, s_caption, id_gds, f_qty, s_gds_mc from "
                                      "accounts_dep.v_mnf_requisition_item where f_qty>0");
const QString kNoLines = QStringLiteral("id_doc=0");
const QString kFillAll = QStringLiteral("Все поля должны быть заполнены!");
const QString kNotSaved = QStringLiteral("Невозможно сохранить данные в БД!");
const QString kDivideNow = QStringLiteral("Бригада не сохранена. Разделить запись между "
                                          "бригадой?\nНет — добавленные в бригаду будут убраны.");

template<typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QLineEdit *readOnlyEdit(const char *name)
{
    auto *e = named(new QLineEdit, name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

// The record's number fields and what their columns keep.
const ui::NumberField kQuantity {QStringLiteral("Кол-во")};
const ui::NumberField kRejects {QStringLiteral("Брак"), ui::kIntegerDigits, true};
const ui::NumberField kHours {QStringLiteral("Время"), ui::kIntegerDigits, true};

// Hours of one record are hours of one shift, within one day.
constexpr int kDayHours = 24;

// Quantities differ from their bound only beyond what the numeric columns keep.
bool above(double value, double bound)
{
    return db::roundTo(value - bound, 6) > 0;
}

} // namespace

TForm11::TForm11(QWidget *parent)
    : ui::Window(QString(), parent)
{
    setObjectName(QStringLiteral("TForm11"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    db::Connection *c = &dataModule().ADO_DB;
    for (db::Dataset *ds : {&v_mnf_requisition, &v_mnf_requisition_item, &id_gds, &get_doc_by_gds,
                            &smena_gds_use, &fio_smena_gds})
        ds->setConnection(c);
    v_mnf_requisition.setSql(kRequisitions);
    v_mnf_requisition_item.setSql(kLines);
    id_gds.setSql(QStringList {QStringLiteral("select id_gds as id, *"),
                               QStringLiteral("from accounts_dep.v_mnf_req_gds req_gds")});
    get_doc_by_gds.setSql(
        QStringLiteral("select * from accounts_dep.get_doc_item_by_gds(:id_gds, :id_gds_color);"));
    get_doc_by_gds.params().setInteger(QStringLiteral("id_gds"), 0);
    get_doc_by_gds.params().setInteger(QStringLiteral("id_gds_color"), 0);
    smena_gds_use.setSql(QStringList {
        QStringLiteral("select sgu.id as id"), QStringLiteral(",vcgi.s_caption"),
        QStringLiteral(",cons_use.stock_s_caption"),
        QStringLiteral(",cons_use.s_caption as s_cons_use_hl"), QStringLiteral(",sgu.f_qty_use"),
        QStringLiteral("from accounts_dep.smena_gds_use sgu"),
        QStringLiteral("inner join cmn_gds_and_srv.gds_and_srv vcgi on vcgi.id = sgu.id_gds_use"),
        QStringLiteral("left join accounts_dep.show_consignment(sgu.id_gds_use) cons_use on "
                       "cons_use.id = sgu.id_cons_use"),
        QStringLiteral("where sgu.id_smena = :id_smena")});
    smena_gds_use.params().setInteger(QStringLiteral("id_smena"), -1);
    fio_smena_gds.setSql(QStringList {
        QStringLiteral("select person_temp.id"), QStringLiteral(",person.s_caption as s_caption"),
        QStringLiteral("from accounts_dep.person_temp person_temp"),
        QStringLiteral("inner join cmn_contractor.person person on person.id = "
                       "person_temp.id_person"),
        QStringLiteral("where person_temp.id_smena = :s_id")});
    fio_smena_gds.params().setInteger(QStringLiteral("s_id"), -1);

    // Header group: the record's own fields.
    GroupBox1 = named(new QGroupBox(QStringLiteral("Закрыто мастером")), "GroupBox1");
    Label13 = named(new QLabel(QStringLiteral("Продукция")), "Label13");
    LCB_id_doc = named(new ui::LookupBox, "LCB_id_doc");
    LCB_id_doc_item = named(new ui::LookupBox, "LCB_id_doc_item");
    for (ui::LookupBox *b : {LCB_id_doc, LCB_id_doc_item}) {
        b->setKeyField(QStringLiteral("id"));
        b->setListField(QStringLiteral("s_caption"));
        b->setMinimumWidth(380);
    }
    Edit1 = readOnlyEdit("Edit1");
    Button3 = ui::namedButton(QStringLiteral("..."), "Button3");
    Edit2 = readOnlyEdit("Edit2");
    Button4 = ui::namedButton(QStringLiteral("..."), "Button4");
    Edit3 = named(new QLineEdit, "Edit3");
    Edit6 = named(new QLineEdit(QStringLiteral("0")), "Edit6");
    DTimeP = named(new ui::DateField, "DTimeP");
    Edit4 = named(new QLineEdit(QStringLiteral("0")), "Edit4");
    Edit7 = named(new QLineEdit, "Edit7");
    Edit8 = named(new QLineEdit, "Edit8");
    Edit5 = named(new QLineEdit, "Edit5");
    Edit7->setEnabled(false);
    Edit8->setEnabled(false);
    Edit5->setEnabled(false);
    // Rejects and hours are whole numbers, yet a typed separator gets through: "9,5" is refused
    // on saving as what it is, never taken for 95.
    for (QLineEdit *e : {Edit3, Edit4, Edit5, Edit6, Edit7, Edit8})
        ui::allowDecimalKeys(e);
    for (QLineEdit *e : {Edit1, Edit2, Edit3, Edit4, Edit6})
        e->installEventFilter(this);
    Label10 = named(new QLabel, "Label10");
    QFont bold = Label10->font();
    bold.setBold(true);
    Label10->setFont(bold);

    auto *g = new QGridLayout(GroupBox1);
    auto row = [g](int r, QLabel *label, QWidget *w, QWidget *extra = nullptr) {
        g->addWidget(label, r, 0);
        g->addWidget(w, r, 1, 1, extra ? 1 : 2);
        if (extra)
            g->addWidget(extra, r, 2);
    };
    row(0, Label13, LCB_id_doc);
    row(1, new QLabel(QStringLiteral("Строка")), LCB_id_doc_item);
    row(2, new QLabel(QStringLiteral("ФИО")), Edit1, Button3);
    row(3, new QLabel(QStringLiteral("Операция")), Edit2, Button4);
    auto *numbers = new QGridLayout;
    auto cell = [numbers](int r, int c, const QString &label, QWidget *w) {
        numbers->addWidget(new QLabel(label), r, c * 2);
        numbers->addWidget(w, r, c * 2 + 1);
    };
    cell(0, 0, QStringLiteral("Кол-во"), Edit3);
    cell(0, 1, QStringLiteral("Время"), Edit6);
    cell(0, 2, QStringLiteral("Дата"), DTimeP);
    cell(1, 0, QStringLiteral("Брак"), Edit4);
    cell(1, 1, QStringLiteral("Цена итог"), Edit8);
    cell(1, 2, QStringLiteral("Сумма"), Edit5);
    cell(2, 0, QStringLiteral("Цена база"), Edit7);
    numbers->addWidget(Label10, 2, 5);
    g->addLayout(numbers, 4, 0, 1, 3);

    RG1 = named(new QGroupBox(QStringLiteral("Режим работы:")), "RG1");
    RG1Item0 = named(new QRadioButton(QStringLiteral("По ЗВП")), "RG1Item0");
    RG1Item1 = named(new QRadioButton(QStringLiteral("По ТМЦ ")), "RG1Item1");
    RG1Item1->setChecked(true);
    auto *rg = new QHBoxLayout(RG1);
    rg->addWidget(RG1Item0);
    rg->addWidget(RG1Item1);

    Button1 = ui::namedDefaultButton(QStringLiteral("Запись"), "Button1");
    Button2 = ui::namedButton(QStringLiteral("Выход"), "Button2");

    DBGrid1 = named(new ui::DataGrid, "DBGrid1");
    DBGrid1->setColumns({{QStringLiteral("s_caption"), QStringLiteral("ТМЦ"),
                          Qt::AlignLeft | Qt::AlignVCenter, true},
                         {QStringLiteral("f_qty_use"), QStringLiteral("Расход"),
                          Qt::AlignRight | Qt::AlignVCenter, true}});
    DBGrid1->setDataset(&smena_gds_use);
    DBGrid1->horizontalHeader()->resizeSection(0, 300);
    Button5 = ui::namedButton(QStringLiteral("Добавить"), "Button5");
    Button6 = ui::namedButton(QStringLiteral("Удалить"), "Button6");
    Label6 = named(new QLabel(QStringLiteral("Бригада")), "Label6");
    Label6->setFont(bold);
    DBGrid2 = named(new ui::DataGrid, "DBGrid2");
    DBGrid2->setColumns({{QStringLiteral("s_caption"), QStringLiteral("Фамилия Имя Отчество"),
                          Qt::AlignLeft | Qt::AlignVCenter, true}});
    DBGrid2->setDataset(&fio_smena_gds);
    DBGrid2->horizontalHeader()->resizeSection(0, 340);
    Button7 = ui::namedButton(QStringLiteral("Добавить"), "Button7");
    Button8 = ui::namedButton(QStringLiteral("Удалить"), "Button8");
    Button9 = ui::namedButton(QStringLiteral("Сохранить"), "Button9");
    for (QWidget *w :
         std::initializer_list<QWidget *> {DBGrid1, Button5, Button6, DBGrid2, Button7, Button8})
        w->setEnabled(false);

    auto *top = new QHBoxLayout;
    top->addWidget(GroupBox1, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(RG1);
    side->addStretch(1);
    side->addWidget(Button1);
    side->addWidget(Button2);
    top->addLayout(side);
    auto *lists = new QHBoxLayout;
    auto *material = new QVBoxLayout;
    material->addWidget(new QLabel(QStringLiteral("Расход ТМЦ")));
    material->addWidget(DBGrid1);
    auto *mb = new QHBoxLayout;
    mb->addWidget(Button5);
    mb->addWidget(Button6);
    mb->addStretch(1);
    material->addLayout(mb);
    auto *brigade = new QVBoxLayout;
    brigade->addWidget(Label6);
    brigade->addWidget(DBGrid2);
    auto *bb = new QHBoxLayout;
    bb->addWidget(Button7);
    bb->addWidget(Button8);
    bb->addStretch(1);
    bb->addWidget(Button9);
    brigade->addLayout(bb);
    lists->addLayout(material, 1);
    lists->addLayout(brigade, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(lists, 1);
    resize(900, 560);

    const QWidget *const order[]
        = {LCB_id_doc, LCB_id_doc_item, Button3, Button4, Edit3,    Edit6,   DTimeP,  Edit4,
           Edit8,      Edit5,           Edit7,   Button1, Button2,  DBGrid1, Button5, Button6,
           DBGrid2,    Button7,         Button8, Button9, RG1Item0, RG1Item1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));

    auto on = [this](auto *sender, auto signal, void (TForm11::*slot)()) {
        ui::connectGuarded(sender, signal, this, [this, slot] { (this->*slot)(); });
    };
    for (QRadioButton *b : {RG1Item0, RG1Item1}) {
        connect(b, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                ui::guarded(this, [this] { RG1Click(); });
        });
    }
    on(LCB_id_doc, &QComboBox::activated, &TForm11::LCB_id_docCloseUp);
    on(LCB_id_doc_item, &QComboBox::activated, &TForm11::LCB_id_doc_itemCloseUp);
    on(Button1, &QPushButton::clicked, &TForm11::Button1Click);
    on(Button2, &QPushButton::clicked, &TForm11::Button2Click);
    on(Button3, &QPushButton::clicked, &TForm11::Button3Click);
    on(Button4, &QPushButton::clicked, &TForm11::Button4Click);
    on(Button5, &QPushButton::clicked, &TForm11::Button5Click);
    on(Button6, &QPushButton::clicked, &TForm11::Button6Click);
    on(Button7, &QPushButton::clicked, &TForm11::Button7Click);
    on(Button8, &QPushButton::clicked, &TForm11::Button8Click);
    on(Button9, &QPushButton::clicked, &TForm11::Button9Click);
}

int TForm11::workMode() const
{
    return RG1Item0->isChecked() ? 0 : 1;
}

void TForm11::setEnabledAll(std::initializer_list<QWidget *> widgets, bool on)
{
    for (QWidget *w : widgets)
        w->setEnabled(on);
}

// --- openings --------------------------------------------------------------------------------

void TForm11::openForAdding()
{
    DTimeP->setDate(forms().journal->journalDate());
    for (QLineEdit *e : {Edit1, Edit2, Edit3, Edit5, Edit7, Edit8})
        e->clear();
    Edit4->setText(QStringLiteral("0"));
    Edit6->setText(QStringLiteral("0"));
    setWindowTitle(QStringLiteral("Заведение новой позиции"));
    tag = 1;
    // Nothing of an earlier opening may reach the new record.
    workerNumber = personKey = operationId = itemId = 0;
    productId = colourId = requisitionId = lineId = 0;
    finalPrice = 0;
    requiredQuantity.reset();
    v_mnf_requisition.close();
    v_mnf_requisition_item.close();
    v_mnf_requisition.setSql(kRequisitions);
    v_mnf_requisition.open();
    v_mnf_requisition_item.setSql(kLines);
    v_mnf_requisition_item.setFilter(kNoLines);
    v_mnf_requisition_item.setFiltered(true);
    v_mnf_requisition_item.open();
    id_gds.open();
    get_doc_by_gds.close();
    get_doc_by_gds.params().setInteger(QStringLiteral("id_gds"), 0);
    get_doc_by_gds.params().setInteger(QStringLiteral("id_gds_color"), 0);
    get_doc_by_gds.open();
    smena_gds_use.close();
    smena_gds_use.params().setInteger(QStringLiteral("id_smena"), -1);
    smena_gds_use.open();
    LCB_id_doc->setKeyValue(0);
    LCB_id_doc_item->setKeyValue(0);
    setEnabledAll({LCB_id_doc, LCB_id_doc_item, GroupBox1, Button1}, true);
    setEnabledAll({DBGrid1, DBGrid2, Button5, Button6, Button7, Button8, Button9}, false);
    Label10->clear();
    recordId = 0;
    RG1Click();
    ui::showModal(this);
}

void TForm11::setRequisitionLists()
{
    LCB_id_doc->setDataset(&v_mnf_requisition);
    LCB_id_doc_item->setDataset(&v_mnf_requisition_item);
}

// Change and view: the editor shows the journal's current row and the record's own lists.
void TForm11::fillFromJournalRow()
{
    const db::Dataset &row = forms().journal->currentJournal();
    finalPrice = row.asFloat(QStringLiteral("cena"));
    recordId = int(row.asInteger(QStringLiteral("id")));
    Edit8->setText(db::formatGeneral(db::roundTo(finalPrice, 4)));
    DTimeP->setDate(row.asDate(QStringLiteral("data")));
    Edit1->setText(row.asString(QStringLiteral("fio")).trimmed());
    Edit2->setText(row.asString(QStringLiteral("marka")).trimmed() + QStringLiteral("; ")
                   + row.asString(QStringLiteral("vid")).trimmed() + QStringLiteral("; ")
                   + (row.asInteger(QStringLiteral("naimen")) == 0
                          ? QStringLiteral("Готовая продукция")
                          : QStringLiteral("Заготовки")));
    Edit3->setText(row.asString(QStringLiteral("kol_vo")).trimmed());
    Edit4->setText(row.asString(QStringLiteral("brak")).trimmed());
    Edit6->setText(QString::number(row.asInteger(QStringLiteral("time"))));
    workerNumber = int(row.asInteger(QStringLiteral("w_id")));
    itemId = int(row.asInteger(QStringLiteral("i_id")));
    operationId = int(row.asInteger(QStringLiteral("o_id")));
    Edit5->setText(
        db::formatGeneral(db::roundTo(row.asFloat(QStringLiteral("kol_vo")) * finalPrice, 4)));

    // The record's own goods, colour and line, and its bound: never an earlier opening's.
    db::Dataset own(&dataModule().ADO_DB);
    // What the record counts as made on its line, as the line's "made" count takes it: good
    // pieces (net of rejects) at the last operation of the process, nothing at earlier ones.
    own.setSql(QStringLiteral(
        "select s.color, s.id_gds_use, s.id_doc, s.id_doc_item, s.kol_vo, ri.id as line, "
        "greatest(ri.f_qty - m.f_qty_made, 0) as f_need, "
        "coalesce((select s.kol_vo - s.brak from mnf_operation.operation o where o.id = s.o_id "
        "and not exists (select 1 from mnf_operation.operation o2 where o2.id_proc_tech = "
        "o.id_proc_tech and o2.orderby > o.orderby)), 0) as f_own "
        "from accounts_dep.smena s left join mnf_doc.requisition_item ri on ri.id = "
        "s.id_doc_item left join mnf_doc.v_requisition_item_made m on m.id_doc_item = ri.id "
        "where s.id = :id"));
    own.params().setInteger(QStringLiteral("id"), recordId);
    own.open();
    colourId = int(own.asInteger(QStringLiteral("color")));
    productId = int(own.asInteger(QStringLiteral("id_gds_use")));
    requisitionId = int(own.asInteger(QStringLiteral("id_doc")));
    lineId = int(own.asInteger(QStringLiteral("id_doc_item")));
    // What the line still needs (nothing when it was overdone), plus what the record itself
    // already counts there; never below the record's own quantity, so that a record saved again
    // as it stands (its hours corrected, say) is not refused.
    if (own.isEmpty() || own.isNull(QStringLiteral("line")))
        requiredQuantity.reset();
    else
        requiredQuantity
            = std::max(own.asFloat(QStringLiteral("f_need")) + own.asFloat(QStringLiteral("f_own")),
                       own.asFloat(QStringLiteral("kol_vo")));

    setRequisitionLists();
    Label13->setText(QStringLiteral("Заявка"));
    v_mnf_requisition.close();
    v_mnf_requisition_item.close();
    v_mnf_requisition.setSql(QStringLiteral(
        "select format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, 'dd.mm.yyyy')) as "
        "s_caption, doc.id as id from accounts_dep.smena smena inner join mnf_doc.doc doc on "
        "doc.id = smena.id_doc where smena.id = :id"));
    v_mnf_requisition.params().setInteger(QStringLiteral("id"), recordId);
    v_mnf_requisition.open();
    v_mnf_requisition.first();
    LCB_id_doc->setKeyValue(
        v_mnf_requisition.isEmpty() ? QVariant() : v_mnf_requisition.value(QStringLiteral("id")));
    v_mnf_requisition_item.setSql(QStringLiteral(
        "select id::t_id, s_caption, 0::t_id as id_doc, 0::t_id as id_gds, 0::t_float as f_qty, "
        "0::t_code as s_gds_mc from accounts_dep.get_doc_item_caption_by_smena(:id)"));
    v_mnf_requisition_item.params().setInteger(QStringLiteral("id"), recordId);
    v_mnf_requisition_item.open();
    v_mnf_requisition_item.first();
    LCB_id_doc_item->setKeyValue(v_mnf_requisition_item.isEmpty()
                                     ? QVariant()
                                     : v_mnf_requisition_item.value(QStringLiteral("id")));
    reloadMaterials();
    Label10->setText(QString::number(recordId));
    fio_smena_gds.close();
}

void TForm11::openForChanging()
{
    setWindowTitle(QStringLiteral("Изменение данных о позиции"));
    tag = 2;
    RG1->setVisible(false);
    struct Restore
    {
        TForm11 *w;
        ~Restore()
        {
            w->RG1->setVisible(true);
            w->setEnabledAll({w->Button3, w->Button4, w->Edit1, w->Edit2}, true);
        }
    } restore {this};
    fillFromJournalRow();
    setEnabledAll(
        {Button3, Button4, Edit1, Edit2, Button7, Button8, Button9, LCB_id_doc, LCB_id_doc_item},
        false);
    setEnabledAll({Button1, GroupBox1, Edit3, Edit4, Edit6, DBGrid1, Button5, Button6}, true);
    ui::showModal(this);
}

void TForm11::openForViewing()
{
    setEnabledAll({GroupBox1, Button1, DBGrid1, Button5, Button6, Button7, Button8, Button9},
                  false);
    struct Restore
    {
        TForm11 *w;
        ~Restore()
        {
            w->setEnabledAll({w->GroupBox1, w->Button1, w->DBGrid1, w->Button5, w->Button6}, true);
        }
    } restore {this};
    if (forms().journal->currentJournal().isEmpty())
        return;
    setWindowTitle(QStringLiteral("Просмотр данных о позиции"));
    tag = 3;
    fillFromJournalRow();
    ui::showModal(this);
    v_mnf_requisition.close();
    v_mnf_requisition.setSql(kRequisitions);
    v_mnf_requisition_item.close();
    v_mnf_requisition_item.setSql(kLines);
}

// --- work mode and lookups -------------------------------------------------------------------

void TForm11::RG1Click()
{
    if (workMode() == 1) {
        id_gds.close();
        id_gds.open();
        get_doc_by_gds.close();
        get_doc_by_gds.open();
        Label13->setText(QStringLiteral("Продукция"));
        LCB_id_doc->setDataset(&id_gds);
        LCB_id_doc_item->setDataset(&get_doc_by_gds);
    } else {
        v_mnf_requisition.close();
        v_mnf_requisition.setFiltered(false);
        v_mnf_requisition.open();
        v_mnf_requisition_item.close();
        v_mnf_requisition_item.setFilter(kNoLines);
        v_mnf_requisition_item.open();
        Label13->setText(QStringLiteral("Заявка"));
        setRequisitionLists();
    }
}

void TForm11::LCB_id_docCloseUp()
{
    // The lists may repeat a key (a product in two colours): the row is the one chosen.
    db::Dataset &list = workMode() == 1 ? id_gds : v_mnf_requisition;
    const int index = LCB_id_doc->currentIndex();
    if (index >= 0 && list.isOpen())
        list.setRecNo(index + 1);
    const bool chosen = index >= 0 && list.isOpen() && !list.isEmpty();
    if (workMode() == 1) {
        get_doc_by_gds.close();
        const int product = chosen ? int(list.asInteger(QStringLiteral("id"))) : 0;
        const int colour = chosen ? int(list.asInteger(QStringLiteral("id_gds_color"))) : 0;
        get_doc_by_gds.params().setInteger(QStringLiteral("id_gds"), product);
        get_doc_by_gds.params().setInteger(QStringLiteral("id_gds_color"), colour);
        productId = product;
        colourId = colour;
        get_doc_by_gds.open();
        return;
    }
    v_mnf_requisition_item.setFiltered(false);
    if (chosen && !list.isNull(QStringLiteral("id"))) {
        requisitionId = int(list.asInteger(QStringLiteral("id")));
        v_mnf_requisition_item.setFilter(QStringLiteral("id_doc=")
                                         + QString::number(requisitionId));
    } else {
        requisitionId = 0;
        v_mnf_requisition_item.setFilter(kNoLines);
    }
    v_mnf_requisition_item.setFiltered(true);
    if (!LCB_id_doc->text().isEmpty())
        LCB_id_doc_item->setEnabled(true);
    LCB_id_doc_item->setKeyValue(0);
    lineId = 0;
    Edit1->clear();
    Edit2->clear();
    operationId = personKey = workerNumber = 0;
}

void TForm11::LCB_id_doc_itemCloseUp()
{
    db::Dataset &list = workMode() == 1 ? get_doc_by_gds : v_mnf_requisition_item;
    const int index = LCB_id_doc_item->currentIndex();
    if (!LCB_id_doc_item->text().isEmpty() && index >= 0 && list.isOpen() && !list.isEmpty()) {
        list.setRecNo(index + 1);
        setEnabledAll({Edit1, Button3}, true);
        const QString need
            = workMode() == 1 ? QStringLiteral("f_qty_need") : QStringLiteral("f_qty");
        Edit3->setText(list.asString(need));
        requiredQuantity = list.asFloat(need);
        requisitionId = int(list.asInteger(QStringLiteral("id_doc")));
        lineId = int(list.asInteger(QStringLiteral("id")));
        if (workMode() == 0) {
            // The line's goods and colour are the record's product, whatever was chosen before.
            db::Dataset goods(&dataModule().ADO_DB);
            goods.setSql(QStringLiteral("select id_gds, id_gds_color from "
                                        "mnf_doc.requisition_item where id = :id"));
            goods.params().setInteger(QStringLiteral("id"), lineId);
            goods.open();
            productId = int(goods.asInteger(QStringLiteral("id_gds")));
            colourId = int(goods.asInteger(QStringLiteral("id_gds_color")));
        }
    }
    Edit2->clear();
    Edit1->clear();
    operationId = personKey = workerNumber = 0;
}

// --- worker and operation --------------------------------------------------------------------

void TForm11::Button3Click()
{
    TForm5 *w = forms().personnel;
    dataModule().workers.open();
    w->showAsChooser(kWorkerChooser);
    if (!w->chosen)
        return;
    Edit1->setText(chosenWorker.name);
    workerNumber = chosenWorker.workerNumber;
    personKey = chosenWorker.personKey;
    Edit2->clear();
    operationId = 0;
    dataModule().workers.close();
    if (!Edit1->text().isEmpty())
        setEnabledAll({Edit2, Button4}, true);
}

void TForm11::Button4Click()
{
    // The list opens on the record's own operation, or on the first one for a new record.
    db::Dataset &operations = dataModule().operation;
    operations.open();
    if (tag == 1 || !operations.locate(QStringLiteral("id"), operationId, true))
        operations.first();
    chosenOperation.picked = false;
    forms().processes->showAsChooser(kOperationChooser);
    operations.setFiltered(false);
    if (chosenOperation.picked) {
        operationId = chosenOperation.operationId;
        itemId = chosenOperation.itemId;
        finalPrice = chosenOperation.price;
        Edit2->setText(chosenOperation.text);
    }
    applyPaintRule();
    Edit3Exit();
}

void TForm11::applyPaintRule()
{
    const bool paint = Edit2->text().toUpper().contains(QStringLiteral("КРАСКА"));
    if (!paint)
        Edit5->clear();
    Edit5->setEnabled(paint);
    Label6->setEnabled(paint);
}

// --- field exits -----------------------------------------------------------------------------

void TForm11::Edit3Exit()
{
    if (Edit6->text().isEmpty())
        Edit6->setText(QStringLiteral("0"));
    if (Edit3->text().isEmpty())
        Edit3->setText(QStringLiteral("0"));
    Edit8->setText(db::formatGeneral(finalPrice));
    Edit7->setText(db::formatGeneral(basePrice));
    Edit5->setText(db::formatGeneral(
        db::roundTo(ui::readNumber(Edit3->text(), kQuantity).toDouble() * finalPrice, 4)));
}

void TForm11::Edit4Exit()
{
    if (Edit4->text().isEmpty())
        Edit4->setText(QStringLiteral("0"));
}

void TForm11::Edit6Exit()
{
    if (Edit6->text().isEmpty())
        Edit6->setText(QStringLiteral("0"));
}

bool TForm11::eventFilter(QObject *o, QEvent *e)
{
    // Only a move of the focus leaves a field: a message box or a popup taking the activation
    // from the window does not (an exit run under the save's own box would change the field).
    const auto leaving = [e] {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
        return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    };
    if (e->type() == QEvent::FocusOut && leaving()) {
        if (o == Edit3)
            ui::guarded(this, [this] { Edit3Exit(); });
        else if (o == Edit4)
            ui::guarded(this, [this] { Edit4Exit(); });
        else if (o == Edit6)
            ui::guarded(this, [this] { Edit6Exit(); });
    } else if (e->type() == QEvent::MouseButtonPress) {
        // A click on the worker or operation text chooses, as its button does.
        if (o == Edit1 && Edit1->isEnabled()) {
            Button3->click();
            return true;
        }
        if (o == Edit2 && Edit2->isEnabled()) {
            Button4->click();
            return true;
        }
    }
    return ui::Window::eventFilter(o, e);
}

void TForm11::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    for (ui::LookupBox *box : {LCB_id_doc, LCB_id_doc_item}) {
        if (delta == 0 || focusWidget() != box)
            continue;
        QKeyEvent press(QEvent::KeyPress, delta < 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        event->accept();
        return;
    }
    ui::Window::wheelEvent(event);
}

// --- saving ----------------------------------------------------------------------------------

void TForm11::Button1Click()
{
    save();
}

void TForm11::save()
{
    for (const QLineEdit *e : {Edit1, Edit2, Edit3, Edit4, Edit6}) {
        if (e->text().trimmed().isEmpty()) {
            ui::showError(this, kFillAll);
            return;
        }
    }
    if (LCB_id_doc_item->text().isEmpty() || LCB_id_doc->text().isEmpty()) {
        ui::showError(this, kFillAll);
        return;
    }
    // Every field is read before anything is written; one that does not fit stops the save.
    const db::Decimal typedQuantity = ui::readNumber(Edit3->text(), kQuantity);
    const double quantity = typedQuantity.toDouble();
    const int rejects = int(ui::readNumber(Edit4->text(), kRejects).toInteger());
    const int hours = int(ui::readNumber(Edit6->text(), kHours).toInteger());
    if (hours > kDayHours) {
        ui::showError(this,
                      QStringLiteral("Время работы не может быть больше %1 часов! Поле "
                                     "«Время» принимает целое число часов от 0 до %1.")
                          .arg(kDayHours));
        return;
    }
    // The record's good pieces (quantity less rejects) are never fewer than none.
    if (above(rejects, quantity)) {
        ui::showError(this,
                      QStringLiteral("Брак не может быть больше количества изделий! Поле "
                                     "«Брак» принимает целое число от 0 до %1.")
                          .arg(qint64(std::floor(quantity))));
        return;
    }
    if (requiredQuantity && above(quantity, *requiredQuantity)) {
        ui::showError(this, QStringLiteral("Количество изделий не может быть больше требуемого!"));
        return;
    }

    TForm1 *journal = forms().journal;
    const int shift = journal->currentShift;
    const QDate date = DTimeP->date();
    const bool update = tag != 1 || recordId != 0;

    db::Connection &c = dataModule().ADO_DB;
    db::Command SmenaIU(&c);
    db::Params &p = SmenaIU.params();
    p.setInteger(QStringLiteral("w_id"), workerNumber);
    p.setInteger(QStringLiteral("i_id"), itemId);
    p.setInteger(QStringLiteral("o_id"), operationId);
    p.setNumber(QStringLiteral("cena"), db::roundTo(finalPrice, 4));
    // As typed, every digit: a double would change a long quantity.
    p.setDecimal(QStringLiteral("kol_vo"), typedQuantity);
    p.setInteger(QStringLiteral("brak"), rejects);
    p.setDate(QStringLiteral("data"), date);
    p.setInteger(QStringLiteral("smena"), shift);
    p.setInteger(QStringLiteral("color"), colourId);
    p.setInteger(QStringLiteral("time"), hours);
    p.setDate(QStringLiteral("vvod"), ui::today());
    p.setInteger(QStringLiteral("id_gds_use"), productId);

    // The record and the hours it brings (or takes away) are one change: all or nothing.
    int id = recordId;
    {
        db::Transaction transaction(c);
        timesheet::HoursPosting posting(c);
        if (update) {
            db::Dataset old(&c);
            old.setSql(QStringLiteral("select w_id, smena, data, ok from accounts_dep.smena "
                                      "where id = :id for update"));
            old.params().setInteger(QStringLiteral("id"), id);
            old.open();
            if (old.isEmpty())
                throw db::DbError(
                    QStringLiteral("Запись журнала № %1 не найдена (возможно, она удалена)")
                        .arg(id));
            // Accepted by another client since the editor opened: what was accepted stays.
            if (old.asString(QStringLiteral("ok")) == QLatin1String("ok"))
                throw db::DbError(
                    QStringLiteral("Запись журнала № %1 уже принята: изменить её нельзя").arg(id));
            p.setInteger(QStringLiteral("id"), id);
            SmenaIU.setText(QStringLiteral(
                "update accounts_dep.SMENA set w_id=:w_id, i_id=:i_id, o_id=:o_id, cena=:cena, "
                "kol_vo=:kol_vo, brak=:brak, data=:data, smena=:smena, color=:color, "
                "time=:time, vvod=:vvod, prize=0, f_gds_qty_use=0, id_gds_use=:id_gds_use, "
                "id_cons_use=0 where id=:id"));
            SmenaIU.execute();
            posting.afterSave(workerNumber, shift, date);
            // Hours of the day, worker or shift the record left go with it.
            const int oldWorker = int(old.asInteger(QStringLiteral("w_id")));
            const int oldShift = int(old.asInteger(QStringLiteral("smena")));
            const QDate oldDate = old.asDate(QStringLiteral("data"));
            if (!old.isNull(QStringLiteral("w_id"))
                && (oldWorker != workerNumber || oldShift != shift || oldDate != date))
                posting.afterDeletion(oldWorker, oldShift, oldDate);
        } else {
            p.setInteger(QStringLiteral("id_doc"), requisitionId);
            p.setInteger(QStringLiteral("id_doc_item"), lineId);
            SmenaIU.setText(QStringLiteral(
                "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, "
                "smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, "
                "id_gds_use, id_cons_use) values(:w_id, :i_id, :o_id, :cena, :kol_vo, :brak, "
                ":data, :smena, :color, :time, :vvod, 'no', 0, :id_doc, :id_doc_item, 0, "
                ":id_gds_use, 0) returning id"));
            id = int(SmenaIU.executeScalar().toLongLong());
            posting.afterSave(workerNumber, shift, date);
        }
        transaction.commit();
    }

    db::Dataset &ds = journal->currentJournal();
    if (update) {
        const int row = ds.recNo();
        journal->reloadKeepingOrder(row >= 1, row);
    } else {
        recordId = id;
        journal->reloadKeepingOrder(false);
    }
    // Back on the record itself when the journal lists it.
    ds.locate(QStringLiteral("id"), recordId, true);
    Label10->setText(QString::number(recordId));
    if (!update)
        reloadMaterials();
    setEnabledAll({Button5, Button6}, true);

    if (tag == 1) {
        // The brigade phase: the record exists, its brigade and materials can be entered.
        fio_smena_gds.close();
        fio_smena_gds.params().setInteger(QStringLiteral("s_id"), recordId);
        fio_smena_gds.open();
        Button9->setEnabled(true);
        setEnabledAll({GroupBox1, Button1}, false);
        setEnabledAll({DBGrid1, DBGrid2, Button7, Button8}, true);
    }
}

void TForm11::reloadMaterials()
{
    const int row = smena_gds_use.isOpen() ? smena_gds_use.recNo() : 0;
    smena_gds_use.close();
    smena_gds_use.params().setInteger(QStringLiteral("id_smena"), recordId);
    smena_gds_use.open();
    if (!smena_gds_use.isEmpty() && row > 0)
        smena_gds_use.setRecNo(row);
}

// --- brigade ---------------------------------------------------------------------------------

void TForm11::Button7Click()
{
    addBrigadeMember();
}

void TForm11::addBrigadeMember()
{
    TForm5 *w = forms().personnel;
    dataModule().workers.open();
    w->showAsChooser(kBrigadeChooser);
    Edit1->clear();
    dataModule().workers.close();
    if (!w->chosen)
        return;
    const int person = chosenWorker.personKey;
    db::Connection &c = dataModule().ADO_DB;
    // The division counts each person once: one who already shares the record is refused.
    db::Command present(&c);
    present.setText(QStringLiteral(
        "select count(*) from accounts_dep.person_temp where id_smena = :s_id and id_person = "
        ":p_id"));
    present.params().setInteger(QStringLiteral("s_id"), recordId);
    present.params().setInteger(QStringLiteral("p_id"), person);
    if (present.executeScalar().toLongLong() > 0 || person == workerNumber) {
        ui::showError(this, QStringLiteral("%1 уже в бригаде!").arg(chosenWorker.name));
        return;
    }
    fio_smena_gds.close();
    db::Command ins_person(&c);
    ins_person.setText(QStringLiteral(
        "insert into accounts_dep.person_temp(id_smena, id_person) values(:s_id,:p_id)"));
    ins_person.params().setInteger(QStringLiteral("s_id"), recordId);
    ins_person.params().setInteger(QStringLiteral("p_id"), person);
    try {
        ins_person.execute();
    } catch (const db::DbError &) {
        ui::showError(this, kNotSaved);
    }
    fio_smena_gds.open();
    fio_smena_gds.last();
}

void TForm11::Button8Click()
{
    if (!fio_smena_gds.isOpen() || fio_smena_gds.isEmpty())
        return;
    const int row = fio_smena_gds.recNo();
    db::Command del(&dataModule().ADO_DB);
    del.setText(QStringLiteral("delete from accounts_dep.person_temp where id = :id"));
    del.params().setInteger(QStringLiteral("id"), fio_smena_gds.asInteger(QStringLiteral("id")));
    del.execute();
    fio_smena_gds.close();
    fio_smena_gds.open();
    if (!fio_smena_gds.isEmpty())
        fio_smena_gds.setRecNo(row);
}

void TForm11::Button9Click()
{
    if (divide())
        close();
}

// Runs the division; false when the editor should stay open for it to run again.
bool TForm11::divide()
{
    db::Command save_all(&dataModule().ADO_DB);
    save_all.setText(QStringLiteral("select accounts_dep.divide_between_person(:s_id)"));
    save_all.params().setInteger(QStringLiteral("s_id"), recordId);
    try {
        save_all.execute();
    } catch (const db::DbError &e) {
        // The server's reason follows (an accepted record is not divided). With the server lost
        // the division did not run (and, run twice, the server finds no brigade left to
        // divide): the editor stays open so that "Сохранить" runs it.
        ui::showError(this, kNotSaved + u'\n' + e.text());
        if (e.connectionLost())
            return false;
    }
    // The brigade phase is over: leaving asks nothing more.
    Button9->setEnabled(false);
    return true;
}

// --- material list ---------------------------------------------------------------------------

void TForm11::Button5Click()
{
    TForm24 *m = forms().material;
    m->v_cmn_gds_in.close();
    m->v_cmn_gds_in.params().setInteger(QStringLiteral("id_smena"), recordId);
    m->v_cmn_gds_in.open();
    ui::showModal(m);
    m->LCB_id_gds_use->setKeyValue(0);
    m->Edit7->setText(QStringLiteral("0"));
    reloadMaterials();
    fio_smena_gds.close();
    fio_smena_gds.open();
    if (Edit3->text().isEmpty())
        Edit3->setText(QStringLiteral("0"));
}

void TForm11::Button6Click()
{
    if (!smena_gds_use.isOpen() || smena_gds_use.isEmpty())
        return;
    db::Command del(&dataModule().ADO_DB);
    del.setText(QStringLiteral("delete from accounts_dep.smena_gds_use where id=:id"));
    del.params().setInteger(QStringLiteral("id"), smena_gds_use.asInteger(QStringLiteral("id")));
    del.execute();
    reloadMaterials();
}

// --- closing ---------------------------------------------------------------------------------

void TForm11::Button2Click()
{
    reject();
    // Still open when the brigade's division has to run again: the material list stays.
    if (isHidden())
        smena_gds_use.close();
}

void TForm11::reject()
{
    // Members added to the brigade but not divided yet: the division runs now or the members
    // go, so that none waits half-done for the record's next division.
    const bool pending
        = tag == 1 && Button9->isEnabled() && fio_smena_gds.isOpen() && !fio_smena_gds.isEmpty();
    if (pending) {
        bool leave = true;
        const bool ok = ui::guarded(this, [this, &leave] {
            if (ui::askYesNo(this, QStringLiteral("Сохраннение"), kDivideNow)) {
                leave = divide();
                return;
            }
            db::Command drop(&dataModule().ADO_DB);
            drop.setText(
                QStringLiteral("delete from accounts_dep.person_temp where id_smena = :s_id"));
            drop.params().setInteger(QStringLiteral("s_id"), recordId);
            drop.execute();
            Button9->setEnabled(false);
        });
        if (!ok || !leave)
            return;
    }
    ui::Window::reject();
}

void TForm11::FormClose()
{
    v_mnf_requisition.close();
    v_mnf_requisition_item.setFilter(kNoLines);
    v_mnf_requisition_item.setFiltered(true);
    v_mnf_requisition_item.close();
    setEnabledAll({GroupBox1, Button1}, true);
    fio_smena_gds.close();
    fio_smena_gds.params().setInteger(QStringLiteral("s_id"), -1);
}

void TForm11::done(int result)
{
    ui::guarded(this, [this] { FormClose(); });
    ui::Window::done(result);
}
