#include "version_check.h"

#include "app/login_window.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "ui/seams.h"

bool runVersionCheck()
{
    const ui::BuildStamp stamp = ui::buildStamp();

    TDataModule6 &dm = dataModule();
    db::Dataset &ver = dm.ver;
    ver.close();
    ver.open();
    // Closed however the check ends.
    const db::CloseOnExit closer(ver);
    ver.first();
    // An empty table reads as version 0 and no separator.
    const bool empty = ver.isEmpty();
    int d = empty ? 0 : int(ver.asInteger(QStringLiteral("d")));
    int t = empty ? 0 : int(ver.asInteger(QStringLiteral("t")));
    dm.decimalSeparator = empty ? QString() : ver.asString(QStringLiteral("delim"));

    if (d < stamp.date || (d == stamp.date && t < stamp.time)) {
        if (empty)
            ver.append();
        else
            ver.edit();
        ver.setValue(QStringLiteral("d"), stamp.date);
        ver.setValue(QStringLiteral("t"), stamp.time);
        ver.post();
        d = int(ver.asInteger(QStringLiteral("d")));
        t = int(ver.asInteger(QStringLiteral("t")));
    }
    if (d > stamp.date || (d == stamp.date && t > stamp.time)) {
        // The program ends when the message is closed, or by the login's timer at the latest.
        forms().login->Timer1.start();
        ui::showError(nullptr,
                      QStringLiteral("Версия программы не соответсвует БД! Запустите программу "
                                     "через 5 мин."));
        ui::endProgram();
        return false;
    }
    return true;
}
