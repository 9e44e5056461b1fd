// ParamRecord: one request row of ZTWBASIS.ZTW002PRM, filled column by column by the ODBC driver.
// Text fields are zero-terminated and hold one character less than their size. The caller owns
// the record; the service run keeps one for the whole run and every read fills it anew.
#pragma once

#include <cstdint>
#include <cstring>

struct ParamRecord {
    char PRMNUM[12];  // request number; key of the delete
    int32_t PRMLFD;   // running number within the request; key of the delete
    int32_t PRMTYP;   // request type, 5 for the rows this program reads
    char PRMSCH[21];  // schema the request belongs to
    char PRMUSR[51];  // user the request belongs to
    int32_t PRMMAP;
    char PRMPNR[9];   // personnel number to calculate
    int32_t PRMDTM;   // request date yyyymmdd; 0 when the column is NULL
    int32_t PRMDBI;
    char PRMUHR[6];   // request time "hh:mm"
    char PRMFCD[4];
    char PRMABT[16];
    char PRMKST[31];
    char PRMKTR[7];
    char PRMKRT[5];
    char PRMVRA[6];
    char PRMAZT[7];
    char PRMTXT[12];
    int32_t PRMLOE;
    int32_t PRMBUC;
    int32_t PRMVKD;
    int32_t PRMSTS;
    char PRMERF[51];  // who entered the request; carried into the result rows

    // Not a column of its own: PRMNUM as the table holds it, the key of the delete. A number longer
    // than its field would otherwise never match its row, and the request would be read again and
    // again, blocking every request behind it.
    char storedNumber[101];
    // Not a column of its own either: PRMPNR as the table holds it, so that a personnel number
    // longer than its field is refused instead of being taken for the person its first eight
    // characters name.
    char storedPnr[101];
};

// Whether two records are the same request as read: the same key. A key that cannot be read as the
// table holds it (a NUL byte, a character Windows-1252 lacks) may compare in the table as lying
// before or after itself; a lookup around a request can then find the request itself.
inline bool IsSameRequest(const ParamRecord& a, const ParamRecord& b) {
    return std::strncmp(a.storedNumber, b.storedNumber, sizeof(a.storedNumber)) == 0 && a.PRMLFD == b.PRMLFD &&
           a.PRMTYP == b.PRMTYP;
}
