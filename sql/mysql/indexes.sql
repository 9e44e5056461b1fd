-- The indexes the calculation relies on, for a deployment, MySQL / MariaDB form. Each serves a
-- lookup of the per-day query or of the request, contract and result statements (sql/README.md of
-- kvt's sources has the details); they are named KVT_<table>_<purpose>. Run it with the tenant
-- schema of the calculation tables as the default database, by a login that may create indexes
-- there and in ZTWBASIS:
--     mysql --database=WERK1 < indexes.sql
--
-- It never drops or changes anything, and it may be run again: an index is created only when the
-- table has none that begins with the same columns in the same order (a primary key counts). The
-- statements are prepared because MySQL has no CREATE INDEX IF NOT EXISTS. An index name that is
-- taken already by another index stops the script with error 1061 before anything else is done.

-- Sets @create to the CREATE INDEX statement for @name on @schema.@table (@columns), or to a
-- statement that does nothing when an index of the table begins with @columns.
SET @find_missing = '
    SELECT IF(COUNT(*) > 0, ''DO 0'',
              CONCAT(''CREATE INDEX '', @name, '' ON '', @schema, ''.'', @table, '' ('', @columns, '')''))
    INTO @create
    FROM (SELECT GROUP_CONCAT(COLUMN_NAME ORDER BY SEQ_IN_INDEX) AS index_columns
          FROM information_schema.STATISTICS
          WHERE TABLE_SCHEMA = @schema AND TABLE_NAME = @table
          GROUP BY INDEX_NAME) AS existing
    WHERE CONCAT(existing.index_columns, '','') LIKE CONCAT(@columns, '',%'')';
PREPARE find_missing FROM @find_missing;

-- The tenant schema: the default database.
SET @schema = DATABASE();

SET @table = 'ZTW300PNR', @name = 'KVT_ZTW300PNR_NUM', @columns = 'PNRNUM';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW310BSV', @name = 'KVT_ZTW310BSV_PNR', @columns = 'BSVPNR,BSVGVO';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW155KVT', @name = 'KVT_ZTW155KVT_MOD', @columns = 'KVTMOD';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW329ZTG', @name = 'KVT_ZTW329ZTG_DAY', @columns = 'ZTGPNR,ZTGVON';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW155SF1', @name = 'KVT_ZTW155SF1_AZT', @columns = 'SF1NUM,SF1AZT';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW320TGB', @name = 'KVT_ZTW320TGB_DAY', @columns = 'TGBPNR,TGBDTM';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW321BCH', @name = 'KVT_ZTW321BCH_DAY', @columns = 'BCHPNR,BCHVON,BCHFKT,BCHFCD';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW327TAG', @name = 'KVT_ZTW327TAG_DAY', @columns = 'TAGPNR,TAGTAG';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW131FCD', @name = 'KVT_ZTW131FCD_NUM', @columns = 'FCDNUM';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW131FCD', @name = 'KVT_ZTW131FCD_FCD', @columns = 'FCDFCD,FCDNUM';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW332SFZ', @name = 'KVT_ZTW332SFZ_DAY', @columns = 'SFZPNR,SFZDTM';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW332SFV', @name = 'KVT_ZTW332SFV_YEAR', @columns = 'SFVPNR,SFVJHR,SFVMAN';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

-- The central schema.
SET @schema = 'ZTWBASIS';

SET @table = 'ZTW002PRM', @name = 'KVT_ZTW002PRM_KEY', @columns = 'PRMNUM,PRMLFD,PRMTYP';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

-- The claim finds the requests of its schema and user through this index whatever else is queued,
-- where PRMSCH and PRMUSR compare without regard to case (the default collations do).
SET @table = 'ZTW002PRM', @name = 'KVT_ZTW002PRM_USR', @columns = 'PRMSCH,PRMUSR,PRMTYP,PRMNUM,PRMLFD';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW002PRM', @name = 'KVT_ZTW002PRM_PNR', @columns = 'PRMPNR,PRMTYP,PRMNUM,PRMLFD';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW002ERR', @name = 'KVT_ZTW002ERR_PRM', @columns = 'ERRPRM,ERRLFD,ERRTYP';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

SET @table = 'ZTW133BAK', @name = 'KVT_ZTW133BAK_DAY', @columns = 'BAKDTM';
EXECUTE find_missing;
PREPARE create_index FROM @create;
EXECUTE create_index;

DEALLOCATE PREPARE create_index;
DEALLOCATE PREPARE find_missing;
