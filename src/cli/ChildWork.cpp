// SPDX-License-Identifier: MIT
#include "cli/ChildWork.h"

#include <memory>

#include "domain/modem/Command.h"
#include "platform/SerialPort.h"

namespace Tormel::Cli {

std::optional<ChildWork> ChildWork::start(const std::string& port,
                                          const std::function<QByteArray(int)>& work) {
    std::optional<Platform::ChildProcess> process = Platform::ChildProcess::Start([&work](int parent) {
        // The serial port object came along from the parent with the wake-up event its Close
        // signals, and so did every other child: one child closing its port would wake the
        // read another child is waiting in, and that read would fail as if cancelled.
        const std::unique_ptr<Platform::ISerialPort> own = Platform::CreateSerialPort();
        Domain::Modem::Command::SerialPort(own.get());
        return work(parent).toStdString();
    });
    if (!process) return std::nullopt;
    return ChildWork(port, std::move(*process));
}

void ChildWork::waitAny(const std::vector<ChildWork*>& running, std::chrono::milliseconds within) {
    std::vector<Platform::ChildProcess*> processes;
    processes.reserve(running.size());
    for (ChildWork* child : running) processes.push_back(&child->m_process);
    Platform::ChildProcess::WaitAny(processes, within);
}

}  // namespace Tormel::Cli
