#pragma once
// TForm13: the product report of a period.

#include "ui/window.h"

class TForm13 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm13(QWidget *parent = nullptr);
};
