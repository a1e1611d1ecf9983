// Start-up, login, access modes and the end of the program.

#include "support/program_fixture.h"

#include "app/login_window.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

using namespace testing;

namespace {

QString quoted(const QString &s, QChar q)
{
    QString r = s;
    r.replace(q, QString(2, q));
    return q + r + q;
}

// Logins made for the tests. They are cluster-wide, so a login is made once and never changed
// afterwards: the demo logins keep their passwords for the other tests.
void ensureLogin(TestDatabase &db, const QString &login, const QString &password)
{
    const QString name = quoted(login, QLatin1Char('"'));
    const bool exists = db.scalar(QStringLiteral("select count(*) from pg_roles where rolname = %1")
                                      .arg(quoted(login, QLatin1Char('\''))))
        != QLatin1String("0");
    if (exists)
        return;
    db.exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD %2")
                .arg(name, quoted(password, QLatin1Char('\''))));
    db.exec(QStringLiteral("GRANT tabel_users TO %1").arg(name));
}

const QString kNoConnection = QStringLiteral("Подключение к БД отсутсвует (сервер: %1, БД: %2)");

// What the login window looked like when it was first painted: on screen before the stored
// connection was used, or only after.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(SeamsFixture &seams)
        : m_seams(seams)
    {
        qApp->installEventFilter(this);
    }
    ~FirstPaint() override { qApp->removeEventFilter(this); }

    bool seen = false;
    bool roleOpen = false;
    QString title;
    int errors = 0;

    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (!seen && e->type() == QEvent::Paint && o->objectName() == QLatin1String("TForm23")) {
            seen = true;
            roleOpen = dataModule().role.isOpen();
            title = static_cast<QWidget *>(o)->windowTitle();
            errors = int(m_seams.messages.errors().size());
        }
        return false;
    }

private:
    SeamsFixture &m_seams;
};

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accessCodeLogsInAsStoredAccount();
    void accessCodeSetting_data();
    void accessCodeSetting();
    void firstStartWritesAccessCodeOn();
    void accessModes_data();
    void accessModes();
    void failedLogin_data();
    void failedLogin();
    void missingDatabaseAtStart();
    void specialCharactersInPassword();
    void oneArgumentUsesDefaults();
    void storedConnectionFailingEndsProgram();
    void loginShownWhileConnecting();
    void cancelEndsProgram();
    void closingJournalEndsProgram();
};

void TestLogin::accessCodeLogsInAsStoredAccount()
{
    ProgramFixture p;
    QVERIFY(p.start());
    // The password field starts with the access code, shown as stars.
    QCOMPARE(p.loginWindow()->Edit2->text(), QStringLiteral("4739"));
    QCOMPARE(p.loginWindow()->Edit2->displayText(), QStringLiteral("****"));
    p.login(QStringLiteral("кто-угодно"));
    TForm1 *j = p.journal();
    QCOMPARE(j->currentLogin, QStringLiteral("wvk"));
    QCOMPARE(j->currentPassword, QStringLiteral("wuvbzad"));
    QCOMPARE(j->accessMode, AccessMode::Full);
    QCOMPARE(j->windowTitle(),
             QStringLiteral("Табель (Сервер: %1, БД: %2, пользователь: wvk)")
                 .arg(p.serverArgument(), p.db.name()));
    QCOMPARE(p.seams.modal.shown(), QStringList {QStringLiteral("TForm1")});
    QVERIFY(p.loginWindow()->isHidden());
    QCOMPARE(j->currentShift, 1);
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
}

void TestLogin::accessCodeSetting_data()
{
    QTest::addColumn<QString>("setting"); // access_code in tabel.conf; null: no such line
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("loggedIn"); // "" when the login fails

    // tabel_code's own password is the code's text.
    QTest::newRow("no setting: the code") << QString() << "кто-угодно"
                                          << "wvk";
    QTest::newRow("on: the code before a password") << "true"
                                                    << "tabel_code"
                                                    << "wvk";
    QTest::newRow("empty: the code") << ""
                                     << "кто-угодно"
                                     << "wvk";
    QTest::newRow("off: refused") << "false"
                                  << "кто-угодно"
                                  << "";
    QTest::newRow("off: no stored account") << "false"
                                            << "wvk"
                                            << "";
    QTest::newRow("off: an ordinary password") << "false"
                                               << "tabel_code"
                                               << "tabel_code";
    QTest::newRow("OFF") << "OFF"
                         << "senior"
                         << "";
    QTest::newRow("0") << "0"
                       << "tabel_code"
                       << "tabel_code";
    QTest::newRow("a word it does not know: off") << "нет"
                                                  << "кто-угодно"
                                                  << "";
}

void TestLogin::accessCodeSetting()
{
    QFETCH(QString, setting);
    QFETCH(QString, login);
    QFETCH(QString, loggedIn);
    ProgramFixture p;
    ensureLogin(p.db, QStringLiteral("tabel_code"), QStringLiteral("4739"));
    if (!setting.isNull()) {
        QSettings c(p.configDir() + QStringLiteral("/tabel.conf"), QSettings::IniFormat);
        c.setValue(QStringLiteral("access_code"), setting);
    }
    QVERIFY(p.start());
    // The window starts the same either way; the user presses "Вход" with the field untouched.
    QCOMPARE(p.loginWindow()->Edit2->text(), QStringLiteral("4739"));
    p.seams.modal.script(QStringLiteral("TForm1"), ScriptedModal::reject());
    p.loginWindow()->Edit1->setText(login);
    p.loginWindow()->Button1->click();

    if (loggedIn.isEmpty()) {
        // A failed login as any other: the box, the end, no journal; the log keeps the server's
        // reason beside the box's text.
        QCOMPARE(p.seams.messages.errors(),
                 QStringList {kNoConnection.arg(p.serverArgument(), p.db.name())});
        QCOMPARE(p.seams.end.count(), 1);
        QVERIFY(!p.seams.modal.shown().contains(QStringLiteral("TForm1")));
        const QStringList log = p.seams.errorLog().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(log.size(), 2);
        QVERIFY2(log.at(0).contains(QStringLiteral("\"%1\"").arg(login.trimmed())),
                 qPrintable(log.at(0)));
        QVERIFY(log.at(1).endsWith(kNoConnection.arg(p.serverArgument(), p.db.name())));
        return;
    }
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
    QCOMPARE(p.seams.modal.shown(), QStringList {QStringLiteral("TForm1")});
    QCOMPARE(p.journal()->currentLogin, loggedIn);
    QCOMPARE(p.journal()->accessMode,
             loggedIn == QLatin1String("wvk") ? AccessMode::Full : AccessMode::Entry);
    QVERIFY(p.seams.errorLog().isEmpty());
}

void TestLogin::firstStartWritesAccessCodeOn()
{
    ProgramFixture p;
    const QString file = p.configDir() + QStringLiteral("/tabel.conf");
    QVERIFY(QFile::remove(file));
    // The arguments name the server; the stored account comes from the defaults just written.
    QVERIFY(p.start());
    // It holds a password: the user's alone.
    QCOMPARE(QFile::permissions(file)
                 & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                     | QFileDevice::WriteUser),
             QFileDevice::Permissions());
    QSettings c(file, QSettings::IniFormat);
    QCOMPARE(c.value(QStringLiteral("access_code")).toString(), QStringLiteral("true"));
    QCOMPARE(c.value(QStringLiteral("login")).toString(), QStringLiteral("wvk"));
    p.login(QStringLiteral("кто-угодно"));
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
    QCOMPARE(p.journal()->currentLogin, QStringLiteral("wvk"));
}

void TestLogin::accessModes_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("edit"); // Добавить, Изменить, Удалить
    QTest::addColumn<bool>("accept"); // Принять
    QTest::addColumn<bool>("menus"); // Справочники, Табель по времени
    QTest::addColumn<bool>("reports"); // Отчеты
    QTest::addColumn<bool>("browse"); // shifts, Выходной, Обновить, grid, date
    QTest::addColumn<bool>("titled");

    const int acc = int(AccessMode::Acceptance), full = int(AccessMode::Full),
              entry = int(AccessMode::Entry), view = int(AccessMode::ViewOnly);
    QTest::newRow("approverone") << "approverone" << acc << false << true << false << false << true
                                 << true;
    QTest::newRow("checker") << "checker" << acc << false << true << false << false << true << true;
    QTest::newRow("signatory") << "signatory" << acc << false << true << false << false << true
                               << true;
    QTest::newRow("senior") << "senior" << full << true << true << true << true << true << true;
    QTest::newRow("clerk") << "clerk" << entry << true << false << true << true << true << true;
    QTest::newRow("plonta trimmed")
        << "  plonta  " << view << false << false << false << true << false << false;
    QTest::newRow("Plonta is another login")
        << "Plonta" << entry << true << false << true << true << true << true;
}

void TestLogin::accessModes()
{
    QFETCH(QString, login);
    QFETCH(int, mode);
    QFETCH(bool, edit);
    QFETCH(bool, accept);
    QFETCH(bool, menus);
    QFETCH(bool, reports);
    QFETCH(bool, browse);
    QFETCH(bool, titled);

    ProgramFixture p;
    // The demo logins' passwords are the logins themselves.
    const QString trimmed = login.trimmed();
    ensureLogin(p.db, trimmed, trimmed);
    QVERIFY(p.start());
    p.login(login, QStringLiteral("  %1 ").arg(trimmed));
    TForm1 *j = p.journal();
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
    QCOMPARE(j->currentLogin, trimmed);
    QCOMPARE(int(j->accessMode), mode);
    QCOMPARE(j->Button1->isEnabled(), edit);
    QCOMPARE(j->Button2->isEnabled(), edit);
    QCOMPARE(j->Button3->isEnabled(), edit);
    QCOMPARE(j->Button5->isEnabled(), accept);
    QVERIFY(j->Button6->isEnabled());
    QCOMPARE(j->menuDirectoriesAction->isEnabled(), menus);
    // A hidden menu item reads as disabled; shown, it tells what the login set.
    for (QAction *hidden : {j->menuTimesheetAction, j->menuReportsAction}) {
        QVERIFY(!hidden->isVisible());
        hidden->setVisible(true);
    }
    QCOMPARE(j->menuTimesheetAction->isEnabled(), menus);
    QCOMPARE(j->menuReportsAction->isEnabled(), reports);
    for (QWidget *w : std::initializer_list<QWidget *> {j->RadioButton1, j->RadioButton4, j->CBox1,
                                                        j->Button8, j->DBGrid2, j->DateT})
        QCOMPARE(w->isEnabled(), browse);
    // The hidden buttons stay hidden whatever the mode.
    QVERIFY(j->Button1->isHidden() && j->Button5->isHidden() && j->Button8->isHidden());
    QVERIFY(!j->Button4->isHidden());
    if (titled)
        QVERIFY(j->windowTitle().endsWith(QStringLiteral("пользователь: %1)").arg(trimmed)));
    else
        QCOMPARE(j->windowTitle(), QStringLiteral("Табель"));
}

void TestLogin::failedLogin_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::newRow("wrong password") << "senior"
                                    << "не тот";
    QTest::newRow("unknown login") << "никто"
                                   << "x";
    QTest::newRow("password adding an option") << "senior"
                                               << "x;UID=wvk;PWD=wuvbzad";
    QTest::newRow("braces in password") << "senior"
                                        << "{senior}";
}

void TestLogin::failedLogin()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    ProgramFixture p;
    QVERIFY(p.start());
    p.login(login, password);
    QCOMPARE(p.seams.messages.errors(),
             QStringList {kNoConnection.arg(p.serverArgument(), p.db.name())});
    QCOMPARE(p.seams.end.count(), 1);
    QVERIFY(!p.seams.modal.shown().contains(QStringLiteral("TForm1")));
}

void TestLogin::missingDatabaseAtStart()
{
    ProgramFixture p;
    QVERIFY(!p.start({QStringLiteral("tabel"), p.serverArgument(), QStringLiteral("нет_такой")}));
    // The program's words in the box, the server's reason in the log beside them.
    QCOMPARE(p.seams.messages.errors(),
             QStringList {kNoConnection.arg(p.serverArgument(), QStringLiteral("нет_такой"))});
    QCOMPARE(p.seams.end.count(), 1);
    const QStringList log = p.seams.errorLog().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(log.size(), 2);
    QVERIFY2(log.at(0).contains(QStringLiteral("\"нет_такой\"")), qPrintable(log.at(0)));
}

void TestLogin::specialCharactersInPassword()
{
    ProgramFixture p;
    const QString password = QStringLiteral("a;b{c}d=e}");
    ensureLogin(p.db, QStringLiteral("tabel_spec{ial}"), password);
    QVERIFY(p.start());
    p.login(QStringLiteral("tabel_spec{ial}"), password);
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
    QCOMPARE(p.journal()->currentLogin, QStringLiteral("tabel_spec{ial}"));
    QCOMPARE(p.journal()->accessMode, AccessMode::Entry);
}

void TestLogin::oneArgumentUsesDefaults()
{
    ProgramFixture p;
    QVERIFY(p.start({QStringLiteral("tabel"), QStringLiteral("где-то")}));
    QCOMPARE(p.loginWindow()->Label3->text(), QStringLiteral("Сервер: где-то, БД: "));
    p.login(QStringLiteral("senior"), QStringLiteral("senior"));
    QVERIFY2(p.seams.messages.shown().isEmpty(), qPrintable(p.seams.messages.texts().join('\n')));
    QCOMPARE(p.journal()->windowTitle(),
             QStringLiteral("Табель (Сервер: где-то, БД: , пользователь: senior)"));
}

void TestLogin::storedConnectionFailingEndsProgram()
{
    ProgramFixture p;
    p.writeConfig(p.db.name(), QStringLiteral("не тот пароль"));
    const FirstPaint painted(p.seams);
    QVERIFY(!p.start({QStringLiteral("tabel")}));
    QCOMPARE(p.seams.messages.errors(),
             QStringList {kNoConnection.arg(p.serverArgument(), p.db.name())});
    QCOMPARE(p.seams.end.count(), 1);
    QVERIFY2(p.seams.errorLog().contains(QStringLiteral("wvk")), qPrintable(p.seams.errorLog()));
    // The window was on screen before the refusal came; its activation never ran.
    QVERIFY(painted.seen);
    QCOMPARE(painted.errors, 0);
    QVERIFY(p.loginWindow()->Label3->text().isEmpty());
    QCOMPARE(p.loginWindow()->windowTitle(), QStringLiteral("Авторизация"));
}

void TestLogin::loginShownWhileConnecting()
{
    ProgramFixture p;
    const FirstPaint painted(p.seams);
    QVERIFY(p.start());
    // First painted before the stored connection was used: no roles read, no version check.
    QVERIFY(painted.seen);
    QVERIFY(!painted.roleOpen);
    QCOMPARE(painted.title, QStringLiteral("Авторизация"));
    // Then the connection opened and the activation ran.
    QVERIFY(dataModule().role.isOpen());
    QVERIFY(p.loginWindow()->windowTitle().startsWith(QStringLiteral("Авторизация (build: ")));
    QCOMPARE(p.loginWindow()->Label3->text(),
             QStringLiteral("Сервер: %1, БД: %2").arg(p.serverArgument(), p.db.name()));
    QVERIFY(p.seams.messages.shown().isEmpty());
}

void TestLogin::cancelEndsProgram()
{
    ProgramFixture p;
    QVERIFY(p.start());
    QTest::keyClick(p.loginWindow(), Qt::Key_Escape);
    QCOMPARE(p.seams.end.count(), 1);
    p.seams.end.reset();
    p.loginWindow()->Button2->click();
    QCOMPARE(p.seams.end.count(), 1);
    QVERIFY(p.seams.modal.shown().isEmpty());
}

void TestLogin::closingJournalEndsProgram()
{
    ProgramFixture p;
    QVERIFY(p.start());
    // The journal closes by Esc while it is shown; the login does not come back.
    p.seams.modal.script(QStringLiteral("TForm1"), [](QDialog *d) {
        QTest::keyClick(d, Qt::Key_Escape);
        return d->result();
    });
    p.loginWindow()->Edit1->setText(QStringLiteral("senior"));
    p.loginWindow()->Edit2->setText(QStringLiteral("senior"));
    p.loginWindow()->Button1Click();
    QCOMPARE(p.seams.end.count(), 1);
    QVERIFY(p.loginWindow()->isHidden());
    QVERIFY(p.journal()->isHidden());
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
