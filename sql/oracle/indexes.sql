-- The indexes the calculation relies on, for a deployment, ORACLE form. Each serves a lookup of
-- the per-day query or of the request, contract and result statements (sql/README.md of kvt's
-- sources has the details); they are named KVT_<table>_<purpose>. Run in SQL*Plus or SQLcl by a
-- login that may create indexes in the tenant schema of the calculation tables and in ZTWBASIS,
-- with the tenant schema as the current schema:
--     ALTER SESSION SET CURRENT_SCHEMA = WERK1;
--     @indexes.sql
--
-- It never drops or changes anything, and it may be run again: an index is created only when the
-- table has none that begins with the same columns in the same order (a primary key counts).

WHENEVER SQLERROR EXIT FAILURE

DECLARE
    tenant CONSTANT VARCHAR2(128) := SYS_CONTEXT('USERENV', 'CURRENT_SCHEMA');

    PROCEDURE ensure_index(p_owner VARCHAR2, p_table VARCHAR2, p_index VARCHAR2, p_columns VARCHAR2) IS
        covering NUMBER;
    BEGIN
        SELECT COUNT(*) INTO covering
        FROM (SELECT LISTAGG(column_name, ',') WITHIN GROUP (ORDER BY column_position) AS index_columns
              FROM all_ind_columns
              WHERE table_owner = p_owner AND table_name = p_table
              GROUP BY index_owner, index_name)
        WHERE index_columns || ',' LIKE p_columns || ',%';
        IF covering = 0 THEN
            EXECUTE IMMEDIATE 'CREATE INDEX ' || p_owner || '.' || p_index || ' ON ' || p_owner || '.' ||
                              p_table || ' (' || p_columns || ')';
        END IF;
    END;

    -- An index on expressions names its columns in all_ind_expressions, not by the table's columns:
    -- it is looked for by its name.
    PROCEDURE ensure_named_index(p_owner VARCHAR2, p_table VARCHAR2, p_index VARCHAR2, p_columns VARCHAR2) IS
        existing NUMBER;
    BEGIN
        SELECT COUNT(*) INTO existing FROM all_indexes WHERE owner = p_owner AND index_name = p_index;
        IF existing = 0 THEN
            EXECUTE IMMEDIATE 'CREATE INDEX ' || p_owner || '.' || p_index || ' ON ' || p_owner || '.' ||
                              p_table || ' (' || p_columns || ')';
        END IF;
    END;
BEGIN
    ensure_index(tenant, 'ZTW300PNR', 'KVT_ZTW300PNR_NUM', 'PNRNUM');
    ensure_index(tenant, 'ZTW310BSV', 'KVT_ZTW310BSV_PNR', 'BSVPNR,BSVGVO');
    ensure_index(tenant, 'ZTW155KVT', 'KVT_ZTW155KVT_MOD', 'KVTMOD');
    ensure_index(tenant, 'ZTW329ZTG', 'KVT_ZTW329ZTG_DAY', 'ZTGPNR,ZTGVON');
    ensure_index(tenant, 'ZTW155SF1', 'KVT_ZTW155SF1_AZT', 'SF1NUM,SF1AZT');
    ensure_index(tenant, 'ZTW320TGB', 'KVT_ZTW320TGB_DAY', 'TGBPNR,TGBDTM');
    ensure_index(tenant, 'ZTW321BCH', 'KVT_ZTW321BCH_DAY', 'BCHPNR,BCHVON,BCHFKT,BCHFCD');
    ensure_index(tenant, 'ZTW327TAG', 'KVT_ZTW327TAG_DAY', 'TAGPNR,TAGTAG');
    ensure_index(tenant, 'ZTW131FCD', 'KVT_ZTW131FCD_NUM', 'FCDNUM');
    ensure_index(tenant, 'ZTW131FCD', 'KVT_ZTW131FCD_FCD', 'FCDFCD,FCDNUM');
    ensure_index(tenant, 'ZTW332SFZ', 'KVT_ZTW332SFZ_DAY', 'SFZPNR,SFZDTM');
    ensure_index(tenant, 'ZTW332SFV', 'KVT_ZTW332SFV_YEAR', 'SFVPNR,SFVJHR,SFVMAN');
    ensure_index('ZTWBASIS', 'ZTW002PRM', 'KVT_ZTW002PRM_KEY', 'PRMNUM,PRMLFD,PRMTYP');
    -- The claim compares the upper-cased schema and user: found through this index whatever else
    -- is queued.
    ensure_named_index('ZTWBASIS', 'ZTW002PRM', 'KVT_ZTW002PRM_USR', 'UPPER(PRMSCH),UPPER(PRMUSR),PRMTYP,PRMNUM,PRMLFD');
    ensure_index('ZTWBASIS', 'ZTW002PRM', 'KVT_ZTW002PRM_PNR', 'PRMPNR,PRMTYP,PRMNUM,PRMLFD');
    ensure_index('ZTWBASIS', 'ZTW002ERR', 'KVT_ZTW002ERR_PRM', 'ERRPRM,ERRLFD,ERRTYP');
    ensure_index('ZTWBASIS', 'ZTW133BAK', 'KVT_ZTW133BAK_DAY', 'BAKDTM');
END;
/
