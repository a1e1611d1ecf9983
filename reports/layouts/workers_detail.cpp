#include "workers_detail.h"

using namespace reports;
using namespace layouts;

namespace {
constexpr double kMarka = 0, kMarkaW = 32, kVid = 32, kVidW = 30, kColor = 62, kColorW = 12,
                 kKind = 74, kKindW = 34, kBrk = 108, kBrkW = 16, kQty = 124, kQtyW = 22,
                 kSum = 146, kSumW = 22, kPrize = 168, kPrizeW = 22;
} // namespace

TForm20::TForm20(db::Connection *connection, QObject *parent)
    : ReportLayout(&w_Report, QStringLiteral("Детальный отчет по рабочим"), parent)
    , w_Report(connection)
{
    setObjectName(QStringLiteral("TForm20"));
    w_Report.setObjectName(QStringLiteral("w_Report"));
    w_Report.setSql(QStringList {
        QStringLiteral("select s_caption fio, inventory_items.marka, vid_oper.vid, oper.naimen, "),
        QStringLiteral("sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*"),
        QStringLiteral("smena.cena) as summa, color, sum(prize*(kol_vo-brak)*cena/100) as "
                       "s_prize "),
        QStringLiteral("from cmn_contractor.person person,accounts_dep.inventory_items,"
                       "accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where "),
        QStringLiteral("smena.o_id=oper.id and smena.w_id=s_code::integer and "
                       "smena.i_id=inventory_items.id "),
        QStringLiteral("and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id "),
        QStringLiteral("and smena.data<:data2 and smena.data>=:data1 group by fio, marka, "),
        QStringLiteral("vid_oper.vid, oper.naimen, color order by fio, marka, vid_oper.vid, "
                       "oper.naimen"),
    });

    Group worker = keyGroup(
        QStringLiteral("fio"),
        {sumCell(QStringLiteral("brk"), kBrk, kBrkW).inBold().right().at(0, kLine),
         sumCell(QStringLiteral("kolvo"), kQty, kQtyW).inBold().right().at(0, kLine),
         money(sumCell(QStringLiteral("summa"), kSum, kSumW)).inBold().at(0, kLine),
         money(sumCell(QStringLiteral("s_prize"), kPrize, kPrizeW)).inBold().at(0, kLine),
         labelCell(QStringLiteral("Итог:"), kQty, kQtyW).inBold().right().at(kLine, kLine),
         // The worker's pay with the bonus: the sum of both columns.
         money(sumCell(
                   [](const Row &r) {
                       return QVariant(r.number(QStringLiteral("summa"))
                                       + r.number(QStringLiteral("s_prize")));
                   },
                   kSum, kSumW))
             .inBold()
             .at(kLine, kLine)});
    worker.footer->height = 2 * kLine;
    Band detail = line({
        fieldCell(QStringLiteral("marka"), kMarka, kMarkaW),
        fieldCell(QStringLiteral("vid"), kVid, kVidW).centred(),
        fieldCell(QStringLiteral("color"), kColor, kColorW).centred(),
        computedCell(productKind, kKind, kKindW),
        fieldCell(QStringLiteral("brk"), kBrk, kBrkW).right(),
        fieldCell(QStringLiteral("kolvo"), kQty, kQtyW).right(),
        money(fieldCell(QStringLiteral("summa"), kSum, kSumW)),
        money(fieldCell(QStringLiteral("s_prize"), kPrize, kPrizeW)),
    });
    m_layout = summaryScheme(QStringLiteral("Детальный отчет по рабочим"),
                             {columnLabel(QStringLiteral("Брак"), kBrk, kBrkW),
                              columnLabel(QStringLiteral("Количество"), kQty, kQtyW),
                              columnLabel(QStringLiteral("Сумма"), kSum, kSumW),
                              columnLabel(QStringLiteral("Премия"), kPrize, kPrizeW)},
                             {std::move(worker)}, std::move(detail),
                             {sumCell(QStringLiteral("brk"), kBrk, kBrkW).right(),
                              sumCell(QStringLiteral("kolvo"), kQty, kQtyW).right(),
                              money(sumCell(QStringLiteral("summa"), kSum, kSumW))});
}
