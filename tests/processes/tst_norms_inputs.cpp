// Hostile typing into the norms grid, into a row that exists and into the empty row of an
// operation without norms: each text is either written as the number it is (compared with what
// the server holds) or refused with a message that names the column, the table as it was and no
// row started for nothing.

#include "support/norms_fixture.h"

using namespace proctest;

namespace {

const char *const kTitles[] = {"Норматив", "Цена", "Премия, %"};

// Operation 1 holds 120/4.5/10 and 150/4.75/15; operation 2 holds nothing.
const QString kBefore = QStringLiteral("120/4.5/10 150/4.75/15");

} // namespace

class TestNormsInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void typed_data();
    void typed();
};

void TestNormsInputs::typed_data()
{
    QTest::addColumn<bool>("newRow"); // the empty row of operation 2, else the first of 1
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // the operation's norms afterwards
    QTest::addColumn<QString>("message");
    for (const bool newRow : {false, true}) {
        const char *where = newRow ? "new row" : "first row";
        // What the operation holds once `value` is in the column.
        auto after = [newRow](int column, const QString &value) {
            if (newRow)
                return value.isEmpty() ? QString() : value;
            QStringList first {QStringLiteral("120"), QStringLiteral("4.5"), QStringLiteral("10")};
            first[column] = value;
            first.removeAll(QString());
            const QString row = first.join(u'/');
            return column == 0 && value.toInt() > 150 ? QStringLiteral("150/4.75/15 ") + row
                                                      : row + QStringLiteral(" 150/4.75/15");
        };
        auto stored
            = [&](int column, const char *what, const QString &typed, const QString &value) {
                  QTest::addRow("%s, %s, %s", where, kTitles[column], what)
                      << newRow << column << typed << after(column, value) << "";
              };
        auto refused
            = [&](int column, const char *what, const QString &typed, const QString &message) {
                  QTest::addRow("%s, %s, %s", where, kTitles[column], what)
                      << newRow << column << typed << (newRow ? QString() : kBefore) << message;
              };
        stored(1, "comma", "12,5", "12.5");
        stored(1, "point", "12.5", "12.5");
        stored(1, "minus zero", "-0", "0");
        stored(1, "fifteen digits", "123456789012345", "123456789012345");
        stored(0, "blanks", " 130 ", "130");
        stored(0, "minus zero", "-0", "0");
        stored(2, "largest whole", "999999999", "999999999");
        if (!newRow)
            stored(2, "emptied", "", "");
        for (int column : {0, 1, 2}) {
            const bool whole = column != 1;
            const QString notANumber = whole
                ? QStringLiteral("Поле «%1»: «%2» не является целым числом. Введите целое число, "
                                 "например 8.")
                : QStringLiteral("Поле «%1»: «%2» не является числом. Введите число, например "
                                 "12,5.");
            QList<const char *> texts {"1e5",     "12,5,3", "'",
                                       "\"",      "\\",     ";",
                                       "%",       "_",      "1); delete from accounts_dep.norm; --",
                                       "сто",     "5😀",     "٥",
                                       "Infinity"};
            if (whole)
                texts << "12,5"
                      << "12.5";
            for (const char *text : texts) {
                const QString typed = QString::fromUtf8(text);
                refused(column, text, typed,
                        notANumber.arg(QString::fromUtf8(kTitles[column]), typed));
            }
            refused(column, "negative", "-5",
                    QStringLiteral("Поле «%1»: число не может быть отрицательным («-5»).")
                        .arg(QString::fromUtf8(kTitles[column])));
            refused(
                column, "20 digits", "99999999999999999999",
                QStringLiteral("Поле «%1»: число «99999999999999999999» слишком велико (не "
                               "более %2).")
                    .arg(QString::fromUtf8(kTitles[column]),
                         whole ? QStringLiteral("9 цифр") : QStringLiteral("15 цифр до запятой")));
        }
        refused(0, "10 digits", "2147483648",
                QStringLiteral("Поле «Норматив»: число «2147483648» слишком велико (не более 9 "
                               "цифр)."));
    }
}

void TestNormsInputs::typed()
{
    QFETCH(bool, newRow);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Program t;
    t.in();
    const int operation = newRow ? 2 : 1;
    const int rows = t.count(QStringLiteral("select count(*) from accounts_dep.norm"));
    QString shownBefore, shownAfter;
    withNorms(t, 1, operation, [&](TForm22 *n) {
        shownBefore = dirtest::columnTexts(n->DBGrid1->model(), column).join(u' ');
        type(n, 0, column, typed);
        shownAfter = dirtest::columnTexts(n->DBGrid1->model(), column).join(u' ');
    });
    t.verifyClean();
    QCOMPARE(norms(t, operation), stored);
    QCOMPARE(t.count("select count(*) from accounts_dep.norm where o_id is null"), 0);
    if (message.isEmpty()) {
        QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
        return;
    }
    QCOMPARE(t.messages().errors(), QStringList {message});
    QCOMPARE(t.count(QStringLiteral("select count(*) from accounts_dep.norm")), rows);
    // The grid shows what the table holds, not the refused text.
    QCOMPARE(shownAfter, shownBefore);
}

QTEST_MAIN(TestNormsInputs)
#include "tst_norms_inputs.moc"
