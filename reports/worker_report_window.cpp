#include "worker_report_window.h"

#include <QPushButton>

TForm12::TForm12(QWidget *parent)
    : reports::PeriodReportWindow(
        QStringLiteral("Отчет по рабочим"),
        {QStringLiteral("select workers.fio, inventory_items.marka, vid_oper.vid, oper.naimen, "),
         QStringLiteral("sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, "
                        "sum((kol_vo-brak)*smena.cena) as summa "),
         QStringLiteral("from accounts_dep.workers,accounts_dep.inventory_items,accounts_dep.oper,"
                        "accounts_dep.smena,accounts_dep.vid_oper where smena.o_id=oper.id and "),
         QStringLiteral("smena.w_id=workers.id and smena.i_id=inventory_items.id and "
                        "smena.o_id=oper.id "),
         QStringLiteral("and w_id=workers.id and oper.vid=vid_oper.id and smena.data<:data2 and "),
         QStringLiteral("smena.data>=:data1 group by fio, marka, vid_oper.vid, oper.naimen"),
         QStringLiteral("order by fio")},
        reportColumns(true), parent)
{
    setObjectName(QStringLiteral("TForm12"));
    Button4 = addButton(QStringLiteral("Отчет"), "Button4");
    Button2 = addButton(QStringLiteral("Детальный отчет"), "Button2");
    notYetMade(Button4, QStringLiteral("Этот отчет пока не сделан"));
    notYetMade(Button2, QStringLiteral("Детальный отчет пока не сделан"));
    Button3 = addButton(QStringLiteral("Выход"), "Button3");
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    // Wide enough for every column, "Сумма" included; the clerk may make it wider.
    resize(1180, 560);
}
