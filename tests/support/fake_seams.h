#pragma once
// Scripted stand-ins for the seams of ui/seams.h: message boxes answered from a queue, modal
// windows driven by scripts per window class, the program's end recorded, a fixed clock.
// Anything the script did not foresee fails the running test with a clear text.

#include "reports/engine/pages.h"
#include "ui/seams.h"

#include <QHash>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QDialog;
class QFileDialog;

namespace testing {

// Types the text key by key as a keyboard would (QTest::keyClicks takes Latin-1 only); a
// character outside the first plane (an emoji) is one key with both of its UTF-16 halves.
void typeText(QWidget *w, const QString &text);

struct RecordedMessage
{
    QString caption;
    QString text;
    ui::Icon icon = ui::Icon::None;
    QMessageBox::StandardButtons buttons;
};

// Boxes with a single button are answered with it and take nothing from the queue; a box
// with a choice takes the next scripted answer, which must be one of its buttons. A choice
// with nothing scripted fails the test and is answered No (or Cancel), the harmless way out.
class ScriptedMessages : public ui::MessageSeam
{
public:
    QMessageBox::StandardButton show(QWidget *parent, const QString &caption, const QString &text,
                                     ui::Icon icon, QMessageBox::StandardButtons buttons) override;

    void answer(QMessageBox::StandardButton button) { m_answers.append(button); }
    void answerYes() { answer(QMessageBox::Yes); }
    void answerNo() { answer(QMessageBox::No); }
    int pendingAnswers() const { return int(m_answers.size()); }
    // Runs when a box comes up, before it is answered (to look at the windows at that moment).
    void onShow(std::function<void(const RecordedMessage &)> hook) { m_hook = std::move(hook); }
    // Boxes take the activation from the window under them as real ones do: its focus widget
    // loses the focus (Qt::ActiveWindowFocusReason) when the first box comes up and gets it back
    // when that box is answered, before the caller's next line. Off unless a test asks for it.
    void setTakesActivation(bool on) { m_takesActivation = on; }

    const QList<RecordedMessage> &shown() const { return m_shown; }
    QStringList texts() const;
    QStringList errors() const; // texts of the boxes captioned "Ошибка"
    RecordedMessage last() const; // the last box; a test failure when there was none
    void clear();

    bool failed() const { return !m_failures.isEmpty(); }
    QStringList failures() const { return m_failures; }

private:
    QList<QMessageBox::StandardButton> m_answers;
    QList<RecordedMessage> m_shown;
    QStringList m_failures;
    std::function<void(const RecordedMessage &)> m_hook;
    bool m_takesActivation = false;
    int m_open = 0; // boxes up right now: only the first one deactivates the window
};

// Each time a window is shown modally the next action scripted for its class runs on it: it
// sets fields, presses buttons (nested windows are shown through ui::showModal as usual) and
// returns the window's result. The window is shown while its action runs and hidden after,
// as exec() would leave it. A window with no action left fails the test and returns Rejected.
class ScriptedModal : public ui::ModalSeam
{
public:
    using Action = std::function<int(QDialog *)>;
    static constexpr int kEveryTime = -1;

    int exec(QDialog *dialog) override;

    // Adds an action for windows of the class (the metaObject's className, e.g. "TForm5"),
    // used `times` times or, with kEveryTime, for every showing from then on.
    void script(const QString &className, Action action, int times = 1);
    // Typed variant: script<TForm5>([](TForm5 *w) { ...; return QDialog::Accepted; }).
    template<typename Window>
    void script(std::function<int(Window *)> action, int times = 1)
    {
        script(
            QString::fromLatin1(Window::staticMetaObject.className()),
            [action](QDialog *d) { return action(static_cast<Window *>(d)); }, times);
    }
    int pending(const QString &className) const;

    // Ready-made actions: click the named QPushButton and return the window's result;
    // close the window as its close box does; accept or reject it.
    static Action press(const QString &buttonName);
    static Action closeWindow();
    static Action accept();
    static Action reject();

    QStringList shown() const { return m_shown; } // class names, in the order shown
    int depth() const { return m_depth; } // modal windows open right now
    bool failed() const { return !m_failures.isEmpty(); }
    QStringList failures() const { return m_failures; }

private:
    struct Entry
    {
        Action action;
        int times;
    };
    QHash<QString, QList<Entry>> m_scripts;
    QStringList m_shown;
    QStringList m_failures;
    int m_depth = 0;
};

class RecordingEnd : public ui::EndSeam
{
public:
    void endProgram() override { ++m_count; }
    int count() const { return m_count; }
    void reset() { m_count = 0; }

private:
    int m_count = 0;
};

// Workbooks go to a folder of the test (a fresh temporary one unless set) and are recorded
// instead of opened; `canOpen` false plays a desktop without an application for .xlsx.
class RecordingSpreadsheets : public ui::SpreadsheetSeam
{
public:
    QString folder() override;
    bool open(const QString &path) override;

    bool openFolder(const QString &folder) override;

    void setFolder(const QString &folder) { m_folder = folder; }
    bool canOpen = true;
    QStringList opened() const { return m_opened; } // every file handed to open(), in order
    QStringList openedFolders() const { return m_openedFolders; } // every folder shown, in order

private:
    QString m_folder;
    std::unique_ptr<QTemporaryDir> m_temp;
    QStringList m_opened;
    QStringList m_openedFolders;
};

// The program's file dialogs: the real dialog is shown (and so polished, as on the screen) and
// the next scripted action answers it. A dialog with nothing scripted fails the test and is
// cancelled.
class ScriptedFileDialogs : public ui::FileDialogSeam
{
public:
    using Action = std::function<int(QFileDialog *)>;

    int exec(QFileDialog *dialog) override;
    void script(Action action) { m_actions.append(std::move(action)); }
    int pending() const { return int(m_actions.size()); }

    // Types `name` (a file name, or a path) into the dialog's name field as a person does, or
    // with "" keeps the name proposed, and presses its save button; returns the dialog's result
    // (a question it asks may keep it up).
    static Action typeAndSave(const QString &name = QString());
    static Action cancel();

    struct Shown
    {
        QString caption;
        QString folder; // the folder the dialog opened in
        QString name; // the name it proposed in its name field
    };
    const QList<Shown> &shown() const { return m_shown; }
    bool failed() const { return !m_failures.isEmpty(); }

private:
    QList<Action> m_actions;
    QList<Shown> m_shown;
    QStringList m_failures;
};

// The report preview: the prepared pages are kept for the test instead of being shown.
class RecordedPreviews : public ui::ReportPreviewSeam
{
public:
    void preview(QWidget *, const reports::PreparedReport &report) override
    {
        m_reports.append(report);
    }
    const QList<reports::PreparedReport> &reports() const { return m_reports; }
    int count() const { return int(m_reports.size()); }
    // The last report previewed; a test failure when there was none.
    reports::PreparedReport last() const;

private:
    QList<reports::PreparedReport> m_reports;
};

// Today and now fixed while the object lives.
class FixedClock
{
public:
    explicit FixedClock(const QDateTime &now) { set(now); }
    ~FixedClock() { ui::setFixedNow(QDateTime()); }
    FixedClock(const FixedClock &) = delete;
    FixedClock &operator=(const FixedClock &) = delete;
    void set(const QDateTime &now) { ui::setFixedNow(now); }
};

// Puts all fakes in for one test and the real seams back when it goes away.
class SeamsFixture
{
public:
    SeamsFixture();
    ~SeamsFixture();
    SeamsFixture(const SeamsFixture &) = delete;
    SeamsFixture &operator=(const SeamsFixture &) = delete;

    void setNow(const QDateTime &now) { ui::setFixedNow(now); }
    void setBuildStamp(int date, int time);

    ScriptedMessages messages;
    ScriptedModal modal;
    RecordingEnd end;
    RecordingSpreadsheets spreadsheets;
    RecordedPreviews previews;
    ScriptedFileDialogs fileDialogs;

    // The error log of this test: XDG_STATE_HOME points here while the fixture lives.
    QTemporaryDir stateHome;
    QString errorLog() const; // the log's whole text, "" when there is none

private:
    QByteArray m_oldStateHome;
};

} // namespace testing
