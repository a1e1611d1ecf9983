#pragma once
// The process windows' tests: the program on a copy of the demo plant (support/dir_fixture.h), the
// process list opened from the journal's menu, a process opened from it, and the pickers of the
// process operations window and the operation editor answered by scripts.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/items_window.h"
#include "directories/operation_types_window.h"
#include "processes/operation_editor.h"
#include "processes/process_list_window.h"
#include "processes/process_operations_window.h"
#include "ui/data_grid.h"
#include "ui/lookup_box.h"

#include "db/formats.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace proctest {

using dirtest::Program;

// The process list from the menu "Справочники" → "Техпроцессы"; `inside` drives it.
inline void fromMenu(Program &t, std::function<void(TForm4 *)> inside)
{
    t.fromMenu<TForm4>("N5", std::move(inside));
}

// Puts the list on the process with this id (the list's row, whatever its sort).
inline bool goToProcess(int id)
{
    return dataModule().proc_tech.locate(QStringLiteral("id"), id);
}

// Opens the current process with "Изменить"; `inside` drives the process operations window,
// which is left with "Выход".
inline void openProcess(Program &t, TForm4 *list, std::function<void(TForm33 *)> inside)
{
    t.modal().script<TForm33>([inside](TForm33 *w) {
        inside(w);
        if (w->isVisible())
            w->Button4->click();
        return w->result();
    });
    list->Button2->click();
}

// The item chooser answers with the item of this mark.
inline void scriptItemPick(Program &t, const QString &mark)
{
    t.modal().script<TForm3>([mark](TForm3 *l) {
        if (dataModule().inventory_items.locate(QStringLiteral("marka"), mark))
            l->Button2->click();
        return l->result();
    });
}

// The type chooser answers with the type of this name.
inline void scriptTypePick(Program &t, const QString &type)
{
    t.modal().script<TForm8>([type](TForm8 *l) {
        if (dataModule().operation_type.locate(QStringLiteral("s_caption"), type))
            l->Button2->click();
        return l->result();
    });
}

// Fills the operation editor as a person does: the type through its chooser, the state, the
// price and (when given) the position; then "Записать".
inline void fillOperation(Program &t, TForm10 *e, const QString &type, int state,
                          const QString &price, const QString &position = QString())
{
    if (!type.isEmpty()) {
        scriptTypePick(t, type);
        e->Button4->click();
    }
    e->cb_operation_state->setKeyValue(state);
    e->Edit3->setText(price);
    if (!position.isNull())
        e->Edit1->setText(position);
    e->Button3->click();
}

inline QStringList gridColumn(const ui::DataGrid *grid, int column)
{
    return dirtest::columnTexts(grid->model(), column);
}

inline QStringList gridTitles(const QAbstractItemModel *m)
{
    QStringList r;
    for (int c = 0; c < m->columnCount(); ++c)
        r << m->headerData(c, Qt::Horizontal).toString();
    return r;
}

} // namespace proctest
