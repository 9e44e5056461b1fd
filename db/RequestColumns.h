// The select list of every read of requests in ZTWBASIS.ZTW002PRM, one per product: the 23
// columns in the order in which the reader binds them (BindRequestColumns in RequestRecords.cpp).
// The date items arrive as yyyymmdd texts, the time as HH:MM. They are literals, so that a
// statement's text is still one constant: "SELECT " KVT_REQUEST_COLUMNS_MYSQL "FROM ...".
#pragma once

#define KVT_REQUEST_COLUMNS(DTM, DBI, UHR)        \
    "PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"     \
    "        PRMMAP, PRMPNR,"                     \
    "        " DTM ","                            \
    "        " DBI ","                            \
    "        " UHR ","                            \
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"     \
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"     \
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"     \
    "        PRMERF "

#define KVT_REQUEST_COLUMNS_ORACLE                                                           \
    KVT_REQUEST_COLUMNS("TO_CHAR(PRMDTM, 'yyyymmdd')", "TO_CHAR(PRMDBI, 'yyyymmdd')", \
                        "TO_CHAR(PRMUHR, 'HH24:mi')")

#define KVT_REQUEST_COLUMNS_MSSQL                                                                  \
    KVT_REQUEST_COLUMNS("CONVERT(CHAR(8), PRMDTM, 112)", "CONVERT(CHAR(8), PRMDBI, 112)", \
                        "CONVERT(CHAR(5), PRMUHR, 108)")

// "%%" because the statement texts pass through WithSchema, which makes it one '%'.
#define KVT_REQUEST_COLUMNS_MYSQL                                                                    \
    KVT_REQUEST_COLUMNS("DATE_FORMAT(PRMDTM, '%%Y%%m%%d')", "DATE_FORMAT(PRMDBI, '%%Y%%m%%d')", \
                        "DATE_FORMAT(PRMUHR, '%%H:%%i')")
