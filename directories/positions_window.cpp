#include "positions_window.h"

TForm26::TForm26(QWidget *parent)
    : ui::Window(QStringLiteral("Должности"), parent)
{
    setObjectName(QStringLiteral("TForm26"));}
