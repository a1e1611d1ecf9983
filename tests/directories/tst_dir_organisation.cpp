// Departments (with their store kinds), positions and roles: the lists opened from the menu, the
// editors' statements, rows saved without a parent or department staying listed, row numbers
// after change and delete, refused deletes, a department refused as its own parent, and the
// roles list whose buttons do nothing.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/department_editor.h"
#include "directories/departments_window.h"
#include "directories/position_editor.h"
#include "directories/positions_window.h"
#include "directories/roles_window.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace dirtest;

namespace {

struct StoreState
{
    bool ticked = false;
    bool enabled = false;
    int kind = -1;
};

StoreState storeState(const TForm31 *e)
{
    return {e->CheckBox1->isChecked(), e->type_combo->isEnabled() && e->Label3->isEnabled(),
            e->type_combo->currentIndex()};
}

} // namespace

class TestDirOrganisation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void departmentsList();
    void departmentStoreKinds_data();
    void departmentStoreKinds();
    void departmentStoredKindShown();
    void departmentChangeAndDelete();
    void departmentParentLoop_data();
    void departmentParentLoop();
    void positions();
    void positionRefusedDelete();
    void roles();
};

void TestDirOrganisation::departmentsList()
{
    Program t;
    t.in();
    QStringList titles, names;
    bool filterFocused = true;
    t.fromMenu<TForm30>("N19", [&](TForm30 *w) {
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        names = columnTexts(w->DBGrid1->model(), 0);
        filterFocused = w->focusWidget() == w->Edit1;
    });
    t.verifyClean();
    QCOMPARE(titles,
             (QStringList {"Наименование", "Примечание", "Род.  подразделение", "Тип склада"}));
    QCOMPARE(names.size(), t.count("select count(*) from cmn_department.department"));
    QVERIFY(!filterFocused);
    QVERIFY(!dataModule().department.isOpen());
}

void TestDirOrganisation::departmentStoreKinds_data()
{
    QTest::addColumn<int>("clicks"); // user clicks on "Склад"
    QTest::addColumn<int>("choose"); // entry chosen afterwards, -1 none
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("sType");
    QTest::newRow("not a store") << 0 << -1 << -1 << "";
    QTest::newRow("ticked") << 1 << -1 << 0 << "Склад ГП";
    QTest::newRow("ticked, cleared") << 2 << -1 << -1 << "";
    QTest::newRow("Склад сырья") << 1 << 2 << 2 << "Склад сырья";
}

void TestDirOrganisation::departmentStoreKinds()
{
    QFETCH(int, clicks);
    QFETCH(int, choose);
    QFETCH(int, type);
    QFETCH(QString, sType);
    Program t;
    t.in();
    StoreState atOpen, afterClicks;
    QStringList listed;
    int rowAfter = 0;
    t.fromMenu<TForm30>("N19", [&](TForm30 *w) {
        dataModule().department.setRecNo(4);
        t.modal().script<TForm31>([&](TForm31 *e) {
            atOpen = storeState(e);
            e->Edit1->setText(QStringLiteral(" Новый склад "));
            e->Edit2->setText(QStringLiteral(" у ворот"));
            for (int i = 0; i < clicks; ++i)
                e->CheckBox1->click();
            afterClicks = storeState(e);
            if (choose >= 0)
                e->type_combo->setCurrentIndex(choose);
            e->Button1->click();
            return e->result();
        });
        w->Button5->click();
        rowAfter = dataModule().department.recNo();
        listed = columnTexts(w->DBGrid1->model(), 0);
    });
    t.verifyClean();
    QCOMPARE(atOpen.ticked, false);
    QCOMPARE(atOpen.enabled, false);
    QCOMPARE(atOpen.kind, -1);
    QCOMPARE(afterClicks.ticked, clicks % 2 == 1);
    QCOMPARE(afterClicks.enabled, clicks % 2 == 1);
    QCOMPARE(afterClicks.kind, clicks % 2 == 1 ? 0 : -1);
    QCOMPARE(t.scalar("select s_description || '|' || id_parent || '|' || type || '|' || s_type "
                      "from cmn_department.department where s_caption = 'Новый склад'"),
             QStringLiteral("у ворот|0|%1|%2").arg(type).arg(sType));
    // Saved without a parent and still listed; the list is on its first row after an add.
    QVERIFY(listed.contains("Новый склад"));
    QCOMPARE(rowAfter, 1);
}

void TestDirOrganisation::departmentStoredKindShown()
{
    Program t;
    t.in();
    StoreState raw, plain, raw2;
    t.fromMenu<TForm30>("N19", [&](TForm30 *w) {
        db::Dataset &d = dataModule().department;
        const auto openAt = [&](const QString &name, StoreState &state) {
            QVERIFY(d.locate("s_caption", name));
            t.modal().script<TForm31>([&](TForm31 *e) {
                state = storeState(e);
                e->Button2->click();
                return e->result();
            });
            w->Button2->click();
        };
        // An add with "Склад" ticked, cancelled; then the stored kinds show as stored.
        t.modal().script<TForm31>([&](TForm31 *e) {
            e->CheckBox1->click();
            e->Button2->click();
            return e->result();
        });
        w->Button5->click();
        openAt(QStringLiteral("Склад сырья и материалов"), raw);
        openAt(QStringLiteral("Цех окраски"), plain);
        openAt(QStringLiteral("Склад сырья и материалов"), raw2);
    });
    t.verifyClean();
    for (const StoreState &s : {raw, raw2}) {
        QVERIFY(s.ticked);
        QVERIFY(s.enabled);
        QCOMPARE(s.kind, 2);
    }
    QVERIFY(!plain.ticked);
    QVERIFY(!plain.enabled);
    QCOMPARE(plain.kind, -1);
}

void TestDirOrganisation::departmentChangeAndDelete()
{
    Program t;
    t.in();
    t.p.db.exec("insert into cmn_department.department (s_caption, id_parent) values "
                "('Лишний участок', 1)");
    int editorTag = -1, parent = -1, rowAfterChange = 0, rowAfterDelete = 0, rowsAfterRefusal = 0;
    int rowAfterRefusal = 0;
    QString e1, atRowAfterChange, atRowAfterDelete;
    t.fromMenu<TForm30>("N19", [&](TForm30 *w) {
        db::Dataset &d = dataModule().department;
        // "Заготовительный участок", a child of the plant, renamed to the end of the list.
        QVERIFY(d.locate("s_caption", QStringLiteral("Заготовительный участок")));
        const int row = d.recNo();
        t.modal().script<TForm31>([&](TForm31 *e) {
            editorTag = e->tag;
            e1 = e->Edit1->text();
            parent = e->p_department->keyValue().toInt();
            e->Edit1->setText(QStringLiteral("Ярусный участок"));
            e->Button1->click();
            return e->result();
        });
        w->Button2->click();
        rowAfterChange = d.recNo() - row;
        atRowAfterChange = d.asString("s_caption");

        QVERIFY(d.locate("s_caption", QStringLiteral("Лишний участок")));
        const int extra = d.recNo();
        t.messages().answerYes();
        w->Button3->click();
        rowAfterDelete = d.recNo() - extra;
        atRowAfterDelete = d.asString("s_caption");

        // A department with positions and persons: refused, the list stays as it was.
        QVERIFY(d.locate("s_caption", QStringLiteral("Цех сборки")));
        const int rows = d.recordCount();
        const int at = d.recNo();
        t.messages().answerYes();
        w->Button3->click();
        rowsAfterRefusal = d.recordCount() - rows;
        rowAfterRefusal = d.recNo() - at;
    });
    t.verifyClean();
    QCOMPARE(editorTag, 0);
    QCOMPARE(e1, QStringLiteral("Заготовительный участок"));
    QCOMPARE(parent, 1);
    QCOMPARE(t.scalar("select s_caption || '|' || id_parent from cmn_department.department "
                      "where id = 2"),
             QStringLiteral("Ярусный участок|1"));
    QCOMPARE(rowAfterChange, 0);
    QCOMPARE(atRowAfterChange, QStringLiteral("Лишний участок"));
    QCOMPARE(rowAfterDelete, 0);
    QCOMPARE(atRowAfterDelete, QStringLiteral("Отдел учета производства"));
    QCOMPARE(t.count("select count(*) from cmn_department.department where s_caption = "
                     "'Лишний участок'"),
             0);
    const QStringList texts = t.messages().texts();
    QCOMPARE(texts.count("Удалить строку?"), 2);
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY(t.messages().errors().constFirst().contains("удалить нельзя"));
    QCOMPARE(rowsAfterRefusal, 0);
    QCOMPARE(rowAfterRefusal, 0);
    QCOMPARE(t.count("select count(*) from cmn_department.department where id = 4"), 1);
}

void TestDirOrganisation::departmentParentLoop_data()
{
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<bool>("refused");
    QTest::newRow("itself") << "Завод металлоконструкций"
                            << "Завод металлоконструкций" << true;
    QTest::newRow("its child") << "Завод металлоконструкций"
                               << "Заготовительный участок" << true;
    QTest::newRow("a child of its child") << "Завод металлоконструкций"
                                          << "Участок резки" << true;
    QTest::newRow("a department beside it") << "Заготовительный участок"
                                            << "Цех окраски" << false;
    QTest::newRow("no parent") << "Заготовительный участок"
                               << "" << false;
}

// A department above itself could never be deleted (it would always be some department's
// parent): the editor refuses it and stays open; any other parent is saved.
void TestDirOrganisation::departmentParentLoop()
{
    QFETCH(QString, changed);
    QFETCH(QString, parent);
    QFETCH(bool, refused);
    Program t;
    t.in();
    t.p.db.exec("insert into cmn_department.department (s_caption, id_parent) values "
                "('Участок резки', 2)");
    const QString id
        = t.scalar(QStringLiteral("select id from cmn_department.department where s_caption = '%1'")
                       .arg(changed));
    const QString parentBefore = t.scalar(
        QStringLiteral("select id_parent from cmn_department.department where id = %1").arg(id));
    const QString parentId = parent.isEmpty()
        ? QStringLiteral("0")
        : t.scalar(QStringLiteral("select id from cmn_department.department where s_caption = "
                                  "'%1'")
                       .arg(parent));
    bool openAfterSave = false;
    t.fromMenu<TForm30>("N19", [&](TForm30 *w) {
        QVERIFY(dataModule().department.locate("s_caption", changed));
        t.modal().script<TForm31>([&](TForm31 *e) {
            e->p_department->setKeyValue(parentId.toInt());
            e->Button1->click();
            openAfterSave = e->isVisible();
            if (openAfterSave)
                e->Button2->click();
            return e->result();
        });
        w->Button2->click();
    });
    t.verifyClean();
    QCOMPARE(openAfterSave, refused);
    QCOMPARE(t.messages().errors(),
             refused ? QStringList {"Подразделение не может быть родительским для самого себя или "
                                    "своего подчинённого подразделения!"}
                     : QStringList());
    QCOMPARE(t.scalar(QStringLiteral("select id_parent from cmn_department.department where id = "
                                     "%1")
                          .arg(id)),
             refused ? parentBefore : parentId);
}

void TestDirOrganisation::positions()
{
    Program t;
    t.in();
    QStringList titles;
    QString addedDep;
    int keptDep = -1, changeDep = -1, rowAfterChange = 0;
    t.fromMenu<TForm26>("N8", [&](TForm26 *w) {
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        db::Dataset &s = dataModule().staffpos;
        // Saved without a department: listed under department 0.
        t.modal().script<TForm27>([&](TForm27 *e) {
            e->Edit1->setText(QStringLiteral("Стажер"));
            e->p_department->setCurrentIndex(-1);
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
        QVERIFY(s.locate("s_caption", QStringLiteral("Стажер")));
        addedDep = s.asString("s_dep");
        // The next add shows the department chosen last.
        t.modal().script<TForm27>([&](TForm27 *e) {
            e->Edit1->setText(QStringLiteral("Контролер"));
            e->p_department->setKeyValue(3);
            e->Button1->click();
            return e->result();
        });
        w->Button1->click();
        t.modal().script<TForm27>([&](TForm27 *e) {
            keptDep = e->p_department->keyValue().toInt();
            e->Button2->click();
            return e->result();
        });
        w->Button1->click();
        // Change: the department of the row in the lookup; back on the row number.
        QVERIFY(s.locate("s_caption", QStringLiteral("Маляр")));
        const int row = s.recNo();
        t.modal().script<TForm27>([&](TForm27 *e) {
            changeDep = e->p_department->keyValue().toInt();
            e->Edit2->setText(QStringLiteral("  Окраска порошком "));
            e->Button1->click();
            return e->result();
        });
        w->Button2->click();
        rowAfterChange = s.recNo() - row;
    });
    t.verifyClean();
    QCOMPARE(titles, (QStringList {"Наименование", "Описание", "Подразделение"}));
    QCOMPARE(addedDep, QStringLiteral("Без подразделения"));
    QCOMPARE(t.scalar("select id_department from hrms_staffpos.staffpos where s_caption = "
                      "'Стажер'"),
             QStringLiteral("0"));
    QCOMPARE(keptDep, 3);
    QCOMPARE(changeDep, 3);
    QCOMPARE(t.scalar("select s_description from hrms_staffpos.staffpos where id = 3"),
             QStringLiteral("Окраска порошком"));
    QCOMPARE(rowAfterChange, 0);
}

void TestDirOrganisation::positionRefusedDelete()
{
    Program t;
    t.in();
    int rows = 0, rowsAfter = -1, at = 0, atAfter = -1;
    t.fromMenu<TForm26>("N8", [&](TForm26 *w) {
        db::Dataset &s = dataModule().staffpos;
        QVERIFY(s.locate("s_caption", QStringLiteral("Сварщик")));
        rows = s.recordCount();
        at = s.recNo();
        t.messages().answerNo();
        w->Button3->click();
        t.messages().answerYes();
        w->Button3->click();
        rowsAfter = s.recordCount();
        atAfter = s.recNo();
    });
    t.verifyClean();
    // The server's own text, whatever the driver puts around it.
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY2(t.messages().errors().constFirst().contains(
                 "Должность указана у работников, удалить нельзя"),
             qPrintable(t.messages().errors().constFirst()));
    QCOMPARE(rowsAfter, rows);
    QCOMPARE(atAfter, at);
}

void TestDirOrganisation::roles()
{
    Program t;
    t.in();
    QStringList titles, filtered, all;
    int afterDown = 0, afterUp = 0;
    bool roleOpenWhileShown = false;
    t.fromMenu<TForm32>("N21", [&](TForm32 *w) {
        roleOpenWhileShown = dataModule().role.isOpen();
        for (int c = 0; c < w->DBGrid1->model()->columnCount(); ++c)
            titles << w->DBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        typeText(w->Edit1, QStringLiteral("У"));
        filtered = columnTexts(w->DBGrid1->model(), 0);
        w->Edit1->clear();
        all = columnTexts(w->DBGrid1->model(), 0);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        QTest::keyClick(w->Edit1, Qt::Key_Down);
        afterDown = dataModule().role.recNo();
        QTest::keyClick(w->Edit1, Qt::Key_Up);
        afterUp = dataModule().role.recNo();
        // Roles are kept elsewhere: the buttons and the double click do nothing.
        w->Button5->click();
        w->Button2->click();
        w->Button3->click();
        emit w->DBGrid1->rowDoubleClicked();
    });
    t.verifyClean();
    QVERIFY(roleOpenWhileShown);
    QCOMPARE(titles, (QStringList {"Наименование", "Системное имя"}));
    QCOMPARE(filtered, QStringList {"Учетчик"});
    QCOMPARE(all, (QStringList {"Архив", "Кладовщик", "Мастер", "Рабочий", "Учетчик"}));
    QCOMPARE(afterDown, 4);
    QCOMPARE(afterUp, 3);
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(t.modal().shown(), (QStringList {"TForm1", "TForm32"}));
}

QTEST_MAIN(TestDirOrganisation)
#include "tst_dir_organisation.moc"
