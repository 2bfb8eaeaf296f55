// SPDX-License-Identifier: MIT
#include "settings/ApplicationConfig_TX330.h"

#include "settings/ErrCheck.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {

using AC = ApplicationConfig_TX330;
using namespace SettingsXml;

namespace {

#define INT_FIELD(name, member, def) \
    intField<AC>(                    \
        QStringLiteral(name), [](AC& c) -> int32_t& { return c.member; }, def)

std::vector<Field<AC>> buildTable() {
    std::vector<Field<AC>> t;
    t.push_back(textField<AC>(
        QStringLiteral("VERSION"), [](AC& c) -> QString& { return c.m_version; }, true));
    t.push_back(INT_FIELD("TARGET", m_target, 0));
    t.push_back(INT_FIELD("TABSELECT", m_tabSelect, 0));
    t.push_back(INT_FIELD("BAUDRATE", m_baudrate, 0));
    t.push_back(INT_FIELD("DATABITS", m_databits, 0));
    t.push_back(INT_FIELD("PARITY", m_parity, 0));
    t.push_back(INT_FIELD("STOPBITS", m_stopbits, 0));
    t.push_back(INT_FIELD("AWT", m_awt, 0));
    t.push_back(INT_FIELD("INTFPORT", m_intfport, 0));
    t.push_back(INT_FIELD("FLOWCTRL", m_flowctrl, 0));
    t.push_back(INT_FIELD("EXTENDEDGROUP", m_extendedGroup, 1));
    t.push_back(INT_FIELD("AESENCRYPTENABLE", m_aesEncryptEnable, 1));
    t.push_back(INT_FIELD("ENCRYPTTYPE", m_aesEncryptType, 1));
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
    for (int i = 0; i < 16; ++i) {
        t.push_back(textField<AC>(numbered("AESENCRYPTKEY", i + 1),
                                  [i](AC& c) -> QString& { return c.m_aesEncryptKey[i]; }));
    }
    t.push_back(textField<AC>(QStringLiteral("MODEL"), [](AC& c) -> QString& { return c.m_model; }));
    t.push_back(textField<AC>(
        QStringLiteral("FILE-VERSION"), [](AC& c) -> QString& { return c.m_fileVersion; }, true));
    return t;
}

#undef INT_FIELD

bool inRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

}  // namespace

const std::vector<Field<AC>>& ApplicationConfig_TX330::xmlTable() {
    static const std::vector<Field<AC>> table = buildTable();
    return table;
}

ApplicationConfig_TX330::ApplicationConfig_TX330()
    : m_com(std::make_shared<Communication>()),
      m_node(std::make_shared<Nodeinfo>()),
      m_wireless(std::make_shared<Wirelessinfo>()),
      m_dido(std::make_shared<Didoinfo>()) {
    applyDefaults(*this, xmlTable());
}

void ApplicationConfig_TX330::setConfigInst(std::shared_ptr<Communication> com,
                                            std::shared_ptr<Nodeinfo> node,
                                            std::shared_ptr<Wirelessinfo> wireless,
                                            std::shared_ptr<Didoinfo> dido) {
    if (com) {
        m_com = std::move(com);
    }
    if (node) {
        m_node = std::move(node);
    }
    if (wireless) {
        m_wireless = std::move(wireless);
    }
    if (dido) {
        m_dido = std::move(dido);
    }
}

void ApplicationConfig_TX330::setConfigData() {
    const Communication& com = *m_com;
    m_version = com.getVersion();
    m_baudrate = com.getBaudRate();
    m_databits = com.getDataBits();
    m_parity = com.getParity();
    m_stopbits = com.getStopBits();
    m_awt = com.getAwt();
    m_intfport = com.getIntfPort();
    m_flowctrl = com.getFlowControl();

    const Nodeinfo& node = *m_node;
    m_extendedGroup = node.getExtendedGroup();
    m_aesEncryptEnable = node.getAESEncryptEnable();
    m_aesEncryptType = node.getAESEncryptType();
    for (int i = 0; i < 16; ++i) {
        m_aesEncryptKey[i] = node.getAesEncryptKey(i + 1);
    }

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

    m_model = kModelName;
    m_fileVersion = m_st.getString(6);
    if (m_fileVersion.isNull()) {
        m_fileVersion = emptyText();  // English: written as an empty element
    }
}

void ApplicationConfig_TX330::showError(int32_t id, bool errMsgFlg, QWidget* parent) const {
    if (errMsgFlg) {
        toolkit().messageBox(m_st.getString(id), m_st.getString(2), MessageBoxButtons::OK,
                             MessageBoxIcon::Error, parent);
    }
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
        if (m_aesEncryptEnable == 2 && m_node->getASEKeySetEnable() == 2) {
            const QString& hex = ErrCheck::kHexDigits;
            const int words = m_aesEncryptType == 2 ? 16 : 8;
            for (int i = 0; i < words; ++i) {
                if (!ErrCheck::checkStrFourth(m_aesEncryptKey[i], hex, hex, hex, hex)) {
                    return fail(17);
                }
            }
        }
    }
    // Key words longer than the form's four characters only come from a hand-edited file; the
    // form would show them cut short.
    for (const QString& word : m_aesEncryptKey) {
        if (word.size() > 4) {
            return false;
        }
    }
    return true;
}

bool ApplicationConfig_TX330::checkSettingToolData(bool errMsgFlg, QWidget* parent) const {
    if (m_model == kModelName) {
        return true;
    }
    showError(64, errMsgFlg, parent);
    return false;
}

}  // namespace Tormel::Gui
