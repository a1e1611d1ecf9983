#pragma once
// TForm9: the operation type editor.

#include "ui/window.h"

class TForm9 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);
};
