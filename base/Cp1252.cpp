#include "base/Cp1252.h"

#include <cstdint>

namespace {

// The characters of the bytes 80 to 9F; the rest of the upper half is Latin-1.
const uint16_t kUpperC1[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                               0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& strOut, uint32_t nCode) {
    if (nCode < 0x80) {
        strOut += static_cast<char>(nCode);
    } else if (nCode < 0x800) {
        strOut += static_cast<char>(0xC0 | (nCode >> 6));
        strOut += static_cast<char>(0x80 | (nCode & 0x3F));
    } else {
        strOut += static_cast<char>(0xE0 | (nCode >> 12));
        strOut += static_cast<char>(0x80 | ((nCode >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (nCode & 0x3F));
    }
}

}  // namespace

std::string Utf8FromCp1252(const CString& strText) {
    std::string strOut;
    strOut.reserve(static_cast<size_t>(strText.GetLength()));
    for (int i = 0; i < strText.GetLength(); ++i) {
        const auto nByte = static_cast<unsigned char>(strText.GetAt(i));
        AppendUtf8(strOut, nByte >= 0x80 && nByte < 0xA0 ? kUpperC1[nByte - 0x80] : nByte);
    }
    return strOut;
}
