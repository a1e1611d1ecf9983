#include "department_editor.h"

TForm31::TForm31(QWidget *parent)
    : ui::Window(QStringLiteral("Ведение подразделений"), parent)
{
    setObjectName(QStringLiteral("TForm31"));}
