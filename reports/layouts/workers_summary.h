#pragma once
// TForm16: the workers summary of a period, by worker and item.

#include "report_layout.h"

class TForm16 : public ReportLayout
{
    Q_OBJECT
public:
    explicit TForm16(db::Connection *connection, QObject *parent = nullptr);
    db::Dataset t_Report; // data1, data2
};
