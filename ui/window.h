#pragma once
// Base of every window of the program: a dialog created once at start, shown modally when
// needed, with its mode in `tag` as the windows' callers expect.

#include <QDialog>

namespace ui {

class Window : public QDialog
{
    Q_OBJECT
public:
    explicit Window(const QString &caption, QWidget *parent = nullptr)
        : QDialog(parent)
    {
        setWindowTitle(caption);
    }
    int tag = 0;

    // Focus has come back to this window from a window it showed through ui::showModal; runs
    // before the handler that showed it goes on, as a modal window's return activates its
    // caller first. Windows with an activation of their own run it here.
    virtual void childClosed() { }
};

} // namespace ui
