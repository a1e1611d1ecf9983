-- Development aid: runs every statement the program sends against the demo database, with
-- plausible values in place of its parameters, and stops at the first one that fails or that
-- returns no rows where the demo must have some. Then it checks what each login may do, and
-- that a database cloned from the demo one still resolves the older unqualified names.
--
--   psql -X -v ON_ERROR_STOP=1 -h SOCKETDIR -p PORT -U tabel_admin -d tdemo \
--        -f schema/check_statements.sql
--
-- The logins connect over TCP on 127.0.0.1 with their passwords. Nothing is kept: the
-- statements run in a transaction that is rolled back.

\set ON_ERROR_STOP 1
\set QUIET 1
\o /dev/null
SELECT current_database() AS demo_db, current_user AS admin_user \gset
\set admin_host :HOST
\set admin_port :PORT

\set helpers 'CREATE FUNCTION pg_temp.expect(n bigint, what text) RETURNS void LANGUAGE plpgsql AS $f$ BEGIN IF n = 0 THEN RAISE EXCEPTION ''no rows: %'', what; END IF; RAISE NOTICE ''ok  % (% rows)'', what, n; END $f$; CREATE FUNCTION pg_temp.allowed(who text, stmt text) RETURNS void LANGUAGE plpgsql AS $f$ BEGIN EXECUTE stmt; RAISE SQLSTATE ''T0001''; EXCEPTION WHEN SQLSTATE ''T0001'' THEN RAISE NOTICE ''ok  % may: %'', who, left(stmt, 70); END $f$; CREATE FUNCTION pg_temp.refused(who text, stmt text) RETURNS void LANGUAGE plpgsql AS $f$ BEGIN EXECUTE stmt; RAISE EXCEPTION ''% may do what must be refused: %'', who, stmt; EXCEPTION WHEN insufficient_privilege OR raise_exception THEN RAISE NOTICE ''ok  % refused: % (%)'', who, left(stmt, 70), SQLERRM; END $f$;'
:helpers

BEGIN;

-- Records to work on: an open record of today in shift 1, an accepted one, one with material
-- rows, a painting record with a brigade.
SELECT id AS rec_id, w_id AS rec_w FROM accounts_dep.smena
WHERE data = DATE '2026-12-10' AND smena = 1 AND ok = 'no' ORDER BY id LIMIT 1 \gset
SELECT s.id AS mat_id, s.i_id AS mat_item FROM accounts_dep.smena s
WHERE EXISTS (SELECT 1 FROM accounts_dep.smena_gds_use u WHERE u.id_smena = s.id)
  AND s.color > 0 AND s.ok = 'no' ORDER BY s.id LIMIT 1 \gset
SELECT s.id AS acc_id FROM accounts_dep.smena s
WHERE EXISTS (SELECT 1 FROM accounts_dep.smena_gds_use u WHERE u.id_smena = s.id)
  AND s.ok = 'no' ORDER BY s.id DESC LIMIT 1 \gset
SELECT id AS done_id FROM accounts_dep.smena WHERE ok = 'ok' ORDER BY id LIMIT 1 \gset
SELECT id_smena AS brig_id FROM accounts_dep.person_temp LIMIT 1 \gset
SELECT id AS free_person FROM cmn_contractor.person p
WHERE NOT EXISTS (SELECT 1 FROM accounts_dep.smena s WHERE s.w_id = p.s_code::integer)
ORDER BY id LIMIT 1 \gset

-- The demo's hours rows are what the hours posting makes of its records.
SELECT pg_temp.expect(count(*), 'hours rows agree with the records') FROM (SELECT 1) x
WHERE NOT EXISTS (
    SELECT 1 FROM accounts_dep.smena s
    JOIN accounts_dep.h_tabel h ON h.w_id = s.w_id AND h.smena = s.smena
     AND h.month = extract(month FROM s.data) AND h.year = extract(year FROM s.data)
    GROUP BY s.w_id, s.smena, s.data, h.id
    HAVING sum(s.time) <> (to_jsonb(h) ->> ('d' || extract(day FROM s.data)))::integer);

-- ---------------------------------------------------------------------------------------------
-- Journal: the four shifts (parameter data = 10.12.2026 and a November date, OK = 'ta')

select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena,person.s_caption fio, inventory_items.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use
from cmn_contractor.person person,cmn_inventory_items.inventory_items,mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot
where smena.i_id=inventory_items.id and smena.o_id=o.id and w_id=s_code::t_integer and 
o.id_type=ot.id and smena.smena=1 and smena.data=DATE '2026-12-10' and ok!='ta' order by 
 inventory_items.marka, fio,ot.s_caption, o.id;
SELECT pg_temp.expect(:ROW_COUNT, 'Smena1 10.12.2026');

select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena,person.s_caption fio, inventory_items.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use
from cmn_contractor.person person,cmn_inventory_items.inventory_items,mnf_operation.operation o,accounts_dep.smena, mnf_operation.operation_type ot
where smena.i_id=inventory_items.id and smena.o_id=o.id and w_id=s_code::t_integer and 
o.id_type=ot.id and smena.smena=1 and smena.data=DATE '2026-11-17' and ok!='ta' order by 
 inventory_items.marka, fio,ot.s_caption, o.id;
SELECT pg_temp.expect(:ROW_COUNT, 'Smena1 17.11.2026');

select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena, s_caption fio, inventory_items.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize, smena.id, 
(select s_caption from cmn_gds_and_srv.gds_and_srv gas where id=color) as s_caption_color,time,smena.ok,date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use  
from cmn_contractor.person person,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper 
where smena.i_id=inventory_items.id and smena.o_id=oper.id and w_id=s_code::t_integer and 
oper.vid=vid_oper.id and smena.smena=2 and smena.data=DATE '2026-12-10' and ok<>'ta' order by
 inventory_items.marka, fio,vid_oper.vid, oper.naimen, s_caption_color,smena.id;
SELECT pg_temp.expect(:ROW_COUNT, 'Smena2 10.12.2026');

select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena, s_caption fio, inventory_items.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize, smena.id, 
(select s_caption from cmn_gds_and_srv.gds_and_srv gas where id=color) as s_caption_color,time,smena.ok,date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use  
from cmn_contractor.person person,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper 
where smena.i_id=inventory_items.id and smena.o_id=oper.id and w_id=s_code::t_integer and 
oper.vid=vid_oper.id and smena.smena=3 and smena.data=DATE '2026-11-17' and ok<>'ta' order by
 inventory_items.marka, fio,vid_oper.vid, oper.naimen, s_caption_color,smena.id;
SELECT pg_temp.expect(:ROW_COUNT, 'Smena3 17.11.2026');

select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, 
smena.cena, person.s_caption fio, inventory_items.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen, smena.kol_vo, smena.brak, 
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize, smena.id, 
(select s_caption from cmn_gds_and_srv.gds_and_srv gas where id=color) as s_caption_color,time,smena.ok,date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use  
from cmn_contractor.person person,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper 
where smena.i_id=inventory_items.id and smena.o_id=oper.id and w_id=s_code::t_integer and 
oper.vid=vid_oper.id and smena.smena=4 and smena.data=DATE '2026-11-14' and ok<>'ta' order by
 inventory_items.marka, fio,vid_oper.vid, oper.naimen, s_caption_color,smena.id;
SELECT pg_temp.expect(:ROW_COUNT, 'Smena4 14.11.2026');

-- ---------------------------------------------------------------------------------------------
-- Acceptance and deletion

select count(id) as id_cnt from accounts_dep.smena_gds_use sgu where sgu.id_smena = :mat_id;
SELECT pg_temp.expect(:ROW_COUNT, 'smena_gds_use_cnt');
select accounts_dep.smena__accept_row_hwo(:acc_id);
SELECT pg_temp.expect(count(*), 'accepted') FROM accounts_dep.smena WHERE id = :acc_id AND ok = 'ok';
SAVEPOINT missing;
\set ON_ERROR_STOP 0
\o
\echo 'expected error for a missing record:'
select accounts_dep.smena__accept_row_hwo(-5);
\o /dev/null
\set ON_ERROR_STOP 1
ROLLBACK TO SAVEPOINT missing;

-- ---------------------------------------------------------------------------------------------
-- Entry editor: requisitions, lines, goods

select id, s_caption from accounts_dep.v_mnf_requisition order by s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'v_mnf_requisition');
select id, id_doc, s_caption, id_gds, f_qty, s_gds_mc from accounts_dep.v_mnf_requisition_item where f_qty>0;
SELECT pg_temp.expect(:ROW_COUNT, 'v_mnf_requisition_item');
select id_gds as id, *
from accounts_dep.v_mnf_req_gds req_gds;
SELECT pg_temp.expect(:ROW_COUNT, 'id_gds (v_mnf_req_gds)');
select * from accounts_dep.get_doc_item_by_gds(201, 7035);
SELECT pg_temp.expect(:ROW_COUNT, 'get_doc_item_by_gds(201, 7035)');
select * from accounts_dep.get_doc_item_by_gds(0, 0);
select format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, 'dd.mm.yyyy')) as s_caption, doc.id as id from accounts_dep.smena smena inner join mnf_doc.doc doc on doc.id = smena.id_doc where smena.id = :rec_id
;
SELECT pg_temp.expect(:ROW_COUNT, 'requisition of a record');
select id::t_id, s_caption, 0::t_id as id_doc, 0::t_id as id_gds, 0::t_float as f_qty, 0::t_code as s_gds_mc from accounts_dep.get_doc_item_caption_by_smena(:rec_id)
;
SELECT pg_temp.expect(:ROW_COUNT, 'get_doc_item_caption_by_smena');

-- ---------------------------------------------------------------------------------------------
-- Saving a record, its brigade, hours posting

select max(id) as max_id from accounts_dep.SMENA;
insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(5, 201, 4, 18,12.5, 0, to_date('10.12.2026', 'DD.MM.YYYY HH24:MI:SS'), 1, 7035, 8, '10.12.2026', 'no', 0, 1, 1, 0, 201, 0) returning id;
SELECT pg_temp.expect(:ROW_COUNT, 'insert of a record');
SELECT max(id) AS new_id FROM accounts_dep.smena \gset
SELECT pg_temp.expect(count(*), 'vvod read day first')
FROM accounts_dep.smena WHERE id = :new_id AND vvod = TIMESTAMP '2026-12-10 00:00';
update accounts_dep.SMENA set w_id=5, i_id=201, o_id=4, cena=18.1235, kol_vo=12.75, brak=1, data=to_date('10.12.2026', 'DD.MM.YYYY'), smena=1, color=7035, time=6, vvod='10.12.2026', prize=0, f_gds_qty_use=0, id_gds_use=201, id_cons_use=0 where id=:new_id;
SELECT pg_temp.expect(:ROW_COUNT, 'update of a record');
select person_temp.id
,person.s_caption as s_caption
from accounts_dep.person_temp person_temp
inner join cmn_contractor.person person on person.id = person_temp.id_person
where person_temp.id_smena = :brig_id;
SELECT pg_temp.expect(:ROW_COUNT, 'fio_smena_gds');
insert into accounts_dep.person_temp(id_smena, id_person) values(:new_id,'9');
insert into accounts_dep.person_temp(id_smena, id_person) values(:new_id,'14');
select accounts_dep.divide_between_person(:new_id);
SELECT pg_temp.expect(count(*), 'division: three records, sums kept')
FROM (SELECT sum(kol_vo) AS q, sum(brak) AS b, count(*) AS n FROM accounts_dep.smena
      WHERE data = DATE '2026-12-10' AND smena = 1 AND o_id = 4 AND id >= :new_id) t
WHERE q = 12.75 AND b = 1 AND n = 3;
SELECT pg_temp.expect(count(*), 'division: brigade rows gone')
FROM (SELECT 1) x WHERE NOT EXISTS (SELECT 1 FROM accounts_dep.person_temp WHERE id_smena = :new_id);

select count(w_id) as cnt from accounts_dep.h_tabel where w_id=5 and smena=1 and month=12 and year=2026;
select count(w_id) as cnt from accounts_dep.h_tabel h_tabel where w_id=5 and smena=1 and month=12 and year=2026;
select sum(time) as tim from accounts_dep.smena where w_id=5 and smena=1 and data=to_date('10.12.2026', 'DD.MM.YYYY') group by w_id, smena, data;
SELECT pg_temp.expect(:ROW_COUNT, 'hours sum');
insert into accounts_dep.h_tabel(smena, w_id, month, year, d3) values(1, 5, 1, 2027, 8);
SELECT pg_temp.expect(count(*), 'other days default to 0')
FROM accounts_dep.h_tabel WHERE w_id = 5 AND month = 1 AND year = 2027 AND d1 = 0 AND d31 = 0;
update accounts_dep.h_tabel set d10=14 where w_id=5 and smena=1 and month=12 and year=2026;
SELECT pg_temp.expect(:ROW_COUNT, 'hours update');
update accounts_dep.h_tabel set d10='14' where w_id=5 and smena=1 and month=12 and year=2026;
delete from accounts_dep.h_tabel where w_id=5 and smena=1 and month=1 and year=2027;
SELECT pg_temp.expect(:ROW_COUNT, 'hours row delete');
 select smena, w_id, sum(time) as tim from accounts_dep.smena where data=DATE '2026-11-17' group by smena,w_id;
SELECT pg_temp.expect(:ROW_COUNT, 'dt');
delete from accounts_dep.smena where id=:new_id;
SELECT pg_temp.expect(:ROW_COUNT, 'DelSmena');
-- The history window: the deleted record's history stays, and since when it is kept.
select id, d_when, s_login, s_what, s_kind, id_smena, id_row, s_column, s_old, s_new, s_old_name, s_new_name from accounts_dep.smena_history_lines(:new_id);
SELECT pg_temp.expect(:ROW_COUNT, 'history of a deleted record');
select min(d_since) as d_since from accounts_dep.history_since;
SELECT pg_temp.expect(:ROW_COUNT, 'history_since');

-- ---------------------------------------------------------------------------------------------
-- Material consumption

select sgu.id as id
,vcgi.s_caption
,cons_use.stock_s_caption
,cons_use.s_caption as s_cons_use_hl
,sgu.f_qty_use
from accounts_dep.smena_gds_use sgu
inner join cmn_gds_and_srv.gds_and_srv vcgi on vcgi.id = sgu.id_gds_use
left join accounts_dep.show_consignment(sgu.id_gds_use) cons_use on cons_use.id = sgu.id_cons_use
where sgu.id_smena = :mat_id;
SELECT pg_temp.expect(:ROW_COUNT, 'smena_gds_use list');
select * from accounts_dep.get_gds_from_by_smena(:mat_id);
SELECT pg_temp.expect(:ROW_COUNT, 'v_cmn_gds_in');
select res_qty.s_full_caption
,res_qty.f_qty as f_qty_free
from accounts_dep.get_reminder_qty_by_smena(:mat_id, 7035, 'free') res_qty;
SELECT pg_temp.expect(:ROW_COUNT, 'v_id_cons_use');
select res_qty.s_full_caption
,res_qty.f_qty as f_qty_free
from accounts_dep.get_reminder_qty_by_smena(:mat_id, 7035.0, 'reserved') res_qty;
SELECT pg_temp.expect(:ROW_COUNT, 'v_id_cons_use1');
select res_qty.s_full_caption
,res_qty.f_qty as f_qty_free
from accounts_dep.get_reminder_qty_by_smena(-1, 0, 'free') res_qty;
select sum(f_qty_use) as sum_qty_use from accounts_dep.smena_gds_use sgu where sgu.id_smena =:mat_id and id_gds_use=7035;
select gds_attr.f_color_qty as f_qty_from from cmn_gds_and_srv.gds_attr gds_attr where gds_attr.id = :mat_item;
SELECT pg_temp.expect(:ROW_COUNT, 'paint norm');
select f_qty_from from mnf_operation.operation where id_gds_to = 201 and id_gds_from = 503;
SELECT pg_temp.expect(:ROW_COUNT, 'material norm');
select * from accounts_dep.smena_gds_use where id_smena = :mat_id;
insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (:mat_id, 7035, 1.25) returning id;
SELECT max(id) AS use_id FROM accounts_dep.smena_gds_use \gset
delete from accounts_dep.smena_gds_use where id=:use_id;
SELECT pg_temp.expect(:ROW_COUNT, 'material row delete');

-- ---------------------------------------------------------------------------------------------
-- Timesheet

select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11
+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25
+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where 
h_tabel.w_id=person.s_code::integer and h_tabel.smena=1 and month=11 and 
year=2026 order by fio;
SELECT pg_temp.expect(:ROW_COUNT, 'H_Tabel_1');
select person.s_caption fio, h_tabel.*,(d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11
+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25
+d26+d27+d28+d29+d30+d31) as summ from accounts_dep.h_tabel, cmn_contractor.person where 
h_tabel.w_id=person.s_code::integer and h_tabel.smena=3 and month=11 and 
year=2026 order by fio;
SELECT pg_temp.expect(:ROW_COUNT, 'H_Tabel_3');
select person.s_caption fio,sum(d1) as sd1,sum(d2) as sd2,sum(d3) as sd3,sum(d4) as sd4,
sum(d5) as sd5,sum(d6) as sd6,sum(d7) as sd7,sum(d8) as sd8,sum(d9) as sd9,
sum(d10) as sd10,sum(d11) as sd11,sum(d12) as sd12,sum(d13) as sd13,
sum(d14) as sd14,sum(d15) as sd15,sum(d16) as sd16,sum(d17) as sd17,
sum(d18) as sd18,sum(d19) as sd19,sum(d20) as sd20,sum(d21) as sd21,
sum(d22) as sd22,sum(d23) as sd23,sum(d24) as sd24,sum(d25) as sd25,
sum(d26) as sd26,sum(d27) as sd27,sum(d28) as sd28,sum(d29) as sd29,
sum(d30) as sd30,sum(d31) as sd31 from accounts_dep.h_tabel, cmn_contractor.person person where
h_tabel.w_id=person.s_code::t_integer and month=11 and
year=2026 group by fio order by fio;
SELECT pg_temp.expect(:ROW_COUNT, 'H_Tabel (timesheet layout)');

-- ---------------------------------------------------------------------------------------------
-- Reports (period November 2026)

select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid,
inventory_items.nom, oper.naimen, color,inventory_items.massa*sum(smena.kol_vo-smena.brak) as mass 
from accounts_dep.smena,accounts_dep.inventory_items,accounts_dep.vid_oper, accounts_dep.oper where inventory_items.id=smena.i_id and vid_oper.id=oper.vid
and oper.id=smena.o_id and smena.data<DATE '2026-12-01' and smena.data>=DATE '2026-11-01' 
group by inventory_items.nom,color, oper.naimen, vid_oper.vid, inventory_items.massa order by inventory_items.nom;
SELECT pg_temp.expect(:ROW_COUNT, 'XLS_Rep (summary reports)');

select person.s_caption fio, sum(smena.kol_vo-smena.brak) as kolvo, 
sum((kol_vo-brak)*smena.cena) as summa,vid_oper.vid,
inventory_items.nom, oper.naimen, color from cmn_contractor.person person,accounts_dep.smena,accounts_dep.inventory_items,accounts_dep.vid_oper,
accounts_dep.oper where w_id=s_code::integer and inventory_items.id=smena.i_id and vid_oper.id=oper.vid
and oper.id=smena.o_id and smena.data<DATE '2026-12-01' and smena.data>=DATE '2026-11-01' 
group by fio, inventory_items.nom, oper.naimen, vid_oper.vid, color order by fio, inventory_items.nom;
SELECT pg_temp.expect(:ROW_COUNT, 't_Report (workers summary)');

select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid,
inventory_items.nom, oper.naimen, color,  round((inventory_items.massa*sum(smena.kol_vo-smena.brak))::numeric,2) as mass
from accounts_dep.smena,accounts_dep.inventory_items,accounts_dep.vid_oper, accounts_dep.oper where inventory_items.id=smena.i_id and vid_oper.id=oper.vid
and oper.id=smena.o_id and smena.data<DATE '2026-12-01' and smena.data>=DATE '2026-11-01' 
group by inventory_items.nom,color, oper.naimen, vid_oper.vid, inventory_items.massa order by inventory_items.nom;
SELECT pg_temp.expect(:ROW_COUNT, 't_Report (product summary)');

select s_caption fio, inventory_items.marka, vid_oper.vid, oper.naimen, 
sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*
smena.cena) as summa, color, sum(prize*(kol_vo-brak)*cena/100) as s_prize 
from cmn_contractor.person person,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where 
smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=inventory_items.id 
and smena.o_id=oper.id and w_id=s_code::integer and oper.vid=vid_oper.id 
and smena.data<DATE '2026-12-01' and smena.data>=DATE '2026-11-01' group by fio, marka, 
vid_oper.vid, oper.naimen, color order by fio, marka, vid_oper.vid, oper.naimen;
SELECT pg_temp.expect(:ROW_COUNT, 'w_Report (detailed workers layout)');

select inventory_items.marka, vid_oper.vid vid, oper.naimen, inventory_items.nom, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, 
sum((kol_vo-brak)*smena.cena) as summa, color, round((inventory_items.massa*sum(smena.kol_vo))::numeric,2) as mass, doc_in.s_number  
from accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper, mnf_doc.doc doc_in where smena.o_id=oper.id and smena.i_id=inventory_items.id 
and smena.o_id=oper.id and oper.vid=vid_oper.id and smena.data<DATE '2026-12-01' and 
smena.data>=DATE '2026-11-01' and doc_in.id = smena.id_doc group by  s_number, inventory_items.nom, marka, vid_oper.vid, oper.naimen, color,massa 
order by s_number, inventory_items.nom,marka, vid_oper.vid, oper.naimen;
SELECT pg_temp.expect(:ROW_COUNT, 'i_Report (requisitions layout)');

select workers.fio, inventory_items.marka, vid_oper.vid, oper.naimen, 
sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa 
from accounts_dep.workers,accounts_dep.inventory_items,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where smena.o_id=oper.id and 
smena.w_id=workers.id and smena.i_id=inventory_items.id and smena.o_id=oper.id 
and w_id=workers.id and oper.vid=vid_oper.id and smena.data<DATE '2026-12-01' and 
smena.data>=DATE '2026-11-01' group by fio, marka, vid_oper.vid, oper.naimen
order by fio;
SELECT pg_temp.expect(:ROW_COUNT, 'w_Report (worker report window)');

-- ---------------------------------------------------------------------------------------------
-- Personnel, departments, positions, roles

SELECT person.s_caption, s_second_name, s_first_name, s_third_name, b_employee, person.id, staff.s_caption s_staffpos, staff.id staff_id, dep.s_caption s_department, dep.id dep_id , roles.s_caption s_role, roles.id role_id FROM hrms_staffpos.staffpos staff, cmn_contractor.person person, cmn_department.department dep, adm_role.roles roles where person.b_employee = true and staff.id=person.id_staffpos and dep.id=person.id_department and roles.id = person.id_role order by s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'workers');
INSERT INTO cmn_contractor.person (s_caption, s_second_name, s_first_name, s_third_name, id_staffpos, id_department, id_role)VALUES('Тестов Тест Тестович', 'Тестов', 'Тест', 'Тестович', 4, 4, 1);
SELECT max(id) AS p_id FROM cmn_contractor.person \gset
SELECT pg_temp.expect(count(*), 'new person: code = key, listed as employee')
FROM cmn_contractor.person WHERE id = :p_id AND s_code = id::text AND b_employee;
UPDATE cmn_contractor.person SET s_caption='Тестов Тест Иванович', s_second_name='Тестов', s_first_name='Тест', s_third_name='Иванович', id_staffpos=4, id_department=4, id_role=1 where cmn_contractor.person.id=:p_id;
SELECT pg_temp.expect(:ROW_COUNT, 'person update');
delete from cmn_contractor.person where id =:p_id;
SELECT pg_temp.expect(:ROW_COUNT, 'person delete');

select d.*, d1.s_caption s_parent from cmn_department.department d, cmn_department.v_department d1 where d.id_parent = d1.id order by s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'department');
insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)VALUES('Участок ремонта' ,'', 0, -1,'');
SELECT max(id) AS dep_new FROM cmn_department.department \gset
UPDATE cmn_department.department SET s_caption='Склад тары', s_description='новый', id_parent=0, type='2', s_type='Склад сырья' where id=:dep_new;
SELECT pg_temp.expect(count(*), 'department without parent stays listed')
FROM cmn_department.department d, cmn_department.v_department d1
WHERE d.id_parent = d1.id AND d.id = :dep_new AND d.type = 2;
delete from cmn_department.department where id=:dep_new;
SELECT pg_temp.expect(:ROW_COUNT, 'department delete');

SELECT s.*, d.s_caption s_dep
FROM hrms_staffpos.staffpos s, cmn_department.department d 
where d.id=s.id_department order by s.s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'staffpos');
insert into hrms_staffpos.staffpos(s_caption, s_description, id_department)VALUES('Контролер ОТК' ,'', 0);
SELECT max(id) AS pos_new FROM hrms_staffpos.staffpos \gset
UPDATE hrms_staffpos.staffpos SET s_caption='Контролер', s_description='ОТК', id_department=0 where id=:pos_new;
SELECT pg_temp.expect(count(*), 'position without department stays listed')
FROM hrms_staffpos.staffpos s, cmn_department.department d WHERE d.id=s.id_department AND s.id = :pos_new;
delete from hrms_staffpos.staffpos where id=:pos_new;
select * from adm_role.roles order by s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'role');

-- ---------------------------------------------------------------------------------------------
-- Nomenclature, items, operation types

select n.*, d.s_caption s_department from cmn_inventory_items.nomenclature n, cmn_department.department d where d.id=n.id_department
order by s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'nomenclature');
insert into cmn_inventory_items.nomenclature(s_caption, id_department)VALUES('Комплектующие' ,0);
SELECT max(id) AS nom_new FROM cmn_inventory_items.nomenclature \gset
UPDATE cmn_inventory_items.nomenclature SET s_caption='Комплектующие', id_department=5 where id=:nom_new;
delete from cmn_inventory_items.nomenclature where id=:nom_new;
SELECT "type", ii.marka, massa, ii.id, id_nom, n.s_caption s_nom FROM cmn_inventory_items.inventory_items ii, cmn_inventory_items.nomenclature n where ii.id_nom = n.id order by ii.marka;
SELECT pg_temp.expect(:ROW_COUNT, 'inventory_items');
insert into cmn_inventory_items.inventory_items(marka, id_nom, massa)VALUES('СТ-1500' , 0, 2.5);
SELECT max(id) AS item_new FROM cmn_inventory_items.inventory_items \gset
SELECT pg_temp.expect(count(*), 'item without group stays listed')
FROM cmn_inventory_items.inventory_items ii, cmn_inventory_items.nomenclature n
WHERE ii.id_nom = n.id AND ii.id = :item_new;
UPDATE cmn_inventory_items.inventory_items SET marka='СТ-1500', massa=2.75, id_nom=1 where id=:item_new;
delete from cmn_inventory_items.inventory_items where id=:item_new;
SELECT pg_temp.expect(:ROW_COUNT, 'item delete');

select * from mnf_operation.operation_type order by s_caption;
SELECT pg_temp.expect(:ROW_COUNT, 'operation_type');
insert into mnf_operation.operation_type(s_caption, s_description)VALUES('Шлифовка' ,'');
SELECT max(id) AS ot_new FROM mnf_operation.operation_type \gset
UPDATE mnf_operation.operation_type SET s_caption='Шлифовка', s_description='Зачистка швов' where id=:ot_new;

-- ---------------------------------------------------------------------------------------------
-- Processes, their operations and norms

select (case when sum(o.price) is null then 0 else sum(o.price) end) as full_price, pt.id, pt.s_caption, ii.marka as s_ii, pt.id_inventory_items
from mnf_proc_tech.proc_tech pt 
left outer join mnf_operation.operation o on pt.id = o.id_proc_tech
left join cmn_inventory_items.inventory_items ii on  ii.id = pt.id_inventory_items
group by pt.id, ii.marka order by s_ii;
SELECT pg_temp.expect(:ROW_COUNT, 'proc_tech');
select inventory_items.MARKA, vid_oper.VID, oper.NAIMEN, iif(naimen=0,'Готовая продукция','Заготовки') as nmn, oper.CENA, oper.id, oper.i_id,
 oper.VID as oper_vid from OPER,inventory_items,VID_OPER where OPER.i_id=Inventory_items.id 
and oper.vid=vid_oper.id order by inventory_items.marka, vid_oper.vid, oper.naimen;
SELECT pg_temp.expect(:ROW_COUNT, 'XLS_Rep (process export, unqualified names)');
SELECT pg_temp.expect(count(*), 'oper.cena of the older view') FROM accounts_dep.oper o WHERE o.cena > 0;

select o.*, ot.s_caption s_type, ii.marka, os.s_caption s_state 
from mnf_operation.operation o, mnf_operation.operation_type ot, cmn_inventory_items.inventory_items ii, mnf_operation.operation_state os  
where ii.id=o.id_inventory_items and ot.id = o.id_type and o.id_proc_tech = 1 and os.id = o.id_state 
order by orderby;
SELECT pg_temp.expect(:ROW_COUNT, 'operation');
select sum(o.price) as full_price from mnf_operation.operation o  
where o.id_proc_tech = 1;
select max(id) as max_id from mnf_proc_tech.proc_tech;
select (case when max(o.orderby) is null then 0 else max(o.orderby) end) +1 as orderby from mnf_operation.operation o 
where o.id_proc_tech=1;
select * from mnf_operation.operation_state;
insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items)VALUES('Стеллаж СТ-1000, грунтованный' ,201);
SELECT max(id) AS pt_new FROM mnf_proc_tech.proc_tech \gset
UPDATE mnf_proc_tech.proc_tech SET s_caption='Стеллаж СТ-1000 (грунт)', id_inventory_items=201 where id=:pt_new;
INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, id_proc_tech, orderby)VALUES(:ot_new,0 ,12.5, 201, :pt_new, 1);
SELECT max(id) AS op_new FROM mnf_operation.operation \gset
UPDATE mnf_operation.operation SET id_type=:ot_new, id_state=1, price=12, id_inventory_items=201, orderby=2 WHERE id=:op_new;
select * from accounts_dep.norm where o_id = :op_new;
insert into accounts_dep.norm (o_id, norma, prize, price) values (:op_new, 50, 10, 12.5) returning id;
SELECT max(id) AS norm_new FROM accounts_dep.norm \gset
update accounts_dep.norm set norma = 55, price = 12.3456 where id = :norm_new;
delete from accounts_dep.norm where id = :norm_new;
delete from mnf_operation.operation where id=:op_new;
SELECT pg_temp.expect(:ROW_COUNT, 'operation delete');
delete from mnf_operation.operation_type where id=:ot_new;
delete from mnf_proc_tech.proc_tech where id=:pt_new;
SELECT pg_temp.expect(:ROW_COUNT, 'proc_tech delete');

-- ---------------------------------------------------------------------------------------------
-- Refusals that keep lists whole

SAVEPOINT refusals;
\set ON_ERROR_STOP 0
\o
\echo 'expected errors (Russian messages):'
delete from cmn_department.department where id=0;
ROLLBACK TO SAVEPOINT refusals;
delete from cmn_contractor.person where id =1;
ROLLBACK TO SAVEPOINT refusals;
delete from mnf_operation.operation_type where id=4;
ROLLBACK TO SAVEPOINT refusals;
delete from mnf_proc_tech.proc_tech where id=1;
ROLLBACK TO SAVEPOINT refusals;
INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, id_proc_tech, orderby)VALUES(4,-1 ,12.5, 201, 1, 9);
ROLLBACK TO SAVEPOINT refusals;
\o /dev/null
\set ON_ERROR_STOP 1

-- Version record
select * from ver;
SELECT pg_temp.expect(count(*), 'ver: d, t and delim') FROM ver WHERE delim = '.';
update ver set d = 20261210, t = 36000 where id = 1;

ROLLBACK;

-- ---------------------------------------------------------------------------------------------
-- Logins (TCP, password): what each access mode may and may not do

\c -reuse-previous=on 'host=127.0.0.1 user=plonta password=plonta'
:helpers
SELECT pg_temp.allowed('plonta', 'select count(*) from accounts_dep.smena');
SELECT pg_temp.allowed('plonta', 'select * from accounts_dep.v_mnf_req_gds');
SELECT pg_temp.allowed('plonta', 'select * from OPER');
SELECT pg_temp.refused('plonta', 'update ver set d = d, t = t');
SELECT pg_temp.refused('plonta', 'insert into accounts_dep.smena (data, smena, ok) values (current_date, 1, ''no'')');
SELECT pg_temp.refused('plonta', 'update accounts_dep.smena set ok = ''ok''');
SELECT pg_temp.refused('plonta', 'select accounts_dep.smena__accept_row_hwo(' || :rec_id || ')');
SELECT pg_temp.refused('plonta', 'delete from cmn_contractor.person where id = ' || :free_person);
SELECT pg_temp.refused('plonta', 'insert into accounts_dep.h_tabel (w_id, smena, month, year) values (1, 1, 1, 2027)');
SELECT pg_temp.allowed('plonta', 'select * from accounts_dep.smena_history_lines(' || :rec_id || ')');
SELECT pg_temp.refused('plonta', 'delete from accounts_dep.smena_history');

\c -reuse-previous=on 'host=127.0.0.1 user=checker password=checker'
:helpers
SELECT pg_temp.allowed('checker', 'select accounts_dep.smena__accept_row_hwo(' || :acc_id || ')');
SELECT pg_temp.allowed('checker', 'select count(id) as id_cnt from accounts_dep.smena_gds_use sgu where sgu.id_smena = 1');
SELECT pg_temp.refused('checker', 'update ver set d = d, t = t');
SELECT pg_temp.refused('checker', 'insert into accounts_dep.smena (data, smena, ok) values (current_date, 1, ''no'')');
SELECT pg_temp.refused('checker', 'delete from accounts_dep.smena where id = ' || :rec_id);
SELECT pg_temp.refused('checker', 'update accounts_dep.smena set ok = ''ok'' where id = ' || :rec_id);
SELECT pg_temp.refused('checker', 'insert into mnf_operation.operation_type (s_caption) values (''x'')');
SELECT pg_temp.refused('checker', 'select accounts_dep.divide_between_person(' || :rec_id || ')');

\c -reuse-previous=on 'host=127.0.0.1 user=approverone password=approverone'
:helpers
SELECT pg_temp.allowed('approverone', 'select accounts_dep.smena__accept_row_hwo(' || :acc_id || ')');
SELECT pg_temp.refused('approverone', 'delete from cmn_contractor.person where id = ' || :free_person);

\c -reuse-previous=on 'host=127.0.0.1 user=signatory password=signatory'
:helpers
SELECT pg_temp.allowed('signatory', 'select accounts_dep.smena__accept_row_hwo(' || :acc_id || ')');
SELECT pg_temp.refused('signatory', 'insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (' || :rec_id || ', 7035, 1)');

\c -reuse-previous=on 'host=127.0.0.1 user=clerk password=clerk'
:helpers
SELECT pg_temp.refused('clerk', 'select accounts_dep.smena__accept_row_hwo(' || :rec_id || ')');
SELECT pg_temp.refused('clerk', 'update accounts_dep.smena_history set s_login = ''x''');
SELECT pg_temp.refused('clerk', 'insert into accounts_dep.smena_history (id_smena, s_what, s_kind) values (1, ''smena'', ''insert'')');
SELECT pg_temp.allowed('clerk', 'insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(5, 201, 4, 18,12.5, 0, to_date(''10.12.2026'', ''DD.MM.YYYY HH24:MI:SS''), 1, 7035, 8, ''10.12.2026'', ''no'', 0, 1, 1, 0, 201, 0) returning id');
SELECT pg_temp.allowed('clerk', 'update accounts_dep.SMENA set kol_vo=3 where id=' || :rec_id);
SELECT pg_temp.allowed('clerk', 'delete from accounts_dep.smena where id=' || :rec_id);
SELECT pg_temp.allowed('clerk', 'insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (' || :rec_id || ', 7035, 1) returning id');
SELECT pg_temp.allowed('clerk', 'insert into accounts_dep.person_temp(id_smena, id_person) values(' || :rec_id || ',''9'')');
SELECT pg_temp.allowed('clerk', 'select accounts_dep.divide_between_person(' || :brig_id || ')');
SELECT pg_temp.allowed('clerk', 'insert into accounts_dep.h_tabel(smena, w_id, month, year, d3) values(1, 5, 1, 2027, 8)');
SELECT pg_temp.allowed('clerk', 'delete from accounts_dep.h_tabel where month=11 and year=2026');
SELECT pg_temp.allowed('clerk', 'INSERT INTO cmn_contractor.person (s_caption, s_second_name, s_first_name, s_third_name, id_staffpos, id_department, id_role)VALUES(''А Б В'', ''А'', ''Б'', ''В'', 4, 4, 1)');
SELECT pg_temp.allowed('clerk', 'insert into mnf_proc_tech.proc_tech(s_caption, id_inventory_items)VALUES(''ТП'' ,201)');
SELECT pg_temp.allowed('clerk', 'insert into accounts_dep.norm (o_id, norma, prize, price) values (1, 1, 1, 1)');
SELECT pg_temp.refused('clerk', 'update ver set d = d, t = t');
SELECT pg_temp.refused('clerk', 'update accounts_dep.smena set ok = ''ok'' where id = ' || :rec_id);
SELECT pg_temp.refused('clerk', 'insert into accounts_dep.smena (data, smena, ok) values (current_date, 1, ''ok'')');
SELECT pg_temp.refused('clerk', 'update accounts_dep.smena set kol_vo = kol_vo + 1 where id = ' || :done_id);
SELECT pg_temp.refused('clerk', 'delete from accounts_dep.smena where id = ' || :done_id);
SELECT pg_temp.refused('clerk', 'delete from accounts_dep.smena_gds_use where id_smena = ' || :done_id);

\c -reuse-previous=on 'host=127.0.0.1 user=senior password=senior'
:helpers
SELECT pg_temp.allowed('senior', 'select accounts_dep.smena__accept_row_hwo(' || :acc_id || ')');
SELECT pg_temp.allowed('senior', 'delete from accounts_dep.smena where id=' || :rec_id);
SELECT pg_temp.allowed('senior', 'insert into cmn_inventory_items.inventory_items(marka, id_nom, massa)VALUES(''Х'' , 1, 1)');

\c -reuse-previous=on 'host=127.0.0.1 user=wvk password=wuvbzad'
:helpers
SELECT pg_temp.allowed('wvk', 'select accounts_dep.smena__accept_row_hwo(' || :acc_id || ')');
SELECT pg_temp.allowed('wvk', 'select accounts_dep.divide_between_person(' || :brig_id || ')');
SELECT pg_temp.allowed('wvk', 'update ver set d = 20261210, t = 1');

-- ---------------------------------------------------------------------------------------------
-- A clone of the demo database resolves the older names and the domains without settings

\c postgres :admin_user :admin_host :admin_port
DROP DATABASE IF EXISTS tabel_check_clone;
CREATE DATABASE tabel_check_clone TEMPLATE :"demo_db";
\c -reuse-previous=on 'host=127.0.0.1 dbname=tabel_check_clone user=clerk password=clerk'
:helpers
select inventory_items.MARKA, vid_oper.VID, oper.NAIMEN, iif(naimen=0,'Готовая продукция','Заготовки') as nmn, oper.CENA, oper.id, oper.i_id,
 oper.VID as oper_vid from OPER,inventory_items,VID_OPER where OPER.i_id=Inventory_items.id 
and oper.vid=vid_oper.id order by inventory_items.marka, vid_oper.vid, oper.naimen;
SELECT pg_temp.expect(:ROW_COUNT, 'clone: XLS_Rep (process export)');
select id::t_id, s_caption, 0::t_id as id_doc, 0::t_id as id_gds, 0::t_float as f_qty, 0::t_code as s_gds_mc from accounts_dep.get_doc_item_caption_by_smena(:rec_id)
;
SELECT pg_temp.expect(:ROW_COUNT, 'clone: casts to the domains');
SELECT pg_temp.expect(count(*), 'clone: day-first dates') FROM (SELECT '10.12.2026'::date AS d) x
WHERE d = DATE '2026-12-10';
\c postgres :admin_user :admin_host :admin_port
DROP DATABASE tabel_check_clone;
\o
\echo 'all statements ran'
