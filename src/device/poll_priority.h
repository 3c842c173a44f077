#pragma once
// The poll thread ahead of the window's work. On Linux a thread's Qt priority
// does not reach the scheduler (every ordinary thread runs at the same level), so
// while the window and the X server keep both cores busy a tick waited 2 to 3 ms
// for a core. Where the system allows it (the user may set real-time priorities:
// root, CAP_SYS_NICE or an rtprio limit), the link's thread runs round-robin at a
// low real-time level; it takes well under a millisecond a tick, and the kernel
// keeps 5 % of every second for the rest in any case. Elsewhere nothing changes.
namespace kelvaron {

// Raises the calling thread; false where the system refuses (or has no such level).
bool RaiseCallingThreadForPolling();

}  // namespace kelvaron
