#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/Blowfish.h"

CFuzzTempFile::CFuzzTempFile() {
    std::error_code ignored;
    std::string strPattern = (std::filesystem::temp_directory_path(ignored) / "kvt-fuzz-XXXXXX").string();
    m_nFd = mkstemp(strPattern.data());
    FuzzRequire(m_nFd >= 0, "the temporary file can be created");
    m_strPath = strPattern.c_str();
}

CFuzzTempFile::~CFuzzTempFile() {
    close(m_nFd);
    unlink(m_strPath);
}

void CFuzzTempFile::Rewrite(const uint8_t* pbData, size_t nSize) {
    FuzzRequire(ftruncate(m_nFd, 0) == 0, "the temporary file can be emptied");
    size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t nWritten = pwrite(m_nFd, pbData + nDone, nSize - nDone, static_cast<off_t>(nDone));
        FuzzRequire(nWritten > 0, "the temporary file can be written");
        nDone += static_cast<size_t>(nWritten);
    }
}

CFuzzTempFile& FuzzTempFile() {
    static CFuzzTempFile file;
    return file;
}

void FuzzRequire(bool bHolds, const char* pszProperty) {
    if (bHolds) {
        return;
    }
    std::fprintf(stderr, "kvt fuzz: property broken: %s\n", pszProperty);
    std::abort();
}

bool CipherContextIsWiped() {
    const auto* pb = reinterpret_cast<const unsigned char*>(&g_blowfishContext);
    for (size_t i = 0; i < sizeof(g_blowfishContext); ++i) {
        if (pb[i] != 0) {
            return false;
        }
    }
    return true;
}
