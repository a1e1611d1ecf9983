// One start of the program up to the login window on screen, as main() does it. Prints two
// wall-clock moments (microseconds since the epoch), so bench/run.sh can measure from the moment
// it launched the process: when the window's first painting was done, and when the version
// check had set its caption (the window ready for a login).

#include "app/startup.h"

#include <QApplication>
#include <QTextStream>
#include <QWidget>
#include <chrono>

namespace {

qint64 nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Times the login window's paint events from outside: each is handed on to the widget here, so
// its end is known. The caption with the build number marks the end of the version check.
class LoginWatch : public QObject
{
public:
    qint64 paintedBeforeCheck = 0;
    qint64 paintedAfterCheck = 0;
    qint64 checked = 0;

    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->window()->objectName() != QLatin1String("TForm23"))
            return false;
        if (e->type() == QEvent::WindowTitleChange && !checked
            && w->windowTitle().contains(QLatin1String("build")))
            checked = nowUs();
        if (e->type() != QEvent::Paint || m_inPaint)
            return false;
        m_inPaint = true;
        QCoreApplication::sendEvent(o, e);
        m_inPaint = false;
        (checked ? paintedAfterCheck : paintedBeforeCheck) = nowUs();
        return true;
    }

private:
    bool m_inPaint = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LoginWatch watch;
    app.installEventFilter(&watch);
    // The window's first showing, the connection and the version check run inside.
    const bool started = startAndShowLogin(QApplication::arguments());
    QCoreApplication::processEvents(); // whatever painting is still due
    app.removeEventFilter(&watch);
    stopProgram();
    if (!started || !watch.checked)
        return 1; // start-up failed or the version check refused this build: nothing measured
    // Painted only after the check when the server answered before the window was exposed.
    const qint64 shown = watch.paintedBeforeCheck ? watch.paintedBeforeCheck : watch.paintedAfterCheck;
    QTextStream(stdout) << shown << ' ' << watch.checked << '\n';
    return 0;
}
