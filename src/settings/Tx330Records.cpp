// SPDX-License-Identifier: MIT
#include "settings/Tx330Records.h"

#include "settings/ChoiceLists.h"
#include "settings/FieldRows.h"
#include "settings/Tx330FieldRows.h"

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
    FieldRows::toRecord(config, radio, Tx330FieldRows::kFields);
    return radio;
}

Common::Didoinfo didoOf(const ApplicationConfig_TX330& config) {
    Common::Didoinfo dido{};
    FieldRows::toRecord(config, dido, Tx330FieldRows::kFields);
    return dido;
}

std::optional<ApplicationConfig_TX330> configFromRecords(const Common::Communication& comm,
                                                         const Common::Nodeinfo& node,
                                                         const Common::Wirelessinfo& wireless,
                                                         const Common::Didoinfo& dido,
                                                         ChoiceLists::InterfacePort port) {
    ApplicationConfig_TX330 config;
    config.m_version = QString::fromStdString(node.SoftwareVersion);
    FieldRows::fromRecord(wireless, config, Tx330FieldRows::kFields);
    FieldRows::fromRecord(dido, config, Tx330FieldRows::kFields);
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
