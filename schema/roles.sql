-- Logins of the demo users (one per access mode, plus an entry clerk). Cluster-wide, so this
-- file may run again for every database: it creates only what is missing.
DO $roles$
DECLARE
    r record;
BEGIN
    FOR r IN SELECT * FROM (VALUES
        ('wvk', 'wuvbzad'),          -- the stored connection's account; full mode
        ('senior', 'senior'),        -- full mode
        ('approverone', 'approverone'),  -- acceptance mode
        ('checker', 'checker'),      -- acceptance mode
        ('signatory', 'signatory'),  -- acceptance mode
        ('plonta', 'plonta'),        -- view-only mode
        ('clerk', 'clerk')           -- entry mode
    ) AS v(login, pwd)
    LOOP
        IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = r.login) THEN
            EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L', r.login, r.pwd);
        END IF;
    END LOOP;
    -- Group roles: every login; the logins that enter records; the logins that accept them;
    -- the stored account, whose connection before login stamps the build into the version record.
    FOR r IN SELECT * FROM (VALUES ('tabel_users'), ('tabel_entry'), ('tabel_acceptance'),
                                   ('tabel_version'))
        AS v(login)
    LOOP
        IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = r.login) THEN
            EXECUTE format('CREATE ROLE %I NOLOGIN', r.login);
        END IF;
    END LOOP;
END
$roles$;

SET client_min_messages = warning;
GRANT tabel_users TO wvk, senior, approverone, checker, signatory, plonta, clerk;
GRANT tabel_entry TO wvk, senior, clerk;
GRANT tabel_acceptance TO wvk, senior, approverone, checker, signatory;
GRANT tabel_version TO wvk;

-- Dates typed as day.month.year (the program's short date) are read day first: the shift
-- record's date of entry arrives as such a text. Set for every role of the cluster, so that it
-- holds in every database, also in one cloned from a template.
ALTER ROLE ALL SET datestyle TO 'ISO, DMY';
