// The real end of the program: asked for inside nested modal windows, it unwinds every loop,
// shows nothing more, and a main loop entered afterwards returns at once. The end is final
// for the process, so these checks have an executable of their own.

#include "ui/seams.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

// Counts windows that come up on screen.
class ShowCounter : public QObject
{
public:
    int shown = 0;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget *>(o)->isWindow())
            ++shown;
        return false;
    }
};

class TestUiEnd : public QObject
{
    Q_OBJECT
private slots:
    void endInsideNestedModalWindows();
};

void TestUiEnd::endInsideNestedModalWindows()
{
    QDialog outer;
    QDialog inner;
    int innerResult = -2;
    bool innerReturned = false;
    ShowCounter counter;
    int shownAfterEnd = -1;

    QTimer::singleShot(0, &outer, [&] {
        // From a handler of the outer window: open the inner one, whose timer ends the program
        // (as the version check's timer does while a window is open).
        QTimer::singleShot(0, &inner, [] { ui::endProgram(); });
        innerResult = ui::showModal(&inner);
        innerReturned = true;
        // Whatever the handler does next must not show anything any more.
        qApp->installEventFilter(&counter);
        QDialog later;
        ui::showModal(&later);
        ui::showError(&outer, QStringLiteral("не должно показываться"));
        qApp->removeEventFilter(&counter);
        shownAfterEnd = counter.shown;
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QFAIL("the modal loops did not end"); });
    watchdog.start(10000);

    const int outerResult = ui::showModal(&outer);
    watchdog.stop();

    QVERIFY(innerReturned);
    QCOMPARE(innerResult, int(QDialog::Rejected));
    QCOMPARE(outerResult, int(QDialog::Rejected));
    QVERIFY(!outer.isVisible());
    QVERIFY(!inner.isVisible());
    QCOMPARE(shownAfterEnd, 0);
    QVERIFY(ui::endRequested());

    // The main loop entered after the end returns at once instead of running on.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    const int code = QCoreApplication::exec();
    QCOMPARE(code, 0);
}

QTEST_MAIN(TestUiEnd)
#include "tst_ui_end.moc"
