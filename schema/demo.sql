-- The demo plant: a small works making metal shelving and cabinets, with a month of shift
-- records (November 2026) and the records of 10.12.2026. Runs after install.sql, rules.sql and
-- grants.sql.
--
-- Goods ids: 1 is the primer and the colours carry their RAL numbers (the reports print a
-- colour as "грунт" for 1 and as its RAL number above 1); the products' goods have the ids of
-- their items (201 ...); materials are 501 ...

SET client_min_messages = warning;

-- The version record of a fresh database: any build is newer. "." is what PostgreSQL reads as
-- the decimal point in SQL text.
UPDATE public.ver SET d = 20000101, t = 0, delim = '.';

-- ---------------------------------------------------------------------------------------------
-- Organisation

INSERT INTO cmn_department.department (id, s_caption, s_description, id_parent, type, s_type)
VALUES
    (1, 'Завод металлоконструкций', 'Площадка № 1', 0, -1, ''),
    (2, 'Заготовительный участок', 'Резка, гибка, сварка', 1, -1, ''),
    (3, 'Цех окраски', 'Порошковая и жидкая окраска', 1, -1, ''),
    (4, 'Цех сборки', 'Сборка и упаковка', 1, -1, ''),
    (5, 'Склад готовой продукции', '', 1, 0, 'Склад ГП'),
    (6, 'Склад заготовок', 'Промежуточный склад', 1, 1, 'Склад заготовок'),
    (7, 'Склад сырья и материалов', '', 1, 2, 'Склад сырья'),
    (8, 'Отдел учета производства', '', 1, -1, '');

INSERT INTO hrms_staffpos.staffpos (id, s_caption, s_description, id_department) VALUES
    (1, 'Резчик металла', 'Резка листа и профиля', 2),
    (2, 'Сварщик', 'Полуавтоматическая сварка', 2),
    (3, 'Маляр', 'Окраска изделий', 3),
    (4, 'Сборщик', 'Сборка и упаковка изделий', 4),
    (5, 'Мастер участка', '', 4),
    (6, 'Учетчик', 'Ведение журнала выработки', 8),
    (7, 'Кладовщик', '', 7);

INSERT INTO adm_role.roles (id, s_name, s_caption, d_begin, d_end, b_active) VALUES
    (1, 'worker', 'Рабочий', DATE '2020-01-01', NULL, true),
    (2, 'master', 'Мастер', DATE '2020-01-01', NULL, true),
    (3, 'accountant', 'Учетчик', DATE '2020-01-01', NULL, true),
    (4, 'storekeeper', 'Кладовщик', DATE '2020-01-01', NULL, true),
    (5, 'archive', 'Архив', DATE '2015-01-01', DATE '2019-12-31', false);

-- Persons 1-10 work shift 1, 11-20 shift 2, 21-27 shift 3; 28-30 are the office; 31 has left.
INSERT INTO cmn_contractor.person (id, s_second_name, s_first_name, s_third_name, id_staffpos,
                                   id_department, id_role, b_employee)
VALUES
    (1, 'Иванов', 'Иван', 'Петрович', 1, 2, 1, true),
    (2, 'Петров', 'Сергей', 'Николаевич', 1, 2, 1, true),
    (3, 'Сидоров', 'Алексей', 'Викторович', 2, 2, 1, true),
    (4, 'Кузнецов', 'Дмитрий', 'Олегович', 3, 3, 1, true),
    (5, 'Смирнов', 'Андрей', 'Васильевич', 4, 4, 1, true),
    (6, 'Попов', 'Михаил', 'Юрьевич', 4, 4, 1, true),
    (7, 'Васильев', 'Николай', 'Геннадьевич', 1, 2, 1, true),
    (8, 'Соколов', 'Павел', 'Андреевич', 2, 2, 1, true),
    (9, 'Михайлов', 'Игорь', 'Степанович', 3, 3, 1, true),
    (10, 'Новиков', 'Владимир', 'Ильич', 4, 4, 1, true),
    (11, 'Федоров', 'Константин', 'Борисович', 1, 2, 1, true),
    (12, 'Морозов', 'Евгений', 'Александрович', 1, 2, 1, true),
    (13, 'Волков', 'Роман', 'Сергеевич', 2, 2, 1, true),
    (14, 'Алексеев', 'Виктор', 'Иванович', 3, 3, 1, true),
    (15, 'Лебедев', 'Артем', 'Дмитриевич', 4, 4, 1, true),
    (16, 'Семенов', 'Юрий', 'Анатольевич', 4, 4, 1, true),
    (17, 'Егоров', 'Максим', 'Валерьевич', 1, 2, 1, true),
    (18, 'Павлов', 'Олег', 'Петрович', 2, 2, 1, true),
    (19, 'Козлов', 'Денис', 'Михайлович', 3, 3, 1, true),
    (20, 'Степанов', 'Григорий', 'Федорович', 4, 4, 1, true),
    (21, 'Николаева', 'Ольга', 'Викторовна', 1, 2, 1, true),
    (22, 'Орлова', 'Татьяна', 'Сергеевна', 1, 2, 1, true),
    (23, 'Андреева', 'Наталья', 'Ивановна', 2, 2, 1, true),
    (24, 'Макарова', 'Елена', 'Петровна', 3, 3, 1, true),
    (25, 'Захарова', 'Ирина', 'Николаевна', 4, 4, 1, true),
    (26, 'Зайцев', 'Антон', 'Владимирович', 4, 4, 1, true),
    (27, 'Соловьев', 'Кирилл', 'Андреевич', 1, 2, 1, true),
    (28, 'Борисов', 'Геннадий', 'Львович', 5, 4, 2, true),
    (29, 'Яковлева', 'Светлана', 'Юрьевна', 6, 8, 3, true),
    (30, 'Григорьева', 'Людмила', 'Алексеевна', 7, 7, 4, true),
    (31, 'Белов', 'Аркадий', 'Семенович', 2, 2, 5, false);
UPDATE cmn_contractor.person
SET s_caption = s_second_name || ' ' || s_first_name || ' ' || s_third_name;

-- ---------------------------------------------------------------------------------------------
-- Catalogue

INSERT INTO cmn_inventory_items.nomenclature (id, s_caption, id_department) VALUES
    (1, 'Стеллажи металлические', 5),
    (2, 'Шкафы металлические', 5),
    (3, 'Заготовки металлические', 6),
    (4, 'Лакокрасочные материалы', 7),
    (5, 'Прокат и метизы', 7);

-- massa: boxes per item (the reports multiply it by the quantity made)
INSERT INTO cmn_inventory_items.inventory_items (id, marka, id_nom, massa, type) VALUES
    (201, 'СТ-1000', 1, 2, 0),
    (202, 'СТ-2000', 1, 3, 0),
    (203, 'ШМ-01', 2, 1, 0),
    (204, 'ШМ-02', 2, 1.5, 0),
    (205, 'Полка П-1000', 3, 0, 1),
    (206, 'Стойка С-2000', 3, 0, 1),
    (207, 'Дверь Д-01', 3, 0, 1);

INSERT INTO cmn_gds_and_srv.gds_and_srv (id, s_caption, b_is_color, s_unit) VALUES
    (1, 'Грунт ГФ-021 серый', true, 'кг'),
    (1015, 'Эмаль RAL 1015 светлая слоновая кость', true, 'кг'),
    (3020, 'Эмаль RAL 3020 красная', true, 'кг'),
    (5005, 'Эмаль RAL 5005 синяя', true, 'кг'),
    (7035, 'Эмаль RAL 7035 светло-серая', true, 'кг'),
    (9016, 'Эмаль RAL 9016 белая', true, 'кг'),
    (201, 'Стеллаж СТ-1000', false, 'шт'),
    (202, 'Стеллаж СТ-2000', false, 'шт'),
    (203, 'Шкаф ШМ-01', false, 'шт'),
    (204, 'Шкаф ШМ-02', false, 'шт'),
    (205, 'Полка П-1000', false, 'шт'),
    (206, 'Стойка С-2000', false, 'шт'),
    (207, 'Дверь Д-01', false, 'шт'),
    (501, 'Лист стальной 1,5 мм', false, 'кг'),
    (502, 'Уголок стальной 40х40', false, 'м'),
    (503, 'Болт М8х20 с гайкой', false, 'шт'),
    (504, 'Профиль гнутый 40х20', false, 'м');

-- Paint per item, kg
INSERT INTO cmn_gds_and_srv.gds_attr (id, f_color_qty) VALUES
    (201, 0.35), (202, 0.5), (203, 0.8), (204, 1.1), (205, 0.08), (206, 0.06), (207, 0.2);

INSERT INTO mnf_operation.operation_type (id, s_caption, s_description) VALUES
    (1, 'Резка', 'Резка листа и профиля на гильотине'),
    (2, 'Гибка', 'Гибка на листогибе'),
    (3, 'Сварка', 'Сварка каркаса'),
    (4, 'Покраска', 'Окраска в камере'),
    (5, 'Сборка', 'Сборка изделия'),
    (6, 'Упаковка', 'Упаковка в коробки'),
    (7, 'Грунтовка', 'Нанесение грунта');

INSERT INTO mnf_proc_tech.proc_tech (id, s_caption, id_inventory_items) VALUES
    (1, 'Стеллаж СТ-1000, окрашенный', 201),
    (2, 'Стеллаж СТ-2000, окрашенный', 202),
    (3, 'Шкаф ШМ-01', 203),
    (4, 'Шкаф ШМ-02', 204),
    (5, 'Полка П-1000 (без окраски)', 205);

-- (id, type, state, price, item, process, position, goods consumed, per unit made)
INSERT INTO mnf_operation.operation (id, id_type, id_state, price, id_inventory_items,
                                     id_proc_tech, orderby, id_gds_from, f_qty_from)
VALUES
    (1, 1, 1, 4.5000, 205, 1, 1, 501, 2.2),
    (2, 2, 1, 3.2000, 205, 1, 2, NULL, NULL),
    (3, 1, 1, 3.8000, 206, 1, 3, 504, 2.0),
    (4, 4, 0, 18.0000, 201, 1, 4, NULL, NULL),
    (5, 5, 0, 12.0000, 201, 1, 5, 503, 16),
    (6, 6, 0, 2.5000, 201, 1, 6, NULL, NULL),
    (7, 1, 1, 4.1000, 206, 2, 1, 504, 2.6),
    (8, 3, 1, 9.5000, 206, 2, 2, NULL, NULL),
    (9, 4, 0, 24.0000, 202, 2, 3, NULL, NULL),
    (10, 5, 0, 15.5000, 202, 2, 4, 503, 24),
    (11, 6, 0, 3.0000, 202, 2, 5, NULL, NULL),
    (12, 1, 1, 6.0000, 207, 3, 1, 501, 5.5),
    (13, 2, 1, 4.4000, 207, 3, 2, NULL, NULL),
    (14, 3, 0, 21.0000, 203, 3, 3, 502, 4.8),
    (15, 4, 0, 35.0000, 203, 3, 4, NULL, NULL),
    (16, 5, 0, 17.0000, 203, 3, 5, 503, 12),
    (17, 6, 0, 3.5000, 203, 3, 6, NULL, NULL),
    (18, 1, 1, 6.5000, 207, 4, 1, 501, 6.5),
    (19, 3, 0, 23.0000, 204, 4, 2, 502, 5.6),
    (20, 7, 0, 8.0000, 204, 4, 3, NULL, NULL),
    (21, 4, 0, 38.0000, 204, 4, 4, NULL, NULL),
    (22, 5, 0, 19.5000, 204, 4, 5, 503, 14),
    (23, 6, 0, 3.5000, 204, 4, 6, NULL, NULL),
    (24, 1, 1, 4.5000, 205, 5, 1, 501, 2.2),
    (25, 2, 1, 3.2000, 205, 5, 2, NULL, NULL);

INSERT INTO accounts_dep.norm (o_id, norma, prize, price) VALUES
    (1, 120, 10, 4.5), (1, 150, 15, 4.75),
    (4, 40, 10, 18), (5, 45, 10, 12),
    (9, 35, 10, 24), (15, 20, 12, 35),
    (21, 18, 12, 38), (22, 25, 10, 19.5);

-- ---------------------------------------------------------------------------------------------
-- Requisitions, batches and reserves

INSERT INTO mnf_doc.doc (id, s_number, d_date, b_closed, s_description) VALUES
    (1, 'ЗВП-101', DATE '2026-11-02', false, 'ООО «Складские системы»'),
    (2, 'ЗВП-102', DATE '2026-11-09', false, 'АО «Торговый дом Север»'),
    (3, 'ЗВП-103', DATE '2026-11-23', false, 'ИП Малахов'),
    (4, 'ЗВП-098', DATE '2026-10-20', true, 'Выполнена'),
    (5, 'ЗВП-104', DATE '2026-12-01', false, 'ООО «Архив-Комплект»');

INSERT INTO mnf_doc.requisition_item (id, id_doc, id_gds, id_gds_color, f_qty, s_gds_mc) VALUES
    (1, 1, 201, 7035, 400, 'Стеллаж серый 1000'),
    (2, 1, 202, 5005, 150, 'Стеллаж синий 2000'),
    (3, 1, 203, 9016, 100, 'Шкаф белый'),
    (4, 2, 204, 3020, 80, 'Шкаф красный'),
    (5, 2, 201, 9016, 200, 'Стеллаж белый 1000'),
    (6, 3, 202, 7035, 120, 'Стеллаж серый 2000'),
    (7, 3, 203, 7035, 40, 'Шкаф серый'),
    (8, 4, 201, 7035, 100, 'Стеллаж серый 1000'),
    (9, 5, 204, 9016, 50, 'Шкаф белый'),
    (10, 5, 201, 1, 100, 'Стеллаж грунтованный'),
    (11, 5, 205, 0, 300, 'Полки запасные');

INSERT INTO cmn_gds_and_srv.consignment (id, id_gds, s_caption, d_date, id_stock, f_qty_in)
VALUES
    (1, 501, 'П-2610-14', DATE '2026-10-28', 7, 9000),
    (2, 501, 'П-2611-07', DATE '2026-11-16', 7, 8000),
    (3, 502, 'П-2610-20', DATE '2026-10-30', 7, 2500),
    (4, 503, 'П-2611-02', DATE '2026-11-02', 7, 20000),
    (5, 504, 'П-2611-03', DATE '2026-11-03', 7, 6000),
    (6, 1, 'П-2611-05', DATE '2026-11-05', 7, 250),
    (7, 7035, 'П-2610-31', DATE '2026-10-31', 7, 400),
    (8, 5005, 'П-2611-04', DATE '2026-11-04', 7, 150),
    (9, 9016, 'П-2611-09', DATE '2026-11-09', 7, 300),
    (10, 3020, 'П-2611-10', DATE '2026-11-10', 7, 250),
    (11, 1015, 'П-2611-12', DATE '2026-11-12', 7, 50),
    (12, 205, 'З-2611-01', DATE '2026-11-20', 6, 200),
    (13, 504, 'П-2611-18', DATE '2026-11-18', 7, 5000);

INSERT INTO cmn_gds_and_srv.stock_reserve (id_consignment, id_doc, f_qty) VALUES
    (7, 1, 150), (8, 1, 80), (9, 1, 50),
    (10, 2, 90), (9, 2, 70),
    (7, 3, 60),
    (9, 5, 60), (6, 5, 40);

-- ---------------------------------------------------------------------------------------------
-- The records below are the office's history as it was entered, accepted records with their
-- material rows among them; the rules of rules.sql guard what is written from now on.
ALTER TABLE accounts_dep.smena DISABLE TRIGGER smena_rules;
ALTER TABLE accounts_dep.smena_gds_use DISABLE TRIGGER smena_gds_use_rules;
-- The demo is a database whose history began after these records (as after an upgrade).
ALTER TABLE accounts_dep.smena DISABLE TRIGGER smena_history;
ALTER TABLE accounts_dep.smena_gds_use DISABLE TRIGGER smena_gds_use_history;
ALTER TABLE accounts_dep.person_temp DISABLE TRIGGER person_temp_history;

-- Shift records: every weekday of November 2026 in shifts 1 to 3, overtime on Saturdays, and
-- 10.12.2026 in shifts 1 and 2. Each worker keeps his place in the process (slot), takes the
-- requisition lines in turn and works 8 hours, every fifth worker on two operations of 4 hours.
DO $records$
DECLARE
    day date;
    sh integer;
    k integer;
    first_worker integer;
    last_worker integer;
    lines numeric[];
    line record;
    ops integer[];
    op record;
    parts integer;
    part integer;
    qty numeric;
    n_day integer;
BEGIN
    FOR day IN SELECT generate_series(DATE '2026-11-02', DATE '2026-11-30', interval '1 day')::date
               UNION ALL SELECT DATE '2026-12-10'
               ORDER BY 1
    LOOP
        n_day := extract(day FROM day)::integer;
        -- the lines that could be worked on that day
        SELECT array_agg(ri.id ORDER BY ri.id) INTO lines
        FROM mnf_doc.requisition_item ri
        JOIN mnf_doc.doc d ON d.id = ri.id_doc
        WHERE d.d_date <= day
          AND (NOT d.b_closed OR day <= DATE '2026-11-06')
          AND ri.id_gds BETWEEN 201 AND 204;

        FOR sh IN 1 .. 4 LOOP
            IF extract(isodow FROM day) >= 6 THEN
                -- Saturday overtime of four workers of shift 1; no work on Sundays
                CONTINUE WHEN sh <> 4 OR extract(isodow FROM day) = 7;
                first_worker := 1; last_worker := 4;
            ELSIF sh = 4 THEN
                CONTINUE;
            ELSIF day = DATE '2026-12-10' AND sh = 3 THEN
                CONTINUE;
            ELSE
                first_worker := CASE sh WHEN 1 THEN 1 WHEN 2 THEN 11 ELSE 21 END;
                last_worker := CASE sh WHEN 1 THEN 10 WHEN 2 THEN 20 ELSE 27 END;
            END IF;

            FOR k IN first_worker .. last_worker LOOP
                SELECT ri.*, pt.id AS id_pt INTO line
                FROM mnf_doc.requisition_item ri
                JOIN mnf_proc_tech.proc_tech pt ON pt.id_inventory_items = ri.id_gds
                WHERE ri.id = lines[1 + (k + n_day) % array_length(lines, 1)];
                SELECT array_agg(o.id ORDER BY o.orderby) INTO ops
                FROM mnf_operation.operation o WHERE o.id_proc_tech = line.id_pt;

                parts := CASE WHEN k % 5 = 0 OR sh = 4 THEN 2 ELSE 1 END;
                FOR part IN 1 .. parts LOOP
                    SELECT o.*, NOT EXISTS (SELECT 1 FROM mnf_operation.operation o2
                                            WHERE o2.id_proc_tech = o.id_proc_tech
                                              AND o2.orderby > o.orderby) AS is_last
                    INTO op
                    FROM mnf_operation.operation o
                    WHERE o.id = ops[1 + (k + part - 1) % array_length(ops, 1)];
                    qty := CASE WHEN op.is_last THEN 2 + (k + n_day) % 4
                                WHEN op.id_state = 0 THEN 3 + (k * n_day) % 6
                                ELSE 15 + (k * 7 + n_day) % 30 END;
                    IF sh = 4 THEN
                        qty := ceil(qty / 2);
                    END IF;
                    INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo,
                                                    brak, time, prize, ok, vvod, color, id_doc,
                                                    id_doc_item, f_gds_qty_use, id_gds_use,
                                                    id_cons_use)
                    VALUES (day, sh, k, op.id_inventory_items, op.id, op.price, qty,
                            CASE WHEN (k + n_day) % 9 = 0 THEN 1 ELSE 0 END,
                            CASE WHEN sh = 4 THEN 2 ELSE 8 / parts END,
                            CASE WHEN k % 7 = 0 THEN 10 ELSE 0 END,
                            CASE WHEN day = DATE '2026-12-10' THEN
                                     CASE WHEN k % 4 = 1 THEN 'ok' ELSE 'no' END
                                 WHEN (k + n_day) % 6 = 0 THEN 'no'
                                 ELSE 'ok' END,
                            day + time '17:30' + make_interval(mins => k),
                            line.id_gds_color, line.id_doc, line.id, 0, line.id_gds, 0);
                END LOOP;
            END LOOP;
        END LOOP;
    END LOOP;
END
$records$;

-- Material use: every accepted record has its rows (acceptance asks for them), and so does
-- every third record not yet accepted. A painting operation uses the record's paint, an
-- operation with its own material that material, any other the first goods the record may use;
-- the quantity is the norm times the quantity made.
-- The demo's rows name the batch they were taken from (the earliest one of the goods), so the
-- editor's material list shows it; rows the program adds leave it empty. Named in the insert
-- itself: an update afterwards would leave free room in the table's pages that later rows fill
-- out of their order.
INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use, id_cons_use)
SELECT s.id, g.id,
       round((coalesce(CASE WHEN g.b_is_color THEN a.f_color_qty
                            ELSE (SELECT o2.f_qty_from FROM mnf_operation.operation o2
                                  WHERE o2.id_gds_to = s.i_id AND o2.id_gds_from = g.id
                                  LIMIT 1) END, 0.05) * s.kol_vo)::numeric, 3)::double precision,
       (SELECT c.id FROM cmn_gds_and_srv.consignment c
        WHERE c.id_gds = g.id ORDER BY c.d_date, c.id LIMIT 1)
FROM accounts_dep.smena s
JOIN mnf_operation.operation o ON o.id = s.o_id
LEFT JOIN cmn_gds_and_srv.gds_attr a ON a.id = s.i_id
CROSS JOIN LATERAL (
    SELECT f.id, f.b_is_color
    FROM accounts_dep.get_gds_from_by_smena(s.id) f
    ORDER BY CASE WHEN o.id_type IN (4, 7) AND f.b_is_color THEN 0
                  WHEN f.id = o.id_gds_from THEN 1
                  WHEN NOT f.b_is_color THEN 2
                  ELSE 3 END, f.id
    LIMIT 1) g
WHERE s.ok = 'ok' OR s.id % 3 = 0;

-- A brigade entered for a painting record of today and not yet divided.
INSERT INTO accounts_dep.person_temp (id_smena, id_person)
SELECT s.id, p.id
FROM (SELECT id FROM accounts_dep.smena
      WHERE data = DATE '2026-12-10' AND smena = 1 AND o_id IN (4, 9, 15, 21) AND ok = 'no'
      ORDER BY id LIMIT 1) s
CROSS JOIN (VALUES (9), (14)) AS p(id);

ALTER TABLE accounts_dep.smena ENABLE TRIGGER smena_rules;
ALTER TABLE accounts_dep.smena_gds_use ENABLE TRIGGER smena_gds_use_rules;
ALTER TABLE accounts_dep.smena ENABLE TRIGGER smena_history;
ALTER TABLE accounts_dep.smena_gds_use ENABLE TRIGGER smena_gds_use_history;
ALTER TABLE accounts_dep.person_temp ENABLE TRIGGER person_temp_history;

-- ---------------------------------------------------------------------------------------------
-- Hours rows: what the hours posting makes of the records, one row per worker, shift and month,
-- each day column the sum of that day's hours.
DO $hours$
DECLARE
    sums text;
    cols text;
BEGIN
    SELECT string_agg(format('coalesce(sum(time) FILTER (WHERE extract(day FROM data) = %s), 0)',
                             i), ', ' ORDER BY i),
           string_agg('d' || i, ', ' ORDER BY i)
    INTO sums, cols
    FROM generate_series(1, 31) i;
    EXECUTE format('INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, %s) '
                   'SELECT w_id, smena, extract(month FROM data)::integer, '
                   '       extract(year FROM data)::integer, %s '
                   'FROM accounts_dep.smena '
                   'GROUP BY w_id, smena, extract(month FROM data), extract(year FROM data)',
                   cols, sums);
END
$hours$;

-- ---------------------------------------------------------------------------------------------
-- Keys given above: let the next insert continue after them.
DO $sequences$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['cmn_department.department', 'hrms_staffpos.staffpos',
                             'adm_role.roles', 'cmn_contractor.person',
                             'cmn_inventory_items.nomenclature',
                             'cmn_inventory_items.inventory_items',
                             'mnf_operation.operation_type', 'mnf_proc_tech.proc_tech',
                             'mnf_operation.operation', 'mnf_doc.doc', 'mnf_doc.requisition_item',
                             'cmn_gds_and_srv.consignment']
    LOOP
        EXECUTE format('SELECT setval(pg_get_serial_sequence(%L, ''id''), '
                       '(SELECT max(id)::bigint FROM %s))', t, t);
    END LOOP;
END
$sequences$;
