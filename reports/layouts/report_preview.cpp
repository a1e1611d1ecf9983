#include "report_preview.h"

#include "ui/seams.h"

#include <QDir>

namespace layouts {

namespace {

class ProgramPreview : public ui::ReportPreviewSeam
{
public:
    void preview(QWidget *parent, const reports::PreparedReport &report) override
    {
        if (ui::endRequested())
            return;
        previewWindow(report, parent)->exec();
    }
};

ProgramPreview g_preview;

} // namespace

std::unique_ptr<reports::PreviewWindow> previewWindow(const reports::PreparedReport &report,
                                                      QWidget *parent)
{
    auto window = std::make_unique<reports::PreviewWindow>(report, parent);
    window->setErrorDisplay([](QWidget *over, const QString &text) { ui::showError(over, text); });
    // PDFs are proposed beside the exports, where the clerk already finds the program's files.
    window->setSaveDialog([](QWidget *over, const QString &name) {
        const QString folder = ui::spreadsheetFolder();
        QDir().mkpath(folder);
        return ui::getSaveFileName(over, QStringLiteral("Сохранить в PDF"),
                                   QDir(folder).filePath(name), QStringLiteral("PDF (*.pdf)"),
                                   QStringLiteral("pdf"));
    });
    return window;
}

void registerPreview()
{
    ui::registerReportPreview(&g_preview);
}

} // namespace layouts
