#pragma once
// Prepare: lays rows out into pages by a layout. Group breaks, sums with their
// scope, repeated headers, page footers and page numbers are decided here; nothing here
// draws or touches a widget.

#include "layout.h"
#include "pages.h"
#include "row_source.h"

namespace reports {

// Lays out every row of `rows` in their order. `caption` is the text of the layout's caption
// cells. No rows still give one page with the title, the headers without a break and their
// footers (zero totals). Throws db::DbError when a cell names a field the rows lack.
PreparedReport prepare(const Layout &layout, const RowSource &rows, const QString &caption);

} // namespace reports
