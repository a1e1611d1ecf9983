#pragma once
// Start-up and tear-down of the program's windows.

#include <QStringList>

// Reads and applies the style, creates the data module (opening the stored connection, while
// the login window is built) and the login, hidden; every other window is built when the
// program first reaches it. Returns false when the stored connection cannot be opened (the
// error has been shown and the program is ending).
bool startProgram(const QStringList &arguments);
// What the program does before its event loop: its name, start-up, and the login window shown
// (whose first showing runs the version check). False when the program is already ending.
bool startAndShowLogin(const QStringList &arguments);
// Builds every window not built yet, as a day that opens them all would (the memory bench).
void buildEveryWindow();
// Deletes every window and the data module (tests start the program more than once).
void stopProgram();
