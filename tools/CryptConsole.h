// What kvt-crypt says to its user: usage, prompts and refusals. The texts are Windows-1252 in the
// program and are written in the character set of the user's terminal (the locale's), as
// kvt-report writes its tables; a character the set lacks shows as '?'. The values that kvt-crypt
// reads, enciphers and deciphers are data and travel as they are. Single-threaded use.
#pragma once

#include <cstdio>

#include "base/CString.h"

// Writes strText to pFile in the terminal's character set; false when the stream failed.
bool PrintText(FILE* pFile, const CString& strText);
// "kvt-crypt: ", the text and a line break on standard error. A path or a name that the user gave
// is in the terminal's set already: pszRaw goes unconverted in place of the text's "%s".
void Complain(const CString& strText, const char* pszRaw = "");
