#pragma once
// TForm19: the monthly timesheet, one tab per shift.

#include "ui/window.h"

class QComboBox;

class TForm19 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm19(QWidget *parent = nullptr);
    QComboBox *ComboBox1; // month
    QComboBox *ComboBox2; // year

public Q_SLOTS:
    // Applies the chosen month and year: the three shifts' hours rows of that month.
    void ComboBox1Change();
};
