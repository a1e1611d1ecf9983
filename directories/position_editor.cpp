#include "position_editor.h"

TForm27::TForm27(QWidget *parent)
    : ui::Window(QStringLiteral("Ведение должностей"), parent)
{
    setObjectName(QStringLiteral("TForm27"));}
