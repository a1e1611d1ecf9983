// The operation chooser of the entry editor: the process list opened as the editor opens it, a
// process's operations with "Выбрать", and what reaches the editor (operation, item, price and
// text) when an operation is picked, and nothing when the lists are left without a pick.

#include "support/proc_fixture.h"

#include "journal/entry_editor.h"

#include <QCheckBox>

using namespace proctest;

namespace {

// The entry editor's opening of the process list in chooser mode.
void openChooser()
{
    db::Dataset &op = dataModule().operation;
    op.open();
    op.first();
    forms().processes->showAsChooser(TForm11::kOperationChooser);
    op.setFiltered(false);
}

// The editor clears its pick before it opens the chooser.
OperationTarget &clearedPick()
{
    OperationTarget &chosen = forms().entryEditor->chosenOperation;
    chosen.picked = false;
    chosen.operationId = 0;
    chosen.itemId = 0;
    chosen.price = 0;
    chosen.text.clear();
    return chosen;
}

struct Seen
{
    bool listShowsProcesses = false;
    QString pickButton;
    bool editingHidden = false;
    bool nameReadOnly = false;
    bool pickIsDefault = false;
    bool listClosed = false;
};

} // namespace

class TestProcChooser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pick_data();
    void pick();
    void noPick_data();
    void noPick();
    void menuAfterChooser();
};

void TestProcChooser::pick_data()
{
    QTest::addColumn<QString>("mark");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("item");
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("text");
    QTest::newRow("finished product, buttons")
        << "ШМ-01" << 3 << false << 14 << 203 << 21.0 << "ШМ-01; Сварка; Готовая продукция";
    QTest::newRow("blank, double clicks")
        << "ШМ-01" << 1 << true << 12 << 207 << 6.0 << "Дверь Д-01; Резка; Заготовки";
    QTest::newRow("fraction of a price")
        << "СТ-2000" << 4 << false << 10 << 202 << 15.5 << "СТ-2000; Сборка; Готовая продукция";
}

void TestProcChooser::pick()
{
    QFETCH(QString, mark);
    QFETCH(int, row);
    QFETCH(bool, doubleClick);
    QFETCH(int, operation);
    QFETCH(int, item);
    QFETCH(double, price);
    QFETCH(QString, text);
    Program t;
    t.in();
    t.p.db.exec("update cmn_inventory_items.inventory_items set marka = marka || '  '");
    const QString before = t.scalar("select string_agg(row(o.*)::text, ';' order by id) from "
                                    "mnf_operation.operation o");
    OperationTarget &chosen = clearedPick();
    Seen seen;
    t.modal().script<TForm4>([&](TForm4 *w) {
        seen.listShowsProcesses = w->DBGrid1->model()->rowCount() == 5;
        dirtest::typeText(w->Edit1, mark);
        t.modal().script<TForm33>([&](TForm33 *p) {
            seen.pickButton = p->Button2->text();
            seen.pickIsDefault = p->Button2->isDefault();
            seen.editingHidden = p->Button1->isHidden() && p->Button3->isHidden()
                && p->Button5->isHidden() && p->Button6->isHidden();
            seen.nameReadOnly = p->Edit3->isReadOnly();
            dataModule().operation.setRecNo(row);
            if (doubleClick)
                Q_EMIT p->DBGrid1->rowDoubleClicked();
            else
                p->Button2->click();
            return p->result();
        });
        if (doubleClick)
            Q_EMIT w->DBGrid1->rowDoubleClicked();
        else
            w->Button2->click();
        seen.listClosed = !w->isVisible() && w->result() == QDialog::Accepted;
        return w->result();
    });
    openChooser();
    t.verifyClean();
    QVERIFY(t.messages().shown().isEmpty());
    QVERIFY(seen.listShowsProcesses);
    QCOMPARE(seen.pickButton, QStringLiteral("Выбрать"));
    QVERIFY(seen.pickIsDefault);
    QVERIFY(seen.editingHidden);
    QVERIFY(seen.nameReadOnly);
    QVERIFY(seen.listClosed);
    QVERIFY(chosen.picked);
    QCOMPARE(chosen.operationId, operation);
    QCOMPARE(chosen.itemId, item);
    QCOMPARE(chosen.price, price);
    QCOMPARE(chosen.text, text);
    // Looking and picking writes nothing.
    QCOMPARE(t.scalar("select string_agg(row(o.*)::text, ';' order by id) from "
                      "mnf_operation.operation o"),
             before);
    QVERIFY(!dataModule().proc_tech.isOpen());
}

void TestProcChooser::noPick_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("list left at once") << "list";
    QTest::newRow("operations left with Выход") << "Выход";
    QTest::newRow("operations left with Esc") << "Esc";
    QTest::newRow("process without operations") << "empty";
}

void TestProcChooser::noPick()
{
    QFETCH(QString, how);
    Program t;
    t.in();
    t.p.db.exec("insert into mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) values "
                "(41, 'Дверь без операций', 207)");
    OperationTarget &chosen = clearedPick();
    int operationsShown = 0;
    bool found = true;
    t.modal().script<TForm4>([&](TForm4 *w) {
        if (how != QLatin1String("list")) {
            found = goToProcess(how == QLatin1String("empty") ? 41 : 2);
            t.modal().script<TForm33>([&](TForm33 *p) {
                ++operationsShown;
                if (how == QStringLiteral("Выход"))
                    p->Button4->click();
                else if (how == QLatin1String("Esc"))
                    QTest::keyClick(p, Qt::Key_Escape);
                else {
                    p->Button2->click(); // nothing to pick: the window stays
                    if (p->isVisible())
                        p->Button4->click();
                }
                return p->result();
            });
            w->Button2->click();
        }
        // Back in the list: still open, to pick another process or to leave.
        if (w->isVisible())
            w->Button4->click();
        return w->result();
    });
    openChooser();
    t.verifyClean();
    QVERIFY(found);
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(operationsShown, how == QLatin1String("list") ? 0 : 1);
    QVERIFY(!chosen.picked);
    QCOMPARE(chosen.operationId, 0);
    QCOMPARE(chosen.text, QString());
}

void TestProcChooser::menuAfterChooser()
{
    // After the chooser the menu's list has its buttons back, and its process window edits.
    Program t;
    t.in();
    t.modal().script<TForm4>([](TForm4 *w) {
        w->Button4->click();
        return w->result();
    });
    openChooser();
    bool add = false, remove = false, headerEditable = false;
    QString changeButton, listButton;
    fromMenu(t, [&](TForm4 *w) {
        add = w->Button1->isVisible();
        listButton = w->Button2->text();
        remove = w->Button3->isVisible();
        QVERIFY(goToProcess(1));
        openProcess(t, w, [&](TForm33 *p) {
            changeButton = p->Button2->text();
            headerEditable
                = !p->Edit3->isReadOnly() && p->Button6->isVisible() && p->Button1->isVisible();
        });
    });
    t.verifyClean();
    QVERIFY(add);
    QVERIFY(remove);
    // The menu's list edits again, and says so.
    QCOMPARE(listButton, QStringLiteral("Изменить"));
    QCOMPARE(changeButton, QStringLiteral("Изменить"));
    QVERIFY(headerEditable);
}

QTEST_MAIN(TestProcChooser)
#include "tst_proc_chooser.moc"
