// The reference directories when the server restarts while an editor is open: "Записать" shows
// one error and writes nothing, the editor stays open with what was typed, the next "Записать"
// stores the row once and the list shows it. Opening a list and deleting a row behave alike.

#include "support/dir_fixture.h"
#include "support/reconnect_fixture.h"

#include "core/data_module.h"
#include "core/directory_window.h"

#include <QLineEdit>
#include <QPushButton>

using namespace dirtest;
using testing::restartServer;

namespace {

// Opens the list of the journal's menu item; `inside` drives it while it is shown.
void fromMenu(Program &t, const QString &action, const QString &listClass,
              const std::function<void(DirectoryWindow *)> &inside)
{
    t.modal().script(listClass, [inside](QDialog *d) {
        inside(qobject_cast<DirectoryWindow *>(d));
        return int(QDialog::Rejected);
    });
    t.p.journal()->findChild<QAction *>(action)->trigger();
}

} // namespace

class TestDirectoryReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void add_data();
    void add();
    void openingAfterRestart();
    void deleteAfterRestart();
};

void TestDirectoryReconnect::add_data()
{
    QTest::addColumn<QString>("action"); // the journal's menu item
    QTest::addColumn<QString>("list"); // its list's class
    QTest::addColumn<QString>("editor"); // its editor's class
    QTest::addColumn<QStringList>("fields"); // "Edit1=text", typed in the editor
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column"); // holds Edit1's text
    QTest::newRow("positions") << "N8"
                               << "TForm26"
                               << "TForm27" << QStringList {"Edit1=Стажёр-наладчик"}
                               << "hrms_staffpos.staffpos"
                               << "s_caption";
    QTest::newRow("departments") << "N19"
                                 << "TForm30"
                                 << "TForm31"
                                 << QStringList {"Edit1=Участок сборки", "Edit2=у ворот"}
                                 << "cmn_department.department"
                                 << "s_caption";
    QTest::newRow("nomenclature") << "N9"
                                  << "TForm28"
                                  << "TForm29" << QStringList {"Edit1=Крепёж особый"}
                                  << "cmn_inventory_items.nomenclature"
                                  << "s_caption";
    QTest::newRow("operation types")
        << "N6"
        << "TForm8"
        << "TForm9" << QStringList {"Edit1=Шлифовка тонкая"} << "mnf_operation.operation_type"
        << "s_caption";
    QTest::newRow("items") << "N3"
                           << "TForm3"
                           << "TForm7" << QStringList {"Edit1=СТ-990", "Edit2=12"}
                           << "cmn_inventory_items.inventory_items"
                           << "marka";
}

void TestDirectoryReconnect::add()
{
    QFETCH(QString, action);
    QFETCH(QString, list);
    QFETCH(QString, editor);
    QFETCH(QStringList, fields);
    QFETCH(QString, table);
    QFETCH(QString, column);
    Program t;
    t.in();
    const QString name = fields.first().section(u'=', 1);
    const QString countSql
        = QStringLiteral("select count(*) from %1 where %2 = '%3'").arg(table, column, name);
    const QString rowsSql = QStringLiteral("select count(*) from %1").arg(table);
    const int rowsBefore = t.count(rowsSql);
    QString problem;
    QStringList typedAfterFailure;
    int storedAfterFailure = -1;
    bool openAfterFailure = false, closedAtLast = false, listed = false;
    fromMenu(t, action, list, [&](DirectoryWindow *w) {
        t.modal().script(editor, [&](QDialog *e) {
            for (const QString &f : fields)
                e->findChild<QLineEdit *>(f.section(u'=', 0, 0))->setText(f.section(u'=', 1));
            restartServer();
            auto *save = e->findChild<QPushButton *>(QStringLiteral("Button1"));
            save->click();
            problem = reconnect::oneLostError(t.messages());
            openAfterFailure = e->isVisible();
            storedAfterFailure = t.count(countSql);
            for (const QString &f : fields)
                typedAfterFailure << f.section(u'=', 0, 0) + u'='
                        + e->findChild<QLineEdit *>(f.section(u'=', 0, 0))->text();
            save->click();
            closedAtLast = !e->isVisible();
            return e->result();
        });
        w->addButton->click();
        listed = w->list().locate(column, name);
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(openAfterFailure);
    QCOMPARE(storedAfterFailure, 0);
    QCOMPARE(typedAfterFailure, fields);
    QVERIFY(closedAtLast);
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.count(countSql), 1);
    QCOMPARE(t.count(rowsSql), rowsBefore + 1);
    QVERIFY(listed);
}

void TestDirectoryReconnect::openingAfterRestart()
{
    Program t;
    t.in();
    restartServer();
    int rows = -1;
    // The list's reading fails before it is shown; the next opening shows it.
    t.modal().script(QStringLiteral("TForm26"), [&](QDialog *d) {
        rows = qobject_cast<DirectoryWindow *>(d)->DBGrid1->model()->rowCount();
        return int(QDialog::Rejected);
    });
    QAction *positions = t.p.journal()->findChild<QAction *>(QStringLiteral("N8"));
    positions->trigger();
    VERIFY_ONE_LOST_ERROR(t.messages(), 0);
    QCOMPARE(rows, -1);
    positions->trigger();
    t.verifyClean();
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(rows, t.count("select count(*) from hrms_staffpos.staffpos"));
}

void TestDirectoryReconnect::deleteAfterRestart()
{
    Program t;
    t.in();
    t.p.db.exec("insert into hrms_staffpos.staffpos(s_caption, s_description, id_department) "
                "select 'Лишняя', '', min(id) from cmn_department.department");
    const int before = t.count("select count(*) from hrms_staffpos.staffpos");
    QString problem;
    int afterFailure = -1;
    fromMenu(t, QStringLiteral("N8"), QStringLiteral("TForm26"), [&](DirectoryWindow *w) {
        QVERIFY(w->list().locate(QStringLiteral("s_caption"), QStringLiteral("Лишняя")));
        restartServer();
        t.messages().answerYes();
        w->Button3->click();
        problem = reconnect::oneLostError(t.messages(), 1);
        afterFailure = t.count("select count(*) from hrms_staffpos.staffpos");
        QVERIFY(w->list().locate(QStringLiteral("s_caption"), QStringLiteral("Лишняя")));
        t.messages().answerYes();
        w->Button3->click();
    });
    t.verifyClean();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(afterFailure, before);
    QCOMPARE(t.messages().shown().size(), 3); // question, error, question
    QCOMPARE(t.count("select count(*) from hrms_staffpos.staffpos"), before - 1);
    QCOMPARE(t.count("select count(*) from hrms_staffpos.staffpos where s_caption = 'Лишняя'"), 0);
}

QTEST_MAIN(TestDirectoryReconnect)
#include "tst_directory_reconnect.moc"
