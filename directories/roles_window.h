#pragma once
// TForm32: the roles list.

#include "ui/window.h"

class TForm32 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm32(QWidget *parent = nullptr);
};
