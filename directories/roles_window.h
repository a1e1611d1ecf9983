#pragma once
// TForm32: the roles list; roles are kept outside the program, so only the filter acts.

#include "core/directory_window.h"

class TForm32 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm32(QWidget *parent = nullptr);

    QPushButton *Button5; // "Добавить", without action
    QPushButton *Button4; // "Выход"
};
