// SPDX-License-Identifier: MIT
#include "gui/tx330/Tx330Form.h"

#include "settings/ChoiceLists.h"
#include "settings/Config_TX330.h"

namespace Tormel::Gui::Tx330Form {

namespace Common = Domain::Common;

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Digits only, at most nine of them so that the value fits.
std::optional<int64_t> digitsValue(const QString& text) {
    if (text.isEmpty() || text.size() > 9) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (QChar c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// "2.75" -> {"2", "75"}; one point at most, at least one digit in all.
std::optional<std::pair<QString, QString>> decimalParts(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty()) {
        return std::nullopt;
    }
    for (const QString& part : {whole, fraction}) {
        for (QChar c : part) {
            if (!isDigit(c)) {
                return std::nullopt;
            }
        }
    }
    if (whole.size() > 6) {
        return std::nullopt;
    }
    return std::make_pair(whole, fraction);
}

int32_t digitAt(const QString& text, qsizetype i) {
    return i < text.size() ? static_cast<int32_t>(text[i].unicode() - u'0') : 0;
}

}  // namespace

std::optional<int32_t> wholeNumber(const QString& text) {
    const std::optional<int64_t> value = digitsValue(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

std::optional<int32_t> diDelayTenths(const QString& text) {
    const auto parts = decimalParts(text);
    if (!parts) {
        return std::nullopt;
    }
    const int32_t whole = parts->first.isEmpty() ? 0 : *wholeNumber(parts->first);
    const int32_t tenths = whole * 10 + digitAt(parts->second, 0);
    return digitAt(parts->second, 1) >= 5 ? tenths + 1 : tenths;
}

QString diDelayText(int32_t tenths) {
    const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
    const int32_t magnitude = tenths < 0 ? -tenths : tenths;
    return sign + QString::number(magnitude / 10) + QLatin1Char('.') + QString::number(magnitude % 10);
}

QString leaveAwtText(const QString& text) {
    const std::optional<int32_t> value = wholeNumber(text);
    if (!value) {
        return QStringLiteral("0");
    }
    if (*value > 250) {
        return QStringLiteral("250");
    }
    QString cut = text;
    cut[cut.size() - 1] = QLatin1Char('0');
    return cut;
}

QString leaveDiDelayText(const QString& text) {
    const auto parts = decimalParts(text);
    if (!parts) {
        return QStringLiteral("0.0");
    }
    const int32_t whole = parts->first.isEmpty() ? 0 : *wholeNumber(parts->first);
    const int32_t tenths = whole * 10 + digitAt(parts->second, 0);
    return diDelayText(tenths > 100 ? 100 : tenths);
}

std::optional<int32_t> nodeIdOf(const QString& text) { return wholeNumber(text); }

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
    node.AESEncryptEnable = static_cast<Common::NodeinfoAESEncryptEnable>(config.m_aesEncryptEnable);
    node.AESEncryptType = static_cast<Common::NodeinfoAESEncryptType>(config.m_aesEncryptType);
    node.AESEncryptKeySetting = keySetting == 2   ? Common::NodeinfoAESEncryptKeySetting::Change
                                : keySetting == 3 ? Common::NodeinfoAESEncryptKeySetting::Init
                                                  : Common::NodeinfoAESEncryptKeySetting::NotChange;
    for (int i = 0; i < 16; ++i) {
        bool ok = false;
        const uint32_t word = config.m_aesEncryptKey[static_cast<std::size_t>(i)].toUInt(&ok, 16);
        node.*Common::kAESEncryptKeyFields[i] = ok ? word : 0;
    }
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
                                                         const Common::Didoinfo& dido) {
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
    const std::optional<int32_t> flowControl = ChoiceLists::flowControlIndex(comm.FlowControl);
    if (!parity || !stopBits || !flowControl) {
        return std::nullopt;
    }
    config.m_parity = *parity;
    config.m_stopbits = *stopBits;
    config.m_flowctrl = *flowControl;
    if (comm.IntfPort != 1 && comm.IntfPort != 2) {
        return std::nullopt;
    }
    config.m_intfport = comm.IntfPort - 1;
    if (comm.Awt < 0 || comm.Awt > 25) {
        return std::nullopt;
    }
    config.m_awt = comm.Awt;
    return config;
}

QByteArray settingsDocument(const ApplicationConfig_TX330& config) {
    ApplicationConfig_TX330 copy = config;
    copy.m_version = emptyText();
    copy.m_tabSelect = 0;
    return Config_TX330::toXml(copy).value_or(QByteArray());
}

}  // namespace Tormel::Gui::Tx330Form
