#include "base/AppFramework.h"

#include <fcntl.h>
#include <unistd.h>

bool AppFrameworkInit(CAppFramework& /*app*/) {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1) {
            continue;
        }
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened != fd) {
            return false;
        }
    }
    return true;
}
