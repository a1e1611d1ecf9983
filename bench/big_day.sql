-- A large day of the plant for the benchmarks, run by psql with three variables:
--   day      the date of the records (no demo record falls on it)
--   persons  employees added, with Russian names and the position, department and role of a
--            demo worker so the personnel list shows them
--   records  shift-1 records of the day with the plant's workers, operations, colours and
--            requisitions, a third "ok"
-- bench/run.sh: 10,000 and 10,000; bench/run_scale.sh: the demo's size and ten times it.

-- Employees with Russian names: surname x first name x patronymic, all distinct up to 40,000
-- (the second 20,000 take their surnames from a second list).
INSERT INTO cmn_contractor.person (s_second_name, s_first_name, s_third_name, id_staffpos,
                                   id_department, id_role, b_employee)
SELECT sur[1 + i % 40 + 40 * ((i / 20000) % 2)], fst[1 + (i / 40) % 25], pat[1 + (i / 1000) % 20],
       p.id_staffpos, p.id_department, p.id_role, true
FROM generate_series(0, :persons - 1) i
CROSS JOIN LATERAL (SELECT * FROM cmn_contractor.person WHERE id = 1 + i % 30) p,
     (SELECT ARRAY['Иванов', 'Петров', 'Сидоров', 'Кузнецов', 'Смирнов', 'Попов', 'Васильев',
                   'Соколов', 'Михайлов', 'Новиков', 'Федоров', 'Морозов', 'Волков',
                   'Алексеев', 'Лебедев', 'Семенов', 'Егоров', 'Павлов', 'Козлов', 'Степанов',
                   'Николаев', 'Орлов', 'Андреев', 'Макаров', 'Захаров', 'Зайцев', 'Соловьев',
                   'Борисов', 'Яковлев', 'Григорьев', 'Романов', 'Воробьев', 'Сергеев',
                   'Кузьмин', 'Фролов', 'Александров', 'Дмитриев', 'Королев', 'Гусев',
                   'Киселев',
                   'Иванников', 'Ильин', 'Максимов', 'Поляков', 'Сорокин', 'Виноградов',
                   'Ковалев', 'Белов', 'Медведев', 'Антонов', 'Тарасов', 'Жуков', 'Баранов',
                   'Филиппов', 'Комаров', 'Давыдов', 'Беляев', 'Герасимов', 'Богданов',
                   'Осипов', 'Сидоренко', 'Матвеев', 'Титов', 'Марков', 'Миронов', 'Крылов',
                   'Куликов', 'Карпов', 'Власов', 'Мельников', 'Денисов', 'Гаврилов',
                   'Тихонов', 'Казаков', 'Афанасьев', 'Данилов', 'Савельев', 'Тимофеев',
                   'Фомин', 'Чернов'] AS sur,
             ARRAY['Иван', 'Сергей', 'Алексей', 'Дмитрий', 'Андрей', 'Михаил', 'Николай',
                   'Павел', 'Игорь', 'Владимир', 'Константин', 'Евгений', 'Роман', 'Виктор',
                   'Артем', 'Юрий', 'Максим', 'Олег', 'Денис', 'Григорий', 'Антон', 'Кирилл',
                   'Геннадий', 'Аркадий', 'Илья'] AS fst,
             ARRAY['Петрович', 'Николаевич', 'Викторович', 'Олегович', 'Васильевич',
                   'Юрьевич', 'Геннадьевич', 'Андреевич', 'Степанович', 'Ильич', 'Борисович',
                   'Александрович', 'Сергеевич', 'Иванович', 'Дмитриевич', 'Анатольевич',
                   'Валерьевич', 'Михайлович', 'Федорович', 'Львович'] AS pat) names;
UPDATE cmn_contractor.person
SET s_caption = s_second_name || ' ' || s_first_name || ' ' || s_third_name
WHERE s_caption IS NULL;

-- The shift records: workers, operations, colours and requisitions of the plant, spread by a
-- multiplicative step so neighbouring rows differ.
WITH w AS (SELECT array_agg(id ORDER BY id) a FROM cmn_contractor.person WHERE b_employee),
     o AS (SELECT array_agg(id ORDER BY id) a FROM mnf_operation.operation),
     c AS (SELECT array_agg(id ORDER BY id) a FROM cmn_gds_and_srv.gds_and_srv WHERE b_is_color),
     d AS (SELECT array_agg(id ORDER BY id) a FROM mnf_doc.doc)
INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, prize,
                                ok, vvod, color, id_doc, id_doc_item, f_gds_qty_use,
                                id_gds_use, id_cons_use)
SELECT DATE :'day', 1, w.a[1 + (i * 7919) % array_length(w.a, 1)], op.id_inventory_items, op.id,
       op.price, 1 + (i * 37) % 60 + ((i % 4) * 0.25), (i * 13) % 5, 4 + i % 5, (i % 3) * 5,
       CASE WHEN i % 3 = 0 THEN 'ok' ELSE 'no' END,
       DATE :'day' + TIME '07:00' - make_interval(days => i % 20, mins => (i * 17) % 900),
       c.a[1 + i % array_length(c.a, 1)], d.a[1 + i % array_length(d.a, 1)], 0, 0, 0, 0
FROM generate_series(0, :records - 1) i, w, o, c, d
CROSS JOIN LATERAL (SELECT * FROM mnf_operation.operation
                    WHERE id = o.a[1 + (i * 31) % array_length(o.a, 1)]) op;
ANALYZE;
