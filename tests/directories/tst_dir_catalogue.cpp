// Nomenclature groups, inventory items and operation types: the lists and editors, the item
// count with the database's decimal separator, the filter keys that differ between lists, refused
// deletes, and the items and operation types lists as choosers for the process windows.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/formats.h"
#include "directories/item_editor.h"
#include "directories/items_window.h"
#include "directories/nomenclature_editor.h"
#include "directories/nomenclature_window.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "processes/operation_editor.h"
#include "processes/process_operations_window.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"

#include <QLineEdit>
#include <QPushButton>

#include <functional>

using namespace dirtest;

namespace {

// A process window picking through a list: the list's dataset opened and closed around the
// caller's chooser opening, `inside` run while the list is shown.
template<typename List>
void pick(List *list, db::Dataset &dataset, const ChooserOpening &how,
          const std::function<void(List *)> &inside, testing::ScriptedModal &modal)
{
    dataset.open();
    modal.script<List>([inside](List *l) {
        inside(l);
        return l->result();
    });
    list->showAsChooser(how);
    dataset.close();
}

} // namespace

class TestDirCatalogue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nomenclature();
    void nomenclatureRefusedDelete();
    void itemCount_data();
    void itemCount();
    void itemCountRefusedByServer();
    void itemsListRules();
    void itemChooser_data();
    void itemChooser();
    void operationTypes();
    void operationTypeRefusedDelete();
    void operationTypeChooser_data();
    void operationTypeChooser();
};

void TestDirCatalogue::nomenclature()
{
    Program t;
    t.in();
    int stores = 0, rowAfterAdd = 0, keyOnChange = -1;
    QString addedStore, afterDelete;
    QStringList titles;
    t.fromMenu<TForm28>("N9", [&](TForm28 *w) {
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        db::Dataset &n = dataModule().nomenclature;
        // The first add after start offers every department as the store.
        t.modal().script<TForm29>([&](TForm29 *e) {
            stores = e->p_department->count();
            e->Edit1->setText(QStringLiteral("  Крепеж "));
            e->Button1->click();
            return e->result();
        });
        w->Button5->click();
        rowAfterAdd = n.recNo();
        QVERIFY(n.locate("s_caption", QStringLiteral("Крепеж")));
        addedStore = n.asString("s_department");
        t.modal().script<TForm29>([&](TForm29 *e) {
            keyOnChange = e->p_department->keyValue().toInt();
            e->p_department->setKeyValue(7);
            e->Button1->click();
            return e->result();
        });
        w->Button2->click();
        // The new group has no items: it goes, the list stays on the row number.
        const int row = n.recNo();
        t.messages().answerYes();
        w->Button3->click();
        afterDelete = n.recNo() == row ? n.asString("s_caption") : QString();
        // Delete and Left do nothing in this filter edit.
        typeText(w->Edit1, QStringLiteral("Шк"));
        w->Edit1->setCursorPosition(0);
        QTest::keyClick(w->Edit1, Qt::Key_Delete);
        QTest::keyClick(w->Edit1, Qt::Key_Right);
        QCOMPARE(w->Edit1->text(), QStringLiteral("Шк"));
        QCOMPARE(w->Edit1->cursorPosition(), 0);
        QCOMPARE(columnTexts(w->DBGrid1->model(), 0), QStringList {"Шкафы металлические"});
    });
    t.verifyClean();
    QCOMPARE(titles, (QStringList {"Наименование", "Сокращение"}));
    QCOMPARE(stores, t.count("select count(*) from cmn_department.department"));
    QCOMPARE(rowAfterAdd, 1);
    QCOMPARE(addedStore, QStringLiteral("Без подразделения"));
    QCOMPARE(keyOnChange, 0);
    QCOMPARE(t.messages().texts(), QStringList {"Удалить строку?"});
    QCOMPARE(t.count("select count(*) from cmn_inventory_items.nomenclature where s_caption = "
                     "'Крепеж'"),
             0);
    QCOMPARE(afterDelete, QStringLiteral("Лакокрасочные материалы"));
}

void TestDirCatalogue::nomenclatureRefusedDelete()
{
    Program t;
    t.in();
    int rows = 0, rowsAfter = -1;
    t.fromMenu<TForm28>("N9", [&](TForm28 *w) {
        db::Dataset &n = dataModule().nomenclature;
        QVERIFY(n.locate("s_caption", QStringLiteral("Шкафы металлические")));
        rows = n.recordCount();
        t.messages().answerYes();
        w->Button3->click();
        rowsAfter = n.recordCount();
        QCOMPARE(n.asString("s_caption"), QStringLiteral("Шкафы металлические"));
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY(t.messages().errors().constFirst().contains("В группе номенклатуры есть изделия"));
    QCOMPARE(rowsAfter, rows);
}

void TestDirCatalogue::itemCount_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("comma") << "12,5"
                           << "12.500000";
    QTest::newRow("point") << "12.5"
                           << "12.500000";
    QTest::newRow("whole") << "12"
                           << "12.000000";
    QTest::newRow("blanks") << " 0,25 "
                            << "0.250000";
}

void TestDirCatalogue::itemCount()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Program t;
    t.in();
    QCOMPARE(dataModule().decimalSeparator, QStringLiteral(".")); // read by the version check
    QString shownOnChange, caption;
    int editorTag = -1;
    t.fromMenu<TForm3>("N3", [&](TForm3 *w) {
        t.modal().script<TForm7>([&](TForm7 *e) {
            caption = e->windowTitle();
            e->Edit1->setText(QStringLiteral("СТ-99"));
            e->Edit2->setText(typed);
            e->combo_nomenclature->setKeyValue(1);
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
        QVERIFY(dataModule().inventory_items.locate("marka", QStringLiteral("СТ-99")));
        t.modal().script<TForm7>([&](TForm7 *e) {
            editorTag = e->tag;
            shownOnChange = e->Edit2->text();
            e->Button1->click(); // saved again as shown
            return e->result();
        });
        w->Button2->click();
    });
    t.verifyClean();
    QCOMPARE(caption, QStringLiteral("Form7"));
    QCOMPARE(editorTag, 2);
    QCOMPARE(shownOnChange, db::formatGeneral(stored.toDouble()));
    QCOMPARE(t.scalar("select massa || '|' || id_nom from cmn_inventory_items.inventory_items "
                      "where marka = 'СТ-99'"),
             stored + QStringLiteral("|1"));
}

void TestDirCatalogue::itemCountRefusedByServer()
{
    // With "," as the database's separator "12.5" becomes "12,5", which the server cannot read:
    // the error shows, nothing is written and the editor stays open.
    Program t;
    t.p.db.exec("update ver set delim = ','");
    t.in();
    QCOMPARE(dataModule().decimalSeparator, QStringLiteral(","));
    bool openAfter = false;
    t.fromMenu<TForm3>("N3", [&](TForm3 *w) {
        t.modal().script<TForm7>([&](TForm7 *e) {
            e->Edit1->setText(QStringLiteral("СТ-99"));
            e->Edit2->setText(QStringLiteral("12.5"));
            e->Button1->click();
            openAfter = e->isVisible() && e->result() == 0;
            e->Edit2->setText(QStringLiteral("12"));
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY2(t.messages().errors().constFirst().contains("12,5"),
             qPrintable(t.messages().errors().constFirst()));
    QVERIFY(openAfter);
    QCOMPARE(t.scalar("select massa::text from cmn_inventory_items.inventory_items where marka = "
                      "'СТ-99'"),
             QStringLiteral("12.000000"));
}

void TestDirCatalogue::itemsListRules()
{
    Program t;
    t.in();
    QStringList titles;
    bool focus = false, required = false;
    int rowAfterAdd = 0, rowsAfterRefusal = 0, rows = 0;
    QString afterDelete, listedGroup;
    t.fromMenu<TForm3>("N3", [&](TForm3 *w) {
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        focus = w->focusWidget() == w->Edit1;
        db::Dataset &i = dataModule().inventory_items;
        // Both the mark and the count are required; a group is not, and group 0 lists it.
        i.setRecNo(4);
        t.modal().script<TForm7>([&](TForm7 *e) {
            e->Edit1->setText(QStringLiteral("АА-1"));
            e->Button1->click();
            required = e->isVisible() && e->result() == 0;
            e->Edit2->setText(QStringLiteral("3"));
            e->combo_nomenclature->setCurrentIndex(-1);
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
        rowAfterAdd = i.recNo();
        QVERIFY(i.locate("marka", QStringLiteral("АА-1")));
        listedGroup = i.asString("s_nom");
        const int row = i.recNo();
        t.messages().answerYes();
        w->Button3->click();
        afterDelete = i.recNo() == row ? i.asString("marka") : QString();
        // An item used by operations: refused, the list as it was.
        rows = i.recordCount();
        t.messages().answerYes();
        w->Button3->click();
        rowsAfterRefusal = i.recordCount();
        // Delete, Left and Right work on the filter text here; Up and Down move the list.
        typeText(w->Edit1, QStringLiteral("XШ"));
        w->Edit1->setCursorPosition(0);
        QTest::keyClick(w->Edit1, Qt::Key_Delete);
        QCOMPARE(w->Edit1->text(), QStringLiteral("Ш"));
        QTest::keyClick(w->Edit1, Qt::Key_Right);
        QCOMPARE(w->Edit1->cursorPosition(), 1);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        QCOMPARE(i.recNo(), 2);
    });
    t.verifyClean();
    QCOMPARE(titles, (QStringList {"Марка изделия", "Коробки", "Номенклатура"}));
    QVERIFY(focus);
    QVERIFY(required);
    QCOMPARE(rowAfterAdd, 4);
    QCOMPARE(listedGroup, QStringLiteral("Без группы"));
    QCOMPARE(t.messages().errors().size(), 2);
    QCOMPARE(t.messages().errors().constFirst(), QStringLiteral("Все поля должны быть заполнены!"));
    QVERIFY(t.messages().errors().constLast().contains("удалить нельзя"));
    QCOMPARE(t.messages().texts().count("Удалить изделие?"), 2);
    QVERIFY(!afterDelete.isEmpty());
    QCOMPARE(rowsAfterRefusal, rows);
    // The list's own close handler closed its dataset.
    QVERIFY(!dataModule().inventory_items.isOpen());
}

void TestDirCatalogue::itemChooser_data()
{
    QTest::addColumn<QString>("how"); // "pick", "double click", "empty", "exit"
    QTest::addColumn<QString>("mark");
    QTest::addColumn<bool>("idSet");
    QTest::newRow("pick") << "pick"
                          << "ШМ-02" << true;
    QTest::newRow("double click") << "double click"
                                  << "ШМ-02" << true;
    QTest::newRow("empty list") << "empty"
                                << "" << false;
    QTest::newRow("exit") << "exit"
                          << "прежнее" << false;
}

void TestDirCatalogue::itemChooser()
{
    QFETCH(QString, how);
    QFETCH(QString, mark);
    QFETCH(bool, idSet);
    Program t;
    t.in();
    t.p.db.exec("update cmn_inventory_items.inventory_items set marka = 'ШМ-02   ' where marka = "
                "'ШМ-02'");
    ItemTarget &item = forms().processOperations->item;
    item.mark = QStringLiteral("прежнее");
    item.id = 77;
    bool buttonsHidden = false;
    pick<TForm3>(
        forms().items, dataModule().inventory_items, TForm33::kItemChooser,
        [&](TForm3 *l) {
            buttonsHidden = l->Button1->isHidden() && l->Button3->isHidden();
            if (how == QLatin1String("exit")) {
                l->Button8->click();
                return;
            }
            typeText(l->Edit1,
                     how == QLatin1String("empty") ? QStringLiteral("Щщ")
                                                   : QStringLiteral("ШМ-02"));
            if (how == QLatin1String("double click"))
                emit l->DBGrid1->rowDoubleClicked();
            else
                l->Button2->click();
        },
        t.modal());
    t.verifyClean();
    QVERIFY(buttonsHidden);
    QCOMPARE(item.mark, mark);
    const QString id = t.scalar("select id from cmn_inventory_items.inventory_items where marka "
                                "like 'ШМ-02%'");
    QCOMPARE(item.id, idSet ? id.toInt() : how == QLatin1String("exit") ? 77 : 0);
    QVERIFY(t.modal().shown().filter("TForm7").isEmpty());
}

void TestDirCatalogue::operationTypes()
{
    Program t;
    t.in();
    QStringList titles, fieldsOnAdd, fieldsOnChange;
    bool focus = false;
    int rowAfterAdd = 0, rowAfterChange = 0;
    QString atRow;
    t.fromMenu<TForm8>("N6", [&](TForm8 *w) {
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        focus = w->focusWidget() == w->Edit1;
        db::Dataset &o = dataModule().operation_type;
        // A change, then an add: the editor opens empty.
        QVERIFY(o.locate("s_caption", QStringLiteral("Гибка")));
        const int row = o.recNo();
        t.modal().script<TForm9>([&](TForm9 *e) {
            fieldsOnChange = QStringList {e->Edit1->text(), e->Edit2->text()};
            e->Edit1->setText(QStringLiteral("Шлифовка"));
            e->Button1->click();
            return e->result();
        });
        w->Button2->click();
        rowAfterChange = o.recNo() - row;
        atRow = o.asString("s_caption");
        t.modal().script<TForm9>([&](TForm9 *e) {
            fieldsOnAdd = QStringList {e->Edit1->text(), e->Edit2->text()};
            e->Edit1->setText(QStringLiteral("Зачистка"));
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
        rowAfterAdd = o.recNo();
    });
    t.verifyClean();
    QCOMPARE(titles, (QStringList {"Операции", "Описание"}));
    QVERIFY(focus);
    QCOMPARE(fieldsOnChange, (QStringList {"Гибка", "Гибка на листогибе"}));
    QCOMPARE(rowAfterChange, 0);
    QCOMPARE(atRow, QStringLiteral("Грунтовка"));
    QCOMPARE(fieldsOnAdd, (QStringList {"", ""}));
    QCOMPARE(rowAfterAdd, 1);
    // An empty description is an empty text, not a missing value.
    QCOMPARE(t.scalar("select coalesce(s_description, 'NULL') from mnf_operation.operation_type "
                      "where s_caption = 'Зачистка'"),
             QString());
    QCOMPARE(t.count("select count(*) from mnf_operation.operation_type where s_caption = "
                     "'Зачистка' and s_description = ''"),
             1);
    QCOMPARE(t.scalar("select s_caption from mnf_operation.operation_type where id = 2"),
             QStringLiteral("Шлифовка"));
}

void TestDirCatalogue::operationTypeRefusedDelete()
{
    Program t;
    t.in();
    t.p.db.exec("insert into mnf_operation.operation_type (s_caption) values ('Ненужная')");
    int rows = 0, rowsAfter = -1, deletedRows = -1;
    t.fromMenu<TForm8>("N6", [&](TForm8 *w) {
        db::Dataset &o = dataModule().operation_type;
        QVERIFY(o.locate("s_caption", QStringLiteral("Сварка")));
        rows = o.recordCount();
        t.messages().answerYes();
        w->Button3->click();
        rowsAfter = o.recordCount();
        QCOMPARE(o.asString("s_caption"), QStringLiteral("Сварка"));
        QVERIFY(o.locate("s_caption", QStringLiteral("Ненужная")));
        t.messages().answerYes();
        w->Button3->click();
        deletedRows = o.recordCount();
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY(t.messages().errors().constFirst().contains("Операция используется в техпроцессах"));
    QCOMPARE(rowsAfter, rows);
    QCOMPARE(deletedRows, rows - 1);
}

void TestDirCatalogue::operationTypeChooser_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::newRow("pick") << "pick"
                          << "Покраска" << 4;
    QTest::newRow("double click") << "double click"
                                  << "Покраска" << 4;
    QTest::newRow("empty list") << "empty"
                                << "" << 0;
    QTest::newRow("exit") << "exit"
                          << "прежний" << 77;
}

void TestDirCatalogue::operationTypeChooser()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(int, id);
    Program t;
    t.in();
    OperationTypeTarget &type = forms().operationEditor->operationType;
    type.name = QStringLiteral("прежний");
    type.id = 77;
    bool focus = false;
    pick<TForm8>(
        forms().operationTypes, dataModule().operation_type, TForm10::kTypeChooser,
        [&](TForm8 *l) {
            focus = l->focusWidget() == l->Edit1;
            if (how == QLatin1String("exit")) {
                l->Button4->click();
                return;
            }
            typeText(l->Edit1,
                     how == QLatin1String("empty") ? QStringLiteral("Щщ") : QStringLiteral("Пок"));
            if (how == QLatin1String("double click"))
                emit l->DBGrid1->rowDoubleClicked();
            else
                l->Button2->click();
        },
        t.modal());
    t.verifyClean();
    QVERIFY(focus);
    QCOMPARE(type.name, name);
    QCOMPARE(type.id, id);
    QVERIFY(t.modal().shown().filter("TForm9").isEmpty());
}

QTEST_MAIN(TestDirCatalogue)
#include "tst_dir_catalogue.moc"
