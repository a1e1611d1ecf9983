#include "item_editor.h"

TForm7::TForm7(QWidget *parent)
    : ui::Window(QStringLiteral("Form7"), parent)
{
    setObjectName(QStringLiteral("TForm7"));}
