// Eight clients at once on one database for a few minutes (bench/run_clients.sh): operations per
// second per kind and the checks of what the database holds at the end. The exit status is 1
// when a check fails. Started with the client arguments it is one of the clients.

#include "clients_harness.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char **argv)
{
    // Nothing is shown: the clients drive their windows offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (clients::isClientRole(args))
        return clients::runClient(args);

    QCommandLineParser parser;
    parser.addHelpOption();
    auto option = [&parser](const char *name, const char *help, const char *value) {
        QCommandLineOption o(QString::fromLatin1(name), QString::fromUtf8(help),
                             QStringLiteral("value"), QString::fromLatin1(value));
        parser.addOption(o);
        return o;
    };
    const auto server = option("server", "адрес сервера", "127.0.0.1");
    const auto port = option("port", "порт сервера", "5432");
    const auto database = option("database", "база с заводом", "tabel_clients");
    const auto admin = option("admin", "вход для подготовки и проверки", "tabel_admin");
    const auto password = option("admin-password", "его пароль", "");
    const auto count = option("clients", "число клиентов", "8");
    const auto seconds = option("seconds", "сколько секунд работают клиенты", "180");
    const auto seed = option("seed", "начало случайной последовательности", "1");
    parser.process(app);

    clients::Options o;
    o.host = parser.value(server);
    o.port = parser.value(port).toInt();
    o.database = parser.value(database);
    o.admin = parser.value(admin);
    o.adminPassword = parser.value(password);
    o.clients = parser.value(count).toInt();
    o.seconds = parser.value(seconds).toInt();
    o.seed = parser.value(seed).toUInt();
    o.program = QCoreApplication::applicationFilePath();

    const clients::Result r = clients::run(o);
    std::fputs(r.report().toUtf8().constData(), stdout);
    return r.ok() ? 0 : 1;
}
