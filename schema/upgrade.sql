-- Brings a database of an earlier version of this schema up to this one, keeping every row:
--
--   psql -X -v ON_ERROR_STOP=1 -h SOCKETDIR -p PORT -U tabel_admin -d NAME -f schema/upgrade.sql
--
-- Safe to run again: the logins are made only when missing, rules.sql replaces what it
-- defines, history.sql makes the history once (from the first upgrade on: nothing of what
-- happened before it is known) and keeps it, grants.sql takes back what an earlier version gave before it gives. Rows written
-- before the rules stay as they are (a requisition line overdone then is not made worse, an
-- accepted record keeps its rows); the rules hold for every write from now on.

\set ON_ERROR_STOP 1
BEGIN;
\ir roles.sql
\ir rules.sql
\ir history.sql
\ir grants.sql
COMMIT;
