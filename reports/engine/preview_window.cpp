#include "preview_window.h"

#include "render.h"

#include "db/formats.h"

#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace reports {

// One page on grey, drawn by the renderer at the zoom's scale.
class PageView : public QWidget
{
public:
    explicit PageView(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("PageView"));
    }

    void setPage(const Page *page, double zoom)
    {
        m_page = page;
        m_zoom = zoom;
        const QSize paper = paperPixels();
        setFixedSize(paper + QSize(2 * kBorder, 2 * kBorder));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(160, 160, 160));
        if (!m_page)
            return;
        const QRect paper(QPoint(kBorder, kBorder), paperPixels());
        painter.fillRect(paper.translated(3, 3), QColor(90, 90, 90));
        painter.fillRect(paper, Qt::white);
        painter.translate(paper.topLeft());
        renderPage(painter, *m_page, pixelsPerMm());
    }

private:
    static constexpr int kBorder = 16;
    double pixelsPerMm() const { return logicalDpiX() / 25.4 * m_zoom; }
    QSize paperPixels() const
    {
        if (!m_page)
            return QSize(0, 0);
        return QSize(qRound(m_page->size.width() * pixelsPerMm()),
                     qRound(m_page->size.height() * pixelsPerMm()));
    }

    const Page *m_page = nullptr;
    double m_zoom = 1.0;
};

namespace {
QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
} // namespace

PreviewWindow::PreviewWindow(PreparedReport report, QWidget *parent)
    : QDialog(parent)
    , m_report(std::move(report))
{
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(m_report.title.isEmpty()
                       ? QStringLiteral("Предварительный просмотр")
                       : QStringLiteral("Предварительный просмотр — ") + m_report.title);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    ButtonFirst = button(QStringLiteral("ButtonFirst"), QStringLiteral("<< Первая"), this);
    ButtonPrior = button(QStringLiteral("ButtonPrior"), QStringLiteral("< Предыдущая"), this);
    LabelPage = new QLabel(this);
    LabelPage->setObjectName(QStringLiteral("LabelPage"));
    ButtonNext = button(QStringLiteral("ButtonNext"), QStringLiteral("Следующая >"), this);
    ButtonLast = button(QStringLiteral("ButtonLast"), QStringLiteral("Последняя >>"), this);
    ComboZoom = new QComboBox(this);
    ComboZoom->setObjectName(QStringLiteral("ComboZoom"));
    for (int percent : {50, 75, 100, 125, 150, 200})
        ComboZoom->addItem(QStringLiteral("%1 %").arg(percent), percent / 100.0);
    ComboZoom->setCurrentIndex(2);
    ButtonPrint = button(QStringLiteral("ButtonPrint"), QStringLiteral("Печать..."), this);
    ButtonPdf = button(QStringLiteral("ButtonPdf"), QStringLiteral("Сохранить в PDF..."), this);
    ButtonClose = button(QStringLiteral("ButtonClose"), QStringLiteral("Закрыть"), this);

    auto *bar = new QHBoxLayout;
    bar->addWidget(ButtonFirst);
    bar->addWidget(ButtonPrior);
    bar->addWidget(LabelPage);
    bar->addWidget(ButtonNext);
    bar->addWidget(ButtonLast);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Масштаб:"), this));
    bar->addWidget(ComboZoom);
    bar->addStretch();
    bar->addWidget(ButtonPrint);
    bar->addWidget(ButtonPdf);
    bar->addWidget(ButtonClose);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollPages"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView(m_scroll);
    m_scroll->setWidget(m_view);

    LabelSaved = new QLabel(this);
    LabelSaved->setObjectName(QStringLiteral("LabelSaved"));
    LabelSaved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelSaved->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(LabelSaved);

    connect(ButtonFirst, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(ButtonPrior, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(ButtonNext, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(ButtonLast, &QPushButton::clicked, this, [this] { showPage(m_report.pageCount()); });
    connect(ComboZoom, &QComboBox::currentIndexChanged, this, &PreviewWindow::zoomChanged);
    connect(ButtonPrint, &QPushButton::clicked, this, &PreviewWindow::printClick);
    connect(ButtonPdf, &QPushButton::clicked, this, &PreviewWindow::pdfClick);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
    // Page Up / Page Down turn the pages as in any viewer.
    auto *pgUp = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(pgUp, &QShortcut::activated, this, [this] { showPage(m_page - 1); });
    auto *pgDown = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(pgDown, &QShortcut::activated, this, [this] { showPage(m_page + 1); });

    resize(900, 760);
    showPage(1);
}

double PreviewWindow::zoom() const
{
    return ComboZoom->currentData().toDouble();
}

void PreviewWindow::showPage(int page)
{
    const int count = m_report.pageCount();
    m_page = std::clamp(page, 1, std::max(count, 1));
    m_view->setPage(count > 0 ? &m_report.pages[size_t(m_page - 1)] : nullptr, zoom());
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void PreviewWindow::updateControls()
{
    const int count = m_report.pageCount();
    LabelPage->setText(QStringLiteral("Страница %1 из %2").arg(count > 0 ? m_page : 0).arg(count));
    ButtonFirst->setEnabled(m_page > 1);
    ButtonPrior->setEnabled(m_page > 1);
    ButtonNext->setEnabled(m_page < count);
    ButtonLast->setEnabled(m_page < count);
    ButtonPrint->setEnabled(count > 0);
    ButtonPdf->setEnabled(count > 0);
}

void PreviewWindow::zoomChanged()
{
    showPage(m_page);
}

void PreviewWindow::showError(const QString &text)
{
    if (m_errorDisplay)
        m_errorDisplay(this, text);
    else
        QMessageBox::critical(this, QStringLiteral("Ошибка"), text);
}

bool PreviewWindow::savePdf(const QString &path)
{
    return writePdf(m_report, path);
}

void PreviewWindow::printClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_report.title);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, m_report.pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (!printReport(m_report, printer, range ? printer.fromPage() : 0,
                     range ? printer.toPage() : 0))
        showError(QStringLiteral("Не удалось напечатать отчет."));
}

QString PreviewWindow::proposedPdfName() const
{
    QString name = m_report.title.simplified();
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("Отчет");
    return name + QStringLiteral(".pdf");
}

void PreviewWindow::pdfClick()
{
    QString path;
    if (m_saveDialog) {
        path = m_saveDialog(this, proposedPdfName());
    } else {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в PDF"),
                                            QDir(folder).filePath(proposedPdfName()),
                                            QStringLiteral("PDF (*.pdf)"));
    }
    if (path.isEmpty())
        return;
    if (!savePdf(path)) {
        showError(
            QStringLiteral("Не удалось записать файл «%1».").arg(QDir::toNativeSeparators(path)));
        return;
    }
    LabelSaved->setText(QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(path));
    LabelSaved->show();
}

QString titleWithPeriod(const QString &title, const QDate &from, const QDate &to)
{
    QString period;
    if (from.day() == 1 && to == from.addMonths(1)) {
        period = QLocale(QLocale::Russian, QLocale::Russia).standaloneMonthName(from.month()) + u' '
            + QString::number(from.year());
    } else {
        const QDate last = to.addDays(-1);
        period = db::displayText(from);
        if (last > from)
            period += QStringLiteral(" – ") + db::displayText(last);
    }
    return title.trimmed() + u' ' + period;
}

} // namespace reports
