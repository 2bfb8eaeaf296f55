// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/SimUnit.h"
#include "sim/UnitState.h"

namespace Pelnix::Sim {

// Ways the simulated unit can misbehave. Settable at any time; matching is by request prefix
// ("~BAUD" matches "~BAUD=3" and "~BAUD?"). The first matching rule wins, in the order below.
struct Faults {
    // Requests the unit does not hear: no answer, and its state does not change.
    std::vector<std::string> silentOn;
    // Requests the unit carries out but answers with an empty line instead of its reply.
    std::vector<std::string> emptyReplyOn;
    // Requests the unit carries out but answers with the given line instead of its reply.
    std::vector<std::pair<std::string, std::string>> wrongReply;
    // Requests the unit confirms as if it had taken the new value but does not store: the
    // confirmation says what was asked, a later query tells what the unit really keeps.
    std::vector<std::string> keepOn;
    // The first "~CONNECT?" after this was switched on is answered with a garbage line.
    bool garbageFirstConnect = false;
    // After this many received lines (counted from when this count was set) the unit hangs
    // up: the line that reaches the count gets no answer and the pty goes away. 0: never.
    int hangUpAfterLines = 0;
};

// The line sent for garbageFirstConnect.
inline constexpr const char* kGarbageLine = "\x7f#?\x01%~CON";

enum class LogKind {
    Request,  // a request that arrived at the unit's line settings (silenced ones included)
    Ignored,  // a request sent at other line settings than the unit's: not understood
    Reply,    // a reply line written to the tool
    HangUp,   // the pty was closed
};

struct LogEntry {
    std::chrono::steady_clock::time_point time;
    LogKind kind;
    std::string line;
};

const char* ToString(LogKind kind);

struct PtyServerOptions {
    // Folder in which the port is registered; empty: Tormel::Platform::VirtualPortFolder().
    std::string folder;
    // Name of the link in that folder; empty: "unit-<pty number>".
    std::string name;
    // Called on the server's thread for every log entry (the program prints them); may be empty.
    std::function<void(const LogEntry&)> onLog;
};

// A simulated unit on a pseudo-terminal. The slave side is registered as a virtual port (a
// symbolic link); a thread reads request lines from the master, hands each to the unit and
// writes its replies. Requests that arrive while the pty is set to other settings than the
// unit's (bit rate, stop bits) are not understood, as on a real line.
class PtyServer {
  public:
    // Throws std::runtime_error when the pty cannot be made or registered.
    explicit PtyServer(UnitState state, PtyServerOptions options = {});
    ~PtyServer();  // stops the thread, closes the pty and removes the link

    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // The registered link (what a tool opens) and the pty slave it points to.
    const std::string& PortPath() const { return m_linkPath; }
    const std::string& SlavePath() const { return m_slavePath; }

    void SetFaults(Faults faults);
    Faults GetFaults() const;

    // Copies of the dialogue so far; safe from any thread.
    std::vector<LogEntry> Log() const;
    std::vector<std::string> Requests() const;  // the requests at the unit's settings, in order
    void ClearLog();

    // Waits until at least `count` requests arrived since the last ClearLog; false if they did
    // not within the time (or the unit hung up first).
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // Waits until the log holds at least `count` entries of any kind. A reply is logged once it
    // has been written, so the tool may read it before its entry is there.
    bool WaitForLogEntries(std::size_t count, std::chrono::milliseconds timeout) const;

    // The unit's state now, and a replacement of the whole unit (its factory state too).
    UnitState State() const;
    void ResetUnit(UnitState state);

    bool HungUp() const;

    // Stops serving and unregisters; the destructor does this too.
    void Stop();

  private:
    void Run();
    void HandleLine(const std::string& line);
    bool WriteReply(const std::string& line);
    bool Pause(int milliseconds);
    void AddLog(LogKind kind, std::string line);
    void HangUpNow();

    std::string m_folder;
    std::string m_linkPath;
    std::string m_slavePath;
    std::function<void(const LogEntry&)> m_onLog;
    int m_master = -1;
    int m_slaveHold = -1;  // keeps the pty alive while the tool has the port closed
    int m_stopFd = -1;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    SimUnit m_unit;
    Faults m_faults;
    int m_linesSinceFaults = 0;
    bool m_connectSeen = false;
    bool m_hungUp = false;
    bool m_linked = false;
    std::vector<LogEntry> m_log;

    std::thread m_thread;
};

}  // namespace Pelnix::Sim
