// The office's rules as the database keeps them, whoever writes and however many write at once:
// a requisition line is never made beyond its need, an accepted record stays as it was accepted,
// acceptance finds its material rows under a lock, and each login writes only what its access
// mode offers. Two clerks are two connections sending the program's own statements.

#include "support/test_db.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"

#include <QTest>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <thread>

using namespace testing;

namespace {

const QString kNeed = QStringLiteral("Количество изделий не может быть больше требуемого!");
const QString kNoMaterials = QStringLiteral("Не заведен расход ТМЦ!");
// The line of the demo plant that still needs 19 of its 40 (the line 7).
const int kLine = 7;

QString passwordOf(const QString &login)
{
    return login == QLatin1String("wvk") ? QStringLiteral("wuvbzad") : login;
}

std::unique_ptr<db::Connection> connectAs(const TestDatabase &db, const QString &login)
{
    auto c = std::make_unique<db::Connection>();
    c->open(db.connectionString(login, passwordOf(login)));
    return c;
}

// What became of one statement: run, or refused with the server's words.
struct Outcome
{
    bool ran = false;
    QString text;
    QString state;
};

Outcome attempt(db::Connection &c, const QString &sql)
{
    try {
        db::Command cmd(&c);
        cmd.setText(sql);
        cmd.execute();
        return {true, {}, {}};
    } catch (const db::DbError &e) {
        return {false, e.text(), e.sqlState()};
    }
}

// The editor's insert of a new record (values as the editor fills them) on a requisition line,
// with the given operation of the line's process.
QString editorInsert(const TestDatabase &db, int line, const QString &operation, const QString &qty,
                     int rejects = 0)
{
    const QString values = db.scalar(
        QStringLiteral(
            "select format('%s, %s, %s, %s', o.id_inventory_items, o.id, o.price, '%1') "
            "|| format(', %s, date ''2026-12-10'', 1, %s, 8, ''10.12.2026'', ''no'', 0, %s, "
            "%s, 0, %s, 0', %2, ri.id_gds_color, ri.id_doc, ri.id, ri.id_gds) from "
            "mnf_doc.requisition_item ri, mnf_operation.operation o where ri.id = %3 and o.id = "
            "%4")
            .arg(qty)
            .arg(rejects)
            .arg(line)
            .arg(operation));
    return QStringLiteral(
               "insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, "
               "smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, "
               "id_gds_use, id_cons_use) values(5, %1) returning id")
        .arg(values);
}

// The first or the last operation of the process that makes the line's goods.
QString operationOf(const TestDatabase &db, int line, bool last)
{
    return db.scalar(QStringLiteral("select o.id from mnf_doc.requisition_item ri join "
                                    "mnf_proc_tech.proc_tech pt on pt.id_inventory_items = "
                                    "ri.id_gds join mnf_operation.operation o on o.id_proc_tech "
                                    "= pt.id where ri.id = %1 order by o.orderby %2 limit 1")
                         .arg(line)
                         .arg(last ? QStringLiteral("desc") : QStringLiteral("asc")));
}

QString stillNeeded(const TestDatabase &db, int line)
{
    return db.scalar(
        QStringLiteral("select (ri.f_qty - m.f_qty_made)::integer from mnf_doc.requisition_item "
                       "ri join mnf_doc.v_requisition_item_made m on m.id_doc_item = ri.id "
                       "where ri.id = %1")
            .arg(line));
}

// The whole row of a record and its material rows, to see that nothing of it changed.
QString recordState(const TestDatabase &db, int id)
{
    return db.scalar(QStringLiteral("select (select row(s.*)::text from accounts_dep.smena s "
                                    "where s.id = %1) || ' / ' || (select "
                                    "coalesce(string_agg(row(u.*)::text, ';' order by u.id), '') "
                                    "from accounts_dep.smena_gds_use u where u.id_smena = %1) || "
                                    "' / ' || (select count(*) from accounts_dep.smena)")
                         .arg(id));
}

// The first statement runs in a transaction that stays open while the second connection's
// statement starts on a thread of its own (a second clerk at the same moment); then the first
// commits. What became of the second statement, or nothing when it did not wait for the first.
std::optional<Outcome> secondWaitsForFirst(db::Connection &first, const QString &firstSql,
                                           db::Connection &second, const QString &secondSql)
{
    first.beginTransaction();
    const Outcome began = attempt(first, firstSql);
    if (!began.ran) {
        first.rollback();
        QTest::qFail(qPrintable(began.text), __FILE__, __LINE__);
        return std::nullopt;
    }
    Outcome later;
    std::atomic<bool> done {false};
    std::thread other([&] {
        later = attempt(second, secondSql);
        done = true;
    });
    // Long enough for a statement that no lock holds to have run.
    QTest::qWait(400);
    const bool waited = !done;
    first.commit();
    other.join();
    if (!waited)
        return std::nullopt;
    return later;
}

enum Modes { None = 0, Entry = 1, Acceptance = 2, Stamp = 4 };

// The demo logins and what each one's access mode offers.
const std::map<QString, int> kLogins {
    {QStringLiteral("wvk"), Entry | Acceptance | Stamp},
    {QStringLiteral("senior"), Entry | Acceptance},
    {QStringLiteral("clerk"), Entry},
    {QStringLiteral("approverone"), Acceptance},
    {QStringLiteral("checker"), Acceptance},
    {QStringLiteral("signatory"), Acceptance},
    {QStringLiteral("plonta"), None},
};

} // namespace

class TestDbRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void twoClerksOnOneLine();
    void lineNeed_data();
    void lineNeed();
    void acceptedRecordStays_data();
    void acceptedRecordStays();
    void acceptanceMeetsMaterialChange_data();
    void acceptanceMeetsMaterialChange();
    void rights_data();
    void rights();
    void cleanupTestCase();

private:
    // One database for the table of rights: every write is rolled back.
    std::unique_ptr<TestDatabase> m_rightsDb;
    std::map<QString, std::unique_ptr<db::Connection>> m_logins;
    std::map<QString, QString> m_ids; // placeholders of the rights' statements
};

void TestDbRules::twoClerksOnOneLine()
{
    TestDatabase db(TestDatabase::From::Demo);
    QCOMPARE(stillNeeded(db, kLine), QStringLiteral("19"));
    const QString save = editorInsert(db, kLine, operationOf(db, kLine, true), "15");
    auto first = connectAs(db, QStringLiteral("clerk"));
    auto second = connectAs(db, QStringLiteral("clerk"));

    // The first clerk's save is under way (the record and its hours are one transaction) when
    // the second one saves on the same line: the second waits for the line, then counts it.
    const auto secondSave = secondWaitsForFirst(*first, save, *second, save);
    QVERIFY2(secondSave, "the second save did not wait for the line");
    QVERIFY(!secondSave->ran);
    QCOMPARE(secondSave->text, kNeed);
    QCOMPARE(stillNeeded(db, kLine), QStringLiteral("4"));
}

void TestDbRules::lineNeed_data()
{
    // Records on the line before the clerk's save (operation "last" or "first" of the process,
    // quantity, rejects), then what the clerk saves: a new record, or the first record changed.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("save");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("the whole need") << QStringList() << "insert last 19 0" << true;
    QTest::newRow("one above the need") << QStringList() << "insert last 20 0" << false;
    QTest::newRow("a fraction above") << QStringList() << "insert last 19.000001 0" << false;
    QTest::newRow("an earlier operation is bounded too")
        << QStringList() << "insert first 20 0" << false;
    QTest::newRow("earlier operations make nothing")
        << QStringList {"first 15 0", "first 15 0"} << "insert last 19 0" << true;
    QTest::newRow("rejects are not made") << QStringList {"last 15 5"} << "insert last 9 0" << true;
    QTest::newRow("rejects are not made, the rest is")
        << QStringList {"last 15 5"} << "insert last 10 0" << false;
    QTest::newRow("a change counts the others, not the record")
        << QStringList {"last 15 0"} << "update 19" << true;
    QTest::newRow("a change above the need")
        << QStringList {"last 15 0", "last 2 0"} << "update 18" << false;
}

void TestDbRules::lineNeed()
{
    QFETCH(QStringList, before);
    QFETCH(QString, save);
    QFETCH(bool, allowed);
    TestDatabase db(TestDatabase::From::Demo);
    auto clerk = connectAs(db, QStringLiteral("clerk"));
    const auto op = [&](const QString &which) {
        return operationOf(db, kLine, which == QLatin1String("last"));
    };
    QString firstId;
    for (const QString &r : before) {
        const QStringList f = r.split(u' ');
        db::Command ins(clerk.get());
        ins.setText(editorInsert(db, kLine, op(f[0]), f[1], f[2].toInt()));
        const QString id = ins.executeScalar().toString();
        if (firstId.isEmpty())
            firstId = id;
    }
    const QString need = stillNeeded(db, kLine);
    const QString rows = db.scalar("select count(*) from accounts_dep.smena");

    const QStringList s = save.split(u' ');
    const Outcome o = s[0] == QLatin1String("insert")
        ? attempt(*clerk, editorInsert(db, kLine, op(s[1]), s[2], s[3].toInt()))
        : attempt(*clerk,
                  QStringLiteral("update accounts_dep.SMENA set kol_vo=%1, vvod='10.12.2026' "
                                 "where id=%2")
                      .arg(s[1], firstId));
    QVERIFY2(o.ran == allowed, qPrintable(o.text));
    if (!allowed) {
        QCOMPARE(o.text, kNeed);
        QCOMPARE(stillNeeded(db, kLine), need);
        QCOMPARE(db.scalar("select count(*) from accounts_dep.smena"), rows);
    }
}

void TestDbRules::acceptedRecordStays_data()
{
    // Who asks (empty: the database's owner), what, and the refusal (%1: the record).
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("refusal");

    const QString changed = QStringLiteral("Запись журнала № %1 уже принята: изменить её нельзя");
    const QString deleted = QStringLiteral("Запись журнала № %1 уже принята: удалить её нельзя");
    const QString materials
        = QStringLiteral("Запись журнала № %1 уже принята: изменить её расход ТМЦ нельзя");
    const QString editorUpdate = QStringLiteral(
        "update accounts_dep.SMENA set w_id=5, i_id=203, o_id=17, cena=3.5, kol_vo=3, brak=0, "
        "data=to_date('10.12.2026', 'DD.MM.YYYY'), smena=1, color=7035, time=8, "
        "vvod='10.12.2026', prize=0, f_gds_qty_use=0, id_gds_use=203, id_cons_use=0 where id=%1");
    for (const QString &login : {QStringLiteral("clerk"), QStringLiteral("wvk"), QString()}) {
        const QString who = login.isEmpty() ? QStringLiteral("owner") : login;
        QTest::addRow("%s: the editor's update", qPrintable(who))
            << login << editorUpdate << changed;
        QTest::addRow("%s: delete", qPrintable(who))
            << login << "delete from accounts_dep.smena where id=%1" << deleted;
        QTest::addRow("%s: material row deleted", qPrintable(who))
            << login << "delete from accounts_dep.smena_gds_use where id_smena=%1" << materials;
        QTest::addRow("%s: material row added", qPrintable(who))
            << login
            << "insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) "
               "values (%1, 501, 1)"
            << materials;
        QTest::addRow("%s: material row changed", qPrintable(who))
            << login << "update accounts_dep.smena_gds_use set f_qty_use = 0 where id_smena=%1"
            << materials;
        QTest::addRow("%s: divided between a brigade", qPrintable(who))
            << login
            << "insert into accounts_dep.person_temp(id_smena, id_person) values(%1,'9'); "
               "select accounts_dep.divide_between_person(%1)"
            << "Запись журнала № %1 уже принята: разделить её нельзя";
    }
    QTest::newRow("owner: made not accepted")
        << QString() << "update accounts_dep.smena set ok='no' where id=%1" << changed;
}

void TestDbRules::acceptedRecordStays()
{
    QFETCH(QString, login);
    QFETCH(QString, sql);
    QFETCH(QString, refusal);
    TestDatabase db(TestDatabase::From::Demo);
    // An accepted record with one material row.
    const QString id = db.scalar(
        "select min(s.id) from accounts_dep.smena s where s.ok = 'ok' and "
        "(select count(*) from accounts_dep.smena_gds_use u where u.id_smena = s.id) = 1");
    QVERIFY(!id.isEmpty());
    const QString before = recordState(db, id.toInt());

    db::Connection c;
    c.open(login.isEmpty() ? db.connectionString() : db.connectionString(login, passwordOf(login)));
    const Outcome o = attempt(c, sql.arg(id));
    QVERIFY2(!o.ran, "an accepted record was changed");
    QCOMPARE(o.text, refusal.arg(id));
    QCOMPARE(recordState(db, id.toInt()), before);
}

void TestDbRules::acceptanceMeetsMaterialChange_data()
{
    QTest::addColumn<bool>("acceptanceFirst");
    QTest::newRow("the material row goes first") << false;
    QTest::newRow("acceptance comes first") << true;
}

void TestDbRules::acceptanceMeetsMaterialChange()
{
    QFETCH(bool, acceptanceFirst);
    TestDatabase db(TestDatabase::From::Demo);
    // An open record with one material row, which a clerk deletes while the record is accepted.
    const QString id = db.scalar(
        "select min(s.id) from accounts_dep.smena s where s.ok = 'no' and "
        "(select count(*) from accounts_dep.smena_gds_use u where u.id_smena = s.id) = 1");
    QVERIFY(!id.isEmpty());
    auto clerk = connectAs(db, QStringLiteral("clerk"));
    auto checker = connectAs(db, QStringLiteral("checker"));
    const QString accept = QStringLiteral("select accounts_dep.smena__accept_row_hwo(%1)").arg(id);
    const QString remove
        = QStringLiteral("delete from accounts_dep.smena_gds_use where id_smena = %1").arg(id);

    const auto later = acceptanceFirst ? secondWaitsForFirst(*checker, accept, *clerk, remove)
                                       : secondWaitsForFirst(*clerk, remove, *checker, accept);
    QVERIFY2(later, "the second change did not wait for the first");
    QVERIFY(!later->ran);
    QCOMPARE(later->text,
             acceptanceFirst
                 ? QStringLiteral("Запись журнала № %1 уже принята: изменить её расход ТМЦ нельзя")
                       .arg(id)
                 : kNoMaterials);
    QCOMPARE(db.scalar(QStringLiteral("select ok || ' ' || (select count(*) from "
                                      "accounts_dep.smena_gds_use u where u.id_smena = s.id) "
                                      "from accounts_dep.smena s where s.id = %1")
                           .arg(id)),
             acceptanceFirst ? QStringLiteral("ok 1") : QStringLiteral("no 0"));
}

void TestDbRules::rights_data()
{
    // Every write the program makes (its statements with values of the demo plant; ids in
    // braces are rows made for the purpose), and the access modes that offer it.
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("allowed");

    const QList<std::pair<QString, std::pair<QString, int>>> writes {
        {"record added",
         {"insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, "
          "color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, "
          "id_cons_use) values(5, 203, 17, 3.5, 1, 0, to_date('10.12.2026', 'DD.MM.YYYY "
          "HH24:MI:SS'), 1, 7035, 8, '10.12.2026', 'no', 0, 3, 7, 0, 203, 0) returning id",
          Entry}},
        {"record changed",
         {"update accounts_dep.SMENA set w_id=5, i_id=203, o_id=17, cena=3.5, kol_vo=1, brak=0, "
          "data=to_date('10.12.2026', 'DD.MM.YYYY'), smena=1, color=7035, time=8, "
          "vvod='10.12.2026', prize=0, f_gds_qty_use=0, id_gds_use=203, id_cons_use=0 where "
          "id={open}",
          Entry}},
        {"record deleted", {"delete from accounts_dep.smena where id={open}", Entry}},
        {"record accepted", {"select accounts_dep.smena__accept_row_hwo({open})", Acceptance}},
        {"acceptance mark written",
         {"update accounts_dep.smena set ok='ok' where id={open}", None}},
        {"record added accepted",
         {"insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo, ok) values "
          "(date '2026-12-10', 1, 5, 203, 17, 1, 'ok')",
          None}},
        {"material row added",
         {"insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values "
          "({open}, 501, 1) returning *",
          Entry}},
        {"material row deleted",
         {"delete from accounts_dep.smena_gds_use where id={material}", Entry}},
        {"brigade member added",
         {"insert into accounts_dep.person_temp(id_smena, id_person) values({open},'9')", Entry}},
        {"brigade member removed",
         {"delete from accounts_dep.person_temp where id = {member}", Entry}},
        {"brigade divided", {"select accounts_dep.divide_between_person({brigade})", Entry}},
        {"hours row added",
         {"insert into accounts_dep.h_tabel(smena, w_id, month, year, d3) values(1, 5, 1, 2027, "
          "8)",
          Entry}},
        {"hours day written", {"update accounts_dep.h_tabel set d10=8 where id={hours}", Entry}},
        {"hours row deleted", {"delete from accounts_dep.h_tabel where id={hours}", Entry}},
        {"norm added",
         {"insert into accounts_dep.norm (o_id, norma, prize, price) values (17, 1, 1, 1) "
          "returning *",
          Entry}},
        {"norm changed", {"update accounts_dep.norm set norma = 2 where id={norm}", Entry}},
        {"norm deleted", {"delete from accounts_dep.norm where id={norm}", Entry}},
        {"worker added",
         {"INSERT INTO cmn_contractor.person (s_caption, s_second_name, s_first_name, "
          "s_third_name, id_staffpos, id_department, id_role)VALUES('А Б В', 'А', 'Б', 'В', 4, "
          "4, 1)",
          Entry}},
        {"worker changed",
         {"UPDATE cmn_contractor.person set s_first_name='Б' where id={person}", Entry}},
        {"worker deleted", {"delete from cmn_contractor.person where id={person}", Entry}},
        {"department added",
         {"insert into cmn_department.department (s_caption, s_description, id_parent, type, "
          "s_type) values ('Цех', '', 0, -1, '')",
          Entry}},
        {"department changed",
         {"UPDATE cmn_department.department set s_caption='Цех' where id={department}", Entry}},
        {"department deleted",
         {"delete from cmn_department.department where id={department}", Entry}},
        {"position added",
         {"insert into hrms_staffpos.staffpos (s_caption, s_description, id_department) values "
          "('Мастер', '', 0)",
          Entry}},
        {"position changed",
         {"UPDATE hrms_staffpos.staffpos set s_caption='Мастер' where id={position}", Entry}},
        {"position deleted", {"delete from hrms_staffpos.staffpos where id={position}", Entry}},
        {"group added",
         {"insert into cmn_inventory_items.nomenclature (s_caption, id_department) values "
          "('Группа', 0)",
          Entry}},
        {"group changed",
         {"UPDATE cmn_inventory_items.nomenclature set s_caption='Группа' where id={group}",
          Entry}},
        {"group deleted", {"delete from cmn_inventory_items.nomenclature where id={group}", Entry}},
        {"item added",
         {"insert into cmn_inventory_items.inventory_items(marka, id_nom, massa)VALUES('Х' , 1, "
          "1)",
          Entry}},
        {"item changed",
         {"UPDATE cmn_inventory_items.inventory_items set marka='Х' where id={item}", Entry}},
        {"item deleted",
         {"delete from cmn_inventory_items.inventory_items where id={item}", Entry}},
        {"operation type added",
         {"insert into mnf_operation.operation_type (s_caption, s_description) values ('Резка', "
          "'')",
          Entry}},
        {"operation type changed",
         {"UPDATE mnf_operation.operation_type set s_caption='Резка' where id={type}", Entry}},
        {"operation type deleted",
         {"delete from mnf_operation.operation_type where id={type}", Entry}},
        {"process added",
         {"insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items)VALUES('ТП' ,201)",
          Entry}},
        {"process changed",
         {"UPDATE mnf_proc_tech.proc_tech set s_caption='ТП' where id={process}", Entry}},
        {"process deleted", {"delete from mnf_proc_tech.proc_tech where id={process}", Entry}},
        {"operation added",
         {"INSERT INTO mnf_operation.operation (id_type, id_state, price, id_inventory_items, "
          "id_proc_tech, orderby) VALUES (1, 1, 2.5, 201, {process}, 2)",
          Entry}},
        {"operation changed",
         {"UPDATE mnf_operation.operation set price=3 where id={operation}", Entry}},
        {"operation deleted", {"delete from mnf_operation.operation where id={operation}", Entry}},
        {"build stamped", {"update ver set d = d + 1, t = 0 where id = 1", Stamp}},
        {"decimal separator written", {"update ver set delim = ',' where id = 1", None}},
    };
    for (const auto &[login, modes] : kLogins) {
        for (const auto &[name, write] : writes)
            QTest::addRow("%s: %s", qPrintable(login), qPrintable(name))
                << login << write.first << bool(modes & write.second);
    }
}

void TestDbRules::rights()
{
    QFETCH(QString, login);
    QFETCH(QString, sql);
    QFETCH(bool, allowed);
    if (!m_rightsDb) {
        m_rightsDb = std::make_unique<TestDatabase>(TestDatabase::From::Demo);
        const TestDatabase &db = *m_rightsDb;
        // Rows each write may change or delete without touching anything else.
        db.exec("insert into cmn_department.department (id, s_caption) values (900, 'Цех 9'); "
                "insert into hrms_staffpos.staffpos (id, s_caption) values (900, 'Пост'); "
                "insert into cmn_inventory_items.nomenclature (id, s_caption) values (900, 'Г'); "
                "insert into cmn_inventory_items.inventory_items (id, marka) values (900, 'М'), "
                "(901, 'М1'); "
                "insert into mnf_operation.operation_type (id, s_caption) values (900, 'Т'), "
                "(901, 'Т1'); "
                "insert into mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) values "
                "(900, 'П', 900); "
                "insert into mnf_operation.operation (id, id_type, id_state, id_inventory_items, "
                "id_proc_tech, orderby) values (900, 900, 1, 900, 900, 1); "
                "insert into accounts_dep.norm (id, o_id, norma) values (900, 900, 1); "
                "insert into cmn_contractor.person (id, s_caption) values (900, 'Н Н Н'); "
                "insert into accounts_dep.h_tabel (id, w_id, smena, month, year) values (900, 5, "
                "1, 2, 2027)");
        m_ids = {{"{department}", "900"}, {"{position}", "900"}, {"{group}", "900"},
                 {"{item}", "901"},       {"{type}", "901"},     {"{process}", "900"},
                 {"{operation}", "900"},  {"{norm}", "900"},     {"{person}", "900"},
                 {"{hours}", "900"}};
        // An open record with material rows (acceptance passes), one of its rows, a brigade.
        m_ids["{open}"] = db.scalar(
            "select min(s.id) from accounts_dep.smena s where s.ok = 'no' and exists (select 1 "
            "from accounts_dep.smena_gds_use u where u.id_smena = s.id)");
        m_ids["{material}"] = db.scalar(
            "select min(id) from accounts_dep.smena_gds_use where id_smena = " + m_ids["{open}"]);
        m_ids["{member}"] = db.scalar("select min(id) from accounts_dep.person_temp");
        m_ids["{brigade}"] = db.scalar("select min(id_smena) from accounts_dep.person_temp");
        for (const auto &[key, value] : m_ids)
            QVERIFY2(!value.isEmpty(), qPrintable(key));
    }
    std::unique_ptr<db::Connection> &c = m_logins[login];
    if (!c)
        c = connectAs(*m_rightsDb, login);
    for (const auto &[key, value] : m_ids)
        sql.replace(key, value);

    c->beginTransaction();
    const Outcome o = attempt(*c, sql);
    c->rollback();
    if (allowed) {
        QVERIFY2(o.ran, qPrintable(o.text));
    } else {
        QVERIFY2(!o.ran, "a write the access mode does not offer went through");
        // Refused for the login's rights (42501) or by a rule of the database (its exception,
        // P0001), not for a statement that cannot run.
        QVERIFY2(o.state == QLatin1String("42501") || o.state == QLatin1String("P0001"),
                 qPrintable(o.state + u' ' + o.text));
    }
}

void TestDbRules::cleanupTestCase()
{
    m_logins.clear();
    m_rightsDb.reset();
}

QTEST_GUILESS_MAIN(TestDbRules)
#include "tst_db_rules.moc"
