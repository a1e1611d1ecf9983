#pragma once
// TForm3: the inventory items list, also the item chooser.

#include "core/directory_window.h"

class TForm3 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button8; // "Выход"

    void Button1Click();

protected:
    void changeRow() override;
    void chooseRow() override;
    void FormActivate() override;
    void hideEvent(QHideEvent *event) override;
};
