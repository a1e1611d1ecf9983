#include "norms_window.h"

TForm22::TForm22(QWidget *parent)
    : ui::Window(QStringLiteral("Норматив"), parent)
{
    setObjectName(QStringLiteral("TForm22"));
}
