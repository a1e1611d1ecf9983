// Material consumption of a shift record: the proposal from the norm, the norm and batch
// questions with their answers, all of a batch's remainder, a quantity of 0 (also when more was
// used than the norm allows), no goods, deleting a row, and a batch that another client took
// from after the goods were chosen.

#include "support/material_fixture.h"

using namespace entrytest;

class TestMaterial : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void proposal_data();
    void proposal();
    void overTheNorm_data();
    void overTheNorm();
    void overTheBatch_data();
    void overTheBatch();
    void batchRemainderExactly_data();
    void batchRemainderExactly();
    void zeroQuantity_data();
    void zeroQuantity();
    void noGoods();
    void deleteKeepsRowNumber();
    void batchTakenMeanwhile_data();
    void batchTakenMeanwhile();
};

void TestMaterial::proposal_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("goods");
    QTest::addColumn<double>("usedBefore");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("norm 0.5 x 10") << 0 << kGoods << 0.0 << QStringLiteral("5");
    QTest::newRow("2 already used") << 0 << kGoods << 2.0 << QStringLiteral("3");
    // The record's quantity was lowered after 6 had been used.
    QTest::newRow("more used than the norm allows") << 0 << kGoods << 6.0 << QStringLiteral("0");
    QTest::newRow("paint of the item") << 7035 << 7035 << 0.0 << QStringLiteral("3,5");
}

void TestMaterial::proposal()
{
    QFETCH(int, colour);
    QFETCH(int, goods);
    QFETCH(double, usedBefore);
    QFETCH(QString, proposed);
    Material t(colour);
    if (usedBefore > 0)
        t.use(usedBefore, goods);
    QString shown, freeText;
    t.material([&](TForm24 *m) {
        QVERIFY(m->DBText1->text().isEmpty());
        Editor::choose(m->LCB_id_gds_use, goods);
        shown = m->Edit7->text();
        freeText = m->DBText1->text();
    });
    t.verifyClean();
    QCOMPARE(shown, proposed);
    QVERIFY(freeText.startsWith(QStringLiteral("Свободно на складах: ")));
}

void TestMaterial::overTheNorm_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("after");
    QTest::newRow("Yes writes what the norm allows") << true << QStringLiteral("5");
    QTest::newRow("No writes nothing") << false << QStringLiteral("2");
}

void TestMaterial::overTheNorm()
{
    QFETCH(bool, yes);
    QFETCH(QString, after);
    Material t;
    t.use(2);
    bool openAfterNo = false;
    t.messages().answer(yes ? QMessageBox::Yes : QMessageBox::No);
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        m->Edit7->setText(QStringLiteral("4"));
        m->Button1->click();
        openAfterNo = m->isVisible() && m->Edit7->text() == QLatin1String("4");
    });
    t.verifyClean();
    const testing::RecordedMessage box = t.messages().last();
    QCOMPARE(box.caption, QStringLiteral("Запрос"));
    QCOMPARE(box.text,
             QStringLiteral("Расход ТМЦ не может быть больше остатка по партии! "
                            "Расходовать весь остаток по партии?"));
    QCOMPARE(box.icon, ui::Icon::Warning);
    QCOMPARE(t.used(), after);
    QCOMPARE(openAfterNo, !yes);
    QCOMPARE(t.listed.size(), yes ? 2 : 1);
}

void TestMaterial::overTheBatch_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("after");
    QTest::newRow("Yes writes the remainder") << true << QStringLiteral("1.5");
    QTest::newRow("No writes nothing") << false << QStringLiteral("0");
}

void TestMaterial::overTheBatch()
{
    QFETCH(bool, yes);
    QFETCH(QString, after);
    Material t;
    t.batchLeaves(1.5);
    t.messages().answer(yes ? QMessageBox::Yes : QMessageBox::No);
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        m->Button1->click(); // the proposed 5
    });
    t.verifyClean();
    QCOMPARE(t.messages().last().text,
             QStringLiteral("Расход ТМЦ не может быть больше партии! "
                            "Расходовать весь остаток по партии?"));
    QCOMPARE(t.used(), after);
}

void TestMaterial::batchRemainderExactly_data()
{
    QTest::addColumn<double>("left");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("3 left") << 3.0 << QStringLiteral("3") << QStringLiteral("3");
    QTest::newRow("2,5 left") << 2.5 << QStringLiteral("2,5") << QStringLiteral("2.5");
}

// All that is left of the batch, within the norm, is written at once: no question.
void TestMaterial::batchRemainderExactly()
{
    QFETCH(double, left);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    Material t;
    t.batchLeaves(left);
    bool closed = false;
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        m->Edit7->setText(typed);
        m->Button1->click();
        closed = !m->isVisible();
    });
    t.verifyClean();
    QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join('\n')));
    QVERIFY(closed);
    QCOMPARE(t.used(), after);
    QCOMPARE(t.listed.size(), 1);
}

void TestMaterial::zeroQuantity_data()
{
    QTest::addColumn<double>("usedBefore");
    QTest::addColumn<bool>("proposal"); // "Запись" on the proposal, else on the typed text
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty field") << 0.0 << false << QString();
    // The record's quantity was lowered after 6 had been used: the norm allows 5.
    QTest::newRow("more used than the norm allows, the proposal") << 6.0 << true << QString();
    QTest::newRow("more used than the norm allows, 0 typed") << 6.0 << false << "0";
}

// A quantity of 0 is refused by its own message and the window stays open, also when the
// record already used more than the norm allows.
void TestMaterial::zeroQuantity()
{
    QFETCH(double, usedBefore);
    QFETCH(bool, proposal);
    QFETCH(QString, typed);
    Material t;
    if (usedBefore > 0)
        t.use(usedBefore);
    bool stillOpen = false;
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        if (!proposal)
            m->Edit7->setText(typed);
        m->Button1->click();
        stillOpen = m->isVisible();
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors(), QStringList {QStringLiteral("Расход ТМЦ не может быть 0!")});
    QVERIFY(stillOpen);
    QCOMPARE(t.used(), QString::number(usedBefore));
}

void TestMaterial::noGoods()
{
    Material t;
    t.material([&](TForm24 *m) {
        m->Edit7->setText(QStringLiteral("1"));
        m->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors(),
             QStringList {QStringLiteral("Все поля должны быть заполнены!")});
    QCOMPARE(t.count("select count(*) from accounts_dep.smena_gds_use where id_smena = "
                     + QString::number(t.record)),
             0);
}

void TestMaterial::deleteKeepsRowNumber()
{
    Material t;
    t.use(1);
    t.use(2);
    t.use(3);
    t.refresh();
    t.go(t.record);
    int rowAfter = 0;
    QStringList before, after;
    t.change([&](TForm11 *w) {
        before = dirtest::columnTexts(w->DBGrid1->model(), 1);
        w->smena_gds_use.setRecNo(2);
        w->Button6->click();
        rowAfter = w->smena_gds_use.recNo();
        after = dirtest::columnTexts(w->DBGrid1->model(), 1);
    });
    t.verifyClean();
    QVERIFY(t.messages().shown().isEmpty());
    QCOMPARE(before.size(), 3);
    QCOMPARE(after, (QStringList {before.at(0), before.at(2)}));
    QCOMPARE(rowAfter, 2);
    QCOMPARE(t.used(), QStringLiteral("4"));
}

void TestMaterial::batchTakenMeanwhile_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("after");
    QTest::newRow("Yes takes what is left") << true << QStringLiteral("2");
    QTest::newRow("No takes nothing") << false << QStringLiteral("0");
}

// The remainder shown when the goods were chosen is gone by the time of "Запись": another
// client used the batch. The write reads it again under the lock and asks the batch question.
void TestMaterial::batchTakenMeanwhile()
{
    QFETCH(bool, yes);
    QFETCH(QString, after);
    Material t;
    t.messages().answer(yes ? QMessageBox::Yes : QMessageBox::No);
    t.material([&](TForm24 *m) {
        Editor::choose(m->LCB_id_gds_use, kGoods);
        t.batchLeaves(2);
        m->Button1->click();
    });
    t.verifyClean();
    QCOMPARE(t.messages().shown().size(), 1);
    QCOMPARE(t.messages().last().text,
             QStringLiteral("Расход ТМЦ не может быть больше партии! "
                            "Расходовать весь остаток по партии?"));
    QCOMPARE(t.used(), after);
}

QTEST_MAIN(TestMaterial)
#include "tst_material.moc"
