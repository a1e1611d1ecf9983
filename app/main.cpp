// Tabel: the shift output journal of the production-accounting office.

#include "app/forms.h"
#include "app/login_window.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    QApplication::setOrganizationName(QStringLiteral("tabel"));
    if (!startProgram(QApplication::arguments()))
        return 1;
    forms().login->show();
    const int rc = QApplication::exec();
    stopProgram();
    return rc;
}
