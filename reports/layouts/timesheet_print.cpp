#include "timesheet_print.h"

using namespace reports;

namespace {
// The name takes what the days and the total leave of the 277 mm; a longer name is fitted.
constexpr double kFio = 0, kFioW = 69, kDay0 = 69, kDayW = 6.2, kTotalW = 15, kLine = 6;
constexpr double kTotal = kDay0 + 31 * kDayW;

QString day(int d)
{
    return QStringLiteral("sd%1").arg(d);
}
} // namespace

TForm15::TForm15(db::Connection *connection, QObject *parent)
    : ReportLayout(&H_Tabel, QStringLiteral("Данные за:"), parent)
    , H_Tabel(connection)
{
    setObjectName(QStringLiteral("TForm15"));
    H_Tabel.setObjectName(QStringLiteral("H_Tabel"));
    H_Tabel.setSql(QStringList {
        QStringLiteral("select person.s_caption fio,sum(d1) as sd1,sum(d2) as sd2,sum(d3) as sd3,"
                       "sum(d4) as sd4,"),
        QStringLiteral(
            "sum(d5) as sd5,sum(d6) as sd6,sum(d7) as sd7,sum(d8) as sd8,sum(d9) as sd9,"),
        QStringLiteral("sum(d10) as sd10,sum(d11) as sd11,sum(d12) as sd12,sum(d13) as sd13,"),
        QStringLiteral("sum(d14) as sd14,sum(d15) as sd15,sum(d16) as sd16,sum(d17) as sd17,"),
        QStringLiteral("sum(d18) as sd18,sum(d19) as sd19,sum(d20) as sd20,sum(d21) as sd21,"),
        QStringLiteral("sum(d22) as sd22,sum(d23) as sd23,sum(d24) as sd24,sum(d25) as sd25,"),
        QStringLiteral("sum(d26) as sd26,sum(d27) as sd27,sum(d28) as sd28,sum(d29) as sd29,"),
        QStringLiteral("sum(d30) as sd30,sum(d31) as sd31 from accounts_dep.h_tabel, "
                       "cmn_contractor.person person where"),
        QStringLiteral("h_tabel.w_id=person.s_code::t_integer and month=:mnth and"),
        QStringLiteral("year=:yea group by fio order by fio"),
    });

    m_layout.name = QStringLiteral("Табель по времени");
    m_layout.landscape = true;
    m_layout.pointSize = 8;

    // The column header, at the top of every page, with lines above and below.
    Group header;
    header.repeatOnEveryPage = true;
    header.header.height = kLine;
    header.header.frame = Frame::aboveBelow();
    header.header.cells.push_back(captionCell(kFio, kFioW).inBold());
    for (int d = 1; d <= 31; ++d)
        header.header.cells.push_back(labelCell(QString::number(d), kDay0 + (d - 1) * kDayW, kDayW)
                                          .inBold()
                                          .centred()
                                          .framed(Frame::sides(PenStyle::GreyDotted)));
    header.header.cells.push_back(
        labelCell(QStringLiteral("Итого"), kTotal, kTotalW).inBold().centred());
    m_layout.groups.push_back(std::move(header));

    Band detail;
    detail.height = kLine;
    detail.frame = Frame::aboveBelow(PenStyle::GreyDotted);
    detail.cells.push_back(fieldCell(QStringLiteral("fio"), kFio, kFioW).fitted());
    for (int d = 1; d <= 31; ++d)
        detail.cells.push_back(fieldCell(day(d), kDay0 + (d - 1) * kDayW, kDayW)
                                   .centred()
                                   .framed(Frame::sides(PenStyle::GreyDotted)));
    detail.cells.push_back(computedCell(
                               [](const Row &r) {
                                   double total = 0;
                                   for (int d = 1; d <= 31; ++d)
                                       total += r.number(day(d));
                                   return QVariant(total);
                               },
                               kTotal, kTotalW)
                               .inBold()
                               .centred());
    m_layout.detail = std::move(detail);

    Band footer;
    footer.height = 6;
    footer.cells.push_back(pageNumberCell(237, 40).right());
    m_layout.pageFooter = footer;
}

void TForm15::setMonth(int month, int year)
{
    H_Tabel.params().setInteger(QStringLiteral("mnth"), month);
    H_Tabel.params().setInteger(QStringLiteral("yea"), year);
}
