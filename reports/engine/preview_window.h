#pragma once
// The report preview: the prepared pages one at a time, zoom, previous and next page, print
// and save as PDF.

#include "pages.h"

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
    // Saves the pages as PDF to the path (the button asks for the path first).
    bool savePdf(const QString &path);
    // Where failures of printing and saving are shown (the program's error boxes).
    void setErrorDisplay(std::function<void(QWidget *, const QString &)> display)
    {
        m_errorDisplay = std::move(display);
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
};

} // namespace reports
