// Raising the poll thread, where the system allows it.
#include "device/poll_priority.h"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace kelvaron {

bool RaiseCallingThreadForPolling() {
#if defined(__linux__)
    // The lowest real-time level is enough: any of them runs ahead of every
    // ordinary thread.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    return pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0;
#else
    // Elsewhere the thread's Qt priority (time-critical) reaches the scheduler.
    return false;
#endif
}

}  // namespace kelvaron
