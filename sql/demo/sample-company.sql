-- A small sample company for the demo: five shift workers of one plant in the tenant schema
-- @TENANT@, with their free-time rules, contracts, a year of shifts and day balances, bookings
-- of shift free time (whole and half days), vacation that does not count, and carry-over rows.
-- MariaDB form; scripts/demo replaces @TENANT@.
USE @TENANT@;

-- Persons
INSERT INTO ZTW300PNR (PNRNUM) VALUES ('1001'), ('1002'), ('1003'), ('1004'), ('1005');

-- Free-time rules: KVTANZ shares make a free day, part days in steps of KVTTKT shares, at most
-- KVTMAX shares a year, carry-over usable until the end of month KVTVMO, the accounting year ends
-- with month KVTJMO (NULL: the calendar year).
INSERT INTO ZTW155KVT (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) VALUES
    ('SF10', 10, 5, 300, 3, NULL),
    ('SF08', 8, 4, 240, 3, 12),
    ('SF09', 10, 5, 300, 12, 9);

-- Contracts: Anna and Dieter all year, Bernd changes rule on 1 July, Carla works on a fiscal year
-- from October, Emine joins on 1 April.
INSERT INTO ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES
    ('1001', '2019-01-01', NULL, 'SF10'),
    ('1002', '2020-03-01', '2025-06-30', 'SF10'),
    ('1002', '2025-07-01', NULL, 'SF08'),
    ('1003', '2018-10-01', NULL, 'SF09'),
    ('1004', '2021-01-01', NULL, 'SF10'),
    ('1005', '2025-04-01', NULL, 'SF10');

-- Shares per shift model: night shifts (N) earn more than late shifts (S); both only on days
-- whose longest stretch reaches SF1MIN hours. Early shifts (F) earn nothing.
INSERT INTO ZTW155SF1 (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES
    ('SF10', 'N', 6.00, 0.500000),
    ('SF10', 'S', 6.00, 0.250000),
    ('SF08', 'N', 6.00, 0.500000),
    ('SF08', 'S', 6.00, 0.250000),
    ('SF09', 'N', 6.00, 0.500000),
    ('SF09', 'S', 6.00, 0.250000);

-- A working day per person from October 2024 to September 2026, Monday to Friday, rotating
-- weekly through early, late and night shifts (each person in a different phase); Dieter works
-- part time (4 hours: his shifts never qualify in the first half of the year).
INSERT INTO ZTW329ZTG (ZTGPNR, ZTGVON, ZTGAZT)
SELECT p.PNRNUM, c.BAKDTM, ELT(MOD(WEEK(c.BAKDTM, 3) + p.PNRNUM, 3) + 1, 'F', 'S', 'N')
FROM   ZTWBASIS.ZTW133BAK c, ZTW300PNR p
WHERE  c.BAKDTM BETWEEN '2024-10-01' AND '2026-09-30'
AND    WEEKDAY(c.BAKDTM) < 5;

INSERT INTO ZTW320TGB (TGBPNR, TGBDTM, TGBZTR, TGBMAX)
SELECT ZTGPNR, ZTGVON, 1,
       CASE WHEN ZTGPNR = '1004' AND ZTGVON < '2025-07-01' THEN 4.00 ELSE 8.00 END
FROM   ZTW329ZTG;

-- Absence codes: 25 is shift free time; vacation (10) is not counted.
INSERT INTO ZTW131FCD (FCDNUM, FCDFCD) VALUES ('SFZ', 25), ('URL', 10);

-- Bookings: whole days (TAGTGB), first halves (TAGHTV) and second halves (TAGHTN).
INSERT INTO ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD) VALUES
    ('1001', '2025-02-14', 1, 'SFZ'), ('1001', '2025-03-21', 1, 'SFZ'), ('1001', '2025-05-30', 1, 'SFZ'),
    ('1001', '2025-08-11', 1, 'URL'), ('1001', '2025-10-17', 1, 'SFZ'), ('1001', '2025-12-22', 1, 'SFZ'),
    ('1002', '2025-01-10', 1, 'SFZ'), ('1002', '2025-04-04', 2, 'SFZ'), ('1002', '2025-09-05', 1, 'SFZ'),
    ('1002', '2025-11-28', 3, 'SFZ'),
    ('1003', '2025-11-14', 1, 'SFZ'), ('1003', '2026-02-20', 1, 'SFZ'), ('1003', '2026-06-12', 1, 'SFZ'),
    ('1004', '2025-03-07', 1, 'SFZ'), ('1004', '2025-09-19', 1, 'SFZ'),
    ('1005', '2025-08-29', 1, 'SFZ');
INSERT INTO ZTW327TAG (TAGPNR, TAGTAG, TAGTGB, TAGHTV, TAGHTN) VALUES
    ('1001', '2025-02-14', 'X', NULL, NULL), ('1001', '2025-03-21', 'X', NULL, NULL),
    ('1001', '2025-05-30', NULL, 'X', NULL), ('1001', '2025-08-11', 'X', NULL, NULL),
    ('1001', '2025-10-17', 'X', NULL, NULL), ('1001', '2025-12-22', NULL, NULL, 'X'),
    ('1002', '2025-01-10', 'X', NULL, NULL), ('1002', '2025-04-04', NULL, 'X', NULL),
    ('1002', '2025-09-05', 'X', NULL, NULL), ('1002', '2025-11-28', NULL, NULL, 'X'),
    ('1003', '2025-11-14', 'X', NULL, NULL), ('1003', '2026-02-20', NULL, 'X', NULL),
    ('1003', '2026-06-12', 'X', NULL, NULL),
    ('1004', '2025-03-07', NULL, 'X', NULL), ('1004', '2025-09-19', 'X', NULL, NULL),
    ('1005', '2025-08-29', 'X', NULL, NULL);

-- Carry-over into 2025 (Carla: into the fiscal year that starts in October 2025); SFVZUS is the
-- shares the year starts with. Emine is new and has none.
INSERT INTO ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS, SFVDAT, SFVERF, SFVSTA) VALUES
    ('1001', 2025, 0, 2.000000, 3.000000, 4, '2025-01-02 06:00:00', CONCAT('Lohnb', X'FC', 'ro'), 1),
    ('1002', 2025, 0, 1.500000, 0.000000, 0, '2025-01-02 06:00:00', CONCAT('Lohnb', X'FC', 'ro'), 1),
    ('1003', 2025, 0, 0.500000, 2.000000, 0, '2025-10-01 06:00:00', CONCAT('Lohnb', X'FC', 'ro'), 1),
    ('1004', 2025, 0, 1.000000, 0.000000, 2, '2025-01-02 06:00:00', CONCAT('Lohnb', X'FC', 'ro'), 1);
