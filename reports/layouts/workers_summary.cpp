#include "workers_summary.h"

using namespace reports;
using namespace layouts;

namespace {
// Columns, mm from the left margin.
constexpr double kKind = 8, kKindW = 40, kVid = 48, kVidW = 40, kNote = 88, kNoteW = 32, kQty = 120,
                 kQtyW = 25, kSum = 150, kSumW = 40;
} // namespace

TForm16::TForm16(db::Connection *connection, QObject *parent)
    : ReportLayout(&t_Report, QStringLiteral("Отчет по рабочим"), parent)
    , t_Report(connection)
{
    setObjectName(QStringLiteral("TForm16"));
    t_Report.setObjectName(QStringLiteral("t_Report"));
    t_Report.setSql(QStringList {
        QStringLiteral("select person.s_caption fio, sum(smena.kol_vo-smena.brak) as kolvo, "),
        QStringLiteral("sum((kol_vo-brak)*smena.cena) as summa,vid_oper.vid,"),
        QStringLiteral("inventory_items.nom, oper.naimen, color from cmn_contractor.person "
                       "person,accounts_dep.smena,accounts_dep.inventory_items,accounts_dep."
                       "vid_oper,"),
        QStringLiteral("accounts_dep.oper where w_id=s_code::integer and "
                       "inventory_items.id=smena.i_id and vid_oper.id=oper.vid"),
        QStringLiteral("and oper.id=smena.o_id and smena.data<:data2 and smena.data>=:data1 "),
        QStringLiteral("group by fio, inventory_items.nom, oper.naimen, vid_oper.vid, color "
                       "order by fio, inventory_items.nom"),
    });

    Group worker = keyGroup(QStringLiteral("fio"),
                            {sumCell(QStringLiteral("summa"), kSum, kSumW)
                                 .withMask(QStringLiteral("#0.00"))
                                 .inBold()
                                 .right()},
                            Frame::below());
    Group item = keyGroup(QStringLiteral("nom"),
                          {sumCell(QStringLiteral("kolvo"), kQty, kQtyW).inBold().centred(),
                           sumCell(QStringLiteral("summa"), kSum, kSumW)
                               .withMask(QStringLiteral("#0.000"))
                               .inBold()
                               .right()});
    Band detail = line({
        computedCell(productKind, kKind, kKindW),
        fieldCell(QStringLiteral("vid"), kVid, kVidW).centred(),
        computedCell(colourNote, kNote, kNoteW),
        fieldCell(QStringLiteral("kolvo"), kQty, kQtyW).centred(),
        fieldCell(QStringLiteral("summa"), kSum, kSumW).withMask(QStringLiteral("#0.000")).right(),
    });
    m_layout = summaryScheme(
        QStringLiteral("Отчет по рабочим"), {}, {std::move(worker), std::move(item)},
        std::move(detail),
        {sumCell(QStringLiteral("summa"), kSum, kSumW).withMask(QStringLiteral("#0.00")).right()});
}
