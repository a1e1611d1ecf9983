#include "operation_types_window.h"

#include <QHBoxLayout>
#include <QPushButton>

TForm8::TForm8(QWidget *parent)
    : ui::Window(QStringLiteral("Операции"), parent)
{
    setObjectName(QStringLiteral("TForm8"));
    Button1 = new QPushButton(QStringLiteral("Добавить"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button3 = new QPushButton(QStringLiteral("Удалить"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    auto *bottom = new QHBoxLayout(this);
    bottom->addWidget(Button1);
    bottom->addWidget(Button3);
    bottom->addStretch(1);
}

void TForm8::showAddAndDelete()
{
    Button1->setVisible(true);
    Button3->setVisible(true);
}
