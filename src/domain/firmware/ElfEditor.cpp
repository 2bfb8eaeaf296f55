// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditor.h"

#include <string>

#include "domain/firmware/SymbolData.h"

namespace Tormel::Domain::Firmware {

namespace {

// Firmware generations: up to 36 the unit has a flow control and a packet check code; from 37
// it has a selectable host interface instead. The bind type exists from 34.
constexpr uint8_t kLastVersionWithCheckCode = 36;
constexpr uint8_t kFirstVersionWithIntfPort = 37;
constexpr uint8_t kFirstVersionWithBindType = 34;

std::string KeySymbol(const char* stem, int word) {
    return std::string("TormelParamsM$") + stem + std::to_string(word);
}

}  // namespace

ElfEditorResult ElfEditor::Load() {
    return RunSteps([this] { LoadSteps(); });
}

ElfEditorResult ElfEditor::Store() {
    return RunSteps([this] { StoreSteps(); });
}

// Each value goes into its record at once, so what was read before a failure stays there.
void ElfEditor::LoadSteps() {
    auto& comm = m_communicationConfig;
    auto& node = m_nodeinfoConfig;
    auto& proto = m_protocolConfig;

    const uint8_t version = GetVersion();
    comm.BaudRate = ReadParameter("TormelParamsM$baudrate", 2, SymbolDataToBaudRate);
    comm.DataBits = ReadParameter("TormelParamsM$databit", 1, SymbolDataToDataBits);
    comm.Parity = ReadParameter("TormelParamsM$parity", 1, SymbolDataToParity);
    comm.StopBits = ReadParameter("TormelParamsM$stopbit", 1, SymbolDataToStopBits);
    if (version >= kFirstVersionWithIntfPort)
        comm.IntfPort = ReadParameter("TormelParamsM$intfport", 1, SymbolDataToIntfPort);
    if (version <= kLastVersionWithCheckCode)
        comm.FlowControl = ReadParameter("TormelParamsM$flowControl", 1, SymbolDataToFlowControl);

    node.IdOffset = ReadParameter("TormelParamsM$hundredOrder", 2, SymbolDataToIdOffset);
    node.AutoParamSyncEnable = ReadParameter("TormelParamsM$syncParams", 1, SymbolDataToAutoParamSyncEnable);
    node.ExtendedGroup = ReadParameter("TormelParamsM$extendedGroup", 1, SymbolDataToExtendedGroup);
    // The firmware reports the AES switch under another name than the one it is set by; the AES
    // key length and key are never read back.
    node.AESEncryptEnable = ReadParameter("TormelParamsM$encryptAESEnbl", 1, SymbolDataToAESEncryptEnable);
    node.WhiteningEnable = ReadParameter("TormelParamsM$Whitening", 1, SymbolDataToWhitening);
    node.EncryptEnable = ReadParameter("TormelParamsM$encryptEnbl", 1, SymbolDataToEncryptEnable);
    for (int word = 1; word <= 8; ++word)
        node.*Common::kEncryptKeyFields[word - 1] =
            ReadParameter(KeySymbol("encryptKey", word).c_str(), 2, SymbolDataToKeyWord);

    proto.ThroughMode = ReadParameter("TormelParamsM$throughMode", 1, SymbolDataToThroughMode);
    proto.SilentChar = ReadParameter("TormelParamsM$silentChar", 1, SymbolDataToSilentChar);
    proto.Fmt2Enable = ReadParameter("TormelParamsM$fmt2Enbl", 1, SymbolDataToFmt2Enable);
    proto.PacketStartCode = ReadParameter("TormelParamsM$stxChar", 1, SymbolDataToPacketCode);
    proto.PacketEndCode = ReadParameter("TormelParamsM$etxChar", 1, SymbolDataToPacketCode);
    proto.PacketOffset = ReadParameter("TormelParamsM$offsetAfterEtx", 1, SymbolDataToPacketOffset);
    proto.PacketStartCode2nd = ReadParameter("TormelParamsM$stxChar2", 1, SymbolDataToPacketCode);
    proto.PacketEndCode2nd = ReadParameter("TormelParamsM$etxChar2", 1, SymbolDataToPacketCode);
    proto.PacketOffset2nd = ReadParameter("TormelParamsM$offsetAfterEtx2", 1, SymbolDataToPacketOffset);
    proto.DeviEnable = ReadParameter("TormelParamsM$devIdEnable", 1, SymbolDataToDeviEnable);
    proto.AddressOffset = ReadParameter("TormelParamsM$offsetToDevId", 1, SymbolDataToAddressOffset);
    proto.AddressLength = ReadParameter("TormelParamsM$devIdLen", 1, SymbolDataToAddressLength);
    proto.AddressFormat = ReadParameter("TormelParamsM$devIdFormat", 1, SymbolDataToFormat);
    proto.AddressOffset2nd = ReadParameter("TormelParamsM$offsetToDevId2", 1, SymbolDataToAddressOffset);
    proto.AddressLength2nd = ReadParameter("TormelParamsM$devIdLen2", 1, SymbolDataToAddressLength);
    proto.AddressFormat2nd = ReadParameter("TormelParamsM$devIdFormat2", 1, SymbolDataToFormat);
    proto.BcastAddr = ReadParameter("TormelParamsM$bcastAddr", 2, SymbolDataToBcastAddr);
    if (version <= kLastVersionWithCheckCode) {
        proto.CheckMethod = ReadParameter("TormelParamsM$chkType", 1, SymbolDataToCheckMethod);
        proto.CheckCode = ReadParameter("TormelParamsM$chkIncludeStx", 1, SymbolDataToCheckCode);
        proto.CheckOffset = ReadParameter("TormelParamsM$offsetToChkCode", 1, SymbolDataToCheckOffset);
        proto.CheckLength = ReadParameter("TormelParamsM$chkCodeLen", 1, SymbolDataToCheckLength);
        proto.CheckFormat = ReadParameter("TormelParamsM$chkCodeFormat", 1, SymbolDataToFormat);
    }
    if (version >= kFirstVersionWithBindType)
        m_bindingConfig.BindType = ReadParameter("TormelParamsM$bindType", 1, SymbolDataToBindType);

    // The unit could not tell where a packet ends if both marks were the same byte.
    if (proto.PacketStartCode == proto.PacketEndCode) throw StepFailure{ElfEditorResult::ErrOutOfRange};
}

void ElfEditor::StoreSteps() {
    const auto& comm = m_communicationConfig;
    const auto& node = m_nodeinfoConfig;
    const auto& proto = m_protocolConfig;

    const uint8_t version = GetVersion();
    if (proto.PacketStartCode == proto.PacketEndCode) throw StepFailure{ElfEditorResult::ErrOutOfRange};

    WriteParameter("TormelParamsM$baudrate", 2, comm.BaudRate, BaudRateToSymbolData);
    WriteParameter("TormelParamsM$databit", 1, comm.DataBits, DataBitsToSymbolData);
    WriteParameter("TormelParamsM$parity", 1, comm.Parity, ParityToSymbolData);
    WriteParameter("TormelParamsM$stopbit", 1, comm.StopBits, StopBitsToSymbolData);
    // Written whatever the version: an image without the symbol is not one this tool can set up.
    WriteParameter("TormelParamsM$intfport", 1, comm.IntfPort, IntfPortToSymbolData);

    WriteParameter("TormelParamsM$hundredOrder", 2, node.IdOffset, IdOffsetToSymbolData);
    WriteParameter("TormelParamsM$Whitening", 1, node.WhiteningEnable, WhiteningToSymbolData);
    WriteParameter("TormelParamsM$syncParams", 1, node.AutoParamSyncEnable, AutoParamSyncEnableToSymbolData);
    WriteParameter("TormelParamsM$extendedGroup", 1, node.ExtendedGroup, ExtendedGroupToSymbolData);
    WriteParameter("TormelParamsM$aesEncryptEnbl", 1, node.AESEncryptEnable, AESEncryptEnableToSymbolData);
    WriteParameter("TormelParamsM$aesEncryptType", 1, node.AESEncryptType, AESEncryptTypeToSymbolData);
    for (int word = 1; word <= 16; ++word)
        WriteParameter(KeySymbol("AESencryptKey", word).c_str(), 2,
                       node.*Common::kAESEncryptKeyFields[word - 1], KeyWordToSymbolData);
    WriteParameter("TormelParamsM$encryptEnbl", 1, node.EncryptEnable, EncryptEnableToSymbolData);
    for (int word = 1; word <= 8; ++word)
        WriteParameter(KeySymbol("encryptKey", word).c_str(), 2, node.*Common::kEncryptKeyFields[word - 1],
                       KeyWordToSymbolData);

    WriteParameter("TormelParamsM$throughMode", 1, proto.ThroughMode, ThroughModeToSymbolData);
    WriteParameter("TormelParamsM$silentChar", 1, proto.SilentChar, SilentCharToSymbolData);
    WriteParameter("TormelParamsM$fmt2Enbl", 1, proto.Fmt2Enable, Fmt2EnableToSymbolData);
    WriteParameter("TormelParamsM$stxChar", 1, proto.PacketStartCode, PacketCodeToSymbolData);
    WriteParameter("TormelParamsM$etxChar", 1, proto.PacketEndCode, PacketCodeToSymbolData);
    WriteParameter("TormelParamsM$offsetAfterEtx", 1, proto.PacketOffset, PacketOffsetToSymbolData);
    WriteParameter("TormelParamsM$stxChar2", 1, proto.PacketStartCode2nd, PacketCodeToSymbolData);
    WriteParameter("TormelParamsM$etxChar2", 1, proto.PacketEndCode2nd, PacketCodeToSymbolData);
    WriteParameter("TormelParamsM$offsetAfterEtx2", 1, proto.PacketOffset2nd, PacketOffsetToSymbolData);
    WriteParameter("TormelParamsM$devIdEnable", 1, proto.DeviEnable, DeviEnableToSymbolData);
    WriteParameter("TormelParamsM$offsetToDevId", 1, proto.AddressOffset, AddressOffsetToSymbolData);
    WriteParameter("TormelParamsM$devIdLen", 1, proto.AddressLength, AddressLengthToSymbolData);
    WriteParameter("TormelParamsM$devIdFormat", 1, proto.AddressFormat, FormatToSymbolData);
    WriteParameter("TormelParamsM$offsetToDevId2", 1, proto.AddressOffset2nd, AddressOffsetToSymbolData);
    WriteParameter("TormelParamsM$devIdLen2", 1, proto.AddressLength2nd, AddressLengthToSymbolData);
    WriteParameter("TormelParamsM$devIdFormat2", 1, proto.AddressFormat2nd, FormatToSymbolData);
    WriteParameter("TormelParamsM$bcastAddr", 2, proto.BcastAddr, BcastAddrToSymbolData);
    if (version <= kLastVersionWithCheckCode) {
        WriteParameter("TormelParamsM$chkType", 1, proto.CheckMethod, CheckMethodToSymbolData);
        WriteParameter("TormelParamsM$chkIncludeStx", 1, proto.CheckCode, CheckCodeToSymbolData);
        WriteParameter("TormelParamsM$offsetToChkCode", 1, proto.CheckOffset, CheckOffsetToSymbolData);
        WriteParameter("TormelParamsM$chkCodeLen", 1, proto.CheckLength, CheckLengthToSymbolData);
        WriteParameter("TormelParamsM$chkCodeFormat", 1, proto.CheckFormat, FormatToSymbolData);
    }
    // The bind type written is the image's own (from Load); the settings never carry one here.
    if (version >= kFirstVersionWithBindType)
        WriteParameter("TormelParamsM$bindType", 1, m_bindingConfig.BindType, BindTypeToSymbolData);
}

}  // namespace Tormel::Domain::Firmware
