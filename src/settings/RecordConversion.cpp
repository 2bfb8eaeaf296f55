// SPDX-License-Identifier: MIT
#include "settings/RecordConversion.h"

#include <QRegularExpression>

#include "settings/ChoiceLists.h"
#include "settings/Rs485Records.h"
#include "settings/Toolkit.h"
#include "settings/Tx330Records.h"

namespace Tormel::Gui {

namespace C = Domain::Common;

namespace {

bool nameMatches(const std::string& name, const char* pattern) {
    return QString::fromStdString(name).contains(QRegularExpression(QString::fromLatin1(pattern)));
}

void showFailure(Msg id, Msg caption) {
    const StringTable st;
    toolkit().messageBox(st.getString(id), st.getString(caption), MessageBoxButtons::OK,
                         MessageBoxIcon::Error);
}

int32_t onOff(int32_t value) { return value == 2 ? 2 : 1; }

// The AES part as the form leaves it: usable only when switched on (and, for the RS485 unit, on
// a module with AES). An unusable key is initialised, and initialising empties the key boxes
// first, so its words go out as 0. Returns the key choice the write makes.
template <class Config>
AesKeyChoice aesAsForm(Config& config, bool moduleHasAes, AesKeyChoice choice) {
    const bool on = config.m_aesEncryptEnable == 2;
    const bool usable = on && moduleHasAes;
    config.m_aesEncryptEnable = on ? 2 : 1;
    config.m_aesEncryptType = usable && config.m_aesEncryptType == 2 ? 2 : 1;
    const AesKeyChoice effective = usable ? choice : AesKeyChoice::Init;
    if (effective == AesKeyChoice::Init) {
        for (QString& word : config.m_aesEncryptKey) {
            word = emptyText();
        }
    }
    return effective;
}

template <class Config>
void takeKeyTexts(Config& config, const std::array<QString, 16>& aesKeys) {
    for (std::size_t i = 0; i < 16; ++i) {
        config.m_aesEncryptKey[i] = aesKeys[i].isNull() ? emptyText() : aesKeys[i];
    }
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

Rs485RecordSet rs485RecordsFromConfig(const ApplicationConfig& config, int32_t moduleType,
                                      const C::Nodeinfo& unit, AesKeyChoice keyChoice) {
    // Each switch reads as on or off, and the through mode and the deviation as one of the
    // choices their lists offer (a through mode the list lacks leaves the silent interval).
    ApplicationConfig form = config;
    form.m_extendedGroup = onOff(config.m_extendedGroup);
    form.m_encryptEnable = onOff(config.m_encryptEnable);
    form.m_fmt2Enable = onOff(config.m_fmt2Enable);
    form.m_WhiteningEnable = config.m_WhiteningEnable == 1 ? 1 : 0;
    form.m_throughMode = config.m_throughMode == 0 || config.m_throughMode == 1 ? 1 : 2;
    form.m_deviEnable = config.m_deviEnable == 0 || config.m_deviEnable == 1 ? 1
                        : config.m_deviEnable == 3                           ? 3
                                                                             : 2;
    const AesKeyChoice effective = aesAsForm(form, moduleType == 2, keyChoice);

    Rs485RecordSet r;
    r.communication = Rs485Records::communication(form, ChoiceLists::offers76800(moduleType));
    // The automatic parameter sync box is not part of a document; the form shows it unchecked.
    r.nodeinfo = Rs485Records::nodeinfo(form, static_cast<int32_t>(effective), false, unit);
    r.protocol = Rs485Records::protocol(form);
    r.binding = Rs485Records::binding(form);
    return r;
}

Tx330RecordSet tx330RecordsFromConfig(const ApplicationConfig_TX330& config, const C::Nodeinfo& unit,
                                      AesKeyChoice keyChoice) {
    // The channel as the form's lists can hold it (the low LoRa list has no channel 32), the
    // group ID as its digits can show it, and each output switch as on or off.
    ApplicationConfig_TX330 form = config;
    const std::optional<Tx330Records::ChannelSelection> shown =
        Tx330Records::channelSelectionOf(config.m_OpMode, config.m_ChMode, config.m_Ch);
    const Tx330Records::ChannelSetting channel =
        shown ? Tx330Records::channelSettingOf(*shown) : Tx330Records::ChannelSetting{0, 1, config.m_Ch};
    form.m_OpMode = channel.opMode;
    form.m_ChMode = channel.chMode;
    form.m_Ch = channel.ch;
    form.m_GrpId = Tx330Records::clampedGroupId(config.m_GrpId);
    form.m_Do1Invert = config.m_Do1Invert == 1 ? 1 : 0;
    form.m_Do2Invert = config.m_Do2Invert == 1 ? 1 : 0;
    form.m_Do3Invert = config.m_Do3Invert == 1 ? 1 : 0;
    form.m_DoKeepSig = config.m_DoKeepSig == 1 ? 1 : 0;
    const AesKeyChoice effective = aesAsForm(form, true, keyChoice);

    Tx330RecordSet r;
    r.communication = Tx330Records::communicationOf(form);
    r.nodeinfo = Tx330Records::nodeinfoOf(form, static_cast<int32_t>(effective), unit);
    r.wireless = Tx330Records::wirelessOf(form);
    r.dido = Tx330Records::didoOf(form);
    return r;
}

std::optional<ApplicationConfig> rs485ConfigFromRecords(const Rs485RecordSet& records, int32_t moduleType,
                                                        Msg failure, bool withBinding,
                                                        const std::array<QString, 16>& aesKeys,
                                                        int32_t tabSelect) {
    const Rs485Records::FromRecords from = Rs485Records::configFromRecords(
        records.communication, records.nodeinfo, records.protocol, withBinding ? &records.binding : nullptr,
        ChoiceLists::offers76800(moduleType), failure, ChoiceLists::InterfacePort::MayBeAbsent);
    if (!from.config) {
        showFailure(from.failure, Msg::Rs485ToolTitle);
        return std::nullopt;
    }
    ApplicationConfig config = *from.config;
    config.m_target = 0;
    config.m_tabSelect = tabSelect;
    takeKeyTexts(config, aesKeys);
    if (withBinding) {
        config.m_version = QString::fromStdString(records.nodeinfo.SoftwareVersion);
    }
    config.m_moduletype = moduleType;
    return config;
}

std::optional<ApplicationConfig_TX330> tx330ConfigFromRecords(const Tx330RecordSet& records, Msg failure,
                                                              const std::array<QString, 16>& aesKeys,
                                                              int32_t tabSelect) {
    std::optional<ApplicationConfig_TX330> config =
        Tx330Records::configFromRecords(records.communication, records.nodeinfo, records.wireless,
                                        records.dido, ChoiceLists::InterfacePort::MayBeAbsent);
    if (!config) {
        showFailure(failure, Msg::Tx330ToolTitle);
        return std::nullopt;
    }
    config->m_target = 0;
    config->m_tabSelect = tabSelect;
    takeKeyTexts(*config, aesKeys);
    return config;
}

}  // namespace Tormel::Gui
