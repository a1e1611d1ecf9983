#pragma once
// A window that is left through one handler of its own: Esc and the user's close box run it
// (the process operations window's "Выход", the norms window's "Сохранить"), and the handler
// decides whether the window closes.

#include "ui/window.h"

class LeavingWindow : public ui::Window
{
    Q_OBJECT
public:
    using ui::Window::Window;

protected:
    virtual void leave() = 0;

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
