#include "summary_reports_window.h"

#include <QDateEdit>
#include <QFormLayout>

TForm18::TForm18(QWidget *parent)
    : ui::Window(QStringLiteral("Отчеты"), parent)
{
    setObjectName(QStringLiteral("TForm18"));
    DTPicker1 = new QDateEdit;
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker2 = new QDateEdit;
    DTPicker2->setObjectName(QStringLiteral("DTPicker2"));
    for (QDateEdit *d : {DTPicker1, DTPicker2}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("С"), DTPicker1);
    form->addRow(QStringLiteral("По"), DTPicker2);
}
