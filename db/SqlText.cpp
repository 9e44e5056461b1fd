#include "db/SqlText.h"

CString SqlQuoted(const CString& strValue, SqlDialect dialect) {
    CString strQuoted;
    for (int i = 0; i < strValue.GetLength(); ++i) {
        const char ch = strValue.GetAt(i);
        if (ch == '\'' || (ch == '\\' && dialect == SqlDialect::MySql)) {
            strQuoted += ch;
        }
        strQuoted += ch;
    }
    return strQuoted;
}

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
