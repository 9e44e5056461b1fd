#include "base/StopSignal.h"

#include <signal.h>

#include <cerrno>
#include <ctime>

namespace {

bool s_bStopRequested = false;

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

// Waits up to the timeout for a stop signal; a zero timeout only takes a pending one.
void TakeStopSignal(const struct timespec& timeout) {
    const sigset_t signals = StopSignals();
    int nSignal = -1;
    do {
        nSignal = sigtimedwait(&signals, nullptr, &timeout);
    } while (nSignal < 0 && errno == EINTR);
    if (nSignal > 0) {
        s_bStopRequested = true;
    }
}

}  // namespace

void BlockStopSignals() {
    const sigset_t signals = StopSignals();
    sigprocmask(SIG_BLOCK, &signals, nullptr);
}

bool StopRequested() {
    if (!s_bStopRequested) {
        TakeStopSignal({0, 0});
    }
    return s_bStopRequested;
}

bool WaitForStop(int nMilliseconds) {
    if (!s_bStopRequested) {
        TakeStopSignal({nMilliseconds / 1000, static_cast<long>(nMilliseconds % 1000) * 1000000L});
    }
    return s_bStopRequested;
}
