#include "entry_editor.h"

#include "ui/seams.h"

TForm11::TForm11(QWidget *parent)
    : ui::Window(QString(), parent)
{
    setObjectName(QStringLiteral("TForm11"));
}

void TForm11::openForAdding()
{
    setWindowTitle(QStringLiteral("Заведение новой позиции"));
    tag = 1;
    ui::showModal(this);
}

void TForm11::openForChanging()
{
    setWindowTitle(QStringLiteral("Изменение данных о позиции"));
    tag = 2;
    ui::showModal(this);
}

void TForm11::openForViewing()
{
    tag = 3;
    ui::showModal(this);
}
