// The operation of a new record chosen as a person does: the editor's "..." opens the process
// list as a chooser, a process opens its operations, "Выбрать" there hands the operation to the
// editor and "Запись" stores it; lists left without a pick change nothing.

#include "support/entry_fixture.h"

#include "db/formats.h"
#include "processes/process_operations_window.h"

using namespace entrytest;

namespace {

struct ListSeen
{
    QString pickButton;
    bool addAndDeleteHidden = false;
    bool searchEmpty = false;
    QString operationsPickButton;
};

// The next chooser: the process of `mark` found by the search, its operation `operation` picked
// with "Выбрать" (or, with `operation` 0, the lists left with Esc).
void scriptPick(Editor &t, const QString &mark, int operation, ListSeen &seen)
{
    t.modal().script<TForm4>([&t, &seen, mark, operation](TForm4 *l) {
        seen.pickButton = l->Button2->text();
        seen.addAndDeleteHidden = l->Button1->isHidden() && l->Button3->isHidden();
        seen.searchEmpty = l->Edit1->text().isEmpty();
        typeText(l->Edit1, mark);
        t.modal().script<TForm33>([&seen, operation](TForm33 *p) {
            seen.operationsPickButton = p->Button2->text();
            if (operation == 0 || !dataModule().operation.locate(QStringLiteral("id"), operation))
                QTest::keyClick(p, Qt::Key_Escape);
            else
                p->Button2->click();
            return p->result();
        });
        l->Button2->click();
        if (l->isVisible())
            QTest::keyClick(l, Qt::Key_Escape);
        return l->result();
    });
}

} // namespace

class TestEntryChooser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pickedOperationIsStored();
    void leftWithoutPick();
};

void TestEntryChooser::pickedOperationIsStored()
{
    Editor t;
    t.in();
    // A list left filtered from an earlier opening: the chooser starts with an empty search.
    forms().processes->Edit1->setText(QStringLiteral("СТ"));
    const QString text = t.scalar(
        "select trim(ii.marka) || '; ' || trim(ot.s_caption) || '; Готовая продукция' "
        "from mnf_operation.operation o join cmn_inventory_items.inventory_items ii on "
        "ii.id = o.id_inventory_items join mnf_operation.operation_type ot on ot.id = o.id_type "
        "where o.id = 14 and o.id_state = 0");
    QVERIFY(!text.isEmpty());
    ListSeen seen;
    QString shown, finalPrice;
    int id = 0;
    t.add([&](TForm11 *w) {
        w->RG1Item1->click();
        Editor::chooseProduct(w, 204, 3020);
        Editor::choose(w->LCB_id_doc_item, 4);
        t.scriptWorker(24);
        w->Button3->click();
        scriptPick(t, QStringLiteral("ШМ-01"), 14, seen);
        w->Button4->click();
        shown = w->Edit2->text();
        finalPrice = w->Edit8->text();
        w->Edit3->setText(QStringLiteral("2"));
        w->Edit6->setText(QStringLiteral("8"));
        w->Button1->click();
        id = w->Label10->text().toInt();
        w->Button9->click();
    });
    t.verifyClean();
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(seen.pickButton, QStringLiteral("Выбрать"));
    QVERIFY(seen.addAndDeleteHidden);
    QVERIFY(seen.searchEmpty);
    QCOMPARE(seen.operationsPickButton, QStringLiteral("Выбрать"));
    QCOMPARE(shown, text);
    QCOMPARE(finalPrice,
             db::formatGeneral(t.scalar("select price::float8 from mnf_operation.operation "
                                        "where id = 14")
                                   .toDouble()));
    QVERIFY(id > 0);
    QCOMPARE(t.smena(id,
                     "o_id, i_id = (select id_inventory_items from "
                     "mnf_operation.operation where id = 14), cena = (select price from "
                     "mnf_operation.operation where id = 14)"),
             QStringLiteral("14|t|t"));
}

void TestEntryChooser::leftWithoutPick()
{
    Editor t;
    t.in();
    const int records = t.count("select count(*) from accounts_dep.smena");
    ListSeen seen;
    QString before, after, afterEsc;
    t.add([&](TForm11 *w) {
        t.scriptWorker(24);
        w->Button3->click();
        scriptPick(t, QStringLiteral("ШМ-01"), 14, seen);
        w->Button4->click();
        before = w->Edit2->text();
        // Both lists left with Esc: the editor keeps the operation it had.
        scriptPick(t, QStringLiteral("СТ-2000"), 0, seen);
        w->Button4->click();
        after = w->Edit2->text();
        // The list itself left at once.
        t.modal().script<TForm4>([](TForm4 *l) {
            QTest::keyClick(l, Qt::Key_Escape);
            return l->result();
        });
        w->Button4->click();
        afterEsc = w->Edit2->text();
    });
    t.verifyClean();
    QVERIFY(before.startsWith(QStringLiteral("ШМ-01; ")));
    QCOMPARE(after, before);
    QCOMPARE(afterEsc, before);
    // Choosing writes nothing; the editor was left without "Запись".
    QCOMPARE(t.count("select count(*) from accounts_dep.smena"), records);
}

QTEST_MAIN(TestEntryChooser)
#include "tst_entry_chooser.moc"
