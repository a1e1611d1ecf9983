#pragma once
// TForm15: the printed monthly timesheet (landscape), one line per worker.

#include "report_layout.h"

class TForm15 : public ReportLayout
{
    Q_OBJECT
public:
    explicit TForm15(db::Connection *connection, QObject *parent = nullptr);
    db::Dataset H_Tabel; // mnth, yea
    // The month and year of the timesheet, bound as integers.
    void setMonth(int month, int year);
};
