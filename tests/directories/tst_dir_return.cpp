// Back in a list after its editor: "Отмена" (or Esc) after "Добавить" leaves the list on the row
// it had, a save reloads it onto its first row; the lists that put the focus in their filter
// edit when they open do so again when an editor closes.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/directory_window.h"
#include "core/forms.h"
#include "ui/data_grid.h"

#include <QLineEdit>
#include <QPushButton>

using namespace dirtest;

namespace {

// The list's editor left one way or another.
int leaveEditor(QDialog *e, const QString &how)
{
    if (how == QLatin1String("save")) {
        e->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("Ааа новая"));
        e->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    } else if (how == QLatin1String("esc")) {
        QTest::keyClick(e, Qt::Key_Escape);
    } else {
        e->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    }
    return e->result();
}

} // namespace

class TestDirReturn : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void afterAdd_data();
    void afterAdd();
    void focusAfterEditor_data();
    void focusAfterEditor();
};

void TestDirReturn::afterAdd_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("addButton");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("rowAfter");
    struct List
    {
        const char *name, *menu, *list, *add, *editor, *dataset, *table;
    };
    const List lists[] = {
        {"departments", "N19", "TForm30", "Button5", "TForm31", "department",
         "cmn_department.department"},
        {"positions", "N8", "TForm26", "Button1", "TForm27", "staffpos", "hrms_staffpos.staffpos"},
        {"nomenclature", "N9", "TForm28", "Button5", "TForm29", "nomenclature",
         "cmn_inventory_items.nomenclature"},
        {"operation types", "N6", "TForm8", "Button1", "TForm9", "operation_type",
         "mnf_operation.operation_type"},
    };
    for (const List &l : lists) {
        for (const char *how : {"cancel", "esc", "save"}) {
            QTest::addRow("%s, %s", l.name, how)
                << l.menu << l.list << l.add << l.editor << l.dataset << l.table << how
                << (QByteArray(how) == "save" ? 1 : 3);
        }
    }
}

void TestDirReturn::afterAdd()
{
    QFETCH(QString, menu);
    QFETCH(QString, list);
    QFETCH(QString, addButton);
    QFETCH(QString, editor);
    QFETCH(QString, dataset);
    QFETCH(QString, table);
    QFETCH(QString, how);
    QFETCH(int, rowAfter);
    Program t;
    t.in();
    db::Dataset *ds = dataModule().findDataset(dataset);
    QVERIFY(ds);
    const int rowsBefore = t.count(QStringLiteral("select count(*) from ") + table);
    int row = -1, shown = -1;
    QString third, current;
    t.modal().script(list, [&](QDialog *w) {
        auto *grid = w->findChild<ui::DataGrid *>(QStringLiteral("DBGrid1"));
        ds->setRecNo(3);
        third = grid->model()->index(2, 0).data().toString();
        t.modal().script(editor, [&](QDialog *e) { return leaveEditor(e, how); });
        w->findChild<QPushButton *>(addButton)->click();
        row = ds->recNo();
        shown = grid->selectionModel()->selectedRows().value(0).row() + 1;
        current = grid->model()->index(row - 1, 0).data().toString();
        return int(QDialog::Rejected);
    });
    QAction *a = t.p.journal()->findChild<QAction *>(menu);
    QVERIFY(a);
    a->trigger();
    t.verifyClean();
    QCOMPARE(row, rowAfter);
    QCOMPARE(shown, rowAfter);
    if (how != QLatin1String("save"))
        QCOMPARE(current, third); // the same row, not only the same number
    QCOMPARE(t.count(QStringLiteral("select count(*) from ") + table),
             rowsBefore + (how == QLatin1String("save") ? 1 : 0));
}

void TestDirReturn::focusAfterEditor_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("addButton");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<bool>("toFilter");
    QTest::newRow("personnel") << "N1"
                               << "TForm5"
                               << "Button1"
                               << "TForm2" << true;
    QTest::newRow("items") << "N3"
                           << "TForm3"
                           << "Button1"
                           << "TForm7" << true;
    QTest::newRow("operation types") << "N6"
                                     << "TForm8"
                                     << "Button1"
                                     << "TForm9" << true;
    // The departments list never moves the focus to its filter.
    QTest::newRow("departments") << "N19"
                                 << "TForm30"
                                 << "Button5"
                                 << "TForm31" << false;
}

void TestDirReturn::focusAfterEditor()
{
    QFETCH(QString, menu);
    QFETCH(QString, list);
    QFETCH(QString, addButton);
    QFETCH(QString, editor);
    QFETCH(bool, toFilter);
    Program t;
    t.in();
    bool onOpen = !toFilter, inFilter = !toFilter;
    t.modal().script(list, [&](QDialog *w) {
        auto *filter = w->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        onOpen = w->focusWidget() == filter;
        // The user clicks into the list, then adds and cancels.
        w->findChild<ui::DataGrid *>(QStringLiteral("DBGrid1"))->setFocus();
        t.modal().script(editor,
                         [](QDialog *e) { return leaveEditor(e, QStringLiteral("cancel")); });
        w->findChild<QPushButton *>(addButton)->click();
        inFilter = w->focusWidget() == filter;
        return int(QDialog::Rejected);
    });
    QAction *a = t.p.journal()->findChild<QAction *>(menu);
    QVERIFY(a);
    a->trigger();
    t.verifyClean();
    QCOMPARE(onOpen, toFilter);
    QCOMPARE(inFilter, toFilter);
}

QTEST_MAIN(TestDirReturn)
#include "tst_dir_return.moc"
