#pragma once
// Seams between the windows and the world: message boxes, modal showing, the end of the
// program, the clock, the build stamp, the spreadsheet output and the file dialogs. Production
// uses Qt; tests put scripted fakes in.

#include <QDate>
#include <QDateTime>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>
#include <type_traits>

class QDialog;
class QFileDialog;
class QWidget;

namespace reports {
struct PreparedReport;
} // namespace reports

namespace ui {

enum class Icon { None, Error, Question, Warning, Information };

// --- message boxes -------------------------------------------------------------------------
class MessageSeam
{
public:
    virtual ~MessageSeam() = default;
    // Returns the button pressed.
    virtual QMessageBox::StandardButton show(QWidget *parent, const QString &caption,
                                             const QString &text, Icon icon,
                                             QMessageBox::StandardButtons buttons)
        = 0;
};
void setMessageSeam(MessageSeam *seam); // nullptr restores the real boxes

// "Ошибка", error icon, OK. Every error box is also written to the error log (ui/error_log.h).
void showError(QWidget *parent, const QString &text);
// Question with Yes and No; true on Yes.
bool askYesNo(QWidget *parent, const QString &caption, const QString &text,
              Icon icon = Icon::Question);
void showInformation(QWidget *parent, const QString &caption, const QString &text);
QMessageBox::StandardButton showMessage(QWidget *parent, const QString &caption,
                                        const QString &text, Icon icon,
                                        QMessageBox::StandardButtons buttons);

// --- modal showing -------------------------------------------------------------------------
class ModalSeam
{
public:
    virtual ~ModalSeam() = default;
    virtual int exec(QDialog *dialog) = 0;
};
void setModalSeam(ModalSeam *seam);
// Shows the window modally and returns its result (QDialog::exec in production). When it has
// closed, the window that gets the focus back (the one that showed it) runs its childClosed()
// before this returns; a window that was not shown activates nobody.
int showModal(QDialog *dialog);

// Marks the window whose handler runs while the object lives as the one that gets the focus
// back from the windows it shows, also when it was not itself shown through showModal (the
// journal once the login has shown it, or a window a test drives directly).
class FocusOwner
{
public:
    explicit FocusOwner(QWidget *window);
    ~FocusOwner();
    FocusOwner(const FocusOwner &) = delete;
    FocusOwner &operator=(const FocusOwner &) = delete;
};

// --- end of the program --------------------------------------------------------------------
class EndSeam
{
public:
    virtual ~EndSeam() = default;
    virtual void endProgram() = 0;
};
void setEndSeam(EndSeam *seam);
// Leaves the event loop and exits (tests record it and go on). In production the end is
// final: every running loop, nested modal ones included, returns; no box or window is shown
// afterwards; a call made before the main loop runs makes endRequested() true, which main()
// checks before entering the loop (a queued quit covers a loop entered anyway).
void endProgram();
bool endRequested();

// --- clock ---------------------------------------------------------------------------------
void setFixedNow(const QDateTime &now); // invalid restores the system clock
QDate today();
QDateTime now();

// --- build stamp ---------------------------------------------------------------------------
struct BuildStamp
{
    int date = 0; // yyyymmdd
    int time = 0; // seconds after midnight
};
// From the compiler's __DATE__ ("Sep 27 2022", "Sep  7 2022", "??? ?? ????") and
// __TIME__ ("13:37:04") texts.
BuildStamp parseBuildStamp(const QString &dateText, const QString &timeText);
// This build's stamp (ui/build_texts.h), or the one a test put in.
BuildStamp buildStamp();
void setBuildStamp(const BuildStamp *stamp); // nullptr restores the build's own

// --- spreadsheet output --------------------------------------------------------------------
// Where exported workbooks are saved and how a saved one is handed to the user.
class SpreadsheetSeam
{
public:
    virtual ~SpreadsheetSeam() = default;
    // The folder new workbooks go to (it may not exist yet).
    virtual QString folder() = 0;
    // Opens the saved file with the desktop's application for it; false when none took it.
    virtual bool open(const QString &path) = 0;
    // Shows a folder in the desktop's file manager; false when none took it.
    virtual bool openFolder(const QString &folder) = 0;
};
void setSpreadsheetSeam(SpreadsheetSeam *seam); // nullptr restores the real one
// The user's documents folder, sub-folder "Tabel" (the home folder when there is none).
QString spreadsheetFolder();
bool openSpreadsheet(const QString &path);
// The folder of a saved file in the file manager; a box "Ошибка" when none opened it.
void openFolderOf(QWidget *parent, const QString &path);

// --- file dialogs --------------------------------------------------------------------------
class FileDialogSeam
{
public:
    virtual ~FileDialogSeam() = default;
    // Shows the prepared dialog modally and returns its result (QDialog::exec in production).
    virtual int exec(QFileDialog *dialog) = 0;
};
void setFileDialogSeam(FileDialogSeam *seam); // nullptr restores the real one
// Asks where to save a file: the program's own dialog (the same on every desktop, in Russian)
// in the folder of `proposed` with its name filled in. A name typed without `suffix` ("pdf")
// gets it; replacing a file that exists is asked first. The chosen path, "" when cancelled.
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                        const QString &filter, const QString &suffix);

// --- report preview ------------------------------------------------------------------------
// The preview window is the report engine's, which sits above this folder: the start-up
// registers it here.
class ReportPreviewSeam
{
public:
    virtual ~ReportPreviewSeam() = default;
    virtual void preview(QWidget *parent, const reports::PreparedReport &report) = 0;
};
void registerReportPreview(ReportPreviewSeam *preview); // the start-up's preview window
void setReportPreviewSeam(ReportPreviewSeam *seam); // nullptr restores the registered one
// Shows the prepared pages in the preview window, from which they are printed or saved as
// PDF (tests take the pages instead). Nothing is shown before one is registered.
void showReportPreview(QWidget *parent, const reports::PreparedReport &report);

// --- errors in handlers --------------------------------------------------------------------
// Shows the application's error display for the exception in flight: a modal box "Ошибка"
// with the server's (or conversion) text. Call only inside a catch block.
void showCurrentException(QWidget *parent);
// Runs fn, catching DbError, ConversionError and std::exception into the error display, so a
// handler stops where the error arose and the program keeps running. Returns false on error.
bool guarded(QWidget *parent, const std::function<void()> &fn);

// The window a handler's errors are shown over: the receiver itself when it is a widget.
QWidget *widgetOf(QObject *receiver);

namespace detail {
// Calls a handler with the signal's arguments, or with none when it takes none (a slot
// `Button1Click()` on `clicked(bool)`); member functions are called on the receiver.
template<typename Receiver, typename Fn, typename... Args>
void callHandler(Receiver *receiver, const Fn &fn, Args &&...args)
{
    if constexpr (std::is_member_function_pointer_v<Fn>) {
        if constexpr (std::is_invocable_v<const Fn &, Receiver *, Args...>)
            std::invoke(fn, receiver, std::forward<Args>(args)...);
        else
            std::invoke(fn, receiver);
    } else {
        if constexpr (std::is_invocable_v<const Fn &, Args...>)
            std::invoke(fn, std::forward<Args>(args)...);
        else
            std::invoke(fn);
    }
}
} // namespace detail

// Connects a signal to a handler through guarded(): no exception crosses the event loop.
// The receiver may be any QObject; errors are shown over it when it is a widget.
template<typename Sender, typename Signal, typename Receiver, typename Fn>
QMetaObject::Connection connectGuarded(Sender *sender, Signal signal, Receiver *receiver, Fn fn)
{
    return QObject::connect(sender, signal, receiver, [receiver, fn](auto &&...args) {
        guarded(widgetOf(receiver), [&] { detail::callHandler(receiver, fn, args...); });
    });
}

// Hourglass cursor for busy operations, restored when the scope ends (also on error).
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace ui
