#pragma once
// TForm2: the worker editor.

#include "ui/window.h"

class TForm2 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
};
