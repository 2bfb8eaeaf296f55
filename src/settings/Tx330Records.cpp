// SPDX-License-Identifier: MIT
#include "settings/Tx330Records.h"

#include "settings/ChoiceLists.h"

namespace Tormel::Gui::Tx330Records {

namespace Common = Domain::Common;

std::optional<ChannelSelection> channelSelectionOf(int32_t opMode, int32_t chMode, int32_t ch) {
    if (opMode == 0) {
        return ChannelSelection{ChannelButton::Fsk, ch - 33};
    }
    if (opMode == 1 && chMode == 0) {
        return ChannelSelection{ChannelButton::LoRaLow, ch >= 33 ? ch - 25 : ch - 24};
    }
    if (opMode == 1 && chMode == 1) {
        return ChannelSelection{ChannelButton::LoRaHigh, ch - 33};
    }
    return std::nullopt;
}

ChannelSetting channelSettingOf(const ChannelSelection& selection) {
    switch (selection.button) {
        case ChannelButton::LoRaLow:
            return {1, 0, ChoiceLists::loraLowChannelAt(selection.index).value_or(24)};
        case ChannelButton::LoRaHigh:
            return {1, 1, selection.index + 33};
        case ChannelButton::Fsk:
            break;
    }
    return {0, 1, selection.index + 33};
}

int32_t clampedGroupId(int32_t grpId) { return grpId < 100 ? 100 : (grpId > 115 ? 115 : grpId); }

Common::Communication communicationOf(const ApplicationConfig_TX330& config) {
    Common::Communication comm;
    comm.BaudRate = ChoiceLists::baudRateAt(config.m_baudrate, true).value_or(0);
    comm.DataBits = ChoiceLists::dataBitsAt(config.m_databits).value_or(8);
    comm.Parity = ChoiceLists::parityAt(config.m_parity).value_or(Common::Parity::None);
    comm.StopBits = ChoiceLists::stopBitsAt(config.m_stopbits).value_or(Common::StopBits::One);
    comm.Awt = config.m_awt;
    comm.IntfPort = 0;
    comm.FlowControl = Common::Handshake::None;
    return comm;
}

Common::Nodeinfo nodeinfoOf(const ApplicationConfig_TX330& config, int32_t keySetting,
                            const Common::Nodeinfo& unit) {
    Common::Nodeinfo node{};
    node.SoftwareName = unit.SoftwareName;
    node.SoftwareVersion = unit.SoftwareVersion;
    config.putAesFields(keySetting, node);
    return node;
}

Common::Wirelessinfo wirelessOf(const ApplicationConfig_TX330& config) {
    Common::Wirelessinfo radio{};
    radio.OpMode = static_cast<Common::WirelessinfoOpMode>(config.m_OpMode);
    radio.ChMode = static_cast<Common::WirelessinfoChMode>(config.m_ChMode);
    radio.Ch = static_cast<Common::WirelessinfoCh>(config.m_Ch);
    radio.NodeId = static_cast<Common::WirelessinfoNodeId>(config.m_NodeId);
    radio.GrpId = static_cast<Common::WirelessinfoGrpId>(config.m_GrpId);
    return radio;
}

Common::Didoinfo didoOf(const ApplicationConfig_TX330& config) {
    Common::Didoinfo dido{};
    dido.Do1Bind = static_cast<Common::DidoinfoDoBind>(config.m_Do1Bind);
    dido.Do2Bind = static_cast<Common::DidoinfoDoBind>(config.m_Do2Bind);
    dido.Do3Bind = static_cast<Common::DidoinfoDoBind>(config.m_Do3Bind);
    dido.Do1Invert = static_cast<Common::DidoinfoDoInvert>(config.m_Do1Invert);
    dido.Do2Invert = static_cast<Common::DidoinfoDoInvert>(config.m_Do2Invert);
    dido.Do3Invert = static_cast<Common::DidoinfoDoInvert>(config.m_Do3Invert);
    dido.DoOffDelay = static_cast<Common::DidoinfoDoOffDelay>(config.m_DoOffDelay);
    dido.DoOnDelay = static_cast<Common::DidoinfoDoOnDelay>(config.m_DoOnDelay);
    dido.DoKeepTime = static_cast<Common::DidoinfoDoKeepTime>(config.m_DoKeepTime);
    dido.DoKeepSignal = static_cast<Common::DidoinfoDoKeepSignal>(config.m_DoKeepSig);
    dido.DiDelay = static_cast<Common::DidoinfoDiDelay>(config.m_DoDiDelay);
    return dido;
}

std::optional<ApplicationConfig_TX330> configFromRecords(const Common::Communication& comm,
                                                         const Common::Nodeinfo& node,
                                                         const Common::Wirelessinfo& wireless,
                                                         const Common::Didoinfo& dido,
                                                         ChoiceLists::InterfacePort port) {
    ApplicationConfig_TX330 config;
    config.m_version = QString::fromStdString(node.SoftwareVersion);
    config.m_Ch = static_cast<int32_t>(wireless.Ch);
    config.m_ChMode = static_cast<int32_t>(wireless.ChMode);
    config.m_OpMode = static_cast<int32_t>(wireless.OpMode);
    config.m_GrpId = static_cast<int32_t>(wireless.GrpId);
    config.m_NodeId = static_cast<int32_t>(wireless.NodeId);
    config.m_DoKeepTime = static_cast<int32_t>(dido.DoKeepTime);
    config.m_DoKeepSig = static_cast<int32_t>(dido.DoKeepSignal);
    config.m_Do1Bind = static_cast<int32_t>(dido.Do1Bind);
    config.m_Do2Bind = static_cast<int32_t>(dido.Do2Bind);
    config.m_Do3Bind = static_cast<int32_t>(dido.Do3Bind);
    config.m_Do1Invert = static_cast<int32_t>(dido.Do1Invert);
    config.m_Do2Invert = static_cast<int32_t>(dido.Do2Invert);
    config.m_Do3Invert = static_cast<int32_t>(dido.Do3Invert);
    config.m_DoOffDelay = static_cast<int32_t>(dido.DoOffDelay);
    config.m_DoOnDelay = static_cast<int32_t>(dido.DoOnDelay);
    config.m_DoDiDelay = static_cast<int32_t>(dido.DiDelay);
    config.m_extendedGroup = static_cast<int32_t>(node.ExtendedGroup);
    config.m_aesEncryptEnable = static_cast<int32_t>(node.AESEncryptEnable);
    config.m_aesEncryptType = static_cast<int32_t>(node.AESEncryptType);

    const std::optional<int32_t> baud = ChoiceLists::baudRateIndex(comm.BaudRate, true);
    if (!baud || (comm.DataBits != 8 && comm.DataBits != 7)) {
        return std::nullopt;
    }
    config.m_baudrate = *baud;
    config.m_databits = comm.DataBits == 8 ? 0 : 1;
    const std::optional<int32_t> parity = ChoiceLists::parityIndex(comm.Parity);
    const std::optional<int32_t> stopBits = ChoiceLists::stopBitsIndex(comm.StopBits);
    const std::optional<int32_t> intf = ChoiceLists::intfPortIndex(comm.IntfPort, port);
    const std::optional<int32_t> flowControl = ChoiceLists::flowControlIndex(comm.FlowControl);
    if (!parity || !stopBits || !intf || !flowControl) {
        return std::nullopt;
    }
    config.m_parity = *parity;
    config.m_stopbits = *stopBits;
    config.m_intfport = *intf;
    config.m_flowctrl = *flowControl;
    if (comm.Awt < 0 || comm.Awt > 25) {
        return std::nullopt;
    }
    config.m_awt = comm.Awt;
    return config;
}

}  // namespace Tormel::Gui::Tx330Records
