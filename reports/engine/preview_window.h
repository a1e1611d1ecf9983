#pragma once
// The report preview: the prepared pages one at a time, zoom, previous and next page, print
// and save as PDF.

#include "pages.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace reports {

class PageView;

class PreviewWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PreviewWindow(PreparedReport report, QWidget *parent = nullptr);

    int currentPage() const { return m_page; } // 1-based
    void showPage(int page); // clamped to the report's pages
    double zoom() const; // 1.0 = paper size on the screen
    const PreparedReport &report() const { return m_report; }
    // Saves the pages as PDF to the path (the button asks for the path first). A file that
    // was there stays as it was unless the whole new one was written.
    bool savePdf(const QString &path);
    // The name "Сохранить в PDF..." proposes: the report's title with ".pdf", characters a
    // file name cannot hold as "_".
    QString proposedPdfName() const;
    // Where failures of printing and saving are shown (the program's error boxes).
    void setErrorDisplay(std::function<void(QWidget *, const QString &)> display)
    {
        m_errorDisplay = std::move(display);
    }
    // How the path of a PDF is asked for (the program's save dialog): given the proposed file
    // name, returns the path chosen, "" when the user cancelled.
    void setSaveDialog(std::function<QString(QWidget *, const QString &)> dialog)
    {
        m_saveDialog = std::move(dialog);
    }

    QPushButton *ButtonFirst;
    QPushButton *ButtonPrior;
    QPushButton *ButtonNext;
    QPushButton *ButtonLast;
    QComboBox *ComboZoom;
    QLabel *LabelPage;
    QPushButton *ButtonPrint;
    QPushButton *ButtonPdf;
    QPushButton *ButtonClose;
    QLabel *LabelSaved; // where the last PDF went: "Сохранено: path"

private slots:
    void printClick();
    void pdfClick();
    void zoomChanged();

private:
    void updateControls();
    void showError(const QString &text);

    PreparedReport m_report;
    int m_page = 1;
    QScrollArea *m_scroll;
    PageView *m_view;
    std::function<void(QWidget *, const QString &)> m_errorDisplay;
    std::function<QString(QWidget *, const QString &)> m_saveDialog;
};

// A report's title with its period, as the preview's caption and the PDF's name show it: "…
// ноябрь 2026" for a whole calendar month, otherwise "… 01.11.2026 – 15.11.2026" from the first
// to the last day (`to` is excluded, as in the summaries' queries), one date for one day.
QString titleWithPeriod(const QString &title, const QDate &from, const QDate &to);

} // namespace reports
