#pragma once
// The build's date and time texts in the compiler's __DATE__ and __TIME__ form, written anew by
// the build whenever a source of the program changes (scripts/build_stamp.cmake), so that an
// incremental build carries its own stamp and not the one of the last full compile of a file.

namespace ui {
const char *compiledBuildDate(); // "Sep 27 2022", "Sep  7 2022"
const char *compiledBuildTime(); // "13:37:04"
} // namespace ui
