#pragma once
// TForm30: the departments list (departments double as stores).

#include "core/directory_window.h"

class TForm30 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm30(QWidget *parent = nullptr);

    QPushButton *Button5; // "Добавить"
    QPushButton *Button4; // "Выход"

    void Button5Click();

protected:
    void changeRow() override;
};
