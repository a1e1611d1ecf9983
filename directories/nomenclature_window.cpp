#include "nomenclature_window.h"

TForm28::TForm28(QWidget *parent)
    : ui::Window(QStringLiteral("Номенклатура"), parent)
{
    setObjectName(QStringLiteral("TForm28"));}
