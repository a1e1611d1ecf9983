#include "operation_editor.h"

TForm10::TForm10(QWidget *parent)
    : ui::Window(QStringLiteral("Операция"), parent)
{
    setObjectName(QStringLiteral("TForm10"));
}
