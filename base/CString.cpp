#include "base/CString.h"

#include <locale.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

bool IsTrimmedSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Numbers in statement texts and log lines always carry a point as decimal separator, whatever
// locale a library may have set for the process.
locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return classic;
}

}  // namespace

CString::CString(const char* psz) : m_str(psz != nullptr ? psz : "") {}

CString::CString(const char* pch, int nLength)
    : m_str(pch != nullptr && nLength > 0 ? std::string(pch, static_cast<size_t>(nLength)) : std::string()) {}

void CString::Empty() {
    // The text may have held a secret (the password of a connection): overwrite before release.
    std::fill(m_str.begin(), m_str.end(), '\0');
    m_str.clear();
    m_str.shrink_to_fit();
}

void CString::Format(const char* pszFormat, ...) {
    const locale_t previous = uselocale(ClassicLocale());
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    const int nNeeded = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (nNeeded < 0) {
        m_str.clear();
        va_end(args);
        uselocale(previous);
        return;
    }
    std::string result(static_cast<size_t>(nNeeded) + 1, '\0');
    std::vsnprintf(result.data(), result.size(), pszFormat, args);
    va_end(args);
    uselocale(previous);
    result.resize(static_cast<size_t>(nNeeded));
    m_str.swap(result);
}

CString& CString::Trim() {
    TrimRight();
    return TrimLeft();
}

CString& CString::TrimLeft() {
    size_t nFirst = 0;
    while (nFirst < m_str.size() && IsTrimmedSpace(m_str[nFirst])) {
        ++nFirst;
    }
    m_str.erase(0, nFirst);
    return *this;
}

CString& CString::TrimRight() {
    size_t nEnd = m_str.size();
    while (nEnd > 0 && IsTrimmedSpace(m_str[nEnd - 1])) {
        --nEnd;
    }
    m_str.resize(nEnd);
    return *this;
}

CString& CString::MakeUpper() {
    for (char& ch : m_str) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return *this;
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength()) {
        return -1;
    }
    const size_t nPos = m_str.find(ch, static_cast<size_t>(nStart));
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

int CString::Find(const char* pszSub, int nStart) const {
    if (pszSub == nullptr || nStart < 0 || nStart > GetLength()) {
        return -1;
    }
    const size_t nPos = m_str.find(pszSub, static_cast<size_t>(nStart));
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

CString CString::Left(int nCount) const {
    if (nCount <= 0) {
        return CString();
    }
    return CString(m_str.data(), std::min(nCount, GetLength()));
}

CString CString::Mid(int nFirst) const {
    if (nFirst < 0) {
        nFirst = 0;
    }
    if (nFirst >= GetLength()) {
        return CString();
    }
    return CString(m_str.data() + nFirst, GetLength() - nFirst);
}

int CString::Delete(int nIndex, int nCount) {
    if (nIndex >= 0 && nIndex < GetLength() && nCount > 0) {
        m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    }
    return GetLength();
}

CString& CString::operator+=(const CString& str) {
    m_str += str.m_str;
    return *this;
}

CString& CString::operator+=(char ch) {
    m_str += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}
