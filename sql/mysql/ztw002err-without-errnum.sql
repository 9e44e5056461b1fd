-- ZTWBASIS.ZTW002ERR in its older form without ERRNUM, as some installations still have it.
-- Recreates the table empty; ztw002err.sql brings back the current form.

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
    KEY ZTW002ERR_PRM (ERRPRM, ERRLFD, ERRTYP)
) ENGINE = InnoDB;
