#pragma once
// TForm27: the position editor.

#include "ui/window.h"

class TForm27 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm27(QWidget *parent = nullptr);
};
