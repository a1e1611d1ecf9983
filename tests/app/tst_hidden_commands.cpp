// The setting that shows the journal's hidden commands: the six buttons, "Табель по времени" and
// "Отчеты" stay hidden by default and show with show_hidden_commands on, for every login, the
// access modes still enabling and disabling them; the journal reads the setting at each showing.

#include "support/program_fixture.h"

#include "app/login_window.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>

using namespace testing;

namespace {

// What a user sees of one command while the journal is shown.
struct Seen
{
    bool visible = false;
    bool enabled = false;
};

struct JournalSeen
{
    QHash<QString, Seen> commands;
    bool otherMenusVisible = true; // "Склады", "Маркетинг", "Производство"
};

JournalSeen look(TForm1 *j)
{
    JournalSeen seen;
    for (QPushButton *b : {j->Button1, j->Button2, j->Button3, j->Button5, j->Button6, j->Button8})
        seen.commands[b->text()] = {b->isVisible(), b->isEnabled()};
    for (QAction *a : {j->menuTimesheetAction, j->menuReportsAction}) {
        // A menu bar shows an action when the action is visible and the bar is.
        seen.commands[a->text()] = {a->isVisible() && j->MainMenu1->isVisible(), a->isEnabled()};
    }
    seen.otherMenusVisible = false;
    for (QMenu *m : {j->menuStores, j->menuMarketing, j->menuProduction})
        seen.otherMenusVisible = seen.otherMenusVisible || m->menuAction()->isVisible();
    return seen;
}

void writeSetting(ProgramFixture &p, const QString &value)
{
    QSettings c(p.configDir() + QStringLiteral("/tabel.conf"), QSettings::IniFormat);
    c.setValue(QStringLiteral("show_hidden_commands"), value);
}

// Logs in as the login and returns what the journal showed while it was shown.
JournalSeen loginAndLook(ProgramFixture &p, const QString &login)
{
    JournalSeen seen;
    p.seams.modal.script<TForm1>([&](TForm1 *j) {
        seen = look(j);
        return int(QDialog::Rejected);
    });
    TForm23 *w = p.loginWindow();
    w->Edit1->setText(login);
    w->Edit2->setText(login);
    w->Button1Click();
    return seen;
}

} // namespace

class TestHiddenCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyLogin_data();
    void everyLogin();
    void readAtEachShowing();
};

void TestHiddenCommands::everyLogin_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("setting"); // "" = the key absent, as in a file of an older build
    // Enabled: "Добавить"/"Изменить"/"Удалить", "Принять", "Обновить", the timesheet, reports.
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("browse");
    QTest::addColumn<bool>("timesheet");
    QTest::addColumn<bool>("reports");
    struct Mode
    {
        const char *login;
        bool edit, accept, browse, timesheet, reports;
    };
    const Mode modes[] = {
        {"checker", false, true, true, false, false}, // acceptance
        {"senior", true, true, true, true, true}, // full
        {"clerk", true, false, true, true, true}, // entry
        {"plonta", false, false, false, false, true}, // view only
    };
    for (const Mode &m : modes) {
        for (const char *setting : {"", "false", "true"}) {
            QTest::addRow("%s, setting «%s»", m.login, setting)
                << QString::fromLatin1(m.login) << QString::fromLatin1(setting) << m.edit
                << m.accept << m.browse << m.timesheet << m.reports;
        }
    }
}

void TestHiddenCommands::everyLogin()
{
    QFETCH(QString, login);
    QFETCH(QString, setting);
    QFETCH(bool, edit);
    QFETCH(bool, accept);
    QFETCH(bool, browse);
    QFETCH(bool, timesheet);
    QFETCH(bool, reports);
    ProgramFixture p;
    if (!setting.isEmpty())
        writeSetting(p, setting);
    QVERIFY(p.start());
    const JournalSeen seen = loginAndLook(p, login);
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
    QVERIFY(!p.seams.modal.failed());

    const bool shown = setting == QLatin1String("true");
    const QHash<QString, bool> enabled {
        {QStringLiteral("Добавить"), edit},
        {QStringLiteral("Изменить"), edit},
        {QStringLiteral("Удалить"), edit},
        {QStringLiteral("Принять"), accept},
        {QStringLiteral("Принять ВСЕ"), true},
        {QStringLiteral("Обновить"), browse},
        {QStringLiteral("Табель по времени"), timesheet},
        {QStringLiteral("Отчеты"), reports},
    };
    QCOMPARE(seen.commands.size(), enabled.size());
    for (auto it = enabled.cbegin(); it != enabled.cend(); ++it) {
        QVERIFY2(seen.commands.contains(it.key()), qPrintable(it.key()));
        const Seen s = seen.commands.value(it.key());
        QVERIFY2(s.visible == shown, qPrintable(it.key()));
        // Qt disables a hidden menu action of its own accord; its mode shows once it is shown.
        const bool menu = it.key() == QStringLiteral("Табель по времени")
            || it.key() == QStringLiteral("Отчеты");
        if (shown || !menu)
            QVERIFY2(s.enabled == it.value(), qPrintable(it.key()));
    }
    // The menus without any action stay hidden in both states.
    QVERIFY(!seen.otherMenusVisible);
}

// The journal reads the setting each time it is shown, not once at creation.
void TestHiddenCommands::readAtEachShowing()
{
    ProgramFixture p;
    QVERIFY(p.start());
    QCOMPARE(dataModule().showHiddenCommands, false);
    p.login(QStringLiteral("senior"), QStringLiteral("senior"));
    TForm1 *j = p.journal();

    bool first = true, second = false;
    p.seams.modal.script<TForm1>([&](TForm1 *w) {
        first = w->Button1->isVisible();
        return int(QDialog::Rejected);
    });
    p.seams.modal.script<TForm1>([&](TForm1 *w) {
        second = w->Button1->isVisible() && w->menuReportsAction->isVisible();
        return int(QDialog::Rejected);
    });
    // Shown again as the login shows it, once with the setting off and once with it on.
    dataModule().showHiddenCommands = false;
    ui::showModal(j);
    dataModule().showHiddenCommands = true;
    ui::showModal(j);
    QVERIFY(!p.seams.modal.failed());
    QVERIFY(!first);
    QVERIFY(second);
}

QTEST_MAIN(TestHiddenCommands)
#include "tst_hidden_commands.moc"
