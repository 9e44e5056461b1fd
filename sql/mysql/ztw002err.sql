-- ZTWBASIS.ZTW002ERR, the error table: one closing row per processed request. Recreates the
-- table empty; ztw002err-without-errnum.sql is the older form without ERRNUM.
--
-- No unique key: a request that stays in the request table is processed, and closed, again.
-- ERRDAT and ERRUHR stay nullable because a request may carry no date.

DROP TABLE IF EXISTS ZTWBASIS.ZTW002ERR;
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
