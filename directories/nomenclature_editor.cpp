#include "nomenclature_editor.h"

TForm29::TForm29(QWidget *parent)
    : ui::Window(QStringLiteral("Номенклатура"), parent)
{
    setObjectName(QStringLiteral("TForm29"));}
