-- What each login may do, by its access mode: what the program offers that mode, nothing more.
-- Runs after install.sql and rules.sql, in the same database, and again on every upgrade: it
-- takes back what an earlier version gave before it gives. The logins and their group roles
-- are cluster-wide (roles.sql); grants live in the database and so are cloned with it.
--
--   every login (tabel_users): read everything the journal, the directories and the reports
--       show
--   view-only  plonta                          nothing more
--   acceptance approverone, checker, signatory  the acceptance function (it runs with its
--                                               owner's rights, so they need no right to
--                                               change shift records)
--   entry      clerk                           shift records (not their acceptance mark: only
--                                               acceptance sets it), material rows, brigade
--                                               rows, hours rows, the directories and
--                                               processes; not the acceptance function
--   full       wvk, senior                      all of entry, and acceptance
--   tabel_version  wvk, the stored account     the build stamp d, t of the version record

SET client_min_messages = warning;

-- Functions are executable by PUBLIC unless told otherwise; acceptance must not be.
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA accounts_dep, public FROM PUBLIC;

-- Everyone: read
GRANT USAGE ON SCHEMA accounts_dep, cmn_contractor, cmn_department, hrms_staffpos, adm_role,
    cmn_inventory_items, cmn_gds_and_srv, mnf_operation, mnf_proc_tech, mnf_doc, public
    TO tabel_users;
GRANT SELECT ON ALL TABLES IN SCHEMA accounts_dep, cmn_contractor, cmn_department,
    hrms_staffpos, adm_role, cmn_inventory_items, cmn_gds_and_srv, mnf_operation, mnf_proc_tech,
    mnf_doc, public TO tabel_users;
-- A build stamp written by anyone else would stop every client at start.
REVOKE INSERT, UPDATE ON public.ver FROM tabel_users;
REVOKE USAGE ON SEQUENCE public.ver_id_seq FROM tabel_users;
GRANT INSERT (d, t), UPDATE (d, t) ON public.ver TO tabel_version;
GRANT USAGE ON SEQUENCE public.ver_id_seq TO tabel_version;
GRANT EXECUTE ON FUNCTION
    public.iif(boolean, text, text),
    public.cena(accounts_dep.oper),
    accounts_dep.doc_item_caption(numeric),
    accounts_dep.get_doc_item_caption_by_smena(bigint),
    accounts_dep.get_doc_item_by_gds(numeric, numeric),
    accounts_dep.get_gds_from_by_smena(bigint),
    accounts_dep.stock_of_gds(numeric, numeric),
    accounts_dep.get_reminder_qty_by_smena(bigint, double precision, text),
    accounts_dep.show_consignment(numeric),
    accounts_dep.may_accept()
    TO tabel_users;
-- Trigger functions run for whoever changes the table.
GRANT EXECUTE ON FUNCTION
    public.refuse_delete_if_used(),
    public.refuse_delete_of_row_0(),
    cmn_contractor.person_set_code(),
    mnf_operation.operation_check(),
    accounts_dep.smena_rules(),
    accounts_dep.smena_gds_use_rules(),
    accounts_dep.smena_history_write(),
    accounts_dep.smena_rows_history_write(),
    accounts_dep.smena_history_refuse()
    TO tabel_users;
-- History (history.sql): every login reads it (above) and the window reads it through this;
-- no login writes it: its triggers run as the owner, so a clerk cannot add a row of his own.
GRANT EXECUTE ON FUNCTION accounts_dep.smena_history_lines(bigint),
    accounts_dep.history_value_name(text, text) TO tabel_users;

-- Acceptance
GRANT EXECUTE ON FUNCTION accounts_dep.smena__accept_row_hwo(bigint) TO tabel_acceptance;

-- Entry: the journal's working tables
-- A record's acceptance mark, requisition and line are written once, by its insert; acceptance
-- alone changes the mark (and refuses a new record that comes accepted, rules.sql).
REVOKE UPDATE ON accounts_dep.smena FROM tabel_entry;
GRANT INSERT, DELETE ON accounts_dep.smena TO tabel_entry;
GRANT UPDATE (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, prize, vvod, color,
              f_gds_qty_use, id_gds_use, id_cons_use) ON accounts_dep.smena TO tabel_entry;
GRANT INSERT, UPDATE, DELETE ON accounts_dep.smena_gds_use, accounts_dep.person_temp,
    accounts_dep.h_tabel, accounts_dep.norm TO tabel_entry;
GRANT EXECUTE ON FUNCTION accounts_dep.divide_between_person(bigint),
    accounts_dep.check_line_need(integer, numeric, numeric) TO tabel_entry;
-- Entry: the directories and processes (roles and states are kept outside the program)
GRANT INSERT, UPDATE, DELETE ON cmn_contractor.person, cmn_department.department,
    hrms_staffpos.staffpos, cmn_inventory_items.nomenclature, cmn_inventory_items.inventory_items,
    mnf_operation.operation_type, mnf_operation.operation, mnf_proc_tech.proc_tech
    TO tabel_entry;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA accounts_dep, cmn_contractor, cmn_department,
    hrms_staffpos, cmn_inventory_items, mnf_operation, mnf_proc_tech TO tabel_entry;
