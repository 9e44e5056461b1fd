#include "base/FileProbe.h"

#include <sys/stat.h>

bool FileExists(const char* pszPath) {
    if (pszPath == nullptr || *pszPath == '\0') {
        return false;
    }
    struct stat info {};
    return stat(pszPath, &info) == 0;
}
