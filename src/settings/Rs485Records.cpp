// SPDX-License-Identifier: MIT
#include "settings/Rs485Records.h"

#include <set>

#include "settings/ChoiceLists.h"
#include "settings/ErrCheck.h"
#include "settings/NumRange.h"

namespace Tormel::Gui::Rs485Records {

namespace C = Domain::Common;

namespace {

uint32_t decimal(const QString& text) { return text.toUInt(); }
uint32_t hex(const QString& text) { return text.isEmpty() ? 0U : text.toUInt(nullptr, 16); }
uint8_t byte(uint32_t v) { return static_cast<uint8_t>(v & 0xFFU); }

QString hexText(uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

template <class E>
E asEnum(int32_t v) {
    return static_cast<E>(v);
}

template <class E>
int32_t asInt(E v) {
    return static_cast<int32_t>(v);
}

bool fillBinding(const C::Binding& bind, ApplicationConfig& cfg) {
    cfg.m_bindType = asInt(bind.BindType);
    if (bind.BindType == C::BindingType::Group) {
        const std::vector<C::BindingGroup> none;
        const std::vector<C::BindingGroup>& groups = bind.Groups ? *bind.Groups : none;
        if (groups.empty()) {
            cfg.initBindingNoGroup();
            return true;
        }
        StringTable st;
        NumRange range;
        const QString notUsed = st.getString(kNotUsedLabel);
        cfg.m_preText.clear();
        for (int row = 0; row < kBindingRows; ++row) {
            cfg.m_preText.append(notUsed);
        }
        int32_t group = 0;
        for (int32_t g = 1; g <= 5; ++g) {
            if (groupingOf(g)->mask == groups.front().Mask) {
                group = g;
            }
        }
        if (group == 0 || static_cast<int>(groups.size()) > groupingOf(group)->groups) {
            return false;
        }
        const uint8_t mask = groups.front().Mask;
        std::set<uint8_t> keys;
        for (const C::BindingGroup& entry : groups) {
            if (entry.Mask != mask || !keys.insert(entry.Key).second) {
                return false;
            }
        }
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const C::BindingGroup& entry = groups[i];
            if (!ErrCheck::checkBindingEntryID(entry.Id) ||
                !ErrCheck::checkBindingEntryKey(entry.Mask, entry.Key)) {
                return false;
            }
            cfg.m_group = group;
            cfg.m_modem[i] = QString::number(entry.Id);
            cfg.m_preText[static_cast<int>(i)] = range.getStrRange(entry.Mask, entry.Key);
        }
        const int shown = groupingOf(group)->groups;
        cfg.addCmbNumRangeList(group);
        for (int row = 0; row < shown; ++row) {
            const QString& held = cfg.m_preText[row];
            if (held == notUsed) {
                continue;
            }
            for (int other = 0; other < shown; ++other) {
                if (other != row) {
                    cfg.m_rangeList[other]->removeOne(held);
                }
            }
        }
        for (int row = 0; row < kBindingRows; ++row) {
            if (row >= shown) {
                cfg.m_selectIdx[row] = -1;
                continue;
            }
            const QString& held = cfg.m_preText[row];
            const auto at = cfg.m_rangeList[row]->indexOf(held);
            cfg.m_selectIdx[row] = held == notUsed || at < 0 ? 0 : static_cast<int32_t>(at);
        }
        return true;
    }
    if (bind.BindType == C::BindingType::Each && bind.Eachs) {
        for (const C::BindingEach& entry : *bind.Eachs) {
            if (entry.UnitId >= 1 && entry.UnitId <= kBindingUnits) {
                cfg.m_unit[entry.UnitId - 1] = QString::number(entry.NodeId);
            }
        }
    }
    return true;
}

}  // namespace

C::Communication communication(const ApplicationConfig& config, bool with76800) {
    C::Communication comm;
    comm.BaudRate = ChoiceLists::baudRateAt(config.m_baudrate, with76800).value_or(0);
    comm.DataBits = ChoiceLists::dataBitsAt(config.m_databits).value_or(8);
    comm.Parity = ChoiceLists::parityAt(config.m_parity).value_or(C::Parity::None);
    comm.StopBits = ChoiceLists::stopBitsAt(config.m_stopbits).value_or(C::StopBits::One);
    comm.IntfPort = config.m_intfport + 1;
    comm.FlowControl = ChoiceLists::flowControlAt(config.m_flowctrl).value_or(C::Handshake::None);
    comm.Awt = 0;
    return comm;
}

C::Nodeinfo nodeinfo(const ApplicationConfig& config, int32_t aesKeySetting, bool autoParamSync,
                     const C::Nodeinfo& unit) {
    C::Nodeinfo node;
    node.SoftwareName = unit.SoftwareName;
    node.SoftwareVersion = unit.SoftwareVersion;
    node.IdOffset = decimal(config.m_IdOffset);
    node.AutoParamSyncEnable =
        autoParamSync ? C::NodeinfoAutoParamSyncEnable::Enable : C::NodeinfoAutoParamSyncEnable::Disable;
    node.ExtendedGroup = asEnum<C::NodeinfoExtendedGroup>(config.m_extendedGroup);
    config.putAesFields(aesKeySetting, node);
    node.EncryptEnable = asEnum<C::NodeinfoEncryptEnable>(config.m_encryptEnable);
    for (int i = 0; i < 8; ++i) {
        node.*C::kEncryptKeyFields[i] = hex(config.m_encryptKey[i]);
    }
    node.WhiteningEnable = asEnum<C::NodeinfoWhiteningEnable>(config.m_WhiteningEnable);
    return node;
}

C::Protocol protocol(const ApplicationConfig& config) {
    C::Protocol prot;
    prot.ThroughMode = asEnum<C::ProtocolThrough>(config.m_throughMode);
    prot.SilentChar = byte(decimal(config.m_silentChar));
    prot.Fmt2Enable = asEnum<C::ProtocolFmt2Enable>(config.m_fmt2Enable);
    prot.PacketStartCode = byte(hex(config.m_pStartCode));
    prot.PacketEndCode = byte(hex(config.m_pEndCode));
    prot.PacketOffset = byte(decimal(config.m_pOffset));
    prot.PacketStartCode2nd = byte(hex(config.m_pStartCode2nd));
    prot.PacketEndCode2nd = byte(hex(config.m_pEndCode2nd));
    prot.PacketOffset2nd = byte(decimal(config.m_pOffset2nd));
    prot.DeviEnable = asEnum<C::ProtocolDeviEnable>(config.m_deviEnable);
    prot.AddressOffset = byte(decimal(config.m_sOffset));
    prot.AddressLength = byte(decimal(config.m_sLength));
    prot.AddressFormat = asEnum<C::ProtocolFormat>(config.m_sForm);
    prot.AddressOffset2nd = byte(decimal(config.m_sOffset2nd));
    prot.AddressLength2nd = byte(decimal(config.m_sLength2nd));
    prot.AddressFormat2nd = asEnum<C::ProtocolFormat>(config.m_sForm2nd);
    prot.BcastAddr = hex(config.m_bcastAddr);
    if (config.m_cCheck == 0) {
        // What the unit itself reports for "no check"; anything else would read back different.
        prot.CheckMethod = C::ProtocolMethod::None;
        prot.CheckCode = C::ProtocolCheckCode::None;
        prot.CheckOffset = 0;
        prot.CheckLength = 2;
        prot.CheckFormat = C::ProtocolFormat::DecimalNumber;
    } else {
        prot.CheckMethod = asEnum<C::ProtocolMethod>(config.m_cCheck);
        prot.CheckCode = config.m_cStartCode ? C::ProtocolCheckCode::StartCode : C::ProtocolCheckCode::None;
        prot.CheckOffset = config.m_cOffset.toInt();
        prot.CheckLength = byte(decimal(config.m_cLength));
        prot.CheckFormat = asEnum<C::ProtocolFormat>(config.m_cForm);
    }
    return prot;
}

C::Binding binding(const ApplicationConfig& config) {
    C::Binding bind;
    bind.BindType = config.m_bindType == 2 ? C::BindingType::Each : C::BindingType::Group;
    bind.Groups.emplace();
    bind.Eachs.emplace();
    if (const Grouping* g = groupingOf(config.m_group)) {
        for (int row = 0; row < g->groups; ++row) {
            const QString& id = config.m_modem[row];
            const int32_t selected = config.m_selectIdx[row];
            const QStringList& list = *config.m_rangeList[row];
            if (id.isEmpty() || selected < 0 || selected >= list.size()) {
                continue;
            }
            const std::optional<int> position = rangePosition(list[selected], config.m_group);
            if (!position || *position < 0) {
                continue;
            }
            bind.Groups->push_back({byte(decimal(id)), g->mask, static_cast<uint8_t>(*position * g->size)});
        }
    }
    for (int unit = 1; unit <= kBindingUnits; ++unit) {
        const QString& text = config.m_unit[unit - 1];
        if (text.isEmpty() || text.toInt() == unit) {
            continue;
        }
        bind.Eachs->push_back({static_cast<uint8_t>(unit), byte(decimal(text))});
    }
    return bind;
}

FromRecords configFromRecords(const C::Communication& comm, const C::Nodeinfo& node, const C::Protocol& prot,
                              const C::Binding* bind, bool with76800, Msg failure,
                              ChoiceLists::InterfacePort port) {
    FromRecords out;
    out.failure = failure;
    ApplicationConfig cfg;
    if (bind != nullptr && !fillBinding(*bind, cfg)) {
        return out;
    }

    cfg.m_IdOffset = QString::number(node.IdOffset);
    cfg.m_extendedGroup = asInt(node.ExtendedGroup);
    cfg.m_aesEncryptEnable = asInt(node.AESEncryptEnable);
    cfg.m_WhiteningEnable = asInt(node.WhiteningEnable);
    cfg.m_encryptEnable = asInt(node.EncryptEnable);
    cfg.m_aesEncryptType = asInt(node.AESEncryptType);
    for (int i = 0; i < 8; ++i) {
        cfg.m_encryptKey[i] = hexText(node.*C::kEncryptKeyFields[i], 4);
    }
    for (auto& key : cfg.m_aesEncryptKey) {
        key = emptyText();
    }

    cfg.m_throughMode = asInt(prot.ThroughMode);
    cfg.m_fmt2Enable = asInt(prot.Fmt2Enable);
    cfg.m_deviEnable = asInt(prot.DeviEnable);
    cfg.m_silentChar = QString::number(prot.SilentChar);
    cfg.m_pStartCode = hexText(prot.PacketStartCode, 2);
    cfg.m_pEndCode = hexText(prot.PacketEndCode, 2);
    cfg.m_pOffset = QString::number(prot.PacketOffset);
    cfg.m_pStartCode2nd = hexText(prot.PacketStartCode2nd, 2);
    cfg.m_pEndCode2nd = hexText(prot.PacketEndCode2nd, 2);
    cfg.m_pOffset2nd = QString::number(prot.PacketOffset2nd);
    cfg.m_sOffset = QString::number(prot.AddressOffset);
    cfg.m_sLength = QString::number(prot.AddressLength);
    cfg.m_sForm = asInt(prot.AddressFormat);
    cfg.m_sOffset2nd = QString::number(prot.AddressOffset2nd);
    cfg.m_sLength2nd = QString::number(prot.AddressLength2nd);
    cfg.m_sForm2nd = asInt(prot.AddressFormat2nd);
    cfg.m_bcastAddr = hexText(prot.BcastAddr, 4);
    cfg.m_cCheck = asInt(prot.CheckMethod);
    if (prot.CheckCode == C::ProtocolCheckCode::None) {
        cfg.m_cStartCode = false;
    } else if (prot.CheckCode == C::ProtocolCheckCode::StartCode) {
        cfg.m_cStartCode = true;
    } else {
        return out;
    }
    if (prot.CheckOffset < -99 || prot.CheckOffset > 99) {
        return out;
    }
    cfg.m_cOffset = QString::number(prot.CheckOffset);
    cfg.m_cLength = QString::number(prot.CheckLength);
    cfg.m_cForm = asInt(prot.CheckFormat);

    if (comm.BaudRate == 76800 && !with76800) {
        out.failure = Msg::Baud76800NotSupported;
        return out;
    }
    const std::optional<int32_t> baud = ChoiceLists::baudRateIndex(comm.BaudRate, with76800);
    const int32_t dataBits = comm.DataBits == 8 ? 0 : comm.DataBits == 7 ? 1 : -1;
    const int32_t parity = comm.Parity == C::Parity::None   ? 0
                           : comm.Parity == C::Parity::Odd  ? 1
                           : comm.Parity == C::Parity::Even ? 2
                                                            : -1;
    const int32_t stop = comm.StopBits == C::StopBits::One ? 0 : comm.StopBits == C::StopBits::Two ? 1 : -1;
    const int32_t intf = ChoiceLists::intfPortIndex(comm.IntfPort, port).value_or(-1);
    const int32_t flow = comm.FlowControl == C::Handshake::None            ? 0
                         : comm.FlowControl == C::Handshake::XOnXOff       ? 1
                         : comm.FlowControl == C::Handshake::RequestToSend ? 2
                                                                           : -1;
    if (!baud || dataBits < 0 || parity < 0 || stop < 0 || intf < 0 || flow < 0) {
        return out;
    }
    cfg.m_baudrate = *baud;
    cfg.m_databits = dataBits;
    cfg.m_parity = parity;
    cfg.m_stopbits = stop;
    cfg.m_intfport = intf;
    cfg.m_flowctrl = flow;
    out.config = cfg;
    return out;
}

std::optional<int> rangePosition(const QString& text, int32_t group) {
    static const StringTable japanese(QStringLiteral("ja-JP"));
    static const StringTable english(QStringLiteral("en-US"));
    const Grouping* g = groupingOf(group);
    if (g == nullptr) {
        return std::nullopt;
    }
    for (const StringTable* st : {&japanese, &english}) {
        if (text == st->getString(kNotUsedLabel)) {
            return -1;
        }
        for (int k = 0; k < g->groups; ++k) {
            if (text == st->getString(g->firstLabel + k)) {
                return k;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::vector<int>> rangeSelections(const ApplicationConfig& config) {
    const Grouping* g = groupingOf(config.m_group);
    if (g == nullptr) {
        return std::vector<int>{};
    }
    std::vector<int> selections;
    std::set<int> taken;
    for (int row = 0; row < g->groups; ++row) {
        const int32_t selected = config.m_selectIdx[row];
        const QStringList empty;
        const QStringList& list = config.m_rangeList[row] ? *config.m_rangeList[row] : empty;
        if (selected < 0) {
            selections.push_back(-1);  // a row without a selection uses no range
            continue;
        }
        if (selected >= list.size()) {
            return std::nullopt;
        }
        const std::optional<int> position = rangePosition(list[selected], config.m_group);
        if (!position || (*position >= 0 && !taken.insert(*position).second)) {
            return std::nullopt;
        }
        selections.push_back(*position);
    }
    return selections;
}

std::optional<int32_t> documentBitRate(const ApplicationConfig& config) {
    return ChoiceLists::baudRateAt(config.m_baudrate, ChoiceLists::offers76800(config.m_moduletype));
}

}  // namespace Tormel::Gui::Rs485Records
