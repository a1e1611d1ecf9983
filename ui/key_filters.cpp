#include "key_filters.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

NumericKeyFilter::NumericKeyFilter(Mode mode, QObject *parent)
    : QObject(parent)
    , m_mode(mode)
{
}

bool NumericKeyFilter::accepts(Mode mode, const QString &text)
{
    // By character: an emoji's two UTF-16 halves are not printable each, the emoji is.
    for (const uint c : text.toUcs4()) {
        if (!QChar::isPrint(char32_t(c)))
            continue; // Backspace, Enter, Ctrl+C and the like
        const bool digit = c >= '0' && c <= '9';
        const bool separator = mode == Mode::Decimal && (c == ',' || c == '.');
        if (!digit && !separator)
            return false;
    }
    return true;
}

bool NumericKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Shortcuts (Ctrl+A, Ctrl+V) are commands, not typing; AltGr arrives as Ctrl+Alt and
        // types characters, so it is filtered like plain keys.
        const Qt::KeyboardModifiers mods = key->modifiers();
        const bool shortcut
            = (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
        if (!shortcut && !accepts(m_mode, key->text()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void allowDecimalKeys(QLineEdit *edit)
{
    edit->installEventFilter(new NumericKeyFilter(NumericKeyFilter::Mode::Decimal, edit));
}

void allowIntegerKeys(QLineEdit *edit)
{
    edit->installEventFilter(new NumericKeyFilter(NumericKeyFilter::Mode::Integer, edit));
}

} // namespace ui
