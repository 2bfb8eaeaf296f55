// SPDX-License-Identifier: MIT
#include "settings/UnshownValues.h"

#include <QStringList>

#include "settings/ChoiceLists.h"
#include "settings/Tx330Records.h"

namespace Tormel::Gui {

std::vector<UnshownValue> fitRs485Form(ApplicationConfig& config, const StringTable& st) {
    std::vector<UnshownValue> out;
    // The packet format list offers the marker (1; 0 reads as it) and the silent interval (2).
    // Any other end, the unit's packet size above all, is shown and written as the silent
    // interval, so the interval the unit holds stays in force.
    if (config.m_throughMode != 0 && config.m_throughMode != 1 && config.m_throughMode != 2) {
        const QString held = config.m_throughMode == 3 ? st.getString(Msg::PacketTermSize)
                                                       : QString::number(config.m_throughMode);
        out.push_back({st.getString(Msg::PacketFormatGroup), held, st.getString(Msg::PacketTermSilent)});
        config.m_throughMode = 2;
    }
    return out;
}

std::vector<UnshownValue> fitTx330Form(ApplicationConfig_TX330& config) {
    std::vector<UnshownValue> out;
    // The contact-I/O window's own texts are fixed Japanese in both languages.
    const QString channelChoice = QString::fromUtf8("無線チャンネル選択");
    const QString channel = QString::fromUtf8("無線チャンネル");
    const QString groupId = QString::fromUtf8("グループID");
    if (config.m_OpMode == 0 && config.m_ChMode == 0) {
        // FSK is offered on the upper channel plan only.
        out.push_back({channelChoice, QStringLiteral("FSK (24CH-38CH)"), QStringLiteral("FSK (33CH-61CH)")});
        config.m_ChMode = 1;
    }
    if (config.m_OpMode == 1 && config.m_ChMode == 0 && config.m_Ch == 32) {
        // The low LoRa list skips channel 32; its next item stands for channel 33.
        const std::optional<int32_t> index = ChoiceLists::loraLowChannelIndex(33);
        out.push_back(
            {channel, QStringLiteral("32CH"), ChoiceLists::loraLowChannelItems().value(index.value_or(0))});
        config.m_Ch = 33;
    }
    const int32_t group = Tx330Records::clampedGroupId(config.m_GrpId);
    if (group != config.m_GrpId) {
        const QString digit = ChoiceLists::grpIdItems().value(group - 100);
        out.push_back(
            {groupId, QString::number(config.m_GrpId), QStringLiteral("%1 (%2)").arg(digit).arg(group)});
        config.m_GrpId = group;
    }
    return out;
}

QString unshownValuesText(const std::vector<UnshownValue>& values, const StringTable& st) {
    QStringList lines;
    for (const UnshownValue& v : values) {
        lines << st.getString(Msg::ValueNotShownLine).arg(v.field, v.held, v.shown);
    }
    return st.getString(Msg::ValuesNotShown).arg(lines.join(QLatin1Char('\n')));
}

}  // namespace Tormel::Gui
