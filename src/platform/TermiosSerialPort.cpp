// SPDX-License-Identifier: MIT
// The serial-port service over a Linux tty. A read waits in poll() on the port and on an
// eventfd that Close() signals, so a close from another thread wakes it at once. The
// descriptor is only closed once no call is using it, so no call ever touches a closed or
// reused descriptor.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/SerialPort.h"
#include "platform/TermiosLine.h"

namespace Tormel::Platform {
namespace {

using Clock = std::chrono::steady_clock;

// A reply line longer than this is not a reply: the read fails instead of growing memory.
constexpr std::size_t kMaxLineBytes = std::size_t{64} * 1024;

SerialResult Failure(SerialStatus status, int error, std::string message) {
    return SerialResult{status, error, std::move(message)};
}

SerialResult FromErrno(int error) {
    const SerialStatus status = (error == EIO || error == ENXIO) ? SerialStatus::HungUp : SerialStatus::Error;
    return Failure(status, error, std::strerror(error));
}

SerialResult ClosedResult() { return Failure(SerialStatus::Closed, 0, "The port was closed"); }
SerialResult NotOpenResult() { return Failure(SerialStatus::NotOpen, 0, "The port is not open"); }
SerialResult HungUpResult() { return Failure(SerialStatus::HungUp, EIO, "The device went away"); }

// Milliseconds left until the deadline, rounded up so a wait never ends just short of it.
int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > 0x7fffffff ? 0x7fffffff : static_cast<int>(ms);
}

// Unix 98 pty slaves (/dev/pts/N) have the majors 136 to 143.
bool IsPtySlave(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned int maj = major(st.st_rdev);
    return maj >= 136 && maj <= 143;
}

class TermiosSerialPort final : public ISerialPort {
  public:
    TermiosSerialPort() { m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

    ~TermiosSerialPort() override {
        Close();
        if (m_wakeFd >= 0) ::close(m_wakeFd);
    }

    SerialResult Open(const SerialSettings& settings) override {
        std::unique_lock lock(m_mutex);
        CloseLocked(lock);
        return OpenLocked(settings);
    }

    SerialResult Close() override {
        std::unique_lock lock(m_mutex);
        return CloseLocked(lock);
    }

    bool IsOpen() const override {
        std::lock_guard lock(m_mutex);
        return m_fd >= 0 && !m_closing;
    }

    SerialResult DiscardInBuffer() override {
        Use use(*this);
        if (!use.ok()) return use.result();
        m_buffer.clear();
        m_skipToNewLine = false;
        return FlushQueue(use.fd(), 0);
    }

    SerialResult DiscardOutBuffer() override {
        Use use(*this);
        if (!use.ok()) return use.result();
        return FlushQueue(use.fd(), 1);
    }

    SerialResult WriteLine(std::string_view text) override {
        Use use(*this);
        if (!use.ok()) return use.result();
        std::string data(text);
        data += m_settings.NewLine;
        const auto deadline = Clock::now() + std::chrono::milliseconds(m_settings.WriteTimeoutMs);
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(use.fd(), data.data() + done, data.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) return FromErrno(errno);
            // The output queue is full: wait for room, for a close, or for the deadline.
            SerialResult waited = Wait(use.fd(), POLLOUT, deadline);
            if (!waited.ok()) return waited;
        }
        return SerialResult::Success();
    }

    SerialResult ReadLine(std::string& line) override {
        Use use(*this);
        if (!use.ok()) return use.result();
        const std::string& terminator = m_settings.NewLine;
        const auto deadline = Clock::now() + std::chrono::milliseconds(m_settings.ReadTimeoutMs);
        for (;;) {
            if (m_skipToNewLine) {
                // The tail of an over-long line: drop it up to its terminator.
                const std::size_t end = m_buffer.find(terminator);
                if (end == std::string::npos) {
                    KeepPossibleTerminatorStart(terminator);
                } else {
                    m_buffer.erase(0, end + terminator.size());
                    m_skipToNewLine = false;
                }
            }
            if (!m_skipToNewLine) {
                const std::size_t end = m_buffer.find(terminator);
                if (end != std::string::npos) {
                    line.assign(m_buffer, 0, end);
                    m_buffer.erase(0, end + terminator.size());
                    return SerialResult::Success();
                }
                if (m_buffer.size() > kMaxLineBytes) {
                    KeepPossibleTerminatorStart(terminator);
                    m_skipToNewLine = true;
                    return Failure(SerialStatus::Error, EMSGSIZE,
                                   "Received a line longer than " + std::to_string(kMaxLineBytes) + " bytes");
                }
            }
            SerialResult waited = Wait(use.fd(), POLLIN, deadline);
            if (!waited.ok()) return waited;
            char chunk[4096];
            const ssize_t n = ::read(use.fd(), chunk, sizeof chunk);
            if (n > 0) {
                m_buffer.append(chunk, static_cast<std::size_t>(n));
            } else if (n == 0) {
                return HungUpResult();  // end of file on a tty: the other side hung up
            } else if (errno != EAGAIN && errno != EINTR) {
                return FromErrno(errno);
            }
        }
    }

  private:
    void KeepPossibleTerminatorStart(const std::string& terminator) {
        const std::size_t keep = terminator.size() - 1;
        if (m_buffer.size() > keep) m_buffer.erase(0, m_buffer.size() - keep);
    }

    // Holds the descriptor in use for the length of one call; Close waits for it.
    class Use {
      public:
        explicit Use(TermiosSerialPort& port) : m_port(port) {
            std::lock_guard lock(port.m_mutex);
            if (port.m_fd < 0) {
                m_result = NotOpenResult();
            } else if (port.m_closing) {
                m_result = ClosedResult();
            } else {
                m_fd = port.m_fd;
                ++port.m_users;
            }
        }
        ~Use() {
            if (m_fd < 0) return;
            std::lock_guard lock(m_port.m_mutex);
            if (--m_port.m_users == 0) m_port.m_idle.notify_all();
        }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        bool ok() const { return m_fd >= 0; }
        int fd() const { return m_fd; }
        const SerialResult& result() const { return m_result; }

      private:
        TermiosSerialPort& m_port;
        int m_fd = -1;
        SerialResult m_result;
    };

    // Waits until the port is ready for `events`, the port is closed, or the deadline passes.
    SerialResult Wait(int fd, short events, Clock::time_point deadline) {
        for (;;) {
            pollfd fds[2] = {{fd, events, 0}, {m_wakeFd, POLLIN, 0}};
            const int timeout = MillisecondsLeft(deadline);
            const int n = ::poll(fds, 2, timeout);
            if (n < 0) {
                if (errno == EINTR) continue;
                return FromErrno(errno);
            }
            if (fds[1].revents & POLLIN) return ClosedResult();
            {
                std::lock_guard lock(m_mutex);
                if (m_closing) return ClosedResult();
            }
            if (n == 0) {
                if (MillisecondsLeft(deadline) > 0) continue;
                return Failure(SerialStatus::TimedOut, ETIMEDOUT, "No complete line before the time-out");
            }
            if (fds[0].revents & events) return SerialResult::Success();
            if (fds[0].revents & POLLNVAL) return Failure(SerialStatus::Error, EBADF, std::strerror(EBADF));
            if (fds[0].revents & (POLLHUP | POLLERR)) return HungUpResult();
        }
    }

    SerialResult OpenLocked(const SerialSettings& settings) {
        if (m_wakeFd < 0) return Failure(SerialStatus::Error, errno, "Cannot create the wake-up event");
        if (settings.PortName.empty())
            return Failure(SerialStatus::InvalidSetting, EINVAL, "No port name given");
        if (settings.NewLine.empty())
            return Failure(SerialStatus::InvalidSetting, EINVAL, "No line terminator given");
        if (settings.ReadTimeoutMs < 0 || settings.WriteTimeoutMs < 0) {
            return Failure(SerialStatus::InvalidSetting, EINVAL, "A time-out cannot be negative");
        }
        TermiosRequest request;
        if (SerialResult built = BuildTermiosRequest(settings, request); !built.ok()) return built;

        const int fd = ::open(settings.PortName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            return Failure(SerialStatus::Error, error, settings.PortName + ": " + std::strerror(error));
        }
        if (!::isatty(fd)) {
            ::close(fd);
            return Failure(SerialStatus::Error, ENOTTY, settings.PortName + ": not a serial device");
        }
        // Another program on the same line would steal reply bytes. Root may still open an
        // exclusive tty, so this only keeps ordinary users' programs out. Not on a pty: the
        // program on its other side keeps the slave open too, so the flag would outlive a
        // tool that was killed and lock every later open out.
        const bool exclusive = !IsPtySlave(fd);
        if (exclusive) (void)SetExclusive(fd, true);
        SerialResult applied = ApplyTermiosRequest(fd, request);
        if (applied.ok()) applied = FlushQueue(fd, 2);
        if (!applied.ok()) {
            if (exclusive) (void)SetExclusive(fd, false);
            ::close(fd);
            applied.message = settings.PortName + ": " + applied.message;
            return applied;
        }
        m_fd = fd;
        m_exclusive = exclusive;
        m_settings = settings;
        m_buffer.clear();
        m_skipToNewLine = false;
        return SerialResult::Success();
    }

    SerialResult CloseLocked(std::unique_lock<std::mutex>& lock) {
        if (m_fd < 0 || m_closing) {
            // Closing a closed port is not an error; a concurrent Close finishes the job.
            m_idle.wait(lock, [this] { return !m_closing; });
            return SerialResult::Success();
        }
        m_closing = true;
        const uint64_t one = 1;
        (void)!::write(m_wakeFd, &one, sizeof one);
        m_idle.wait(lock, [this] { return m_users == 0; });
        // Leave the tty open to others again (the exclusive flag outlives our descriptor
        // while anyone else holds the tty open).
        if (m_exclusive) (void)SetExclusive(m_fd, false);
        const int rc = ::close(m_fd);
        const int error = errno;
        m_fd = -1;
        uint64_t drained = 0;
        (void)!::read(m_wakeFd, &drained, sizeof drained);
        m_buffer.clear();
        m_skipToNewLine = false;
        m_closing = false;
        m_idle.notify_all();
        if (rc != 0 && error != EINTR) return FromErrno(error);
        return SerialResult::Success();
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    int m_fd = -1;
    int m_wakeFd = -1;
    int m_users = 0;
    bool m_exclusive = false;
    bool m_closing = false;
    SerialSettings m_settings;
    // Only the one reading thread touches these.
    std::string m_buffer;
    bool m_skipToNewLine = false;
};

}  // namespace

std::unique_ptr<ISerialPort> CreateSerialPort() { return std::make_unique<TermiosSerialPort>(); }

}  // namespace Tormel::Platform
