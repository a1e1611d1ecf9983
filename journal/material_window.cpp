#include "material_window.h"

TForm24::TForm24(QWidget *parent)
    : ui::Window(QStringLiteral("Материал"), parent)
{
    setObjectName(QStringLiteral("TForm24"));
}
