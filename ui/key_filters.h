#pragma once
// Key filters for number fields: only the characters a number may hold get through typing.

#include <QObject>

class QLineEdit;

namespace ui {

// Lets typed digits through, and for decimal fields also "," and "."; control keys (Backspace,
// Enter, Esc, Tab), shortcuts (Ctrl+A, Ctrl+V) and keys without text (arrows, Delete) pass
// unchanged. Only typing is filtered: a pasted text is taken as it is.
class NumericKeyFilter : public QObject
{
    Q_OBJECT
public:
    enum class Mode { Decimal, Integer };
    explicit NumericKeyFilter(Mode mode, QObject *parent = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // True when typing `text` is allowed in the mode.
    static bool accepts(Mode mode, const QString &text);

private:
    Mode m_mode;
};

// Installs a filter owned by the edit.
void allowDecimalKeys(QLineEdit *edit); // digits, ",", "." and Backspace
void allowIntegerKeys(QLineEdit *edit); // digits only

} // namespace ui
