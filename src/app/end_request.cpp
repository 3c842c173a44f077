#include "app/end_request.h"

#ifndef _WIN32
#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvaron {

#ifndef _WIN32

namespace {

// A signal handler may do next to nothing: it writes one byte into a pipe whose
// other end the event loop watches.
int wakePipe[2] = {-1, -1};

extern "C" void WakeTheEventLoop(int) {
    const int saved = errno;
    const char byte = 1;
    if (::write(wakePipe[1], &byte, 1) < 0) {
        // The pipe is full: a request is waiting already.
    }
    errno = saved;
}

bool MakeWakePipe() {
    if (::pipe(wakePipe) != 0) return false;
    for (int fd : wakePipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

}  // namespace

void OnEndRequest(std::function<void()> onRequest) {
    if (wakePipe[0] >= 0 || !MakeWakePipe()) return;
    auto* notifier =
        new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [onRequest = std::move(onRequest)] {
                         char bytes[16];
                         while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
                         }
                         onRequest();
                     });
    struct sigaction action {};
    action.sa_handler = WakeTheEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

#else

void OnEndRequest(std::function<void()> onRequest) { (void)onRequest; }

#endif

}  // namespace kelvaron
