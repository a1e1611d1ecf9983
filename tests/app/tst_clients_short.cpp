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
    void checksSeeWhatOthersDid();
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
    QCOMPARE(r.checks.size(), 10);
    for (const clients::Check &c : r.checks)
        QVERIFY2(c.ok, qPrintable(c.name + QStringLiteral(": ") + c.detail));
    // Every kind of work was done (each client does every kind once before it goes random).
    for (const char *kind : {"ввод записи", "изменение", "удаление", "приёмка", "расход ТМЦ",
                             "деление бригады", "пересчёт месяца"})
        QVERIFY2(r.operations.value(QString::fromUtf8(kind)) > 0, kind);
}

// The same run on a database with the old rules (the database let through what the windows
// did not ask) that changes behind the clients' backs what they write (triggers for the client
// logins only): every check of the data must see it.
void TestClientsShort::checksSeeWhatOthersDid()
{
    testing::TestDatabase db(testing::TestDatabase::From::Demo);
    db.exec(QStringLiteral("drop trigger smena_rules on accounts_dep.smena; drop trigger "
                           "smena_gds_use_rules on accounts_dep.smena_gds_use; grant update on "
                           "mnf_doc.requisition_item to tabel_entry"));
    const QString clientsOnly = QStringLiteral("if current_user like 'tabel_client%' then ");
    // Records: one more piece than entered, and accepted at once; the line needs nothing more,
    // and an accepted copy without material rows comes with each.
    db.exec(QStringLiteral("create function public.t_smena() returns trigger language plpgsql as "
                           "$$ begin %1 new.kol_vo = new.kol_vo + 1; new.ok = 'ok'; update "
                           "mnf_doc.requisition_item set f_qty = -1 where id = new.id_doc_item; "
                           "end if; return new; end $$")
                .arg(clientsOnly));
    db.exec(QStringLiteral("create function public.t_smena_copy() returns trigger language "
                           "plpgsql as $$ begin %1 if pg_trigger_depth() = 1 then insert into "
                           "accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, ok, id_doc, "
                           "id_doc_item) values (new.data, new.smena, new.w_id, new.i_id, "
                           "new.o_id, 1, 'ok', new.id_doc, new.id_doc_item); end if; end if; "
                           "return null; end $$")
                .arg(clientsOnly));
    // Material: a thousand times what was written.
    db.exec(QStringLiteral("create function public.t_use() returns trigger language plpgsql as $$ "
                           "begin %1 new.f_qty_use = new.f_qty_use * 1000; end if; return new; "
                           "end $$")
                .arg(clientsOnly));
    // Hours: an hour more on the 31st, and every new row twice.
    db.exec(QStringLiteral("create function public.t_hours() returns trigger language plpgsql as "
                           "$$ begin %1 new.d31 = coalesce(new.d31, 0) + 1; end if; return new; "
                           "end $$")
                .arg(clientsOnly));
    db.exec(QStringLiteral("create function public.t_hours_twice() returns trigger language "
                           "plpgsql as $$ begin %1 if pg_trigger_depth() = 1 then insert into "
                           "accounts_dep.h_tabel(w_id, smena, month, year) values (new.w_id, "
                           "new.smena, new.month, new.year); end if; end if; return null; end $$")
                .arg(clientsOnly));
    db.exec(QStringLiteral("create trigger t before insert on accounts_dep.smena for each row "
                           "execute function public.t_smena()"));
    db.exec(QStringLiteral("create trigger t2 after insert on accounts_dep.smena for each row "
                           "execute function public.t_smena_copy()"));
    db.exec(QStringLiteral("create trigger t before insert on accounts_dep.smena_gds_use for each "
                           "row execute function public.t_use()"));
    db.exec(QStringLiteral("create trigger t before insert or update on accounts_dep.h_tabel for "
                           "each row execute function public.t_hours()"));
    db.exec(QStringLiteral("create trigger t2 after insert on accounts_dep.h_tabel for each row "
                           "execute function public.t_hours_twice()"));

    const testing::TestServer &s = testing::TestServer::get();
    clients::Options o;
    o.host = s.host;
    o.port = s.port;
    o.database = db.name();
    o.admin = s.admin;
    o.adminPassword = s.adminPassword;
    o.clients = 2;
    o.seconds = 4;
    o.program = QCoreApplication::applicationFilePath();

    const clients::Result r = clients::run(o);
    qInfo().noquote() << r.report();
    QCOMPARE(r.checks.size(), 10);
    QVERIFY2(r.checks.first().ok, qPrintable(r.checks.first().detail)); // the clients ran
    for (const clients::Check &c : r.checks.mid(1))
        QVERIFY2(!c.ok, qPrintable(c.name));
    QVERIFY(!r.ok());
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
