#include "config/CipherKey.h"

void AssembleCipherKey(CString& strKey) {
    // Put together one character at a time so that the key never appears as one string in the
    // binary, where a search for printable strings would find it.
    strKey.Empty();
    strKey += 'q';
    strKey += 'R';
    strKey += '7';
    strKey += 't';
    strKey += 'M';
    strKey += '2';
    strKey += 'x';
}
