#include "db/SqlText.h"

bool IsPlainIdentifier(const CString& strName) {
    if (strName.IsEmpty()) {
        return false;
    }
    for (int i = 0; i < strName.GetLength(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strName.GetAt(i));
        const bool bPlain = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
                            ch == '_' || ch == '$' || ch == '#' || ch >= 0x80;
        if (!bPlain) {
            return false;
        }
    }
    return true;
}

CString WithSchema(const char* pszTemplate, const CString& strSchema, const char* pszOwner) {
    CString strText;
    for (const char* p = pszTemplate; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            strText += strSchema;
            ++p;
        } else if (p[0] == '%' && p[1] == 'o') {
            strText += pszOwner;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            strText += '%';
            ++p;
        } else {
            strText += *p;
        }
    }
    return strText;
}
