#include "worker_report_window.h"

TForm12::TForm12(QWidget *parent)
    : ui::Window(QStringLiteral("Отчет по рабочим"), parent)
{
    setObjectName(QStringLiteral("TForm12"));
}
