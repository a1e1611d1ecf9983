#pragma once
// The material window's tests: a record whose operation takes bolts by a norm, the goods it used
// and the batches' remainder set behind the windows, and the window opened from the editor.

#include "support/entry_fixture.h"

#include "journal/material_window.h"
#include "ui/data_grid.h"

namespace entrytest {

inline const int kGoods = 503; // bolts: operation 5 of item 201 takes them

struct Material : Editor
{
    int record = 0;

    // A record of item 201 with quantity 10 whose operation takes 0.5 bolts a piece.
    Material(int colour = 0)
    {
        in();
        p.db.exec("update mnf_operation.operation set f_qty_from = 0.5 where id = 5");
        record = addRecord(21, 5, 10, 8, QStringLiteral("no"), 1);
        p.db.exec(QStringLiteral("update accounts_dep.smena set color = %1 where id = %2")
                      .arg(colour)
                      .arg(record));
    }
    void use(double quantity, int goods = kGoods) const
    {
        p.db.exec(QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, "
                                 "f_qty_use) values (%1, %2, %3)")
                      .arg(record)
                      .arg(goods)
                      .arg(quantity));
    }
    // What the record has used of the goods, as the table holds it.
    QString used(int goods = kGoods) const
    {
        return scalar(QStringLiteral("select coalesce(sum(f_qty_use), 0) from "
                                     "accounts_dep.smena_gds_use where id_smena = %1 and "
                                     "id_gds_use = %2")
                          .arg(record)
                          .arg(goods));
    }
    // Leaves the goods' batches holding `left` free pieces.
    void batchLeaves(double left) const
    {
        p.db.exec(QStringLiteral("update cmn_gds_and_srv.consignment set f_qty_in = %1 + "
                                 "(select coalesce(sum(f_qty_use), 0) from "
                                 "accounts_dep.smena_gds_use where id_gds_use = %2) where id_gds "
                                 "= %2")
                      .arg(left)
                      .arg(kGoods));
    }
    // Opens the record for changing, its material window by "Добавить", and drives that.
    void material(const std::function<void(TForm24 *)> &inside)
    {
        refresh();
        go(record);
        change([&](TForm11 *w) {
            modal().script<TForm24>([&](TForm24 *m) {
                inside(m);
                if (m->isVisible())
                    m->Button2->click();
                return m->result();
            });
            w->Button5->click();
            listed = dirtest::columnTexts(w->DBGrid1->model(), 1);
            listedGoods = dirtest::columnTexts(w->DBGrid1->model(), 0);
        });
    }
    // The editor's material list after the window closed: quantities and goods.
    QStringList listed, listedGoods;
};

} // namespace entrytest
