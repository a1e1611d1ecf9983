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
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'tabel_users') THEN
        CREATE ROLE tabel_users NOLOGIN;
    END IF;
END
$roles$;
