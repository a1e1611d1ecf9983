#pragma once
// TForm25: the detailed report by requisition of a period, by item, headed by the
// requisition number.

#include "report_layout.h"

class TForm25 : public ReportLayout
{
    Q_OBJECT
public:
    explicit TForm25(db::Connection *connection, QObject *parent = nullptr);
    db::Dataset i_Report; // data1, data2
};
