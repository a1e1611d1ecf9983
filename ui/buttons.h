#pragma once
// Push buttons of the windows, named as their controls are named so tests find them by name.

class QPushButton;
class QString;

namespace ui {

// A button pressed by a click or Space. Enter presses the window's default button wherever the
// focus is, so a plain button does not become the default when it takes the focus.
QPushButton *namedButton(const QString &text, const char *name);

// The window's default button: Enter presses it.
QPushButton *namedDefaultButton(const QString &text, const char *name);

} // namespace ui
