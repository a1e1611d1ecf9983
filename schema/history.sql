-- The history of shift records: who changed a record, when, and what it held before. Kept by
-- triggers, so the program, another client and the server functions (acceptance, division) are
-- all recorded. Loaded after rules.sql, and again by upgrade.sql on a database of an earlier
-- version: every statement here creates only what is missing or replaces what it defines, so
-- running it twice changes nothing and keeps the history.
--
--   accounts_dep.smena_history   one row per change of a record, of one of its material rows
--                                or of one of its brigade rows, keyed by the record's number
--   accounts_dep.history_since   when the history began in this database (its install or its
--                                upgrade): a record without an insert row is older than that
--
-- Written by its triggers alone: their functions run as the owner (SECURITY DEFINER) and no
-- login has a right to write the table, so nobody can add a row the triggers did not make
-- (an insert right would let any clerk write rows in another's name). session_user is the
-- login that connected, also inside acceptance, which runs as the owner. Nobody changes or
-- deletes a row, the owner included: a trigger refuses it.

SET client_min_messages = warning;

CREATE TABLE IF NOT EXISTS accounts_dep.smena_history (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    -- the record whose history it is; no reference, so a deleted record's history stays
    id_smena integer NOT NULL,
    d_when timestamp NOT NULL DEFAULT localtimestamp,
    s_login name NOT NULL DEFAULT session_user,
    -- 'smena' the record itself, 'gds_use' a material row, 'brigade' a brigade row
    s_what varchar(10) NOT NULL,
    -- 'insert', 'update', 'delete', 'accept' (acceptance), 'divide' (division among a brigade)
    s_kind varchar(10) NOT NULL,
    -- the material or brigade row; of a record made by a division, the record divided
    id_row bigint,
    -- the values before and after: all of them for an insert or a delete, only those that
    -- changed for a change
    j_old jsonb,
    j_new jsonb
);
CREATE INDEX IF NOT EXISTS smena_history_smena ON accounts_dep.smena_history (id_smena, id);
-- The records a division made, found from the record divided.
CREATE INDEX IF NOT EXISTS smena_history_divided ON accounts_dep.smena_history (id_row)
    WHERE s_what = 'smena' AND s_kind = 'divide';

CREATE TABLE IF NOT EXISTS accounts_dep.history_since (
    d_since timestamp NOT NULL
);
INSERT INTO accounts_dep.history_since (d_since)
SELECT localtimestamp(0)
WHERE NOT EXISTS (SELECT 1 FROM accounts_dep.history_since);

-- The values of two versions of a row that differ: (before, after), or nulls when none does.
CREATE OR REPLACE FUNCTION accounts_dep.history_changes(p_old jsonb, p_new jsonb,
                                                        OUT j_old jsonb, OUT j_new jsonb)
    LANGUAGE sql IMMUTABLE
    SET search_path = pg_catalog
    AS $$
    SELECT jsonb_object_agg(o.key, o.value), jsonb_object_agg(o.key, n.value)
    FROM jsonb_each(p_old) o
    JOIN jsonb_each(p_new) n ON n.key = o.key
    WHERE o.value <> n.value
$$;

-- The record being divided, set by divide_between_person for its own statements, so that the
-- changes it makes are told apart from a clerk's.
CREATE OR REPLACE FUNCTION accounts_dep.history_divided() RETURNS integer
    LANGUAGE sql STABLE
    SET search_path = pg_catalog
    AS $$ SELECT nullif(current_setting('tabel.dividing', true), '')::integer $$;

-- Shift records. An update that changes nothing leaves no row.
CREATE OR REPLACE FUNCTION accounts_dep.smena_history_write() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER
    SET search_path = pg_catalog, public
    AS $$
DECLARE
    divided integer := accounts_dep.history_divided();
    was jsonb;
    becomes jsonb;
BEGIN
    IF TG_OP = 'INSERT' THEN
        INSERT INTO accounts_dep.smena_history (id_smena, s_what, s_kind, id_row, j_new)
        VALUES (NEW.id, 'smena', CASE WHEN divided IS NULL THEN 'insert' ELSE 'divide' END,
                divided, to_jsonb(NEW) - 'id');
    ELSIF TG_OP = 'DELETE' THEN
        INSERT INTO accounts_dep.smena_history (id_smena, s_what, s_kind, j_old)
        VALUES (OLD.id, 'smena', 'delete', to_jsonb(OLD) - 'id');
    ELSE
        SELECT c.j_old, c.j_new INTO was, becomes
        FROM accounts_dep.history_changes(to_jsonb(OLD), to_jsonb(NEW)) c;
        IF was IS NOT NULL THEN
            INSERT INTO accounts_dep.smena_history (id_smena, s_what, s_kind, j_old, j_new)
            VALUES (NEW.id, 'smena',
                    CASE WHEN NEW.ok = 'ok' AND OLD.ok IS DISTINCT FROM 'ok' THEN 'accept'
                         WHEN divided = OLD.id THEN 'divide'
                         ELSE 'update' END,
                    was, becomes);
        END IF;
    END IF;
    RETURN NULL;
END
$$;

-- Material rows and brigade rows (TG_ARGV[0]: 'gds_use' or 'brigade'), under their record.
-- A row moved to another record is told under both.
CREATE OR REPLACE FUNCTION accounts_dep.smena_rows_history_write() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER
    SET search_path = pg_catalog, public
    AS $$
DECLARE
    divided integer := accounts_dep.history_divided();
    was jsonb;
    becomes jsonb;
BEGIN
    IF TG_OP = 'INSERT' THEN
        INSERT INTO accounts_dep.smena_history (id_smena, s_what, s_kind, id_row, j_new)
        VALUES (NEW.id_smena, TG_ARGV[0], 'insert', NEW.id, to_jsonb(NEW) - 'id' - 'id_smena');
    ELSIF TG_OP = 'DELETE' THEN
        INSERT INTO accounts_dep.smena_history (id_smena, s_what, s_kind, id_row, j_old)
        VALUES (OLD.id_smena, TG_ARGV[0],
                CASE WHEN divided = OLD.id_smena THEN 'divide' ELSE 'delete' END, OLD.id,
                to_jsonb(OLD) - 'id' - 'id_smena');
    ELSE
        SELECT c.j_old, c.j_new INTO was, becomes
        FROM accounts_dep.history_changes(to_jsonb(OLD) - 'id', to_jsonb(NEW) - 'id') c;
        IF was IS NOT NULL THEN
            INSERT INTO accounts_dep.smena_history (id_smena, s_what, s_kind, id_row, j_old,
                                                    j_new)
            SELECT DISTINCT r, TG_ARGV[0], 'update', NEW.id, was, becomes
            FROM unnest(ARRAY[OLD.id_smena, NEW.id_smena]) r;
        END IF;
    END IF;
    RETURN NULL;
END
$$;

-- History rows stay as the triggers wrote them.
CREATE OR REPLACE FUNCTION accounts_dep.smena_history_refuse() RETURNS trigger
    LANGUAGE plpgsql
    AS $$
BEGIN
    RAISE EXCEPTION 'История записей журнала не изменяется и не удаляется';
END
$$;

DROP TRIGGER IF EXISTS smena_history ON accounts_dep.smena;
CREATE TRIGGER smena_history AFTER INSERT OR UPDATE OR DELETE ON accounts_dep.smena
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_history_write();
DROP TRIGGER IF EXISTS smena_gds_use_history ON accounts_dep.smena_gds_use;
CREATE TRIGGER smena_gds_use_history AFTER INSERT OR UPDATE OR DELETE
    ON accounts_dep.smena_gds_use
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_rows_history_write('gds_use');
DROP TRIGGER IF EXISTS person_temp_history ON accounts_dep.person_temp;
CREATE TRIGGER person_temp_history AFTER INSERT OR UPDATE OR DELETE
    ON accounts_dep.person_temp
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_rows_history_write('brigade');

DROP TRIGGER IF EXISTS smena_history_frozen ON accounts_dep.smena_history;
CREATE TRIGGER smena_history_frozen BEFORE UPDATE OR DELETE ON accounts_dep.smena_history
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_history_refuse();
DROP TRIGGER IF EXISTS smena_history_not_truncated ON accounts_dep.smena_history;
CREATE TRIGGER smena_history_not_truncated BEFORE TRUNCATE ON accounts_dep.smena_history
    FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.smena_history_refuse();
DROP TRIGGER IF EXISTS history_since_frozen ON accounts_dep.history_since;
CREATE TRIGGER history_since_frozen BEFORE UPDATE OR DELETE ON accounts_dep.history_since
    FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_history_refuse();

-- What a key of a record or of one of its rows names (a worker, an item, an operation, goods,
-- a batch, a requisition); null for a plain value.
CREATE OR REPLACE FUNCTION accounts_dep.history_value_name(p_key text, p_value text)
    RETURNS text
    LANGUAGE sql STABLE
    SET search_path = pg_catalog, public
    AS $$
    SELECT CASE
        WHEN p_value IS NULL OR p_value !~ '^[0-9]+$' OR p_value = '0' THEN NULL
        WHEN p_key = 'w_id' THEN
            (SELECT w.fio::text FROM accounts_dep.workers w WHERE w.id = p_value::integer)
        WHEN p_key = 'id_person' THEN
            (SELECT p.s_caption::text FROM cmn_contractor.person p WHERE p.id = p_value::integer)
        WHEN p_key = 'i_id' THEN
            (SELECT i.marka::text FROM cmn_inventory_items.inventory_items i
             WHERE i.id = p_value::integer)
        WHEN p_key = 'o_id' THEN
            (SELECT concat_ws('; ', t.s_caption, s.s_caption)
             FROM mnf_operation.operation o
             LEFT JOIN mnf_operation.operation_type t ON t.id = o.id_type
             LEFT JOIN mnf_operation.operation_state s ON s.id = o.id_state
             WHERE o.id = p_value::integer)
        WHEN p_key IN ('id_gds_use', 'color') THEN
            (SELECT g.s_caption::text FROM cmn_gds_and_srv.gds_and_srv g
             WHERE g.id = p_value::numeric)
        WHEN p_key = 'id_cons_use' THEN
            (SELECT c.s_caption::text FROM cmn_gds_and_srv.consignment c
             WHERE c.id = p_value::numeric)
        WHEN p_key = 'id_doc' THEN
            (SELECT format('Заявка № %s', d.s_number) FROM mnf_doc.doc d
             WHERE d.id = p_value::numeric)
        WHEN p_key = 'id_doc_item' THEN accounts_dep.doc_item_caption(p_value::numeric)
    END
$$;

-- One line per value of a record's history, newest event first, with the names of what the
-- numbers point at: the history window reads this. Of a division, the records it made are
-- read under the record divided as well, with their worker and share.
CREATE OR REPLACE FUNCTION accounts_dep.smena_history_lines(p_id_smena bigint)
    RETURNS TABLE (id bigint, d_when timestamp, s_login text, s_what text, s_kind text,
                   id_smena integer, id_row bigint, s_column text, s_old text, s_new text,
                   s_old_name text, s_new_name text)
    LANGUAGE sql STABLE
    SET search_path = pg_catalog, public
    AS $$
    WITH h AS (
        SELECT * FROM accounts_dep.smena_history WHERE smena_history.id_smena = p_id_smena
        UNION ALL
        SELECT * FROM accounts_dep.smena_history
        WHERE smena_history.id_row = p_id_smena AND s_what = 'smena' AND s_kind = 'divide'
    ),
    v AS (
        SELECT h.*, k.key,
               coalesce(h.j_old, '{}') ->> k.key AS s_old,
               coalesce(h.j_new, '{}') ->> k.key AS s_new
        FROM h
        LEFT JOIN LATERAL (SELECT jsonb_object_keys(coalesce(h.j_new, h.j_old)) AS key) k
            ON true
        -- of a record a division made, who got which share
        WHERE h.id_smena = p_id_smena OR k.key IN ('w_id', 'kol_vo', 'brak')
    )
    SELECT v.id, v.d_when, v.s_login::text, v.s_what::text, v.s_kind::text, v.id_smena,
           v.id_row, v.key, v.s_old, v.s_new,
           accounts_dep.history_value_name(v.key, v.s_old),
           accounts_dep.history_value_name(v.key, v.s_new)
    FROM v
    ORDER BY v.id DESC, v.key
$$;
