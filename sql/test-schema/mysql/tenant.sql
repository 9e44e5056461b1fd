-- One tenant schema with the tables of the shift free-time calculation, made from scratch for the
-- test server and the demo, MariaDB / MySQL form. scripts/testdb replaces @TENANT@ with the schema
-- name (and drops the schema of that name on its own throwaway server first); the script stops at
-- once where the schema exists.
--
-- Texts are latin1 (Windows-1252) with a binary collation for exact comparisons, and wider than
-- the batch's fields (personnel number 8, rule code 5): the batch cuts over-long values when it
-- reads them. Shares and day counts carry six decimals, as the batch writes them.

CREATE DATABASE @TENANT@ CHARACTER SET latin1 COLLATE latin1_bin;
USE @TENANT@;

-- Persons; the per-day query joins the calendar with the one row of the personnel number.
CREATE TABLE ZTW300PNR (
    PNRNUM VARCHAR(12) NOT NULL,
    PRIMARY KEY (PNRNUM)
) ENGINE = InnoDB;

-- Free-time rules: how many shares make a free day, in which steps part days are granted, the
-- yearly cap, the month after which carry-over expires and the last month of the accounting
-- year (NULL: the calendar year).
CREATE TABLE ZTW155KVT (
    KVTMOD VARCHAR(8) NOT NULL,
    KVTANZ INT        NULL,
    KVTTKT INT        NULL,
    KVTMAX INT        NULL,
    KVTVMO INT        NULL,
    KVTJMO INT        NULL,
    PRIMARY KEY (KVTMOD)
) ENGINE = InnoDB;

-- Contract periods of a person with their free-time rule; BSVGBI NULL is open-ended.
CREATE TABLE ZTW310BSV (
    BSVPNR VARCHAR(12) NOT NULL,
    BSVGVO DATE        NOT NULL,
    BSVGBI DATE        NULL,
    BSVKVT VARCHAR(8)  NOT NULL,
    PRIMARY KEY (BSVPNR, BSVGVO)
) ENGINE = InnoDB;

-- Shares a rule grants for a working-time model once the day's maximum reaches SF1MIN.
-- Several thresholds per rule and model may apply at once, so the key is not unique.
CREATE TABLE ZTW155SF1 (
    SF1NUM VARCHAR(8)     NOT NULL,
    SF1AZT VARCHAR(10)    NOT NULL,
    SF1MIN DECIMAL(9, 2)  NOT NULL,
    SF1ANT DECIMAL(15, 6) NOT NULL,
    KEY ZTW155SF1_AZT (SF1NUM, SF1AZT)
) ENGINE = InnoDB;

-- Time entries: the working-time model a person worked from a day on; a day may have several.
CREATE TABLE ZTW329ZTG (
    ZTGPNR VARCHAR(12) NOT NULL,
    ZTGVON DATE        NOT NULL,
    ZTGAZT VARCHAR(10) NOT NULL,
    KEY ZTW329ZTG_DAY (ZTGPNR, ZTGVON)
) ENGINE = InnoDB;

-- Day balances, one per person and day.
CREATE TABLE ZTW320TGB (
    TGBPNR VARCHAR(12)   NOT NULL,
    TGBDTM DATE          NOT NULL,
    TGBZTR INT           NOT NULL,
    TGBMAX DECIMAL(9, 2) NOT NULL,
    PRIMARY KEY (TGBPNR, TGBDTM)
) ENGINE = InnoDB;

-- Day records, one per person and day: a whole day (TAGTGB) or half days (TAGHTV, TAGHTN) off.
CREATE TABLE ZTW327TAG (
    TAGPNR VARCHAR(12) NOT NULL,
    TAGTAG DATE        NOT NULL,
    TAGTGB VARCHAR(4)  NULL,
    TAGHTV VARCHAR(4)  NULL,
    TAGHTN VARCHAR(4)  NULL,
    PRIMARY KEY (TAGPNR, TAGTAG)
) ENGINE = InnoDB;

-- Absence codes; FCDFCD 25 marks shift free time. The second key lets the count of booked days
-- pick the few codes of a kind from the index instead of scanning the table.
CREATE TABLE ZTW131FCD (
    FCDNUM VARCHAR(4) NOT NULL,
    FCDFCD INT        NOT NULL,
    PRIMARY KEY (FCDNUM),
    KEY ZTW131FCD_FCD (FCDFCD, FCDNUM)
) ENGINE = InnoDB;

-- Absence bookings of a person from a day on; a day may carry several. The count of booked days
-- reads the person's bookings of the year again for every calendar day. With the function and the
-- code in the key it reads them from the index alone; otherwise each booking costs a second
-- lookup in the table, which InnoDB keeps in the order of a hidden row number.
CREATE TABLE ZTW321BCH (
    BCHPNR VARCHAR(12) NOT NULL,
    BCHVON DATE        NOT NULL,
    BCHFKT INT         NOT NULL,
    BCHFCD VARCHAR(4)  NOT NULL,
    KEY ZTW321BCH_DAY (BCHPNR, BCHVON, BCHFKT, BCHFCD)
) ENGINE = InnoDB;

-- Daily results of the calculation; the batch deletes a range of days and inserts it anew.
CREATE TABLE ZTW332SFZ (
    SFZPNR VARCHAR(12)    NOT NULL,
    SFZDTM DATE           NOT NULL,
    SFZANT DECIMAL(15, 6) NULL,
    SFZVTG DECIMAL(15, 6) NULL,
    SFZVAN DECIMAL(15, 6) NULL,
    SFZANS DECIMAL(15, 6) NULL,
    SFZGEN DECIMAL(15, 6) NULL,
    SFZVPL DECIMAL(15, 6) NULL,
    SFZRST DECIMAL(15, 6) NULL,
    SFZGVV INT            NULL,
    SFZDAT DATETIME       NULL,
    SFZERF VARCHAR(60)    NULL,
    SFZSTA INT            NULL,
    PRIMARY KEY (SFZPNR, SFZDTM)
) ENGINE = InnoDB;

-- Carry-over into a year (month 0); SFVZUS is maintained by the time-management system.
CREATE TABLE ZTW332SFV (
    SFVPNR VARCHAR(12)    NOT NULL,
    SFVJHR INT            NOT NULL,
    SFVMAN INT            NOT NULL DEFAULT 0,
    SFVVTG DECIMAL(15, 6) NULL,
    SFVVAN DECIMAL(15, 6) NULL,
    SFVZUS INT            NULL,
    SFVDAT DATETIME       NULL,
    SFVERF VARCHAR(60)    NULL,
    SFVSTA INT            NULL,
    PRIMARY KEY (SFVPNR, SFVJHR, SFVMAN)
) ENGINE = InnoDB;

-- The ORACLE statement texts convert with TO_DATE, which MariaDB's ORACLE mode lacks. Unqualified
-- calls resolve in the session's default database, so every tenant schema carries its own copy.
-- It knows the format elements the batch uses: yyyy, mm, dd, hh24, mi. Stored with the strict
-- modes so that, as on ORACLE, a text that is no valid date (0, a month 0, trailing digits) is an
-- error rather than NULL or a zero date.
SET sql_mode = 'TRADITIONAL';
CREATE FUNCTION TO_DATE(s VARCHAR(64), f VARCHAR(64)) RETURNS DATETIME DETERMINISTIC
RETURN STR_TO_DATE(s, REPLACE(REPLACE(REPLACE(REPLACE(REPLACE(LOWER(f),
       'yyyy', '%Y'), 'mm', '%m'), 'dd', '%d'), 'hh24', '%H'), 'mi', '%i'));
