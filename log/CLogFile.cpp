#include "log/CLogFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// An entry is written with one write call on a file opened for appending, so that entries of
// processes sharing the file never interleave.
bool WriteWhole(int fd, const CString& strEntry) {
    const char* p = strEntry.GetString();
    ssize_t nLeft = strEntry.GetLength();
    while (nLeft > 0) {
        const ssize_t nWritten = write(fd, p, static_cast<size_t>(nLeft));
        if (nWritten <= 0) {
            return false;
        }
        p += nWritten;
        nLeft -= nWritten;
    }
    return true;
}

bool IsSameFile(int fd, const char* pszPath) {
    struct stat opened {};
    struct stat named {};
    return fstat(fd, &opened) == 0 && stat(pszPath, &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Only a regular file is a log: a FIFO without a reader would block the program for good, and
// its stop signals with it. The entries name persons and their balances: the file is for the
// service's own group, not for everybody.
int OpenForAppend(const char* pszPath) {
    const int fd = open(pszPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0640);
    struct stat info {};
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

}  // namespace

CString OneLine(const CString& strText) {
    if (strText.Find('\n') < 0 && strText.Find('\r') < 0) {
        return strText;
    }
    CString strLine;
    bool bBreak = false;
    for (int i = 0; i < strText.GetLength(); ++i) {
        const char ch = strText.GetAt(i);
        if (ch == '\n' || ch == '\r') {
            strLine.TrimRight();
            bBreak = true;
        } else if (!bBreak || (ch != ' ' && ch != '\t')) {
            if (bBreak && !strLine.IsEmpty()) {
                strLine += ' ';
            }
            bBreak = false;
            strLine += ch;
        }
    }
    return strLine;
}

void CLogFile::SetMaxSize(int32_t nMaxSize) {
    m_maxSize = nMaxSize;
}

void CLogFile::SetFileName(const CString& strDirectory, const CString& strBaseName) {
    CString strDir(strDirectory);
    for (int i = strDir.Find('\\'); i >= 0; i = strDir.Find('\\', i + 1)) {
        strDir = strDir.Left(i) + "/" + strDir.Mid(i + 1);
    }
    m_logPath = strDir + "/" + strBaseName + ".log";
    m_oldPath = strDir + "/" + strBaseName + ".old";
}

void CLogFile::SetMirror(LogMirror pfnMirror) {
    m_pfnMirror = pfnMirror;
}

void CLogFile::Write(const CString& strText, bool bTimestamp, LogLevel level) {
    if (m_logPath.IsEmpty()) {
        return;
    }
    if (level == LogLevel::Error) {
        ++m_nErrors;
    }
    if (m_pfnMirror != nullptr) {
        m_pfnMirror(strText, level);
    }
    errno = 0;
    const bool bWritten = WriteToFile(strText, bTimestamp);
    TrackUsable(bWritten, errno);
}

void CLogFile::WriteFatal(const CString& strText) {
    Write(strText, true, LogLevel::Error);
    if (m_pfnMirror == nullptr) {
        std::fprintf(stderr, "kvt: %s\n", strText.GetString());
        std::fflush(stderr);
    }
}

void CLogFile::Notice(const CString& strLine, LogLevel level) const {
    if (m_pfnMirror != nullptr) {
        m_pfnMirror(strLine, level);
        return;
    }
    std::fprintf(stderr, "%s\n", strLine.GetString());
    std::fflush(stderr);
}

// One line per outage: a missing log directory would otherwise repeat it with every entry.
void CLogFile::TrackUsable(bool bWritten, int nError) {
    if (bWritten || m_bUnusable) {
        m_bUnusable = !bWritten;
        return;
    }
    m_bUnusable = true;
    CString strLine;
    strLine.Format("kvt: Protokolldatei %s nicht beschreibbar (%s); kvt arbeitet ohne sie weiter",
                   m_logPath.GetString(), std::strerror(nError != 0 ? nError : EIO));
    Notice(strLine, LogLevel::Warning);
}

bool CLogFile::WriteToFile(const CString& strText, bool bTimestamp) const {
    const int fdLocked = OpenLockedLog();
    if (fdLocked < 0) {
        return false;
    }
    int fdTarget = fdLocked;
    struct stat info {};
    if (m_maxSize != 0 && fstat(fdLocked, &info) == 0 && info.st_size > m_maxSize) {
        // The lock on the old file is held until the entry is written, so that a second process
        // cannot rotate the file again and replace the backup that was just made.
        std::remove(m_oldPath);
        std::rename(m_logPath, m_oldPath);
        fdTarget = OpenForAppend(m_logPath);
    }
    const bool bWritten = fdTarget >= 0 && WriteWhole(fdTarget, FormatEntry(strText, bTimestamp));
    if (fdTarget >= 0 && fdTarget != fdLocked) {
        close(fdTarget);
    }
    close(fdLocked);
    return bWritten;
}

// Opens the log for appending and takes the rotation lock. A process that waited for the lock
// while another rotated the file holds the backup by then; it opens the new file instead.
int CLogFile::OpenLockedLog() const {
    for (int nAttempt = 0; nAttempt < 3; ++nAttempt) {
        const int fd = OpenForAppend(m_logPath);
        if (fd < 0) {
            return -1;
        }
        if (flock(fd, LOCK_EX) == 0 && IsSameFile(fd, m_logPath)) {
            return fd;
        }
        close(fd);
    }
    return -1;
}

CString CLogFile::FormatEntry(const CString& strText, bool bTimestamp) const {
    CString strEntry;
    if (!bTimestamp) {
        strEntry.Format("                      %s\n", OneLine(strText).GetString());
        return strEntry;
    }
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    strEntry.Format("%02d.%02d.%04d %02d:%02d:%02d - %s\n", local.tm_mday, local.tm_mon + 1,
                    local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                    OneLine(strText).GetString());
    return strEntry;
}
