#include "departments_window.h"

TForm30::TForm30(QWidget *parent)
    : ui::Window(QStringLiteral("Подразделения"), parent)
{
    setObjectName(QStringLiteral("TForm30"));}
