// Hostile typing in the operation editor's price and position, for a new operation and a changed
// one: each text is either written as the number it is (compared with what the server holds) or
// refused with a message that names the field, the editor open and the table as it was.

#include "support/proc_fixture.h"

using namespace proctest;

namespace {

const QString kStored = QStringLiteral("price::text || '|' || orderby::text");

} // namespace

class TestOperationInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typed_data();
    void typed();
};

void TestOperationInputs::typed_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("stored"); // "price|position" as the server holds them
    QTest::addColumn<QString>("message");
    for (const bool change : {false, true}) {
        const char *mode = change ? "change" : "add";
        auto stored = [&](const char *what, const QString &price, const QString &position,
                          const QString &value) {
            QTest::addRow("%s, %s", mode, what) << change << price << position << value << "";
        };
        auto refused = [&](const char *what, const QString &price, const QString &position,
                           const QString &message) {
            QTest::addRow("%s, %s", mode, what) << change << price << position << "" << message;
        };
        stored("price with a comma", "12,5", "7", "12.5000|7");
        stored("price with a point", "12.5", "7", "12.5000|7");
        stored("whole price", "12", "7", "12.0000|7");
        stored("price with blanks", " 0012,50 ", " 07 ", "12.5000|7");
        stored("price minus zero", "-0", "7", "0.0000|7");
        stored("position minus zero", "1", "-0", "1.0000|0");
        stored("the column's largest price", "99999999999,9999", "999999999",
               "99999999999.9999|999999999");
        // Digits beyond the column's four are rounded by the column.
        stored("five decimals", "0,12345", "7", "0.1235|7");
        const QString price
            = QStringLiteral("Поле «Цена»: «%1» не является числом. Введите число, например 12,5.");
        for (const char *text : {"1e5", "12,5,3", "'", "\"", "\\", ";", "%", "_", "1%", "1_",
                                 "1); delete from operation; --", "дюжина", "5😀", "٥", "NaN"})
            refused(text, QString::fromUtf8(text), "7", price.arg(QString::fromUtf8(text)));
        refused("negative price", "-12,5", "7",
                QStringLiteral("Поле «Цена»: число не может быть отрицательным («-12,5»)."));
        refused("20-digit price", "99999999999999999999", "7",
                QStringLiteral("Поле «Цена»: число «99999999999999999999» слишком велико (не "
                               "более 11 цифр до запятой)."));
        refused("12-digit price", "100000000000", "7",
                QStringLiteral("Поле «Цена»: число «100000000000» слишком велико (не более 11 "
                               "цифр до запятой)."));
        refused("empty price", "", "7",
                QStringLiteral("Поле «Цена» не заполнено. Введите число, например 12,5."));
        const QString position = QStringLiteral("Поле «№ по порядку»: «%1» не является целым "
                                                "числом. Введите целое число, например 8.");
        for (const char *text : {"12,5", "12.5", "1e5", "'", "%", "_", "7; --", "семь", "7😀"})
            refused(text, "1", QString::fromUtf8(text), position.arg(QString::fromUtf8(text)));
        refused("20-digit position", "1", "99999999999999999999",
                QStringLiteral("Поле «№ по порядку»: число «99999999999999999999» слишком велико "
                               "(не более 9 цифр)."));
        refused("negative position", "1", "-3",
                QStringLiteral("Поле «№ по порядку»: число не может быть отрицательным («-3»)."));
        refused("empty position", "1", "", QStringLiteral("Все поля должны быть заполнены!"));
    }
}

void TestOperationInputs::typed()
{
    QFETCH(bool, change);
    QFETCH(QString, price);
    QFETCH(QString, position);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Program t;
    t.in();
    const int operations = t.count(QStringLiteral("select count(*) from mnf_operation.operation"));
    const QString table = t.scalar(QStringLiteral("select string_agg(%1, ',' order by id) from "
                                                  "mnf_operation.operation")
                                       .arg(kStored));
    int id = 0;
    bool openAfter = false;
    QString left;
    fromMenu(t, [&](TForm4 *w) {
        QVERIFY(goToProcess(5));
        openProcess(t, w, [&](TForm33 *p) {
            t.modal().script<TForm10>([&](TForm10 *e) {
                // A changed operation keeps its type; a new one takes "Сборка".
                fillOperation(t, e, change ? QString() : QStringLiteral("Сборка"), 0, price,
                              position);
                openAfter = e->isVisible();
                left = e->Edit3->text() + u'|' + e->Edit1->text();
                if (openAfter)
                    e->Button5->click(); // Esc leaves the refused editor
                return e->result();
            });
            if (change) {
                id = int(dataModule().operation.asInteger(QStringLiteral("id")));
                p->Button2->click();
            } else {
                p->Button1->click();
            }
        });
    });
    t.verifyClean();
    if (message.isEmpty()) {
        QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
        QVERIFY(!openAfter);
        const QString which = change ? QStringLiteral("id = %1").arg(id)
                                     : QStringLiteral("id = (select max(id) from "
                                                      "mnf_operation.operation)");
        QCOMPARE(t.scalar(QStringLiteral("select %1 from mnf_operation.operation where %2")
                              .arg(kStored, which)),
                 stored);
        QCOMPARE(t.count(QStringLiteral("select count(*) from mnf_operation.operation")),
                 operations + (change ? 0 : 1));
        return;
    }
    QCOMPARE(t.messages().errors(), QStringList {message});
    QVERIFY(openAfter);
    QCOMPARE(left, price + u'|' + position);
    QCOMPARE(t.scalar(QStringLiteral("select string_agg(%1, ',' order by id) from "
                                     "mnf_operation.operation")
                          .arg(kStored)),
             table);
}

QTEST_MAIN(TestOperationInputs)
#include "tst_operation_inputs.moc"
