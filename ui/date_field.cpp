#include "date_field.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace ui {

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");
constexpr int kLength = 10;
// Day, month and year: where each starts and where it ends.
constexpr int kStarts[] = {0, 3, 6};
constexpr int kEnds[] = {2, 5, 10};
const QChar kBlank = QLatin1Char(' ');

int partAt(int pos)
{
    return pos < kStarts[1] ? 0 : pos < kStarts[2] ? 1 : 2;
}

bool separatorAt(int pos)
{
    return pos == kEnds[0] || pos == kEnds[1];
}

// The keypad's decimal key gives "," on a Russian keyboard; "/" and "-" are dates' points too.
bool isSeparator(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char('/')
        || c == QLatin1Char('-');
}

void blank(QString &text, int from, int to)
{
    for (int i = from; i < to && i < kLength; ++i) {
        if (!separatorAt(i))
            text[i] = kBlank;
    }
}

} // namespace

DateField::DateField(QWidget *parent)
    : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(kFormat);
    lineEdit()->installEventFilter(this);
    // A date set by the program or the calendar ends the typing.
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!m_setting)
            m_typing = false;
    });
}

QString DateField::dateText() const
{
    return date().toString(kFormat);
}

void DateField::begin()
{
    if (m_typing)
        return;
    m_typing = true;
    m_typed = 0;
    m_before = date();
}

void DateField::finish()
{
    m_typing = false;
    m_typed = 0;
    QLineEdit *edit = lineEdit();
    if (edit->text() != dateText()) {
        const int cursor = edit->cursorPosition();
        const QSignalBlocker block(edit);
        edit->setText(dateText());
        edit->setCursorPosition(cursor);
    }
}

// The field's date follows the text whenever the text is a date, so whoever reads the date
// (Enter in the journal, a report's button) gets what is shown; otherwise it is the date from
// before the typing, never a date half typed.
void DateField::show(const QString &text, int cursor)
{
    const QDate typed = text.contains(kBlank) ? QDate() : QDate::fromString(text, kFormat);
    const QDate target
        = typed.isValid() && typed >= minimumDate() && typed <= maximumDate() ? typed : m_before;
    setDateInRun(target);
    const QSignalBlocker block(lineEdit());
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
}

void DateField::setDateInRun(const QDate &d)
{
    if (date() == d)
        return;
    m_setting = true;
    setDate(d);
    m_setting = false;
}

void DateField::typeDigit(QChar digit)
{
    QLineEdit *edit = lineEdit();
    QString text = edit->text();
    if (text.size() != kLength)
        return;
    int pos = edit->cursorPosition();
    if (!m_typing || edit->hasSelectedText()) {
        begin();
        m_typed = 0;
        m_keys.clear();
        if (edit->hasSelectedText()) {
            // Typed over a selection: the selected digits go; over the whole text, a new date.
            pos = edit->selectionStart();
            blank(text, pos, pos + int(edit->selectedText().size()));
        } else if (pos >= kLength && !text.contains(kBlank)) {
            // At the end of a whole date there is nothing to add to: a new date begins.
            pos = 0;
            blank(text, 0, kLength);
        } else {
            if (separatorAt(pos))
                ++pos;
            // Typing into a whole day, month or year types it anew from its start.
            const int s = partAt(pos);
            if (pos < kLength && !text.mid(kStarts[s], kEnds[s] - kStarts[s]).contains(kBlank)) {
                pos = kStarts[s];
                blank(text, kStarts[s], kEnds[s]);
            }
        }
        m_replay = pos > 0;
    }
    m_keys += digit;
    if (separatorAt(pos)) {
        ++pos;
        m_typed = 0;
    }
    if (pos >= kLength) {
        overflow();
        return;
    }
    text[pos] = digit;
    ++pos;
    ++m_typed;
    if (separatorAt(pos)) {
        ++pos;
        m_typed = 0;
    }
    show(text, pos);
}

void DateField::typeSeparator()
{
    QLineEdit *edit = lineEdit();
    // Outside typing, or right after a day or month was filled and stepped over, a point has
    // nothing to close.
    if (!m_typing || edit->hasSelectedText())
        return;
    m_keys += QLatin1Char('.');
    if (m_typed == 0)
        return;
    const int pos = edit->cursorPosition();
    const int s = partAt(pos - 1);
    if (s == 2) {
        overflow();
        return;
    }
    // A short day or month: "5." is 05.
    QString text = edit->text();
    const int width = kEnds[s] - kStarts[s];
    const QString digits = text.mid(kStarts[s], pos - kStarts[s]).remove(kBlank);
    text.replace(kStarts[s], width, digits.rightJustified(width, QLatin1Char('0')));
    m_typed = 0;
    show(text, kStarts[s + 1]);
}

// More was typed than the rest of the field holds: the run was a whole date begun in the
// middle of the field (after a click into the month or the year), so it is typed again from the
// day.
void DateField::overflow()
{
    if (!m_replay)
        return;
    m_replay = false;
    const QString keys = m_keys;
    m_keys.clear();
    m_typed = 0;
    QString text = lineEdit()->text();
    blank(text, 0, kLength);
    show(text, 0);
    for (const QChar c : keys) {
        if (isSeparator(c))
            typeSeparator();
        else
            typeDigit(c);
    }
}

void DateField::erase(bool backwards)
{
    QLineEdit *edit = lineEdit();
    QString text = edit->text();
    if (text.size() != kLength)
        return;
    begin();
    m_typed = 0;
    m_replay = false;
    int pos = edit->cursorPosition();
    if (edit->hasSelectedText()) {
        pos = edit->selectionStart();
        blank(text, pos, pos + int(edit->selectedText().size()));
    } else if (backwards) {
        if (pos == 0)
            return;
        --pos;
        if (separatorAt(pos))
            --pos;
        text[pos] = kBlank;
    } else {
        if (separatorAt(pos))
            ++pos;
        if (pos >= kLength)
            return;
        text[pos] = kBlank;
        ++pos;
    }
    show(text, pos);
}

void DateField::keyPressEvent(QKeyEvent *event)
{
    if (isReadOnly()) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    // AltGr arrives as Ctrl+Alt and types characters; Ctrl or Meta alone are shortcuts.
    const Qt::KeyboardModifiers mods
        = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const bool plain = mods == Qt::NoModifier || mods == (Qt::ControlModifier | Qt::AltModifier);
    const QString typed = event->text();
    if (plain && typed.size() == 1 && typed.at(0).isPrint()) {
        const QChar c = typed.at(0);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            typeDigit(c);
        else if (isSeparator(c))
            typeSeparator();
        // Nothing else belongs in a date.
        event->accept();
        return;
    }
    if (plain && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
        erase(event->key() == Qt::Key_Backspace);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && m_typing) {
        // Esc takes the typing back; without typing it goes on to the window (a dialog closes).
        setDateInRun(m_before);
        finish();
        selectAll();
        event->accept();
        return;
    }
    finish();
    QDateEdit::keyPressEvent(event);
}

void DateField::focusInEvent(QFocusEvent *event)
{
    QDateEdit::focusInEvent(event);
    m_typing = false;
    // Coming from another field the whole date is selected, so typing replaces it; a click
    // puts the cursor where it was clicked.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        selectAll();
        break;
    default:
        break;
    }
}

void DateField::focusOutEvent(QFocusEvent *event)
{
    finish();
    QDateEdit::focusOutEvent(event);
}

void DateField::mousePressEvent(QMouseEvent *event)
{
    finish();
    QDateEdit::mousePressEvent(event);
}

bool DateField::focusNextPrevChild(bool next)
{
    // Tab leaves the field as it leaves every other field, instead of stepping through the
    // day, the month and the year.
    return QWidget::focusNextPrevChild(next);
}

bool DateField::eventFilter(QObject *watched, QEvent *event)
{
    // A click in the text ends the run but keeps what is typed, so a digit can be put right.
    if (watched == lineEdit()
        && (event->type() == QEvent::MouseButtonPress
            || event->type() == QEvent::MouseButtonDblClick))
        m_typing = false;
    return QDateEdit::eventFilter(watched, event);
}

} // namespace ui
