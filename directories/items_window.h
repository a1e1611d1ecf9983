#pragma once
// TForm3: the inventory items list, also the item chooser.

#include "ui/window.h"

class QPushButton;

class TForm3 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button3; // "Удалить"
    // The menu opening shows the add and delete buttons a chooser opening hid.
    void showAddAndDelete();
};
