#pragma once
// TForm4: the technological process list, also the operation chooser.

#include "ui/window.h"

class QPushButton;

class TForm4 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button3; // "Удалить"
};
