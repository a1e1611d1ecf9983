// Hostile typing in the entry editor's number fields (quantity, rejects, hours), for a new record
// and a changed one: each text is either stored as the number it is, or refused with a message
// that names the field before anything is written (no record, no hours, the row unchanged). The
// user types and presses Enter, which saves without leaving the field.

#include "support/entry_fixture.h"

using namespace entrytest;

namespace {

enum Field { Quantity, Rejects, Hours };

QLineEdit *fieldOf(TForm11 *w, int field)
{
    return field == Quantity ? w->Edit3 : field == Rejects ? w->Edit4 : w->Edit6;
}

// The field typed over key by key, the focus in it as the user's is.
QLineEdit *typeInto(TForm11 *w, int field, const QString &keys)
{
    QLineEdit *edit = fieldOf(w, field);
    edit->setFocus();
    edit->clear();
    typeText(edit, keys);
    return edit;
}

const char *const kTitles[] = {"Кол-во", "Брак", "Время"};

QString notANumber(int field, const QString &typed)
{
    return field == Quantity
        ? QStringLiteral("Поле «Кол-во»: «%1» не является числом. Введите число, например 12,5.")
              .arg(typed.trimmed())
        : QStringLiteral("Поле «%1»: «%2» не является целым числом. Введите целое число, "
                         "например 8.")
              .arg(QString::fromUtf8(kTitles[field]), typed.trimmed());
}

const QString kHoursAbove = QStringLiteral("Время работы не может быть больше 24 часов! Поле "
                                           "«Время» принимает целое число часов от 0 до 24.");
QString rejectsAbove(int pieces)
{
    return QStringLiteral("Брак не может быть больше количества изделий! Поле «Брак» принимает "
                          "целое число от 0 до %1.")
        .arg(pieces);
}

// The record's quantity, rejects and hours as the server holds them.
const QString kColumns = QStringLiteral("kol_vo::text, brak::text, time::text");

void addRows(bool every);

} // namespace

class TestEntryInputs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newRecord_data();
    void newRecord();
    void changedRecord_data();
    void changedRecord();
    void workerNames_data();
    void workerNames();
    void enterTwice_data();
    void enterTwice();
    void typedSeparator_data();
    void typedSeparator();
};

void TestEntryInputs::newRecord_data()
{
    addRows(true);
}

namespace {

// The typed text and either what the record holds afterwards ("quantity|rejects|hours", the
// other fields left at 5, 0 and 8) or the message; `every` adds each refusal in every field.
void addRows(bool every)
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("message");
    auto stored = [](int field, const char *what, const QString &typed, const QString &value) {
        QStringList v {QStringLiteral("5.000000"), QStringLiteral("0"), QStringLiteral("8")};
        v[field] = value;
        QTest::addRow("%s, %s", kTitles[field], what) << field << typed << v.join(u'|') << "";
    };
    auto refused = [every](int field, const char *what, const QString &typed,
                           const QString &message, bool always = false) {
        if (every || always)
            QTest::addRow("%s, %s", kTitles[field], what) << field << typed << "" << message;
    };
    stored(Quantity, "comma", "12,5", "12.500000");
    stored(Quantity, "point", "12.5", "12.500000");
    stored(Quantity, "blanks and zeros", " 012,50 ", "12.500000");
    stored(Quantity, "minus zero", "-0", "0.000000");
    stored(Quantity, "every digit the column keeps", "31,123456", "31.123456");
    stored(Rejects, "minus zero", "-0", "0");
    stored(Rejects, "leading zero", "03", "3");
    stored(Rejects, "the whole quantity", "5", "5");
    stored(Hours, "a whole day", "24", "24");
    refused(Rejects, "above the quantity", "6", rejectsAbove(5), true);
    refused(Hours, "above a day", "25", kHoursAbove, true);
    for (int field : {Quantity, Rejects, Hours}) {
        for (const char *text : {"1e5", "12,5,3", "12.5.3", "'", "\"", "\\", ";", "%", "_",
                                 "5'; delete from accounts_dep.smena; --", "12 шт", "пять", "5😀",
                                 "١٢", "１２", "0x10", "+5", "5-", "1 000"}) {
            const QString typed = QString::fromUtf8(text);
            refused(field, text, typed, notANumber(field, typed),
                    field == Quantity
                        && (typed.contains(u';') || typed == QLatin1String("1e5")
                            || typed == QLatin1String("12,5,3")));
        }
        refused(field, "minus", "-5",
                QStringLiteral("Поле «%1»: число не может быть отрицательным («-5»).")
                    .arg(QString::fromUtf8(kTitles[field])),
                field == Quantity);
        refused(field, "empty", "", QStringLiteral("Все поля должны быть заполнены!"));
        refused(field, "blanks", "   ", QStringLiteral("Все поля должны быть заполнены!"));
    }
    refused(Quantity, "20 digits", "99999999999999999999",
            QStringLiteral("Поле «Кол-во»: число «99999999999999999999» слишком велико (не более "
                           "15 цифр до запятой)."),
            true);
    if (every)
        refused(Quantity, "above the line's need", "32,5",
                QStringLiteral("Количество изделий не может быть больше требуемого!"));
    for (int field : {Rejects, Hours}) {
        refused(field, "comma", "12,5", notANumber(field, "12,5"), true);
        refused(field, "point", "12.5", notANumber(field, "12.5"));
        refused(field, "20 digits", "99999999999999999999",
                QStringLiteral("Поле «%1»: число «99999999999999999999» слишком велико (не более 9 "
                               "цифр).")
                    .arg(QString::fromUtf8(kTitles[field])));
        refused(field, "10 digits", "2147483648",
                QStringLiteral("Поле «%1»: число «2147483648» слишком велико (не более 9 цифр).")
                    .arg(QString::fromUtf8(kTitles[field])));
    }
}

} // namespace

void TestEntryInputs::newRecord()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Editor t;
    t.in();
    const int records = t.count(QStringLiteral("select count(*) from accounts_dep.smena"));
    const int last = t.lastRecord();
    const QString hours = t.hoursOf(24, 1, kDay);
    QString left;
    bool headerOpen = false;
    t.add([&](TForm11 *w) {
        // Line 4 still needs 32 pieces.
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("5"));
        fieldOf(w, field)->setText(typed);
        w->Button1->click();
        left = fieldOf(w, field)->text();
        headerOpen = w->GroupBox1->isEnabled() && w->Button1->isEnabled();
    });
    t.verifyClean();
    if (message.isEmpty()) {
        QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
        QVERIFY(t.lastRecord() > last);
        QCOMPARE(t.smena(t.lastRecord(), kColumns), stored);
        QCOMPARE(t.hoursOf(24, 1, kDay), stored.section(u'|', 2));
        return;
    }
    QCOMPARE(t.messages().errors(), QStringList {message});
    // Refused: nothing written, the window as the user left it.
    QCOMPARE(t.count(QStringLiteral("select count(*) from accounts_dep.smena")), records);
    QCOMPARE(t.lastRecord(), last);
    QCOMPARE(t.hoursOf(24, 1, kDay), hours);
    QCOMPARE(left, typed);
    QVERIFY(headerOpen);
}

// The stored cases and one refusal of each kind: the update reads its fields as the insert does.
void TestEntryInputs::changedRecord_data()
{
    addRows(false);
}

void TestEntryInputs::changedRecord()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    Editor t;
    t.in();
    // A record of line 4 with 5 pieces, no rejects, 8 hours.
    const int id = t.addRecord(24, 21, 5, 8, QStringLiteral("no"), 4);
    t.refresh();
    t.go(id);
    const QString before = t.smena(id, kColumns);
    const QString vvod = t.smena(id, QStringLiteral("vvod::text"));
    t.change([&](TForm11 *w) {
        fieldOf(w, field)->setText(typed);
        w->Button1->click();
    });
    t.verifyClean();
    if (message.isEmpty()) {
        QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
        QCOMPARE(t.smena(id, kColumns), stored);
        return;
    }
    QCOMPARE(t.messages().errors(), QStringList {message});
    QCOMPARE(t.smena(id, kColumns), before);
    QCOMPARE(t.smena(id, QStringLiteral("vvod::text")), vvod);
}

void TestEntryInputs::workerNames_data()
{
    QTest::addColumn<QString>("name");
    for (const char *text :
         {"О'Нил Д'Артаньян", "Иванов \"Младший\"", "C:\\Петров\\", "Сидоров; drop table x; --",
          "Ковалёв 100% _И_", "Ёлкин Ёжик Ёфимович", "Смайлов 😀 Эмодзи", "=СУММ(A1:A2)"})
        QTest::newRow(text) << QString::fromUtf8(text);
    QTest::newRow("254 letters") << QString(253, QChar(u'Ж')) + u'\'';
}

// The worker's name comes from the personnel list into the editor and the journal as the
// database holds it, whatever it contains; the record takes the worker's number.
void TestEntryInputs::workerNames()
{
    QFETCH(QString, name);
    Editor t;
    t.p.db.exec(
        QStringLiteral("update cmn_contractor.person set s_caption = $t$%1$t$ where id = 24")
            .arg(name));
    t.in();
    QString shown, listed;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("5"));
        shown = w->Edit1->text();
        w->Button1->click();
        listed = t.journal().asString(QStringLiteral("fio"));
    });
    t.verifyClean();
    QVERIFY2(t.messages().shown().isEmpty(), qPrintable(t.messages().texts().join(u'\n')));
    QCOMPARE(shown, name);
    QCOMPARE(listed, name);
    QCOMPARE(t.smena(t.lastRecord(), QStringLiteral("w_id")), QStringLiteral("24"));
}

void TestEntryInputs::enterTwice_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("Кол-во, 1,2,3") << int(Quantity) << QStringLiteral("1,2,3")
                                   << notANumber(Quantity, QStringLiteral("1,2,3"));
    for (int field : {Quantity, Rejects, Hours})
        QTest::addRow("%s, empty", kTitles[field])
            << field << QString() << QStringLiteral("Все поля должны быть заполнены!");
}

// Enter in a field the save refuses, twice: each Enter shows its message once, and the box
// that takes the focus from the field is no leaving of it: the field keeps what was typed, so
// the second Enter is refused as the first was.
void TestEntryInputs::enterTwice()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Editor t;
    t.in();
    const int last = t.lastRecord();
    QString afterFirst, afterSecond;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("5"));
        QLineEdit *edit = typeInto(w, field, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        afterFirst = edit->text();
        QTest::keyClick(edit, Qt::Key_Return);
        afterSecond = edit->text();
    });
    t.verifyClean();
    QCOMPARE(t.messages().errors(), (QStringList {message, message}));
    QCOMPARE(afterFirst, typed);
    QCOMPARE(afterSecond, typed);
    QCOMPARE(t.lastRecord(), last);
}

void TestEntryInputs::typedSeparator_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    for (int field : {Rejects, Hours}) {
        for (const char *keys : {"9,5", "9.5", "1,"})
            QTest::addRow("%s, %s", kTitles[field], keys) << field << QString::fromLatin1(keys);
    }
}

// Rejects and hours are whole numbers: a separator typed into them is refused as typed, never
// dropped so that "9,5" hours become 95.
void TestEntryInputs::typedSeparator()
{
    QFETCH(int, field);
    QFETCH(QString, keys);
    Editor t;
    t.in();
    const int last = t.lastRecord();
    QString shown;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 2, 4, 24, 21, QStringLiteral("20"));
        QLineEdit *edit = typeInto(w, field, keys);
        shown = edit->text();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    t.verifyClean();
    QCOMPARE(shown, keys);
    QCOMPARE(t.messages().errors(), QStringList {notANumber(field, keys)});
    QCOMPARE(t.lastRecord(), last);
}

QTEST_MAIN(TestEntryInputs)
#include "tst_entry_inputs.moc"
