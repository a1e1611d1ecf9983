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
};

} // namespace ui
