-- ZTWBASIS.ZTW002ERR of the test server in its older form without ERRNUM, as some installations
-- still have it. Creates the table, and stops where it exists; ztw002err.sql is the current form.

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
