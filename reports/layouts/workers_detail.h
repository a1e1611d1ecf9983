#pragma once
// TForm20: the detailed workers report of a period, by worker, with the bonus.

#include "report_layout.h"

class TForm20 : public ReportLayout
{
    Q_OBJECT
public:
    explicit TForm20(db::Connection *connection, QObject *parent = nullptr);
    db::Dataset w_Report; // data1, data2
};
