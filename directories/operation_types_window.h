#pragma once
// TForm8: the operation types list, also the type chooser.

#include "ui/window.h"

class QPushButton;

class TForm8 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button3; // "Удалить"
    // The menu opening shows the add and delete buttons a chooser opening hid.
    void showAddAndDelete();
};
