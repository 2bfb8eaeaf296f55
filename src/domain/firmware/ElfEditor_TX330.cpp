// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditor_TX330.h"

#include <string>

#include "domain/firmware/SymbolData.h"

namespace Tormel::Domain::Firmware {

namespace {

constexpr uint8_t kFirstVersionWithIntfPort = 37;

}  // namespace

ElfEditorResult_TX330 ElfEditor_TX330::Load() {
    return RunSteps([this] { LoadSteps(); });
}

ElfEditorResult_TX330 ElfEditor_TX330::Store() {
    return RunSteps([this] { StoreSteps(); });
}

void ElfEditor_TX330::LoadSteps() {
    auto& comm = m_communicationConfig;
    auto& node = m_nodeinfoConfig;

    const uint8_t version = GetVersion();
    comm.BaudRate = ReadParameter("TormelParamsM$baudrate", 2, SymbolDataToBaudRate);
    comm.DataBits = ReadParameter("TormelParamsM$databit", 1, SymbolDataToDataBits);
    comm.Parity = ReadParameter("TormelParamsM$parity", 1, SymbolDataToParity);
    comm.StopBits = ReadParameter("TormelParamsM$stopbit", 1, SymbolDataToStopBits);
    comm.Awt = ReadParameter("TormelParamsM$awt", 2, SymbolDataToAwt);
    if (version >= kFirstVersionWithIntfPort)
        comm.IntfPort = ReadParameter("TormelParamsM$intfport", 1, SymbolDataToIntfPort);
    else
        comm.FlowControl = ReadParameter("TormelParamsM$flowControl", 1, SymbolDataToFlowControl);
    node.IdOffset = ReadParameter("TormelParamsM$hundredOrder", 2, SymbolDataToIdOffset);
    node.AutoParamSyncEnable = ReadParameter("TormelParamsM$syncParams", 1, SymbolDataToAutoParamSyncEnable);
    node.ExtendedGroup = ReadParameter("TormelParamsM$extendedGroup", 1, SymbolDataToExtendedGroup);
    node.AESEncryptEnable = ReadParameter("TormelParamsM$encryptAESEnbl", 1, SymbolDataToAESEncryptEnable);
}

// The node-ID offset and the flow control are read but never written by this unit's tool.
void ElfEditor_TX330::StoreSteps() {
    const auto& comm = m_communicationConfig;
    const auto& node = m_nodeinfoConfig;

    GetVersion();  // an image without a version is no parameter block: refuse before writing
    WriteParameter("TormelParamsM$baudrate", 2, comm.BaudRate, BaudRateToSymbolData);
    WriteParameter("TormelParamsM$databit", 1, comm.DataBits, DataBitsToSymbolData);
    WriteParameter("TormelParamsM$parity", 1, comm.Parity, ParityToSymbolData);
    WriteParameter("TormelParamsM$stopbit", 1, comm.StopBits, StopBitsToSymbolData);
    WriteParameter("TormelParamsM$awt", 2, comm.Awt, AwtToSymbolData);
    WriteParameter("TormelParamsM$intfport", 1, comm.IntfPort, IntfPortToSymbolData);
    WriteParameter("TormelParamsM$syncParams", 1, node.AutoParamSyncEnable, AutoParamSyncEnableToSymbolData);
    WriteParameter("TormelParamsM$extendedGroup", 1, node.ExtendedGroup, ExtendedGroupToSymbolData);
    WriteParameter("TormelParamsM$aesEncryptEnbl", 1, node.AESEncryptEnable, AESEncryptEnableToSymbolData);
    WriteParameter("TormelParamsM$aesEncryptType", 1, node.AESEncryptType, AESEncryptTypeToSymbolData);
    for (int word = 1; word <= 16; ++word)
        WriteParameter(("TormelParamsM$AESencryptKey" + std::to_string(word)).c_str(), 2,
                       node.*Common::kAESEncryptKeyFields[word - 1], KeyWordToSymbolData);
}

}  // namespace Tormel::Domain::Firmware
