#pragma once
// TForm26: the positions list.

#include "core/directory_window.h"

class TForm26 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm26(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button4; // "Выход"

    void Button1Click();

protected:
    void changeRow() override;
};
