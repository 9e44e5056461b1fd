-- One tenant schema with the tables of the shift free-time calculation, SQL Server form, made from
-- scratch for a test or demo database (the tests run the MariaDB form in ../mysql); it documents
-- the tables kvt uses. The script stops at the first error, such as a schema that exists. Run
-- with sqlcmd in the application database, naming the schema:
--   sqlcmd -S server -d database -v TENANT=KVTTEST -i tenant.sql
-- The batch's login needs SELECT on every table, and INSERT and DELETE on ZTW332SFZ and ZTW332SFV.
--
-- Text columns are wider than the batch's fields (personnel number 8, rule code 5), which cut
-- over-long values when they are read. Shares and day counts carry six decimals, as the batch
-- writes them. Dates are DATETIME like the batch's conversions; calendar days hold midnight.

:on error exit

CREATE SCHEMA $(TENANT);
GO

-- Persons; the per-day query joins the calendar with the one row of the personnel number.
CREATE TABLE $(TENANT).ZTW300PNR (
    PNRNUM VARCHAR(12) NOT NULL,
    CONSTRAINT ZTW300PNR_PK PRIMARY KEY (PNRNUM)
);

-- Free-time rules: how many shares make a free day, in which steps part days are granted, the
-- yearly cap, the month after which carry-over expires and the last month of the accounting
-- year (NULL: the calendar year).
CREATE TABLE $(TENANT).ZTW155KVT (
    KVTMOD VARCHAR(8) NOT NULL,
    KVTANZ INT        NULL,
    KVTTKT INT        NULL,
    KVTMAX INT        NULL,
    KVTVMO INT        NULL,
    KVTJMO INT        NULL,
    CONSTRAINT ZTW155KVT_PK PRIMARY KEY (KVTMOD)
);

-- Contract periods of a person with their free-time rule; BSVGBI NULL is open-ended.
CREATE TABLE $(TENANT).ZTW310BSV (
    BSVPNR VARCHAR(12) NOT NULL,
    BSVGVO DATETIME    NOT NULL,
    BSVGBI DATETIME    NULL,
    BSVKVT VARCHAR(8)  NOT NULL,
    CONSTRAINT ZTW310BSV_PK PRIMARY KEY (BSVPNR, BSVGVO)
);

-- Shares a rule grants for a working-time model once the day's maximum reaches SF1MIN.
-- Several thresholds per rule and model may apply at once, so the key is not unique.
CREATE TABLE $(TENANT).ZTW155SF1 (
    SF1NUM VARCHAR(8)     NOT NULL,
    SF1AZT VARCHAR(10)    NOT NULL,
    SF1MIN DECIMAL(9, 2)  NOT NULL,
    SF1ANT DECIMAL(15, 6) NOT NULL
);
CREATE CLUSTERED INDEX ZTW155SF1_AZT ON $(TENANT).ZTW155SF1 (SF1NUM, SF1AZT);

-- Time entries: the working-time model a person worked from a day on; a day may have several.
CREATE TABLE $(TENANT).ZTW329ZTG (
    ZTGPNR VARCHAR(12) NOT NULL,
    ZTGVON DATETIME    NOT NULL,
    ZTGAZT VARCHAR(10) NOT NULL
);
CREATE CLUSTERED INDEX ZTW329ZTG_DAY ON $(TENANT).ZTW329ZTG (ZTGPNR, ZTGVON);

-- Day balances, one per person and day.
CREATE TABLE $(TENANT).ZTW320TGB (
    TGBPNR VARCHAR(12)   NOT NULL,
    TGBDTM DATETIME      NOT NULL,
    TGBZTR INT           NOT NULL,
    TGBMAX DECIMAL(9, 2) NOT NULL,
    CONSTRAINT ZTW320TGB_PK PRIMARY KEY (TGBPNR, TGBDTM)
);

-- Day records, one per person and day: a whole day (TAGTGB) or half days (TAGHTV, TAGHTN) off.
CREATE TABLE $(TENANT).ZTW327TAG (
    TAGPNR VARCHAR(12) NOT NULL,
    TAGTAG DATETIME    NOT NULL,
    TAGTGB VARCHAR(4)  NULL,
    TAGHTV VARCHAR(4)  NULL,
    TAGHTN VARCHAR(4)  NULL,
    CONSTRAINT ZTW327TAG_PK PRIMARY KEY (TAGPNR, TAGTAG)
);

-- Absence codes; FCDFCD 25 marks shift free time. The second index lets the count of booked
-- days pick the few codes of a kind from the index instead of scanning the table.
CREATE TABLE $(TENANT).ZTW131FCD (
    FCDNUM VARCHAR(4) NOT NULL,
    FCDFCD INT        NOT NULL,
    CONSTRAINT ZTW131FCD_PK PRIMARY KEY (FCDNUM)
);
CREATE INDEX ZTW131FCD_FCD ON $(TENANT).ZTW131FCD (FCDFCD, FCDNUM);

-- Absence bookings of a person from a day on; a day may carry several. The count of booked days
-- reads the person's bookings of the year again for every calendar day; the clustered index keeps
-- them together in day order with their function and code, so no second lookup is needed.
CREATE TABLE $(TENANT).ZTW321BCH (
    BCHPNR VARCHAR(12) NOT NULL,
    BCHVON DATETIME    NOT NULL,
    BCHFKT INT         NOT NULL,
    BCHFCD VARCHAR(4)  NOT NULL
);
CREATE CLUSTERED INDEX ZTW321BCH_DAY ON $(TENANT).ZTW321BCH (BCHPNR, BCHVON);

-- Daily results of the calculation; the batch deletes a range of days and inserts it anew.
CREATE TABLE $(TENANT).ZTW332SFZ (
    SFZPNR VARCHAR(12)    NOT NULL,
    SFZDTM DATETIME       NOT NULL,
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
    CONSTRAINT ZTW332SFZ_PK PRIMARY KEY (SFZPNR, SFZDTM)
);

-- Carry-over into a year (month 0); SFVZUS is maintained by the time-management system.
CREATE TABLE $(TENANT).ZTW332SFV (
    SFVPNR VARCHAR(12)    NOT NULL,
    SFVJHR INT            NOT NULL,
    SFVMAN INT            NOT NULL CONSTRAINT ZTW332SFV_MAN DEFAULT 0,
    SFVVTG DECIMAL(15, 6) NULL,
    SFVVAN DECIMAL(15, 6) NULL,
    SFVZUS INT            NULL,
    SFVDAT DATETIME       NULL,
    SFVERF VARCHAR(60)    NULL,
    SFVSTA INT            NULL,
    CONSTRAINT ZTW332SFV_PK PRIMARY KEY (SFVPNR, SFVJHR, SFVMAN)
);
GO
