#pragma once
// Qt's own texts in Russian whatever the machine's language: the buttons of message boxes,
// the context menus of edit fields, the calendars' month and day names, the file dialogs'
// words, sizes and dates.

namespace ui {

// Loads Qt's Russian translations (a missing file leaves Qt's English texts), makes Russian
// the default locale of every widget created afterwards, capitalises the month names that
// calendars show as headings ("Декабрь", not "декабрь"), and has file dialogs write sizes and
// dates in that locale. Call before the windows are created; calling it again changes nothing.
void installRussian();

} // namespace ui
