#pragma once
// TForm12: the worker report of a period, per worker, item, operation kind and product kind.

#include "reports/period_report_window.h"

class TForm12 : public reports::PeriodReportWindow
{
    Q_OBJECT
public:
    explicit TForm12(QWidget *parent = nullptr);
    db::Dataset &w_Report() { return query(); }

    QPushButton *Button4; // "Отчет": no report behind it yet: disabled
    QPushButton *Button2; // "Детальный отчет": no report behind it yet: disabled
    QPushButton *Button3; // "Выход"
};
