// Acceptance and deletion in the journal: "Принять" on the selection or the current row, the
// double-click of each access mode, "Принять ВСЕ", an error in the middle, an empty journal,
// "Удалить" with its question and the hours it leaves.

#include "support/hours_rows.h"
#include "support/program_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/dataset.h"
#include "journal/journal_window.h"

#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <chrono>
#include <thread>

using namespace testing;

namespace {

const QDate kDay(2026, 10, 7); // no demo records that day; hours in column d7

struct Record
{
    int shift = 1;
    QString ok = QStringLiteral("no");
    bool materials = true; // with a material use row
    double kolVo = 10;
    int hours = 8;
    int person = 0; // n-th worker of the demo plant
};

QString workerNumber(const TestDatabase &db, int person)
{
    return db.scalar(QStringLiteral("select s_code from cmn_contractor.person where b_employee "
                                    "order by id offset %1 limit 1")
                         .arg(person));
}

// A shift record of kDay with the demo plant's first operation; returns its id.
int addRecord(const TestDatabase &db, const Record &r)
{
    const QString o = db.scalar(QStringLiteral("select min(id) from mnf_operation.operation"));
    const int id = db.scalar(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, "
                                            "i_id, o_id, cena, kol_vo, time) select '%1', "
                                            "%2, %3, id_inventory_items, id, 1.5, %4, %5 "
                                            "from mnf_operation.operation where id = %6 "
                                            "returning id")
                                 .arg(kDay.toString(Qt::ISODate))
                                 .arg(r.shift)
                                 .arg(workerNumber(db, r.person))
                                 .arg(r.kolVo)
                                 .arg(r.hours)
                                 .arg(o))
                       .toInt();
    if (r.materials) {
        db.exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                               "f_qty_use, id_cons_use) values (%1, 501, 1.5, 0)")
                    .arg(id));
    }
    // Marked last: the material rows of an accepted record stay as they were accepted.
    db.exec(
        QStringLiteral("update accounts_dep.smena set ok = '%1' where id = %2").arg(r.ok).arg(id));
    return id;
}

QString okOf(const TestDatabase &db, int id)
{
    return db.scalar(QStringLiteral("select ok from accounts_dep.smena where id = %1").arg(id));
}

// "{d1,...,d31}" of every hours row of the worker, shift number and kDay's month ("" = none).
QString hours(const TestDatabase &db, const QString &worker, int shift)
{
    QStringList cols;
    for (int d = 1; d <= 31; ++d)
        cols << QStringLiteral("d%1").arg(d);
    return db.scalar(QStringLiteral("select string_agg(array[%1]::text, ';') from "
                                    "accounts_dep.h_tabel where w_id = %2 and smena = %3 and "
                                    "month = %4 and year = %5")
                         .arg(cols.join(','), worker)
                         .arg(shift)
                         .arg(kDay.month())
                         .arg(kDay.year()));
}

QString daysText(const std::optional<Days> &days)
{
    if (!days)
        return QString();
    QStringList v;
    for (int d = 1; d <= 31; ++d)
        v << QString::number(days->value(d));
    return QLatin1Char('{') + v.join(',') + QLatin1Char('}');
}

struct Logged
{
    ProgramFixture p;
    Logged() { p.seams.setNow(QDateTime(kDay, QTime(9, 0))); }
    void in(const QString &login)
    {
        QVERIFY(p.start());
        p.login(login, login);
        QVERIFY2(p.seams.messages.shown().isEmpty(),
                 qPrintable(p.seams.messages.texts().join('\n')));
    }
    TForm1 *j() const { return p.journal(); }
    db::Dataset &ds() const { return j()->currentJournal(); }
    // Makes the record the journal's current row; its row number.
    int go(int id) const
    {
        if (!ds().locate(QStringLiteral("id"), id))
            QTest::qFail("the record is not in the journal", __FILE__, __LINE__);
        return ds().recNo();
    }
    void select(int id) const
    {
        go(id);
        j()->DBGrid2->selectBookmark(ds().bookmark());
    }
    // The row of the record as the journal shows it now.
    QString shownOk(int id) const
    {
        const int row = ds().recNo();
        go(id);
        const QString ok = ds().asString(QStringLiteral("ok"));
        ds().setRecNo(row);
        return ok;
    }
    QStringList messageTexts() const { return p.seams.messages.texts(); }
};

const QString kNoMaterials = QStringLiteral("Не заведен расход ТМЦ!");

void checkNoMaterialsBoxes(const QList<RecordedMessage> &shown, int count)
{
    QCOMPARE(shown.size(), count);
    for (const RecordedMessage &m : shown) {
        QCOMPARE(m.caption, QStringLiteral("Ошибка"));
        QCOMPARE(m.text, kNoMaterials);
        QCOMPARE(m.icon, ui::Icon::Error);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

} // namespace

Q_DECLARE_METATYPE(std::optional<Days>)

class TestAcceptance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void acceptSelected_data();
    void acceptSelected();
    void doubleClick_data();
    void doubleClick();
    void acceptAll();
    void errorStopsTheLoop();
    void materialsGoneMeanwhile();
    void emptyJournal();
    void deleteRecord_data();
    void deleteRecord();
    void deleteChangedMeanwhile_data();
    void deleteChangedMeanwhile();
};

void TestAcceptance::acceptSelected_data()
{
    // Five records, shown by quantity descending: r4, r3, r2, r1, r0. r1 is accepted already,
    // r2 has no material use rows.
    QTest::addColumn<QList<int>>("selected"); // in the order selected; none = current row
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("accepted"); // afterwards
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("rowAfter");
    QTest::newRow("three selected") << QList<int> {3, 1, 2} << 0 << QList<int> {1, 3} << 1 << 3;
    QTest::newRow("three selected, the accepted one last")
        << QList<int> {2, 3, 1} << 0 << QList<int> {1, 3} << 1 << 4;
    QTest::newRow("two selected: the current row plays no part")
        << QList<int> {4, 0} << 2 << QList<int> {0, 1, 4} << 0 << 5;
    QTest::newRow("none selected: the current row")
        << QList<int> {} << 0 << QList<int> {0, 1} << 0 << 5;
    QTest::newRow("none selected: current row without materials")
        << QList<int> {} << 2 << QList<int> {1} << 1 << 3;
}

void TestAcceptance::acceptSelected()
{
    QFETCH(QList<int>, selected);
    QFETCH(int, current);
    QFETCH(QList<int>, accepted);
    QFETCH(int, messages);
    QFETCH(int, rowAfter);

    Logged l;
    QList<int> ids;
    for (int i = 0; i < 5; ++i) {
        ids << addRecord(l.p.db, {1, i == 1 ? "ok" : "no", i != 2, 10.0 * (i + 1), 8, i});
    }
    l.in(QStringLiteral("checker"));
    l.j()->DBGrid2TitleClick(6);
    const QString sort = l.ds().sort();
    QCOMPARE(sort, QStringLiteral("kol_vo DESC, marka, fio, id ASC"));
    for (int i : selected)
        l.select(ids[i]);
    if (selected.isEmpty())
        l.go(ids[current]);

    l.j()->Button5->click();

    checkNoMaterialsBoxes(l.p.seams.messages.shown(), messages);
    for (int i = 0; i < 5; ++i) {
        const QString expected = accepted.contains(i) ? QStringLiteral("ok") : QStringLiteral("no");
        QCOMPARE(okOf(l.p.db, ids[i]), expected);
        QCOMPARE(l.shownOk(ids[i]), expected); // reloaded
    }
    QCOMPARE(l.ds().sort(), sort);
    QCOMPARE(l.ds().recNo(), rowAfter);
}

void TestAcceptance::doubleClick_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("accepts");
    QTest::newRow("acceptance: checker") << "checker" << true;
    QTest::newRow("acceptance: approverone") << "approverone" << true;
    QTest::newRow("acceptance: signatory") << "signatory" << true;
    QTest::newRow("full") << "senior" << false;
    QTest::newRow("entry") << "clerk" << false;
    QTest::newRow("view-only") << "plonta" << false;
}

void TestAcceptance::doubleClick()
{
    QFETCH(QString, login);
    QFETCH(bool, accepts);

    Logged l;
    const int a = addRecord(l.p.db, {1, "no", true, 10, 8, 0});
    const int b = addRecord(l.p.db, {1, "no", true, 20, 8, 1});
    const int c = addRecord(l.p.db, {1, "no", true, 30, 8, 2});
    l.in(login);
    l.select(a);
    l.select(c);
    if (!accepts)
        l.p.seams.modal.script(QStringLiteral("TForm11"), ScriptedModal::reject());

    Q_EMIT l.j()->DBGrid2->rowDoubleClicked();

    QCOMPARE(l.p.seams.modal.shown().contains(QStringLiteral("TForm11")), !accepts);
    const QString selectedOk = accepts ? QStringLiteral("ok") : QStringLiteral("no");
    QCOMPARE(okOf(l.p.db, a), selectedOk);
    QCOMPARE(okOf(l.p.db, c), selectedOk);
    QCOMPARE(okOf(l.p.db, b), QStringLiteral("no"));
    QVERIFY2(l.p.seams.messages.shown().isEmpty(), qPrintable(l.messageTexts().join('\n')));
    QVERIFY(!l.p.seams.modal.failed());
}

void TestAcceptance::acceptAll()
{
    // 20 records: 5 without material use rows, 3 accepted already. Shown by quantity
    // ascending, which is the reverse of the order they were made in.
    const QList<int> withoutMaterials {2, 5, 9, 14, 18};
    const QList<int> acceptedBefore {0, 7, 11};
    Logged l;
    QList<int> ids;
    for (int i = 0; i < 20; ++i) {
        ids << addRecord(l.p.db,
                         {1, acceptedBefore.contains(i) ? "ok" : "no",
                          !withoutMaterials.contains(i), 100.0 - i, 8, i % 10});
    }
    l.in(QStringLiteral("checker"));
    l.j()->DBGrid2TitleClick(6);
    l.j()->DBGrid2TitleClick(6);
    const QString sort = l.ds().sort();
    QCOMPARE(sort, QStringLiteral("kol_vo, marka, fio, id ASC"));
    l.ds().setRecNo(8);
    QList<int> refused;
    l.p.seams.messages.onShow(
        [&](const RecordedMessage &) { refused << int(l.ds().asInteger(QStringLiteral("id"))); });

    l.j()->Button6->click();

    checkNoMaterialsBoxes(l.p.seams.messages.shown(), 5);
    QList<int> expectedRefused;
    for (int i = 19; i >= 0; --i) {
        if (withoutMaterials.contains(i))
            expectedRefused << ids[i];
    }
    QCOMPARE(refused, expectedRefused);
    int accepted = 0;
    for (int i = 0; i < 20; ++i) {
        const QString ok = okOf(l.p.db, ids[i]);
        QCOMPARE(ok, withoutMaterials.contains(i) ? QStringLiteral("no") : QStringLiteral("ok"));
        QCOMPARE(l.shownOk(ids[i]), ok);
        accepted += ok == QLatin1String("ok");
    }
    QCOMPARE(accepted, 15);
    QCOMPARE(l.ds().sort(), sort);
    QCOMPARE(l.ds().recNo(), 8);
}

void TestAcceptance::errorStopsTheLoop()
{
    Logged l;
    const int a = addRecord(l.p.db, {1, "no", true, 10, 8, 0});
    const int x = addRecord(l.p.db, {1, "no", true, 20, 8, 1});
    const int c = addRecord(l.p.db, {1, "no", true, 30, 8, 2});
    l.p.db.exec(
        QStringLiteral(
            "create function test_refuse() returns trigger language plpgsql as $$ begin raise "
            "exception 'Запись занята другим пользователем'; end $$; create trigger refuse before "
            "update on accounts_dep.smena for each row when (old.id = %1) execute function "
            "test_refuse()")
            .arg(x));
    l.in(QStringLiteral("checker"));
    l.select(a);
    l.select(x);
    l.select(c);

    l.j()->Button5->click(); // through the handler's error display

    const QStringList errors = l.p.seams.messages.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("Запись занята другим пользователем")),
             qPrintable(errors[0]));
    QCOMPARE(okOf(l.p.db, a), QStringLiteral("ok"));
    QCOMPARE(okOf(l.p.db, x), QStringLiteral("no"));
    QCOMPARE(okOf(l.p.db, c), QStringLiteral("no"));
    QCOMPARE(l.shownOk(a), QStringLiteral("no")); // not reloaded

    // The program goes on: the record after the failing one is accepted on its own.
    l.p.seams.messages.clear();
    l.j()->DBGrid2->clearRowSelection();
    l.go(c);
    l.j()->Button5->click();
    QVERIFY2(l.p.seams.messages.shown().isEmpty(), qPrintable(l.messageTexts().join('\n')));
    QCOMPARE(okOf(l.p.db, c), QStringLiteral("ok"));
    QCOMPARE(l.shownOk(a), QStringLiteral("ok"));
}

void TestAcceptance::materialsGoneMeanwhile()
{
    Logged l;
    const int gone = addRecord(l.p.db, {1, "no", true, 10, 8, 0});
    const int other = addRecord(l.p.db, {1, "no", true, 20, 8, 1});
    l.in(QStringLiteral("checker"));
    l.select(gone);
    l.select(other);
    // A clerk deletes the record's material row; his change is under way while the journal
    // counts the rows (it still sees one) and asks the server to accept.
    db::Connection clerk;
    clerk.open(l.p.db.connectionString(QStringLiteral("clerk"), QStringLiteral("clerk")));
    clerk.beginTransaction();
    db::Command del(&clerk);
    del.setText(QStringLiteral("delete from accounts_dep.smena_gds_use where id_smena = :id"));
    del.params().setInteger(QStringLiteral("id"), gone);
    QCOMPARE(del.execute(), 1);
    std::thread commitLater([&clerk] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        clerk.commit();
    });

    l.j()->Button5->click();
    commitLater.join();

    checkNoMaterialsBoxes(l.p.seams.messages.shown(), 1);
    QCOMPARE(okOf(l.p.db, gone), QStringLiteral("no"));
    QCOMPARE(okOf(l.p.db, other), QStringLiteral("ok"));
    QCOMPARE(l.shownOk(other), QStringLiteral("ok")); // reloaded
}

void TestAcceptance::emptyJournal()
{
    Logged l;
    l.in(QStringLiteral("senior"));
    QVERIFY(l.ds().isOpen());
    QCOMPARE(l.ds().recordCount(), 0);
    // Made by another client after the journal was read: only a reload shows it.
    const int id = addRecord(l.p.db, {});

    l.j()->Button5->click();
    QCOMPARE(l.ds().recordCount(), 0);
    l.j()->Button3->click();
    QCOMPARE(l.ds().recordCount(), 0);
    QVERIFY(l.p.seams.messages.shown().isEmpty());

    l.j()->Button6->click();
    QVERIFY(l.p.seams.messages.shown().isEmpty());
    QCOMPARE(l.ds().recordCount(), 1);
    QCOMPARE(okOf(l.p.db, id), QStringLiteral("no"));
}

void TestAcceptance::deleteRecord_data()
{
    // The worker's records of shift 2 that day, the first of which is deleted, and his hours
    // row of shift 2 before and after.
    QTest::addColumn<QList<int>>("recordHours");
    QTest::addColumn<bool>("firstAccepted");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<std::optional<Days>>("before");
    QTest::addColumn<std::optional<Days>>("after");

    const std::optional<Days> none;
    QTest::newRow("No") << QList<int> {8, 5} << false << false
                        << std::optional(Days {{1, 4}, {7, 13}})
                        << std::optional(Days {{1, 4}, {7, 13}});
    QTest::newRow("Yes, one of two records")
        << QList<int> {8, 5} << false << true << std::optional(Days {{1, 4}, {7, 13}})
        << std::optional(Days {{1, 4}, {7, 5}});
    QTest::newRow("Yes, the day's last record")
        << QList<int> {8} << false << true << std::optional(Days {{1, 4}, {7, 8}})
        << std::optional(Days {{1, 4}, {7, 0}});
    QTest::newRow("Yes, the month's last record")
        << QList<int> {8} << false << true << std::optional(Days {{7, 8}}) << none;
    QTest::newRow("Yes, worker without an hours row")
        << QList<int> {8, 5} << false << true << none << std::optional(Days {{7, 5}});
    QTest::newRow("accepted record: nothing asked")
        << QList<int> {8} << true << false << std::optional(Days {{7, 8}})
        << std::optional(Days {{7, 8}});
}

void TestAcceptance::deleteRecord()
{
    QFETCH(QList<int>, recordHours);
    QFETCH(bool, firstAccepted);
    QFETCH(bool, yes);
    QFETCH(std::optional<Days>, before);
    QFETCH(std::optional<Days>, after);

    Logged l;
    QList<int> ids;
    for (int h : recordHours) {
        ids << addRecord(l.p.db,
                         {2, ids.isEmpty() && firstAccepted ? "ok" : "no", true, 10.0 + h, h, 0});
    }
    addRecord(l.p.db, {2, "no", true, 10, 3, 1}); // another worker's
    addRecord(l.p.db, {1, "no", true, 10, 6, 0}); // the same worker's in shift 1
    const QString worker = workerNumber(l.p.db, 0);
    if (before)
        addHoursRow(l.p.db, worker.toInt(), 2, kDay.month(), kDay.year(), *before);
    addHoursRow(l.p.db, worker.toInt(), 1, kDay.month(), kDay.year(), {{7, 6}});
    l.in(QStringLiteral("senior"));
    QTest::keyClick(l.j()->DateT, Qt::Key_Return); // opens all four shifts
    l.j()->RadioButton2->click();
    l.j()->DBGrid2TitleClick(0);
    const QString sort = l.ds().sort();
    QVERIFY(!sort.isEmpty());
    l.go(ids[0]);
    const bool asked = !firstAccepted;
    if (asked)
        l.p.seams.messages.answer(yes ? QMessageBox::Yes : QMessageBox::No);
    const int shown = l.ds().recordCount();

    l.j()->Button3->click();

    if (asked) {
        QCOMPARE(l.p.seams.messages.shown().size(), 1);
        const RecordedMessage m = l.p.seams.messages.last();
        QCOMPARE(m.caption, QStringLiteral("Удаление"));
        QCOMPARE(m.text, QStringLiteral("Удалить позицию из списка?"));
        QCOMPARE(m.icon, ui::Icon::Question);
        QCOMPARE(m.buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(l.ds().sort().isEmpty()); // reloaded, the sort lost
    } else {
        QVERIFY(l.p.seams.messages.shown().isEmpty());
        QCOMPARE(l.ds().sort(), sort);
    }
    const bool deleted = asked && yes;
    QCOMPARE(
        l.p.db.scalar(
            QStringLiteral("select count(*) from accounts_dep.smena where id = %1").arg(ids[0])),
        deleted ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(l.ds().recordCount(), deleted ? shown - 1 : shown);
    QCOMPARE(hours(l.p.db, worker, 2), daysText(after));
    QCOMPARE(hours(l.p.db, worker, 1), daysText(Days {{7, 6}}));
    QCOMPARE(hours(l.p.db, workerNumber(l.p.db, 1), 2), QString());
    QCOMPARE(l.p.seams.messages.pendingAnswers(), 0);
}

void TestAcceptance::deleteChangedMeanwhile_data()
{
    QTest::addColumn<bool>("accepted"); // accepted by another client, otherwise deleted by one
    QTest::newRow("accepted meanwhile") << true;
    QTest::newRow("deleted meanwhile") << false;
}

void TestAcceptance::deleteChangedMeanwhile()
{
    // The journal shows the record as not accepted; before "Удалить" another client accepts it
    // (or deletes it). The accepted record stays with its hours; a record already gone is no
    // error.
    QFETCH(bool, accepted);
    Logged l;
    const int id = addRecord(l.p.db, {1, "no", true, 12, 8, 0});
    const QString worker = workerNumber(l.p.db, 0);
    addHoursRow(l.p.db, worker.toInt(), 1, kDay.month(), kDay.year(), {{7, 8}});
    l.in(QStringLiteral("senior"));
    l.go(id);
    QCOMPARE(l.ds().asString(QStringLiteral("ok")), QStringLiteral("no"));
    if (accepted)
        l.p.db.exec(QStringLiteral("select accounts_dep.smena__accept_row_hwo(%1)").arg(id));
    else
        l.p.db.exec(QStringLiteral("delete from accounts_dep.smena where id = %1").arg(id));
    l.p.seams.messages.answerYes();

    l.j()->Button3->click();

    QCOMPARE(l.p.seams.messages.texts().first(), QStringLiteral("Удалить позицию из списка?"));
    if (accepted) {
        QCOMPARE(l.p.seams.messages.errors(),
                 QStringList {
                     QStringLiteral("Запись журнала № %1 уже принята: удалить её нельзя").arg(id)});
        QCOMPARE(okOf(l.p.db, id), QStringLiteral("ok"));
        QCOMPARE(l.shownOk(id), QStringLiteral("ok")); // the journal read again shows it
        QCOMPARE(hours(l.p.db, worker, 1), daysText(Days {{7, 8}}));
    } else {
        QVERIFY(l.p.seams.messages.errors().isEmpty());
        QCOMPARE(okOf(l.p.db, id), QString());
    }
}

QTEST_MAIN(TestAcceptance)
#include "tst_acceptance.moc"
