// SPDX-License-Identifier: MIT
#pragma once

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/firmware/ElfEditorBase.h"

namespace Tormel::Domain::Firmware {

// Reads the factory settings of an RS485 wireless unit from its firmware image into the
// settings records, and writes the records back into the image in place. The version byte of
// the image decides which parameters it carries.
//
// Use: Init once; per image FileName, Open, then Load (and take the records) or set the records
// and Store, then Close; End once. A Store is not atomic: store into a copy of the user's image.
class ElfEditor : public ElfEditorBase {
  public:
    ElfEditor() = default;

    ElfEditorResult Load();
    ElfEditorResult Store();

    Common::Communication CommunicationConfig() const { return m_communicationConfig; }
    void CommunicationConfig(const Common::Communication& config) { m_communicationConfig = config; }
    Common::Nodeinfo NodeinfoConfig() const { return m_nodeinfoConfig; }
    void NodeinfoConfig(const Common::Nodeinfo& config) { m_nodeinfoConfig = config; }
    Common::Protocol ProtocolConfig() const { return m_protocolConfig; }
    void ProtocolConfig(const Common::Protocol& config) { m_protocolConfig = config; }
    // Only BindType is kept in the image; Load fills it, Store writes it back.
    Common::Binding BindingConfig() const { return m_bindingConfig; }
    void BindingConfig(const Common::Binding& config) { m_bindingConfig = config; }

  private:
    void LoadSteps();
    void StoreSteps();

    Common::Communication m_communicationConfig{};
    Common::Nodeinfo m_nodeinfoConfig{};
    Common::Protocol m_protocolConfig{};
    Common::Binding m_bindingConfig{};
};

}  // namespace Tormel::Domain::Firmware
