#pragma once
// What every test of a server restart checks after the action that met the dead connection:
// exactly one error box, and it says in Russian that the server was lost.

#include "support/fake_seams.h"

#include <QStringList>

namespace reconnect {

// The first line of the box a lost connection gives.
inline const QString kLost = QStringLiteral("Связь с сервером базы данных потеряна");

// "" when the boxes shown after the first `before` ones are exactly one error box telling of the
// lost server; otherwise what was shown, for the failure text.
inline QString oneLostError(const testing::ScriptedMessages &m, int before = 0)
{
    const QList<testing::RecordedMessage> shown = m.shown().mid(before);
    const bool one = shown.size() == 1 && shown.first().caption == QStringLiteral("Ошибка")
        && shown.first().icon == ui::Icon::Error && shown.first().text.contains(kLost);
    if (one)
        return QString();
    QStringList texts;
    for (const testing::RecordedMessage &r : shown)
        texts << r.caption + QStringLiteral(": ") + r.text;
    return QStringLiteral("%1 boxes: %2").arg(shown.size()).arg(texts.join(QStringLiteral(" | ")));
}

// SQL that makes the server end the session writing `table` once, at its first row of `events`
// ("insert or update"), as a server lost in the middle of an action does; `atCommit`: when the
// transaction commits instead.
inline QString endSessionOnce(const QString &table, const QString &events, bool atCommit = false)
{
    return QStringLiteral("create sequence test_once; grant usage on sequence test_once to public; "
                          "create function test_end_session() returns trigger language plpgsql "
                          "as $f$ begin if nextval('test_once') = 1 then perform "
                          "pg_terminate_backend(pg_backend_pid()); end if; return new; end $f$; "
                          "create %1 trigger end_session %2 %3 on %4 %5 for each row execute "
                          "function test_end_session()")
        .arg(atCommit ? QStringLiteral("constraint") : QString(),
             atCommit ? QStringLiteral("after") : QStringLiteral("before"), events, table,
             atCommit ? QStringLiteral("deferrable initially deferred") : QString());
}

} // namespace reconnect

// Fails the test unless exactly one lost-server error was shown after `before` boxes.
#define VERIFY_ONE_LOST_ERROR(messages, before)                                                    \
    do {                                                                                           \
        const QString problem_ = reconnect::oneLostError(messages, before);                        \
        QVERIFY2(problem_.isEmpty(), qPrintable(problem_));                                        \
    } while (false)
