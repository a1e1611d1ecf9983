#pragma once
// TForm10: the operation editor of a process.

#include "directories/chooser_targets.h"
#include "ui/window.h"

class TForm10 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm10(QWidget *parent = nullptr);

    // The operation's type: the operation types list writes the name and id of the pick here.
    OperationTypeTarget operationType;
};
