#pragma once
// Prepare: lays an open query out into pages by a layout. Group breaks, sums with their
// scope, repeated headers, page footers and page numbers are decided here; nothing here
// draws or touches a widget.

#include "layout.h"
#include "pages.h"

namespace db {
class Dataset;
}

namespace reports {

// Lays out every visible row of `data` (after its filter, in its order; the cursor does not
// move). `caption` is the text of the layout's caption cells. An empty query still gives one
// page with the title, the headers without a break and their footers (zero totals).
// Throws db::DbError when a cell names a field the query lacks or the query is closed.
PreparedReport prepare(const Layout &layout, const db::Dataset &data, const QString &caption);

} // namespace reports
