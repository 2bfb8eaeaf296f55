// SPDX-License-Identifier: MIT
#include "settings/ApplicationConfig_TX330.h"

#include <optional>

#include "settings/FieldRows.h"
#include "settings/Tx330FieldRows.h"

namespace Tormel::Gui {

using AC = ApplicationConfig_TX330;
using namespace SettingsXml;

namespace {

// A number field: element name, member, default, and its rule (range, choice names and the
// message of the window's check).
#define INT_FIELD(name, member, def, ...) \
    intField<AC>(                         \
        QStringLiteral(name), [](AC& c) -> int32_t& { return c.member; }, def, ##__VA_ARGS__)

using Rule = IntRule<AC>;
const QStringList kBind{QStringLiteral("DI1"), QStringLiteral("DI2"), QStringLiteral("DI3")};
const QStringList kContact{QStringLiteral("a contact"), QStringLiteral("b contact")};

Rule keepTime() {
    Rule keep{30, 3600, {}, Msg::HoldTimeInvalid};
    keep.zeroAlso = true;  // 0 keeps the output without a timer
    keep.allowed = QStringLiteral("0 (no timer) or 30 to 3600");
    return keep;
}

Rule channel() {
    Rule ch{33, 60, {}, Msg::ChannelOutOfRange};
    // LoRa on the low band uses channels 24 to 37; every other combination 33 to 60.
    ch.rangeIn = [](const AC& c) {
        const bool lowBandLoRa = c.m_ChMode == 0 && c.m_OpMode == 1;
        return std::pair<int32_t, int32_t>{lowBandLoRa ? 24 : 33, lowBandLoRa ? 37 : 60};
    };
    ch.allowed = QStringLiteral("33 to 60 (24 to 37 with CHMODE 0 and OPMODE 1)");
    return ch;
}

AC::FamilyRules<AC> familyRules() {
    Rule extendedGroup{1, 2, {QStringLiteral("off"), QStringLiteral("on")}};
    extendedGroup.checked = false;
    return {Rule{0, 7, {}, Msg::BaudRateOutOfRange}, Rule{0, 25, {}, Msg::ResponseDelayInvalid},
            extendedGroup};
}

std::vector<Field<AC>> buildTable() {
    std::vector<Field<AC>> t;
    AC::appendVersionRow(t);
    const AC::FamilyRules<AC> rules = familyRules();
    AC::appendSerialLineRows(t, rules);
    AC::appendAesModeRows(t, rules);
    t.push_back(INT_FIELD("KEEP", m_DoKeepTime, 0, keepTime()));
    t.push_back(
        INT_FIELD("KEEPSIGNAL", m_DoKeepSig, 0, Rule{0, 1, {"off", "on"}, Msg::SignalAfterHoldOutOfRange}));
    t.push_back(INT_FIELD("BINDDO1", m_Do1Bind, 0, Rule{0, 2, kBind, Msg::DoBindOutOfRange}));
    t.push_back(INT_FIELD("BINDDO2", m_Do2Bind, 0, Rule{0, 2, kBind, Msg::DoBindOutOfRange}));
    t.push_back(INT_FIELD("BINDDO3", m_Do3Bind, 0, Rule{0, 2, kBind, Msg::DoBindOutOfRange}));
    t.push_back(
        INT_FIELD("CONTACTDO1", m_Do1Invert, 0, Rule{0, 1, kContact, Msg::SignalInversionOutOfRange}));
    t.push_back(
        INT_FIELD("CONTACTDO2", m_Do2Invert, 0, Rule{0, 1, kContact, Msg::SignalInversionOutOfRange}));
    t.push_back(
        INT_FIELD("CONTACTDO3", m_Do3Invert, 0, Rule{0, 1, kContact, Msg::SignalInversionOutOfRange}));
    t.push_back(INT_FIELD("OFFDELAY", m_DoOffDelay, 0, Rule{0, 1200, {}, Msg::DoOffDelayInvalid}));
    t.push_back(INT_FIELD("ONDELAY", m_DoOnDelay, 0, Rule{0, 1200, {}, Msg::DoOnDelayInvalid}));
    t.push_back(INT_FIELD("DIDELAY", m_DoDiDelay, 0, Rule{0, 100, {}, Msg::DiDelayInvalid}));
    t.push_back(INT_FIELD("CH", m_Ch, 0, channel()));
    t.push_back(INT_FIELD("GRPID", m_GrpId, 0, Rule{0, 65534, {}, Msg::GroupIdInvalid}));
    t.push_back(INT_FIELD("NODEID", m_NodeId, 0, Rule{0, 99, {}, Msg::NodeIdInvalid}));
    t.push_back(INT_FIELD("CHMODE", m_ChMode, 0, Rule{0, 1, {}, Msg::ChannelRangeOutOfRange}));
    t.push_back(INT_FIELD("OPMODE", m_OpMode, 0, Rule{0, 1, {"FSK", "LoRa"}, Msg::ModulationOutOfRange}));
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

const QStringList& ApplicationConfig_TX330::checkedFields() {
    static const QStringList order{
        QStringLiteral("TARGET"),     QStringLiteral("TABSELECT"),  QStringLiteral("BAUDRATE"),
        QStringLiteral("DATABITS"),   QStringLiteral("PARITY"),     QStringLiteral("STOPBITS"),
        QStringLiteral("INTFPORT"),   QStringLiteral("AWT"),        QStringLiteral("FLOWCTRL"),
        QStringLiteral("CHMODE"),     QStringLiteral("OPMODE"),     QStringLiteral("CH"),
        QStringLiteral("NODEID"),     QStringLiteral("GRPID"),      QStringLiteral("BINDDO1"),
        QStringLiteral("BINDDO2"),    QStringLiteral("BINDDO3"),    QStringLiteral("CONTACTDO1"),
        QStringLiteral("CONTACTDO2"), QStringLiteral("CONTACTDO3"), QStringLiteral("OFFDELAY"),
        QStringLiteral("ONDELAY"),    QStringLiteral("KEEP"),       QStringLiteral("KEEPSIGNAL"),
        QStringLiteral("DIDELAY")};
    return order;
}

bool ApplicationConfig_TX330::checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent) const {
    const Refusal refuse(*this, errMsgFlg, parent);
    // In the form's order; a field whose row has no message is refused silently.
    const auto fitsOrRefuse = [&](QStringView name) {
        const Field<AC>& row = rowNamed(xmlTable(), name);
        if (row.rule->accepts(row.intAt(const_cast<AC&>(*this)), *this)) return true;  // only reads
        return row.rule->refusal ? refuse(*row.rule->refusal) : false;
    };
    for (const QString& name : checkedFields()) {
        if (!fitsOrRefuse(name)) {
            return false;
        }
    }
    if (aesEnFlg) {
        if (!fitsOrRefuse(u"AESENCRYPTENABLE") || !fitsOrRefuse(u"ENCRYPTTYPE")) {
            return false;
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
