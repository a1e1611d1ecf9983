#pragma once
// TForm21: the detailed products report of a period, by item.

#include "report_layout.h"

class TForm21 : public ReportLayout
{
    Q_OBJECT
public:
    explicit TForm21(db::Connection *connection, QObject *parent = nullptr);
    db::Dataset i_Report; // data1, data2
};
