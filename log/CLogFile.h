// CLogFile: the run log, one text file that every write opens, appends one entry to and closes
// again, so that operators may read, move or delete it at any time. Above its size limit the file
// is moved to a single backup and a new file is begun. One instance per process (g_log); the
// calculation borrows it. Several processes may share one file: each entry is one append, and
// the rotation is serialised between them by a lock on the file.
#pragma once

#include <cstdint>

#include "base/CString.h"

// How much an entry matters to an operator. The file does not show it; a second destination that
// sorts entries by urgency (the journal) does.
enum class LogLevel { Info, Warning, Error };

class CLogFile {
public:
    CLogFile() = default;
    virtual ~CLogFile() = default;
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Size limit in bytes; 0 means never rotate.
    void SetMaxSize(int32_t nMaxSize);
    // Names the log strDirectory/strBaseName.log with the backup strDirectory/strBaseName.old.
    // Backslashes in the directory are this platform's slash. Touches no file.
    void SetFileName(const CString& strDirectory, const CString& strBaseName);
    // Appends strText as one entry, timestamped ("dd.mm.yyyy hh:mm:ss - ") or as a continuation
    // (22 blanks). The text is a value, never a format. Any failure drops the entry silently.
    void Write(const CString& strText, bool bTimestamp, LogLevel level = LogLevel::Info);

private:
    int OpenLockedLog() const;
    CString FormatEntry(const CString& strText, bool bTimestamp) const;

    CString m_logPath;
    CString m_oldPath;
    int32_t m_maxSize = 0;
};
