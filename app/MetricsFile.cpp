#include "app/MetricsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

CString s_strDirectory;

CString Plain(const CString& strText) {
    CString strPlain;
    for (int i = 0; i < strText.GetLength(); ++i) {
        const char ch = strText.GetAt(i);
        const bool bPlain = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
        strPlain += bPlain ? ch : '_';
    }
    strPlain.MakeUpper();
    return strPlain;
}

}  // namespace

void SetMetricsDirectory(const CString& strDirectory) {
    s_strDirectory = strDirectory;
}

const CString& MetricsDirectory() {
    return s_strDirectory;
}

CString MetricsFileName(const CString& strSchema, const CString& strUser) {
    return "kvt_" + Plain(strSchema) + "_" + Plain(strUser) + ".prom";
}

// The collector reads only names that end in ".prom": the new file is written under another one.
bool WriteMetricsFile(const CString& strSchema, const CString& strUser, const std::string& strText) {
    const CString strTarget = s_strDirectory + "/" + MetricsFileName(strSchema, strUser);
    const CString strTemporary = strTarget + ".tmp";
    const int fd = open(strTemporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        return false;
    }
    const bool bWritten = write(fd, strText.data(), strText.size()) == static_cast<ssize_t>(strText.size());
    if (close(fd) != 0 || !bWritten || std::rename(strTemporary, strTarget) != 0) {
        std::remove(strTemporary);
        return false;
    }
    return true;
}
