// Changing and viewing a shift record: the openings on accepted and new rows, what the editor
// shows, saving a change (its own record after the journal moved, the hours of the day it
// left, all or nothing with its hours), the quantity bound of a change, the field exits, the
// sum and the paint rule.

#include "support/entry_fixture.h"

#include "db/formats.h"
#include "ui/data_grid.h"

#include <QWheelEvent>

using namespace entrytest;

class TestEntryChange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changeOpening_data();
    void changeOpening();
    void viewOpening_data();
    void viewOpening();
    void changeSaves();
    void secondSaveKeepsItsRecord();
    void acceptedWhileOpen();
    void movedDayTakesItsHours();
    void failingPostingWritesNothing_data();
    void failingPostingWritesNothing();
    void boundOfAChange_data();
    void boundOfAChange();
    void sumAndExits();
    void paintRule_data();
    void paintRule();
    void wheelAndClicks();
    void keyFilters();
};

void TestEntryChange::changeOpening_data()
{
    QTest::addColumn<QString>("ok");
    QTest::newRow("new record") << QStringLiteral("no");
    QTest::newRow("accepted record") << QStringLiteral("ok");
}

void TestEntryChange::changeOpening()
{
    QFETCH(QString, ok);
    Editor t;
    t.in();
    const int id = t.addRecord(21, 4, 10.5, 8, ok, 1);
    t.refresh();
    t.go(id);
    QString title, worker, operation, quantity, hours, price, sum, label, line, requisition;
    bool workerOn = true, operationOn = true, modeShown = true, saveOn = false, materialOn = false;
    t.change([&](TForm11 *w) {
        title = w->windowTitle();
        worker = w->Edit1->text();
        operation = w->Edit2->text();
        quantity = w->Edit3->text();
        hours = w->Edit6->text();
        price = w->Edit8->text();
        sum = w->Edit5->text();
        label = w->Label10->text();
        line = w->LCB_id_doc_item->text();
        requisition = w->LCB_id_doc->text();
        workerOn = w->Button3->isEnabled() || w->Edit1->isEnabled();
        operationOn = w->Button4->isEnabled() || w->Edit2->isEnabled();
        modeShown = !w->RG1->isHidden();
        saveOn = w->Button1->isEnabled() && w->GroupBox1->isEnabled();
        materialOn = w->Button5->isEnabled() && w->DBGrid1->isEnabled();
        QVERIFY(!w->Button7->isEnabled() && !w->Button9->isEnabled());
        QVERIFY(!w->LCB_id_doc->isEnabled() && !w->LCB_id_doc_item->isEnabled());
    });
    t.verifyClean();
    if (ok == QLatin1String("ok")) {
        QVERIFY(!t.modal().shown().contains(QStringLiteral("TForm11")));
        return;
    }
    QCOMPARE(title, QStringLiteral("Изменение данных о позиции"));
    QCOMPARE(worker, t.scalar("select s_caption from cmn_contractor.person where id = 21"));
    QCOMPARE(operation, QStringLiteral("СТ-1000; Покраска; Готовая продукция"));
    QCOMPARE(quantity, QStringLiteral("10,5"));
    QCOMPARE(hours, QStringLiteral("8"));
    QCOMPARE(price, QStringLiteral("18"));
    QCOMPARE(sum, QStringLiteral("189"));
    QCOMPARE(label, QString::number(id));
    QVERIFY(line.startsWith(QStringLiteral("Стеллаж СТ-1000")));
    QCOMPARE(requisition, QStringLiteral("Заявка № ЗВП-101 от 02.11.2026"));
    QVERIFY(!workerOn);
    QVERIFY(!operationOn);
    QVERIFY(!modeShown);
    QVERIFY(saveOn);
    QVERIFY(materialOn);
    // Afterwards the worker and operation choosers and the work mode are back for adding.
    TForm11 *w = forms().entryEditor;
    QVERIFY(w->Button3->isEnabled() && w->Edit2->isEnabled() && !w->RG1->isHidden());
}

void TestEntryChange::viewOpening_data()
{
    changeOpening_data();
}

// Viewing works on every row, accepted or not, with nothing to change.
void TestEntryChange::viewOpening()
{
    QFETCH(QString, ok);
    Editor t;
    t.in();
    const int id = t.addRecord(21, 4, 3, 8, ok, 1);
    t.refresh();
    t.go(id);
    QString title, quantity;
    bool anythingOn = true;
    t.view([&](TForm11 *w) {
        title = w->windowTitle();
        quantity = w->Edit3->text();
        anythingOn = w->GroupBox1->isEnabled() || w->Button1->isEnabled() || w->DBGrid1->isEnabled()
            || w->Button5->isEnabled() || w->Button7->isEnabled() || w->Button9->isEnabled();
    });
    t.verifyClean();
    QCOMPARE(title, QStringLiteral("Просмотр данных о позиции"));
    QCOMPARE(quantity, QStringLiteral("3"));
    QVERIFY(!anythingOn);
    TForm11 *w = forms().entryEditor;
    QVERIFY(w->GroupBox1->isEnabled() && w->Button1->isEnabled());
    QVERIFY(w->v_mnf_requisition.sql().contains(QStringLiteral("v_mnf_requisition order by")));
}

void TestEntryChange::changeSaves()
{
    Editor t;
    t.in();
    const int id = t.addRecord(21, 4, 10, 8, QStringLiteral("no"), 1);
    t.p.db.exec(QStringLiteral("update accounts_dep.smena set prize = 5, f_gds_qty_use = 2, "
                               "id_cons_use = 3, vvod = '2026-12-01', color = 7035, id_gds_use = "
                               "201 where id = %1")
                    .arg(id));
    t.refresh();
    t.go(id);
    bool saveStaysOn = false;
    t.change([&](TForm11 *w) {
        w->Edit3->setText(QStringLiteral("12,5"));
        w->Edit4->setText(QStringLiteral("1"));
        w->Edit6->setText(QStringLiteral("7"));
        w->Button1->click();
        saveStaysOn = w->Button1->isEnabled() && w->isVisible();
    });
    t.verifyClean();
    QVERIFY(saveStaysOn);
    QCOMPARE(t.smena(id,
                     "w_id, o_id, cena, kol_vo, brak, time, ok, prize, f_gds_qty_use, "
                     "id_cons_use, vvod, id_doc, id_doc_item, color, id_gds_use"),
             QStringLiteral("21|4|18.0000|12.500000|1|7|no|0.000000|0.000000|0|2026-12-10 "
                            "00:00:00|1|1|7035|201"));
    QCOMPARE(t.hoursOf(21, 1, kDay), QStringLiteral("7"));
}

// Another client accepts the record while the editor is open: "Запись" refuses, and the record
// keeps what was accepted, its hours included.
void TestEntryChange::acceptedWhileOpen()
{
    Editor t;
    t.in();
    const int id = t.addRecord(21, 4, 10, 8, QStringLiteral("no"), 1);
    t.p.db.exec(QStringLiteral("insert into accounts_dep.h_tabel(w_id, smena, month, year, d%1) "
                               "values (21, 1, %2, %3, 8)")
                    .arg(kDay.day())
                    .arg(kDay.month())
                    .arg(kDay.year()));
    t.refresh();
    t.go(id);
    QStringList errors;
    t.p.db.exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                               "f_qty_use) values (%1, 501, 1)")
                    .arg(id));
    t.change([&](TForm11 *w) {
        t.p.db.exec(QStringLiteral("select accounts_dep.smena__accept_row_hwo(%1)").arg(id));
        w->Edit3->setText(QStringLiteral("12,5"));
        w->Edit6->setText(QStringLiteral("3"));
        w->Button1->click();
        errors = t.messages().errors();
    });
    QCOMPARE(errors,
             QStringList {
                 QStringLiteral("Запись журнала № %1 уже принята: изменить её нельзя").arg(id)});
    QCOMPARE(t.smena(id, "kol_vo, time, ok"), QStringLiteral("10.000000|8|ok"));
    QCOMPARE(t.hoursOf(21, 1, kDay), QStringLiteral("8"));
}

// After a save the journal is read again and sorted: another record may stand on the row
// number the changed one had. The next "Запись" changes the editor's record all the same.
void TestEntryChange::secondSaveKeepsItsRecord()
{
    Editor t;
    t.in();
    const int a = t.addRecord(21, 4, 1, 8, QStringLiteral("no"), 1);
    const int b = t.addRecord(22, 4, 2, 8, QStringLiteral("no"), 1);
    t.refresh();
    t.j()->DBGrid2TitleClick(6); // "Кол-во"
    const QString sort = t.journal().sort();
    QVERIFY(sort.startsWith(QStringLiteral("kol_vo")));
    t.go(a);
    QString sortAfter;
    int currentAfter = 0;
    t.change([&](TForm11 *w) {
        w->Edit3->setText(QStringLiteral("100"));
        w->Button1->click();
        sortAfter = t.journal().sort();
        currentAfter = int(t.journal().asInteger(QStringLiteral("id")));
        // The journal moves on (another reload, another row): the editor keeps its record.
        t.go(b);
        w->Edit3->setText(QStringLiteral("200"));
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(sortAfter, sort);
    QCOMPARE(currentAfter, a);
    QCOMPARE(t.smena(a, "kol_vo"), QStringLiteral("200.000000"));
    QCOMPARE(t.smena(b, "kol_vo"), QStringLiteral("2.000000"));
}

// A record moved to another day takes its hours away from the day it left.
void TestEntryChange::movedDayTakesItsHours()
{
    Editor t;
    t.in();
    const int id = t.addRecord(21, 4, 1, 8, QStringLiteral("no"), 1);
    t.p.db.exec("insert into accounts_dep.h_tabel(w_id, smena, month, year, d10) values (21, 1, "
                "12, 2026, 8)");
    t.refresh();
    t.go(id);
    t.change([&](TForm11 *w) {
        w->DTimeP->setDate(kDay.addDays(1));
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.smena(id, "data"), QStringLiteral("2026-12-11"));
    QCOMPARE(t.hoursOf(21, 1, kDay), QStringLiteral("0"));
    QCOMPARE(t.hoursOf(21, 1, kDay.addDays(1)), QStringLiteral("8"));
}

void TestEntryChange::failingPostingWritesNothing_data()
{
    QTest::addColumn<bool>("adding");
    QTest::newRow("change") << false;
    QTest::newRow("add") << true;
}

// The record and its hours are one change: when the hours cannot be written, neither is.
void TestEntryChange::failingPostingWritesNothing()
{
    QFETCH(bool, adding);
    Editor t;
    t.in();
    const int id = t.addRecord(21, 4, 1, 8, QStringLiteral("no"), 1);
    const int before = t.lastRecord();
    t.p.db.exec("alter table accounts_dep.h_tabel add constraint no_hours_on_11 check (d11 = 0) "
                "not valid");
    t.refresh();
    t.go(id);
    bool stillOpen = false;
    auto inside = [&](TForm11 *w) {
        if (adding)
            t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("3"));
        else
            w->Edit3->setText(QStringLiteral("5"));
        w->DTimeP->setDate(kDay.addDays(1));
        w->Button1->click();
        stillOpen = w->Button1->isEnabled() && w->GroupBox1->isEnabled();
    };
    if (adding)
        t.add(inside);
    else
        t.change(inside);
    t.verifyClean();
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY(stillOpen);
    QCOMPARE(t.lastRecord(), before);
    QCOMPARE(t.smena(id, "data, kol_vo"), QStringLiteral("2026-12-10|1.000000"));
    QCOMPARE(t.count("select count(*) from accounts_dep.h_tabel where month = 12 and year = 2026 "
                     "and w_id in (21, 24)"),
             0);
}

void TestEntryChange::boundOfAChange_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<double>("recorded");
    QTest::addColumn<int>("rejects");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("saved");
    // Line 7 asks for 19 more. Operation 17 is the last of its process: a record there counts
    // as made (net of its rejects), so a change may use what the record itself took.
    QTest::newRow("unchanged") << 17 << 19.0 << 0 << QStringLiteral("19") << true;
    QTest::newRow("less") << 17 << 19.0 << 0 << QStringLiteral("18") << true;
    QTest::newRow("above") << 17 << 19.0 << 0 << QStringLiteral("19,5") << false;
    // More than the line asked for: the record still saves as it stands.
    QTest::newRow("overdone, unchanged") << 17 << 25.0 << 0 << QStringLiteral("25") << true;
    QTest::newRow("overdone, above") << 17 << 25.0 << 0 << QStringLiteral("26") << false;
    // 19 pieces with 4 rejects took 15 of the line: 4 left, 19 in all.
    QTest::newRow("rejects, unchanged") << 17 << 19.0 << 4 << QStringLiteral("19") << true;
    QTest::newRow("rejects, above") << 17 << 19.0 << 4 << QStringLiteral("20") << false;
    // The line overdone by a record with rejects: the record still saves as it stands.
    QTest::newRow("overdone with rejects, unchanged")
        << 17 << 25.0 << 4 << QStringLiteral("25") << true;
    // Operation 14 is the third of six: its records count nothing, the line still needs 19.
    QTest::newRow("third operation, unchanged") << 14 << 19.0 << 0 << QStringLiteral("19") << true;
    QTest::newRow("third operation, the need") << 14 << 5.0 << 0 << QStringLiteral("19") << true;
    QTest::newRow("third operation, above the need")
        << 14 << 5.0 << 0 << QStringLiteral("20") << false;
    QTest::newRow("third operation, twice the need")
        << 14 << 19.0 << 0 << QStringLiteral("38") << false;
}

void TestEntryChange::boundOfAChange()
{
    QFETCH(int, operation);
    QFETCH(double, recorded);
    QFETCH(int, rejects);
    QFETCH(QString, quantity);
    QFETCH(bool, saved);
    Editor t;
    t.in();
    // An earlier opening chose a line with a small need: it must not bound this record.
    t.add([&](TForm11 *w) { t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("1")); });
    // A line overdone before the database kept to its need: written past that rule.
    if (recorded > 19)
        t.p.db.exec("alter table accounts_dep.smena disable trigger smena_rules");
    const int id = t.addRecord(21, operation, recorded, 8, QStringLiteral("no"), 7);
    t.p.db.exec(QStringLiteral("update accounts_dep.smena set brak = %1 where id = %2")
                    .arg(rejects)
                    .arg(id));
    t.p.db.exec("alter table accounts_dep.smena enable trigger smena_rules");
    t.refresh();
    t.go(id);
    t.change([&](TForm11 *w) {
        w->Edit3->setText(quantity);
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.smena(id, "kol_vo::numeric(12, 1)"),
             QString::number(saved ? db::parseNumber(quantity) : recorded, 'f', 1));
    QCOMPARE(t.messages().errors(),
             saved ? QStringList()
                   : QStringList {
                       QStringLiteral("Количество изделий не может быть больше требуемого!")});
}

void TestEntryChange::sumAndExits()
{
    Editor t;
    t.in();
    QString sum, price, base, emptyQuantity, emptyHours, emptySum, emptyRejects;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QString());
        t.scriptOperation(21, 12.5);
        w->Button4->click();
        w->Edit3->setText(QStringLiteral("3"));
        Editor::leave(w->Edit3);
        sum = w->Edit5->text();
        price = w->Edit8->text();
        base = w->Edit7->text();
        w->Edit3->clear();
        w->Edit6->clear();
        Editor::leave(w->Edit3);
        emptyQuantity = w->Edit3->text();
        emptyHours = w->Edit6->text();
        emptySum = w->Edit5->text();
        w->Edit4->clear();
        Editor::leave(w->Edit4);
        emptyRejects = w->Edit4->text();
    });
    t.verifyClean();
    QCOMPARE(sum, QStringLiteral("37,5"));
    QCOMPARE(price, QStringLiteral("12,5"));
    QCOMPARE(base, QStringLiteral("0"));
    QCOMPARE(emptyQuantity, QStringLiteral("0"));
    QCOMPARE(emptyHours, QStringLiteral("0"));
    QCOMPARE(emptySum, QStringLiteral("0"));
    QCOMPARE(emptyRejects, QStringLiteral("0"));
}

void TestEntryChange::paintRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("paint");
    QTest::newRow("capitals") << QStringLiteral("ШМ-02; Покраска; Готовая продукция") << true;
    QTest::newRow("lower-case") << QStringLiteral("шм-02; покраска в камере; заготовки") << true;
    QTest::newRow("other work") << QStringLiteral("ШМ-02; Сборка; Готовая продукция") << false;
}

void TestEntryChange::paintRule()
{
    QFETCH(QString, text);
    QFETCH(bool, paint);
    Editor t;
    t.in();
    bool sumOn = !paint, brigadeLabelOn = !paint;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("2"));
        t.scriptOperation(21, {}, text);
        w->Button4->click();
        sumOn = w->Edit5->isEnabled();
        brigadeLabelOn = w->Label6->isEnabled();
    });
    t.verifyClean();
    QCOMPARE(sumOn, paint);
    QCOMPARE(brigadeLabelOn, paint);
}

// The wheel steps the lookup that has the focus; a click on the worker or the operation text
// opens its chooser as the button beside it does.
void TestEntryChange::wheelAndClicks()
{
    Editor t;
    t.in();
    int start = -1, down = -1, up = -1, onQuantity = -1;
    QString worker, operation;
    t.add([&](TForm11 *w) {
        w->RG1Item0->click();
        Editor::choose(w->LCB_id_doc, 1);
        w->LCB_id_doc_item->setFocus();
        w->LCB_id_doc_item->setCurrentIndex(0);
        start = w->LCB_id_doc_item->currentIndex();
        QWheelEvent wheelDown(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &wheelDown);
        down = w->LCB_id_doc_item->currentIndex();
        QWheelEvent wheelUp(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &wheelUp);
        up = w->LCB_id_doc_item->currentIndex();
        w->Edit3->setFocus();
        QApplication::sendEvent(w, &wheelDown);
        onQuantity = w->LCB_id_doc_item->currentIndex();
        t.scriptWorker(21);
        QTest::mouseClick(w->Edit1, Qt::LeftButton);
        worker = w->Edit1->text();
        t.scriptOperation(4);
        QTest::mouseClick(w->Edit2, Qt::LeftButton);
        operation = w->Edit2->text();
    });
    t.verifyClean();
    QCOMPARE(start, 0);
    QCOMPARE(down, 1);
    QCOMPARE(up, 0);
    QCOMPARE(onQuantity, 0);
    QCOMPARE(worker, t.scalar("select s_caption from cmn_contractor.person where id = 21"));
    QCOMPARE(operation, QStringLiteral("СТ-1000; Покраска; Готовая продукция"));
}

// Typing: the fields take digits and separators (whole rejects and hours are checked on saving),
// nothing else.
void TestEntryChange::keyFilters()
{
    Editor t;
    t.in();
    QString quantity, rejects, hours;
    t.add([&](TForm11 *w) {
        w->Edit3->clear();
        w->Edit4->clear();
        w->Edit6->clear();
        typeText(w->Edit3, QStringLiteral("1ж2,5-e"));
        typeText(w->Edit4, QStringLiteral("3,x4"));
        typeText(w->Edit6, QStringLiteral("8.ч"));
        quantity = w->Edit3->text();
        rejects = w->Edit4->text();
        hours = w->Edit6->text();
    });
    t.verifyClean();
    QCOMPARE(quantity, QStringLiteral("12,5"));
    QCOMPARE(rejects, QStringLiteral("3,4"));
    QCOMPARE(hours, QStringLiteral("8."));
}

QTEST_MAIN(TestEntryChange)
#include "tst_entry_change.moc"
