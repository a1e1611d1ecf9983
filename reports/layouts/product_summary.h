#pragma once
// TForm17: the product summary of a period, by item.

#include "report_layout.h"

class TForm17 : public ReportLayout
{
    Q_OBJECT
public:
    explicit TForm17(db::Connection *connection, QObject *parent = nullptr);
    db::Dataset t_Report; // data1, data2
};
