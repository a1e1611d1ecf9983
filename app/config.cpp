#include "config.h"

#include "ui/styles.h"

#include <QRegularExpression>
#include <QSettings>

QString AppConfig::filePath()
{
    return ui::userConfigDir() + QStringLiteral("/tabel.conf");
}

// The access code stays on only while the line is missing, empty or says so; any other word
// an administrator wrote ("false", "off", "нет") is taken as switching it off.
static bool switchedOn(const QVariant &value, bool byDefault)
{
    const QString text = value.toString().trimmed().toLower();
    if (text.isEmpty())
        return byDefault;
    return text == QLatin1String("true") || text == QLatin1String("yes")
        || text == QLatin1String("on") || text == QLatin1String("1");
}

AppConfig AppConfig::load()
{
    AppConfig c;
    QSettings s(filePath(), QSettings::IniFormat);
    if (!s.contains(QStringLiteral("server"))) {
        s.setValue(QStringLiteral("server"), c.server);
        s.setValue(QStringLiteral("port"), c.port);
        s.setValue(QStringLiteral("database"), c.database);
        s.setValue(QStringLiteral("login"), c.login);
        s.setValue(QStringLiteral("password"), c.password);
        s.setValue(QStringLiteral("access_code"), c.accessCode);
        s.sync();
        return c;
    }
    c.server = s.value(QStringLiteral("server"), c.server).toString();
    c.port = s.value(QStringLiteral("port"), c.port).toInt();
    c.database = s.value(QStringLiteral("database"), c.database).toString();
    c.login = s.value(QStringLiteral("login"), c.login).toString();
    c.password = s.value(QStringLiteral("password"), c.password).toString();
    c.accessCode = switchedOn(s.value(QStringLiteral("access_code")), c.accessCode);
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
