#include "tools/CryptConsole.h"

#include <string>

#include "report/CTextConverter.h"

bool PrintText(FILE* pFile, const CString& strText) {
    static CTextConverter converter(TerminalCharset());
    const std::string strBytes = converter.Convert(strText);
    return std::fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size();
}

void Complain(const CString& strText, const char* pszRaw) {
    const int nRaw = strText.Find("%s");
    if (nRaw < 0) {
        PrintText(stderr, "kvt-crypt: " + strText + "\n");
        return;
    }
    PrintText(stderr, "kvt-crypt: " + strText.Left(nRaw));
    std::fputs(pszRaw, stderr);
    PrintText(stderr, strText.Mid(nRaw + 2) + "\n");
}
