#include "base/StopSignal.h"

#include <signal.h>

#include <cerrno>
#include <ctime>

namespace {

enum class Hangup { None, Taken, Reported };

bool s_bStopRequested = false;
Hangup s_hangup = Hangup::None;

sigset_t RunSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    return signals;
}

struct timespec Now() {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

// The time from now to the deadline, zero once it has passed.
struct timespec Remaining(const struct timespec& deadline) {
    const struct timespec now = Now();
    long nSeconds = static_cast<long>(deadline.tv_sec - now.tv_sec);
    long nNanos = deadline.tv_nsec - now.tv_nsec;
    if (nNanos < 0) {
        --nSeconds;
        nNanos += 1000000000L;
    }
    return nSeconds < 0 ? timespec{0, 0} : timespec{nSeconds, nNanos};
}

// Takes the signals that arrive until the deadline, or only the pending ones when it has passed;
// ends early at a stop signal.
void TakeSignals(const struct timespec& deadline) {
    const sigset_t signals = RunSignals();
    for (;;) {
        const struct timespec timeout = Remaining(deadline);
        const int nSignal = sigtimedwait(&signals, nullptr, &timeout);
        if (nSignal == SIGHUP) {
            s_hangup = s_hangup == Hangup::None ? Hangup::Taken : s_hangup;
        } else if (nSignal > 0) {
            s_bStopRequested = true;
            return;
        } else if (errno != EINTR) {
            return;
        }
    }
}

}  // namespace

void BlockStopSignals() {
    const sigset_t signals = RunSignals();
    sigprocmask(SIG_BLOCK, &signals, nullptr);
}

bool StopRequested() {
    if (!s_bStopRequested) {
        TakeSignals(Now());
    }
    return s_bStopRequested;
}

bool WaitForStop(int nMilliseconds) {
    if (!s_bStopRequested) {
        struct timespec deadline = Now();
        deadline.tv_sec += nMilliseconds / 1000;
        deadline.tv_nsec += static_cast<long>(nMilliseconds % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            ++deadline.tv_sec;
            deadline.tv_nsec -= 1000000000L;
        }
        TakeSignals(deadline);
    }
    return s_bStopRequested;
}

bool TakeFirstHangup() {
    if (s_hangup != Hangup::Taken) {
        return false;
    }
    s_hangup = Hangup::Reported;
    return true;
}
