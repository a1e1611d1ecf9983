// Small shared widgets: the key filters of number fields and the lookup box over a dataset.

#include "db/connection.h"
#include "db/dataset.h"
#include "tests/support/test_db.h"
#include "ui/key_filters.h"
#include "ui/lookup_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <memory>

namespace {

// Types text key by key; Qt Test's own typing knows only ASCII, so Cyrillic letters go as
// key events carrying their text, the way a Russian keyboard layout delivers them.
void typeText(QWidget *widget, const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c < 128) {
            QTest::keyClick(widget, char(c));
            continue;
        }
        // One key per character: an emoji comes with both of its UTF-16 halves.
        const QString key = QString::fromUcs4(&c, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, key);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class TestUiWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void keyFilters_data();
    void keyFilters();
    void keyFiltersPassControlKeys();

    void lookupChoosesByKey();
    void lookupFollowsDataset();
    void lookupWheelOnlyWithFocus();

private:
    std::unique_ptr<testing::TestDatabase> m_db;
    std::unique_ptr<db::Connection> m_connection;
};

void TestUiWidgets::initTestCase()
{
    m_db = std::make_unique<testing::TestDatabase>();
    m_db->exec(
        QStringLiteral("create table worker (id bigint primary key, fio text, rate numeric(8,2));"
                       "insert into worker values (7, 'Иванов И.И.', 12.5), (12, 'Петров П.П.', 9),"
                       " (30, 'Сидорова А.В.', 10.25)"));
    m_connection = std::make_unique<db::Connection>();
    m_connection->open(m_db->connectionString());
}

void TestUiWidgets::cleanupTestCase()
{
    m_connection.reset();
    m_db.reset();
}

void TestUiWidgets::keyFilters_data()
{
    QTest::addColumn<bool>("integer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("decimal: digits and both separators") << false << "12,5.75"
                                                         << "12,5.75";
    QTest::newRow("decimal: letters, signs, blanks") << false << "1a2 -3+e4"
                                                     << "1234";
    QTest::newRow("decimal: Cyrillic") << false << "3б,ю5"
                                       << "3,5";
    QTest::newRow("decimal: the Russian layout's period key") << false << "7ю5"
                                                              << "75";
    QTest::newRow("integer: separators refused") << true << "12,5.7"
                                                 << "1257";
    QTest::newRow("integer: signs refused") << true << "-4+2"
                                            << "42";
    QTest::newRow("decimal: emoji refused") << false << "1😀,5🔩"
                                            << "1,5";
    QTest::newRow("integer: emoji refused") << true << "😀4😀2"
                                            << "42";
}

void TestUiWidgets::keyFilters()
{
    QFETCH(bool, integer);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QLineEdit edit;
    integer ? ui::allowIntegerKeys(&edit) : ui::allowDecimalKeys(&edit);
    typeText(&edit, typed);
    QCOMPARE(edit.text(), kept);
}

void TestUiWidgets::keyFiltersPassControlKeys()
{
    QLineEdit edit;
    ui::allowDecimalKeys(&edit);
    QSignalSpy entered(&edit, &QLineEdit::returnPressed);
    QTest::keyClicks(&edit, "125");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("12"));
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QStringLiteral("1"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(entered.size(), 1);
    // Select-all and typing over it work as in any field.
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, "9");
    QCOMPARE(edit.text(), QStringLiteral("9"));
}

void TestUiWidgets::lookupChoosesByKey()
{
    db::Dataset workers(m_connection.get());
    workers.setSql(QStringLiteral("select id, fio, rate from worker order by fio"));
    workers.open();
    ui::LookupBox box;
    box.setDataset(&workers);
    box.setKeyField(QStringLiteral("id"));
    box.setListField(QStringLiteral("fio"));

    QCOMPARE(box.count(), 3);
    QCOMPARE(box.itemText(0), QStringLiteral("Иванов И.И."));
    QVERIFY(box.keyValue().isNull()); // nothing chosen yet
    QCOMPARE(box.text(), QString());

    box.setKeyValue(12);
    QCOMPARE(box.text(), QStringLiteral("Петров П.П."));
    QCOMPARE(box.keyValue().toLongLong(), 12);
    box.setKeyValue(QStringLiteral("30")); // a key read from a text field
    QCOMPARE(box.text(), QStringLiteral("Сидорова А.В."));

    box.setCurrentIndex(0); // the user picks a row
    QCOMPARE(box.keyValue().toLongLong(), 7);

    box.setKeyValue(99);
    QVERIFY(box.keyValue().isNull());
    QCOMPARE(box.text(), QString());
    box.setKeyValue(QVariant());
    QVERIFY(box.keyValue().isNull());

    // A number as the shown field reads as the program writes numbers.
    box.setListField(QStringLiteral("rate"));
    QCOMPARE(box.itemText(0), QStringLiteral("12,5"));
}

void TestUiWidgets::lookupFollowsDataset()
{
    db::Dataset workers(m_connection.get());
    workers.setSql(QStringLiteral("select id, fio from worker order by id"));
    ui::LookupBox box;
    box.setKeyField(QStringLiteral("id"));
    box.setListField(QStringLiteral("fio"));
    box.setDataset(&workers);
    QCOMPARE(box.count(), 0); // closed dataset, empty list

    workers.open();
    QCOMPARE(box.count(), 3);
    box.setKeyValue(30);
    QSignalSpy changed(&box, &QComboBox::currentIndexChanged);

    // A filter narrows the list; the chosen row stays chosen while it is listed.
    workers.setFilter(QStringLiteral("fio like 'С%'"));
    workers.setFiltered(true);
    QCOMPARE(box.count(), 1);
    QCOMPARE(box.keyValue().toLongLong(), 30);
    QCOMPARE(changed.size(), 0);

    workers.setFilter(QStringLiteral("fio like 'И%'"));
    QCOMPARE(box.count(), 1);
    QVERIFY(box.keyValue().isNull());
    QCOMPARE(changed.size(), 1);

    // Reopened after a new row: the list reads it.
    workers.setFiltered(false);
    m_db->exec(QStringLiteral("insert into worker values (40, 'Кузнецов К.К.', 8)"));
    workers.close();
    workers.open();
    QCOMPARE(box.count(), 4);
    box.setKeyValue(40);
    QCOMPARE(box.text(), QStringLiteral("Кузнецов К.К."));
    m_db->exec(QStringLiteral("delete from worker where id = 40"));
}

namespace {

// One notch of the wheel over the widget; true when the widget took it (an event it leaves
// goes on to the widgets under it, up to the window).
bool wheel(QWidget *w, int delta)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}

} // namespace

// A box without the focus leaves the wheel to its window (which scrolls); the focused box
// steps one row per notch, as the arrow keys do.
void TestUiWidgets::lookupWheelOnlyWithFocus()
{
    db::Dataset workers(m_connection.get());
    workers.setSql(QStringLiteral("select id, fio from worker order by id"));
    workers.open();
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *box = new ui::LookupBox(&window);
    box->move(0, 40);
    box->setKeyField(QStringLiteral("id"));
    box->setListField(QStringLiteral("fio"));
    box->setDataset(&workers);
    box->setKeyValue(12);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    edit->setFocus();
    QVERIFY(!wheel(box, -120));
    QVERIFY(!wheel(box, 120));
    QVERIFY(!wheel(box, 120));
    QCOMPARE(box->keyValue().toLongLong(), 12);

    box->setFocus();
    QVERIFY(wheel(box, -120));
    QCOMPARE(box->keyValue().toLongLong(), 30);
    QVERIFY(wheel(box, 120));
    QVERIFY(wheel(box, 120));
    QCOMPARE(box->keyValue().toLongLong(), 7);
}

QTEST_MAIN(TestUiWidgets)
#include "tst_ui_widgets.moc"
