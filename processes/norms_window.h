#pragma once
// TForm22: the norms of one operation.

#include "ui/window.h"

class TForm22 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm22(QWidget *parent = nullptr);
};
