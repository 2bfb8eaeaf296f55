// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditor_TX330.h"

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
    comm.BaudRate = GetBaudrate();
    comm.DataBits = GetDatabit();
    comm.Parity = GetParity();
    comm.StopBits = GetStopbit();
    comm.Awt = GetAwt();
    if (version >= kFirstVersionWithIntfPort) {
        comm.IntfPort = GetIntfPort();
    } else {
        comm.FlowControl = GetFlowControl();
    }
    node.IdOffset = GetIdOffset();
    node.AutoParamSyncEnable = GetAutoParamSyncEnable();
    node.ExtendedGroup = GetExtendedGroup();
    node.AESEncryptEnable = GetAESEncryptEnable();
}

// The node-ID offset and the flow control are read but never written by this unit's tool.
void ElfEditor_TX330::StoreSteps() {
    const auto& comm = m_communicationConfig;
    const auto& node = m_nodeinfoConfig;

    GetVersion();  // an image without a version is no parameter block: refuse before writing
    SetBaudrate(comm.BaudRate);
    SetDatabit(comm.DataBits);
    SetParity(comm.Parity);
    SetStopbit(comm.StopBits);
    SetAwt(comm.Awt);
    SetIntfPort(comm.IntfPort);
    SetAutoParamSyncEnable(node.AutoParamSyncEnable);
    SetExtendedGroup(node.ExtendedGroup);
    SetAESEncryptEnable(node.AESEncryptEnable);
    SetAESEncryptType(node.AESEncryptType);
    for (int word = 1; word <= 16; ++word) {
        SetAESEncryptKey(word, node.*Common::kAESEncryptKeyFields[word - 1]);
    }
}

}  // namespace Tormel::Domain::Firmware
