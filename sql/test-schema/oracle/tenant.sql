-- One tenant schema with the tables of the shift free-time calculation, ORACLE form, made from
-- scratch for a test or demo database (the tests run the MariaDB form in ../mysql); it documents
-- the tables kvt uses. The script stops at the first error, such as a table that exists. Run in
-- SQL*Plus or SQLcl as a DBA, after creating the tenant's user; the script asks for the schema
-- name, or takes it from
--   DEFINE TENANT = KVTTEST
-- The batch's login needs SELECT on every table, and INSERT and DELETE on ZTW332SFZ and ZTW332SFV.
--
-- Text columns are wider than the batch's fields (personnel number 8, rule code 5), which cut
-- over-long values when they are read. Shares and day counts carry six decimals, as the batch
-- writes them. DATE columns that stand for calendar days hold midnight.

WHENEVER SQLERROR EXIT FAILURE ROLLBACK

-- Persons; the per-day query joins the calendar with the one row of the personnel number.
CREATE TABLE &&TENANT..ZTW300PNR (
    PNRNUM VARCHAR2(12) NOT NULL,
    CONSTRAINT ZTW300PNR_PK PRIMARY KEY (PNRNUM)
);

-- Free-time rules: how many shares make a free day, in which steps part days are granted, the
-- yearly cap, the month after which carry-over expires and the last month of the accounting
-- year (NULL: the calendar year).
CREATE TABLE &&TENANT..ZTW155KVT (
    KVTMOD VARCHAR2(8) NOT NULL,
    KVTANZ NUMBER(10)  NULL,
    KVTTKT NUMBER(10)  NULL,
    KVTMAX NUMBER(10)  NULL,
    KVTVMO NUMBER(10)  NULL,
    KVTJMO NUMBER(10)  NULL,
    CONSTRAINT ZTW155KVT_PK PRIMARY KEY (KVTMOD)
);

-- Contract periods of a person with their free-time rule; BSVGBI NULL is open-ended.
CREATE TABLE &&TENANT..ZTW310BSV (
    BSVPNR VARCHAR2(12) NOT NULL,
    BSVGVO DATE         NOT NULL,
    BSVGBI DATE         NULL,
    BSVKVT VARCHAR2(8)  NOT NULL,
    CONSTRAINT ZTW310BSV_PK PRIMARY KEY (BSVPNR, BSVGVO)
);

-- Shares a rule grants for a working-time model once the day's maximum reaches SF1MIN.
-- Several thresholds per rule and model may apply at once, so the key is not unique.
CREATE TABLE &&TENANT..ZTW155SF1 (
    SF1NUM VARCHAR2(8)  NOT NULL,
    SF1AZT VARCHAR2(10) NOT NULL,
    SF1MIN NUMBER(9, 2) NOT NULL,
    SF1ANT NUMBER(15, 6) NOT NULL
);
CREATE INDEX &&TENANT..ZTW155SF1_AZT ON &&TENANT..ZTW155SF1 (SF1NUM, SF1AZT);

-- Time entries: the working-time model a person worked from a day on; a day may have several.
CREATE TABLE &&TENANT..ZTW329ZTG (
    ZTGPNR VARCHAR2(12) NOT NULL,
    ZTGVON DATE         NOT NULL,
    ZTGAZT VARCHAR2(10) NOT NULL
);
CREATE INDEX &&TENANT..ZTW329ZTG_DAY ON &&TENANT..ZTW329ZTG (ZTGPNR, ZTGVON);

-- Day balances, one per person and day.
CREATE TABLE &&TENANT..ZTW320TGB (
    TGBPNR VARCHAR2(12) NOT NULL,
    TGBDTM DATE         NOT NULL,
    TGBZTR NUMBER(10)   NOT NULL,
    TGBMAX NUMBER(9, 2) NOT NULL,
    CONSTRAINT ZTW320TGB_PK PRIMARY KEY (TGBPNR, TGBDTM)
);

-- Day records, one per person and day: a whole day (TAGTGB) or half days (TAGHTV, TAGHTN) off.
CREATE TABLE &&TENANT..ZTW327TAG (
    TAGPNR VARCHAR2(12) NOT NULL,
    TAGTAG DATE         NOT NULL,
    TAGTGB VARCHAR2(4)  NULL,
    TAGHTV VARCHAR2(4)  NULL,
    TAGHTN VARCHAR2(4)  NULL,
    CONSTRAINT ZTW327TAG_PK PRIMARY KEY (TAGPNR, TAGTAG)
);

-- Absence codes; FCDFCD 25 marks shift free time. The second index lets the count of booked
-- days pick the few codes of a kind from the index instead of scanning the table.
CREATE TABLE &&TENANT..ZTW131FCD (
    FCDNUM VARCHAR2(4) NOT NULL,
    FCDFCD NUMBER(10)  NOT NULL,
    CONSTRAINT ZTW131FCD_PK PRIMARY KEY (FCDNUM)
);
CREATE INDEX &&TENANT..ZTW131FCD_FCD ON &&TENANT..ZTW131FCD (FCDFCD, FCDNUM);

-- Absence bookings of a person from a day on; a day may carry several. The count of booked days
-- reads the person's bookings of the year again for every calendar day. With the function and the
-- code in the index it reads them from the index alone, without a table access by rowid for each.
CREATE TABLE &&TENANT..ZTW321BCH (
    BCHPNR VARCHAR2(12) NOT NULL,
    BCHVON DATE         NOT NULL,
    BCHFKT NUMBER(10)   NOT NULL,
    BCHFCD VARCHAR2(4)  NOT NULL
);
CREATE INDEX &&TENANT..ZTW321BCH_DAY ON &&TENANT..ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD);

-- Daily results of the calculation; the batch deletes a range of days and inserts it anew.
CREATE TABLE &&TENANT..ZTW332SFZ (
    SFZPNR VARCHAR2(12)  NOT NULL,
    SFZDTM DATE          NOT NULL,
    SFZANT NUMBER(15, 6) NULL,
    SFZVTG NUMBER(15, 6) NULL,
    SFZVAN NUMBER(15, 6) NULL,
    SFZANS NUMBER(15, 6) NULL,
    SFZGEN NUMBER(15, 6) NULL,
    SFZVPL NUMBER(15, 6) NULL,
    SFZRST NUMBER(15, 6) NULL,
    SFZGVV NUMBER(10)    NULL,
    SFZDAT DATE          NULL,
    SFZERF VARCHAR2(60)  NULL,
    SFZSTA NUMBER(10)    NULL,
    CONSTRAINT ZTW332SFZ_PK PRIMARY KEY (SFZPNR, SFZDTM)
);

-- Carry-over into a year (month 0); SFVZUS is maintained by the time-management system.
CREATE TABLE &&TENANT..ZTW332SFV (
    SFVPNR VARCHAR2(12)  NOT NULL,
    SFVJHR NUMBER(10)    NOT NULL,
    SFVMAN NUMBER(10)    DEFAULT 0 NOT NULL,
    SFVVTG NUMBER(15, 6) NULL,
    SFVVAN NUMBER(15, 6) NULL,
    SFVZUS NUMBER(10)    NULL,
    SFVDAT DATE          NULL,
    SFVERF VARCHAR2(60)  NULL,
    SFVSTA NUMBER(10)    NULL,
    CONSTRAINT ZTW332SFV_PK PRIMARY KEY (SFVPNR, SFVJHR, SFVMAN)
);
