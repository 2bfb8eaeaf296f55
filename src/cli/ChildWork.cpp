// SPDX-License-Identifier: MIT
#include "cli/ChildWork.h"

namespace Tormel::Cli {

std::optional<ChildWork> ChildWork::start(const std::string& port,
                                          const std::function<QByteArray(int)>& work) {
    // The work connects through a Link of its own (see Link::settingsOf): a serial port object
    // shared with the parent would share the wake-up event its Close signals with every other
    // child, and one child closing its port would wake the read another child is waiting in.
    std::optional<Platform::ChildProcess> process =
        Platform::ChildProcess::Start([&work](int parent) { return work(parent).toStdString(); });
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
