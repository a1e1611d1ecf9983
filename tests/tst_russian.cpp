// Qt's own texts are Russian once the program has started: the buttons of a real message box,
// the journal's drop-down calendar with its month and day names, an edit field's context menu.

#include "support/program_fixture.h"

#include "journal/journal_window.h"
#include "ui/seams.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace testing;

namespace {

// A text as the user reads it: without the "&" of its accelerator and the shortcut after a tab.
QString readable(QString text)
{
    text.remove(QLatin1Char('&'));
    return text.section(QLatin1Char('\t'), 0, 0);
}

} // namespace

class TestRussian : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void messageBoxButtons();
    void calendar();
    void editContextMenu();
};

// The real box of the program, not the scripted one of the other tests.
void TestRussian::messageBoxButtons()
{
    ProgramFixture p;
    QVERIFY(p.start());
    ui::setMessageSeam(nullptr);
    QStringList buttons;
    QString caption;
    QTimer::singleShot(0, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible())
                continue;
            caption = box->windowTitle();
            for (QAbstractButton *b : box->buttons())
                buttons << readable(b->text());
            box->button(QMessageBox::No)->click();
        }
    });
    const bool yes
        = ui::askYesNo(nullptr, QStringLiteral("Удаление"), QStringLiteral("Удалить строку?"));
    ui::setMessageSeam(&p.seams.messages);
    QVERIFY(!yes);
    QCOMPARE(caption, QStringLiteral("Удаление"));
    buttons.sort();
    QCOMPARE(buttons, (QStringList {"Да", "Нет"}));
}

void TestRussian::calendar()
{
    ProgramFixture p;
    p.seams.setNow(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    QVERIFY(p.start());
    p.login(QStringLiteral("senior"), QStringLiteral("senior"));
    TForm1 *j = p.journal();
    QCOMPARE(QLocale().language(), QLocale::Russian);
    QCOMPARE(j->DateT->date(), QDate(2026, 12, 7));

    // Dropped down as a user does it, by the picker's arrow.
    j->show();
    QVERIFY(QTest::qWaitForWindowExposed(j));
    QTest::mouseClick(j->DateT, Qt::LeftButton, {},
                      QPoint(j->DateT->width() - 6, j->DateT->height() / 2));
    QCalendarWidget *c = j->DateT->calendarWidget();
    QVERIFY(c->isVisible());
    auto *month = c->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
    QVERIFY(month);
    QCOMPARE(month->text(), QStringLiteral("Декабрь"));
    QStringList months;
    for (QAction *a : month->menu()->actions())
        months << a->text();
    QCOMPARE(months.size(), 12);
    QCOMPARE(months.first(), QStringLiteral("Январь"));
    QCOMPARE(months.last(), QStringLiteral("Декабрь"));

    // Another month by the keyboard: its name is shown with a capital too.
    auto *days = c->findChild<QTableView *>(QStringLiteral("qt_calendar_calendarview"));
    QVERIFY(days);
    QTest::keyClick(days, Qt::Key_PageDown);
    QCOMPARE(month->text(), QStringLiteral("Январь"));
    // The week starts on Monday and the day names are Russian.
    QCOMPARE(c->firstDayOfWeek(), Qt::Monday);
    QStringList names;
    for (int column = 0; column < days->model()->columnCount(); ++column) {
        const QString name = days->model()->index(0, column).data().toString();
        if (!name.isEmpty())
            names << name.toLower();
    }
    QCOMPARE(names, (QStringList {"пн", "вт", "ср", "чт", "пт", "сб", "вс"}));
    QTest::keyClick(days, Qt::Key_Escape);
    j->hide();
}

void TestRussian::editContextMenu()
{
    ProgramFixture p;
    QVERIFY(p.start());
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            items << readable(a->text());
    }
    QVERIFY2(items.contains(QStringLiteral("Копировать")), qPrintable(items.join(u'|')));
    QVERIFY2(items.contains(QStringLiteral("Вставить")), qPrintable(items.join(u'|')));
}

QTEST_MAIN(TestRussian)
#include "tst_russian.moc"
