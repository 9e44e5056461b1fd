// CTextConverter: turns the system's Windows-1252 texts into the character set of the terminal
// (CSV and SVG, always UTF-8, take base/Cp1252). It owns one iconv descriptor for its life. A
// character that the terminal's set cannot show, and a byte that Windows-1252 leaves undefined,
// become '?', so that every character stays one character and a table keeps its columns. Not for
// use from more than one thread.
#pragma once

#include <iconv.h>

#include <string>

#include "base/CString.h"

class CTextConverter {
public:
    explicit CTextConverter(const char* pszCharset);
    virtual ~CTextConverter();
    CTextConverter(const CTextConverter&) = delete;
    CTextConverter& operator=(const CTextConverter&) = delete;

    // The text in the output's character set. Without a descriptor (an unknown set) every byte
    // outside ASCII becomes '?'.
    std::string Convert(const CString& strText);

private:
    iconv_t m_hIconv;
};

// A text typed in the terminal's character set (a personnel number on the command line) as
// Windows-1252. Where the set is unknown, or the text is not valid in it or has a character that
// Windows-1252 lacks, the bytes stay as they are: they may be Windows-1252 already.
CString Cp1252FromTerminal(const char* pszText);

// The character set of the terminal, as the user's locale names it (setlocale(LC_CTYPE, "") and
// nl_langinfo(CODESET)); "ANSI_X3.4-1968", which is ASCII, where no locale is set.
CString TerminalCharset();
