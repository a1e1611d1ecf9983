// Qt's own texts are Russian once the program has started: the buttons of a real message box,
// the journal's drop-down calendar with its month and day names, an edit field's context menu,
// the save dialog's words, columns, sizes and dates.

#include "support/program_fixture.h"

#include "journal/journal_window.h"
#include "reports/layouts/report_preview.h"
#include "ui/seams.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

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
    void saveDialog();
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

// The real save dialog of "Сохранить в PDF...", as it comes up on the offscreen screen: its
// labels, buttons, column titles, and a folder and a file listed in it.
void TestRussian::saveDialog()
{
    ProgramFixture p;
    QVERIFY(p.start());
    const QDir folder(p.seams.spreadsheets.folder());
    QVERIFY(folder.mkpath(QStringLiteral("Архив")));
    QFile file(folder.filePath(QStringLiteral("Сводка.pdf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1536, 'x'));
    QVERIFY(file.flush()); // before the time is set, which a later write would change
    const QDateTime modified(QDate(2026, 11, 5), QTime(14, 30));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    reports::PreparedReport report;
    report.title = QStringLiteral("Проба");
    report.pages.emplace_back().size = QSizeF(210, 297);
    const auto preview = layouts::previewWindow(report, nullptr);

    QStringList labels, buttons, titles;
    QString folderType, fileDate, fileSize, caption;
    p.seams.fileDialogs.script([&](QFileDialog *dialog) {
        caption = dialog->windowTitle();
        for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            labels << readable(dialog->findChild<QLabel *>(QLatin1String(name))->text());
        auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        for (QAbstractButton *b : box->buttons())
            buttons << readable(b->text());
        auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        QAbstractItemModel *model = view->model();
        for (int c = 0; c < model->columnCount(view->rootIndex()); ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        // The folder is read by a thread of the dialog's own: its rows, and the file's size and
        // date, come in a moment.
        const auto cell = [&](int row, int column) {
            return model->index(row, column, view->rootIndex()).data().toString();
        };
        (void)QTest::qWaitFor([&] {
            if (model->rowCount(view->rootIndex()) != 2)
                return false;
            for (int row = 0; row < 2; ++row) {
                if (cell(row, 0) == QStringLiteral("Архив"))
                    folderType = cell(row, 2);
                else
                    fileSize = cell(row, 1), fileDate = cell(row, 3);
            }
            return !folderType.isEmpty() && !fileDate.isEmpty();
        });
        dialog->reject();
        return int(QDialog::Rejected);
    });
    preview->ButtonPdf->click();

    QCOMPARE(p.seams.fileDialogs.shown().size(), 1);
    QCOMPARE(caption, QStringLiteral("Сохранить в PDF"));
    QCOMPARE(labels, (QStringList {"Перейти к:", "Имя файла:", "Типы файлов:"}));
    buttons.sort();
    QCOMPARE(buttons, (QStringList {"Отмена", "Сохранить"}));
    QCOMPARE(titles, (QStringList {"Имя", "Размер", "Тип", "Дата изменения"}));
    QCOMPARE(folderType, QStringLiteral("Папка"));
    QCOMPARE(fileDate, QStringLiteral("05.11.2026 14:30"));
    QCOMPARE(fileSize, QStringLiteral("1,50 кБ"));
}

QTEST_MAIN(TestRussian)
#include "tst_russian.moc"
