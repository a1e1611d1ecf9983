#pragma once
// The reference lists' tests: the program started on a copy of the demo plant, logged in with
// full rights, and helpers that open a list from the journal's menu "Справочники".

#include "support/program_fixture.h"

#include "journal/journal_window.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

namespace dirtest {

using testing::typeText;

inline QStringList columnTexts(const QAbstractItemModel *m, int column)
{
    QStringList r;
    for (int row = 0; row < m->rowCount(); ++row)
        r << m->index(row, column).data().toString();
    return r;
}

struct Program
{
    testing::ProgramFixture p;

    Program() { p.seams.setNow(QDateTime(QDate(2026, 10, 7), QTime(9, 0))); }
    // Started and logged in; a failure is reported through QTest and leaves started() false.
    void in()
    {
        QVERIFY(p.start());
        p.login(QStringLiteral("senior"), QStringLiteral("senior"));
        QVERIFY2(p.seams.messages.shown().isEmpty(),
                 qPrintable(p.seams.messages.texts().join(u'\n')));
        m_started = true;
    }
    bool started() const { return m_started; }

    testing::ScriptedMessages &messages() { return p.seams.messages; }
    testing::ScriptedModal &modal() { return p.seams.modal; }
    QString scalar(const QString &sql) const { return p.db.scalar(sql); }
    int count(const QString &sql) const { return p.db.scalar(sql).toInt(); }

    // Opens the list of the menu item `action` of the journal; `inside` drives it while shown.
    template<typename Window>
    void fromMenu(const char *action, std::function<void(Window *)> inside)
    {
        modal().script<Window>([inside](Window *w) {
            inside(w);
            return int(QDialog::Rejected);
        });
        QAction *a = p.journal()->findChild<QAction *>(QLatin1String(action));
        QVERIFY(a);
        a->trigger();
    }

    // Fails the test when anything was left over: an unanswered box, a window without script.
    void verifyClean() const
    {
        QVERIFY2(!p.seams.messages.failed(), qPrintable(p.seams.messages.failures().join(u'\n')));
        QVERIFY2(!p.seams.modal.failed(), qPrintable(p.seams.modal.failures().join(u'\n')));
    }

private:
    bool m_started = false;
};

} // namespace dirtest
