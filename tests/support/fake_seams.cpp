#include "fake_seams.h"

#include "ui/error_log.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace testing {

namespace {

// Fails the running test function; the caller goes on with a harmless answer, so a
// missing script shows up as one clear failure instead of a hang or a crash.
void fail(QStringList &failures, const QString &text)
{
    failures.append(text);
    QTest::qFail(qPrintable(text), __FILE__, __LINE__);
}

QString describe(const RecordedMessage &m)
{
    return QStringLiteral("«%1»: «%2»").arg(m.caption, m.text);
}

QMessageBox::StandardButton harmlessAnswer(QMessageBox::StandardButtons buttons)
{
    for (auto b : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Abort, QMessageBox::Ok}) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

bool singleButton(QMessageBox::StandardButtons buttons)
{
    const auto bits = uint(buttons.toInt());
    return bits != 0 && (bits & (bits - 1)) == 0;
}

} // namespace

void typeText(QWidget *w, const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        const QString key = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, key);
        QApplication::sendEvent(w, &release);
    }
}

// --- message boxes -------------------------------------------------------------------------

QMessageBox::StandardButton ScriptedMessages::show(QWidget *parent, const QString &caption,
                                                   const QString &text, ui::Icon icon,
                                                   QMessageBox::StandardButtons buttons)
{
    const RecordedMessage message {caption, text, icon, buttons};
    m_shown.append(message);
    // The window under the box loses the activation while the box is up.
    const QPointer<QWidget> focused
        = m_takesActivation && m_open == 0 && parent ? parent->window()->focusWidget() : nullptr;
    struct Open
    {
        int &open;
        QPointer<QWidget> focused;
        ~Open()
        {
            if (--open == 0 && focused) {
                QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
                QApplication::sendEvent(focused, &in);
            }
        }
    } const up {++m_open, focused};
    if (focused) {
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(focused, &out);
    }
    if (m_hook)
        m_hook(message);
    if (singleButton(buttons))
        return QMessageBox::StandardButton(buttons.toInt());
    if (m_answers.isEmpty()) {
        fail(m_failures, QStringLiteral("No answer scripted for the box ") + describe(message));
        return harmlessAnswer(buttons);
    }
    const QMessageBox::StandardButton answer = m_answers.takeFirst();
    if (!buttons.testFlag(answer)) {
        fail(m_failures,
             QStringLiteral("The scripted answer %1 is not a button of the box %2")
                 .arg(int(answer))
                 .arg(describe(message)));
        return harmlessAnswer(buttons);
    }
    return answer;
}

QStringList ScriptedMessages::texts() const
{
    QStringList list;
    for (const RecordedMessage &m : m_shown)
        list << m.text;
    return list;
}

QStringList ScriptedMessages::errors() const
{
    QStringList list;
    for (const RecordedMessage &m : m_shown) {
        if (m.caption == QStringLiteral("Ошибка"))
            list << m.text;
    }
    return list;
}

RecordedMessage ScriptedMessages::last() const
{
    if (m_shown.isEmpty()) {
        QTest::qFail("No message box was shown", __FILE__, __LINE__);
        return {};
    }
    return m_shown.last();
}

void ScriptedMessages::clear()
{
    m_answers.clear();
    m_shown.clear();
    m_failures.clear();
}

// --- modal windows -------------------------------------------------------------------------

void ScriptedModal::script(const QString &className, Action action, int times)
{
    m_scripts[className].append({std::move(action), times});
}

int ScriptedModal::pending(const QString &className) const
{
    int n = 0;
    for (const Entry &e : m_scripts.value(className))
        n += e.times == kEveryTime ? 1 : e.times;
    return n;
}

int ScriptedModal::exec(QDialog *dialog)
{
    const QString name = QString::fromLatin1(dialog->metaObject()->className());
    m_shown.append(name);
    QList<Entry> &queue = m_scripts[name];
    if (queue.isEmpty()) {
        fail(m_failures, QStringLiteral("No script for the modal window ") + name);
        return QDialog::Rejected;
    }
    // Taken out before it runs: a nested showing of the same class gets the next action.
    Action action = queue.first().action;
    if (queue.first().times != kEveryTime && --queue.first().times == 0)
        queue.removeFirst();

    // Hidden again and the depth restored also when the action throws (a handler's error
    // called directly from a script), so the next test starts clean.
    struct Showing
    {
        QDialog *dialog;
        int &depth;
        ~Showing()
        {
            --depth;
            dialog->hide();
        }
    };
    dialog->setResult(0);
    dialog->show();
    ++m_depth;
    const Showing showing {dialog, m_depth};
    return action(dialog);
}

ScriptedModal::Action ScriptedModal::press(const QString &buttonName)
{
    return [buttonName](QDialog *dialog) {
        auto *button = dialog->findChild<QPushButton *>(buttonName);
        if (!button) {
            QTest::qFail(qPrintable(QStringLiteral("%1 has no button %2")
                                        .arg(QString::fromLatin1(dialog->metaObject()->className()),
                                             buttonName)),
                         __FILE__, __LINE__);
            return int(QDialog::Rejected);
        }
        button->click();
        return dialog->result();
    };
}

ScriptedModal::Action ScriptedModal::closeWindow()
{
    return [](QDialog *dialog) {
        dialog->close();
        return dialog->result();
    };
}

ScriptedModal::Action ScriptedModal::accept()
{
    return [](QDialog *dialog) {
        dialog->accept();
        return int(QDialog::Accepted);
    };
}

ScriptedModal::Action ScriptedModal::reject()
{
    return [](QDialog *dialog) {
        dialog->reject();
        return int(QDialog::Rejected);
    };
}

// --- spreadsheet output --------------------------------------------------------------------

QString RecordingSpreadsheets::folder()
{
    if (!m_folder.isEmpty())
        return m_folder;
    if (!m_temp)
        m_temp = std::make_unique<QTemporaryDir>();
    return QDir(m_temp->path()).filePath(QStringLiteral("Tabel"));
}

bool RecordingSpreadsheets::open(const QString &path)
{
    m_opened.append(path);
    return canOpen;
}

bool RecordingSpreadsheets::openFolder(const QString &folder)
{
    m_openedFolders.append(folder);
    return canOpen;
}

// --- file dialogs --------------------------------------------------------------------------

int ScriptedFileDialogs::exec(QFileDialog *dialog)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    m_shown.append({dialog->windowTitle(), dialog->directory().absolutePath(),
                    name ? name->text() : QString()});
    if (m_actions.isEmpty()) {
        fail(m_failures,
             QStringLiteral("No answer scripted for the file dialog «%1»")
                 .arg(dialog->windowTitle()));
        return QDialog::Rejected;
    }
    const Action action = m_actions.takeFirst();
    struct Showing
    {
        QDialog *dialog;
        ~Showing() { dialog->hide(); }
    };
    dialog->setResult(0);
    dialog->show();
    const Showing showing {dialog};
    return action(dialog);
}

ScriptedFileDialogs::Action ScriptedFileDialogs::typeAndSave(const QString &name)
{
    return [name](QFileDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
        if (!edit || !save) {
            QTest::qFail("The file dialog has no name field or save button", __FILE__, __LINE__);
            return int(QDialog::Rejected);
        }
        if (!name.isEmpty()) {
            edit->selectAll();
            typeText(edit, name);
        }
        save->click();
        return dialog->result();
    };
}

ScriptedFileDialogs::Action ScriptedFileDialogs::cancel()
{
    return [](QFileDialog *dialog) {
        dialog->reject();
        return int(QDialog::Rejected);
    };
}

// --- report preview ------------------------------------------------------------------------

reports::PreparedReport RecordedPreviews::last() const
{
    if (m_reports.isEmpty()) {
        QTest::qFail("No report was previewed", __FILE__, __LINE__);
        return {};
    }
    return m_reports.last();
}

// --- fixture -------------------------------------------------------------------------------

SeamsFixture::SeamsFixture()
{
    ui::setMessageSeam(&messages);
    ui::setModalSeam(&modal);
    ui::setEndSeam(&end);
    ui::setSpreadsheetSeam(&spreadsheets);
    ui::setReportPreviewSeam(&previews);
    ui::setFileDialogSeam(&fileDialogs);
    m_oldStateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", stateHome.path().toUtf8());
}

SeamsFixture::~SeamsFixture()
{
    ui::setMessageSeam(nullptr);
    ui::setModalSeam(nullptr);
    ui::setEndSeam(nullptr);
    ui::setSpreadsheetSeam(nullptr);
    ui::setReportPreviewSeam(nullptr);
    ui::setFileDialogSeam(nullptr);
    ui::setFixedNow(QDateTime());
    ui::setBuildStamp(nullptr);
    if (m_oldStateHome.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", m_oldStateHome);
}

QString SeamsFixture::errorLog() const
{
    QFile file(ui::errorLogPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void SeamsFixture::setBuildStamp(int date, int time)
{
    const ui::BuildStamp stamp {date, time};
    ui::setBuildStamp(&stamp);
}

} // namespace testing
