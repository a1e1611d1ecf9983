#pragma once
// TForm5: the personnel list, also the worker chooser.

#include "core/directory_window.h"

class TForm5 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button4; // "Выход"
    // Set when a row was chosen in chooser mode; cleared at every activation.
    bool chosen = false;

    void Button1Click();

protected:
    void changeRow() override;
    void chooseRow() override;
    void FormActivate() override;
};
