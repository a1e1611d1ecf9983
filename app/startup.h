#pragma once
// Start-up and tear-down of the program's windows.

#include <QStringList>

// Reads and applies the style, creates the data module and the login, hidden, and opens the
// stored connection; every other window is built when the program first reaches it. Returns
// false when the stored connection cannot be opened (the error has been shown and the program
// is ending). The login's first showing then runs the version check.
bool startProgram(const QStringList &arguments);
// What the program does before its event loop: its name, start-up, and the login window shown
// while the stored connection is being opened; once it is open, the window's activation runs
// the version check. False when the program is already ending.
bool startAndShowLogin(const QStringList &arguments);
// Builds every window not built yet, as a day that opens them all would (the memory bench).
void buildEveryWindow();
// Deletes every window and the data module (tests start the program more than once).
void stopProgram();
