// Texts of fixed-size record fields filled by the ODBC driver.
#pragma once

#include <cstddef>

#include "base/CString.h"

inline CString FieldText(const char* pchField, size_t nSize) {
    size_t nLength = 0;
    while (nLength < nSize && pchField[nLength] != '\0') {
        ++nLength;
    }
    return CString(pchField, static_cast<int>(nLength));
}

// Ends the field at its last byte. A text longer than its field must arrive cut to the field less
// one, but MariaDB Connector/ODBC 3.1 fills the whole field and writes no terminating zero.
template <size_t N>
void TerminateField(char (&field)[N]) {
    field[N - 1] = '\0';
}
