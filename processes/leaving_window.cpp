#include "leaving_window.h"

#include "ui/seams.h"

#include <QCloseEvent>
#include <QKeyEvent>

void LeavingWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui::guarded(this, [this] { leave(); });
        return;
    }
    ui::Window::keyPressEvent(event);
}

void LeavingWindow::closeEvent(QCloseEvent *event)
{
    // Only the user's close box; a close that the program makes (accept, reject) goes on.
    if (event->spontaneous()) {
        event->ignore();
        ui::guarded(this, [this] { leave(); });
        return;
    }
    ui::Window::closeEvent(event);
}
