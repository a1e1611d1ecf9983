#pragma once
// TForm30: the departments list.

#include "ui/window.h"

class TForm30 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm30(QWidget *parent = nullptr);
};
