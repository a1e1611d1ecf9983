#pragma once
// TForm29: the nomenclature group editor.

#include "ui/window.h"

class TForm29 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm29(QWidget *parent = nullptr);
};
