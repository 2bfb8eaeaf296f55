// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditor.h"

#include "domain/firmware/SymbolData.h"

namespace Tormel::Domain::Firmware {

namespace {

// Firmware generations: up to 36 the unit has a flow control and a packet check code; from 37
// it has a selectable host interface instead. The bind type exists from 34.
constexpr uint8_t kLastVersionWithCheckCode = 36;
constexpr uint8_t kFirstVersionWithIntfPort = 37;
constexpr uint8_t kFirstVersionWithBindType = 34;

}  // namespace

ElfEditorResult ElfEditor::Load() {
    return RunSteps([this] { LoadSteps(); });
}

ElfEditorResult ElfEditor::Store() {
    return RunSteps([this] { StoreSteps(); });
}

// Each value goes into its record at once, so what was read before a failure stays there. The
// AES key length and key are never read back from an image.
void ElfEditor::LoadSteps() {
    auto& comm = m_communicationConfig;
    auto& node = m_nodeinfoConfig;
    auto& proto = m_protocolConfig;

    const uint8_t version = GetVersion();
    comm.BaudRate = GetBaudrate();
    comm.DataBits = GetDatabit();
    comm.Parity = GetParity();
    comm.StopBits = GetStopbit();
    if (version >= kFirstVersionWithIntfPort) {
        comm.IntfPort = GetIntfPort();
    }
    if (version <= kLastVersionWithCheckCode) {
        comm.FlowControl = GetFlowControl();
    }

    node.IdOffset = GetIdOffset();
    node.AutoParamSyncEnable = GetAutoParamSyncEnable();
    node.ExtendedGroup = GetExtendedGroup();
    node.AESEncryptEnable = GetAESEncryptEnable();
    node.WhiteningEnable = GetWhitening();
    node.EncryptEnable = GetEncryptEnable();
    for (int word = 1; word <= 8; ++word) {
        node.*Common::kEncryptKeyFields[word - 1] = GetEncryptKey(word);
    }

    proto.ThroughMode = GetThroughMode();
    proto.SilentChar = GetSilentChar();
    proto.Fmt2Enable = GetFmt2Enable();
    proto.PacketStartCode = GetStxChar();
    proto.PacketEndCode = GetEtxChar();
    proto.PacketOffset = GetOffsetAfterEtx();
    proto.PacketStartCode2nd = GetStxChar2nd();
    proto.PacketEndCode2nd = GetEtxChar2nd();
    proto.PacketOffset2nd = GetOffsetAfterEtx2nd();
    proto.DeviEnable = GetDeviEnable();
    proto.AddressOffset = GetOffsetToDevId();
    proto.AddressLength = GetDevIdLen();
    proto.AddressFormat = GetDevIdFormat();
    proto.AddressOffset2nd = GetOffsetToDevId2nd();
    proto.AddressLength2nd = GetDevIdLen2nd();
    proto.AddressFormat2nd = GetDevIdFormat2nd();
    proto.BcastAddr = GetBcastAddr();
    if (version <= kLastVersionWithCheckCode) {
        proto.CheckMethod = GetChkType();
        proto.CheckCode = GetChkIncludeStx();
        proto.CheckOffset = GetOffsetToChkCode();
        proto.CheckLength = GetChkCodeLen();
        proto.CheckFormat = GetChkCodeFormat();
    }
    if (version >= kFirstVersionWithBindType) {
        m_bindingConfig.BindType = GetBindType();
    }

    // The unit could not tell where a packet ends if both marks were the same byte.
    if (proto.PacketStartCode == proto.PacketEndCode) {
        throw StepFailure{ElfEditorResult::ErrOutOfRange};
    }
}

void ElfEditor::StoreSteps() {
    const auto& comm = m_communicationConfig;
    const auto& node = m_nodeinfoConfig;
    const auto& proto = m_protocolConfig;

    const uint8_t version = GetVersion();
    if (proto.PacketStartCode == proto.PacketEndCode) {
        throw StepFailure{ElfEditorResult::ErrOutOfRange};
    }

    SetBaudrate(comm.BaudRate);
    SetDatabit(comm.DataBits);
    SetParity(comm.Parity);
    SetStopbit(comm.StopBits);
    // Written whatever the version: an image without the symbol is not one this tool can set up.
    SetIntfPort(comm.IntfPort);

    SetIdOffset(node.IdOffset);
    SetWhitening(node.WhiteningEnable);
    SetAutoParamSyncEnable(node.AutoParamSyncEnable);
    SetExtendedGroup(node.ExtendedGroup);
    SetAESEncryptEnable(node.AESEncryptEnable);
    SetAESEncryptType(node.AESEncryptType);
    for (int word = 1; word <= 16; ++word) {
        SetAESEncryptKey(word, node.*Common::kAESEncryptKeyFields[word - 1]);
    }
    SetEncryptEnable(node.EncryptEnable);
    for (int word = 1; word <= 8; ++word) {
        SetEncryptKey(word, node.*Common::kEncryptKeyFields[word - 1]);
    }

    SetThroughMode(proto.ThroughMode);
    SetSilentChar(proto.SilentChar);
    SetFmt2Enable(proto.Fmt2Enable);
    SetStxChar(proto.PacketStartCode);
    SetEtxChar(proto.PacketEndCode);
    SetOffsetAfterEtx(proto.PacketOffset);
    SetStxChar2nd(proto.PacketStartCode2nd);
    SetEtxChar2nd(proto.PacketEndCode2nd);
    SetOffsetAfterEtx2nd(proto.PacketOffset2nd);
    SetDeviEnable(proto.DeviEnable);
    SetOffsetToDevId(proto.AddressOffset);
    SetDevIdLen(proto.AddressLength);
    SetDevIdFormat(proto.AddressFormat);
    SetOffsetToDevId2nd(proto.AddressOffset2nd);
    SetDevIdLen2nd(proto.AddressLength2nd);
    SetDevIdFormat2nd(proto.AddressFormat2nd);
    SetBcastAddr(proto.BcastAddr);
    if (version <= kLastVersionWithCheckCode) {
        SetChkType(proto.CheckMethod);
        SetChkIncludeStx(proto.CheckCode);
        SetOffsetToChkCode(proto.CheckOffset);
        SetChkCodeLen(proto.CheckLength);
        SetChkCodeFormat(proto.CheckFormat);
    }
    // The bind type written is the image's own (from Load); the settings never carry one here.
    if (version >= kFirstVersionWithBindType) {
        SetBindType(m_bindingConfig.BindType);
    }
}

Common::ProtocolThrough ElfEditor::GetThroughMode() {
    return ReadParameter("TormelParamsM$throughMode", 1, SymbolDataToThroughMode);
}
void ElfEditor::SetThroughMode(Common::ProtocolThrough value) {
    WriteParameter("TormelParamsM$throughMode", 1, value, ThroughModeToSymbolData);
}
uint8_t ElfEditor::GetSilentChar() {
    return ReadParameter("TormelParamsM$silentChar", 1, SymbolDataToSilentChar);
}
void ElfEditor::SetSilentChar(uint8_t value) {
    WriteParameter("TormelParamsM$silentChar", 1, value, SilentCharToSymbolData);
}
Common::ProtocolFmt2Enable ElfEditor::GetFmt2Enable() {
    return ReadParameter("TormelParamsM$fmt2Enbl", 1, SymbolDataToFmt2Enable);
}
void ElfEditor::SetFmt2Enable(Common::ProtocolFmt2Enable value) {
    WriteParameter("TormelParamsM$fmt2Enbl", 1, value, Fmt2EnableToSymbolData);
}
uint8_t ElfEditor::GetStxChar() { return ReadParameter("TormelParamsM$stxChar", 1, SymbolDataToPacketCode); }
void ElfEditor::SetStxChar(uint8_t value) {
    WriteParameter("TormelParamsM$stxChar", 1, value, PacketCodeToSymbolData);
}
uint8_t ElfEditor::GetEtxChar() { return ReadParameter("TormelParamsM$etxChar", 1, SymbolDataToPacketCode); }
void ElfEditor::SetEtxChar(uint8_t value) {
    WriteParameter("TormelParamsM$etxChar", 1, value, PacketCodeToSymbolData);
}
uint8_t ElfEditor::GetOffsetAfterEtx() {
    return ReadParameter("TormelParamsM$offsetAfterEtx", 1, SymbolDataToPacketOffset);
}
void ElfEditor::SetOffsetAfterEtx(uint8_t value) {
    WriteParameter("TormelParamsM$offsetAfterEtx", 1, value, PacketOffsetToSymbolData);
}
uint8_t ElfEditor::GetStxChar2nd() {
    return ReadParameter("TormelParamsM$stxChar2", 1, SymbolDataToPacketCode);
}
void ElfEditor::SetStxChar2nd(uint8_t value) {
    WriteParameter("TormelParamsM$stxChar2", 1, value, PacketCodeToSymbolData);
}
uint8_t ElfEditor::GetEtxChar2nd() {
    return ReadParameter("TormelParamsM$etxChar2", 1, SymbolDataToPacketCode);
}
void ElfEditor::SetEtxChar2nd(uint8_t value) {
    WriteParameter("TormelParamsM$etxChar2", 1, value, PacketCodeToSymbolData);
}
uint8_t ElfEditor::GetOffsetAfterEtx2nd() {
    return ReadParameter("TormelParamsM$offsetAfterEtx2", 1, SymbolDataToPacketOffset);
}
void ElfEditor::SetOffsetAfterEtx2nd(uint8_t value) {
    WriteParameter("TormelParamsM$offsetAfterEtx2", 1, value, PacketOffsetToSymbolData);
}
Common::ProtocolDeviEnable ElfEditor::GetDeviEnable() {
    return ReadParameter("TormelParamsM$devIdEnable", 1, SymbolDataToDeviEnable);
}
void ElfEditor::SetDeviEnable(Common::ProtocolDeviEnable value) {
    WriteParameter("TormelParamsM$devIdEnable", 1, value, DeviEnableToSymbolData);
}
uint8_t ElfEditor::GetOffsetToDevId() {
    return ReadParameter("TormelParamsM$offsetToDevId", 1, SymbolDataToAddressOffset);
}
void ElfEditor::SetOffsetToDevId(uint8_t value) {
    WriteParameter("TormelParamsM$offsetToDevId", 1, value, AddressOffsetToSymbolData);
}
uint8_t ElfEditor::GetDevIdLen() {
    return ReadParameter("TormelParamsM$devIdLen", 1, SymbolDataToAddressLength);
}
void ElfEditor::SetDevIdLen(uint8_t value) {
    WriteParameter("TormelParamsM$devIdLen", 1, value, AddressLengthToSymbolData);
}
Common::ProtocolFormat ElfEditor::GetDevIdFormat() {
    return ReadParameter("TormelParamsM$devIdFormat", 1, SymbolDataToFormat);
}
void ElfEditor::SetDevIdFormat(Common::ProtocolFormat value) {
    WriteParameter("TormelParamsM$devIdFormat", 1, value, FormatToSymbolData);
}
uint8_t ElfEditor::GetOffsetToDevId2nd() {
    return ReadParameter("TormelParamsM$offsetToDevId2", 1, SymbolDataToAddressOffset);
}
void ElfEditor::SetOffsetToDevId2nd(uint8_t value) {
    WriteParameter("TormelParamsM$offsetToDevId2", 1, value, AddressOffsetToSymbolData);
}
uint8_t ElfEditor::GetDevIdLen2nd() {
    return ReadParameter("TormelParamsM$devIdLen2", 1, SymbolDataToAddressLength);
}
void ElfEditor::SetDevIdLen2nd(uint8_t value) {
    WriteParameter("TormelParamsM$devIdLen2", 1, value, AddressLengthToSymbolData);
}
Common::ProtocolFormat ElfEditor::GetDevIdFormat2nd() {
    return ReadParameter("TormelParamsM$devIdFormat2", 1, SymbolDataToFormat);
}
void ElfEditor::SetDevIdFormat2nd(Common::ProtocolFormat value) {
    WriteParameter("TormelParamsM$devIdFormat2", 1, value, FormatToSymbolData);
}
uint32_t ElfEditor::GetBcastAddr() {
    return ReadParameter("TormelParamsM$bcastAddr", 2, SymbolDataToBcastAddr);
}
void ElfEditor::SetBcastAddr(uint32_t value) {
    WriteParameter("TormelParamsM$bcastAddr", 2, value, BcastAddrToSymbolData);
}
Common::ProtocolMethod ElfEditor::GetChkType() {
    return ReadParameter("TormelParamsM$chkType", 1, SymbolDataToCheckMethod);
}
void ElfEditor::SetChkType(Common::ProtocolMethod value) {
    WriteParameter("TormelParamsM$chkType", 1, value, CheckMethodToSymbolData);
}
Common::ProtocolCheckCode ElfEditor::GetChkIncludeStx() {
    return ReadParameter("TormelParamsM$chkIncludeStx", 1, SymbolDataToCheckCode);
}
void ElfEditor::SetChkIncludeStx(Common::ProtocolCheckCode value) {
    WriteParameter("TormelParamsM$chkIncludeStx", 1, value, CheckCodeToSymbolData);
}
int32_t ElfEditor::GetOffsetToChkCode() {
    return ReadParameter("TormelParamsM$offsetToChkCode", 1, SymbolDataToCheckOffset);
}
void ElfEditor::SetOffsetToChkCode(int32_t value) {
    WriteParameter("TormelParamsM$offsetToChkCode", 1, value, CheckOffsetToSymbolData);
}
uint8_t ElfEditor::GetChkCodeLen() {
    return ReadParameter("TormelParamsM$chkCodeLen", 1, SymbolDataToCheckLength);
}
void ElfEditor::SetChkCodeLen(uint8_t value) {
    WriteParameter("TormelParamsM$chkCodeLen", 1, value, CheckLengthToSymbolData);
}
Common::ProtocolFormat ElfEditor::GetChkCodeFormat() {
    return ReadParameter("TormelParamsM$chkCodeFormat", 1, SymbolDataToFormat);
}
void ElfEditor::SetChkCodeFormat(Common::ProtocolFormat value) {
    WriteParameter("TormelParamsM$chkCodeFormat", 1, value, FormatToSymbolData);
}
Common::BindingType ElfEditor::GetBindType() {
    return ReadParameter("TormelParamsM$bindType", 1, SymbolDataToBindType);
}
void ElfEditor::SetBindType(Common::BindingType value) {
    WriteParameter("TormelParamsM$bindType", 1, value, BindTypeToSymbolData);
}

}  // namespace Tormel::Domain::Firmware
