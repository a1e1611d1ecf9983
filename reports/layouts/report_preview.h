#pragma once
// The report preview as the program shows it: the engine's preview window with the program's
// error boxes and save dialog. The start-up registers it as the preview of
// ui::showReportPreview.

#include "reports/engine/preview_window.h"

#include <memory>

namespace layouts {

// The preview window of the report, its failures in the program's boxes, its PDFs proposed
// through the program's save dialog beside the exports.
std::unique_ptr<reports::PreviewWindow> previewWindow(const reports::PreparedReport &report,
                                                      QWidget *parent);
// From now on ui::showReportPreview shows that window modally.
void registerPreview();

} // namespace layouts
