// SPDX-License-Identifier: MIT
#pragma once

// Work on one port in a child process of its own. The command link is one per process, so
// ports are talked to side by side by processes; each child hands its result back as bytes
// on a socket and ends, and may ask the parent something on the way (the same socket carries
// the answer). The parent waits for any of them, and can stop those it no longer needs.

#include <sys/types.h>

#include <QByteArray>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Tormel::Cli {

class ChildWork {
  public:
    // Forks and runs `work` in the child, whose stdout and stderr go to /dev/null; what it
    // returns is the result. `work` gets the child's end of the socket, to ask the parent on
    // the way. Nothing when the system refuses a process or a socket.
    static std::optional<ChildWork> start(const std::string& port,
                                          const std::function<QByteArray(int)>& work);

    ChildWork(ChildWork&& other) noexcept;
    ChildWork& operator=(ChildWork&& other) noexcept;
    ChildWork(const ChildWork&) = delete;
    ChildWork& operator=(const ChildWork&) = delete;
    ~ChildWork();  // a child still running is killed and reaped

    const std::string& port() const { return m_port; }
    pid_t pid() const { return m_pid; }
    bool done() const { return m_done; }
    // The bytes the child handed back; complete once done() and exitedCleanly().
    const QByteArray& result() const { return m_result; }
    // The child ran to its end and handed back its whole result.
    bool exitedCleanly() const { return m_done && m_cleanExit; }

    // Writes an answer to a child still running; false if it cannot be delivered.
    bool answer(const QByteArray& bytes) const;
    // Sends `signal` to a child still running.
    void signal(int signal) const;
    // Kills a child still running and waits for it; done() afterwards.
    void stop();

    // Waits until at least one of `running` has ended, or the time is up, or a signal came
    // in; reads what the children sent meanwhile. The ones that ended are done() afterwards.
    static void waitAny(const std::vector<ChildWork*>& running, std::chrono::milliseconds within);

  private:
    ChildWork() = default;
    void readAvailable();
    void reap();

    std::string m_port;
    pid_t m_pid = -1;
    int m_fd = -1;
    bool m_done = false;
    bool m_cleanExit = false;
    QByteArray m_result;
};

}  // namespace Tormel::Cli
