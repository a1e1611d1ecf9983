// Four clients at once for a few seconds on a copy of the demo plant, each a process of its own
// (this executable started again with the client arguments) on its own login: entering,
// changing, deleting and accepting records of the same workers and days, material on shared
// batches, brigades, month rebuilds. Afterwards every check of the database must hold.

#include "../bench/clients_harness.h"
#include "support/test_db.h"

#include <QApplication>
#include <QTest>

class TestClientsShort : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fourClientsKeepTheirData();
};

void TestClientsShort::fourClientsKeepTheirData()
{
    testing::TestDatabase db(testing::TestDatabase::From::Demo);
    const testing::TestServer &s = testing::TestServer::get();
    clients::Options o;
    o.host = s.host;
    o.port = s.port;
    o.database = db.name();
    o.admin = s.admin;
    o.adminPassword = s.adminPassword;
    o.clients = 4;
    o.seconds = 10;
    o.seed = 12;
    o.program = QCoreApplication::applicationFilePath();

    const clients::Result r = clients::run(o);
    qInfo().noquote() << r.report();
    QCOMPARE(r.checks.size(), 8);
    for (const clients::Check &c : r.checks)
        QVERIFY2(c.ok, qPrintable(c.name + QStringLiteral(": ") + c.detail));
    // Every kind of work was done (each client does every kind once before it goes random).
    for (const char *kind : {"ввод записи", "изменение", "удаление", "приёмка", "расход ТМЦ",
                             "деление бригады", "пересчёт месяца"})
        QVERIFY2(r.operations.value(QString::fromUtf8(kind)) > 0, kind);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (clients::isClientRole(app.arguments()))
        return clients::runClient(app.arguments());
    TestClientsShort test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clients_short.moc"
