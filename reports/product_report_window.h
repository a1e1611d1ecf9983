#pragma once
// TForm13: the product report of a period, per item, operation kind and product kind.

#include "reports/period_report_window.h"

class TForm13 : public reports::PeriodReportWindow
{
    Q_OBJECT
public:
    explicit TForm13(QWidget *parent = nullptr);
    db::Dataset &i_Report() { return query(); }

    QPushButton *Button2; // "Печать": no printout behind it yet: disabled
    QPushButton *Button3; // "Выход"
};
