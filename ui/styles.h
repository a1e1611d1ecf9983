#pragma once
// Visual styles by name and the one-line style file in the per-user config folder.

#include <QString>
#include <QStringList>

namespace ui {

// "Windows" first, then the program's own styles in alphabetical order ("Onyx Blue", ...).
QStringList availableStyles();
// Applies the style to every window; names matched without regard to case. An unknown name
// shows the error box "Стиль «name» не найден" and keeps the style in force; returns false.
bool applyStyle(const QString &name);
// Name of the style in force, as availableStyles() spells it.
QString currentStyle();

// The per-user config folder (created when missing) and the style file in it.
QString userConfigDir();
QString styleFilePath();
// Reads the style file's first line; a missing file, an empty file or an empty first line
// writes "Windows" and returns it.
QString readStyleFile();
void writeStyleFile(const QString &name);

} // namespace ui
