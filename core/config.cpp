#include "config.h"

#include "ui/styles.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>

QString AppConfig::filePath()
{
    return ui::userConfigDir() + QStringLiteral("/tabel.conf");
}

namespace {

// "1", "true", "yes", "on" (any case) turn a switch on; anything else turns it off.
bool switchedOn(const QString &text)
{
    static const QStringList on {QStringLiteral("1"), QStringLiteral("true"), QStringLiteral("yes"),
                                 QStringLiteral("on")};
    return on.contains(text.trimmed().toLower());
}

// Owner-only, also for a file an older build wrote for everyone. A new file is made empty and
// owner-only first, so the password is never in a file others may read; the settings writer
// keeps the permissions of the file it replaces.
void keepPrivate(const QString &path)
{
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (QFile::exists(path)) {
        QFile::setPermissions(path, owner);
        return;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, owner))
        file.close();
}

// The access code stays on only while the line is missing, empty or says so; any other word
// an administrator wrote ("false", "off", "нет") is taken as switching it off.
bool accessCodeOn(const QVariant &value, bool byDefault)
{
    const QString text = value.toString().trimmed();
    return text.isEmpty() ? byDefault : switchedOn(text);
}

} // namespace

AppConfig AppConfig::load()
{
    AppConfig c;
    const QString path = filePath();
    keepPrivate(path);
    {
        QSettings s(path, QSettings::IniFormat);
        if (!s.contains(QStringLiteral("server"))) {
            s.setValue(QStringLiteral("server"), c.server);
            s.setValue(QStringLiteral("port"), c.port);
            s.setValue(QStringLiteral("database"), c.database);
            s.setValue(QStringLiteral("login"), c.login);
            s.setValue(QStringLiteral("password"), c.password);
            s.setValue(QStringLiteral("show_hidden_commands"), c.showHiddenCommands);
            s.setValue(QStringLiteral("access_code"), c.accessCode);
            s.setValue(QStringLiteral("keep_journal_date"), c.keepJournalDate);
        } else {
            c.server = s.value(QStringLiteral("server"), c.server).toString();
            c.port = s.value(QStringLiteral("port"), c.port).toInt();
            c.database = s.value(QStringLiteral("database"), c.database).toString();
            c.login = s.value(QStringLiteral("login"), c.login).toString();
            c.password = s.value(QStringLiteral("password"), c.password).toString();
            c.showHiddenCommands
                = switchedOn(s.value(QStringLiteral("show_hidden_commands")).toString());
            c.accessCode = accessCodeOn(s.value(QStringLiteral("access_code")), c.accessCode);
            c.keepJournalDate = switchedOn(s.value(QStringLiteral("keep_journal_date")).toString());
        }
        s.sync();
    }
    keepPrivate(path);
    if (qEnvironmentVariableIsSet("TABEL_SHOW_HIDDEN_COMMANDS"))
        c.showHiddenCommands = switchedOn(qEnvironmentVariable("TABEL_SHOW_HIDDEN_COMMANDS"));
    return c;
}

CommandLine CommandLine::fromArguments(const QStringList &args)
{
    CommandLine cl;
    if (args.size() > 1)
        cl.arg1 = args.at(1);
    if (args.size() > 2)
        cl.arg2 = args.at(2);
    return cl;
}

// "host:port" names a server on another port than the default one.
static const QRegularExpression hostPort(QStringLiteral("^(.+):(\\d{1,5})$"));

QString CommandLine::server(const AppConfig &c) const
{
    if (!useArguments())
        return c.server;
    const auto m = hostPort.match(arg1);
    return m.hasMatch() ? m.captured(1) : arg1;
}

int CommandLine::port(const AppConfig &c) const
{
    if (!useArguments())
        return c.port;
    const auto m = hostPort.match(arg1);
    return m.hasMatch() ? m.captured(2).toInt() : 5432;
}

QString CommandLine::database(const AppConfig &c) const
{
    return useArguments() ? arg2 : c.database;
}
