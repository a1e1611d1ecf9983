#pragma once
// The version gate: the database keeps the newest build that ran against it; an older build
// ends itself, a newer one raises the record. Also loads the decimal separator.

// Returns false when the program is older than the database and is ending.
// Database errors propagate to the caller's error display.
bool runVersionCheck();
