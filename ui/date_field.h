#pragma once
// The date field of every window: dd.MM.yyyy with a drop-down calendar, typed as a clerk types a
// date. Qt's own date edit types section by section from wherever the cursor happens to be, so
// "27.11.2026" typed over the whole text came out as 11.11.2026.

#include <QDate>
#include <QDateEdit>

namespace ui {

// Typing overwrites the digits, stepping over the points. A whole date typed over the selected
// text or after a click anywhere in it is the date typed, with or without the points
// ("27112026"); a point after a short day or month pads it ("5.3.2026" is 05.03.2026); digits
// typed into a day, month or year replace that part alone. Backspace and Delete blank digits.
// While the text is no date the field keeps the date it had before the typing, and shows it again
// when the typing ends (Enter, leaving the field); Esc during the typing takes it back. Tab into
// the field selects the whole text, Tab in it goes on to the next field.
class DateField : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateField(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void typeDigit(QChar digit);
    void typeSeparator();
    void overflow();
    void erase(bool backwards);
    // Starts a typing run: the date to fall back on is noted.
    void begin();
    // Ends the run; a text that is no date gives way to the field's date.
    void finish();
    void show(const QString &text, int cursor);
    // Sets the date without ending the run (dateChanged would).
    void setDateInRun(const QDate &d);
    QString dateText() const;

    bool m_typing = false;
    int m_typed = 0; // digits typed into the current section during this run
    QString m_keys; // digits and points of this run, to type again from the day
    bool m_replay = false;
    QDate m_before; // the date when the run began
    bool m_setting = false;
};

} // namespace ui
