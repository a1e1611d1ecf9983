#include "roles_window.h"

TForm32::TForm32(QWidget *parent)
    : ui::Window(QStringLiteral("Роли"), parent)
{
    setObjectName(QStringLiteral("TForm32"));}
