#include "product_report_window.h"

#include <QPushButton>

// One row per item, operation kind and product kind of the period. Items are told apart by
// their key, so two items that share a mark keep their own rows.
TForm13::TForm13(QWidget *parent)
    : reports::PeriodReportWindow(
        QStringLiteral("Отчет по видам продукции"),
        {QStringLiteral("select inventory_items.marka, vid_oper.vid, oper.naimen, "),
         QStringLiteral("sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, "
                        "sum((kol_vo-brak)*smena.cena) as summa "),
         QStringLiteral("from accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,"
                        "accounts_dep.vid_oper where smena.o_id=oper.id and "
                        "smena.i_id=inventory_items.id "),
         QStringLiteral("and oper.vid=vid_oper.id and smena.data<:data2 and "),
         QStringLiteral("smena.data>=:data1 group by inventory_items.id, inventory_items.marka, "
                        "vid_oper.vid, "),
         QStringLiteral("oper.naimen order by inventory_items.marka, vid_oper.vid, oper.naimen")},
        reportColumns(false), parent)
{
    setObjectName(QStringLiteral("TForm13"));
    Button2 = addButton(QStringLiteral("Печать"), "Button2");
    notYetMade(Button2, QStringLiteral("Печать этого отчета пока не сделана"));
    Button3 = addButton(QStringLiteral("Выход"), "Button3");
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    resize(860, 560);
}
