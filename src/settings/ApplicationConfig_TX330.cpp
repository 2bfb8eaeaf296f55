// SPDX-License-Identifier: MIT
#include "settings/ApplicationConfig_TX330.h"

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

const std::vector<Field<AC>>& ApplicationConfig_TX330::xmlTable() {
    static const std::vector<Field<AC>> table = buildTable();
    return table;
}

ApplicationConfig_TX330::ApplicationConfig_TX330()
    : UnitDocument(2, 6), m_wireless(std::make_shared<Wirelessinfo>()), m_dido(std::make_shared<Didoinfo>()) {
    applyDefaults(*this, xmlTable());
}

void ApplicationConfig_TX330::setConfigInst(std::shared_ptr<Communication> com,
                                            std::shared_ptr<Nodeinfo> node,
                                            std::shared_ptr<Wirelessinfo> wireless,
                                            std::shared_ptr<Didoinfo> dido) {
    attachHolders(std::move(com), std::move(node));
    if (wireless) {
        m_wireless = std::move(wireless);
    }
    if (dido) {
        m_dido = std::move(dido);
    }
}

void ApplicationConfig_TX330::setConfigData() {
    copySharedHolders(kModelName);

    const Wirelessinfo& w = *m_wireless;
    m_ChMode = w.getChMode();
    m_OpMode = w.getOpMode();
    m_Ch = w.getCh();
    m_NodeId = w.getNodeId();
    m_GrpId = w.getGrpId();

    const Didoinfo& d = *m_dido;
    m_Do1Bind = d.getDo1Bind();
    m_Do2Bind = d.getDo2Bind();
    m_Do3Bind = d.getDo3Bind();
    m_Do1Invert = d.getDo1Invert();
    m_Do2Invert = d.getDo2Invert();
    m_Do3Invert = d.getDo3Invert();
    m_DoOffDelay = d.getOffDelay();
    m_DoOnDelay = d.getOnDelay();
    m_DoKeepTime = d.getDoKeepTime();
    m_DoKeepSig = d.getDoKeepSignal();
    m_DoDiDelay = d.getDiDelay();
}

bool ApplicationConfig_TX330::checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent) const {
    auto fail = [&](int32_t id) {
        showError(id, errMsgFlg, parent);
        return false;
    };

    if (!inRange(m_target, 0, 1) || !inRange(m_tabSelect, 0, 3)) {
        return false;
    }
    if (!inRange(m_baudrate, 0, 7)) {
        return fail(20);
    }
    if (!inRange(m_databits, 0, 1)) {
        return fail(21);
    }
    if (!inRange(m_parity, 0, 2)) {
        return fail(22);
    }
    if (!inRange(m_stopbits, 0, 1)) {
        return fail(23);
    }
    if (!inRange(m_intfport, 0, 1)) {
        return false;
    }
    if (!inRange(m_awt, 0, 25)) {
        return fail(24);
    }
    if (!inRange(m_flowctrl, 0, 2)) {
        return false;
    }
    if (!inRange(m_ChMode, 0, 1)) {
        return fail(25);
    }
    if (!inRange(m_OpMode, 0, 1)) {
        return fail(26);
    }
    // LoRa on the low band uses channels 24 to 37; every other combination 33 to 60.
    if (m_ChMode == 0 && m_OpMode == 1 ? !inRange(m_Ch, 24, 37) : !inRange(m_Ch, 33, 60)) {
        return fail(27);
    }
    if (!inRange(m_NodeId, 0, 99)) {
        return fail(28);
    }
    if (!inRange(m_GrpId, 0, 65534)) {
        return fail(29);
    }
    for (int32_t bind : {m_Do1Bind, m_Do2Bind, m_Do3Bind}) {
        if (!inRange(bind, 0, 2)) {
            return fail(30);
        }
    }
    for (int32_t invert : {m_Do1Invert, m_Do2Invert, m_Do3Invert}) {
        if (!inRange(invert, 0, 1)) {
            return fail(31);
        }
    }
    if (!inRange(m_DoOffDelay, 0, 1200)) {
        return fail(32);
    }
    if (!inRange(m_DoOnDelay, 0, 1200)) {
        return fail(33);
    }
    if (m_DoKeepTime != 0 && !inRange(m_DoKeepTime, 30, 3600)) {
        return fail(34);
    }
    if (!inRange(m_DoKeepSig, 0, 1)) {
        return fail(35);
    }
    if (!inRange(m_DoDiDelay, 0, 100)) {
        return fail(36);
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
