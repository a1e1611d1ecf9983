// The process operations window and the operation editor: the opening of a process, the next
// position, the price as typed with either separator of the database, the required fields, the
// total after each add, change and delete, the question on leaving only after a change, and a new
// process with its first operation, also while another client saves a process of its own.

#include "support/proc_fixture.h"

#include <QCheckBox>

using namespace proctest;

namespace {

// The process with this id opened from the menu's list; `inside` drives its window.
void withProcess(Program &t, int id, std::function<void(TForm33 *)> inside)
{
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(id));
        openProcess(t, w, inside);
    });
}

// The operation editor opened by "Добавить" of the process window and driven by `inside`.
void addOperation(Program &t, TForm33 *w, std::function<void(TForm10 *)> inside)
{
    t.modal().script<TForm10>([inside](TForm10 *e) {
        inside(e);
        return e->result();
    });
    w->Button1->click();
}

} // namespace

class TestProcOperations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opening();
    void nextPosition();
    void price_data();
    void price();
    void required_data();
    void required();
    void addClearsType();
    void changeUntouched();
    void totals();
    void deleteOperation_data();
    void deleteOperation();
    void leaveQuestion_data();
    void leaveQuestion();
    void newProcess();
    void newProcessHalfFilled();
    void newProcessBesideAnotherClient();
};

void TestProcOperations::opening()
{
    Program t;
    t.in();
    QString caption, group, mark, name, total;
    QStringList titles, positions, types, states;
    bool markEnabled = true;
    withProcess(t, 3, [&](TForm33 *w) {
        caption = w->windowTitle();
        group = w->GroupBox1->title();
        mark = w->Edit2->text();
        markEnabled = w->Edit2->isEnabled();
        name = w->Edit3->text();
        total = w->price->text();
        titles = gridTitles(w->DBGrid1->model());
        positions = gridColumn(w->DBGrid1, 0);
        types = gridColumn(w->DBGrid1, 1);
        states = gridColumn(w->DBGrid1, 2);
    });
    t.verifyClean();
    QCOMPARE(caption, QStringLiteral("Список операций"));
    QCOMPARE(group, QStringLiteral("Техпроцесс № 3"));
    QCOMPARE(mark, QStringLiteral("ШМ-01"));
    QVERIFY(!markEnabled);
    QCOMPARE(name, QStringLiteral("Шкаф ШМ-01"));
    QCOMPARE(total, QStringLiteral("86,9"));
    QCOMPARE(titles, QStringList({"Номер п.п.", "Операция", "Состояние", "Цена"}));
    QCOMPARE(positions, QStringList({"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(types, QStringList({"Резка", "Гибка", "Сварка", "Покраска", "Сборка", "Упаковка"}));
    QCOMPARE(states.first(), QStringLiteral("Заготовки"));
    QCOMPARE(states.last(), QStringLiteral("Готовая продукция"));
    // Leaving without a change asks nothing; the shared operations are closed again.
    QVERIFY(t.messages().shown().isEmpty());
    QVERIFY(!dataModule().operation.isOpen());
}

void TestProcOperations::nextPosition()
{
    // 1 for a process without operations, otherwise the largest position plus 1 (not the count).
    Program t;
    t.in();
    t.p.db.exec("insert into mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) values "
                "(41, 'Дверь без операций', 207)");
    t.p.db.exec("update mnf_operation.operation set orderby = 7 where id = 25");
    QString first, next, editorCaption;
    int editorTag = -1;
    withProcess(t, 41, [&](TForm33 *w) {
        addOperation(t, w, [&](TForm10 *e) {
            first = e->Edit1->text();
            editorCaption = e->windowTitle();
            editorTag = e->tag;
        });
    });
    withProcess(t, 5, [&](TForm33 *w) {
        addOperation(t, w, [&](TForm10 *e) { next = e->Edit1->text(); });
    });
    t.verifyClean();
    QCOMPARE(editorCaption, QStringLiteral("Операция"));
    QCOMPARE(editorTag, 1);
    QCOMPARE(first, QStringLiteral("1"));
    QCOMPARE(next, QStringLiteral("8"));
}

void TestProcOperations::price_data()
{
    QTest::addColumn<QString>("delim");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    for (const char *delim : {".", ","}) {
        const QByteArray d = QByteArray("separator ") + delim;
        QTest::newRow(d + ", 12,5") << delim << "12,5"
                                    << "12.5000";
        QTest::newRow(d + ", 12.5") << delim << "12.5"
                                    << "12.5000";
        QTest::newRow(d + ", 12") << delim << "12"
                                  << "12.0000";
        QTest::newRow(d + ", 0,0625") << delim << " 0,0625 "
                                      << "0.0625";
    }
}

void TestProcOperations::price()
{
    QFETCH(QString, delim);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Program t;
    t.p.db.exec(QStringLiteral("update ver set delim = '%1'").arg(delim));
    t.in();
    QCOMPARE(dataModule().decimalSeparator, delim);
    QString total;
    int rows = 0;
    withProcess(t, 5, [&](TForm33 *w) {
        addOperation(t, w, [&](TForm10 *e) { fillOperation(t, e, "Покраска", 0, typed); });
        total = w->price->text();
        rows = w->DBGrid1->model()->rowCount();
    });
    t.verifyClean();
    QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join('\n')));
    QCOMPARE(t.scalar("select price::text || '|' || id_type || '|' || id_state || '|' || "
                      "id_inventory_items || '|' || orderby from mnf_operation.operation "
                      "where id_proc_tech = 5 and orderby = 3"),
             stored + QStringLiteral("|4|0|205|3"));
    QCOMPARE(rows, 3);
    QCOMPARE(total, db::formatGeneral(7.7 + stored.toDouble()));
}

void TestProcOperations::required_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("message");
    const QString all = QStringLiteral("Все поля должны быть заполнены!");
    QTest::newRow("no type") << "" << 0 << "5"
                             << "3" << all;
    QTest::newRow("no state") << "Сборка" << -1 << "5"
                              << "3" << all;
    QTest::newRow("no position") << "Сборка" << 0 << "5"
                                 << "" << all;
    QTest::newRow("blank position") << "Сборка" << 0 << "5"
                                    << "  " << all;
    const QString bad
        = QStringLiteral("Поле «Цена»: «%1» не является числом. Введите число, например 12,5.");
    QTest::newRow("empty price") << "Сборка" << 0 << ""
                                 << "3"
                                 << QStringLiteral(
                                        "Поле «Цена» не заполнено. Введите число, например 12,5.");
    QTest::newRow("separator alone") << "Сборка" << 0 << ","
                                     << "3" << bad.arg(",");
    QTest::newRow("two separators") << "Сборка" << 0 << "1.2.3"
                                    << "3" << bad.arg("1.2.3");
    QTest::newRow("comma and point") << "Сборка" << 0 << "1,2.3"
                                     << "3" << bad.arg("1,2.3");
    QTest::newRow("pasted letters") << "Сборка" << 0 << "12р"
                                    << "3" << bad.arg("12р");
    QTest::newRow("pasted sign") << "Сборка" << 0 << "-5"
                                 << "3"
                                 << QStringLiteral(
                                        "Поле «Цена»: число не может быть отрицательным («-5»).");
    QTest::newRow("pasted position")
        << "Сборка" << 0 << "5"
        << "3a"
        << QStringLiteral("Поле «№ по порядку»: «3a» не является целым числом. Введите целое "
                          "число, например 8.");
}

void TestProcOperations::required()
{
    QFETCH(QString, type);
    QFETCH(int, state);
    QFETCH(QString, price);
    QFETCH(QString, position);
    QFETCH(QString, message);
    Program t;
    t.in();
    bool openAfter = false;
    QString total;
    withProcess(t, 5, [&](TForm33 *w) {
        addOperation(t, w, [&](TForm10 *e) {
            fillOperation(t, e, type, state, price, position);
            openAfter = e->isVisible() && e->result() == 0;
            // Escape leaves the half-filled editor: nothing is written.
            e->Button5->click();
        });
        total = w->price->text();
    });
    t.verifyClean();
    QCOMPARE(t.messages().texts(), QStringList({message}));
    QCOMPARE(t.messages().last().caption, QStringLiteral("Ошибка"));
    QVERIFY(openAfter);
    QCOMPARE(t.count("select count(*) from mnf_operation.operation where id_proc_tech = 5"), 2);
    QCOMPARE(total, QStringLiteral("7,7"));
}

void TestProcOperations::addClearsType()
{
    // The type of the last operation looked at is not carried into the next new one.
    Program t;
    t.in();
    QString typeShown;
    withProcess(t, 5, [&](TForm33 *w) {
        t.modal().script<TForm10>([](TForm10 *e) {
            e->Button5->click();
            return e->result();
        });
        w->Button2->click();
        addOperation(t, w, [&](TForm10 *e) {
            typeShown = e->Edit2->text();
            e->cb_operation_state->setKeyValue(0);
            e->Edit3->setText(QStringLiteral("5"));
            e->Button3->click();
            e->Button5->click();
        });
    });
    t.verifyClean();
    QCOMPARE(typeShown, QString());
    QCOMPARE(t.messages().texts(), QStringList({"Все поля должны быть заполнены!"}));
    QCOMPARE(t.count("select count(*) from mnf_operation.operation where id_proc_tech = 5"), 2);
}

void TestProcOperations::changeUntouched()
{
    // "Изменить" shows the row; "Записать" without a touch writes the same values back.
    Program t;
    t.in();
    t.p.db.exec("update mnf_operation.operation set price = 12.3456 where id = 13");
    const QString before = t.scalar("select row(o.*)::text from mnf_operation.operation o "
                                    "where id = 13");
    QString type, price, position, state;
    int editorTag = -1, rowAfter = 0;
    withProcess(t, 3, [&](TForm33 *w) {
        dataModule().operation.setRecNo(2);
        t.modal().script<TForm10>([&](TForm10 *e) {
            editorTag = e->tag;
            type = e->Edit2->text();
            price = e->Edit3->text();
            position = e->Edit1->text();
            state = e->cb_operation_state->currentText();
            e->Button3->click();
            return e->result();
        });
        Q_EMIT w->DBGrid1->rowDoubleClicked();
        rowAfter = dataModule().operation.recNo();
    });
    t.verifyClean();
    QCOMPARE(editorTag, 0);
    QCOMPARE(type, QStringLiteral("Гибка"));
    QCOMPARE(price, QStringLiteral("12,3456"));
    QCOMPARE(position, QStringLiteral("2"));
    QCOMPARE(state, QStringLiteral("Заготовки"));
    QCOMPARE(rowAfter, 2);
    QCOMPARE(t.scalar("select row(o.*)::text from mnf_operation.operation o where id = 13"),
             before);
}

void TestProcOperations::totals()
{
    // "Итого:" follows every add, change and delete.
    Program t;
    t.in();
    QStringList seen;
    t.messages().answerYes();
    withProcess(t, 5, [&](TForm33 *w) {
        seen << w->price->text();
        addOperation(t, w, [&](TForm10 *e) { fillOperation(t, e, "Сборка", 0, "2,3"); });
        seen << w->price->text();
        dataModule().operation.setRecNo(1);
        t.modal().script<TForm10>([&](TForm10 *e) {
            fillOperation(t, e, "Резка", 1, "1,5");
            return e->result();
        });
        w->Button2->click();
        seen << w->price->text();
        dataModule().operation.setRecNo(2);
        w->Button3->click();
        seen << w->price->text();
    });
    t.verifyClean();
    QCOMPARE(seen, QStringList({"7,7", "10", "7", "3,8"}));
    QCOMPARE(t.scalar("select string_agg(orderby || ':' || price::text, ' ' order by orderby) "
                      "from mnf_operation.operation where id_proc_tech = 5"),
             QStringLiteral("1:1.5000 3:2.3000"));
}

void TestProcOperations::deleteOperation_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestProcOperations::deleteOperation()
{
    QFETCH(bool, yes);
    Program t;
    t.in();
    t.p.db.exec("insert into mnf_operation.operation (id, id_type, id_state, price, "
                "id_inventory_items, id_proc_tech, orderby) overriding system value values "
                "(41, 5, 0, 1, 205, 5, 3), (42, 6, 0, 1, 205, 5, 4)");
    yes ? t.messages().answerYes() : t.messages().answerNo();
    int rowAfter = 0;
    QString total;
    withProcess(t, 5, [&](TForm33 *w) {
        dataModule().operation.setRecNo(3);
        w->Button3->click();
        rowAfter = dataModule().operation.recNo();
        total = w->price->text();
    });
    t.verifyClean();
    QCOMPARE(t.messages().last().caption, QStringLiteral("Удаление"));
    QCOMPARE(t.messages().last().text,
             QStringLiteral("Удалить строку (будет удалена вся спецификация ТП)?"));
    QCOMPARE(rowAfter, 3);
    QCOMPARE(t.count("select count(*) from mnf_operation.operation where id = 41"), yes ? 0 : 1);
    QCOMPARE(total, yes ? QStringLiteral("8,7") : QStringLiteral("9,7"));
}

void TestProcOperations::leaveQuestion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("stored");
    const QString same = QStringLiteral("Шкаф ШМ-01|203");
    QTest::newRow("nothing changed, Выход") << ""
                                            << ""
                                            << "Выход"
                                            << "" << same;
    QTest::newRow("nothing changed, Esc") << ""
                                          << ""
                                          << "Esc"
                                          << "" << same;
    QTest::newRow("blanks added only") << "  Шкаф ШМ-01 "
                                       << ""
                                       << "Выход"
                                       << "" << same;
    QTest::newRow("name, Yes") << "Шкаф ШМ-01М"
                               << ""
                               << "Выход"
                               << "yes"
                               << "Шкаф ШМ-01М|203";
    QTest::newRow("name, No") << "Шкаф ШМ-01М"
                              << ""
                              << "Выход"
                              << "no" << same;
    QTest::newRow("name, Esc, Yes") << "Шкаф ШМ-01М"
                                    << ""
                                    << "Esc"
                                    << "yes"
                                    << "Шкаф ШМ-01М|203";
    QTest::newRow("item, Сохранить") << ""
                                     << "ШМ-02"
                                     << "Сохранить"
                                     << "yes"
                                     << "Шкаф ШМ-01|204";
    QTest::newRow("item picked back") << ""
                                      << "ШМ-01"
                                      << "Выход"
                                      << "" << same;
}

void TestProcOperations::leaveQuestion()
{
    QFETCH(QString, name);
    QFETCH(QString, item);
    QFETCH(QString, how);
    QFETCH(QString, answer);
    QFETCH(QString, stored);
    Program t;
    t.in();
    if (answer == QLatin1String("yes"))
        t.messages().answerYes();
    else if (answer == QLatin1String("no"))
        t.messages().answerNo();
    bool closed = false;
    QString listed;
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(3));
        t.modal().script<TForm33>([&](TForm33 *p) {
            if (!name.isEmpty())
                p->Edit3->setText(name);
            if (!item.isEmpty()) {
                scriptItemPick(t, item);
                p->Button5->click();
            }
            if (how == QStringLiteral("Выход"))
                p->Button4->click();
            else if (how == QLatin1String("Esc"))
                QTest::keyClick(p, Qt::Key_Escape);
            else {
                p->Button6->click();
                // A second "Сохранить" finds nothing new to save.
                p->Button6->click();
                p->Button4->click();
            }
            closed = p->result() == QDialog::Rejected && !p->isVisible();
            return p->result();
        });
        w->Button2->click();
        listed = dataModule().proc_tech.asString("s_caption") + u'|'
            + dataModule().proc_tech.asString("s_ii");
    });
    t.verifyClean();
    if (answer.isEmpty()) {
        QVERIFY(t.messages().shown().isEmpty());
    } else {
        QCOMPARE(t.messages().shown().size(), 1);
        QCOMPARE(t.messages().last().caption, QStringLiteral("Сохраннение"));
        QCOMPARE(t.messages().last().text, QStringLiteral("Сохранить изменения?"));
        QCOMPARE(t.messages().last().icon, ui::Icon::Question);
    }
    QVERIFY(closed);
    QCOMPARE(t.scalar("select s_caption || '|' || id_inventory_items from "
                      "mnf_proc_tech.proc_tech where id = 3"),
             stored);
    QCOMPARE(t.count("select count(*) from mnf_proc_tech.proc_tech"), 5);
    // The list is reloaded and stays on the process's row (its place is the same while the
    // item, which orders the list, stays).
    if (item.isEmpty())
        QCOMPARE(listed, stored.section('|', 0, 0) + QStringLiteral("|ШМ-01"));
}

void TestProcOperations::newProcess()
{
    // "Добавить" of the list: no operation before the header is saved (never process id 0),
    // then the header, then the first operation at position 1.
    Program t;
    t.in();
    QString groupBefore, groupAfter, firstPosition, total;
    QStringList refusal;
    int tagBefore = -1, tagAfter = -1, rows = 0;
    QString listedPrice;
    fromMenu(t, [&](TForm4 *w) {
        t.modal().script<TForm33>([&](TForm33 *p) {
            groupBefore = p->GroupBox1->title();
            tagBefore = p->tag;
            p->Button1->click(); // an operation before the process exists
            refusal = t.messages().errors();
            p->Edit3->setText(QStringLiteral("Дверь Д-01, усиленная"));
            scriptItemPick(t, QStringLiteral("Дверь Д-01"));
            p->Button5->click();
            t.messages().answerYes();
            p->Button6->click();
            groupAfter = p->GroupBox1->title();
            tagAfter = p->tag;
            addOperation(t, p, [&](TForm10 *e) {
                firstPosition = e->Edit1->text();
                fillOperation(t, e, "Резка", 1, "3,25");
            });
            total = p->price->text();
            rows = p->DBGrid1->model()->rowCount();
            p->Button4->click();
            return p->result();
        });
        w->Button1->click();
        const QString id = t.scalar("select id from mnf_proc_tech.proc_tech where s_caption "
                                    "like 'Дверь%'");
        QVERIFY(goToProcess(id.toInt()));
        listedPrice = dataModule().proc_tech.asString("full_price");
    });
    t.verifyClean();
    const QString id = t.scalar("select id from mnf_proc_tech.proc_tech where s_caption like "
                                "'Дверь%'");
    QVERIFY(id.toInt() > 5);
    QCOMPARE(groupBefore, QStringLiteral("Техпроцесс № "));
    QCOMPARE(tagBefore, 1);
    QCOMPARE(refusal.size(), 1);
    QVERIFY2(refusal.first().contains("Сохранить"), qPrintable(refusal.first()));
    QCOMPARE(groupAfter, QStringLiteral("Техпроцесс № ") + id);
    QCOMPARE(tagAfter, 0);
    QCOMPARE(firstPosition, QStringLiteral("1"));
    QCOMPARE(total, QStringLiteral("3,25"));
    QCOMPARE(rows, 1);
    QCOMPARE(listedPrice, QStringLiteral("3,25"));
    const QString joined = t.scalar(
        QStringLiteral("select pt.s_caption || '|' || pt.id_inventory_items || '|' || o.orderby "
                       "|| '|' || o.price::text || '|' || o.id_inventory_items from "
                       "mnf_proc_tech.proc_tech pt join mnf_operation.operation o on "
                       "o.id_proc_tech = pt.id where pt.id = ")
        + id);
    QCOMPARE(joined, QStringLiteral("Дверь Д-01, усиленная|207|1|3.2500|207"));
    QCOMPARE(t.count("select count(*) from mnf_operation.operation where id_proc_tech = 0"), 0);
}

void TestProcOperations::newProcessHalfFilled()
{
    // A name without an item is not saved: the window says so and stays open; emptied again,
    // the header has nothing to save and the window closes without a question.
    Program t;
    t.in();
    bool openAfterRefusal = false, closedAtLast = false;
    fromMenu(t, [&](TForm4 *w) {
        t.modal().script<TForm33>([&](TForm33 *p) {
            p->Edit3->setText(QStringLiteral("Без изделия"));
            t.messages().answerYes();
            p->Button4->click();
            openAfterRefusal = p->isVisible();
            p->Edit3->clear();
            QTest::keyClick(p, Qt::Key_Escape);
            closedAtLast = !p->isVisible();
            return p->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.messages().texts(),
             QStringList({"Сохранить изменения?", "Все поля должны быть заполнены!"}));
    QVERIFY(openAfterRefusal);
    QVERIFY(closedAtLast);
    QCOMPARE(t.count("select count(*) from mnf_proc_tech.proc_tech"), 5);
}

void TestProcOperations::newProcessBesideAnotherClient()
{
    // Another client saves a process while this one answers the question; each goes on with
    // its own process, whatever the largest id is.
    Program t;
    t.in();
    t.messages().onShow([&](const testing::RecordedMessage &m) {
        if (m.text == QStringLiteral("Сохранить изменения?"))
            t.p.db.exec("insert into mnf_proc_tech.proc_tech (id, s_caption, "
                        "id_inventory_items) values (900, 'Чужой техпроцесс', 201)");
    });
    QString group;
    fromMenu(t, [&](TForm4 *w) {
        t.modal().script<TForm33>([&](TForm33 *p) {
            p->Edit3->setText(QStringLiteral("Свой техпроцесс"));
            scriptItemPick(t, QStringLiteral("ШМ-02"));
            p->Button5->click();
            t.messages().answerYes();
            p->Button6->click();
            group = p->GroupBox1->title();
            addOperation(t, p, [&](TForm10 *e) { fillOperation(t, e, "Сборка", 0, "4"); });
            p->Button4->click();
            return p->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    const QString own = t.scalar("select id from mnf_proc_tech.proc_tech where s_caption = "
                                 "'Свой техпроцесс'");
    QVERIFY(own != QLatin1String("900"));
    QCOMPARE(group, QStringLiteral("Техпроцесс № ") + own);
    QCOMPARE(t.scalar("select id_proc_tech from mnf_operation.operation where price = 4"), own);
    QCOMPARE(t.count("select count(*) from mnf_operation.operation where id_proc_tech = 900"), 0);
}

QTEST_MAIN(TestProcOperations)
#include "tst_proc_operations.moc"
