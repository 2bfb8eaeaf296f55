// SPDX-License-Identifier: MIT
#include "settings/ApplicationConfig_TX330.h"

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
    : UnitDocument(2, 6), m_wireless(std::make_shared<Wirelessinfo>()), m_dido(std::make_shared<Didoinfo>()) {
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
    auto fail = [&](int32_t id) {
        showError(id, errMsgFlg, parent);
        return false;
    };

    if (!inRange(m_target, 0, 1) || !inRange(m_tabSelect, 0, 3)) {
        return false;
    }
    // LoRa on the low band uses channels 24 to 37; every other combination 33 to 60.
    const bool lowBandLoRa = m_ChMode == 0 && m_OpMode == 1;
    // In the form's order; message 0 refuses without a message.
    struct Rule {
        int32_t value;
        int32_t lo;
        int32_t hi;
        int32_t msg;
    };
    const Rule rules[] = {
        {m_baudrate, 0, 7, 20},
        {m_databits, 0, 1, 21},
        {m_parity, 0, 2, 22},
        {m_stopbits, 0, 1, 23},
        {m_intfport, 0, 1, 0},
        {m_awt, 0, 25, 24},
        {m_flowctrl, 0, 2, 0},
        {m_ChMode, 0, 1, 25},
        {m_OpMode, 0, 1, 26},
        {m_Ch, lowBandLoRa ? 24 : 33, lowBandLoRa ? 37 : 60, 27},
        {m_NodeId, 0, 99, 28},
        {m_GrpId, 0, 65534, 29},
        {m_Do1Bind, 0, 2, 30},
        {m_Do2Bind, 0, 2, 30},
        {m_Do3Bind, 0, 2, 30},
        {m_Do1Invert, 0, 1, 31},
        {m_Do2Invert, 0, 1, 31},
        {m_Do3Invert, 0, 1, 31},
        {m_DoOffDelay, 0, 1200, 32},
        {m_DoOnDelay, 0, 1200, 33},
        {m_DoKeepTime == 0 ? 30 : m_DoKeepTime, 30, 3600, 34},  // 0 keeps the output without a timer
        {m_DoKeepSig, 0, 1, 35},
        {m_DoDiDelay, 0, 100, 36},
    };
    for (const Rule& r : rules) {
        if (!inRange(r.value, r.lo, r.hi)) {
            return r.msg == 0 ? false : fail(r.msg);
        }
    }

    if (aesEnFlg) {
        if (!inRange(m_aesEncryptEnable, 1, 2)) {
            return fail(18);
        }
        if (!inRange(m_aesEncryptType, 1, 2)) {
            return fail(19);
        }
        if (!aesKeyWordsOk()) {
            return fail(17);
        }
    }
    return aesKeyWordsFitForm();
}

bool ApplicationConfig_TX330::checkSettingToolData(bool errMsgFlg, QWidget* parent) const {
    if (m_model == kModelName) {
        return true;
    }
    showError(64, errMsgFlg, parent);
    return false;
}

}  // namespace Tormel::Gui
