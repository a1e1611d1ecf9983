#pragma once
// Qt's own texts in Russian whatever the machine's language: the buttons of message boxes,
// the context menus of edit fields, the calendars' month and day names.

namespace ui {

// Loads Qt's Russian translations (a missing file leaves Qt's English texts), makes Russian
// the default locale of every widget created afterwards, and capitalises the month names that
// calendars show as headings ("Декабрь", not "декабрь"). Call before the windows are created;
// calling it again changes nothing.
void installRussian();

} // namespace ui
