-- What each login may do, by its access mode. Runs after install.sql, in the same database.
-- The logins and their group roles are cluster-wide (roles.sql); grants live in the database
-- and so are cloned with it.
--
--   every login (tabel_users): read everything the journal, the directories and the reports
--       show; read and write the version record (the version check writes d and t)
--   view-only  plonta                          nothing more
--   acceptance approverone, checker, signatory  the acceptance function (it runs with its
--                                               owner's rights, so they need no right to
--                                               change shift records)
--   entry      clerk                           shift records, material rows, brigade rows,
--                                               hours rows, the directories and processes;
--                                               not the acceptance function
--   full       wvk, senior                      all of entry, and acceptance

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
GRANT SELECT, UPDATE, INSERT ON public.ver TO tabel_users;
GRANT USAGE ON SEQUENCE public.ver_id_seq TO tabel_users;
GRANT EXECUTE ON FUNCTION
    public.iif(boolean, text, text),
    public.cena(accounts_dep.oper),
    accounts_dep.doc_item_caption(numeric),
    accounts_dep.get_doc_item_caption_by_smena(bigint),
    accounts_dep.get_doc_item_by_gds(numeric, numeric),
    accounts_dep.get_gds_from_by_smena(bigint),
    accounts_dep.stock_of_gds(numeric, numeric),
    accounts_dep.get_reminder_qty_by_smena(bigint, double precision, text),
    accounts_dep.show_consignment(numeric)
    TO tabel_users;
-- Trigger functions run for whoever changes the table.
GRANT EXECUTE ON FUNCTION
    public.refuse_delete_if_used(),
    public.refuse_delete_of_row_0(),
    cmn_contractor.person_set_code(),
    mnf_operation.operation_check()
    TO tabel_users;

-- Acceptance
GRANT EXECUTE ON FUNCTION accounts_dep.smena__accept_row_hwo(bigint) TO tabel_acceptance;

-- Entry: the journal's working tables
GRANT INSERT, UPDATE, DELETE ON accounts_dep.smena, accounts_dep.smena_gds_use,
    accounts_dep.person_temp, accounts_dep.h_tabel, accounts_dep.norm TO tabel_entry;
GRANT EXECUTE ON FUNCTION accounts_dep.divide_between_person(bigint) TO tabel_entry;
-- Entry: the directories and processes (roles and states are kept outside the program)
GRANT INSERT, UPDATE, DELETE ON cmn_contractor.person, cmn_department.department,
    hrms_staffpos.staffpos, cmn_inventory_items.nomenclature, cmn_inventory_items.inventory_items,
    mnf_operation.operation_type, mnf_operation.operation, mnf_proc_tech.proc_tech
    TO tabel_entry;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA accounts_dep, cmn_contractor, cmn_department,
    hrms_staffpos, cmn_inventory_items, mnf_operation, mnf_proc_tech TO tabel_entry;
