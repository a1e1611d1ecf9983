// Hostile input in the material window: quantities typed into "Расход" are either written as the
// number they are or refused with a message before anything is written; goods names and units
// with quotes, backslashes, "%", "_", emoji and the column's full length show exactly as the
// database holds them in the lookup, the batch text and the editor's list.

#include "support/material_fixture.h"

using namespace entrytest;

class TestMaterialInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void quantity_data();
    void quantity();
    void goodsTexts_data();
    void goodsTexts();
};

void TestMaterialInputs::quantity_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // what the record used afterwards, "0" when refused
    QTest::addColumn<QString>("message");
    // The norm allows 5 bolts (0.5 a piece, 10 pieces).
    QTest::newRow("comma") << "2,5"
                           << "2.5"
                           << "";
    QTest::newRow("point") << "2.5"
                           << "2.5"
                           << "";
    QTest::newRow("blanks") << " 3 "
                            << "3"
                            << "";
    QTest::newRow("thousandths") << ",125"
                                 << "0.125"
                                 << "";
    QTest::newRow("the whole norm") << "5,000"
                                    << "5"
                                    << "";
    const QString zero = QStringLiteral("Расход ТМЦ не может быть 0!");
    QTest::newRow("empty") << ""
                           << "0" << zero;
    QTest::newRow("blanks only") << "   "
                                 << "0" << zero;
    QTest::newRow("minus zero") << "-0"
                                << "0" << zero;
    QTest::newRow("zero") << "0,000"
                          << "0" << zero;
    const QString notANumber
        = QStringLiteral("Поле «Расход»: «%1» не является числом. Введите число, например 12,5.");
    for (const char *text :
         {"1e5", "12,5,3", "1,2.3", "'", "\"", "\\", ";", "%", "_", "2%", "2_",
          "1); delete from smena_gds_use; --", "два", "2😀", "١", "Infinity", "NaN"}) {
        const QString typed = QString::fromUtf8(text);
        QTest::newRow(text) << typed << "0" << notANumber.arg(typed);
    }
    QTest::newRow("minus") << "-1"
                           << "0"
                           << QStringLiteral(
                                  "Поле «Расход»: число не может быть отрицательным («-1»).");
    QTest::newRow("20 digits") << "99999999999999999999"
                               << "0"
                               << QStringLiteral("Поле «Расход»: число «99999999999999999999» "
                                                 "слишком велико (не более 15 цифр до запятой).");
}

void TestMaterialInputs::quantity()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Material t;
    const int rows = t.count(QStringLiteral("select count(*) from accounts_dep.smena_gds_use"));
    bool stillOpen = false;
    QString left;
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        m->Edit7->setText(typed);
        m->Button1->click();
        stillOpen = m->isVisible();
        left = m->Edit7->text();
    });
    t.verifyClean();
    QCOMPARE(t.used(), stored);
    if (message.isEmpty()) {
        QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
        QVERIFY(!stillOpen);
        QCOMPARE(t.listed, QStringList {stored.replace(u'.', u',')});
        return;
    }
    QCOMPARE(t.messages().errors(), QStringList {message});
    QCOMPARE(t.count(QStringLiteral("select count(*) from accounts_dep.smena_gds_use")), rows);
    // Refused: the window stays open with what the user typed.
    QVERIFY(stillOpen);
    QCOMPARE(left, typed);
}

void TestMaterialInputs::goodsTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::newRow("apostrophes") << "Болт 'М8' д'Артаньян"
                                 << "шт'";
    QTest::newRow("double quotes") << "Болт \"М8\""
                                   << "\"м\"";
    QTest::newRow("backslashes") << "Болт \\М8\\ \\n"
                                 << "\\";
    QTest::newRow("statement") << "Болт'; delete from accounts_dep.smena_gds_use; --"
                               << ";";
    QTest::newRow("percent and underscore") << "Болт 100% _М8_"
                                            << "%_";
    QTest::newRow("Cyrillic") << "Болт М8×40 «усиленный» ёЁ"
                              << "кг";
    QTest::newRow("emoji") << "Болт 🔩 М8"
                           << "🔩";
    QTest::newRow("the column's length")
        << QString(253, QChar(u'Ж')) + u'\'' << QString(20, QChar(u'ж'));
}

void TestMaterialInputs::goodsTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, unit);
    Material t;
    t.p.db.exec(QStringLiteral("update cmn_gds_and_srv.gds_and_srv set s_caption = $t$%1$t$, "
                               "s_unit = $t$%2$t$ where id = %3")
                    .arg(name, unit)
                    .arg(kGoods));
    QCOMPARE(t.scalar(QStringLiteral("select s_caption from cmn_gds_and_srv.gds_and_srv where id "
                                     "= %1")
                          .arg(kGoods)),
             name);
    QString listed, free, reserved;
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        listed = m->LCB_id_gds_use->currentText();
        free = m->DBText1->text();
        reserved = m->DBText2->text();
        m->Edit7->setText(QStringLiteral("1"));
        m->Button1->click();
    });
    t.verifyClean();
    QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
    QCOMPARE(listed, name);
    QVERIFY2(free.startsWith(QStringLiteral("Свободно на складах: ")) && free.endsWith(u' ' + unit),
             qPrintable(free));
    QVERIFY2(reserved.endsWith(u' ' + unit), qPrintable(reserved));
    QCOMPARE(t.used(), QStringLiteral("1"));
    // The editor's list names the goods as the database does.
    QCOMPARE(t.listedGoods, QStringList {name});
}

QTEST_MAIN(TestMaterialInputs)
#include "tst_material_inputs.moc"
