#pragma once
// TForm31: the department editor.

#include "ui/window.h"

class TForm31 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm31(QWidget *parent = nullptr);
};
