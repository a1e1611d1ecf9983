#pragma once
// TForm12: the worker report of a period.

#include "ui/window.h"

class TForm12 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm12(QWidget *parent = nullptr);
};
