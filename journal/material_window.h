#pragma once
// TForm24: the material of a shift record.

#include "ui/window.h"

class TForm24 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm24(QWidget *parent = nullptr);
};
