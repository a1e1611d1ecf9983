// Hostile inputs of the process windows in one table: names stored exactly as typed (a new
// process and a renamed one), search texts that match themselves without an error box, and
// prices that get a clear message instead of a server error.

#include "support/proc_fixture.h"

using namespace proctest;

class TestProcInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostile_data();
    void hostile();
    void nameLength_data();
    void nameLength();
};

void TestProcInputs::hostile_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("input");
    const char *texts[][2] = {{"apostrophe", "Шкаф 'Д'Артаньян'"},
                              {"double quote", "Шкаф \"Эконом\""},
                              {"backslash", "Шкаф \\N\\"},
                              {"semicolon", "Шкаф; drop table mnf_proc_tech.proc_tech; --"},
                              {"percent and underscore", "Шкаф 100%_"},
                              {"statement end", "x'); delete from mnf_operation.operation; --"},
                              {"Cyrillic", "Шкаф «Ёлка» №5 — ёЁ"},
                              {"emoji", "Шкаф 🗄️ 😀"}};
    for (const auto &[what, text] : texts) {
        QTest::newRow(QByteArray("new name, ") + what) << "new name" << QString::fromUtf8(text);
        QTest::newRow(QByteArray("rename, ") + what) << "rename" << QString::fromUtf8(text);
        QTest::newRow(QByteArray("search, ") + what) << "search" << QString::fromUtf8(text);
    }
    QTest::newRow("search, quote alone") << "search"
                                         << "'";
    QTest::newRow("search, percent alone") << "search"
                                           << "%";
    QTest::newRow("search, underscore alone") << "search"
                                              << "_";
    QTest::newRow("price, quote") << "price"
                                  << "1'2";
    QTest::newRow("price, statement") << "price"
                                      << "1); delete from mnf_operation.operation; --";
    QTest::newRow("price, separators") << "price"
                                       << ",.";
}

void TestProcInputs::hostile()
{
    QFETCH(QString, field);
    QFETCH(QString, input);
    Program t;
    t.in();
    const int operations = t.count("select count(*) from mnf_operation.operation");
    // A process whose item mark is the hostile text and one whose mark only resembles it.
    t.p.db.exec("insert into cmn_inventory_items.inventory_items (id, marka, id_nom, massa, "
                "type) values (901, $t$"
                + input + "$t$, 3, 0, 1), (902, 'Шкаф 1000 ', 3, 0, 1), (903, 'x', 3, 0, 1)");
    t.p.db.exec("insert into mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) values "
                "(901, 'Совпадение', 901), (902, 'Похожее', 902), (903, 'Прочее', 903)");
    QStringList found;
    fromMenu(t, [&](TForm4 *w) {
        if (field == QLatin1String("search")) {
            dirtest::typeText(w->Edit1, input);
            found = gridColumn(w->DBGrid1, 2);
            return;
        }
        if (field == QLatin1String("new name")) {
            t.modal().script<TForm33>([&](TForm33 *p) {
                p->Edit3->setText(input);
                scriptItemPick(t, QStringLiteral("Стойка С-2000"));
                p->Button5->click();
                t.messages().answerYes();
                p->Button4->click();
                return p->result();
            });
            w->Button1->click();
            return;
        }
        QVERIFY(goToProcess(903));
        openProcess(t, w, [&](TForm33 *p) {
            if (field == QLatin1String("rename")) {
                p->Edit3->setText(input);
                t.messages().answerYes();
                return;
            }
            t.modal().script<TForm10>([&](TForm10 *e) {
                fillOperation(t, e, "Сборка", 0, input);
                e->Button5->click();
                return e->result();
            });
            p->Button1->click();
        });
    });
    t.verifyClean();
    if (field == QLatin1String("search")) {
        QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join('\n')));
        QCOMPARE(found, QStringList({"Совпадение"}));
    } else if (field == QLatin1String("price")) {
        QCOMPARE(t.messages().errors().size(), 1);
        QVERIFY2(t.messages().errors().first().startsWith("Поле «Цена»: «"),
                 qPrintable(t.messages().errors().first()));
    } else {
        QVERIFY2(t.messages().errors().isEmpty(), qPrintable(t.messages().texts().join('\n')));
        QCOMPARE(t.scalar(field == QLatin1String("rename")
                              ? QStringLiteral("select s_caption from mnf_proc_tech.proc_tech "
                                               "where id = 903")
                              : QStringLiteral("select s_caption from mnf_proc_tech.proc_tech "
                                               "where id_inventory_items = 206")),
                 input);
    }
    QCOMPARE(t.count("select count(*) from mnf_operation.operation"), operations);
    QCOMPARE(t.count("select count(*) from mnf_proc_tech.proc_tech"),
             field == QLatin1String("new name") ? 9 : 8);
}

void TestProcInputs::nameLength_data()
{
    QTest::addColumn<bool>("rename");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message"); // empty: stored as typed
    const QString tooLong = QStringLiteral(
        "Поле «Наименование ТП» длиннее 254 знаков (введено %1). Сократите текст.");
    for (const bool rename : {false, true}) {
        const char *how = rename ? "rename" : "new name";
        QTest::addRow("%s, 254 letters", how) << rename << QString(253, u'Ш') + u'\\' << "";
        QTest::addRow("%s, 254 emoji", how) << rename << QString::fromUtf8("😀").repeated(254) << "";
        QTest::addRow("%s, 255 letters", how) << rename << QString(255, u'Ш') << tooLong.arg(255);
        QTest::addRow("%s, 4000 letters", how)
            << rename << QString(3999, u'ж') + u'\'' << tooLong.arg(4000);
        QTest::addRow("%s, 255 emoji", how)
            << rename << QString::fromUtf8("😀").repeated(255) << tooLong.arg(255);
    }
}

// The name column keeps 254 characters (an emoji is one): a longer name is refused with a word,
// the window stays open with the name as typed, and nothing is written.
void TestProcInputs::nameLength()
{
    QFETCH(bool, rename);
    QFETCH(QString, name);
    QFETCH(QString, message);
    Program t;
    t.in();
    const QString before = t.scalar(QStringLiteral("select string_agg(id || ':' || s_caption, ',' "
                                                   "order by id) from mnf_proc_tech.proc_tech"));
    bool openAfter = false;
    QString left;
    fromMenu(t, [&](TForm4 *w) {
        auto save = [&](TForm33 *p) {
            p->Edit3->setText(name);
            t.messages().answerYes();
            p->Button6->click();
            openAfter = p->isVisible();
            left = p->Edit3->text();
        };
        if (rename) {
            QVERIFY(goToProcess(3));
            openProcess(t, w, [&](TForm33 *p) {
                save(p);
                // Leaving asks again; No leaves the process as it was.
                t.messages().answerNo();
            });
            return;
        }
        t.modal().script<TForm33>([&](TForm33 *p) {
            scriptItemPick(t, QStringLiteral("Стойка С-2000"));
            p->Button5->click();
            save(p);
            t.messages().answerNo();
            p->Button4->click();
            return p->result();
        });
        w->Button1->click();
    });
    t.verifyClean();
    QVERIFY(openAfter);
    QCOMPARE(left, name);
    if (message.isEmpty()) {
        QVERIFY2(t.messages().errors().isEmpty(), qPrintable(t.messages().texts().join('\n')));
        QCOMPARE(t.scalar(rename ? QStringLiteral("select s_caption from mnf_proc_tech.proc_tech "
                                                  "where id = 3")
                                 : QStringLiteral("select s_caption from mnf_proc_tech.proc_tech "
                                                  "order by id desc limit 1")),
                 name);
        return;
    }
    QCOMPARE(t.messages().errors(), QStringList {message});
    QCOMPARE(t.scalar(QStringLiteral("select string_agg(id || ':' || s_caption, ',' order by id) "
                                     "from mnf_proc_tech.proc_tech")),
             before);
}

QTEST_MAIN(TestProcInputs)
#include "tst_proc_inputs.moc"
