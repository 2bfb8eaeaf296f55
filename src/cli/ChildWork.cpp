// SPDX-License-Identifier: MIT
#include "cli/ChildWork.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <utility>

#include "domain/modem/Command.h"
#include "platform/SerialPort.h"

namespace Tormel::Cli {

std::optional<ChildWork> ChildWork::start(const std::string& port,
                                          const std::function<QByteArray(int)>& work) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return std::nullopt;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        // The parent tells what happened; the child's own messages would only interleave.
        const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devNull >= 0) {
            ::dup2(devNull, STDOUT_FILENO);
            ::dup2(devNull, STDERR_FILENO);
        }
        // The serial port object came along from the parent with the wake-up event its Close
        // signals, and so did every other child: one child closing its port would wake the
        // read another child is waiting in, and that read would fail as if cancelled. The
        // child talks through a port object of its own.
        const std::unique_ptr<Platform::ISerialPort> own = Platform::CreateSerialPort();
        Domain::Modem::Command::SerialPort(own.get());
        const QByteArray bytes = work(fds[1]);
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n =
                ::write(fds[1], bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ::_exit(1);
            sent += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    ChildWork child;
    child.m_port = port;
    child.m_pid = pid;
    child.m_fd = fds[0];
    return child;
}

ChildWork::ChildWork(ChildWork&& other) noexcept
    : m_port(std::move(other.m_port)),
      m_pid(std::exchange(other.m_pid, -1)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_done(other.m_done),
      m_cleanExit(other.m_cleanExit),
      m_result(std::move(other.m_result)) {}

ChildWork& ChildWork::operator=(ChildWork&& other) noexcept {
    if (this != &other) {
        stop();
        m_port = std::move(other.m_port);
        m_pid = std::exchange(other.m_pid, -1);
        m_fd = std::exchange(other.m_fd, -1);
        m_done = other.m_done;
        m_cleanExit = other.m_cleanExit;
        m_result = std::move(other.m_result);
    }
    return *this;
}

ChildWork::~ChildWork() { stop(); }

bool ChildWork::answer(const QByteArray& bytes) const {
    if (m_done || m_fd < 0) return false;
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(m_fd, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        sent += n;
    }
    return true;
}

void ChildWork::signal(int signal) const {
    if (m_pid > 0 && !m_done) ::kill(m_pid, signal);
}

void ChildWork::stop() {
    if (m_pid > 0 && !m_done) {
        ::kill(m_pid, SIGKILL);
        reap();
    }
}

void ChildWork::reap() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_pid > 0) {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        m_pid = -1;
    }
    m_done = true;
}

void ChildWork::readAvailable() {
    if (m_done || m_fd < 0) return;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0) {
            m_result.append(chunk, static_cast<qsizetype>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        // The child closed its end: it has ended or is ending.
        reap();
        return;
    }
}

void ChildWork::waitAny(const std::vector<ChildWork*>& running, std::chrono::milliseconds within) {
    std::vector<pollfd> fds;
    std::vector<ChildWork*> polled;
    for (ChildWork* child : running) {
        if (child->m_done || child->m_fd < 0) continue;
        fds.push_back({child->m_fd, POLLIN, 0});
        polled.push_back(child);
    }
    if (fds.empty()) {
        if (within.count() > 0) ::poll(nullptr, 0, static_cast<int>(within.count()));
        return;
    }
    if (::poll(fds.data(), fds.size(), static_cast<int>(within.count())) <= 0) return;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents != 0) polled[i]->readAvailable();
    }
}

}  // namespace Tormel::Cli
