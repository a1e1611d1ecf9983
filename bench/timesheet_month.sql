-- January 2027 of more workers for the timesheet's benchmarks, run by psql with the variable
-- workers: that many employees added, each with hours rows in shifts 1, 2 and 3.
-- bench/run_timesheet.sh: 1,000; bench/run_scale.sh: the demo's size and ten times it.
INSERT INTO cmn_contractor.person (s_caption, id_staffpos, id_department, id_role, b_employee)
SELECT (ARRAY['Иванов', 'Петров', 'Сидоров', 'Кузнецов', 'Смирнов', 'Попов', 'Васильев',
              'Соколов', 'Михайлов', 'Новиков'])[1 + i % 10] || ' ' ||
       substr('АБВГДЕЖЗИКЛМНОПРСТ', 1 + i % 18, 1) || '.' ||
       substr('АБВГДЕЖЗИКЛМНОПРСТ', 1 + (i / 18) % 18, 1) || '. ' || i,
       p.id_staffpos, p.id_department, p.id_role, true
FROM generate_series(1, :workers) i
CROSS JOIN LATERAL (SELECT * FROM cmn_contractor.person WHERE id = 1) p;
-- Weekdays of 8 hours, some long days and some days off, in every shift.
INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d1, d2, d3, d4, d5, d6, d7, d8, d9,
    d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27,
    d28, d29, d30, d31)
SELECT p.id, s, 1, 2027, VARIADIC_days.*
FROM (SELECT id, row_number() OVER (ORDER BY id) k FROM cmn_contractor.person
      ORDER BY id DESC LIMIT :workers) p
CROSS JOIN generate_series(1, 3) s
CROSS JOIN LATERAL (SELECT
    (array_agg(CASE WHEN extract(isodow FROM DATE '2027-01-01' + d - 1) >= 6 THEN 0
                    WHEN (p.k + d + s) % 11 = 0 THEN 10 ELSE 8 END ORDER BY d))
    AS a FROM generate_series(1, 31) d) h
CROSS JOIN LATERAL (SELECT h.a[1], h.a[2], h.a[3], h.a[4], h.a[5], h.a[6], h.a[7], h.a[8],
    h.a[9], h.a[10], h.a[11], h.a[12], h.a[13], h.a[14], h.a[15], h.a[16], h.a[17], h.a[18],
    h.a[19], h.a[20], h.a[21], h.a[22], h.a[23], h.a[24], h.a[25], h.a[26], h.a[27], h.a[28],
    h.a[29], h.a[30], h.a[31]) VARIADIC_days;
ANALYZE;
