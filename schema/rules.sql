-- The office's rules, kept by the database whoever writes: the program, another client, a
-- second clerk at the same moment. Loaded after install.sql, and again by upgrade.sql on a
-- database of an earlier version: every statement here replaces what it defines, so running
-- it twice changes nothing.
--
--   an accepted record is frozen       trigger smena_rules, trigger smena_gds_use_rules,
--                                      divide_between_person
--   only acceptance accepts            smena__accept_row_hwo (runs as the owner), may_accept
--   a requisition line is never made   check_line_need, called by smena_rules under a row lock
--   beyond its need                    of the line
--   acceptance needs its materials     smena__accept_row_hwo, under a row lock of the record
--                                      that smena_gds_use_rules waits for
--
-- The refusals are the program's own texts: the program shows the server's message as it is.

SET client_min_messages = warning;

-- Whether the current user may mark a record accepted: the owner of the records (acceptance
-- runs with its rights) and superusers, who are members of every role.
CREATE OR REPLACE FUNCTION accounts_dep.may_accept() RETURNS boolean
    LANGUAGE sql STABLE
    SET search_path = pg_catalog
    AS $$
    SELECT pg_has_role(current_user, c.relowner, 'MEMBER')
    FROM pg_class c
    WHERE c.oid = 'accounts_dep.smena'::regclass
$$;

-- Refuses a quantity above what the requisition line still needs apart from the record itself.
-- The line's row stays locked until the saving transaction ends, so two clerks saving on one
-- line count one after the other. Made is counted as mnf_doc.v_requisition_item_made does:
-- good pieces of the records at the last operation of a process. Runs as the owner: locking
-- the line needs a right on it that the clerks do not have.
CREATE OR REPLACE FUNCTION accounts_dep.check_line_need(p_id_smena integer, p_id_doc_item numeric,
                                                        p_kol_vo numeric) RETURNS void
    LANGUAGE plpgsql SECURITY DEFINER
    SET search_path = pg_catalog, public
    AS $$
DECLARE
    ordered numeric;
    made numeric;
BEGIN
    SELECT ri.f_qty INTO ordered
    FROM mnf_doc.requisition_item ri
    WHERE ri.id = p_id_doc_item
    FOR UPDATE;
    IF NOT FOUND THEN
        RETURN;
    END IF;
    SELECT coalesce(sum(s.kol_vo - s.brak), 0) INTO made
    FROM accounts_dep.smena s
    JOIN mnf_operation.operation o ON o.id = s.o_id
    WHERE s.id_doc_item = p_id_doc_item
      AND s.id <> p_id_smena
      AND NOT EXISTS (SELECT 1 FROM mnf_operation.operation o2
                      WHERE o2.id_proc_tech = o.id_proc_tech AND o2.orderby > o.orderby);
    IF coalesce(p_kol_vo, 0) > ordered - made THEN
        RAISE EXCEPTION 'Количество изделий не может быть больше требуемого!';
    END IF;
END
$$;

-- Shift records: an accepted one is neither changed nor deleted; only acceptance makes one
-- accepted; a record on a requisition line stays within what the line needs. A change that
-- cannot make the line's count grow (same line and operation, no more pieces) is not counted
-- again, so a line overdone before these rules keeps its records editable.
CREATE OR REPLACE FUNCTION accounts_dep.smena_rules() RETURNS trigger
    LANGUAGE plpgsql
    SET search_path = pg_catalog, public
    AS $$
BEGIN
    IF TG_OP = 'DELETE' THEN
        IF OLD.ok = 'ok' THEN
            RAISE EXCEPTION 'Запись журнала № % уже принята: удалить её нельзя', OLD.id;
        END IF;
        RETURN OLD;
    END IF;
    IF TG_OP = 'UPDATE' AND OLD.ok = 'ok' THEN
        IF NEW IS DISTINCT FROM OLD THEN
            RAISE EXCEPTION 'Запись журнала № % уже принята: изменить её нельзя', OLD.id;
        END IF;
        RETURN NEW;
    END IF;
    IF NEW.ok = 'ok' AND NOT accounts_dep.may_accept() THEN
        RAISE EXCEPTION 'Запись журнала № % принимает только приемка (команда «Принять»)',
            NEW.id;
    END IF;
    IF coalesce(NEW.id_doc_item, 0) <> 0
       AND (TG_OP = 'INSERT'
            OR coalesce(NEW.kol_vo, 0) > coalesce(OLD.kol_vo, 0)
            OR NEW.id_doc_item IS DISTINCT FROM OLD.id_doc_item
            OR NEW.o_id IS DISTINCT FROM OLD.o_id) THEN
        PERFORM accounts_dep.check_line_need(NEW.id, NEW.id_doc_item, NEW.kol_vo);
    END IF;
    RETURN NEW;
END
$$;
DROP TRIGGER IF EXISTS smena_rules ON accounts_dep.smena;
CREATE TRIGGER smena_rules BEFORE INSERT OR UPDATE OR DELETE ON accounts_dep.smena
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_rules();

-- Material rows of an accepted record are what it was accepted with. The record's row is
-- locked (shared) until the change commits, so acceptance, which locks it exclusively, either
-- waits for the change and counts it, or comes first and the change is refused. Runs as the
-- owner: the lock needs a right to change records that not every writer of material rows has.
-- A record being deleted is gone already when its rows go with it.
CREATE OR REPLACE FUNCTION accounts_dep.smena_gds_use_rules() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER
    SET search_path = pg_catalog, public
    AS $$
DECLARE
    rec_id integer;
    rec_ok text;
BEGIN
    FOREACH rec_id IN ARRAY CASE TG_OP WHEN 'INSERT' THEN ARRAY[NEW.id_smena]
                                       WHEN 'DELETE' THEN ARRAY[OLD.id_smena]
                                       ELSE ARRAY[OLD.id_smena, NEW.id_smena] END
    LOOP
        SELECT s.ok INTO rec_ok FROM accounts_dep.smena s WHERE s.id = rec_id FOR SHARE;
        IF rec_ok = 'ok' THEN
            RAISE EXCEPTION 'Запись журнала № % уже принята: изменить её расход ТМЦ нельзя',
                rec_id;
        END IF;
    END LOOP;
    RETURN CASE TG_OP WHEN 'DELETE' THEN OLD ELSE NEW END;
END
$$;
DROP TRIGGER IF EXISTS smena_gds_use_rules ON accounts_dep.smena_gds_use;
CREATE TRIGGER smena_gds_use_rules BEFORE INSERT OR UPDATE OR DELETE
    ON accounts_dep.smena_gds_use
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_gds_use_rules();

-- Acceptance of one shift record: the record is locked first, then its material rows are
-- counted, so none can come or go between the count and the acceptance. Runs with its owner's
-- rights: the acceptance logins change no table themselves. An accepted record stays as it is.
CREATE OR REPLACE FUNCTION accounts_dep.smena__accept_row_hwo(p_id bigint) RETURNS void
    LANGUAGE plpgsql SECURITY DEFINER
    SET search_path = pg_catalog, public
    AS $$
DECLARE
    rec_ok text;
BEGIN
    SELECT s.ok INTO rec_ok FROM accounts_dep.smena s WHERE s.id = p_id FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'Запись журнала № % не найдена (возможно, она удалена)', p_id;
    END IF;
    IF rec_ok = 'ok' THEN
        RETURN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM accounts_dep.smena_gds_use u WHERE u.id_smena = p_id) THEN
        RAISE EXCEPTION 'Не заведен расход ТМЦ!';
    END IF;
    UPDATE accounts_dep.smena SET ok = 'ok' WHERE id = p_id;
END
$$;

-- Division of a shift record's output among its brigade (rows of person_temp).
-- Rule: the members are the record's own worker and each distinct brigade person besides him.
-- With n members, every brigade member gets a share of kol_vo truncated to 6 decimals and
-- brak divided as a whole number (floor); the record's own worker keeps the rest, so the sums
-- of kol_vo and brak over the records stay exactly what was entered. Hours are not divided:
-- each member worked the record's hours himself. Each member gets a new shift record, a copy of
-- the record (date, shift, item, operation, price, colour, requisition line, "no") with his
-- share, and his hours row for that day is brought up to date as the hours posting does.
-- Material rows stay with the original record. The brigade rows are removed afterwards, so a
-- second call divides nothing.
CREATE OR REPLACE FUNCTION accounts_dep.divide_between_person(p_id_smena bigint) RETURNS void
    LANGUAGE plpgsql
    SET search_path = pg_catalog, public
    AS $$
DECLARE
    rec accounts_dep.smena%ROWTYPE;
    members integer[];
    n integer;
    share_qty numeric(28, 6);
    share_brak integer;
    member integer;
    day_col text;
    hours integer;
    updated bigint;
BEGIN
    SELECT * INTO rec FROM accounts_dep.smena WHERE id = p_id_smena FOR UPDATE;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'Запись журнала № % не найдена', p_id_smena;
    END IF;
    -- What was accepted is paid as it was accepted: no share of it goes elsewhere.
    IF rec.ok = 'ok' THEN
        RAISE EXCEPTION 'Запись журнала № % уже принята: разделить её нельзя', p_id_smena;
    END IF;
    -- The history tells the division's changes from a clerk's (history.sql).
    PERFORM set_config('tabel.dividing', p_id_smena::text, true);

    SELECT array_agg(DISTINCT m.w_id) INTO members
    FROM (SELECT CASE WHEN p.s_code ~ '^[0-9]+$' THEN p.s_code::integer END AS w_id
          FROM accounts_dep.person_temp pt
          JOIN cmn_contractor.person p ON p.id = pt.id_person
          WHERE pt.id_smena = p_id_smena) m
    WHERE m.w_id IS NOT NULL AND m.w_id IS DISTINCT FROM rec.w_id;

    n := coalesce(array_length(members, 1), 0) + 1;
    IF n > 1 THEN
        share_qty := trunc(coalesce(rec.kol_vo, 0) / n, 6);
        share_brak := coalesce(rec.brak, 0) / n;

        UPDATE accounts_dep.smena
        SET kol_vo = coalesce(rec.kol_vo, 0) - share_qty * (n - 1),
            brak = coalesce(rec.brak, 0) - share_brak * (n - 1)
        WHERE id = p_id_smena;

        day_col := 'd' || extract(day FROM rec.data)::integer;
        FOREACH member IN ARRAY members LOOP
            INSERT INTO accounts_dep.smena (w_id, i_id, o_id, cena, kol_vo, brak, data, smena,
                                            color, time, vvod, ok, prize, id_doc, id_doc_item,
                                            f_gds_qty_use, id_gds_use, id_cons_use)
            VALUES (member, rec.i_id, rec.o_id, rec.cena, share_qty, share_brak, rec.data,
                    rec.smena, rec.color, rec.time, now(), 'no', coalesce(rec.prize, 0),
                    rec.id_doc, rec.id_doc_item, 0, rec.id_gds_use, 0);

            -- The same locks as the program's hours posting: the month shared, then the
            -- (worker, shift number, month, year) row exclusively.
            PERFORM pg_advisory_xact_lock_shared(1213481282,
                (extract(year FROM rec.data)::integer * 12
                 + extract(month FROM rec.data)::integer - 1));
            PERFORM pg_advisory_xact_lock(
                (member::bigint << 32)
                | ((extract(year FROM rec.data)::bigint * 12
                    + extract(month FROM rec.data)::bigint - 1) * 16 + (rec.smena::bigint & 15)));
            SELECT coalesce(sum(s.time), 0) INTO hours
            FROM accounts_dep.smena s
            WHERE s.w_id = member AND s.smena = rec.smena AND s.data = rec.data;
            EXECUTE format('UPDATE accounts_dep.h_tabel SET %I = $1 WHERE w_id = $2 AND smena = $3'
                           ' AND month = $4 AND year = $5', day_col)
                USING hours, member, rec.smena::integer,
                      extract(month FROM rec.data)::integer, extract(year FROM rec.data)::integer;
            -- EXECUTE leaves FOUND as it was: the row count tells whether a row was there.
            GET DIAGNOSTICS updated = ROW_COUNT;
            IF updated = 0 THEN
                EXECUTE format('INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, %I)'
                               ' VALUES ($1, $2, $3, $4, $5)', day_col)
                    USING member, rec.smena::integer, extract(month FROM rec.data)::integer,
                          extract(year FROM rec.data)::integer, hours;
            END IF;
        END LOOP;
    END IF;

    DELETE FROM accounts_dep.person_temp WHERE id_smena = p_id_smena;
    PERFORM set_config('tabel.dividing', '', true);
END
$$;

