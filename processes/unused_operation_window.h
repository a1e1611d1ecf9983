#pragma once
// TForm14: "Ведение опреции ТП", created with the others and never shown; its controls
// have no action.

#include "ui/window.h"

class QLineEdit;
class QPushButton;

class TForm14 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm14(QWidget *parent = nullptr);
    QLineEdit *Edit1;
    QPushButton *Button1, *Button2, *Button3, *Button4;
};
