#pragma once
// TForm33: one process with its operations.

#include "directories/chooser_targets.h"
#include "ui/window.h"

class TForm33 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm33(QWidget *parent = nullptr);

    // The process's item: the items list writes the mark and id of the pick here.
    ItemTarget item;
};
