#include "data_module.h"

#include "forms.h"

namespace {

Forms g_forms;

QStringList shiftStatement(int shift)
{
    // Shifts 2 to 4 read the older catalogue; only the shift number differs.
    const QString n = QString::number(shift);
    return {
        QStringLiteral("select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, "),
        QStringLiteral("smena.cena, person.s_caption fio, inventory_items.marka, vid_oper.vid, "
                       "(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' "
                       "END)) as nmn, oper.naimen, smena.kol_vo, smena.brak, "),
        QStringLiteral("round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, "
                       "smena.prize, smena.id, "),
        QStringLiteral("(select s_caption from cmn_gds_and_srv.gds_and_srv gas where id=color) "
                       "as s_caption_color,time,smena.ok,date(vvod) as vvod, smena.id_doc, "
                       "smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, "
                       "smena.id_cons_use  "),
        QStringLiteral("from cmn_contractor.person person,accounts_dep.inventory_items,"
                       "accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper "),
        QStringLiteral("where smena.i_id=inventory_items.id and smena.o_id=oper.id and "
                       "w_id=s_code::t_integer and "),
        QStringLiteral("oper.vid=vid_oper.id and smena.smena=%1 and smena.data=:data and "
                       "ok<>:ok order by")
            .arg(n),
        QStringLiteral(" inventory_items.marka, fio,vid_oper.vid, oper.naimen, "
                       "s_caption_color,smena.id"),
    };
}

} // namespace

Forms &forms()
{
    return g_forms;
}

TDataModule6 &dataModule()
{
    return *g_forms.dataModule;
}

TDataModule6::TDataModule6(QObject *parent)
    : QObject(parent)
{
    const std::pair<db::Dataset *, const char *> named[] = {{&Smena1, "Smena1"},
                                                            {&Smena2, "Smena2"},
                                                            {&Smena3, "Smena3"},
                                                            {&Smena4, "Smena4"},
                                                            {&ver, "ver"},
                                                            {&Control, "Control"},
                                                            {&workers, "workers"},
                                                            {&department, "department"},
                                                            {&staffpos, "staffpos"},
                                                            {&role, "role"},
                                                            {&nomenclature, "nomenclature"},
                                                            {&inventory_items, "inventory_items"},
                                                            {&operation_type, "operation_type"},
                                                            {&proc_tech, "proc_tech"},
                                                            {&operation, "operation"},
                                                            {&H_Tabel_1, "H_Tabel_1"},
                                                            {&H_Tabel_2, "H_Tabel_2"},
                                                            {&H_Tabel_3, "H_Tabel_3"}};
    for (const auto &[ds, name] : named) {
        ds->setConnection(&ADO_DB);
        ds->setObjectName(QLatin1String(name));
        m_datasets.append(ds);
    }
    for (db::Command *c : {&DelSmena, &H_Tabel_ins, &cmd_all})
        c->setConnection(&ADO_DB);

    // Shift 1 reads the enterprise catalogue. Besides its own names it delivers vid, naimen and
    // s_caption_color as the other shifts do, so every grid column and every sort works.
    Smena1.setSql(QStringList {
        QStringLiteral("select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, "
                       "smena.w_id, "),
        QStringLiteral("smena.cena,person.s_caption fio, inventory_items.marka, "
                       "ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN "
                       "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, "
                       "smena.brak, "),
        QStringLiteral("round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, "
                       "smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, "
                       "smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, "
                       "smena.id_cons_use, ot.s_caption vid, o.id_state naimen, "
                       "(select s_caption from cmn_gds_and_srv.gds_and_srv gas where "
                       "gas.id=smena.color) as s_caption_color"),
        QStringLiteral("from cmn_contractor.person person,cmn_inventory_items.inventory_items,"
                       "mnf_operation.operation o,accounts_dep.smena, "
                       "mnf_operation.operation_type ot"),
        QStringLiteral("where smena.i_id=inventory_items.id and smena.o_id=o.id and "
                       "w_id=s_code::t_integer and "),
        QStringLiteral("o.id_type=ot.id and smena.smena=1 and smena.data=:data and ok!=:OK "
                       "order by "),
        QStringLiteral(" inventory_items.marka, fio,ot.s_caption, o.id"),
    });
    Smena2.setSql(shiftStatement(2));
    Smena3.setSql(shiftStatement(3));
    Smena4.setSql(shiftStatement(4));

    ver.setTable(QStringLiteral("ver"));

    workers.setSql(QStringLiteral(
        "SELECT person.s_caption, s_second_name, s_first_name, s_third_name, b_employee, "
        "person.id, staff.s_caption s_staffpos, staff.id staff_id, dep.s_caption s_department, "
        "dep.id dep_id , roles.s_caption s_role, roles.id role_id FROM hrms_staffpos.staffpos "
        "staff, cmn_contractor.person person, cmn_department.department dep, adm_role.roles "
        "roles where person.b_employee = true and staff.id=person.id_staffpos and "
        "dep.id=person.id_department and roles.id = person.id_role order by s_caption"));
    department.setSql(QStringLiteral(
        "select d.*, d1.s_caption s_parent from cmn_department.department d, "
        "cmn_department.v_department d1 where d.id_parent = d1.id order by s_caption;"));
    staffpos.setSql(QStringList {QStringLiteral("SELECT s.*, d.s_caption s_dep"),
                                 QStringLiteral("FROM hrms_staffpos.staffpos s, "
                                                "cmn_department.department d "),
                                 QStringLiteral("where d.id=s.id_department order by "
                                                "s.s_caption")});
    role.setSql(QStringLiteral("select * from adm_role.roles order by s_caption"));
    nomenclature.setSql(QStringList {
        QStringLiteral("select n.*, d.s_caption s_department from "
                       "cmn_inventory_items.nomenclature n, cmn_department.department d where "
                       "d.id=n.id_department"),
        QStringLiteral("order by s_caption")});
    inventory_items.setSql(QStringLiteral(
        "SELECT \"type\", ii.marka, massa, ii.id, id_nom, n.s_caption s_nom FROM "
        "cmn_inventory_items.inventory_items ii, cmn_inventory_items.nomenclature n where "
        "ii.id_nom = n.id order by ii.marka;"));
    operation_type.setSql(
        QStringLiteral("select * from mnf_operation.operation_type order by s_caption"));
    proc_tech.setSql(QStringList {
        QStringLiteral("select (case when sum(o.price) is null then 0 else sum(o.price) end) as "
                       "full_price, pt.id, pt.s_caption, ii.marka as s_ii, "
                       "pt.id_inventory_items"),
        QStringLiteral("from mnf_proc_tech.proc_tech pt "),
        QStringLiteral("left outer join mnf_operation.operation o on pt.id = o.id_proc_tech"),
        QStringLiteral("left join cmn_inventory_items.inventory_items ii on  ii.id = "
                       "pt.id_inventory_items"),
        QStringLiteral("group by pt.id, ii.marka order by s_ii")});
    operation.setSql(QStringList {
        QStringLiteral("select o.*, ot.s_caption s_type, ii.marka, os.s_caption s_state "),
        QStringLiteral("from mnf_operation.operation o, mnf_operation.operation_type ot, "
                       "cmn_inventory_items.inventory_items ii, mnf_operation.operation_state "
                       "os  "),
        QStringLiteral("where ii.id=o.id_inventory_items and ot.id = o.id_type and "
                       "o.id_proc_tech = :id_proc_tech and os.id = o.id_state "),
        QStringLiteral("order by orderby")});
    // The entry editor opens the operations before any process was chosen: none are listed.
    operation.params().setInteger(QStringLiteral("id_proc_tech"), 0);
    const QString sumDays = QStringLiteral(
        "select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11\n"
        "+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25\n"
        "+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person "
        "where \nh_tabel.w_id=person.s_code::integer and h_tabel.smena=%1 and month=:mnth and "
        "\nyear=:yea order by fio");
    H_Tabel_1.setSql(sumDays.arg(1));
    H_Tabel_2.setSql(sumDays.arg(2));
    H_Tabel_3.setSql(sumDays.arg(3));
}

db::Dataset &TDataModule6::journal(int shift)
{
    switch (shift) {
    case 2:
        return Smena2;
    case 3:
        return Smena3;
    case 4:
        return Smena4;
    default:
        return Smena1;
    }
}

db::Dataset *TDataModule6::findDataset(const QString &name)
{
    for (db::Dataset *ds : std::as_const(m_datasets)) {
        if (ds->objectName() == name)
            return ds;
    }
    return nullptr;
}

QString TDataModule6::toSqlDecimal(const QString &typed) const
{
    QString s = typed;
    int at = s.indexOf(QLatin1Char(','));
    if (at < 0)
        at = s.indexOf(QLatin1Char('.'));
    if (at >= 0)
        s.replace(at, 1, decimalSeparator);
    return s;
}

void TDataModule6::openConnection(const QString &connectionString)
{
    ADO_DB.open(connectionString);
    connected();
}

void TDataModule6::connected()
{
    role.close();
    role.open();
}
