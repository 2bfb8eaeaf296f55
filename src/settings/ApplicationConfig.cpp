// SPDX-License-Identifier: MIT
#include "settings/ApplicationConfig.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "settings/ErrCheck.h"
#include "settings/FieldRows.h"

namespace Tormel::Gui {

using AC = ApplicationConfig;
using namespace SettingsXml;

namespace {

const QString kDigits = ErrCheck::kDigits;
const QString kHex = ErrCheck::kHexDigits;
const QString kNonZero = QStringLiteral("123456789");

// A number field: element name, member, default, and its rule (range and choice names), if any.
#define INT_FIELD(name, member, def, ...) \
    intField<AC>(                         \
        QStringLiteral(name), [](AC& c) -> int32_t& { return c.member; }, def, ##__VA_ARGS__)

using Rule = IntRule<AC>;
const QStringList kOffOn{QStringLiteral("off"), QStringLiteral("on")};
const QStringList kForms{QStringLiteral("decimal ASCII"), QStringLiteral("hexadecimal ASCII"),
                         QStringLiteral("binary little-endian"), QStringLiteral("binary big-endian")};

AC::FamilyRules<AC> familyRules() {
    Rule baudRate{0, 7};
    // The 76800 bit rate is offered by module type 2 only.
    baudRate.rangeIn = [](const AC& c) {
        return std::pair<int32_t, int32_t>{0, c.m_moduletype == 2 ? 7 : 6};
    };
    baudRate.allowed = QStringLiteral("0 to 7 (a position in the bit-rate list; 0 to 6 when TYPE is not 2)");
    return {baudRate, std::nullopt, Rule{1, 2, kOffOn}};
}
#define TEXT_FIELD(name, member) \
    textField<AC>(QStringLiteral(name), [](AC& c) -> QString& { return c.member; })

std::vector<Field<AC>> buildTable() {
    std::vector<Field<AC>> t;
    AC::appendVersionRow(t);
    t.push_back(INT_FIELD("TYPE", m_moduletype, 0));
    const AC::FamilyRules<AC> rules = familyRules();
    AC::appendSerialLineRows(t, rules);
    t.push_back(TEXT_FIELD("IDOFFSET", m_IdOffset));
    AC::appendAesModeRows(t, rules);
    t.push_back(INT_FIELD("WHITENING", m_WhiteningEnable, 0, Rule{0, 1, kOffOn}));
    AC::appendAesKeyRows(t);
    t.push_back(INT_FIELD("ENCRYPTENABLE", m_encryptEnable, 0, Rule{1, 2, kOffOn}));
    for (int i = 0; i < 8; ++i) {
        t.push_back(textField<AC>(numbered("ENCRYPTKEY", i + 1),
                                  [i](AC& c) -> QString& { return c.m_encryptKey[i]; }));
    }
    t.push_back(INT_FIELD("THROUGH", m_throughMode, 0, Rule{1, 2, {"packet marks", "silent interval"}}));
    t.push_back(TEXT_FIELD("SILENTCHAR", m_silentChar));
    t.push_back(INT_FIELD("FMT2ENABLE", m_fmt2Enable, 0, Rule{1, 2, kOffOn}));
    t.push_back(TEXT_FIELD("P-STARTCODE", m_pStartCode));
    t.push_back(TEXT_FIELD("P-ENDCODE", m_pEndCode));
    t.push_back(TEXT_FIELD("P-OFFSET", m_pOffset));
    t.push_back(TEXT_FIELD("P-STARTCODE2ND", m_pStartCode2nd));
    t.push_back(TEXT_FIELD("P-ENDCODE2ND", m_pEndCode2nd));
    t.push_back(TEXT_FIELD("P-OFFSET2ND", m_pOffset2nd));
    t.push_back(INT_FIELD("S-DEVIENABLE", m_deviEnable, 0, Rule{1, 3, {"off", "from the packet", "fixed"}}));
    t.push_back(TEXT_FIELD("S-OFFSET", m_sOffset));
    t.push_back(TEXT_FIELD("S-LENGTH", m_sLength));
    t.push_back(INT_FIELD("S-FORM", m_sForm, 0, Rule{0, 3, kForms}));
    t.push_back(TEXT_FIELD("S-OFFSET2ND", m_sOffset2nd));
    t.push_back(TEXT_FIELD("S-LENGTH2ND", m_sLength2nd));
    t.push_back(INT_FIELD("S-FORM2ND", m_sForm2nd, 0, Rule{0, 3, kForms}));
    t.push_back(TEXT_FIELD("S-BCASTADDR", m_bcastAddr));
    t.push_back(INT_FIELD("C-CHECK", m_cCheck, 0, Rule{0, 3, {"none", "BCC", "CRC", "SUM"}}));
    t.push_back(boolField<AC>(QStringLiteral("C-STARTCODE"), [](AC& c) -> bool& { return c.m_cStartCode; }));
    t.push_back(TEXT_FIELD("C-OFFSET", m_cOffset));
    t.push_back(TEXT_FIELD("C-LENGTH", m_cLength));
    t.push_back(INT_FIELD("C-FORM", m_cForm, 0, Rule{0, 3, kForms}));
    t.push_back(INT_FIELD("BINDTYPE", m_bindType, 1, Rule{1, 2, {"group", "each"}}));
    t.push_back(
        INT_FIELD("GROUP", m_group, 0,
                  Rule{0, 5, {"none", "2 groups", "4 groups", "7 groups", "13 groups", "25 groups"}}));
    for (int i = 0; i < kBindingRows; ++i) {
        t.push_back(
            textField<AC>(numbered("MODEMID", i + 1), [i](AC& c) -> QString& { return c.m_modem[i]; }));
    }
    for (int i = 0; i < kBindingRows; ++i) {
        t.push_back(intField<AC>(
            numbered("SELECT-IDX", i + 1), [i](AC& c) -> int32_t& { return c.m_selectIdx[i]; }, -1));
    }
    for (int i = 0; i < kBindingRows; ++i) {
        t.push_back(listField<AC>(numbered("RANGE-LIST", i + 1),
                                  [i](AC& c) -> QStringList& { return *c.m_rangeList[i]; }));
    }
    t.push_back(
        listField<AC>(QStringLiteral("PRE-STRLIST"), [](AC& c) -> QStringList& { return c.m_preText; }));
    for (int i = 0; i < kBindingUnits; ++i) {
        t.push_back(
            textField<AC>(numbered("UNIT", i + 1, 2), [i](AC& c) -> QString& { return c.m_unit[i]; }));
    }
    t.push_back(INT_FIELD("DEV-MODE", m_devMode, 0));
    t.push_back(INT_FIELD("DEV-MODE2", m_devMode2, 0));
    AC::appendStampRows(t);
    return t;
}

#undef INT_FIELD
#undef TEXT_FIELD

// The RS485 document's own fields and the holder getters setConfigData fills them from; the
// fields both documents have come through copySharedHolders.
using FieldRows::Held;
using FieldRows::HeldNumbered;

constexpr std::tuple kOwnRows{
    Held{&AC::m_IdOffset, &Nodeinfo::getIdOffset},
    Held{&AC::m_WhiteningEnable, &Nodeinfo::getWhiteningEnable},
    Held{&AC::m_encryptEnable, &Nodeinfo::getEncryptEnable},
    HeldNumbered{&AC::m_encryptKey, &Nodeinfo::getEncryptKey},
    Held{&AC::m_throughMode, &Protocol::getThroughMode},
    Held{&AC::m_silentChar, &Protocol::getSilentChar},
    Held{&AC::m_fmt2Enable, &Protocol::getFmt2Enable},
    Held{&AC::m_pStartCode, &Protocol::getPStartCode},
    Held{&AC::m_pEndCode, &Protocol::getPEndCode},
    Held{&AC::m_pOffset, &Protocol::getPOffset},
    Held{&AC::m_pStartCode2nd, &Protocol::getPStartCode2nd},
    Held{&AC::m_pEndCode2nd, &Protocol::getPEndCode2nd},
    Held{&AC::m_pOffset2nd, &Protocol::getPOffset2nd},
    Held{&AC::m_deviEnable, &Protocol::getDeviEnable},
    Held{&AC::m_sOffset, &Protocol::getSOffset},
    Held{&AC::m_sLength, &Protocol::getSLength},
    Held{&AC::m_sForm, &Protocol::getSForm},
    Held{&AC::m_sOffset2nd, &Protocol::getSOffset2nd},
    Held{&AC::m_sLength2nd, &Protocol::getSLength2nd},
    Held{&AC::m_sForm2nd, &Protocol::getSForm2nd},
    Held{&AC::m_bcastAddr, &Protocol::getBcastAddr},
    Held{&AC::m_cCheck, &Protocol::getCCheck},
    Held{&AC::m_cStartCode, &Protocol::getCStartCode},
    Held{&AC::m_cOffset, &Protocol::getCOffset},
    Held{&AC::m_cLength, &Protocol::getCLength},
    Held{&AC::m_cForm, &Protocol::getCForm},
    // The range lists are not copied: the document shares the holder's lists.
    Held{&AC::m_bindType, &NumRange::getBindType},
    Held{&AC::m_group, &NumRange::getGroupIdx},
    HeldNumbered{&AC::m_modem, &NumRange::getModemID},
    HeldNumbered{&AC::m_selectIdx, &NumRange::getSelectIdx},
    HeldNumbered{&AC::m_unit, &NumRange::getUnit},
};

bool isCommandCharOrZero(const QString& code, bool zero) {
    return zero ? (code == u"0" || code == u"00") : (code == u"7e" || code == u"7E");
}

// The unit sees bytes: "0a" and "0A" are one code.
bool sameCode(const QString& a, const QString& b) {
    bool aHex = false;
    bool bHex = false;
    const uint32_t aByte = a.toUInt(&aHex, 16);
    const uint32_t bByte = b.toUInt(&bHex, 16);
    return a == b || (aHex && bHex && aByte == bByte);
}

// The codes of one packet format may be neither the command character "~" (7E) nor 0, and
// start and end must differ, or the unit could not find a packet. The message of the first
// fault, start and end alternating: the command character is looked for before 0.
std::optional<Msg> packetCodeFault(const QString& start, const QString& end, Msg startMsg, Msg endMsg) {
    if (sameCode(start, end)) {
        return endMsg;
    }
    for (bool zero : {false, true}) {
        if (isCommandCharOrZero(start, zero)) {
            return startMsg;
        }
        if (isCommandCharOrZero(end, zero)) {
            return endMsg;
        }
    }
    return std::nullopt;
}

// The document's value of a number field within what its row allows.
bool fits(const AC& doc, const char* name) { return fieldFits(doc, QString::fromLatin1(name)); }

template <class Texts>
bool allFit(const Texts& texts, qsizetype width) {
    return std::all_of(texts.begin(), texts.end(), [width](const QString& t) { return t.size() <= width; });
}

// Silent interval in characters: 4 to 9 as one digit, 10 to 99 as two, or 100.
bool silentIntervalOk(const QString& s) {
    switch (s.size()) {
        case 1:
            return ErrCheck::checkStrSingle(s, QStringLiteral("456789"));
        case 2:
            return ErrCheck::checkStrDouble(s, kNonZero, kDigits);
        case 3:
            return s == u"100";
        default:
            return false;
    }
}

// Address offset of the packet start: one digit, or two digits without a leading zero.
bool addressOffsetOk(const QString& s) {
    if (s.size() == 1) {
        return ErrCheck::checkStrSingle(s, kDigits);
    }
    if (s.size() == 2) {
        return ErrCheck::checkStrDouble(s, kNonZero, kDigits);
    }
    return true;
}

}  // namespace

const std::vector<Field<AC>>& ApplicationConfig::xmlTable() { return tableBuiltOnce<AC>(buildTable); }

ApplicationConfig::ApplicationConfig()
    : UnitDocument(Msg::Rs485ToolTitle, Msg::DocumentVersion),
      m_prot(std::make_shared<Protocol>()),
      m_range(std::make_shared<NumRange>()) {
    for (auto& list : m_rangeList) {
        list = std::make_shared<QStringList>();
    }
    applyDefaults(*this, xmlTable());
}

void ApplicationConfig::setConfigInst(std::shared_ptr<Communication> com, std::shared_ptr<Nodeinfo> node,
                                      std::shared_ptr<Protocol> prot, std::shared_ptr<NumRange> range) {
    attachHolders(std::move(com), std::move(node));
    attach(m_prot, std::move(prot));
    attach(m_range, std::move(range));
}

void ApplicationConfig::setConfigData() {
    copySharedHolders(kModelName);
    m_moduletype = m_com->getModuleType();
    FieldRows::copyFromHolders(*this, kOwnRows, *m_node, *m_prot, *m_range);
    m_rangeList = m_range->m_nowList;

    m_preText.clear();
    for (int row = 1; row <= kBindingRows; ++row) {
        m_preText.append(m_range->getCmbText(row));
    }
}

// The checks run in the form's order, and the first fault ends them: the user is told of one
// box at a time. A value the form cannot produce (a list position out of range) only comes
// from a hand-edited file and is refused without a message.
bool ApplicationConfig::checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent) const {
    const Refusal refuse(*this, errMsgFlg, parent);
    return listPositionsInRange() && checkNodeIdOffset(refuse) && checkEncryption(refuse, aesEnFlg) &&
           checkPacketFormats(refuse) && checkDestinationAddresses(refuse) && checkCheckCode(refuse) &&
           checkBindings(refuse) && textsFitForm();
}

bool ApplicationConfig::listPositionsInRange() const {
    for (const char* name :
         {"TARGET", "TABSELECT", "BAUDRATE", "DATABITS", "PARITY", "STOPBITS", "INTFPORT", "FLOWCTRL"}) {
        if (!fits(*this, name)) {
            return false;
        }
    }
    return true;
}

bool ApplicationConfig::checkNodeIdOffset(const Refusal& refuse) const {
    if (m_IdOffset.isEmpty()) {
        return refuse(Msg::NodeIdOffsetInvalid);
    }
    if (m_IdOffset.size() <= 4 && !ErrCheck::allIn(m_IdOffset, kDigits)) {
        return refuse(Msg::NodeIdOffsetInvalid);
    }
    return fits(*this, "EXTENDEDGROUP") && fits(*this, "WHITENING");
}

// The AES switch, type and key (only when the caller asks for them), then the maker-specific
// encryption and its eight key words.
bool ApplicationConfig::checkEncryption(const Refusal& refuse, bool aesEnFlg) const {
    if (aesEnFlg) {
        if (!fits(*this, "AESENCRYPTENABLE")) {
            return false;
        }
        if (m_moduletype == 2) {
            if (!fits(*this, "ENCRYPTTYPE")) {
                return false;
            }
            if (!aesKeyWordsOk()) {
                return refuse(Msg::EncryptKeyInvalid);
            }
        }
    }

    if (!fits(*this, "ENCRYPTENABLE")) {
        return false;
    }
    for (const QString& word : m_encryptKey) {
        if (!keyWordOk(word)) {
            return refuse(Msg::EncryptKeyInvalid);
        }
    }
    return true;
}

// How the unit finds the end of a packet: the silent interval, then each format's start code,
// end code and offset.
bool ApplicationConfig::checkPacketFormats(const Refusal& refuse) const {
    if (!fits(*this, "THROUGH")) {
        return false;
    }

    // The unit takes a silent interval of 4 to 100 characters, written without leading zeros.
    if (!silentIntervalOk(m_silentChar)) {
        return refuse(Msg::SilentIntervalInvalid);
    }

    if (!fits(*this, "FMT2ENABLE")) {
        return false;
    }

    // Each format's start code, end code and offset, with the message that names the box.
    struct PacketText {
        const QString& text;
        bool isOffset;
        Msg msg;
    };
    const PacketText packetTexts[] = {
        {m_pStartCode, false, Msg::StartCodeInvalid},   {m_pEndCode, false, Msg::EndCodeInvalid},
        {m_pOffset, true, Msg::EndOffsetInvalid},       {m_pStartCode2nd, false, Msg::StartCode2ndInvalid},
        {m_pEndCode2nd, false, Msg::EndCode2ndInvalid}, {m_pOffset2nd, true, Msg::EndOffset2ndInvalid}};
    for (const PacketText& p : packetTexts) {
        if (p.text.isEmpty()) {
            return refuse(p.msg);
        }
    }
    if (auto msg = packetCodeFault(m_pStartCode, m_pEndCode, Msg::StartCodeInvalid, Msg::EndCodeInvalid)) {
        return refuse(*msg);
    }
    if (auto msg = packetCodeFault(m_pStartCode2nd, m_pEndCode2nd, Msg::StartCode2ndInvalid,
                                   Msg::EndCode2ndInvalid)) {
        return refuse(*msg);
    }
    for (const PacketText& p : packetTexts) {
        if (p.isOffset ? !ErrCheck::checkStrSingle(p.text, kDigits)
                       : !ErrCheck::checkStrDouble(p.text, kHex, kHex)) {
            return refuse(p.msg);
        }
    }
    return true;
}

// Where each format's packet carries the destination address, and the broadcast address.
bool ApplicationConfig::checkDestinationAddresses(const Refusal& refuse) const {
    if (!fits(*this, "S-DEVIENABLE")) {
        return false;
    }
    struct Address {
        const QString& offset;
        const QString& length;
        const char* form;
        Msg offsetMsg;
        Msg lengthMsg;
    };
    const Address addresses[] = {
        {m_sOffset, m_sLength, "S-FORM", Msg::AddressOffsetInvalid, Msg::AddressLengthInvalid},
        {m_sOffset2nd, m_sLength2nd, "S-FORM2ND", Msg::AddressOffset2ndInvalid, Msg::AddressLength2ndInvalid},
    };
    for (const Address& a : addresses) {
        if (a.offset.isEmpty()) {
            return refuse(a.offsetMsg);
        }
        if (a.length.isEmpty()) {
            return refuse(a.lengthMsg);
        }
        if (!fits(*this, a.form)) {
            return false;
        }
        if (!addressOffsetOk(a.offset)) {
            return refuse(a.offsetMsg);
        }
        if (!ErrCheck::checkStrSingle(a.length, QStringLiteral("0123456"))) {
            return refuse(a.lengthMsg);
        }
    }

    if (m_bcastAddr.isEmpty()) {
        return refuse(Msg::BroadcastAddressInvalid);
    }
    if (m_bcastAddr.size() <= 4 && !ErrCheck::allIn(m_bcastAddr, kHex)) {
        return refuse(Msg::BroadcastAddressInvalid);
    }
    return true;
}

// The verification code's offset (-99 to 99, no leading zero, no "-0") and length (0 to 4).
bool ApplicationConfig::checkCheckCode(const Refusal& refuse) const {
    if (m_cOffset.isEmpty()) {
        return refuse(Msg::CheckOffsetInvalid);
    }
    if (m_cLength.isEmpty()) {
        return refuse(Msg::CheckLengthInvalid);
    }
    if (!fits(*this, "C-CHECK") || !fits(*this, "C-FORM")) {
        return false;
    }
    const QString& s = m_cOffset;
    bool ok = true;
    if (s.size() == 1) {
        ok = ErrCheck::checkStrSingle(s, kDigits);
    } else if (s.size() == 2) {
        ok = s != u"-0" && ErrCheck::checkStrDouble(s, QStringLiteral("-123456789"), kDigits);
    } else if (s.size() == 3) {
        ok = ErrCheck::checkStrThird(s, QStringLiteral("-"), kNonZero, kDigits);
    }
    if (!ok) {
        return refuse(Msg::CheckOffsetInvalid);
    }
    if (!ErrCheck::checkStrSingle(m_cLength, QStringLiteral("01234"))) {
        return refuse(Msg::CheckLengthInvalid);
    }
    return true;
}

// The bindings of the chosen kind: by group, the modem IDs and range choices; one by one, the
// unit IDs. Which IDs a unit takes depends on its firmware version.
bool ApplicationConfig::checkBindings(const Refusal& refuse) const {
    ErrCheck check;
    if (!m_version.isNull()) {
        check.setVersion(m_version);
    }

    if (!fits(*this, "BINDTYPE")) {
        return false;
    }
    if (m_bindType == 1) {
        if (!fits(*this, "GROUP")) {
            return false;
        }
        for (const QString& id : m_modem) {
            if (!check.checkModemID(id)) {
                return refuse(Msg::ModemIdInvalid);
            }
        }
        for (int32_t idx : m_selectIdx) {
            if (!inRange(idx, -1, 25)) {
                return false;
            }
        }
    }
    if (m_bindType == 2) {
        for (const QString& id : m_unit) {
            if (!check.checkUnitID(id)) {
                return refuse(Msg::ModemIdInvalid);
            }
        }
    }
    return true;
}

// Every text must fit the box that shows it, or the form would show it cut short. Only a
// hand-edited file can hold longer texts.
bool ApplicationConfig::textsFitForm() const {
    if (m_pStartCode.size() != 2 || m_pEndCode.size() != 2) {
        return false;
    }
    if (m_pOffset.size() > 1 || m_sOffset.size() > 2 || m_sLength.size() > 1 || m_cOffset.size() > 3 ||
        m_cLength.size() > 1) {
        return false;
    }
    if (m_IdOffset.size() > 4 || m_silentChar.size() > 3 || m_pStartCode2nd.size() > 2 ||
        m_pEndCode2nd.size() > 2 || m_sOffset2nd.size() > 2 || m_bcastAddr.size() > 4) {
        return false;
    }
    return aesKeyWordsFitForm() && allFit(m_encryptKey, 4) && allFit(m_modem, 2) && allFit(m_unit, 2);
}

bool ApplicationConfig::checkSettingToolData(bool errMsgFlg, QWidget* parent) const {
    if (m_model == kModelName || m_model.isEmpty()) {
        return true;
    }
    showError(Msg::SettingsFileOtherFormat, errMsgFlg, parent);
    return false;
}

void ApplicationConfig::initBindingType() { m_bindType = 1; }

void ApplicationConfig::initBindingNoGroup() {
    m_group = 0;
    m_modem.fill(emptyText());
    m_selectIdx.fill(-1);
    m_preText.clear();
    for (int row = 0; row < kBindingRows; ++row) {
        m_preText.append(m_st.getString(kNotUsedLabel));
    }
}

void ApplicationConfig::initBindingNoEach() { m_unit.fill(emptyText()); }

void ApplicationConfig::clearCmbNumRangeList() {
    for (auto& list : m_rangeList) {
        list->clear();
    }
}

void ApplicationConfig::addCmbNumRangeList(int32_t group) {
    clearCmbNumRangeList();
    const Grouping* g = groupingOf(group);
    if (g == nullptr) {
        return;
    }
    QStringList items{m_st.getString(kNotUsedLabel)};
    for (int k = 0; k < g->groups; ++k) {
        items.append(m_st.getString(g->firstLabel + k));
    }
    for (int row = 0; row < g->groups; ++row) {
        *m_rangeList[row] = items;
    }
}

}  // namespace Tormel::Gui
