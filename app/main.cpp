// Tabel: the shift output journal of the production-accounting office.

#include "app/startup.h"
#include "db/connection.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The application object has just taken every locale category from LANG.
    db::useServerNumberLocale();
    if (!startAndShowLogin(QApplication::arguments())) {
        stopProgram();
        return 1;
    }
    const int rc = QApplication::exec();
    stopProgram();
    return rc;
}
