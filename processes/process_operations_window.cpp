#include "process_operations_window.h"

TForm33::TForm33(QWidget *parent)
    : ui::Window(QStringLiteral("Список операций"), parent)
{
    setObjectName(QStringLiteral("TForm33"));
}
