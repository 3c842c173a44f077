// The serial device on a POSIX terminal device: a non-blocking descriptor read
// when the poll tick asks, so received bytes wake nobody between ticks.
#include "device/serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>

namespace kelvaron {

namespace {

speed_t Speed(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        default:
            return B9600;
    }
}

class PosixSerialDevice final : public SerialDevice {
public:
    ~PosixSerialDevice() override { Close(); }

    bool Open(const QString& path, int baud) override {
        Close();
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        openDenied_ = fd < 0 && (errno == EACCES || errno == EPERM);
        if (fd < 0) return false;
        // Exclusive: another program of ours holding it (an advisory lock), or any
        // other opener (TIOCEXCL, which root may pass), keeps us out.
        termios line{};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::tcgetattr(fd, &line) != 0) {
            ::close(fd);
            return false;
        }
        ::ioctl(fd, TIOCEXCL);
        ::cfmakeraw(&line);
        line.c_cflag |= CLOCAL | CREAD | CSTOPB;
        line.c_cflag &= ~(PARENB | CRTSCTS | CSIZE);
        line.c_cflag |= CS8;
        line.c_cc[VMIN] = 0;
        line.c_cc[VTIME] = 0;
        ::cfsetispeed(&line, Speed(baud));
        ::cfsetospeed(&line, Speed(baud));
        if (::tcsetattr(fd, TCSANOW, &line) != 0) {
            ::close(fd);
            return false;
        }
        // A line without modem lines (a pseudo-terminal, some adapters) refuses
        // these; it still carries the data.
        int bits = TIOCM_RTS;
        ::ioctl(fd, TIOCMBIS, &bits);
        bits = TIOCM_DTR;
        ::ioctl(fd, TIOCMBIS, &bits);
        fd_ = fd;
        return true;
    }

    void Close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    int Waiting() override {
        if (fd_ < 0) return 0;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) < 0) return 0;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            Close();  // gone away: released once
            return 0;
        }
        int waiting = 0;
        if (::ioctl(fd_, FIONREAD, &waiting) != 0) return 0;
        return waiting;
    }

    int Read(uint8_t* buffer, int max) override {
        if (fd_ < 0 || max <= 0) return 0;
        const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(max));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) Close();
        return 0;
    }

    int Write(const uint8_t* buffer, int count, int limitMs) override {
        if (fd_ < 0) return 0;
        QElapsedTimer spent;
        spent.start();
        int written = 0;
        while (written < count && fd_ >= 0) {
            const ssize_t n = ::write(fd_, buffer + written, static_cast<size_t>(count - written));
            if (n > 0) {
                written += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                Close();
                break;
            }
            const qint64 left = limitMs - spent.elapsed();
            if (left <= 0) break;
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        }
        return written;
    }

    bool Usable() const override { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<SerialDevice> SerialDevice::Make() { return std::make_unique<PosixSerialDevice>(); }

}  // namespace kelvaron
