// SPDX-License-Identifier: MIT
#pragma once

#include "domain/common/Didoinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "domain/firmware/ElfEditorBase.h"

namespace Tormel::Domain::Firmware {

// The firmware editor of the contact-input/output unit: the same parameter block as the RS485
// unit's, of which it touches the serial line, the answer wait time, the node settings and the
// AES encryption (it reads the node-ID offset and the flow control but never writes them). The
// radio and contact records are carried for the caller, never imaged.
class ElfEditor_TX330 : public ElfEditorBase {
  public:
    ElfEditor_TX330() : ElfEditorBase(UnitFamily::Tx330) {}

    // Load and Store (their ElfEditorResult_TX330 is ElfEditorResult) and the serial-line and
    // node records are the base's.
    Common::Wirelessinfo WirelessinfoConfig() const { return m_wirelessinfoConfig; }
    void WirelessinfoConfig(const Common::Wirelessinfo& config) { m_wirelessinfoConfig = config; }
    Common::Didoinfo DidoinfoConfig() const { return m_didoinfoConfig; }
    void DidoinfoConfig(const Common::Didoinfo& config) { m_didoinfoConfig = config; }

  private:
    Common::Wirelessinfo m_wirelessinfoConfig{};
    Common::Didoinfo m_didoinfoConfig{};
};

}  // namespace Tormel::Domain::Firmware
