#include "seams.h"

#include "db/db_error.h"
#include "ui/build_texts.h"
#include "ui/error_log.h"
#include "ui/save_dialog.h"
#include "ui/window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>
#include <exception>
#include <optional>

namespace ui {

namespace {

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Set once the program has been told to end; from then on nothing new is shown.
bool g_ending = false;

class RealMessages : public MessageSeam
{
public:
    QMessageBox::StandardButton show(QWidget *parent, const QString &caption, const QString &text,
                                     Icon icon, QMessageBox::StandardButtons buttons) override
    {
        if (g_ending)
            return QMessageBox::NoButton;
        QMessageBox box(boxIcon(icon), caption, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }
};

class RealModal : public ModalSeam
{
public:
    int exec(QDialog *dialog) override
    {
        if (g_ending)
            return QDialog::Rejected;
        return dialog->exec();
    }
};

// The end may be asked for anywhere: in a handler deep inside nested modal windows, from a
// timer while a message box is open, or at start-up before the main loop runs. Closing the
// windows ends their exec() loops; QCoreApplication::exit() makes every running loop return
// and keeps new ones from running; the queued exit catches a main loop entered afterwards.
class RealEnd : public EndSeam
{
public:
    void endProgram() override
    {
        if (g_ending)
            return;
        g_ending = true;
        if (!QCoreApplication::instance())
            return;
        if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
            const auto windows = QApplication::topLevelWidgets();
            for (QWidget *w : windows) {
                if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                    dialog->reject();
                else if (w->isVisible())
                    w->close();
            }
        }
        QCoreApplication::exit(0);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
};

class RealSpreadsheets : public SpreadsheetSeam
{
public:
    QString folder() override
    {
        QString base = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (base.isEmpty())
            base = QDir::homePath();
        return QDir(base).filePath(QStringLiteral("Tabel"));
    }
    bool open(const QString &path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    bool openFolder(const QString &folder) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
};

class RealFileDialogs : public FileDialogSeam
{
public:
    int exec(QFileDialog *dialog) override
    {
        if (g_ending)
            return QDialog::Rejected;
        return dialog->exec();
    }
};

RealMessages g_realMessages;
RealModal g_realModal;
RealEnd g_realEnd;

MessageSeam *g_messages = &g_realMessages;
ModalSeam *g_modal = &g_realModal;
EndSeam *g_end = &g_realEnd;
RealSpreadsheets g_realSpreadsheets;
SpreadsheetSeam *g_spreadsheets = &g_realSpreadsheets;
ReportPreviewSeam *g_registeredPreview = nullptr;
ReportPreviewSeam *g_preview = nullptr; // null: the registered one
RealFileDialogs g_realFileDialogs;
FileDialogSeam *g_fileDialogs = &g_realFileDialogs;

QDateTime g_fixedNow;
std::optional<BuildStamp> g_stamp;

// Text of the exception in flight, as the error display shows it.
QString currentExceptionText()
{
    try {
        throw;
    } catch (const db::DbError &e) {
        return e.text();
    } catch (const db::ConversionError &e) {
        return e.text();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка");
    }
}

} // namespace

// --- message boxes -------------------------------------------------------------------------

void setMessageSeam(MessageSeam *seam)
{
    g_messages = seam ? seam : &g_realMessages;
}

QMessageBox::StandardButton showMessage(QWidget *parent, const QString &caption,
                                        const QString &text, Icon icon,
                                        QMessageBox::StandardButtons buttons)
{
    if (icon == Icon::Error)
        appendErrorLog(parent, text);
    return g_messages->show(parent, caption, text, icon, buttons);
}

void showError(QWidget *parent, const QString &text)
{
    showMessage(parent, QStringLiteral("Ошибка"), text, Icon::Error, QMessageBox::Ok);
}

bool askYesNo(QWidget *parent, const QString &caption, const QString &text, Icon icon)
{
    return showMessage(parent, caption, text, icon, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void showInformation(QWidget *parent, const QString &caption, const QString &text)
{
    showMessage(parent, caption, text, Icon::Information, QMessageBox::Ok);
}

// --- modal showing -------------------------------------------------------------------------

void setModalSeam(ModalSeam *seam)
{
    g_modal = seam ? seam : &g_realModal;
}

namespace {

// The windows in front, innermost last: the modal ones being shown and the focus owners.
QList<QPointer<QWidget>> g_focusChain;

struct InFront
{
    explicit InFront(QWidget *w) { g_focusChain.append(w); }
    ~InFront() { g_focusChain.removeLast(); }
};

} // namespace

FocusOwner::FocusOwner(QWidget *window)
{
    g_focusChain.append(window);
}

FocusOwner::~FocusOwner()
{
    g_focusChain.removeLast();
}

int showModal(QDialog *dialog)
{
    if (g_ending)
        return QDialog::Rejected;
    int result;
    {
        const InFront shown(dialog);
        result = g_modal->exec(dialog);
    }
    if (g_ending || g_focusChain.isEmpty())
        return result;
    if (auto *back = qobject_cast<Window *>(g_focusChain.last().data()))
        guarded(back, [back] { back->childClosed(); });
    return result;
}

// --- end of the program --------------------------------------------------------------------

void setEndSeam(EndSeam *seam)
{
    g_end = seam ? seam : &g_realEnd;
}

void endProgram()
{
    g_end->endProgram();
}

bool endRequested()
{
    return g_ending;
}

// --- report preview ------------------------------------------------------------------------

void registerReportPreview(ReportPreviewSeam *preview)
{
    g_registeredPreview = preview;
}

void setReportPreviewSeam(ReportPreviewSeam *seam)
{
    g_preview = seam;
}

void showReportPreview(QWidget *parent, const reports::PreparedReport &report)
{
    if (ReportPreviewSeam *seam = g_preview ? g_preview : g_registeredPreview)
        seam->preview(parent, report);
}

// --- clock ---------------------------------------------------------------------------------

void setFixedNow(const QDateTime &now)
{
    g_fixedNow = now;
}

QDateTime now()
{
    return g_fixedNow.isValid() ? g_fixedNow : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

// --- build stamp ---------------------------------------------------------------------------

namespace {

// Two characters of the compiler's texts as a number: a blank counts as 0; -1 when a
// character is neither (the "??" of a missing date).
int twoDigits(const QString &text, int from)
{
    int value = 0;
    for (int i = from; i < from + 2; ++i) {
        const QChar c = i < text.size() ? text.at(i) : QChar(u'?');
        if (c == u' ')
            value = value * 10;
        else if (c >= u'0' && c <= u'9')
            value = value * 10 + (c.unicode() - u'0');
        else
            return -1;
    }
    return value;
}

} // namespace

BuildStamp parseBuildStamp(const QString &dateText, const QString &timeText)
{
    static const char *const months[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = 1;
    const QString monthText = dateText.left(3);
    for (int i = 0; i < 12; ++i) {
        if (monthText == QLatin1String(months[i]))
            month = i + 1;
    }
    int day = twoDigits(dateText, 4);
    if (day < 0)
        day = 1;
    bool yearOk = false;
    int year = dateText.mid(7, 4).toInt(&yearOk);
    if (!yearOk)
        year = 1900;

    int seconds = 0;
    for (int from : {0, 3, 6}) {
        const int part = twoDigits(timeText, from);
        seconds = seconds * 60 + (part < 0 ? 0 : part);
    }
    return {year * 10000 + month * 100 + day, seconds};
}

BuildStamp buildStamp()
{
    if (g_stamp)
        return *g_stamp;
    return parseBuildStamp(QString::fromLatin1(compiledBuildDate()),
                           QString::fromLatin1(compiledBuildTime()));
}

void setBuildStamp(const BuildStamp *stamp)
{
    if (stamp)
        g_stamp = *stamp;
    else
        g_stamp.reset();
}

// --- spreadsheet output --------------------------------------------------------------------

void setSpreadsheetSeam(SpreadsheetSeam *seam)
{
    g_spreadsheets = seam ? seam : &g_realSpreadsheets;
}

QString spreadsheetFolder()
{
    return g_spreadsheets->folder();
}

bool openSpreadsheet(const QString &path)
{
    return g_spreadsheets->open(path);
}

void openFolderOf(QWidget *parent, const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!g_spreadsheets->openFolder(folder))
        showError(parent,
                  QStringLiteral("Не удалось открыть папку «%1»: нет программы для "
                                 "просмотра папок.")
                      .arg(QDir::toNativeSeparators(folder)));
}

// --- file dialogs --------------------------------------------------------------------------

void setFileDialogSeam(FileDialogSeam *seam)
{
    g_fileDialogs = seam ? seam : &g_realFileDialogs;
}

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                        const QString &filter, const QString &suffix)
{
    SaveFileDialog dialog(parent, caption, proposed, filter, suffix);
    if (g_fileDialogs->exec(&dialog) != QDialog::Accepted)
        return QString();
    return dialog.chosenPath();
}

// --- errors in handlers --------------------------------------------------------------------

QWidget *widgetOf(QObject *receiver)
{
    return qobject_cast<QWidget *>(receiver);
}

void showCurrentException(QWidget *parent)
{
    if (!std::current_exception())
        return;
    showError(parent, currentExceptionText());
}

bool guarded(QWidget *parent, const std::function<void()> &fn)
{
    // The box is shown after the catch block has ended, so the exception object is gone
    // before a nested event loop runs.
    const QPointer<QWidget> window(parent);
    QString text;
    try {
        fn();
        return true;
    } catch (...) {
        text = currentExceptionText();
    }
    showError(window.data(), text);
    return false;
}

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace ui
