#pragma once
// TForm18: the summary reports of a period.

#include "ui/window.h"

class QDateEdit;

class TForm18 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm18(QWidget *parent = nullptr);
    QDateEdit *DTPicker1; // start of the period, included
    QDateEdit *DTPicker2; // end of the period, excluded
};
