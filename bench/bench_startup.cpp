// One start of the program up to the login window on screen, as main() does it; prints the
// wall-clock moment (microseconds since the epoch) when the window's first show and paint have
// been processed, so bench/run.sh can measure from the moment it launched the process.

#include "app/startup.h"

#include <QApplication>
#include <QTextStream>
#include <chrono>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The show event (and the version check in it) runs inside.
    const bool started = startAndShowLogin(QApplication::arguments());
    QCoreApplication::processEvents(); // expose and first paint
    const auto shown = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    stopProgram();
    if (!started)
        return 1; // start-up failed or the version check refused this build: nothing measured
    QTextStream(stdout) << shown << '\n';
    return 0;
}
