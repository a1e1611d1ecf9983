#include "personnel_window.h"

TForm5::TForm5(QWidget *parent)
    : ui::Window(QStringLiteral("Список рабочих"), parent)
{
    setObjectName(QStringLiteral("TForm5"));}
