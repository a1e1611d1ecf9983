#pragma once
// TForm33: one process with its operations.

#include "ui/window.h"

class TForm33 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm33(QWidget *parent = nullptr);
};
