// SPDX-License-Identifier: MIT
#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/SerialPort.h"
#include "platform/TermiosLine.h"

namespace Pelnix::Sim {
namespace {

using Clock = std::chrono::steady_clock;

// A request longer than this is not a request; it is dropped up to its end.
constexpr std::size_t kMaxRequestBytes = std::size_t{64} * 1024;
constexpr std::size_t kMaxLogEntries = 200000;

std::runtime_error SystemError(const std::string& what, int error) {
    return std::runtime_error(what + ": " + std::strerror(error));
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

const char* ToString(LogKind kind) {
    switch (kind) {
        case LogKind::Request:
            return "request";
        case LogKind::Ignored:
            return "ignored";
        case LogKind::Reply:
            return "reply";
        case LogKind::HangUp:
            return "hang-up";
    }
    return "?";
}

PtyServer::PtyServer(UnitState state, PtyServerOptions options)
    : m_onLog(std::move(options.onLog)), m_unit(std::move(state)) {
    m_folder = options.folder.empty() ? Tormel::Platform::VirtualPortFolder() : options.folder;

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) throw SystemError("posix_openpt", errno);
    auto fail = [this](const std::string& what, int error) {
        if (m_slaveHold >= 0) ::close(m_slaveHold);
        if (m_stopFd >= 0) ::close(m_stopFd);
        ::close(m_master);
        return SystemError(what, error);
    };
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) throw fail("pty", errno);
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) throw fail("ptsname", errno);
    m_slavePath = name;
    // Holding the slave open keeps the pty usable while the tool closes and reopens its side
    // (with no slave open, the master would report a hang-up over and over).
    m_slaveHold = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveHold < 0) throw fail(m_slavePath, errno);
    // Raw from the start, so nothing is echoed or translated before the tool sets the line.
    if (auto raw = Tormel::Platform::SetRawLine(
            m_slaveHold, m_unit.State().line.BaudRate > 0 ? m_unit.State().line.BaudRate : 9600);
        !raw.ok()) {
        throw fail("pty line settings", raw.errorNumber);
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) throw fail("fcntl", errno);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopFd < 0) throw fail("eventfd", errno);

    if (auto made = Tormel::Platform::EnsurePrivateFolder(m_folder); !made.ok()) {
        throw fail(made.message, made.errorNumber);
    }
    std::string linkName = options.name;
    if (linkName.empty()) {
        const std::string slave = m_slavePath;
        linkName = "unit-" + slave.substr(slave.find_last_of('/') + 1);
    }
    if (linkName.find('/') != std::string::npos || linkName == "." || linkName == "..") {
        throw fail("port name \"" + linkName + "\"", EINVAL);
    }
    m_linkPath = m_folder + "/" + linkName;
    // A link left by a simulator that died is replaced; anything else is not ours to remove.
    if (::symlink(m_slavePath.c_str(), m_linkPath.c_str()) != 0) {
        int error = errno;
        char target[256];
        const ssize_t n = error == EEXIST ? ::readlink(m_linkPath.c_str(), target, sizeof target - 1) : -1;
        if (n >= 0 && ::access(m_linkPath.c_str(), F_OK) != 0) {
            ::unlink(m_linkPath.c_str());
            error = ::symlink(m_slavePath.c_str(), m_linkPath.c_str()) == 0 ? 0 : errno;
        }
        if (error != 0) throw fail(m_linkPath, error);
    }
    m_linked = true;
    m_thread = std::thread([this] { Run(); });
}

PtyServer::~PtyServer() { Stop(); }

void PtyServer::Stop() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        (void)!::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    if (m_linked) {
        ::unlink(m_linkPath.c_str());
        m_linked = false;
    }
    if (m_master >= 0) ::close(m_master);
    if (m_slaveHold >= 0) ::close(m_slaveHold);
    if (m_stopFd >= 0) ::close(m_stopFd);
    m_master = m_slaveHold = m_stopFd = -1;
}

void PtyServer::SetFaults(Faults faults) {
    std::lock_guard lock(m_mutex);
    // Adding another fault must not re-arm the one-shot garbage answer or restart the count
    // towards a hang-up; only switching those on (or changing the count) does.
    if (faults.garbageFirstConnect && !m_faults.garbageFirstConnect) m_connectSeen = false;
    if (faults.hangUpAfterLines != m_faults.hangUpAfterLines) m_linesSinceFaults = 0;
    m_faults = std::move(faults);
}

Faults PtyServer::GetFaults() const {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

std::vector<LogEntry> PtyServer::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::string> PtyServer::Requests() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> requests;
    for (const auto& entry : m_log) {
        if (entry.kind == LogKind::Request) requests.push_back(entry.line);
    }
    return requests;
}

void PtyServer::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

bool PtyServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    auto arrived = [&] {
        std::size_t seen = 0;
        for (const auto& entry : m_log) seen += entry.kind == LogKind::Request;
        return seen >= count;
    };
    // A unit that hung up receives nothing more: stop waiting then.
    m_changed.wait_for(lock, timeout, [&] { return arrived() || m_hungUp; });
    return arrived();
}

bool PtyServer::WaitForLogEntries(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_log.size() >= count; });
}

UnitState PtyServer::State() const {
    std::lock_guard lock(m_mutex);
    return m_unit.State();
}

void PtyServer::ResetUnit(UnitState state) {
    std::lock_guard lock(m_mutex);
    m_unit = SimUnit(std::move(state));
}

bool PtyServer::HungUp() const {
    std::lock_guard lock(m_mutex);
    return m_hungUp;
}

void PtyServer::AddLog(LogKind kind, std::string line) {
    LogEntry entry{Clock::now(), kind, std::move(line)};
    {
        std::lock_guard lock(m_mutex);
        // A simulator left running for days must not grow without end; tests never get near.
        if (m_log.size() >= kMaxLogEntries) m_log.erase(m_log.begin(), m_log.begin() + kMaxLogEntries / 10);
        m_log.push_back(entry);
    }
    m_changed.notify_all();
    if (m_onLog) m_onLog(entry);
}

void PtyServer::Run() {
    std::string pending;
    bool skipping = false;  // inside an over-long request, dropping it up to its end
    for (;;) {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        const int n = ::poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents & POLLIN) return;
        if (!(fds[0].revents & POLLIN)) {
            // With our own slave descriptor held open a hang-up cannot come from the tool;
            // anything else here means the pty is unusable.
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return;
            continue;
        }
        char chunk[4096];
        const ssize_t got = ::read(m_master, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return;
        }
        if (got == 0) return;
        pending.append(chunk, static_cast<std::size_t>(got));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (skipping) {
                skipping = false;
                continue;
            }
            HandleLine(line);
            std::lock_guard lock(m_mutex);
            if (m_hungUp) return;
        }
        if (pending.size() > kMaxRequestBytes) {
            pending.clear();
            skipping = true;
        }
        {
            std::lock_guard lock(m_mutex);
            if (m_hungUp) return;
        }
    }
}

void PtyServer::HandleLine(const std::string& line) {
    // What the tool's side of the pty is set to decides whether the unit can read the line.
    Tormel::Platform::LineReadback pc;
    const bool readable = Tormel::Platform::ReadBackLineSettings(m_master, pc).ok();

    std::vector<Reply> replies;
    bool hangUp = false;
    LogKind kind = LogKind::Request;
    {
        std::lock_guard lock(m_mutex);
        const auto& state = m_unit.State();
        const auto& unitLine = state.line;
        // Over USB the unit's own UART settings play no part: the host's line settings reach
        // nothing that could misread them.
        const int cmdIf = state.family == UnitFamily::Tx330 ? state.tx330.cmdIf : state.rs485.cmdIf;
        const bool understood =
            cmdIf == 2 || (readable && pc.BaudRate == unitLine.BaudRate && pc.StopBits == unitLine.StopBits);
        ++m_linesSinceFaults;
        if (m_faults.hangUpAfterLines > 0 && m_linesSinceFaults >= m_faults.hangUpAfterLines) {
            hangUp = true;
        } else if (!understood) {
            kind = LogKind::Ignored;
        } else {
            bool handled = false;
            for (const auto& prefix : m_faults.silentOn) {
                if (StartsWith(line, prefix)) handled = true;
            }
            if (!handled && line == "~CONNECT?" && m_faults.garbageFirstConnect && !m_connectSeen) {
                m_connectSeen = true;
                replies = {{kGarbageLine}};
                handled = true;
            }
            if (!handled) {
                bool keep = false;
                for (const auto& prefix : m_faults.keepOn) keep = keep || StartsWith(line, prefix);
                const UnitState before = m_unit.State();
                replies = m_unit.Handle(line);
                if (keep) m_unit.Restore(before);
                if (line == "~CONNECT?") m_connectSeen = true;
                for (const auto& prefix : m_faults.emptyReplyOn) {
                    if (!handled && StartsWith(line, prefix)) {
                        replies = {{""}};
                        handled = true;
                    }
                }
                for (const auto& [prefix, wrong] : m_faults.wrongReply) {
                    if (!handled && StartsWith(line, prefix)) {
                        replies = {{wrong}};
                        handled = true;
                    }
                }
            }
        }
    }
    AddLog(kind, line);
    if (hangUp) {
        HangUpNow();
        return;
    }
    for (const auto& reply : replies) {
        if (reply.delayMs > 0 && !Pause(reply.delayMs)) return;
        if (!WriteReply(reply.line)) return;
        AddLog(LogKind::Reply, reply.line);
    }
}

bool PtyServer::Pause(int milliseconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return true;
        pollfd stop{m_stopFd, POLLIN, 0};
        const int n = ::poll(&stop, 1, static_cast<int>(left));
        if (n > 0) return false;
        if (n < 0 && errno != EINTR) return false;
    }
}

bool PtyServer::WriteReply(const std::string& line) {
    const std::string data = line + "\r\n";
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(m_master, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        // The tool's input queue is full: wait until it reads or discards, or we are stopped.
        pollfd fds[2] = {{m_master, POLLOUT, 0}, {m_stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
        if (fds[1].revents & POLLIN) return false;
    }
    return true;
}

void PtyServer::HangUpNow() {
    {
        std::lock_guard lock(m_mutex);
        m_hungUp = true;
        // A vanished device also vanishes from the port folder; a stale link could later
        // point at another program's pty with the same number.
        if (m_linked) {
            ::unlink(m_linkPath.c_str());
            m_linked = false;
        }
        ::close(m_slaveHold);
        ::close(m_master);
        m_slaveHold = m_master = -1;
    }
    AddLog(LogKind::HangUp, "");
}

}  // namespace Pelnix::Sim
