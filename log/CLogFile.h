// CLogFile: the run log, one text file that every write opens, appends one entry to and closes
// again, so that operators may read, move or delete it at any time. Above its size limit the file
// is moved to a single backup and a new file is begun. One instance per process (g_log); the
// calculation borrows it. Several processes may share one file: each entry is one append, and
// the rotation is serialised between them by a lock on the file. When kvt runs as a systemd service
// every entry is also handed to a mirror (the journal), which the entry function installs.
#pragma once

#include <cstdint>

#include "base/CString.h"

// How much an entry matters to an operator. The file does not show it; a second destination that
// sorts entries by urgency (the journal) does.
enum class LogLevel { Info, Warning, Error };

// A second destination of the entries: the text without timestamp, in Windows-1252, and its level.
using LogMirror = void (*)(const CString& strText, LogLevel level);

// The text of an entry as one line. The diagnostics of drivers and servers, and some of the
// program's own texts, hold line breaks; an entry spread over several lines reads as several
// entries, in the file as in the journal. Each line break becomes one space, together with the
// blanks around it; at the beginning and the end of the text it is dropped.
CString OneLine(const CString& strText);

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
    // Appends strText as one entry, on one line, timestamped ("dd.mm.yyyy hh:mm:ss - ") or as a
    // continuation (22 blanks), and hands it to the mirror. The text is a value, never a format. A failure of
    // the file drops the entry; the first one, and the first after the file took entries again, is
    // reported through Notice, so that an operator learns that the record has a gap.
    void Write(const CString& strText, bool bTimestamp, LogLevel level = LogLevel::Info);
    // An entry that ends the run: written as an error entry and, where no mirror takes it (the
    // journal), also to standard error after "kvt: ", so that an operator at a terminal sees why.
    void WriteFatal(const CString& strText);
    // Entries written with LogLevel::Error since the log was named, whether the file took them or
    // not; the service run compares it around a request to learn whether the request failed.
    int ErrorCount() const { return m_nErrors; }

    // Every later entry also goes to pfnMirror (nullptr: none).
    void SetMirror(LogMirror pfnMirror);
    bool HasMirror() const { return m_pfnMirror != nullptr; }
    // A line for the operator outside the file (start-up errors, an unusable log file), also before
    // the log is named: to the mirror when there is one (standard error is the journal then),
    // otherwise to standard error with a line break.
    void Notice(const CString& strLine, LogLevel level) const;

private:
    bool WriteToFile(const CString& strText, bool bTimestamp) const;
    void TrackUsable(bool bWritten, int nError);
    int OpenLockedLog() const;
    CString FormatEntry(const CString& strText, bool bTimestamp) const;

    CString m_logPath;
    CString m_oldPath;
    int32_t m_maxSize = 0;
    LogMirror m_pfnMirror = nullptr;
    bool m_bUnusable = false;  // the last write to the file failed and was reported
    int m_nErrors = 0;
};
