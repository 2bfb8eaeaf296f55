// SPDX-License-Identifier: MIT
#pragma once

// Work in a child process of its own, with a socket to the parent. The child hands its result
// back as bytes on the socket and ends, and may ask the parent something on the way (the same
// socket carries the answer). A child never outlives its parent: it is killed when the parent
// ends, however the parent ends, so no work goes on that nobody will hear of. The parent waits
// for any of its children, and can signal or stop those it no longer needs.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Tormel::Platform {

class ChildProcess {
  public:
    // Forks and runs `work` in the child, whose stdout and stderr go to /dev/null; what it
    // returns is the result. `work` gets the child's end of the socket. Nothing when the
    // system refuses a process or a socket.
    static std::optional<ChildProcess> Start(const std::function<std::string(int socket)>& work);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();  // a child still running is killed and reaped

    pid_t pid() const { return m_pid; }
    bool done() const { return m_done; }
    // The bytes the child sent; complete once done() and exitedCleanly().
    const std::string& result() const { return m_result; }
    // The child ran to its end and handed back its whole result.
    bool exitedCleanly() const { return m_done && m_cleanExit; }

    // Writes an answer to a child still running; false if it cannot be delivered.
    bool answer(const std::string& bytes) const;
    // Sends `signal` to a child still running.
    void signal(int signal) const;
    // Kills a child still running and waits for it; done() afterwards.
    void stop();

    // Waits until at least one of `running` has sent something or ended, or the time is up,
    // or a signal came in; reads what the children sent meanwhile.
    static void WaitAny(const std::vector<ChildProcess*>& running, std::chrono::milliseconds within);

    // A child's own line of questions to the parent: sends `question` and reads one line back
    // (without its newline); nothing when the parent is gone or the answer is longer than
    // `limit`.
    static std::optional<std::string> Ask(int socket, const std::string& question, std::size_t limit = 64);
    // A child's notice to the parent, not answered.
    static void Tell(int socket, const std::string& notice);

  private:
    ChildProcess() = default;
    void readAvailable();
    void reap();

    pid_t m_pid = -1;
    int m_fd = -1;
    bool m_done = false;
    bool m_cleanExit = false;
    std::string m_result;
};

// The signals that ask a program to end: Ctrl+C (SIGINT), SIGTERM and a hang-up of its
// terminal or SSH session (SIGHUP) all call `onStop` (which must be async-signal-safe). A
// reader gone from standard output no longer kills the program (SIGPIPE is ignored): it
// ends its work and keeps its record.
void HandleStopSignals(void (*onStop)(int));
// In a child: the stop signals left to the parent, which decides what they mean.
void IgnoreStopSignals();
// Ends this process at once with `code`, from a signal handler too (no exit handlers run).
[[noreturn]] void EndProcessNow(int code);
// Whether standard error is a terminal (a status line may be drawn there).
bool StderrIsTerminal();
// Sets `signal` to call `handler`.
void HandleSignal(int signal, void (*handler)(int));

}  // namespace Tormel::Platform
