#pragma once
// TForm28: the nomenclature groups list.

#include "ui/window.h"

class TForm28 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm28(QWidget *parent = nullptr);
};
