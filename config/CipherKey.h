// The built-in key of the enciphered configuration values, shared by the program's reader and the
// kvt-crypt tool so that both always agree. The caller owns the text and must Empty() it as soon as
// the cipher has been keyed.
#pragma once

#include "base/CString.h"

// Replaces strKey with the 7-character key.
void AssembleCipherKey(CString& strKey);
