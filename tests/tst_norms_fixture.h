#pragma once
// The norms window's tests: the window reached as a user reaches it (the process list with
// "Цены" ticked, a process, a double click on its operation), values typed into its cells as the
// grid's editor hands them over, and the norms of an operation as the table holds them.

#include "tst_proc_fixture.h"

#include "processes/norms_window.h"

#include <QCheckBox>
#include <QTableView>

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

inline QString norms(const Program &t, int operation)
{
    return t.scalar(QStringLiteral("select coalesce(string_agg(concat_ws('/', norma, price, "
                                   "prize), ' ' order by norma, id), '') from "
                                   "accounts_dep.norm where o_id = %1")
                        .arg(operation));
}

} // namespace proctest
