#include "products_detail.h"

using namespace reports;
using namespace layouts;

namespace {
constexpr double kMarka = 0, kMarkaW = 32, kVid = 32, kVidW = 30, kColor = 62, kColorW = 12,
                 kKind = 74, kKindW = 34, kBrk = 108, kBrkW = 16, kMass = 124, kMassW = 22,
                 kQty = 146, kQtyW = 20, kSum = 166, kSumW = 24;
} // namespace

TForm21::TForm21(db::Connection *connection, QObject *parent)
    : ReportLayout(&i_Report, QStringLiteral("Детальный отчет по продукции"), parent)
    , i_Report(connection)
{
    setObjectName(QStringLiteral("TForm21"));
    i_Report.setObjectName(QStringLiteral("i_Report"));
    // Per item (grouped on its nomenclature name), mark, operation kind, product kind and
    // colour over the period; ordered by the name so that each group is printed in one piece.
    i_Report.setSql(QStringList {
        QStringLiteral("select inventory_items.nom, inventory_items.marka, vid_oper.vid, "
                       "oper.naimen, smena.color,"),
        QStringLiteral("sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, "),
        QStringLiteral("sum((kol_vo-brak)*smena.cena) as summa, "
                       "round((inventory_items.massa*sum(smena.kol_vo))::numeric,2) as mass"),
        QStringLiteral("from accounts_dep.smena, accounts_dep.inventory_items, accounts_dep.oper, "
                       "accounts_dep.vid_oper"),
        QStringLiteral("where smena.i_id=inventory_items.id and smena.o_id=oper.id and "
                       "oper.vid=vid_oper.id"),
        QStringLiteral("and smena.data<:data2 and smena.data>=:data1"),
        QStringLiteral("group by inventory_items.nom, inventory_items.marka, vid_oper.vid, "
                       "oper.naimen, smena.color, inventory_items.massa"),
        QStringLiteral("order by inventory_items.nom, inventory_items.marka, vid_oper.vid, "
                       "oper.naimen, smena.color"),
    });

    Group item = keyGroup(QStringLiteral("nom"),
                          {sumCell(QStringLiteral("brk"), kBrk, kBrkW).inBold().right(),
                           money(sumCell(QStringLiteral("mass"), kMass, kMassW)).inBold(),
                           sumCell(QStringLiteral("kolvo"), kQty, kQtyW).inBold().right(),
                           money(sumCell(QStringLiteral("summa"), kSum, kSumW)).inBold()});
    Band detail = line({
        fieldCell(QStringLiteral("marka"), kMarka, kMarkaW),
        fieldCell(QStringLiteral("vid"), kVid, kVidW),
        fieldCell(QStringLiteral("color"), kColor, kColorW).centred(),
        computedCell(productKind, kKind, kKindW),
        fieldCell(QStringLiteral("brk"), kBrk, kBrkW).right(),
        fieldCell(QStringLiteral("mass"), kMass, kMassW).right(),
        fieldCell(QStringLiteral("kolvo"), kQty, kQtyW).right(),
        fieldCell(QStringLiteral("summa"), kSum, kSumW).withMask(QStringLiteral("#0.000")).right(),
    });
    m_layout = summaryScheme(QStringLiteral("Детальный отчет по продукции"),
                             {columnLabel(QStringLiteral("Брак"), kBrk, kBrkW),
                              columnLabel(QStringLiteral("Коробки"), kMass, kMassW),
                              columnLabel(QStringLiteral("Кол-во"), kQty, kQtyW),
                              columnLabel(QStringLiteral("Сумма"), kSum, kSumW)},
                             {std::move(item)}, std::move(detail),
                             {sumCell(QStringLiteral("brk"), kBrk, kBrkW).right(),
                              money(sumCell(QStringLiteral("mass"), kMass, kMassW)),
                              sumCell(QStringLiteral("kolvo"), kQty, kQtyW).right(),
                              money(sumCell(QStringLiteral("summa"), kSum, kSumW))});
}
