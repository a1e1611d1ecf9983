#include "unused_operation_window.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm14::TForm14(QWidget *parent)
    : ui::Window(QStringLiteral("Ведение опреции ТП"), parent)
{
    setObjectName(QStringLiteral("TForm14"));
    Edit1 = new QLineEdit;
    Button1 = new QPushButton(QStringLiteral("Добавить"));
    Button2 = new QPushButton(QStringLiteral("Изменить"));
    Button3 = new QPushButton(QStringLiteral("Удалить"));
    Button4 = new QPushButton(QStringLiteral("Выход"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
}
