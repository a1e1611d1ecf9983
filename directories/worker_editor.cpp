#include "worker_editor.h"

TForm2::TForm2(QWidget *parent)
    : ui::Window(QStringLiteral("Работники"), parent)
{
    setObjectName(QStringLiteral("TForm2"));}
