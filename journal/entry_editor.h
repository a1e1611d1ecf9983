#pragma once
// TForm11: the journal entry editor, one shift record in add, change or view mode.

#include "directories/chooser_targets.h"
#include "ui/window.h"

class TForm11 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm11(QWidget *parent = nullptr);

    // The openings the journal calls; each ends with the window shown modally.
    void openForAdding();
    void openForChanging();
    void openForViewing();

    // The worker the personnel list hands over when the user picks one (its chosen flag set).
    WorkerTarget chosenWorker;
    // The operation the operation chooser hands over (process list, then its operations).
    OperationTarget chosenOperation;
};
