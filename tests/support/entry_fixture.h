#pragma once
// The entry editor's tests: the program on a copy of the demo plant, logged in with full rights
// on 10.12.2026 (the demo's day with records in shifts 1 and 2), and the steps a person takes in
// the editor: lookups, the worker and operation choosers, the fields, "Запись".

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "db/dataset.h"
#include "directories/personnel_window.h"
#include "journal/entry_editor.h"
#include "journal/journal_window.h"
#include "processes/process_list_window.h"
#include "ui/lookup_box.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace entrytest {

using dirtest::typeText;

const QDate kDay(2026, 12, 10);

struct Editor : dirtest::Program
{
    Editor()
    {
        p.seams.setNow(QDateTime(kDay, QTime(9, 0)));
        // The editor's field exits meet boxes as on a desktop: a box takes the focus away.
        p.seams.messages.setTakesActivation(true);
    }

    TForm1 *j() const { return p.journal(); }
    TForm11 *e() const { return forms().entryEditor; }
    db::Dataset &journal() const { return j()->currentJournal(); }

    // Makes the record the journal's current row.
    void go(int id)
    {
        if (!journal().locate(QStringLiteral("id"), id))
            QTest::qFail("the record is not in the journal", __FILE__, __LINE__);
    }

    // The editor opened by the journal's "Добавить", "Изменить" or a double-click; `inside`
    // drives it while it is shown and then closes it (unless it closed itself).
    void open(QPushButton *journalButton, const std::function<void(TForm11 *)> &inside)
    {
        modal().script<TForm11>([inside](TForm11 *w) {
            inside(w);
            if (w->isVisible())
                w->Button2->click();
            return w->result();
        });
        journalButton->click();
    }
    void add(const std::function<void(TForm11 *)> &inside) { open(j()->Button1, inside); }
    void change(const std::function<void(TForm11 *)> &inside) { open(j()->Button2, inside); }
    void view(const std::function<void(TForm11 *)> &inside)
    {
        modal().script<TForm11>([inside](TForm11 *w) {
            inside(w);
            w->Button2->click();
            return w->result();
        });
        emit j()->DBGrid2->rowDoubleClicked();
    }

    // The next personnel list shown picks the person, as a double-click on the row does.
    void scriptWorker(int person)
    {
        modal().script<TForm5>([person](TForm5 *l) {
            if (!dataModule().workers.locate(QStringLiteral("id"), person))
                QTest::qFail("the person is not in the list", __FILE__, __LINE__);
            l->Button2->click();
            return l->result();
        });
    }
    // The next operation chooser shown hands over the operation as a pick does; a price of its
    // own when given.
    void scriptOperation(int operation, std::optional<double> price = {},
                         const QString &text = QString())
    {
        const QString item = scalar(
            QStringLiteral("select id_inventory_items from mnf_operation.operation where id = %1")
                .arg(operation));
        const QString stored
            = scalar(QStringLiteral("select price from mnf_operation.operation where id = %1")
                         .arg(operation));
        const QString shown = text.isEmpty()
            ? scalar(QStringLiteral("select ii.marka || '; ' || ot.s_caption || '; ' "
                                    "|| os.s_caption from mnf_operation.operation o "
                                    "join cmn_inventory_items.inventory_items ii on "
                                    "ii.id = o.id_inventory_items join "
                                    "mnf_operation.operation_type ot on ot.id = "
                                    "o.id_type join mnf_operation.operation_state os "
                                    "on os.id = o.id_state where o.id = %1")
                         .arg(operation))
            : text;
        const double value = price ? *price : stored.toDouble();
        modal().script<TForm4>([=](TForm4 *l) {
            OperationTarget *t = OperationTarget::current();
            t->picked = true;
            t->operationId = operation;
            t->itemId = item.toInt();
            t->price = value;
            t->text = shown;
            return int(l->tag == 1 ? QDialog::Accepted : QDialog::Rejected);
        });
    }

    // Chooses the row of a lookup by key (the n-th row with that key) as the drop-down does.
    static void choose(ui::LookupBox *box, const QVariant &key, int nth = 0)
    {
        for (int i = 0; i < box->count(); ++i) {
            if (box->itemData(i).toString() != key.toString() || nth-- > 0)
                continue;
            box->setCurrentIndex(i);
            emit box->activated(i);
            return;
        }
        QTest::qFail(
            qPrintable(QStringLiteral("%1 has no key %2").arg(box->objectName(), key.toString())),
            __FILE__, __LINE__);
    }
    // The product row of a colour in the first lookup ("По ТМЦ ").
    static void chooseProduct(TForm11 *w, int goods, int colour)
    {
        db::Dataset &list = w->id_gds;
        for (int row = 1; row <= list.recordCount(); ++row) {
            list.setRecNo(row);
            if (list.asInteger(QStringLiteral("id")) == goods
                && list.asInteger(QStringLiteral("id_gds_color")) == colour) {
                w->LCB_id_doc->setCurrentIndex(row - 1);
                emit w->LCB_id_doc->activated(row - 1);
                return;
            }
        }
        QTest::qFail("no such product", __FILE__, __LINE__);
    }

    // Leaves a field as the user does (its exit handler runs).
    static void leave(QLineEdit *edit)
    {
        edit->setFocus();
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }

    // Fills a new record by requisition line: requisition, line, worker, operation, quantity.
    void fillByRequisition(TForm11 *w, int requisition, int line, int person, int operation,
                           const QString &quantity, const QString &hours = QStringLiteral("8"))
    {
        w->RG1Item0->click();
        choose(w->LCB_id_doc, requisition);
        choose(w->LCB_id_doc_item, line);
        scriptWorker(person);
        w->Button3->click();
        scriptOperation(operation);
        w->Button4->click();
        w->Edit3->setText(quantity);
        w->Edit6->setText(hours);
    }

    QString smena(int id, const QString &columns) const
    {
        return scalar(QStringLiteral("select concat_ws('|', %1) from accounts_dep.smena where id "
                                     "= %2")
                          .arg(columns)
                          .arg(id));
    }
    // The day column of the worker's hours row ("" when there is no row).
    QString hoursOf(int worker, int shift, const QDate &day) const
    {
        return scalar(QStringLiteral("select string_agg(d%1::text, ',') from accounts_dep.h_tabel "
                                     "where w_id = %2 and smena = %3 and month = %4 and year = %5")
                          .arg(day.day())
                          .arg(worker)
                          .arg(shift)
                          .arg(day.month())
                          .arg(day.year()));
    }
    int lastRecord() const
    {
        return count(QStringLiteral("select max(id) from accounts_dep.smena"));
    }
    // A record of the day in shift 1 written straight into the table; its id.
    int addRecord(int worker, int operation, double quantity, int hours = 8,
                  const QString &ok = QStringLiteral("no"), int line = 0) const
    {
        return count(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, "
                                    "cena, kol_vo, time, ok, id_doc, id_doc_item) select '%1', 1, "
                                    "%2, id_inventory_items, id, price, %3, %4, '%5', "
                                    "coalesce((select id_doc from mnf_doc.requisition_item where "
                                    "id = %6), 0), %6 from mnf_operation.operation where id = %7 "
                                    "returning id")
                         .arg(kDay.toString(Qt::ISODate))
                         .arg(worker)
                         .arg(quantity)
                         .arg(hours)
                         .arg(ok)
                         .arg(line)
                         .arg(operation));
    }
    // The journal read again (as "Обновить" does) so it lists rows written behind its back.
    void refresh() { j()->Button8Click(); }
};

} // namespace entrytest
