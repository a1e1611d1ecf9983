#include "process_list_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "processes/norms_window.h"
#include "processes/process_operations_window.h"
#include "ui/data_grid.h"
#include "ui/seams.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

DirectoryWindow::Settings settings()
{
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    DirectoryWindow::Settings s;
    s.caption = QStringLiteral("Техпроцессы");
    s.dataset = &dataModule().proc_tech;
    s.columns = {{QStringLiteral("id"), QStringLiteral("Номер"), right},
                 {QStringLiteral("s_ii"), QStringLiteral("Изделие")},
                 {QStringLiteral("s_caption"), QStringLiteral("Наименование")},
                 {QStringLiteral("full_price"), QStringLiteral("Цена"), right}};
    s.columnWidths = {70, 160, 300, 90};
    s.filterField = QStringLiteral("s_ii");
    s.focusFilterOnActivate = true;
    // The buttons and the double click are connected by the window itself.
    s.buttonsAct = false;
    s.deleteQuestion = QStringLiteral("Удалить строку (будет удалена вся спецификация ТП)?");
    s.deleteStatement = QStringLiteral("delete from mnf_proc_tech.proc_tech where id=:id");
    return s;
}

// The bottom panel's layout: the one that holds the filter edit.
QBoxLayout *panelOf(QLayout *layout, QWidget *member)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayout *inner = layout->itemAt(i)->layout();
        if (inner && inner->indexOf(member) >= 0)
            return qobject_cast<QBoxLayout *>(inner);
    }
    return nullptr;
}

} // namespace

TForm4::TForm4(QWidget *parent)
    : DirectoryWindow(settings(), parent)
    , m_excel(this, QStringLiteral("Операции"))
{
    setObjectName(QStringLiteral("TForm4"));
    XLS_Rep.setConnection(&dataModule().ADO_DB);
    // The process of each operation (number and name) comes with it, so that the lines of two
    // processes of one item tell apart; an operation of no process has both empty.
    XLS_Rep.setSql(QStringList {
        QStringLiteral("select inventory_items.MARKA, vid_oper.VID, oper.NAIMEN, "
                       "iif(naimen=0,'Готовая продукция','Заготовки') as nmn, oper.CENA, oper.id, "
                       "oper.i_id,"),
        QStringLiteral(" oper.VID as oper_vid, pt.id as pt_id, pt.s_caption as pt_caption "
                       "from OPER join mnf_operation.operation op on op.id = oper.id "
                       "left join mnf_proc_tech.proc_tech pt on pt.id = op.id_proc_tech, "
                       "inventory_items,VID_OPER where OPER.i_id=Inventory_items.id "),
        QStringLiteral("and oper.vid=vid_oper.id order by inventory_items.marka, pt.id, "
                       "vid_oper.vid, oper.naimen, oper.id")});
    Button1 = addButton;
    Button4 = exitButton;
    Button5 = new QPushButton(QStringLiteral("Excel"));
    Button5->setObjectName(QStringLiteral("Button5"));
    Button5->setAutoDefault(false);
    CheckBox1 = new QCheckBox(QStringLiteral("Цены"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Button6 = new QPushButton(QStringLiteral("Выход"));
    Button6->setObjectName(QStringLiteral("Button6"));
    Button6->setAutoDefault(false);
    if (QBoxLayout *panel = panelOf(layout(), Edit1)) {
        const int at = panel->indexOf(Edit1) + 1;
        panel->insertWidget(at, Button5);
        panel->insertWidget(at + 1, CheckBox1);
    }
    auto *top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(Button6);
    static_cast<QBoxLayout *>(layout())->insertLayout(0, top);
    NoteExport = new reports::ExportNote(m_excel);
    static_cast<QBoxLayout *>(layout())->addWidget(NoteExport);
    Button5->hide();
    CheckBox1->hide();

    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    ui::connectGuarded(Button2, &QPushButton::clicked, this, &DirectoryWindow::Button2Click);
    ui::connectGuarded(Button3, &QPushButton::clicked, this, &DirectoryWindow::Button3Click);
    ui::connectGuarded(Button5, &QPushButton::clicked, this, &TForm4::Button5Click);
    ui::connectGuarded(DBGrid1, &ui::DataGrid::rowDoubleClicked, this, &TForm4::DBGrid1DblClick);
    ui::connectGuarded(DBGrid1, &ui::DataGrid::titleClicked, this, &TForm4::DBGrid1TitleClick);
    connect(Button6, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm4::FormActivate()
{
    // The entry editor's chooser leaves the list closed: the list opens what it shows.
    if (!list().isOpen())
        list().open();
    const bool hidden = dataModule().showHiddenCommands;
    Button5->setVisible(hidden);
    CheckBox1->setVisible(hidden);
    if (!hidden)
        CheckBox1->setChecked(false);
    DirectoryWindow::FormActivate();
    if (!Edit1->text().trimmed().isEmpty())
        Edit1Change();
}

void TForm4::hideEvent(QHideEvent *event)
{
    DirectoryWindow::hideEvent(event);
    if (!event->spontaneous())
        list().close();
}

void TForm4::DBGrid1TitleClick(int column)
{
    struct Toggle
    {
        const char *ascending, *descending;
    };
    static const Toggle toggles[] = {
        {"id ASC", "id DESC, s_ii ASC"},
        {"s_ii ASC", "s_ii DESC, id ASC"},
        {"s_caption  ASC", "s_caption DESC, s_ii, id ASC"},
        {"full_price, s_ii, id ASC", "full_price DESC, s_ii, id ASC"},
    };
    if (column < 0 || column >= int(std::size(toggles)) || !list().isOpen())
        return;
    const bool descending = !list().sort().contains(QLatin1String("DESC"));
    list().setSort(
        QLatin1String(descending ? toggles[column].descending : toggles[column].ascending));
}

void TForm4::Button1Click()
{
    const int row = list().isOpen() ? list().recNo() : 0;
    TForm33 *w = forms().processOperations;
    w->openNew();
    ui::showModal(w);
    w->full_price.close();
    // The list shows the process saved meanwhile and stays on its row number.
    reloadAt(row);
}

void TForm4::changeRow()
{
    openProcess();
}

void TForm4::chooseRow()
{
    if (!list().isOpen() || list().isEmpty())
        return;
    const int row = list().recNo();
    const bool picked = openProcess();
    if (picked) {
        accept();
        return;
    }
    reloadAt(row);
}

bool TForm4::openProcess()
{
    db::Dataset &pt = list();
    TForm33 *w = forms().processOperations;
    w->openExisting(int(pt.asInteger(QStringLiteral("id"))),
                    int(pt.asInteger(QStringLiteral("id_inventory_items"))),
                    pt.asString(QStringLiteral("s_ii")).trimmed(),
                    pt.asString(QStringLiteral("s_caption")).trimmed(), tag != 0);
    const bool picked = ui::showModal(w) == QDialog::Accepted && w->picked();
    dataModule().operation.close();
    w->full_price.close();
    return picked;
}

void TForm4::Button5Click()
{
    exportOperations();
}

void TForm4::exportOperations()
{
    ui::BusyCursor busy;
    XLS_Rep.close();
    XLS_Rep.open();
    // Closed however the export ends.
    const db::CloseOnExit closer(XLS_Rep);
    if (m_excel.OpenExcel() == reports::ExcelLink::kFailed)
        return;
    const QString titles[]
        = {QStringLiteral("Марка"), QStringLiteral("Операция"), QStringLiteral("Цена"),
           QStringLiteral("Вид"),   QStringLiteral("№ ТП"),     QStringLiteral("Техпроцесс")};
    for (int c = 0; c < 6; ++c)
        m_excel.WriteExcelValue(1, c + 1, 1, titles[c]);
    int row = 2;
    for (XLS_Rep.first(); !XLS_Rep.eof(); XLS_Rep.next(), ++row) {
        m_excel.WriteExcelValue(1, 1, row, XLS_Rep.asString(QStringLiteral("marka")));
        m_excel.WriteExcelValue(1, 2, row, XLS_Rep.asString(QStringLiteral("vid")));
        m_excel.WriteExcelValue(1, 3, row, XLS_Rep.asString(QStringLiteral("cena")));
        m_excel.WriteExcelValue(1, 4, row,
                                XLS_Rep.asInteger(QStringLiteral("naimen")) == 0
                                    ? QStringLiteral("Готовая продукция")
                                    : QStringLiteral("Заготовки"));
        m_excel.WriteExcelValue(1, 5, row, XLS_Rep.asString(QStringLiteral("pt_id")));
        m_excel.WriteExcelValue(1, 6, row,
                                XLS_Rep.asString(QStringLiteral("pt_caption")).trimmed());
    }
    m_excel.FitColumns();
    m_excel.SetExcelVisible(true);
}

void TForm4::DBGrid1DblClick()
{
    db::Dataset &op = dataModule().operation;
    if (!CheckBox1->isChecked() || tag != 0 || !op.isOpen() || op.isEmpty()) {
        Button2Click();
        return;
    }
    forms().norms->openFor(int(op.asInteger(QStringLiteral("id"))));
}
