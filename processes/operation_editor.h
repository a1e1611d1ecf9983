#pragma once
// TForm10: the operation editor of a process.

#include "ui/window.h"

class TForm10 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm10(QWidget *parent = nullptr);
};
