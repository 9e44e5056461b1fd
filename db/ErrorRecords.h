// Process-wide state of the error table ZTWBASIS.ZTW002ERR: set once an insert has shown that the
// table has no ERRNUM column; from then on every closing row is written without it. Never cleared.
#pragma once

extern bool g_errorTableWithoutNum;
