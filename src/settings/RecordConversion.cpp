// SPDX-License-Identifier: MIT
#include "settings/RecordConversion.h"

#include <QRegularExpression>
#include <algorithm>

#include "settings/ErrCheck.h"
#include "settings/NumRange.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {

namespace C = Domain::Common;

namespace {

bool nameMatches(const std::string& name, const char* pattern) {
    return QString::fromStdString(name).contains(QRegularExpression(QString::fromLatin1(pattern)));
}

// A text box read as a number: an empty or unreadable box counts as 0, as the form's
// conversions do once the record check has passed.
uint32_t hexValue(const QString& text) {
    bool ok = false;
    const uint32_t v = text.trimmed().toUInt(&ok, 16);
    return ok ? v : 0;
}
uint32_t decValue(const QString& text) {
    bool ok = false;
    const uint32_t v = text.trimmed().toUInt(&ok, 10);
    return ok ? v : 0;
}
int32_t signedValue(const QString& text) {
    bool ok = false;
    const int32_t v = text.trimmed().toInt(&ok, 10);
    return ok ? v : 0;
}
uint8_t byteOf(uint32_t v) { return static_cast<uint8_t>(v & 0xFFu); }

QString hexText(uint32_t v, int digits) {
    return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper();
}
QString decText(int64_t v) { return QString::number(v); }

void showFailure(Msg id, Msg caption) {
    const StringTable st;
    toolkit().messageBox(st.getString(id), st.getString(caption), MessageBoxButtons::OK,
                         MessageBoxIcon::Error);
}

// The serial line of both families: bit rate by list index, then the indexes of the others.
C::Communication serialFromIndexes(int32_t baudIndex, int32_t dataBits, int32_t parity, int32_t stopBits,
                                   bool has76800) {
    static constexpr int32_t kRates[] = {2400, 4800, 9600, 19200, 38400, 57600};
    C::Communication com{};
    if (baudIndex >= 0 && baudIndex <= 5) {
        com.BaudRate = kRates[baudIndex];
    } else if (baudIndex == 6) {
        com.BaudRate = has76800 ? 76800 : 115200;
    } else if (baudIndex == 7) {
        com.BaudRate = 115200;
    }
    com.DataBits = dataBits == 1 ? 7 : 8;
    com.Parity = parity == 1 ? C::Parity::Odd : parity == 2 ? C::Parity::Even : C::Parity::None;
    com.StopBits = stopBits == 1 ? C::StopBits::Two : C::StopBits::One;
    return com;
}

// The AES part of a Nodeinfo as the form leaves it: usable only when switched on (and, for
// the RS485 unit, on a module with AES); unusable means key choice initialise.
void aesFromConfig(C::Nodeinfo& node, int32_t enable, int32_t type, bool moduleHasAes,
                   const std::array<QString, 16>& keys, AesKeyChoice choice) {
    const bool on = enable == 2;
    node.AESEncryptEnable = on ? C::NodeinfoAESEncryptEnable::Enable : C::NodeinfoAESEncryptEnable::Disable;
    const bool usable = on && moduleHasAes;
    node.AESEncryptType =
        usable && type == 2 ? C::NodeinfoAESEncryptType::AES256 : C::NodeinfoAESEncryptType::AES128;
    const AesKeyChoice effective = usable ? choice : AesKeyChoice::Init;
    node.AESEncryptKeySetting = static_cast<C::NodeinfoAESEncryptKeySetting>(effective);
    for (int i = 0; i < 16; ++i) {
        // Initialising the key empties the key boxes first; an empty box is the word 0.
        node.*C::kAESEncryptKeyFields[i] = effective == AesKeyChoice::Init ? 0 : hexValue(keys[i]);
    }
}

// Serial indexes of a read record; false for a value no list offers.
bool serialToIndexes(const C::Communication& com, int32_t& dataBits, int32_t& parity, int32_t& stopBits,
                     int32_t& intfPort, int32_t& flow) {
    if (com.DataBits == 8) {
        dataBits = 0;
    } else if (com.DataBits == 7) {
        dataBits = 1;
    } else {
        return false;
    }
    switch (com.Parity) {
        case C::Parity::None:
            parity = 0;
            break;
        case C::Parity::Odd:
            parity = 1;
            break;
        case C::Parity::Even:
            parity = 2;
            break;
        default:
            return false;
    }
    switch (com.StopBits) {
        case C::StopBits::One:
            stopBits = 0;
            break;
        case C::StopBits::Two:
            stopBits = 1;
            break;
        default:
            return false;
    }
    switch (com.IntfPort) {
        case 0:  // the contact-I/O unit has no interface selector; its records carry 0
        case 1:
            intfPort = 0;
            break;
        case 2:
            intfPort = 1;
            break;
        default:
            return false;
    }
    switch (com.FlowControl) {
        case C::Handshake::None:
            flow = 0;
            break;
        case C::Handshake::XOnXOff:
            flow = 1;
            break;
        case C::Handshake::RequestToSend:
            flow = 2;
            break;
        default:
            return false;
    }
    return true;
}

C::Binding bindingFromConfig(const ApplicationConfig& config) {
    C::Binding binding{};
    const bool each = config.m_bindType == 2;
    binding.BindType = each ? C::BindingType::Each : C::BindingType::Group;
    binding.Groups.emplace();
    binding.Eachs.emplace();
    if (!each) {
        if (const Grouping* g = groupingOf(config.m_group)) {
            const NumRange range;
            for (int row = 0; row < g->groups; ++row) {
                const QString& id = config.m_modem[static_cast<std::size_t>(row)];
                const int32_t idx = config.m_selectIdx[static_cast<std::size_t>(row)];
                const auto& list = config.m_rangeList[static_cast<std::size_t>(row)];
                if (id.isEmpty() || idx < 0 || !list || idx >= list->size()) continue;
                const uint8_t key = range.getRangeConvert(list->at(idx), config.m_group);
                if (key == 255) continue;
                binding.Groups->push_back(C::BindingGroup{byteOf(decValue(id)), g->mask, key});
            }
        }
        return binding;
    }
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        const QString& text = config.m_unit[static_cast<std::size_t>(unit - 1)];
        if (text.isEmpty()) continue;
        const uint32_t node = decValue(text);
        if (node == static_cast<uint32_t>(unit)) continue;
        binding.Eachs->push_back(C::BindingEach{static_cast<uint8_t>(unit), byteOf(node)});
    }
    return binding;
}

bool bindingToConfig(const C::Binding& binding, ApplicationConfig& config) {
    config.m_bindType = static_cast<int32_t>(binding.BindType);
    if (binding.BindType == C::BindingType::Each) {
        if (binding.Eachs) {
            for (const C::BindingEach& e : *binding.Eachs) {
                if (e.UnitId >= 1 && e.UnitId <= kBindingUnits)
                    config.m_unit[e.UnitId - 1u] = decText(e.NodeId);
            }
        }
        return true;
    }
    if (binding.BindType != C::BindingType::Group) return true;
    if (!binding.Groups || binding.Groups->empty()) {
        config.initBindingNoGroup();
        return true;
    }
    const auto& groups = *binding.Groups;
    const NumRange range;
    const StringTable st;
    const QString notUsed = st.getString(kNotUsedLabel);
    config.m_preText.clear();
    for (int row = 0; row < kBindingRows; ++row) config.m_preText.append(notUsed);

    int32_t groupIdx = 0;
    for (int32_t k = 1; k <= 5; ++k) {
        if (groupingOf(k)->mask == groups.front().Mask) groupIdx = k;
    }
    if (groupIdx == 0 || static_cast<int>(groups.size()) > groupingOf(groupIdx)->groups) return false;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].Mask != groups.front().Mask) return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (groups[j].Key == groups[i].Key) return false;
        }
    }
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (!ErrCheck::checkBindingEntryID(groups[i].Id) ||
            !ErrCheck::checkBindingEntryKey(groups[i].Mask, groups[i].Key))
            return false;
        config.m_group = groupIdx;
        config.m_modem[i] = decText(groups[i].Id);
        config.m_preText[static_cast<int>(i)] = range.getStrRange(groups[i].Mask, groups[i].Key);
    }
    const int rows = groupingOf(groupIdx)->groups;
    config.addCmbNumRangeList(groupIdx);
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const QString& held = config.m_preText[static_cast<int>(i)];
        if (held == notUsed) continue;
        for (int row = 0; row < rows; ++row) {
            if (row != static_cast<int>(i))
                config.m_rangeList[static_cast<std::size_t>(row)]->removeOne(held);
        }
    }
    for (int row = 0; row < kBindingRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        if (row >= rows) {
            config.m_selectIdx[r] = -1;
            continue;
        }
        const qsizetype at = config.m_rangeList[r]->indexOf(config.m_preText[row]);
        config.m_selectIdx[r] = at < 0 ? 0 : static_cast<int32_t>(at);
    }
    return true;
}

}  // namespace

int32_t rs485ModuleType(const std::string& softwareName) {
    return nameMatches(softwareName, "Tarvic2(920MHz)*") ? 2 : 1;
}

bool rs485AesEnabled(const std::string& softwareName, int32_t moduleType) {
    if (!nameMatches(softwareName, "_*920MHz")) return false;
    return moduleType == 2 || nameMatches(softwareName, "_*Ver[1]\\.[^0-3]");
}

bool tx330AesEnabled(const std::string& softwareName) { return nameMatches(softwareName, "^Brenlow*"); }

Rs485Records rs485RecordsFromConfig(const ApplicationConfig& config, int32_t moduleType,
                                    const C::Nodeinfo& unit, AesKeyChoice keyChoice) {
    Rs485Records r;
    r.communication = serialFromIndexes(config.m_baudrate, config.m_databits, config.m_parity,
                                        config.m_stopbits, moduleType == 2);
    r.communication.IntfPort = config.m_intfport == 1 ? 2 : 1;
    r.communication.FlowControl = config.m_flowctrl == 1   ? C::Handshake::XOnXOff
                                  : config.m_flowctrl == 2 ? C::Handshake::RequestToSend
                                                           : C::Handshake::None;

    C::Nodeinfo& n = r.nodeinfo;
    n.SoftwareName = unit.SoftwareName;
    n.SoftwareVersion = unit.SoftwareVersion;
    n.IdOffset = decValue(config.m_IdOffset);
    // The automatic parameter sync box is not part of a document; the form shows it unchecked.
    n.AutoParamSyncEnable = C::NodeinfoAutoParamSyncEnable::Disable;
    n.ExtendedGroup =
        config.m_extendedGroup == 2 ? C::NodeinfoExtendedGroup::Enable : C::NodeinfoExtendedGroup::Disable;
    aesFromConfig(n, config.m_aesEncryptEnable, config.m_aesEncryptType, moduleType == 2,
                  config.m_aesEncryptKey, keyChoice);
    n.EncryptEnable =
        config.m_encryptEnable == 2 ? C::NodeinfoEncryptEnable::Enable : C::NodeinfoEncryptEnable::Disable;
    for (int i = 0; i < 8; ++i)
        n.*C::kEncryptKeyFields[i] = hexValue(config.m_encryptKey[static_cast<std::size_t>(i)]);
    n.WhiteningEnable = config.m_WhiteningEnable == 1 ? C::NodeinfoWhiteningEnable::Enable
                                                      : C::NodeinfoWhiteningEnable::Disable;

    C::Protocol& p = r.protocol;
    // A through mode the list does not offer leaves the form's own choice, silent interval.
    p.ThroughMode = config.m_throughMode == 0 || config.m_throughMode == 1 ? C::ProtocolThrough::Mark
                                                                           : C::ProtocolThrough::Time;
    p.SilentChar = byteOf(decValue(config.m_silentChar));
    p.Fmt2Enable = config.m_fmt2Enable == 2 ? C::ProtocolFmt2Enable::Enable : C::ProtocolFmt2Enable::Disable;
    p.PacketStartCode = byteOf(hexValue(config.m_pStartCode));
    p.PacketEndCode = byteOf(hexValue(config.m_pEndCode));
    p.PacketOffset = byteOf(decValue(config.m_pOffset));
    p.PacketStartCode2nd = byteOf(hexValue(config.m_pStartCode2nd));
    p.PacketEndCode2nd = byteOf(hexValue(config.m_pEndCode2nd));
    p.PacketOffset2nd = byteOf(decValue(config.m_pOffset2nd));
    p.DeviEnable = config.m_deviEnable == 0 || config.m_deviEnable == 1 ? C::ProtocolDeviEnable::Disable
                   : config.m_deviEnable == 3                           ? C::ProtocolDeviEnable::Fix
                                                                        : C::ProtocolDeviEnable::Enable;
    p.AddressOffset = byteOf(decValue(config.m_sOffset));
    p.AddressLength = byteOf(decValue(config.m_sLength));
    p.AddressFormat = static_cast<C::ProtocolFormat>(config.m_sForm);
    p.AddressOffset2nd = byteOf(decValue(config.m_sOffset2nd));
    p.AddressLength2nd = byteOf(decValue(config.m_sLength2nd));
    p.AddressFormat2nd = static_cast<C::ProtocolFormat>(config.m_sForm2nd);
    p.BcastAddr = hexValue(config.m_bcastAddr);
    if (config.m_cCheck == 0) {
        // Without a verification code its fields are fixed, whatever the document holds.
        p.CheckMethod = C::ProtocolMethod::None;
        p.CheckCode = C::ProtocolCheckCode::None;
        p.CheckOffset = 0;
        p.CheckLength = 2;
        p.CheckFormat = C::ProtocolFormat::HexadecimalNumber;
    } else {
        p.CheckMethod = static_cast<C::ProtocolMethod>(config.m_cCheck);
        p.CheckCode = config.m_cStartCode ? C::ProtocolCheckCode::StartCode : C::ProtocolCheckCode::None;
        p.CheckOffset = signedValue(config.m_cOffset);
        p.CheckLength = byteOf(decValue(config.m_cLength));
        p.CheckFormat = static_cast<C::ProtocolFormat>(config.m_cForm);
    }

    r.binding = bindingFromConfig(config);
    return r;
}

Tx330Records tx330RecordsFromConfig(const ApplicationConfig_TX330& config, const C::Nodeinfo& unit,
                                    AesKeyChoice keyChoice) {
    Tx330Records r;
    r.communication =
        serialFromIndexes(config.m_baudrate, config.m_databits, config.m_parity, config.m_stopbits, true);
    r.communication.Awt = config.m_awt;
    r.communication.IntfPort = 0;
    r.communication.FlowControl = C::Handshake::None;

    r.nodeinfo.SoftwareName = unit.SoftwareName;
    r.nodeinfo.SoftwareVersion = unit.SoftwareVersion;
    aesFromConfig(r.nodeinfo, config.m_aesEncryptEnable, config.m_aesEncryptType, true,
                  config.m_aesEncryptKey, keyChoice);

    C::Wirelessinfo& w = r.wireless;
    int32_t ch = config.m_Ch;
    if (config.m_OpMode == 1 && config.m_ChMode == 0) {
        // The LoRa 24 to 37 list has no channel 32: its entries above 31 are 33 to 37.
        const int32_t idx = ch >= 33 ? ch - 25 : ch - 24;
        ch = idx <= 7 ? idx + 24 : idx + 25;
        w.OpMode = C::WirelessinfoOpMode::LoRa;
        w.ChMode = C::WirelessinfoChMode::CH24to37;
    } else if (config.m_OpMode == 1 && config.m_ChMode == 1) {
        w.OpMode = C::WirelessinfoOpMode::LoRa;
        w.ChMode = C::WirelessinfoChMode::CH33to60;
    } else {
        w.OpMode = C::WirelessinfoOpMode::FSK;
        w.ChMode = C::WirelessinfoChMode::CH33to60;
    }
    w.Ch = static_cast<C::WirelessinfoCh>(ch);
    w.NodeId = static_cast<C::WirelessinfoNodeId>(config.m_NodeId);
    w.GrpId = static_cast<C::WirelessinfoGrpId>(std::clamp(config.m_GrpId, 100, 115));

    C::Didoinfo& d = r.dido;
    d.Do1Bind = static_cast<C::DidoinfoDoBind>(config.m_Do1Bind);
    d.Do2Bind = static_cast<C::DidoinfoDoBind>(config.m_Do2Bind);
    d.Do3Bind = static_cast<C::DidoinfoDoBind>(config.m_Do3Bind);
    auto invert = [](int32_t v) {
        return v == 1 ? C::DidoinfoDoInvert::INVERT : C::DidoinfoDoInvert::NONINVERT;
    };
    d.Do1Invert = invert(config.m_Do1Invert);
    d.Do2Invert = invert(config.m_Do2Invert);
    d.Do3Invert = invert(config.m_Do3Invert);
    d.DoOffDelay = static_cast<C::DidoinfoDoOffDelay>(config.m_DoOffDelay);
    d.DoOnDelay = static_cast<C::DidoinfoDoOnDelay>(config.m_DoOnDelay);
    d.DoKeepTime = static_cast<C::DidoinfoDoKeepTime>(config.m_DoKeepTime);
    d.DoKeepSignal = config.m_DoKeepSig == 1 ? C::DidoinfoDoKeepSignal::ON : C::DidoinfoDoKeepSignal::OFF;
    d.DiDelay = static_cast<C::DidoinfoDiDelay>(config.m_DoDiDelay);
    return r;
}

std::optional<ApplicationConfig> rs485ConfigFromRecords(const Rs485Records& records, int32_t moduleType,
                                                        Msg failure, bool withBinding,
                                                        const std::array<QString, 16>& aesKeys,
                                                        int32_t tabSelect) {
    auto fail = [&]() -> std::optional<ApplicationConfig> {
        showFailure(failure, Msg::Rs485ToolTitle);
        return std::nullopt;
    };
    ApplicationConfig config;
    if (withBinding && !bindingToConfig(records.binding, config)) return fail();

    const C::Nodeinfo& n = records.nodeinfo;
    config.m_IdOffset = decText(n.IdOffset);
    config.m_extendedGroup = static_cast<int32_t>(n.ExtendedGroup);
    config.m_aesEncryptEnable = static_cast<int32_t>(n.AESEncryptEnable);
    config.m_WhiteningEnable = static_cast<int32_t>(n.WhiteningEnable);
    config.m_encryptEnable = static_cast<int32_t>(n.EncryptEnable);
    config.m_aesEncryptType = static_cast<int32_t>(n.AESEncryptType);
    for (int i = 0; i < 8; ++i)
        config.m_encryptKey[static_cast<std::size_t>(i)] = hexText(n.*C::kEncryptKeyFields[i], 4);

    const C::Protocol& p = records.protocol;
    config.m_throughMode = static_cast<int32_t>(p.ThroughMode);
    config.m_fmt2Enable = static_cast<int32_t>(p.Fmt2Enable);
    config.m_deviEnable = static_cast<int32_t>(p.DeviEnable);
    config.m_silentChar = decText(p.SilentChar);
    config.m_pStartCode = hexText(p.PacketStartCode, 2);
    config.m_pEndCode = hexText(p.PacketEndCode, 2);
    config.m_pOffset = decText(p.PacketOffset);
    config.m_pStartCode2nd = hexText(p.PacketStartCode2nd, 2);
    config.m_pEndCode2nd = hexText(p.PacketEndCode2nd, 2);
    config.m_pOffset2nd = decText(p.PacketOffset2nd);
    config.m_sOffset = decText(p.AddressOffset);
    config.m_sLength = decText(p.AddressLength);
    config.m_sForm = static_cast<int32_t>(p.AddressFormat);
    config.m_sOffset2nd = decText(p.AddressOffset2nd);
    config.m_sLength2nd = decText(p.AddressLength2nd);
    config.m_sForm2nd = static_cast<int32_t>(p.AddressFormat2nd);
    config.m_bcastAddr = hexText(p.BcastAddr, 4);
    config.m_cCheck = static_cast<int32_t>(p.CheckMethod);
    if (p.CheckCode == C::ProtocolCheckCode::None) {
        config.m_cStartCode = false;
    } else if (p.CheckCode == C::ProtocolCheckCode::StartCode) {
        config.m_cStartCode = true;
    } else {
        return fail();
    }
    if (p.CheckOffset < -99 || p.CheckOffset > 99) return fail();
    config.m_cOffset = decText(p.CheckOffset);
    config.m_cLength = decText(p.CheckLength);
    config.m_cForm = static_cast<int32_t>(p.CheckFormat);

    const C::Communication& com = records.communication;
    switch (com.BaudRate) {
        case 2400:
            config.m_baudrate = 0;
            break;
        case 4800:
            config.m_baudrate = 1;
            break;
        case 9600:
            config.m_baudrate = 2;
            break;
        case 19200:
            config.m_baudrate = 3;
            break;
        case 38400:
            config.m_baudrate = 4;
            break;
        case 57600:
            config.m_baudrate = 5;
            break;
        case 76800:
            if (moduleType == 2) {
                config.m_baudrate = 6;
            } else {
                showFailure(Msg::Baud76800NotSupported, Msg::Rs485ToolTitle);
                config.m_baudrate = 0;
            }
            break;
        case 115200:
            config.m_baudrate = moduleType == 2 ? 7 : 6;
            break;
        default:
            return fail();
    }
    if (!serialToIndexes(com, config.m_databits, config.m_parity, config.m_stopbits, config.m_intfport,
                         config.m_flowctrl))
        return fail();

    config.m_target = 0;
    config.m_tabSelect = tabSelect;
    for (std::size_t i = 0; i < 16; ++i)
        config.m_aesEncryptKey[i] = aesKeys[i].isNull() ? emptyText() : aesKeys[i];
    if (withBinding) config.m_version = QString::fromStdString(n.SoftwareVersion);
    config.m_moduletype = moduleType;
    return config;
}

std::optional<ApplicationConfig_TX330> tx330ConfigFromRecords(const Tx330Records& records, Msg failure,
                                                              const std::array<QString, 16>& aesKeys,
                                                              int32_t tabSelect) {
    ApplicationConfig_TX330 config;
    config.m_version = QString::fromStdString(records.nodeinfo.SoftwareVersion);
    const C::Wirelessinfo& w = records.wireless;
    config.m_Ch = static_cast<int32_t>(w.Ch);
    config.m_ChMode = static_cast<int32_t>(w.ChMode);
    config.m_OpMode = static_cast<int32_t>(w.OpMode);
    config.m_GrpId = static_cast<int32_t>(w.GrpId);
    config.m_NodeId = static_cast<int32_t>(w.NodeId);
    const C::Didoinfo& d = records.dido;
    config.m_DoKeepTime = static_cast<int32_t>(d.DoKeepTime);
    config.m_DoKeepSig = static_cast<int32_t>(d.DoKeepSignal);
    config.m_Do1Bind = static_cast<int32_t>(d.Do1Bind);
    config.m_Do2Bind = static_cast<int32_t>(d.Do2Bind);
    config.m_Do3Bind = static_cast<int32_t>(d.Do3Bind);
    config.m_Do1Invert = static_cast<int32_t>(d.Do1Invert);
    config.m_Do2Invert = static_cast<int32_t>(d.Do2Invert);
    config.m_Do3Invert = static_cast<int32_t>(d.Do3Invert);
    config.m_DoOffDelay = static_cast<int32_t>(d.DoOffDelay);
    config.m_DoOnDelay = static_cast<int32_t>(d.DoOnDelay);
    config.m_DoDiDelay = static_cast<int32_t>(d.DiDelay);
    const C::Nodeinfo& n = records.nodeinfo;
    config.m_extendedGroup = static_cast<int32_t>(n.ExtendedGroup);
    config.m_aesEncryptEnable = static_cast<int32_t>(n.AESEncryptEnable);
    config.m_aesEncryptType = static_cast<int32_t>(n.AESEncryptType);

    const C::Communication& com = records.communication;
    static constexpr int32_t kRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200};
    int32_t index = -1;
    for (int32_t i = 0; i < 8; ++i) {
        if (kRates[i] == com.BaudRate) index = i;
    }
    if (index < 0 || com.Awt < 0 || com.Awt > 25 ||
        !serialToIndexes(com, config.m_databits, config.m_parity, config.m_stopbits, config.m_intfport,
                         config.m_flowctrl)) {
        showFailure(failure, Msg::Tx330ToolTitle);
        return std::nullopt;
    }
    config.m_baudrate = index;
    config.m_awt = com.Awt;
    config.m_target = 0;
    config.m_tabSelect = tabSelect;
    for (std::size_t i = 0; i < 16; ++i)
        config.m_aesEncryptKey[i] = aesKeys[i].isNull() ? emptyText() : aesKeys[i];
    return config;
}

}  // namespace Tormel::Gui
