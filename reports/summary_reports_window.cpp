#include "summary_reports_window.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/formats.h"
#include "reports/engine/preview_window.h"
#include "reports/layouts/product_summary.h"
#include "reports/layouts/products_detail.h"
#include "reports/layouts/requisitions_report.h"
#include "reports/layouts/workers_detail.h"
#include "reports/layouts/workers_summary.h"
#include "ui/buttons.h"
#include "ui/seams.h"

#include <QDateEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm18::TForm18(QWidget *parent)
    : ui::Window(QStringLiteral("Отчеты"), parent)
    , m_excel(this, QStringLiteral("Продукция"))
{
    setObjectName(QStringLiteral("TForm18"));
    RadioGroup1 = new reports::RadioGroup;
    GroupBox1 = new reports::PeriodBox;
    DTPicker1 = GroupBox1->DTPicker1;
    DTPicker2 = GroupBox1->DTPicker2;
    Button4 = ui::namedButton(QStringLiteral("Отчет по рабочим"), "Button4");
    Button2 = ui::namedButton(QStringLiteral("Отчет по продукции"), "Button2");
    Button1 = ui::namedButton(QStringLiteral("Детальный отчет по рабочим"), "Button1");
    Button3 = ui::namedButton(QStringLiteral("Детальный отчет по продукции"), "Button3");
    Button7 = ui::namedButton(QStringLiteral("Детальный отчет по заявкам"), "Button7");
    Button6 = ui::namedButton(QStringLiteral("Excel (0 из 0)"), "Button6");
    Button5 = ui::namedButton(QStringLiteral("Выход"), "Button5");
    NoteExport = new reports::ExportNote(m_excel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RadioGroup1);
    layout->addWidget(GroupBox1);
    for (QPushButton *b : {Button4, Button2, Button1, Button3, Button7, Button6})
        layout->addWidget(b);
    layout->addWidget(NoteExport);
    layout->addWidget(Button5);
    layout->addStretch(1);
    setMinimumWidth(320);

    XLS_Rep.setConnection(&dataModule().ADO_DB);
    XLS_Rep.setSql(QStringList {
        QStringLiteral("select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid,"),
        QStringLiteral("inventory_items.nom, oper.naimen, color,inventory_items.massa*sum(smena."
                       "kol_vo-smena.brak) as mass "),
        QStringLiteral("from accounts_dep.smena,accounts_dep.inventory_items,accounts_dep.vid_oper,"
                       " accounts_dep.oper where inventory_items.id=smena.i_id and "
                       "vid_oper.id=oper.vid"),
        QStringLiteral("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 "),
        QStringLiteral("group by inventory_items.nom,color, oper.naimen, vid_oper.vid, "
                       "inventory_items.massa order by inventory_items.nom")});

    ui::connectGuarded(Button4, &QPushButton::clicked, this, &TForm18::Button4Click);
    ui::connectGuarded(Button2, &QPushButton::clicked, this, &TForm18::Button2Click);
    ui::connectGuarded(Button1, &QPushButton::clicked, this, &TForm18::Button1Click);
    ui::connectGuarded(Button3, &QPushButton::clicked, this, &TForm18::Button3Click);
    ui::connectGuarded(Button7, &QPushButton::clicked, this, &TForm18::Button7Click);
    ui::connectGuarded(Button6, &QPushButton::clicked, this, &TForm18::Button6Click);
    ui::connectGuarded(Button5, &QPushButton::clicked, this, &TForm18::Button5Click);
}

void TForm18::preview(ReportLayout *layout, const QString &title)
{
    db::Dataset &q = layout->query();
    q.close();
    layout->setPeriod(DTPicker1->date(), DTPicker2->date());
    layout->setProductKind(RadioGroup1->itemIndex());
    q.open();
    const db::CloseOnExit closer(q);
    layout->setCaption(title + db::displayText(DTPicker1->date()) + QStringLiteral(" по ")
                       + db::displayText(DTPicker2->date()));
    // The preview's caption and the PDF's name carry the period too.
    reports::PreparedReport report = layout->prepare();
    report.title = reports::titleWithPeriod(report.title, DTPicker1->date(), DTPicker2->date());
    ui::showReportPreview(this, report);
}

void TForm18::Button4Click()
{
    preview(forms().workersSummary, QStringLiteral("   Отчет по рабочим за период с "));
}

void TForm18::Button2Click()
{
    preview(forms().productSummary, QStringLiteral("   Отчет по продукции за период с "));
}

void TForm18::Button1Click()
{
    preview(forms().workersDetail, QStringLiteral("   Детальный отчет по рабочим за период с "));
}

void TForm18::Button3Click()
{
    preview(forms().productsDetail, QStringLiteral("   Детальный отчет по продукции за период с "));
}

void TForm18::Button7Click()
{
    preview(forms().requisitionsReport,
            QStringLiteral("   Детальный отчет по заявкам за период с "));
}

QString TForm18::operationWithColour(const QString &vid, qint64 color)
{
    if (color == 1)
        return vid + QStringLiteral(" (грунт)");
    if (color > 1)
        return vid + QStringLiteral(" (цвет: %1)").arg(color);
    return vid;
}

void TForm18::Button6Click()
{
    exportProducts();
}

void TForm18::exportProducts()
{
    ui::BusyCursor busy;
    XLS_Rep.close();
    reports::applySelection(XLS_Rep, DTPicker1->date(), DTPicker2->date(),
                            RadioGroup1->itemIndex());
    XLS_Rep.open();
    // Closed however the export ends.
    const db::CloseOnExit closer(XLS_Rep);
    if (m_excel.OpenExcel() == reports::ExcelLink::kFailed)
        return;

    const int n = XLS_Rep.recordCount();
    auto progress = [&](int k) {
        Button6->setText(QStringLiteral("Excel (%1 из %2)").arg(k).arg(n));
        Button6->repaint();
    };
    progress(0);
    const QString titles[]
        = {QStringLiteral("Наименование"), QStringLiteral("Операция"),
           QStringLiteral("Вид продукции"), QStringLiteral("Коробки"), QStringLiteral("Кол-во")};
    for (int c = 0; c < 5; ++c)
        m_excel.WriteExcelValue(1, c + 1, 1, titles[c]);
    int row = 2;
    for (XLS_Rep.first(); !XLS_Rep.eof(); XLS_Rep.next()) {
        m_excel.WriteExcelValue(1, 1, row, XLS_Rep.asString(QStringLiteral("nom")));
        m_excel.WriteExcelValue(1, 2, row,
                                operationWithColour(XLS_Rep.asString(QStringLiteral("vid")),
                                                    XLS_Rep.asInteger(QStringLiteral("color"))));
        m_excel.WriteExcelValue(
            1, 3, row, reports::productKindText(XLS_Rep.asInteger(QStringLiteral("naimen"))));
        m_excel.WriteExcelValue(1, 4, row,
                                db::formatGeneral(XLS_Rep.asFloat(QStringLiteral("mass"))));
        m_excel.WriteExcelValue(
            1, 5, row,
            QString::number(qint64(db::roundTo(XLS_Rep.asFloat(QStringLiteral("kolvo")), 0))));
        progress(row - 1);
        ++row;
    }
    m_excel.FitColumns();
    m_excel.SetExcelVisible(true);
}

void TForm18::Button5Click()
{
    reject();
}
