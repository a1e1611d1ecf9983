// Entering a new shift record: by requisition and by product end to end (lookups, worker,
// operation, quantity, "Запись", brigade, "Сохранить"), what the record is written with, the
// id it continues with, what a second opening starts with, the required quantity, the checks.

#include "support/entry_fixture.h"

#include "ui/data_grid.h"

using namespace entrytest;

class TestEntryAdd : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void byRequisition();
    void byProduct();
    void listsFollowTheChoices();
    void secondOpeningStartsEmpty();
    void requiredQuantity_data();
    void requiredQuantity();
    void incomplete_data();
    void incomplete();
    void quantityNotANumber();
    void ownIdAfterInsert();
    void leftAfterSave_data();
    void leftAfterSave();
    void brigadeDeleteAndTwice();
};

void TestEntryAdd::byRequisition()
{
    Editor t;
    t.in();
    int id = 0, journalOn = 0;
    bool headerOpenAfter = true, brigadeOpen = false, materialOpen = false, saveOn = false;
    QStringList brigade;
    t.add([&](TForm11 *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("Заведение новой позиции"));
        QCOMPARE(w->DTimeP->date(), kDay);
        t.fillByRequisition(w, 1, 1, 21, 4, QStringLiteral("12,5"));
        QCOMPARE(w->Edit1->text(),
                 t.scalar("select s_caption from cmn_contractor.person where id = 21"));
        QCOMPARE(w->Edit2->text(), QStringLiteral("СТ-1000; Покраска; Готовая продукция"));
        w->Button1->click();
        id = w->Label10->text().toInt();
        journalOn = int(t.journal().asInteger(QStringLiteral("id")));
        headerOpenAfter = w->GroupBox1->isEnabled() || w->Button1->isEnabled();
        brigadeOpen = w->DBGrid2->isEnabled() && w->Button7->isEnabled() && w->Button8->isEnabled();
        materialOpen
            = w->DBGrid1->isEnabled() && w->Button5->isEnabled() && w->Button6->isEnabled();
        saveOn = w->Button9->isEnabled();
        t.scriptWorker(22);
        w->Button7->click();
        t.scriptWorker(23);
        w->Button7->click();
        brigade = dirtest::columnTexts(w->DBGrid2->model(), 0);
        w->Button9->click();
    });
    t.verifyClean();
    QVERIFY(id > 0);
    QVERIFY(!headerOpenAfter);
    QVERIFY(brigadeOpen);
    QVERIFY(materialOpen);
    QVERIFY(saveOn);
    QCOMPARE(brigade,
             (QStringList {t.scalar("select s_caption from cmn_contractor.person where id = 22"),
                           t.scalar("select s_caption from cmn_contractor.person where id = 23")}));
    // The record as written (before the division took two thirds of it).
    QCOMPARE(t.smena(id,
                     "w_id, i_id, o_id, cena, brak, data, smena, color, time, ok, prize, "
                     "id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use, "
                     "vvod::date"),
             QStringLiteral("21|201|4|18.0000|0|2026-12-10|1|7035|8|no|0.000000|1|1|0.000000|201|0|"
                            "2026-12-10"));
    // The division: the worker and two brigade members, the quantity whole among them.
    QCOMPARE(t.scalar(QStringLiteral("select string_agg(w_id::text, ',' order by w_id) from "
                                     "accounts_dep.smena where id_doc_item = 1 and o_id = 4 and "
                                     "data = '2026-12-10' and smena = 1")),
             QStringLiteral("21,22,23"));
    QCOMPARE(t.scalar(QStringLiteral("select sum(kol_vo)::text from accounts_dep.smena where "
                                     "id_doc_item = 1 and o_id = 4 and data = '2026-12-10' and "
                                     "smena = 1 and w_id in (21, 22, 23)")),
             QStringLiteral("12.500000"));
    QCOMPARE(t.count(QStringLiteral("select count(*) from accounts_dep.person_temp where "
                                    "id_smena = %1")
                         .arg(id)),
             0);
    for (int worker : {21, 22, 23})
        QCOMPARE(t.hoursOf(worker, 1, kDay), QStringLiteral("8"));
    // Right after the save the journal listed the record and stood on it.
    QCOMPARE(journalOn, id);
}

void TestEntryAdd::byProduct()
{
    Editor t;
    t.in();
    int id = 0;
    QString label;
    t.add([&](TForm11 *w) {
        w->RG1Item1->click();
        label = w->Label13->text();
        Editor::chooseProduct(w, 204, 3020);
        Editor::choose(w->LCB_id_doc_item, 4);
        QCOMPARE(w->Edit3->text(), QStringLiteral("32"));
        t.scriptWorker(24);
        w->Button3->click();
        t.scriptOperation(21, 12.34567);
        w->Button4->click();
        w->Edit3->setText(QStringLiteral("7,25"));
        w->Edit6->setText(QStringLiteral("6"));
        w->Edit4->setText(QStringLiteral("1"));
        w->Button1->click();
        id = w->Label10->text().toInt();
        w->Button9->click(); // no brigade: the division leaves the record as it is
    });
    t.verifyClean();
    QCOMPARE(label, QStringLiteral("Продукция"));
    QCOMPARE(t.smena(id,
                     "w_id, i_id, o_id, cena, kol_vo, brak, time, color, id_doc, "
                     "id_doc_item, id_gds_use"),
             QStringLiteral("24|204|21|12.3457|7.250000|1|6|3020|2|4|204"));
    QCOMPARE(t.hoursOf(24, 1, kDay), QStringLiteral("6"));
}

void TestEntryAdd::listsFollowTheChoices()
{
    Editor t;
    t.in();
    QStringList linesBefore, linesOfTwo;
    int productBefore = -1, colourBefore = -1;
    QString workerAfterProduct;
    t.add([&](TForm11 *w) {
        w->RG1Item0->click();
        QCOMPARE(w->Label13->text(), QStringLiteral("Заявка"));
        linesBefore = dirtest::columnTexts(w->LCB_id_doc_item->model(), 0);
        Editor::choose(w->LCB_id_doc, 2);
        for (int i = 0; i < w->LCB_id_doc_item->count(); ++i)
            linesOfTwo << w->LCB_id_doc_item->itemData(i).toString();
        Editor::choose(w->LCB_id_doc_item, 5);
        QCOMPARE(w->Edit3->text(), QStringLiteral("155"));
        t.scriptWorker(21);
        w->Button3->click();
        // A product choice reloads the lines but keeps the worker.
        w->RG1Item1->click();
        productBefore = w->productId;
        colourBefore = w->colourId;
        Editor::chooseProduct(w, 202, 7035);
        workerAfterProduct = w->Edit1->text();
        QCOMPARE(w->productId, 202);
        QCOMPARE(w->colourId, 7035);
        QStringList lines;
        for (int i = 0; i < w->LCB_id_doc_item->count(); ++i)
            lines << w->LCB_id_doc_item->itemData(i).toString();
        QCOMPARE(lines, QStringList {QStringLiteral("6")});
    });
    t.verifyClean();
    QVERIFY(linesBefore.isEmpty());
    QCOMPARE(linesOfTwo, (QStringList {QStringLiteral("4"), QStringLiteral("5")}));
    // The line chosen by requisition gave its goods and colour.
    QCOMPARE(productBefore, 201);
    QCOMPARE(colourBefore, 9016);
    QVERIFY(!workerAfterProduct.isEmpty());
}

void TestEntryAdd::secondOpeningStartsEmpty()
{
    Editor t;
    t.in();
    t.add([&](TForm11 *w) {
        w->RG1Item1->click();
        Editor::chooseProduct(w, 204, 3020);
        Editor::choose(w->LCB_id_doc_item, 4);
        t.scriptWorker(24);
        w->Button3->click();
        t.scriptOperation(21);
        w->Button4->click();
        w->Edit4->setText(QStringLiteral("3"));
    });
    QStringList texts;
    int state = -1;
    bool lookupsEmpty = false, requiredGone = false;
    t.add([&](TForm11 *w) {
        for (QLineEdit *e :
             {w->Edit1, w->Edit2, w->Edit3, w->Edit4, w->Edit5, w->Edit6, w->Edit7, w->Edit8})
            texts << e->text();
        state = w->recordId + w->productId + w->colourId + w->requisitionId + w->lineId
            + w->workerNumber + w->operationId;
        requiredGone = !w->requiredQuantity.has_value();
        lookupsEmpty = w->LCB_id_doc->currentIndex() < 0 && w->LCB_id_doc_item->currentIndex() < 0;
        QVERIFY(w->RG1Item1->isChecked()); // the work mode stays as it was left
        QVERIFY(w->Label10->text().isEmpty());
    });
    t.verifyClean();
    QCOMPARE(texts, (QStringList {"", "", "", "0", "", "0", "", ""}));
    QCOMPARE(state, 0);
    QVERIFY(requiredGone);
    QVERIFY(lookupsEmpty);
}

void TestEntryAdd::requiredQuantity_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("saved");
    QTest::newRow("equal") << QStringLiteral("32") << true;
    QTest::newRow("above") << QStringLiteral("32,5") << false;
    QTest::newRow("below") << QStringLiteral("1") << true;
}

void TestEntryAdd::requiredQuantity()
{
    QFETCH(QString, quantity);
    QFETCH(bool, saved);
    Editor t;
    t.in();
    const int before = t.lastRecord();
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, quantity);
        w->Button1->click();
        QCOMPARE(w->Button1->isEnabled(), !saved);
    });
    t.verifyClean();
    QCOMPARE(t.lastRecord() > before, saved);
    const QStringList errors = t.messages().errors();
    if (saved)
        QVERIFY(errors.isEmpty());
    else
        QCOMPARE(
            errors,
            QStringList {QStringLiteral("Количество изделий не может быть больше требуемого!")});
}

void TestEntryAdd::incomplete_data()
{
    QTest::addColumn<int>("missing");
    QTest::newRow("worker") << 1;
    QTest::newRow("operation") << 2;
    QTest::newRow("quantity") << 3;
    QTest::newRow("rejects") << 4;
    QTest::newRow("hours") << 6;
    QTest::newRow("line") << 0;
}

void TestEntryAdd::incomplete()
{
    QFETCH(int, missing);
    Editor t;
    t.in();
    const int before = t.lastRecord();
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("3"));
        QLineEdit *edits[] = {nullptr, w->Edit1, w->Edit2, w->Edit3, w->Edit4, nullptr, w->Edit6};
        if (missing == 0)
            w->LCB_id_doc_item->setCurrentIndex(-1);
        else
            edits[missing]->setText(QStringLiteral("  "));
        w->Button1->click();
        QVERIFY(w->Button1->isEnabled());
    });
    t.verifyClean();
    QCOMPARE(t.lastRecord(), before);
    QCOMPARE(t.messages().errors(),
             QStringList {QStringLiteral("Все поля должны быть заполнены!")});
}

void TestEntryAdd::quantityNotANumber()
{
    Editor t;
    t.in();
    const int before = t.lastRecord();
    const QString hours = t.hoursOf(24, 1, kDay);
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("1,2,3"));
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.lastRecord(), before);
    QCOMPARE(t.hoursOf(24, 1, kDay), hours);
    QCOMPARE(t.messages().errors(),
             QStringList {QStringLiteral(
                 "Поле «Кол-во»: «1,2,3» не является числом. Введите число, например 12,5.")});
}

// A record of another client with a larger id must not become the editor's record.
void TestEntryAdd::ownIdAfterInsert()
{
    Editor t;
    t.in();
    t.p.db.exec(QStringLiteral("insert into accounts_dep.smena(id, data, smena, w_id, i_id, o_id, "
                               "kol_vo, time) values (900000, '2026-12-10', 1, 25, 201, 4, 1, 1)"));
    int shown = 0, own = 0, members = 0;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("2"));
        w->Button1->click();
        shown = w->Label10->text().toInt();
        own = w->recordId;
        t.scriptWorker(26);
        w->Button7->click();
        members = t.count(QStringLiteral("select count(*) from accounts_dep.person_temp where "
                                         "id_smena = %1 and id_person = 26")
                              .arg(own));
        w->Button9->click();
    });
    t.verifyClean();
    QVERIFY(shown != 900000);
    QCOMPARE(shown, own);
    QCOMPARE(members, 1);
    QCOMPARE(t.smena(own, "w_id, kol_vo"), QStringLiteral("24|1.000000"));
    QCOMPARE(t.count("select count(*) from accounts_dep.smena where w_id = 26 and data = "
                     "'2026-12-10'"),
             1);
    QCOMPARE(t.count("select count(*) from accounts_dep.person_temp where id_smena = 900000"), 0);
}

namespace {

const QString kDivideNow = QStringLiteral("Бригада не сохранена. Разделить запись между "
                                          "бригадой?\nНет — добавленные в бригаду будут убраны.");

} // namespace

void TestEntryAdd::leftAfterSave_data()
{
    QTest::addColumn<bool>("member");
    QTest::addColumn<bool>("divide");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("no brigade") << false << false << false;
    QTest::newRow("brigade, divided") << true << true << false;
    QTest::newRow("brigade, not divided") << true << false << false;
    QTest::newRow("brigade, close box, divided") << true << true << true;
    QTest::newRow("brigade, close box, not divided") << true << false << true;
}

// Leaving after the first save keeps the record and its hours. A brigade entered but not yet
// divided is never left behind half-done: the editor asks, and divides it or takes it back.
void TestEntryAdd::leftAfterSave()
{
    QFETCH(bool, member);
    QFETCH(bool, divide);
    QFETCH(bool, closeBox);
    Editor t;
    t.in();
    int id = 0;
    QString workerAfterPick = QStringLiteral("-");
    bool closed = false;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("4"), QStringLiteral("5"));
        w->Button1->click();
        id = w->recordId;
        if (member) {
            t.scriptWorker(26);
            w->Button7->click();
            workerAfterPick = w->Edit1->text();
            t.messages().answer(divide ? QMessageBox::Yes : QMessageBox::No);
        }
        if (closeBox)
            w->close();
        else
            w->Button2->click();
        closed = !w->isVisible();
    });
    t.verifyClean();
    QVERIFY(closed);
    if (member) {
        QCOMPARE(workerAfterPick, QString());
        QCOMPARE(t.messages().shown().size(), 1);
        QCOMPARE(t.messages().last().caption, QStringLiteral("Сохраннение"));
        QCOMPARE(t.messages().last().text, kDivideNow);
        QCOMPARE(t.messages().last().icon, ui::Icon::Question);
    } else {
        QVERIFY(t.messages().shown().isEmpty());
    }
    const bool divided = member && divide;
    QCOMPARE(t.smena(id, "kol_vo"),
             divided ? QStringLiteral("2.000000") : QStringLiteral("4.000000"));
    QCOMPARE(t.hoursOf(24, 1, kDay), QStringLiteral("5"));
    QCOMPARE(t.count("select count(*) from accounts_dep.smena where w_id = 26 and data = "
                     "'2026-12-10'"),
             divided ? 1 : 0);
    QCOMPARE(t.hoursOf(26, 1, kDay), divided ? QStringLiteral("5") : QString());
    QCOMPARE(t.count(QStringLiteral("select count(*) from accounts_dep.person_temp where "
                                    "id_smena = %1")
                         .arg(id)),
             0);
}

// "Удалить" under the brigade removes the member chosen there; a person is taken once.
void TestEntryAdd::brigadeDeleteAndTwice()
{
    Editor t;
    t.in();
    int id = 0;
    QStringList afterTwice, afterDelete;
    int materialRows = -1;
    const QString name25 = t.scalar("select s_caption from cmn_contractor.person where id = 25");
    const QString name24 = t.scalar("select s_caption from cmn_contractor.person where id = 24");
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("6"));
        w->Button1->click();
        id = w->recordId;
        t.p.db.exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                                   "f_qty_use) values (%1, 1, 0.5)")
                        .arg(id));
        w->reloadMaterials();
        for (int person : {25, 26, 25, 24}) {
            t.scriptWorker(person);
            w->Button7->click();
        }
        afterTwice = dirtest::columnTexts(w->DBGrid2->model(), 0);
        QVERIFY(w->fio_smena_gds.locate(QStringLiteral("s_caption"), name25));
        w->Button8->click();
        afterDelete = dirtest::columnTexts(w->DBGrid2->model(), 0);
        materialRows = w->smena_gds_use.recordCount();
        w->Button9->click();
    });
    t.verifyClean();
    QCOMPARE(afterTwice.size(), 2);
    QCOMPARE(afterDelete.size(), 1);
    QCOMPARE(afterDelete,
             QStringList {t.scalar("select s_caption from cmn_contractor.person where id = 26")});
    QCOMPARE(materialRows, 1);
    QCOMPARE(t.messages().errors(),
             (QStringList {name25 + QStringLiteral(" уже в бригаде!"),
                           name24 + QStringLiteral(" уже в бригаде!")}));
    // The division: the worker and the one member left, 3 each.
    QCOMPARE(t.scalar("select string_agg(w_id || ':' || kol_vo::numeric(10, 1), ',' order by "
                      "w_id) from accounts_dep.smena where data = '2026-12-10' and o_id = 21 and "
                      "w_id in (24, 25, 26)"),
             QStringLiteral("24:3.0,26:3.0"));
}

QTEST_MAIN(TestEntryAdd)
#include "tst_entry_add.moc"
