#include "operation_type_editor.h"

TForm9::TForm9(QWidget *parent)
    : ui::Window(QStringLiteral("Ведение оераций"), parent)
{
    setObjectName(QStringLiteral("TForm9"));}
