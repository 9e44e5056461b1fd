#include "report/CTextConverter.h"

#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstdint>

namespace {

// iconv_open answers a character set it does not know with (iconv_t)-1.
bool IsDescriptor(iconv_t hIconv) {
    return reinterpret_cast<intptr_t>(hIconv) != -1;
}

}  // namespace

CTextConverter::CTextConverter(const char* pszCharset) : m_hIconv(iconv_open(pszCharset, "WINDOWS-1252")) {}

CTextConverter::~CTextConverter() {
    if (IsDescriptor(m_hIconv)) {
        iconv_close(m_hIconv);
    }
}

// One character at a time where the conversion refuses one: the rest of the text still converts.
std::string CTextConverter::Convert(const CString& strText) {
    std::string strOut;
    if (!IsDescriptor(m_hIconv)) {
        for (int i = 0; i < strText.GetLength(); ++i) {
            const char ch = strText.GetAt(i);
            strOut += static_cast<unsigned char>(ch) < 0x80 ? ch : '?';
        }
        return strOut;
    }
    iconv(m_hIconv, nullptr, nullptr, nullptr, nullptr);
    char* pIn = const_cast<char*>(strText.GetString());
    size_t nInLeft = static_cast<size_t>(strText.GetLength());
    char buffer[1024];
    while (nInLeft > 0) {
        char* pOut = buffer;
        size_t nOutLeft = sizeof(buffer);
        const size_t nDone = iconv(m_hIconv, &pIn, &nInLeft, &pOut, &nOutLeft);
        const int nError = errno;
        strOut.append(buffer, static_cast<size_t>(pOut - buffer));
        if (nDone == static_cast<size_t>(-1) && nError != E2BIG) {
            strOut += '?';
            ++pIn;
            --nInLeft;
        }
    }
    return strOut;
}

CString Cp1252FromTerminal(const char* pszText) {
    iconv_t hIconv = iconv_open("WINDOWS-1252", TerminalCharset());
    if (!IsDescriptor(hIconv)) {
        return CString(pszText);
    }
    std::string strIn(pszText);
    std::string strOut(strIn.size(), '\0');
    char* pIn = strIn.data();
    size_t nInLeft = strIn.size();
    char* pOut = strOut.data();
    size_t nOutLeft = strOut.size();
    const bool bConverted = iconv(hIconv, &pIn, &nInLeft, &pOut, &nOutLeft) != static_cast<size_t>(-1);
    iconv_close(hIconv);
    if (!bConverted) {
        return CString(pszText);
    }
    return CString(strOut.data(), static_cast<int>(strOut.size() - nOutLeft));
}

CString TerminalCharset() {
    std::setlocale(LC_CTYPE, "");
    return CString(nl_langinfo(CODESET));
}
