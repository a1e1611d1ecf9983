#pragma once
// The norms window's tests: the window reached as a user reaches it (the process list with
// "Цены" ticked, a process, a double click on its operation), values typed into its cells as the
// grid's editor hands them over or keys pressed as a person does, and the norms of an operation
// as the table holds them.

#include "support/proc_fixture.h"

#include "processes/norms_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

namespace proctest {

// The norms of the operation at this row of the process: the list with "Цены" ticked, the
// process's operations, then a double click on the operation; `inside` drives the norms window.
inline void withNorms(Program &t, int process, int row, std::function<void(TForm22 *)> inside)
{
    dataModule().showHiddenCommands = true;
    t.modal().script<TForm22>([inside](TForm22 *n) {
        inside(n);
        if (n->isVisible())
            n->Button1->click();
        return n->result();
    });
    fromMenu(t, [&](TForm4 *w) {
        w->CheckBox1->setChecked(true);
        QVERIFY(goToProcess(process));
        t.modal().script<TForm33>([&](TForm33 *p) {
            dataModule().operation.setRecNo(row);
            Q_EMIT p->DBGrid1->rowDoubleClicked();
            p->Button4->click();
            return p->result();
        });
        Q_EMIT w->DBGrid1->rowDoubleClicked();
    });
}

inline QStringList column(const TForm22 *n, int c)
{
    return dirtest::columnTexts(n->DBGrid1->model(), c);
}

// Types a value into a cell as the grid's editor hands it over.
inline void type(TForm22 *n, int row, int c, const QString &text)
{
    QAbstractItemModel *m = n->DBGrid1->model();
    QVERIFY(m->flags(m->index(row, c)) & Qt::ItemIsEditable);
    m->setData(m->index(row, c), text);
}

// The window active and the cursor in the grid on the first cell of `row`, as a click leaves it.
inline void focusGrid(TForm22 *n, int row)
{
    n->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(n));
    n->DBGrid1->setFocus();
    n->DBGrid1->setCurrentIndex(n->DBGrid1->model()->index(row, 0));
}

// Keys as a person presses them, each to the widget that has the focus then (the grid, or the
// editor of its cell): characters as typed, named keys in angle brackets (<Tab>, <Enter>,
// <Down>, <Up>, <Esc>, <Ins>, <F2>), and "<click R C>" for a click on the cell of row R,
// column C. The window must be the active one.
inline void press(TForm22 *n, const QString &keys)
{
    static const QRegularExpression token(QStringLiteral("<click (\\d+) (\\d+)>|<(\\w+)>|."));
    static const QHash<QString, Qt::Key> named {{"Tab", Qt::Key_Tab},    {"Enter", Qt::Key_Return},
                                                {"Down", Qt::Key_Down},  {"Up", Qt::Key_Up},
                                                {"Esc", Qt::Key_Escape}, {"Ins", Qt::Key_Insert},
                                                {"F2", Qt::Key_F2}};
    for (const QRegularExpressionMatch &m : token.globalMatch(keys)) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(focus && focus->window() == n, qPrintable(keys));
        if (!m.captured(1).isEmpty()) {
            QAbstractItemView *grid = n->DBGrid1;
            const QModelIndex cell
                = grid->model()->index(m.captured(1).toInt(), m.captured(2).toInt());
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(cell).center());
        } else if (!m.captured(3).isEmpty()) {
            QVERIFY2(named.contains(m.captured(3)), qPrintable(m.captured(3)));
            QTest::keyClick(focus, named.value(m.captured(3)));
        } else {
            QTest::keyClick(focus, m.captured(0).at(0).toLatin1());
        }
        // What the event loop runs between two keys (Enter commits a cell this way).
        QCoreApplication::processEvents();
    }
}

// The current cell of the grid: the norm its row shows, "@", its column ("none" without one).
inline QString cursor(const TForm22 *n)
{
    const QModelIndex c = n->DBGrid1->currentIndex();
    if (!c.isValid())
        return QStringLiteral("none");
    return c.siblingAtColumn(0).data().toString() + u'@' + QString::number(c.column());
}

inline QString norms(const Program &t, int operation)
{
    return t.scalar(QStringLiteral("select coalesce(string_agg(concat_ws('/', norma, price, "
                                   "prize), ' ' order by norma, id), '') from "
                                   "accounts_dep.norm where o_id = %1")
                        .arg(operation));
}

} // namespace proctest
