// Byte texts for the hostile-input suites: a run of byte values, and bytes shown as hex digits so
// that a failed comparison of Windows-1252 texts is readable.
#pragma once

#include <string>

inline std::string Hex(const std::string& strBytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string strHex;
    for (unsigned char ch : strBytes) {
        strHex += kDigits[ch >> 4];
        strHex += kDigits[ch & 0x0F];
    }
    return strHex;
}

// The bytes from nFirst to nLast, as one text.
inline std::string Bytes(int nFirst, int nLast) {
    std::string strBytes;
    for (int n = nFirst; n <= nLast; ++n) {
        strBytes += static_cast<char>(n);
    }
    return strBytes;
}
