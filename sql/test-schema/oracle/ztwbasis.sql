-- Central schema ZTWBASIS shared by all tenants, ORACLE form, made from scratch for a test or demo
-- database (the tests run the MariaDB form in ../mysql); it documents the tables kvt uses. Not for
-- a deployment, whose ZTWBASIS belongs to the time-management system: the script stops at the
-- first error, such as a table that exists. Run in SQL*Plus or SQLcl as a DBA, after creating the
-- schema's user, e.g.
--   CREATE USER ZTWBASIS IDENTIFIED BY "..." QUOTA UNLIMITED ON USERS;
-- The batch's login needs SELECT and DELETE on ZTW002PRM, INSERT on ZTW002ERR, SELECT on ZTW133BAK.
--
-- The database character set should be WE8MSWIN1252 (the batch's texts are Windows-1252). Text
-- columns are wider than the batch's fields, which cut over-long values when they are read.
-- DATE columns that stand for calendar days hold midnight; the per-day query compares them
-- with "=".

WHENEVER SQLERROR EXIT FAILURE ROLLBACK

-- Requests to the batch programs; the calculation takes the rows of type 5 of its schema and
-- user in the order of PRMNUM, PRMLFD and deletes each by its full key.
CREATE TABLE ZTWBASIS.ZTW002PRM (
    PRMNUM VARCHAR2(20) NOT NULL,
    PRMLFD NUMBER(10)   NOT NULL,
    PRMTYP NUMBER(10)   NOT NULL,
    PRMSCH VARCHAR2(30) NOT NULL,
    PRMUSR VARCHAR2(60) NOT NULL,
    PRMMAP NUMBER(10)   NULL,
    PRMPNR VARCHAR2(12) NULL,
    PRMDTM DATE         NULL,
    PRMDBI DATE         NULL,
    PRMUHR DATE         NULL,
    PRMFCD VARCHAR2(8)  NULL,
    PRMABT VARCHAR2(20) NULL,
    PRMKST VARCHAR2(40) NULL,
    PRMKTR VARCHAR2(10) NULL,
    PRMKRT VARCHAR2(8)  NULL,
    PRMVRA VARCHAR2(10) NULL,
    PRMAZT VARCHAR2(10) NULL,
    PRMTXT VARCHAR2(20) NULL,
    PRMLOE NUMBER(10)   NULL,
    PRMBUC NUMBER(10)   NULL,
    PRMVKD NUMBER(10)   NULL,
    PRMSTS NUMBER(10)   NULL,
    PRMERF VARCHAR2(60) NULL,
    CONSTRAINT ZTW002PRM_PK PRIMARY KEY (PRMNUM, PRMLFD, PRMTYP)
);

-- As sql/oracle/indexes.sql creates them: the claim, which compares the upper-cased schema and
-- user, and the requests of a person.
CREATE INDEX ZTWBASIS.KVT_ZTW002PRM_USR ON ZTWBASIS.ZTW002PRM (UPPER(PRMSCH), UPPER(PRMUSR), PRMTYP, PRMNUM, PRMLFD);
CREATE INDEX ZTWBASIS.KVT_ZTW002PRM_PNR ON ZTWBASIS.ZTW002PRM (PRMPNR, PRMTYP, PRMNUM, PRMLFD);

-- One closing row per processed request. No unique key: a request that stays in the request
-- table is processed, and closed, again. Installations with the older form of this table lack
-- ERRNUM; the batch then writes the row without it.
CREATE TABLE ZTWBASIS.ZTW002ERR (
    ERRPRM VARCHAR2(20) NOT NULL,
    ERRLFD NUMBER(10)   NOT NULL,
    ERRTYP NUMBER(10)   NOT NULL,
    ERRPNR VARCHAR2(12) NULL,
    ERRFCD VARCHAR2(8)  NULL,
    ERRDAT DATE         NULL,
    ERRUHR DATE         NULL,
    ERRKEY NUMBER(10)   DEFAULT 0 NOT NULL,
    ERRNUM NUMBER(10)   DEFAULT 0 NOT NULL
);
CREATE INDEX ZTWBASIS.ZTW002ERR_PRM ON ZTWBASIS.ZTW002ERR (ERRPRM, ERRLFD, ERRTYP);

-- The calendar: one row per day, read by range only, so the table is its own index.
CREATE TABLE ZTWBASIS.ZTW133BAK (
    BAKDTM DATE NOT NULL,
    CONSTRAINT ZTW133BAK_PK PRIMARY KEY (BAKDTM)
) ORGANIZATION INDEX;

-- 2015-01-01 to 2040-12-31.
INSERT INTO ZTWBASIS.ZTW133BAK (BAKDTM)
SELECT DATE '2015-01-01' + LEVEL - 1
FROM   DUAL
CONNECT BY LEVEL <= DATE '2040-12-31' - DATE '2015-01-01' + 1;
COMMIT;
