// The values kvt-crypt takes: read one line at a time from standard input, on a terminal after a
// prompt on standard error and, for secrets, without echo; checked to fit one line of the
// configuration file; enciphered with the program's key and block layout. Secrets are never taken
// from the command line, where other users could see them. Single-threaded use.
#pragma once

#include "base/CString.h"

// Reads one line without its line break (LF or CR LF); bHidden turns the echo off on a terminal.
// False at the end of the input.
bool ReadLine(const char* pszPrompt, bool bHidden, CString& strLine);

// A zero byte would end the value early when it is deciphered, and a line break cannot be typed
// at a prompt or carried in one line of a script. Both report on standard error and return false.
bool ReportBadValue(const char* pszName);
bool CheckValue(const CString& strValue, const char* pszName);

CString Encipher(const CString& strPlain);
