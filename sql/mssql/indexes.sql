-- The indexes the calculation relies on, for a deployment, SQL Server form (2017 or later). Each
-- serves a lookup of the per-day query or of the request, contract and result statements
-- (sql/README.md of kvt's sources has the details); they are named KVT_<table>_<purpose>. Run with
-- sqlcmd in the application database by a login that may create indexes in the tenant schema of
-- the calculation tables and in ZTWBASIS, naming the tenant schema:
--     sqlcmd -S server -d database -v TENANT=WERK1 -i indexes.sql
--
-- It never drops or changes anything, and it may be run again: an index is created only when the
-- table has none whose key begins with the same columns in the same order (a primary key or a
-- clustered index counts). The helper is a temporary procedure that ends with the session.

:on error exit

CREATE PROCEDURE #kvt_ensure_index @schema sysname, @table sysname, @name sysname, @columns nvarchar(400)
AS
BEGIN
    IF NOT EXISTS (
        SELECT 1
        FROM sys.indexes AS i
        WHERE i.object_id = OBJECT_ID(QUOTENAME(@schema) + N'.' + QUOTENAME(@table))
          AND (SELECT STRING_AGG(c.name, N',') WITHIN GROUP (ORDER BY ic.key_ordinal)
               FROM sys.index_columns AS ic
               JOIN sys.columns AS c ON c.object_id = ic.object_id AND c.column_id = ic.column_id
               WHERE ic.object_id = i.object_id AND ic.index_id = i.index_id AND ic.key_ordinal > 0)
              + N',' LIKE @columns + N',%')
        EXEC (N'CREATE INDEX ' + @name + N' ON ' + QUOTENAME(@schema) + N'.' + QUOTENAME(@table) +
              N' (' + @columns + N')');
END;
GO

EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW300PNR', N'KVT_ZTW300PNR_NUM', N'PNRNUM';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW310BSV', N'KVT_ZTW310BSV_PNR', N'BSVPNR,BSVGVO';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW155KVT', N'KVT_ZTW155KVT_MOD', N'KVTMOD';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW329ZTG', N'KVT_ZTW329ZTG_DAY', N'ZTGPNR,ZTGVON';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW155SF1', N'KVT_ZTW155SF1_AZT', N'SF1NUM,SF1AZT';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW320TGB', N'KVT_ZTW320TGB_DAY', N'TGBPNR,TGBDTM';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW321BCH', N'KVT_ZTW321BCH_DAY', N'BCHPNR,BCHVON,BCHFKT,BCHFCD';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW327TAG', N'KVT_ZTW327TAG_DAY', N'TAGPNR,TAGTAG';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW131FCD', N'KVT_ZTW131FCD_NUM', N'FCDNUM';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW131FCD', N'KVT_ZTW131FCD_FCD', N'FCDFCD,FCDNUM';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW332SFZ', N'KVT_ZTW332SFZ_DAY', N'SFZPNR,SFZDTM';
EXEC #kvt_ensure_index N'$(TENANT)', N'ZTW332SFV', N'KVT_ZTW332SFV_YEAR', N'SFVPNR,SFVJHR,SFVMAN';
EXEC #kvt_ensure_index N'ZTWBASIS', N'ZTW002PRM', N'KVT_ZTW002PRM_KEY', N'PRMNUM,PRMLFD,PRMTYP';
EXEC #kvt_ensure_index N'ZTWBASIS', N'ZTW002PRM', N'KVT_ZTW002PRM_USR', N'PRMSCH,PRMUSR,PRMTYP,PRMNUM,PRMLFD';
EXEC #kvt_ensure_index N'ZTWBASIS', N'ZTW002PRM', N'KVT_ZTW002PRM_PNR', N'PRMPNR,PRMTYP,PRMNUM,PRMLFD';
EXEC #kvt_ensure_index N'ZTWBASIS', N'ZTW002ERR', N'KVT_ZTW002ERR_PRM', N'ERRPRM,ERRLFD,ERRTYP';
EXEC #kvt_ensure_index N'ZTWBASIS', N'ZTW133BAK', N'KVT_ZTW133BAK_DAY', N'BAKDTM';
GO
