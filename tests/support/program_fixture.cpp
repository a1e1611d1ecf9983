#include "program_fixture.h"

#include "app/login_window.h"
#include "app/startup.h"
#include "core/data_module.h"
#include "core/forms.h"
#include "journal/journal_window.h"

#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace testing {

ProgramFixture::ProgramFixture(TestDatabase::From from)
    : db(from)
{
    // Style file and config of this test alone.
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    QDir().mkpath(configDir());
    writeConfig(db.name());
}

ProgramFixture::~ProgramFixture()
{
    if (m_started)
        stopProgram();
}

QString ProgramFixture::serverArgument() const
{
    const TestServer &s = TestServer::get();
    return s.host + QLatin1Char(':') + QString::number(s.port);
}

void ProgramFixture::writeConfig(const QString &database, const QString &password)
{
    const TestServer &s = TestServer::get();
    QSettings c(configDir() + QStringLiteral("/tabel.conf"), QSettings::IniFormat);
    c.setValue(QStringLiteral("server"), s.host);
    c.setValue(QStringLiteral("port"), s.port);
    c.setValue(QStringLiteral("database"), database);
    c.setValue(QStringLiteral("login"), QStringLiteral("wvk"));
    c.setValue(QStringLiteral("password"), password);
}

bool ProgramFixture::start(const QStringList &args)
{
    m_started = true;
    // As main() starts: the login window on screen while the stored connection opens, then its
    // activation. A version check that ends the program still counts as started.
    startAndShowLogin(args.isEmpty() ? arguments() : args);
    return forms().dataModule && dataModule().ADO_DB.isOpen();
}

void ProgramFixture::login(const QString &login, const QString &password)
{
    seams.modal.script(QStringLiteral("TForm1"), ScriptedModal::reject());
    loginWindow()->Edit1->setText(login);
    loginWindow()->Edit2->setText(password);
    loginWindow()->Button1Click();
}

TForm1 *ProgramFixture::journal() const
{
    return forms().journal;
}

TForm23 *ProgramFixture::loginWindow() const
{
    return forms().login;
}

} // namespace testing
