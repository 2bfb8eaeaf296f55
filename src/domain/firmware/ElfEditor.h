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

    // The packet, addressing, check-code and binding parameters only this unit has.
    Common::ProtocolThrough GetThroughMode();
    void SetThroughMode(Common::ProtocolThrough value);
    uint8_t GetSilentChar();
    void SetSilentChar(uint8_t value);
    Common::ProtocolFmt2Enable GetFmt2Enable();
    void SetFmt2Enable(Common::ProtocolFmt2Enable value);
    uint8_t GetStxChar();
    void SetStxChar(uint8_t value);
    uint8_t GetEtxChar();
    void SetEtxChar(uint8_t value);
    uint8_t GetOffsetAfterEtx();
    void SetOffsetAfterEtx(uint8_t value);
    uint8_t GetStxChar2nd();
    void SetStxChar2nd(uint8_t value);
    uint8_t GetEtxChar2nd();
    void SetEtxChar2nd(uint8_t value);
    uint8_t GetOffsetAfterEtx2nd();
    void SetOffsetAfterEtx2nd(uint8_t value);
    Common::ProtocolDeviEnable GetDeviEnable();
    void SetDeviEnable(Common::ProtocolDeviEnable value);
    uint8_t GetOffsetToDevId();
    void SetOffsetToDevId(uint8_t value);
    uint8_t GetDevIdLen();
    void SetDevIdLen(uint8_t value);
    Common::ProtocolFormat GetDevIdFormat();
    void SetDevIdFormat(Common::ProtocolFormat value);
    uint8_t GetOffsetToDevId2nd();
    void SetOffsetToDevId2nd(uint8_t value);
    uint8_t GetDevIdLen2nd();
    void SetDevIdLen2nd(uint8_t value);
    Common::ProtocolFormat GetDevIdFormat2nd();
    void SetDevIdFormat2nd(Common::ProtocolFormat value);
    uint32_t GetBcastAddr();
    void SetBcastAddr(uint32_t value);
    Common::ProtocolMethod GetChkType();
    void SetChkType(Common::ProtocolMethod value);
    Common::ProtocolCheckCode GetChkIncludeStx();
    void SetChkIncludeStx(Common::ProtocolCheckCode value);
    int32_t GetOffsetToChkCode();
    void SetOffsetToChkCode(int32_t value);
    uint8_t GetChkCodeLen();
    void SetChkCodeLen(uint8_t value);
    Common::ProtocolFormat GetChkCodeFormat();
    void SetChkCodeFormat(Common::ProtocolFormat value);
    Common::BindingType GetBindType();
    void SetBindType(Common::BindingType value);

    Common::Communication m_communicationConfig{};
    Common::Nodeinfo m_nodeinfoConfig{};
    Common::Protocol m_protocolConfig{};
    Common::Binding m_bindingConfig{};
};

}  // namespace Tormel::Domain::Firmware
