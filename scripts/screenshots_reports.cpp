// Makes the README's pictures of the timesheet and of a report preview: the timesheet of the
// demo plant's month opened from the journal, the workers summary of that month previewed
// from the summary reports window, and the top of its first page that begins inside a group.
// Run by scripts/screenshots_reports.sh under Xvfb.

#include "app/login_window.h"
#include "app/startup.h"
#include "core/forms.h"
#include "journal/journal_window.h"
#include "reports/engine/preview_window.h"
#include "reports/engine/render.h"
#include "reports/summary_reports_window.h"
#include "timesheet/timesheet_window.h"
#include "ui/seams.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>

namespace {

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void grab(QWidget *w, const QString &path)
{
    w->show();
    settle(800);
    w->grab().save(path);
}

// The journal opens the timesheet and the reports window; each is grabbed where it shows.
class Walk : public ui::ModalSeam, public ui::ReportPreviewSeam
{
public:
    explicit Walk(QString dir)
        : m_dir(std::move(dir))
    {
    }
    int exec(QDialog *dialog) override
    {
        if (dialog == forms().journal) {
            forms().journal->DateT->setDate(QDate(2026, 11, 16));
            forms().journal->N11Click();
            forms().journal->N10Click();
        } else if (dialog == forms().timesheet) {
            dialog->resize(1240, 560);
            grab(dialog, m_dir + QStringLiteral("/timesheet.png"));
        } else if (dialog == forms().summaryReports) {
            dialog->show();
            forms().summaryReports->Button4->click();
        }
        dialog->hide();
        return QDialog::Rejected;
    }
    void preview(QWidget *parent, const reports::PreparedReport &report) override
    {
        reports::PreviewWindow window(report, parent);
        window.resize(900, 760);
        grab(&window, m_dir + QStringLiteral("/report_preview.png"));
        // The top of the first page that begins inside a group, inside an inner one when a
        // page does: its names marked as continued.
        auto continued = [&](const reports::Page &page) {
            int n = 0;
            for (const QStringList &row : page.rows()) {
                if (!row.front().endsWith(QStringLiteral(" (продолжение)")))
                    break;
                ++n;
            }
            return &page == &report.pages.front() ? 0 : n;
        };
        const reports::Page *shown = nullptr;
        for (const reports::Page &page : report.pages) {
            if (continued(page) > (shown ? continued(*shown) : 0))
                shown = &page;
        }
        if (shown) {
            const QImage image = reports::renderPageImage(*shown, 110);
            image.copy(0, 0, image.width(), image.height() * 2 / 5)
                .save(m_dir + QStringLiteral("/report_continued.png"));
        }
    }

private:
    QString m_dir;
};

class NoEnd : public ui::EndSeam
{
public:
    void endProgram() override { }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 6) {
        QTextStream(stderr) << "usage: tabel_screenshots_reports SERVER DB OUTDIR LOGIN PASSWORD\n";
        return 2;
    }
    NoEnd noEnd;
    ui::setEndSeam(&noEnd);
    // The summaries' default period is the month before today's: the demo plant's November.
    ui::setFixedNow(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    if (!startProgram({args.at(0), args.at(1), args.at(2)}))
        return 1;
    Walk walk(args.at(3));
    ui::setModalSeam(&walk);
    ui::setReportPreviewSeam(&walk);
    TForm23 *login = forms().login;
    login->show();
    settle(300);
    login->Edit1->setText(args.at(4));
    login->Edit2->setText(args.at(5));
    login->Button1Click();
    ui::setModalSeam(nullptr);
    ui::setReportPreviewSeam(nullptr);
    stopProgram();
    return 0;
}
