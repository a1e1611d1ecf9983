#pragma once
// TForm28: the nomenclature groups list.

#include "core/directory_window.h"

class TForm28 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm28(QWidget *parent = nullptr);

    QPushButton *Button5; // "Добавить"
    QPushButton *Button4; // "Выход"

    void Button5Click();

protected:
    void changeRow() override;
};
