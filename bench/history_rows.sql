-- History of a busy month for the benchmarks, run by psql as the owner with two variables:
--   day   the date whose shift records get the history (bench/run.sh: the large day)
--   rows  about how many history rows to add, spread evenly over those records
-- Each record gets changes of its quantity and hours by two clerks, material rows added and
-- changed, as the triggers would write them; the rows are written straight
-- into the table (the owner may insert; nobody may change or delete), which is far quicker
-- than making every change for real.

WITH r AS (
    SELECT s.id, s.kol_vo, s.time, count(*) OVER () AS n
    FROM accounts_dep.smena s
    WHERE s.data = :'day'::date
)
INSERT INTO accounts_dep.smena_history (id_smena, d_when, s_login, s_what, s_kind, id_row,
                                        j_old, j_new)
SELECT r.id,
       :'day'::date + interval '8 hours' + k * interval '7 minutes',
       CASE k % 3 WHEN 0 THEN 'clerk' WHEN 1 THEN 'senior' ELSE 'wvk' END,
       CASE WHEN k % 5 = 4 THEN 'gds_use' ELSE 'smena' END,
       CASE WHEN k % 5 = 4 AND k % 2 = 0 THEN 'insert'
            ELSE 'update' END,
       CASE WHEN k % 5 = 4 THEN 100000 + k END,
       CASE WHEN k % 5 = 4 AND k % 2 = 0 THEN NULL
            WHEN k % 5 = 4 THEN jsonb_build_object('f_qty_use', k)
            WHEN k % 2 = 0 THEN jsonb_build_object('kol_vo', r.kol_vo + k)
            ELSE jsonb_build_object('time', r.time + 1, 'kol_vo', r.kol_vo + k) END,
       CASE WHEN k % 5 = 4 AND k % 2 = 0
                THEN jsonb_build_object('id_gds_use', 501, 'f_qty_use', k, 'id_cons_use', 0)
            WHEN k % 5 = 4 THEN jsonb_build_object('f_qty_use', k + 1)
            WHEN k % 2 = 0 THEN jsonb_build_object('kol_vo', r.kol_vo + k + 1)
            ELSE jsonb_build_object('time', r.time, 'kol_vo', r.kol_vo + k + 1) END
FROM r
CROSS JOIN LATERAL generate_series(0, greatest(:rows / r.n, 1) - 1) k;
ANALYZE accounts_dep.smena_history;
