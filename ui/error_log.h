#pragma once
// The error log: every error box the user sees is also appended to tabel.log in the user's
// state folder, with the time, the window and the text, so the office can tell support what
// happened. Writing it never fails the program: a folder that cannot be written is skipped.

#include <QString>

class QWidget;

namespace ui {

// A log that has grown past this many bytes becomes tabel.log.1 (replacing the older one)
// before the next entry is written.
constexpr qint64 kErrorLogLimit = 1024 * 1024;

// $XDG_STATE_HOME/tabel (~/.local/state/tabel when unset); the local application data
// folder on Windows.
QString errorLogFolder();
QString errorLogPath();

// Appends one entry: the time (the program's clock), the window the error is shown over (its
// class and title; the active window when none is given) and the text.
void appendErrorLog(QWidget *window, const QString &text);

} // namespace ui
