#include "requisitions_report.h"

using namespace reports;
using namespace layouts;

namespace {
// Every number under its own title, the boxes under "Коробки", with room between the columns;
// the texts of the narrow columns are fitted rather than run into their neighbours.
constexpr double kMarka = 0, kMarkaW = 24, kVid = 25, kVidW = 18, kColor = 44, kColorW = 9,
                 kKind = 54, kKindW = 30, kBrk = 85, kBrkW = 11, kNom = 98, kNomW = 38, kMass = 137,
                 kMassW = 17, kQty = 155, kQtyW = 15, kSum = 171, kSumW = 19;
} // namespace

TForm25::TForm25(db::Connection *connection, QObject *parent)
    : ReportLayout(&i_Report, QStringLiteral("Детальный отчет по заявкам"), parent)
    , i_Report(connection)
{
    setObjectName(QStringLiteral("TForm25"));
    i_Report.setObjectName(QStringLiteral("i_Report"));
    i_Report.setSql(QStringList {
        QStringLiteral("select inventory_items.marka, vid_oper.vid vid, oper.naimen, "
                       "inventory_items.nom, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, "),
        QStringLiteral("sum((kol_vo-brak)*smena.cena) as summa, color, "
                       "round((inventory_items.massa*sum(smena.kol_vo))::numeric,2) as mass, "
                       "doc_in.s_number  "),
        QStringLiteral("from accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,"
                       "accounts_dep.vid_oper, mnf_doc.doc doc_in where smena.o_id=oper.id and "
                       "smena.i_id=inventory_items.id "),
        QStringLiteral(
            "and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<:data2 and "),
        QStringLiteral("smena.data>=:data1 and doc_in.id = smena.id_doc group by  s_number, "
                       "inventory_items.nom, marka, vid_oper.vid, oper.naimen, color,massa "),
        QStringLiteral("order by s_number, inventory_items.nom,marka, vid_oper.vid, oper.naimen"),
    });

    Group item = keyGroup(QStringLiteral("nom"),
                          {sumCell(QStringLiteral("brk"), kBrk, kBrkW).inBold().right(),
                           money(sumCell(QStringLiteral("mass"), kMass, kMassW)).inBold(),
                           sumCell(QStringLiteral("kolvo"), kQty, kQtyW).inBold().right(),
                           money(sumCell(QStringLiteral("summa"), kSum, kSumW)).inBold()});
    // The header names the requisition. The rows come ordered by requisition, then item: the
    // group also breaks when the requisition changes, so that the rows of one requisition are
    // never printed (and summed) under another's number when both begin with the same item.
    item.keyField.clear();
    item.key = [](const Row &r) {
        return QVariant(r.text(QStringLiteral("s_number")) + u'\n' + r.text(QStringLiteral("nom")));
    };
    item.header = line({fieldCell(QStringLiteral("s_number"), 0, 190).inBold()});
    keepTogether(item);
    Band detail = line({
        fieldCell(QStringLiteral("marka"), kMarka, kMarkaW).fitted(),
        fieldCell(QStringLiteral("vid"), kVid, kVidW).fitted(),
        fieldCell(QStringLiteral("color"), kColor, kColorW).centred(),
        computedCell(productKind, kKind, kKindW).fitted(),
        fieldCell(QStringLiteral("brk"), kBrk, kBrkW).right(),
        fieldCell(QStringLiteral("nom"), kNom, kNomW).fitted(),
        money(fieldCell(QStringLiteral("mass"), kMass, kMassW)),
        fieldCell(QStringLiteral("kolvo"), kQty, kQtyW).right(),
        fieldCell(QStringLiteral("summa"), kSum, kSumW).withMask(QStringLiteral("#0.000")).right(),
    });
    m_layout = summaryScheme(QStringLiteral("Детальный отчет по заявкам"),
                             {columnLabel(QStringLiteral("Брак"), kBrk, kBrkW),
                              columnLabel(QStringLiteral("Номенкл."), kNom, kNomW),
                              columnLabel(QStringLiteral("Коробки"), kMass, kMassW),
                              columnLabel(QStringLiteral("Кол-во"), kQty, kQtyW),
                              columnLabel(QStringLiteral("Сумма"), kSum, kSumW)},
                             {std::move(item)}, std::move(detail),
                             {sumCell(QStringLiteral("brk"), kBrk, kBrkW).right(),
                              money(sumCell(QStringLiteral("mass"), kMass, kMassW)),
                              sumCell(QStringLiteral("kolvo"), kQty, kQtyW).right(),
                              money(sumCell(QStringLiteral("summa"), kSum, kSumW))});
}
