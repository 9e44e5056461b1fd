// Helpers shared by the fuzz targets: the one temporary file of a fuzzing process, the check that
// turns a broken property into a finding, and the look at the process-wide cipher context.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/CString.h"

// A file of its own in the temporary directory (TMPDIR), created with the object and removed with
// it. The object owns the name and the open descriptor. A run that ends in a finding leaves the
// file behind; scripts/fuzz points TMPDIR into the fuzz build tree for that reason.
class CFuzzTempFile {
public:
    CFuzzTempFile();
    virtual ~CFuzzTempFile();
    CFuzzTempFile(const CFuzzTempFile&) = delete;
    CFuzzTempFile& operator=(const CFuzzTempFile&) = delete;

    const CString& GetPath() const { return m_strPath; }
    // Replaces the whole content with these bytes.
    void Rewrite(const uint8_t* pbData, size_t nSize);

private:
    CString m_strPath;
    int m_nFd = -1;
};

// The temporary file of this process, created at the first call and removed at exit.
CFuzzTempFile& FuzzTempFile();

// Ends the process as a finding, naming the property on standard error, unless it holds.
void FuzzRequire(bool bHolds, const char* pszProperty);

// True when the process-wide cipher context holds only zeros, as it must outside a decryption.
bool CipherContextIsWiped();
