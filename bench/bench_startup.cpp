// One start of the program up to the login window on screen, as main() does it; prints the
// wall-clock moment (microseconds since the epoch) when the window's first show and paint have
// been processed, so bench/run.sh can measure from the moment it launched the process.

#include "app/forms.h"
#include "app/login_window.h"
#include "app/startup.h"
#include "ui/seams.h"

#include <QApplication>
#include <QTextStream>
#include <chrono>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    QApplication::setOrganizationName(QStringLiteral("tabel"));
    if (!startProgram(QApplication::arguments()))
        return 1;
    forms().login->show(); // the show event (and the version check in it) runs here
    QCoreApplication::processEvents(); // expose and first paint
    const auto shown = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    const bool ended = ui::endRequested();
    stopProgram();
    if (ended)
        return 1; // the version check refused this build: nothing was measured
    QTextStream(stdout) << shown << '\n';
    return 0;
}
