#pragma once
// TForm8: the operation types list, also the type chooser.

#include "core/directory_window.h"

class TForm8 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button4; // "Выход"

    void Button1Click();

protected:
    void changeRow() override;
    void chooseRow() override;
};
