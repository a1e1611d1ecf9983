#pragma once
// TForm5: the personnel list, also the worker chooser.

#include "ui/window.h"

class TForm5 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
};
