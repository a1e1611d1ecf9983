#pragma once
// TForm26: the positions list.

#include "ui/window.h"

class TForm26 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm26(QWidget *parent = nullptr);
};
