-- Central schema ZTWBASIS shared by all tenants, SQL Server form, made from scratch for a test or
-- demo database (the tests run the MariaDB form in ../mysql); it documents the tables kvt uses.
-- Not for a deployment, whose ZTWBASIS belongs to the time-management system: the script stops at
-- the first error, such as a schema that exists. Run with sqlcmd in the application database:
--   sqlcmd -S server -d database -i ztwbasis.sql
-- The batch's login needs SELECT and DELETE on ZTW002PRM, INSERT on ZTW002ERR, SELECT on ZTW133BAK.
--
-- The database collation should use code page 1252 (e.g. Latin1_General_CI_AS): the batch's texts
-- are Windows-1252 VARCHARs. Text columns are wider than the batch's fields, which cut over-long
-- values when they are read. Dates are DATETIME, the type the batch's CONVERT(DATETIME, ...)
-- yields, so that comparisons need no conversion of the column; calendar days hold midnight.

:on error exit

CREATE SCHEMA ZTWBASIS;
GO

-- Requests to the batch programs; the calculation takes the rows of type 5 of its schema and
-- user in the order of PRMNUM, PRMLFD and deletes each by its full key.
CREATE TABLE ZTWBASIS.ZTW002PRM (
    PRMNUM VARCHAR(20) NOT NULL,
    PRMLFD INT         NOT NULL,
    PRMTYP INT         NOT NULL,
    PRMSCH VARCHAR(30) NOT NULL,
    PRMUSR VARCHAR(60) NOT NULL,
    PRMMAP INT         NULL,
    PRMPNR VARCHAR(12) NULL,
    PRMDTM DATETIME    NULL,
    PRMDBI DATETIME    NULL,
    PRMUHR DATETIME    NULL,
    PRMFCD VARCHAR(8)  NULL,
    PRMABT VARCHAR(20) NULL,
    PRMKST VARCHAR(40) NULL,
    PRMKTR VARCHAR(10) NULL,
    PRMKRT VARCHAR(8)  NULL,
    PRMVRA VARCHAR(10) NULL,
    PRMAZT VARCHAR(10) NULL,
    PRMTXT VARCHAR(20) NULL,
    PRMLOE INT         NULL,
    PRMBUC INT         NULL,
    PRMVKD INT         NULL,
    PRMSTS INT         NULL,
    PRMERF VARCHAR(60) NULL,
    CONSTRAINT ZTW002PRM_PK PRIMARY KEY (PRMNUM, PRMLFD, PRMTYP)
);

-- As sql/mssql/indexes.sql creates them: the claim, and the requests of a person.
CREATE INDEX KVT_ZTW002PRM_USR ON ZTWBASIS.ZTW002PRM (PRMSCH, PRMUSR, PRMTYP, PRMNUM, PRMLFD);
CREATE INDEX KVT_ZTW002PRM_PNR ON ZTWBASIS.ZTW002PRM (PRMPNR, PRMTYP, PRMNUM, PRMLFD);

-- One closing row per processed request. No unique key: a request that stays in the request
-- table is processed, and closed, again. Installations with the older form of this table lack
-- ERRNUM; the batch then writes the row without it.
CREATE TABLE ZTWBASIS.ZTW002ERR (
    ERRPRM VARCHAR(20) NOT NULL,
    ERRLFD INT         NOT NULL,
    ERRTYP INT         NOT NULL,
    ERRPNR VARCHAR(12) NULL,
    ERRFCD VARCHAR(8)  NULL,
    ERRDAT DATETIME    NULL,
    ERRUHR DATETIME    NULL,
    ERRKEY INT         NOT NULL CONSTRAINT ZTW002ERR_KEY DEFAULT 0,
    ERRNUM INT         NOT NULL CONSTRAINT ZTW002ERR_NUM DEFAULT 0
);
CREATE INDEX ZTW002ERR_PRM ON ZTWBASIS.ZTW002ERR (ERRPRM, ERRLFD, ERRTYP);

-- The calendar: one row per day, read by range.
CREATE TABLE ZTWBASIS.ZTW133BAK (
    BAKDTM DATETIME NOT NULL,
    CONSTRAINT ZTW133BAK_PK PRIMARY KEY CLUSTERED (BAKDTM)
);
GO

-- 2015-01-01 to 2040-12-31.
WITH DAYS (BAKDTM) AS (
    SELECT CONVERT(DATETIME, '20150101', 112)
    UNION ALL
    SELECT DATEADD(DAY, 1, BAKDTM) FROM DAYS WHERE BAKDTM < CONVERT(DATETIME, '20401231', 112)
)
INSERT INTO ZTWBASIS.ZTW133BAK (BAKDTM)
SELECT BAKDTM FROM DAYS
OPTION (MAXRECURSION 0);
GO
