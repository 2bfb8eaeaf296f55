// SPDX-License-Identifier: MIT
#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace Tormel::Platform {
namespace {

bool SendAll(int fd, const char* bytes, std::size_t size) {
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void RunChild(int socket, pid_t parent, const std::function<std::string(int)>& work) {
    // Killed with the parent: a worker left alone would go on writing a unit whose result
    // nobody records. The parent may have ended before this line ran.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);
    // The parent tells what happened; the child's own messages would only interleave.
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    const std::string bytes = work(socket);
    ::_exit(SendAll(socket, bytes.data(), bytes.size()) ? 0 : 1);
}

}  // namespace

std::optional<ChildProcess> ChildProcess::Start(const std::function<std::string(int)>& work) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return std::nullopt;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        RunChild(fds[1], parent, work);
    }
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    ChildProcess child;
    child.m_pid = pid;
    child.m_fd = fds[0];
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)),
      m_fd(std::exchange(other.m_fd, -1)),
      m_done(other.m_done),
      m_cleanExit(other.m_cleanExit),
      m_result(std::move(other.m_result)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        stop();
        m_pid = std::exchange(other.m_pid, -1);
        m_fd = std::exchange(other.m_fd, -1);
        m_done = other.m_done;
        m_cleanExit = other.m_cleanExit;
        m_result = std::move(other.m_result);
    }
    return *this;
}

ChildProcess::~ChildProcess() { stop(); }

bool ChildProcess::answer(const std::string& bytes) const {
    return !m_done && m_fd >= 0 && SendAll(m_fd, bytes.data(), bytes.size());
}

void ChildProcess::signal(int signal) const {
    if (m_pid > 0 && !m_done) ::kill(m_pid, signal);
}

void ChildProcess::stop() {
    if (m_pid > 0 && !m_done) {
        ::kill(m_pid, SIGKILL);
        reap();
    }
}

void ChildProcess::reap() {
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

void ChildProcess::readAvailable() {
    if (m_done || m_fd < 0) return;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0) {
            m_result.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        // The child closed its end: it has ended or is ending.
        reap();
        return;
    }
}

void ChildProcess::WaitAny(const std::vector<ChildProcess*>& running, std::chrono::milliseconds within) {
    std::vector<pollfd> fds;
    std::vector<ChildProcess*> polled;
    for (ChildProcess* child : running) {
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

std::optional<std::string> ChildProcess::Ask(int socket, const std::string& question, std::size_t limit) {
    if (!SendAll(socket, question.data(), question.size())) return std::nullopt;
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(socket, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        if (c == '\n') return line;
        line += c;
        if (line.size() > limit) return std::nullopt;
    }
}

void ChildProcess::Tell(int socket, const std::string& notice) {
    (void)SendAll(socket, notice.data(), notice.size());
}

void EndProcessNow(int code) { ::_exit(code); }

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void HandleSignal(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void HandleStopSignals(void (*onStop)(int)) {
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) HandleSignal(s, onStop);
    ::signal(SIGPIPE, SIG_IGN);
}

void IgnoreStopSignals() {
    for (const int s : {SIGINT, SIGHUP}) ::signal(s, SIG_IGN);
}

}  // namespace Tormel::Platform
