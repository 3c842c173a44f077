#pragma once
// The system's request that the program end (a shutdown, a logout, a plain
// "kill"), turned into a call on the event loop, so that the program closes as
// its close box closes it: the settings written, the station lines, the
// recording finished. On Unix the requests are the signals SIGTERM, SIGHUP and
// SIGINT, whose default action ends the process at once, skipping all of that.
// On Windows the end of a session reaches the windows through the window
// system, and nothing is installed here.
#include <functional>

namespace kelvaron {

// Installs the handling, once for the process, on the application that exists
// now; `onRequest` then runs on its event loop for every request.
void OnEndRequest(std::function<void()> onRequest);

}  // namespace kelvaron
