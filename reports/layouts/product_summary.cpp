#include "product_summary.h"

using namespace reports;
using namespace layouts;

namespace {
// The item's boxes per piece stand in a column of their own: items of one name that differ
// only in it would otherwise print as look-alike lines.
constexpr double kKind = 8, kKindW = 40, kVid = 48, kVidW = 40, kNote = 88, kNoteW = 32,
                 kFactor = 120, kFactorW = 20, kMass = 140, kMassW = 25, kQty = 165, kQtyW = 25;
} // namespace

TForm17::TForm17(db::Connection *connection, QObject *parent)
    : ReportLayout(&t_Report, QStringLiteral("Отчет по продукции"), parent)
    , t_Report(connection)
{
    setObjectName(QStringLiteral("TForm17"));
    t_Report.setObjectName(QStringLiteral("t_Report"));
    t_Report.setSql(QStringList {
        QStringLiteral("select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid,"),
        QStringLiteral("inventory_items.nom, oper.naimen, color, inventory_items.massa, "
                       "round((inventory_items.massa*sum(smena.kol_vo-smena.brak))::numeric,2) "
                       "as mass"),
        QStringLiteral("from accounts_dep.smena,accounts_dep.inventory_items,accounts_dep."
                       "vid_oper, accounts_dep.oper where inventory_items.id=smena.i_id and "
                       "vid_oper.id=oper.vid"),
        QStringLiteral("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 "),
        QStringLiteral("group by inventory_items.nom,color, oper.naimen, vid_oper.vid, "
                       "inventory_items.massa order by inventory_items.nom"),
    });

    Group item = keyGroup(QStringLiteral("nom"),
                          {sumCell(QStringLiteral("mass"), kMass, kMassW).inBold().centred(),
                           sumCell(QStringLiteral("kolvo"), kQty, kQtyW).inBold().centred()});
    Band detail = line({
        computedCell(productKind, kKind, kKindW),
        fieldCell(QStringLiteral("vid"), kVid, kVidW).centred(),
        computedCell(colourNote, kNote, kNoteW),
        fieldCell(QStringLiteral("massa"), kFactor, kFactorW).centred(),
        fieldCell(QStringLiteral("mass"), kMass, kMassW).centred(),
        fieldCell(QStringLiteral("kolvo"), kQty, kQtyW).centred(),
    });
    m_layout = summaryScheme(
        QStringLiteral("Отчет по продукции"),
        {columnLabel(QStringLiteral("Кор./шт."), kFactor, kFactorW),
         columnLabel(QStringLiteral("Коробки"), kMass, kMassW),
         columnLabel(QStringLiteral("Количество"), kQty, kQtyW)},
        {std::move(item)}, std::move(detail),
        {sumCell(QStringLiteral("mass"), kMass, kMassW).withMask(QStringLiteral("#0")).centred(),
         sumCell(QStringLiteral("kolvo"), kQty, kQtyW).centred()});
}
