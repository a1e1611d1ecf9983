#pragma once
// What each login may do in the journal window.

#include "journal/journal_window.h"

AccessMode accessModeFor(const QString &login);
// Enables and disables the journal's buttons, menus and controls for the mode.
void applyAccessMode(TForm1 &journal, AccessMode mode);
