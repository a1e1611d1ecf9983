#include "typed_input.h"

#include "db/db_error.h"

#include <QRegularExpression>

namespace ui {

namespace {

// A pasted text is shown in the message as far as a message box can hold it.
QString shownText(const QString &t)
{
    constexpr int kShown = 40;
    return t.size() > kShown ? t.left(kShown) + QStringLiteral("…") : t;
}

} // namespace

db::Decimal readNumber(const QString &typed, const NumberField &field)
{
    const QString t = typed.trimmed();
    const QString example = field.whole ? QStringLiteral("8") : QStringLiteral("12,5");
    if (t.isEmpty())
        throw db::ConversionError(
            QStringLiteral("Поле «%1» не заполнено. Введите число, например %2.")
                .arg(field.title, example));
    static const QRegularExpression decimal(QStringLiteral("^-?([0-9]+[.,]?[0-9]*|[.,][0-9]+)$"));
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    if (!(field.whole ? integer : decimal).match(t).hasMatch()) {
        throw db::ConversionError(
            field.whole
                ? QStringLiteral("Поле «%1»: «%2» не является целым числом. Введите целое число, "
                                 "например %3.")
                      .arg(field.title, shownText(t), example)
                : QStringLiteral("Поле «%1»: «%2» не является числом. Введите число, например "
                                 "%3.")
                      .arg(field.title, shownText(t), example));
    }
    const db::Decimal value = db::Decimal::parse(t);
    // Minus zero is zero; any other minus cannot be typed in these fields.
    if (value.compare(db::Decimal::fromInteger(0)) == 0)
        return db::Decimal::fromInteger(0);
    if (t.startsWith(u'-'))
        throw db::ConversionError(
            QStringLiteral("Поле «%1»: число не может быть отрицательным («%2»).")
                .arg(field.title, shownText(t)));
    const QByteArray digits = value.serverText();
    const qsizetype point = digits.indexOf('.');
    const qsizetype whole = point < 0 ? digits.size() : point;
    const int limit = field.whole ? qMin(field.wholeDigits, kIntegerDigits) : field.wholeDigits;
    if (whole > limit)
        throw db::ConversionError(
            QStringLiteral("Поле «%1»: число «%2» слишком велико (не более %3 цифр%4).")
                .arg(field.title, shownText(t))
                .arg(limit)
                .arg(field.whole ? QString() : QStringLiteral(" до запятой")));
    return value;
}

QString readText(const QString &typed, const QString &title, int limit)
{
    const QString t = typed.trimmed();
    // The server counts characters, not UTF-16 units: an emoji is one.
    const qsizetype length = t.toUcs4().size();
    if (length > limit)
        throw db::ConversionError(
            QStringLiteral("Поле «%1» длиннее %2 знаков (введено %3). Сократите текст.")
                .arg(title)
                .arg(limit)
                .arg(length));
    return t;
}

} // namespace ui
