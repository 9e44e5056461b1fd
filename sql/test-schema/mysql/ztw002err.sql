-- ZTWBASIS.ZTW002ERR, the error table of the test server: one closing row per processed request.
-- Creates the table, and stops where it exists; ztw002err-without-errnum.sql is the older form
-- without ERRNUM, and the tests drop one to create the other.
--
-- No unique key: a request that stays in the request table is processed, and closed, again.
-- ERRDAT and ERRUHR stay nullable because a request may carry no date.

CREATE TABLE ZTWBASIS.ZTW002ERR (
    ERRPRM VARCHAR(20) NOT NULL,
    ERRLFD INT         NOT NULL,
    ERRTYP INT         NOT NULL,
    ERRPNR VARCHAR(12) NULL,
    ERRFCD VARCHAR(8)  NULL,
    ERRDAT DATE        NULL,
    ERRUHR DATETIME    NULL,
    ERRKEY INT         NOT NULL DEFAULT 0,
    ERRNUM INT         NOT NULL DEFAULT 0,
    KEY ZTW002ERR_PRM (ERRPRM, ERRLFD, ERRTYP)
) ENGINE = InnoDB;
