// SPDX-License-Identifier: MIT
#include <utility>

#include "domain/modem/Command.h"
#include "domain/modem/TX330Command.h"

namespace Tormel::Domain::Modem {

namespace {

// The link state a Connect changes, kept so that a probe leaves the held unit as it was.
struct LinkSnapshot {
    std::string portName = Command::m_portName;
    Common::Communication communication = Command::m_communication;
    Common::Communication current = Command::m_current;
    Common::Nodeinfo nodeinfo = Command::m_nodeinfo;
    int32_t portIF = Command::m_portIF;
    std::string nameSoft = Command::m_NameSoft;
    std::string tx330NameSoft = TX330Command::m_NameSoft;
    std::string result = Command::m_result;
    std::vector<RefusedPort> refusedPorts = Command::m_refusedPorts;
    PortLister lister = Command::CurrentPortLister();

    void restore() {
        Command::m_portName = std::move(portName);
        Command::m_communication = communication;
        Command::m_current = current;
        Command::m_nodeinfo = std::move(nodeinfo);
        Command::m_portIF = portIF;
        Command::m_NameSoft = std::move(nameSoft);
        TX330Command::m_NameSoft = std::move(tx330NameSoft);
        Command::m_result = std::move(result);
        Command::m_refusedPorts = std::move(refusedPorts);
        Command::SetPortLister(std::move(lister));
    }
};

}  // namespace

std::optional<std::string> Command::ProbeFamilyOn(const std::string& port, Common::UnitFamily family) {
    LinkSnapshot kept;
    const ScanFacts lastScan = m_lastScan;
    SetPortLister([port] { return std::vector<std::string>{port}; });
    const bool rs485 = family == Common::UnitFamily::Rs485;
    const CommandResult result = rs485 ? Command::Connect() : TX330Command::Connect();
    std::optional<std::string> name;
    if (result == CommandResult::Success) name = m_nodeinfo.SoftwareName;
    try {
        Close();
    } catch (...) {
        // the port is gone either way
    }
    kept.restore();
    m_lastScan = lastScan;
    return name;
}

}  // namespace Tormel::Domain::Modem
