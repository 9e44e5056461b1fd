// CString: the one text type of the system. A counted, heap-held sequence of single-byte
// characters (Windows-1252 in every text the program writes). It owns its bytes; copies are
// independent. Not for use from more than one thread at a time.
#pragma once

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz);
    CString(const char* pch, int nLength);
    virtual ~CString() = default;
    CString(const CString&) = default;
    CString(CString&&) = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) = default;

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty();
    const char* GetString() const { return m_str.c_str(); }
    operator const char*() const { return m_str.c_str(); }
    char GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }

    // printf-style formatting; the text is replaced. "%%" yields one '%'.
    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // Removes blank, tab, line feed, carriage return, vertical tab and form feed.
    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    // ASCII letters only: the program's keys, prefixes and hex texts are ASCII, and an
    // upper-casing that depends on the process locale would make the same file read differently.
    CString& MakeUpper();

    // Position of the first occurrence at or after nStart, or -1.
    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    // Deletes nCount characters from nIndex on (clipped to the text); returns the new length.
    int Delete(int nIndex, int nCount = 1);

    CString& operator+=(const CString& str);
    CString& operator+=(char ch);
    friend CString operator+(const CString& a, const CString& b);
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == b; }

private:
    std::string m_str;
};
