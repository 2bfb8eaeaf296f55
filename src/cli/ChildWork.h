// SPDX-License-Identifier: MIT
#pragma once

// Work on one port in a child process of its own. The command link is one per process, so
// ports are talked to side by side by processes; the child talks through a serial port object
// of its own.

#include <QByteArray>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"

namespace Tormel::Cli {

class ChildWork {
  public:
    // Runs `work` for `port` in a child (see Platform::ChildProcess); what it returns is the
    // result. Nothing when the system refuses a process or a socket.
    static std::optional<ChildWork> start(const std::string& port,
                                          const std::function<QByteArray(int)>& work);

    const std::string& port() const { return m_port; }
    bool done() const { return m_process.done(); }
    QByteArray result() const { return QByteArray::fromStdString(m_process.result()); }
    bool exitedCleanly() const { return m_process.exitedCleanly(); }
    bool answer(const QByteArray& bytes) const { return m_process.answer(bytes.toStdString()); }
    void signal(int signal) const { m_process.signal(signal); }
    void stop() { m_process.stop(); }

    static void waitAny(const std::vector<ChildWork*>& running, std::chrono::milliseconds within);

  private:
    ChildWork(std::string port, Platform::ChildProcess process)
        : m_port(std::move(port)), m_process(std::move(process)) {}

    std::string m_port;
    Platform::ChildProcess m_process;
};

}  // namespace Tormel::Cli
