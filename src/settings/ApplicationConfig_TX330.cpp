// SPDX-License-Identifier: MIT
#include "settings/ApplicationConfig_TX330.h"

#include <optional>

#include "settings/FieldRows.h"
#include "settings/Tx330FieldRows.h"

namespace Tormel::Gui {

using AC = ApplicationConfig_TX330;
using namespace SettingsXml;

namespace {

#define INT_FIELD(name, member, def) \
    intField<AC>(                    \
        QStringLiteral(name), [](AC& c) -> int32_t& { return c.member; }, def)

std::vector<Field<AC>> buildTable() {
    std::vector<Field<AC>> t;
    AC::appendVersionRow(t);
    AC::appendSerialLineRows(t);
    AC::appendAesModeRows(t);
    t.push_back(INT_FIELD("KEEP", m_DoKeepTime, 0));
    t.push_back(INT_FIELD("KEEPSIGNAL", m_DoKeepSig, 0));
    t.push_back(INT_FIELD("BINDDO1", m_Do1Bind, 0));
    t.push_back(INT_FIELD("BINDDO2", m_Do2Bind, 0));
    t.push_back(INT_FIELD("BINDDO3", m_Do3Bind, 0));
    t.push_back(INT_FIELD("CONTACTDO1", m_Do1Invert, 0));
    t.push_back(INT_FIELD("CONTACTDO2", m_Do2Invert, 0));
    t.push_back(INT_FIELD("CONTACTDO3", m_Do3Invert, 0));
    t.push_back(INT_FIELD("OFFDELAY", m_DoOffDelay, 0));
    t.push_back(INT_FIELD("ONDELAY", m_DoOnDelay, 0));
    t.push_back(INT_FIELD("DIDELAY", m_DoDiDelay, 0));
    t.push_back(INT_FIELD("CH", m_Ch, 0));
    t.push_back(INT_FIELD("GRPID", m_GrpId, 0));
    t.push_back(INT_FIELD("NODEID", m_NodeId, 0));
    t.push_back(INT_FIELD("CHMODE", m_ChMode, 0));
    t.push_back(INT_FIELD("OPMODE", m_OpMode, 0));
    AC::appendAesKeyRows(t);
    AC::appendStampRows(t);
    return t;
}

#undef INT_FIELD

}  // namespace

const std::vector<Field<AC>>& ApplicationConfig_TX330::xmlTable() { return tableBuiltOnce<AC>(buildTable); }

ApplicationConfig_TX330::ApplicationConfig_TX330()
    : UnitDocument(Msg::Tx330ToolTitle, Msg::DocumentRevision),
      m_wireless(std::make_shared<Wirelessinfo>()),
      m_dido(std::make_shared<Didoinfo>()) {
    applyDefaults(*this, xmlTable());
}

void ApplicationConfig_TX330::setConfigInst(std::shared_ptr<Communication> com,
                                            std::shared_ptr<Nodeinfo> node,
                                            std::shared_ptr<Wirelessinfo> wireless,
                                            std::shared_ptr<Didoinfo> dido) {
    attachHolders(std::move(com), std::move(node));
    attach(m_wireless, std::move(wireless));
    attach(m_dido, std::move(dido));
}

void ApplicationConfig_TX330::setConfigData() {
    copySharedHolders(kModelName);
    FieldRows::copyFromHolders(*this, Tx330FieldRows::kFields, *m_wireless, *m_dido);
}

bool ApplicationConfig_TX330::checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent) const {
    const Refusal refuse(*this, errMsgFlg, parent);

    if (!inRange(m_target, 0, 1) || !inRange(m_tabSelect, 0, 3)) {
        return false;
    }
    // LoRa on the low band uses channels 24 to 37; every other combination 33 to 60.
    const bool lowBandLoRa = m_ChMode == 0 && m_OpMode == 1;
    // In the form's order; a rule without a message refuses silently.
    struct Rule {
        int32_t value;
        int32_t lo;
        int32_t hi;
        std::optional<Msg> msg;
    };
    const Rule rules[] = {
        {m_baudrate, 0, 7, Msg::BaudRateOutOfRange},
        {m_databits, 0, 1, Msg::DataBitOutOfRange},
        {m_parity, 0, 2, Msg::ParityOutOfRange},
        {m_stopbits, 0, 1, Msg::StopBitOutOfRange},
        {m_intfport, 0, 1, std::nullopt},
        {m_awt, 0, 25, Msg::ResponseDelayInvalid},
        {m_flowctrl, 0, 2, std::nullopt},
        {m_ChMode, 0, 1, Msg::ChannelRangeOutOfRange},
        {m_OpMode, 0, 1, Msg::ModulationOutOfRange},
        {m_Ch, lowBandLoRa ? 24 : 33, lowBandLoRa ? 37 : 60, Msg::ChannelOutOfRange},
        {m_NodeId, 0, 99, Msg::NodeIdInvalid},
        {m_GrpId, 0, 65534, Msg::GroupIdInvalid},
        {m_Do1Bind, 0, 2, Msg::DoBindOutOfRange},
        {m_Do2Bind, 0, 2, Msg::DoBindOutOfRange},
        {m_Do3Bind, 0, 2, Msg::DoBindOutOfRange},
        {m_Do1Invert, 0, 1, Msg::SignalInversionOutOfRange},
        {m_Do2Invert, 0, 1, Msg::SignalInversionOutOfRange},
        {m_Do3Invert, 0, 1, Msg::SignalInversionOutOfRange},
        {m_DoOffDelay, 0, 1200, Msg::DoOffDelayInvalid},
        {m_DoOnDelay, 0, 1200, Msg::DoOnDelayInvalid},
        // 0 keeps the output without a timer
        {m_DoKeepTime == 0 ? 30 : m_DoKeepTime, 30, 3600, Msg::HoldTimeInvalid},
        {m_DoKeepSig, 0, 1, Msg::SignalAfterHoldOutOfRange},
        {m_DoDiDelay, 0, 100, Msg::DiDelayInvalid},
    };
    for (const Rule& r : rules) {
        if (!inRange(r.value, r.lo, r.hi)) {
            return r.msg ? refuse(*r.msg) : false;
        }
    }

    if (aesEnFlg) {
        if (!inRange(m_aesEncryptEnable, 1, 2)) {
            return refuse(Msg::EncryptEnableOutOfRange);
        }
        if (!inRange(m_aesEncryptType, 1, 2)) {
            return refuse(Msg::AesTypeOutOfRange);
        }
        if (!aesKeyWordsOk()) {
            return refuse(Msg::EncryptKeyInvalid);
        }
    }
    return aesKeyWordsFitForm();
}

bool ApplicationConfig_TX330::checkSettingToolData(bool errMsgFlg, QWidget* parent) const {
    if (m_model == kModelName) {
        return true;
    }
    showError(Msg::SettingsFileOtherFormat, errMsgFlg, parent);
    return false;
}

}  // namespace Tormel::Gui
