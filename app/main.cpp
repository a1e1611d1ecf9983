// Tabel: the shift output journal of the production-accounting office.

#include "app/forms.h"
#include "app/login_window.h"
#include "app/startup.h"
#include "ui/seams.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    QApplication::setOrganizationName(QStringLiteral("tabel"));
    if (!startProgram(QApplication::arguments()))
        return 1;
    forms().login->show();
    // The version check at the login's first showing may already have ended the program.
    if (ui::endRequested()) {
        stopProgram();
        return 0;
    }
    const int rc = QApplication::exec();
    stopProgram();
    return rc;
}
