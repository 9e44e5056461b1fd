#include "tools/ConfigWrite.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/CString.h"
#include "db/SqlDialect.h"
#include "tools/CryptConsole.h"
#include "tools/CryptValues.h"

namespace {

const char* const kConfigKeys[] = {"DB_SYSTEM", "DATABASE", "LOGIN", "PASS", "SCHEMA"};

// kvt refuses a file in which any value but SCHEMA is empty; the command line names the schema as
// a rule.
bool CheckPresent(const char* pszKey, const CString& strValue) {
    if (!strValue.IsEmpty() || std::strcmp(pszKey, "SCHEMA") == 0) {
        return true;
    }
    Complain(CString(pszKey) + " darf nicht leer sein.");
    return false;
}

// kvt knows these three products, by these names in upper case, and fails to connect with any
// other value.
bool CheckProduct(const char* pszKey, const CString& strValue) {
    if (std::strcmp(pszKey, "DB_SYSTEM") != 0 || DialectFromName(strValue) != SqlDialect::Unknown) {
        return true;
    }
    Complain("DB_SYSTEM muss ORACLE, MSSQL oder MYSQL sein, genau so geschrieben.");
    return false;
}

// Builds the whole file text before anything is written, so that an input ending early leaves an
// existing file untouched.
bool ReadConfigText(CString& strText) {
    for (const char* pszKey : kConfigKeys) {
        CString strPrompt;
        strPrompt.Format("%s: ", pszKey);
        CString strValue;
        if (!ReadLine(strPrompt, std::strcmp(pszKey, "PASS") == 0, strValue)) {
            Complain("Die Eingabe endet vor dem Wert f\xFCr " + CString(pszKey) + ".");
            return false;
        }
        if (!CheckValue(strValue, pszKey) || !CheckPresent(pszKey, strValue) ||
            !CheckProduct(pszKey, strValue)) {
            strValue.Empty();
            return false;
        }
        const CString strHex = Encipher(strValue);
        strValue.Empty();
        CString strLine;
        strLine.Format("1;%s;%s\n", pszKey, strHex.GetString());
        strText += strLine;
    }
    return true;
}

bool WriteAll(int nFile, const CString& strText) {
    const char* pch = strText.GetString();
    size_t nLeft = static_cast<size_t>(strText.GetLength());
    while (nLeft > 0) {
        const ssize_t nWritten = write(nFile, pch, nLeft);
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten <= 0) {
            errno = nWritten == 0 ? EIO : errno;
            return false;
        }
        pch += nWritten;
        nLeft -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool ReportWriteError(const char* pszPath, int nError) {
    Complain("%s kann nicht geschrieben werden: " + CString(std::strerror(nError)), pszPath);
    return false;
}

// The file holds the password, if only enciphered with a key every copy of the program carries:
// it is readable by its owner alone, or by the group of the service that reads it, also when it
// existed before with wider rights. Without --force an existing file is never opened.
bool WriteConfigFile(const WriteOptions& options, gid_t nGroup, const CString& strText) {
    const char* pszPath = options.pszPath;
    const int nFlags = O_WRONLY | O_CREAT | O_CLOEXEC | (options.bForce ? O_TRUNC : O_EXCL);
    const int nFile = open(pszPath, nFlags, 0600);
    if (nFile < 0) {
        return ReportWriteError(pszPath, errno);
    }
    const bool bGroup = options.pszGroup != nullptr;
    if ((bGroup && fchown(nFile, static_cast<uid_t>(-1), nGroup) != 0) ||
        fchmod(nFile, bGroup ? 0640 : 0600) != 0 || !WriteAll(nFile, strText)) {
        const int nError = errno;
        close(nFile);
        return ReportWriteError(pszPath, nError);
    }
    if (close(nFile) != 0) {
        return ReportWriteError(pszPath, errno);
    }
    return true;
}

// The id of the group; false when there is none of that name. A group with many members needs a
// larger buffer than its entry's fixed part.
bool FindGroup(const char* pszName, gid_t* pnGroup) {
    std::vector<char> buffer(4096);
    struct group entry {};
    struct group* pFound = nullptr;
    int nError = 0;
    while ((nError = getgrnam_r(pszName, &entry, buffer.data(), buffer.size(), &pFound)) == ERANGE &&
           buffer.size() < (1U << 24)) {
        buffer.resize(buffer.size() * 2);
    }
    if (nError != 0 || pFound == nullptr) {
        return false;
    }
    *pnGroup = pFound->gr_gid;
    return true;
}

}  // namespace

bool ParseWriteOptions(int argc, char** argv, WriteOptions& options) {
    for (int i = 2; i < argc; ++i) {
        if (options.pszPath != nullptr) {
            return false;
        }
        if (std::strcmp(argv[i], "--force") == 0) {
            options.bForce = true;
        } else if (std::strcmp(argv[i], "--group") == 0 && i + 1 < argc) {
            options.pszGroup = argv[++i];
        } else if (std::strncmp(argv[i], "--", 2) == 0) {
            return false;
        } else {
            options.pszPath = argv[i];
        }
    }
    // The standard output is no file that could exist or belong to a group.
    const bool bStandardOutput = options.pszPath != nullptr && std::strcmp(options.pszPath, "-") == 0;
    return options.pszPath != nullptr &&
           !(bStandardOutput && (options.bForce || options.pszGroup != nullptr));
}

bool RunWrite(const WriteOptions& options) {
    const bool bStandardOutput = std::strcmp(options.pszPath, "-") == 0;
    gid_t nGroup = 0;
    if (options.pszGroup != nullptr && !FindGroup(options.pszGroup, &nGroup)) {
        Complain("Die Gruppe %s gibt es nicht.", options.pszGroup);
        return false;
    }
    struct stat info {};
    if (!bStandardOutput && !options.bForce && lstat(options.pszPath, &info) == 0) {
        Complain("%s gibt es schon; mit --force wird die Datei ersetzt.", options.pszPath);
        return false;
    }
    CString strText;
    if (!ReadConfigText(strText)) {
        return false;
    }
    if (bStandardOutput) {
        return WriteAll(STDOUT_FILENO, strText) || ReportWriteError("Die Standardausgabe", errno);
    }
    return WriteConfigFile(options, nGroup, strText);
}
