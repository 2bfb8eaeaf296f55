// SPDX-License-Identifier: MIT
#pragma once

#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "domain/firmware/ElfEditorBase.h"

namespace Tormel::Domain::Firmware {

// The firmware editor of the contact-input/output unit: the same parameter block as the RS485
// unit's, of which it touches the serial line, the answer wait time, the node settings and the
// AES encryption. The radio and contact records are carried for the caller, never imaged.
class ElfEditor_TX330 : public ElfEditorBase {
  public:
    ElfEditor_TX330() = default;

    ElfEditorResult_TX330 Load();
    ElfEditorResult_TX330 Store();

    Common::Communication CommunicationConfig() const { return m_communicationConfig; }
    void CommunicationConfig(const Common::Communication& config) { m_communicationConfig = config; }
    Common::Nodeinfo NodeinfoConfig() const { return m_nodeinfoConfig; }
    void NodeinfoConfig(const Common::Nodeinfo& config) { m_nodeinfoConfig = config; }
    Common::Wirelessinfo WirelessinfoConfig() const { return m_wirelessinfoConfig; }
    void WirelessinfoConfig(const Common::Wirelessinfo& config) { m_wirelessinfoConfig = config; }
    Common::Didoinfo DidoinfoConfig() const { return m_didoinfoConfig; }
    void DidoinfoConfig(const Common::Didoinfo& config) { m_didoinfoConfig = config; }

  private:
    void LoadSteps();
    void StoreSteps();

    Common::Communication m_communicationConfig{};
    Common::Nodeinfo m_nodeinfoConfig{};
    Common::Wirelessinfo m_wirelessinfoConfig{};
    Common::Didoinfo m_didoinfoConfig{};
};

}  // namespace Tormel::Domain::Firmware
