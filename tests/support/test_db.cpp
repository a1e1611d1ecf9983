#include "test_db.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QThread>
#include <clocale>

namespace testing {

static QString env(const char *name, bool required = true)
{
    const QString v = qEnvironmentVariable(name);
    if (v.isEmpty() && required)
        qFatal("Переменная окружения %s не задана: тесты запускает ./test.sh", name);
    return v;
}

const TestServer &TestServer::get()
{
    static const TestServer server = [] {
        TestServer s;
        s.host = env("TABEL_TEST_HOST");
        s.port = env("TABEL_TEST_PORT").toInt();
        s.admin = env("TABEL_TEST_ADMIN");
        s.adminPassword = env("TABEL_TEST_ADMIN_PASSWORD");
        s.templateDb = env("TABEL_TEST_TEMPLATE");
        s.demoDb = env("TABEL_TEST_DEMO", false);
        s.pgctl = env("TABEL_TEST_PGCTL");
        s.dataDir = env("TABEL_TEST_SOCKET");
        // A run under the office's locale that silently fell back to "C" (the locale not
        // generated) would prove nothing.
        const QByteArray wanted = qgetenv("LC_ALL").isEmpty() ? qgetenv("LANG") : qgetenv("LC_ALL");
        const char *ctype = std::setlocale(LC_CTYPE, nullptr);
        if (wanted.startsWith("ru_RU") && !(ctype && QByteArray(ctype).startsWith("ru_RU")))
            qFatal("Локаль %s не установлена в системе: тесты запускает ./test.sh",
                   wanted.constData());
        return s;
    }();
    return server;
}

static db::ConnectionParams paramsFor(const QString &database, const QString &login,
                                      const QString &password)
{
    const TestServer &s = TestServer::get();
    db::ConnectionParams p;
    p.database = database;
    p.server = s.host;
    p.port = s.port;
    p.login = login.isEmpty() ? s.admin : login;
    p.password = login.isEmpty() ? s.adminPassword : password;
    return p;
}

static void adminExec(const QString &database, const QString &sql)
{
    db::Connection c;
    c.open(db::buildConnectionString(paramsFor(database, QString(), QString())));
    db::Command cmd(&c);
    cmd.setText(sql);
    cmd.execute();
}

TestDatabase::TestDatabase(From from)
{
    static QAtomicInt counter;
    const TestServer &s = TestServer::get();
    const QString source = from == From::Demo ? s.demoDb : s.templateDb;
    if (source.isEmpty())
        qFatal("Переменная окружения TABEL_TEST_DEMO не задана");
    m_name = QStringLiteral("tabel_t_%1_%2_%3")
                 .arg(QCoreApplication::applicationPid())
                 .arg(counter.fetchAndAddRelaxed(1))
                 .arg(QDateTime::currentMSecsSinceEpoch() % 100000000);
    adminExec(QStringLiteral("postgres"),
              QStringLiteral("create database %1 template %2").arg(m_name, source));
}

TestDatabase::~TestDatabase()
{
    try {
        adminExec(QStringLiteral("postgres"),
                  QStringLiteral("drop database if exists %1 with (force)").arg(m_name));
    } catch (const db::DbError &e) {
        qWarning("Не удалось удалить базу %s: %s", qPrintable(m_name), qPrintable(e.text()));
    }
}

db::ConnectionParams TestDatabase::params(const QString &login, const QString &password) const
{
    return paramsFor(m_name, login, password);
}

QString TestDatabase::connectionString(const QString &login, const QString &password) const
{
    return db::buildConnectionString(params(login, password));
}

void TestDatabase::exec(const QString &sql) const
{
    adminExec(m_name, sql);
}

QString TestDatabase::scalar(const QString &sql) const
{
    db::Connection c;
    c.open(connectionString());
    db::Command cmd(&c);
    cmd.setText(sql);
    const QVariant v = cmd.executeScalar();
    return v.isNull() ? QString() : v.toString();
}

static void pgctl(const QStringList &args)
{
    QProcess p;
    p.start(TestServer::get().pgctl, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        qFatal("pg.sh %s: %s", qPrintable(args.join(u' ')),
               qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
}

static void waitForServer()
{
    const QString cs = db::buildConnectionString(paramsFor(QStringLiteral("postgres"), {}, {}));
    for (int attempt = 0; attempt < 300; ++attempt) {
        try {
            db::Connection c;
            c.open(cs);
            return;
        } catch (const db::DbError &) {
            QThread::msleep(100);
        }
    }
    qFatal("Сервер не принимает подключения после перезапуска");
}

void restartServer()
{
    pgctl({QStringLiteral("restart"), TestServer::get().dataDir});
    waitForServer();
}

void stopServer()
{
    pgctl({QStringLiteral("stop"), TestServer::get().dataDir});
}

void startServer()
{
    const TestServer &s = TestServer::get();
    pgctl({QStringLiteral("start"), s.dataDir, QString::number(s.port)});
    waitForServer();
}

} // namespace testing
