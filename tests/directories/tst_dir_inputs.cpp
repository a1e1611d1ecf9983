// Hostile typing in every reference editor and filter: apostrophes, quotes, backslashes,
// semicolons and long texts are stored exactly as typed (trimmed) and show in their lists; filter
// texts with quotes, "%" and "_" raise no error and match those characters themselves.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/department_editor.h"
#include "directories/departments_window.h"
#include "directories/item_editor.h"
#include "directories/items_window.h"
#include "directories/nomenclature_editor.h"
#include "directories/nomenclature_window.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "directories/personnel_window.h"
#include "directories/position_editor.h"
#include "directories/positions_window.h"
#include "directories/worker_editor.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"

#include <QLineEdit>
#include <QPushButton>

using namespace dirtest;

namespace {

// Where a typed text goes: the editor's field, the column that stores it, the list's column
// that shows it.
struct Target
{
    const char *name;
    const char *menu;
    const char *check; // SQL of the stored value of the new row; %1 is a marker text
    int listColumn;
    bool longText; // a description of up to 4000 characters
    const char *table; // where the new row goes
};

const Target kTargets[] = {
    {"фамилия", "N1", "select s_second_name from cmn_contractor.person where s_first_name = '%1'",
     0, false, "cmn_contractor.person"},
    {"подразделение", "N19",
     "select s_caption from cmn_department.department where s_description = '%1'", 0, false,
     "cmn_department.department"},
    {"примечание подразделения", "N19",
     "select s_description from cmn_department.department where s_caption = '%1'", 1, true,
     "cmn_department.department"},
    {"должность", "N8", "select s_caption from hrms_staffpos.staffpos where s_description = '%1'",
     0, false, "hrms_staffpos.staffpos"},
    {"описание должности", "N8",
     "select s_description from hrms_staffpos.staffpos where s_caption = '%1'", 1, true,
     "hrms_staffpos.staffpos"},
    {"группа", "N9",
     "select s_caption from cmn_inventory_items.nomenclature order by id desc limit 1", 0, false,
     "cmn_inventory_items.nomenclature"},
    {"марка", "N3",
     "select marka from cmn_inventory_items.inventory_items order by id desc limit 1", 0, false,
     "cmn_inventory_items.inventory_items"},
    {"операция", "N6",
     "select s_caption from mnf_operation.operation_type where s_description = '%1'", 0, false,
     "mnf_operation.operation_type"},
    {"описание операции", "N6",
     "select s_description from mnf_operation.operation_type where s_caption = '%1'", 1, true,
     "mnf_operation.operation_type"},
};

const QString kMarker = QStringLiteral("Метка");

// Adds one row through the list's editor with `typed` in the target's field and the marker in
// the other text field; returns the texts of the list's column afterwards.
QStringList addThroughEditor(Program &t, const Target &target, const QString &typed)
{
    const bool second = target.listColumn == 1; // the typed text goes to the second field
    const QString first = second ? kMarker : typed;
    const QString other = second ? typed : kMarker;
    QStringList shown;
    const QString menu = QLatin1String(target.menu);
    auto press = [](DirectoryEditor *e) {
        e->Button1->click();
        return e->result();
    };
    if (menu == QLatin1String("N1")) {
        t.fromMenu<TForm5>("N1", [&](TForm5 *w) {
            t.modal().script<TForm2>([&](TForm2 *e) {
                e->Edit1->setText(typed);
                e->Edit2->setText(kMarker);
                e->Edit3->setText(QStringLiteral("Иванович"));
                for (ui::LookupBox *b : {e->LCB_staffpos, e->LCB_department, e->LCB_roles})
                    b->setCurrentIndex(0);
                return press(e);
            });
            w->Button1->click();
            shown = columnTexts(w->DBGrid1->model(), 0);
        });
    } else if (menu == QLatin1String("N19")) {
        t.fromMenu<TForm30>("N19", [&](TForm30 *w) {
            t.modal().script<TForm31>([&](TForm31 *e) {
                e->Edit1->setText(first);
                e->Edit2->setText(other);
                return press(e);
            });
            w->Button5->click();
            shown = columnTexts(w->DBGrid1->model(), target.listColumn);
        });
    } else if (menu == QLatin1String("N8")) {
        t.fromMenu<TForm26>("N8", [&](TForm26 *w) {
            t.modal().script<TForm27>([&](TForm27 *e) {
                e->Edit1->setText(first);
                e->Edit2->setText(other);
                return press(e);
            });
            w->Button1->click();
            shown = columnTexts(w->DBGrid1->model(), target.listColumn);
        });
    } else if (menu == QLatin1String("N9")) {
        t.fromMenu<TForm28>("N9", [&](TForm28 *w) {
            t.modal().script<TForm29>([&](TForm29 *e) {
                e->Edit1->setText(typed);
                return press(e);
            });
            w->Button5->click();
            shown = columnTexts(w->DBGrid1->model(), 0);
        });
    } else if (menu == QLatin1String("N3")) {
        t.fromMenu<TForm3>("N3", [&](TForm3 *w) {
            t.modal().script<TForm7>([&](TForm7 *e) {
                e->Edit1->setText(typed);
                e->Edit2->setText(QStringLiteral("1"));
                return press(e);
            });
            w->Button1->click();
            shown = columnTexts(w->DBGrid1->model(), 0);
        });
    } else {
        t.fromMenu<TForm8>("N6", [&](TForm8 *w) {
            t.modal().script<TForm9>([&](TForm9 *e) {
                e->Edit1->setText(first);
                e->Edit2->setText(other);
                return press(e);
            });
            w->Button1->click();
            shown = columnTexts(w->DBGrid1->model(), target.listColumn);
        });
    }
    return shown;
}

} // namespace

class TestDirInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savedAsTyped_data();
    void savedAsTyped();
    void tooLongRefused_data();
    void tooLongRefused();
    void filterTexts_data();
    void filterTexts();
};

void TestDirInputs::savedAsTyped_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("text");
    const QStringList texts {
        QStringLiteral("Д'Артаньян"),
        QStringLiteral("O'Neil"),
        QStringLiteral("Кавычки \"двойные\""),
        QStringLiteral("C:\\путь\\файл \\"),
        QStringLiteral("Цех; drop table x; --"),
        QStringLiteral("Ёлкин ' ; \\' '' $$"),
    };
    for (int i = 0; i < int(std::size(kTargets)); ++i) {
        for (const QString &text : texts) {
            QTest::addRow("%s: %s", kTargets[i].name, qPrintable(text)) << i << text;
        }
        if (kTargets[i].longText) {
            const QString long4000 = QString(3999, QChar(u'ж')) + QLatin1Char('\'');
            QTest::addRow("%s: 4000 знаков", kTargets[i].name) << i << long4000;
        } else if (QByteArray(kTargets[i].menu) != "N1") {
            // The column's whole length; the server counts an emoji as one character.
            QTest::addRow("%s: 254 знака с эмодзи", kTargets[i].name)
                << i << QString(253, QChar(u'ж')) + QStringLiteral("\U0001F600");
        }
    }
}

void TestDirInputs::savedAsTyped()
{
    QFETCH(int, target);
    QFETCH(QString, text);
    const Target &tg = kTargets[target];
    Program t;
    t.in();
    // Typed with blanks around it: they are not stored.
    const QStringList shown = addThroughEditor(t, tg, QStringLiteral("  ") + text + u' ');
    t.verifyClean();
    QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
    QCOMPARE(t.scalar(QString::fromUtf8(tg.check).arg(kMarker)), text);
    QVERIFY(shown.contains(text) || shown.contains(text + QStringLiteral(" Метка Иванович")));
}

// One character more than the column keeps: one message naming the field, the editor stays
// open, no row. A person's three names also make the name the lists show, which has a column
// of its own.
void TestDirInputs::tooLongRefused_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    for (int i = 0; i < int(std::size(kTargets)); ++i) {
        const Target &tg = kTargets[i];
        const int limit = tg.longText ? 4000 : 254;
        const QString field = tg.longText ? QStringLiteral("Описание")
            : QByteArray(tg.menu) == "N1" ? QStringLiteral("Фамилия")
            : QByteArray(tg.menu) == "N6" ? QStringLiteral("Операция")
                                          : QStringLiteral("Наименование");
        QTest::addRow("%s: %d знаков", tg.name, limit + 1)
            << i << QString(limit, QChar(u'ж')) + QStringLiteral("\U0001F600") << field;
    }
    QTest::addRow("ФИО вместе длиннее 254 знаков")
        << 0 << QString(240, QChar(u'ж')) << QStringLiteral("Фамилия Имя Отчество");
}

void TestDirInputs::tooLongRefused()
{
    QFETCH(int, target);
    QFETCH(QString, text);
    QFETCH(QString, field);
    const Target &tg = kTargets[target];
    Program t;
    t.in();
    const QString rows = QStringLiteral("select count(*) from %1").arg(QLatin1String(tg.table));
    const int before = t.count(rows);
    addThroughEditor(t, tg, text);
    t.verifyClean();
    const QStringList errors = t.messages().errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("Поле «%1» длиннее").arg(field)),
             qPrintable(errors.first()));
    QCOMPARE(t.count(rows), before);
}

void TestDirInputs::filterTexts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("apostrophe") << "Д'" << QStringList {"Д'Артаньян"};
    QTest::newRow("percent") << "100%" << QStringList {"100% готово"};
    QTest::newRow("digits") << "100" << QStringList {"100 штук", "100% готово"};
    QTest::newRow("lone percent") << "%" << QStringList {};
    QTest::newRow("underscore") << "A_" << QStringList {"A_B"};
    QTest::newRow("lone underscore") << "_" << QStringList {};
    QTest::newRow("backslash") << "C:\\" << QStringList {"C:\\dir"};
    QTest::newRow("double quote") << "\"" << QStringList {"\"Кавычки\""};
}

void TestDirInputs::filterTexts()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    Program t;
    t.p.db.exec("insert into mnf_operation.operation_type (s_caption) values ('Д''Артаньян'), "
                "('100% готово'), ('100 штук'), ('A_B'), ('AXB'), ('C:\\dir'), "
                "('\"Кавычки\"')");
    t.in();
    QStringList shown;
    t.fromMenu<TForm8>("N6", [&](TForm8 *w) {
        typeText(w->Edit1, typed);
        shown = columnTexts(w->DBGrid1->model(), 0);
    });
    t.verifyClean();
    QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
    QCOMPARE(shown, found);
}

QTEST_MAIN(TestDirInputs)
#include "tst_dir_inputs.moc"
