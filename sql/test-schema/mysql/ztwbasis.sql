-- Central schema ZTWBASIS shared by all tenants, made from scratch for the test server and the
-- demo (scripts/testdb): the request table, the calendar and (in ztw002err.sql) the error table.
-- MariaDB / MySQL form. Not for a deployment, whose ZTWBASIS belongs to the time-management system:
-- the script stops at once where a schema ZTWBASIS exists.
--
-- Texts are latin1 (on MariaDB and MySQL that is Windows-1252) with a binary collation, so that
-- comparisons are exact and case-sensitive as on the other products; the batch compares schema
-- and user through UPPER() itself. Text columns are wider than the batch's fields: the batch cuts
-- over-long values when it reads them.

CREATE DATABASE ZTWBASIS CHARACTER SET latin1 COLLATE latin1_bin;
USE ZTWBASIS;

-- Requests to the batch programs; the calculation takes the rows of type 5 of its schema and
-- user in the order of PRMNUM, PRMLFD and deletes each by its full key.
CREATE TABLE ZTW002PRM (
    PRMNUM VARCHAR(20) NOT NULL,
    PRMLFD INT         NOT NULL,
    PRMTYP INT         NOT NULL,
    PRMSCH VARCHAR(30) COLLATE latin1_swedish_ci NOT NULL,
    PRMUSR VARCHAR(60) COLLATE latin1_swedish_ci NOT NULL,
    PRMMAP INT         NULL,
    PRMPNR VARCHAR(12) NULL,
    PRMDTM DATE        NULL,
    PRMDBI DATE        NULL,
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
    PRIMARY KEY (PRMNUM, PRMLFD, PRMTYP),
    -- As sql/mysql/indexes.sql creates them: the claim, and the requests of a person.
    INDEX KVT_ZTW002PRM_USR (PRMSCH, PRMUSR, PRMTYP, PRMNUM, PRMLFD),
    INDEX KVT_ZTW002PRM_PNR (PRMPNR, PRMTYP, PRMNUM, PRMLFD)
) ENGINE = InnoDB;

-- The calendar: one row per day. The per-day query of the calculation walks it by range.
CREATE TABLE ZTW133BAK (
    BAKDTM DATE NOT NULL,
    PRIMARY KEY (BAKDTM)
) ENGINE = InnoDB;

-- 2015-01-01 to 2040-12-31 (day 9496); the sequence engine provides the day numbers.
INSERT INTO ZTW133BAK (BAKDTM)
SELECT DATE '2015-01-01' + INTERVAL seq DAY FROM seq_0_to_9496;
