#include "process_list_window.h"

#include <QHBoxLayout>
#include <QPushButton>

TForm4::TForm4(QWidget *parent)
    : ui::Window(QStringLiteral("Техпроцессы"), parent)
{
    setObjectName(QStringLiteral("TForm4"));
    Button1 = new QPushButton(QStringLiteral("Добавить"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button3 = new QPushButton(QStringLiteral("Удалить"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    auto *bottom = new QHBoxLayout(this);
    bottom->addWidget(Button1);
    bottom->addWidget(Button3);
    bottom->addStretch(1);
}
