#include "timesheet_window.h"

#include "app/data_module.h"
#include "app/forms.h"
#include "ui/seams.h"

#include <QComboBox>
#include <QHBoxLayout>

TForm19::TForm19(QWidget *parent)
    : ui::Window(QStringLiteral("Табель по времени"), parent)
{
    setObjectName(QStringLiteral("TForm19"));
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Январь"), QStringLiteral("Февраль"),
                         QStringLiteral("Март"), QStringLiteral("Апрель"), QStringLiteral("Май"),
                         QStringLiteral("Июнь"), QStringLiteral("Июль"), QStringLiteral("Август"),
                         QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"),
                         QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")});
    ComboBox2 = new QComboBox;
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (int y = 2007; y <= 2025; ++y)
        ComboBox2->addItem(QString::number(y));
    auto *top = new QHBoxLayout(this);
    top->addWidget(ComboBox1);
    top->addWidget(ComboBox2);
    top->addStretch(1);
    ui::connectGuarded(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    ui::connectGuarded(ComboBox2, &QComboBox::activated, this, [this] { ComboBox1Change(); });
}

void TForm19::ComboBox1Change()
{
    const int month = ComboBox1->currentIndex() + 1;
    const int year = ComboBox2->currentText().toInt();
    TDataModule6 &dm = dataModule();
    for (db::Dataset *ds : {&dm.H_Tabel_1, &dm.H_Tabel_2, &dm.H_Tabel_3}) {
        ds->close();
        ds->params().setInteger(QStringLiteral("mnth"), month);
        ds->params().setInteger(QStringLiteral("yea"), year);
        ds->open();
    }
}
