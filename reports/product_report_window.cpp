#include "product_report_window.h"

TForm13::TForm13(QWidget *parent)
    : ui::Window(QStringLiteral("Отчет по видам продукции"), parent)
{
    setObjectName(QStringLiteral("TForm13"));
}
