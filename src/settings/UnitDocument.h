// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "domain/common/Nodeinfo.h"
#include "settings/Holders.h"
#include "settings/SettingsXml.h"
#include "settings/StringTable.h"

class QWidget;

namespace Tormel::Gui {

// What both settings documents hold alike: the serial line, the node's group and AES key, and
// the stamp of the tool that wrote the file. The copy from the form's holders, the element
// rows and the key checks for these fields live here once; each window's document adds its
// own fields and keeps its own check order.
class UnitDocument {
  public:
    QString m_version;  // firmware version of the unit last read; null: none known
    int32_t m_target;
    int32_t m_tabSelect;
    int32_t m_baudrate;
    int32_t m_databits;
    int32_t m_parity;
    int32_t m_stopbits;
    int32_t m_awt;
    int32_t m_intfport;
    int32_t m_flowctrl;
    int32_t m_extendedGroup;
    int32_t m_aesEncryptEnable;
    int32_t m_aesEncryptType;
    std::array<QString, 16> m_aesEncryptKey;
    QString m_model;
    QString m_fileVersion;

    void setVersion(const QString& v) { m_version = v; }
    QString getVersion() const { return m_version; }
    void setTarget(int32_t v) { m_target = v; }
    int32_t getTarget() const { return m_target; }
    void setTabSelect(int32_t v) { m_tabSelect = v; }
    int32_t getTabSelect() const { return m_tabSelect; }
    void setModelName(const QString& v) { m_model = v; }

    // The AES switch, type and key words into the node record a write sends; `keySetting` is
    // the form's key choice (2 change, 3 initialise, anything else keep). An empty or
    // unreadable key word is sent as 0.
    void putAesFields(int32_t keySetting, Domain::Common::Nodeinfo& node) const;

    // Element rows of the shared fields, each group where the documents place it: the version
    // opens a document, the model and the file version close it.
    template <class Doc>
    static void appendVersionRow(std::vector<SettingsXml::Field<Doc>>& t);
    // The rules of the shared rows that differ by family: the bit-rate positions, the response
    // delay and the extended group (none: the family neither checks nor names the field).
    template <class Doc>
    struct FamilyRules {
        SettingsXml::IntRule<Doc> baudRate;
        std::optional<SettingsXml::IntRule<Doc>> responseDelay;
        std::optional<SettingsXml::IntRule<Doc>> extendedGroup;
    };
    template <class Doc>
    static void appendSerialLineRows(std::vector<SettingsXml::Field<Doc>>& t, const FamilyRules<Doc>& rules);
    template <class Doc>
    static void appendAesModeRows(std::vector<SettingsXml::Field<Doc>>& t, const FamilyRules<Doc>& rules);
    template <class Doc>
    static void appendAesKeyRows(std::vector<SettingsXml::Field<Doc>>& t);
    template <class Doc>
    static void appendStampRows(std::vector<SettingsXml::Field<Doc>>& t);

  protected:
    // captionId: the message that captions this window's error boxes; fileVersionId: the
    // message whose text is stamped as the file version.
    UnitDocument(Msg captionId, Msg fileVersionId);

    // A document kind's element table, built by `build` on first use and kept from then on.
    template <class Doc>
    static const std::vector<SettingsXml::Field<Doc>>& tableBuiltOnce(
        std::vector<SettingsXml::Field<Doc>> (*build)()) {
        static const std::vector<SettingsXml::Field<Doc>> table = build();
        return table;
    }

    // A null pointer keeps the holder the object has.
    void attachHolders(std::shared_ptr<Communication> com, std::shared_ptr<Nodeinfo> node);
    template <class Holder>
    static void attach(std::shared_ptr<Holder>& held, std::shared_ptr<Holder> given) {
        if (given) {
            held = std::move(given);
        }
    }
    // Copies the serial line, group and AES fields from the holders and stamps the model and
    // the file version.
    void copySharedHolders(const QString& modelName);
    void showError(Msg id, bool errMsgFlg, QWidget* parent) const;

    // A check's refusal: shows the message that names the fault when the caller wants messages,
    // and answers false, so that a check reads `return refuse(Msg::...)`.
    class Refusal {
      public:
        Refusal(const UnitDocument& doc, bool errMsgFlg, QWidget* parent)
            : m_doc(doc), m_errMsgFlg(errMsgFlg), m_parent(parent) {}
        bool operator()(Msg id) const {
            m_doc.showError(id, m_errMsgFlg, m_parent);
            return false;
        }

      private:
        const UnitDocument& m_doc;
        bool m_errMsgFlg;
        QWidget* m_parent;
    };

    static bool inRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }
    // A key word must have at least four characters, the first four hex digits.
    static bool keyWordOk(const QString& word);
    // The AES key words a write would send: only when the key is to be replaced, and only as
    // many words as the key type uses.
    bool aesKeyWordsOk() const;
    // Longer words only come from a hand-edited file; the form would show them cut short.
    bool aesKeyWordsFitForm() const;

    std::shared_ptr<Communication> m_com;
    std::shared_ptr<Nodeinfo> m_node;
    StringTable m_st;

  private:
    template <class Doc>
    struct IntRow {
        const char* name;
        int32_t UnitDocument::*member;
        int32_t def;
        std::optional<SettingsXml::IntRule<Doc>> rule;
    };
    template <class Doc>
    static void appendIntRows(std::vector<SettingsXml::Field<Doc>>& t,
                              std::initializer_list<IntRow<Doc>> rows);
    template <class Doc>
    static SettingsXml::Field<Doc> textRow(const char* name, QString UnitDocument::*member, bool absent);

    Msg m_captionId;
    Msg m_fileVersionId;
};

template <class Doc>
void UnitDocument::appendIntRows(std::vector<SettingsXml::Field<Doc>>& t,
                                 std::initializer_list<IntRow<Doc>> rows) {
    for (const IntRow<Doc>& row : rows) {
        t.push_back(SettingsXml::intField<Doc>(
            QString::fromLatin1(row.name), [m = row.member](Doc& c) -> int32_t& { return c.*m; }, row.def,
            row.rule));
    }
}

template <class Doc>
SettingsXml::Field<Doc> UnitDocument::textRow(const char* name, QString UnitDocument::*member, bool absent) {
    return SettingsXml::textField<Doc>(
        QString::fromLatin1(name), [member](Doc& c) -> QString& { return c.*member; }, absent);
}

template <class Doc>
void UnitDocument::appendSerialLineRows(std::vector<SettingsXml::Field<Doc>>& t,
                                        const FamilyRules<Doc>& rules) {
    using Rule = SettingsXml::IntRule<Doc>;
    appendIntRows<Doc>(
        t,
        {{"TARGET", &UnitDocument::m_target, 0, Rule{0, 1}},
         {"TABSELECT", &UnitDocument::m_tabSelect, 0, Rule{0, 3}},
         {"BAUDRATE", &UnitDocument::m_baudrate, 0, rules.baudRate},
         {"DATABITS", &UnitDocument::m_databits, 0, Rule{0, 1, {"8", "7"}, Msg::DataBitOutOfRange}},
         {"PARITY", &UnitDocument::m_parity, 0, Rule{0, 2, {"none", "odd", "even"}, Msg::ParityOutOfRange}},
         {"STOPBITS", &UnitDocument::m_stopbits, 0, Rule{0, 1, {"1", "2"}, Msg::StopBitOutOfRange}},
         {"AWT", &UnitDocument::m_awt, 0, rules.responseDelay},
         {"INTFPORT", &UnitDocument::m_intfport, 0, Rule{0, 1, {"RS485", "USB"}}},
         {"FLOWCTRL", &UnitDocument::m_flowctrl, 0, Rule{0, 2, {"none", "Xon/Xoff", "hardware"}}}});
}

template <class Doc>
void UnitDocument::appendAesModeRows(std::vector<SettingsXml::Field<Doc>>& t, const FamilyRules<Doc>& rules) {
    using Rule = SettingsXml::IntRule<Doc>;
    Rule enable{1, 2, {"off", "on"}, Msg::EncryptEnableOutOfRange};
    enable.onlyWithAes = true;
    Rule type{1, 2, {"AES128", "AES256"}, Msg::AesTypeOutOfRange};
    type.onlyWithAes = true;
    appendIntRows<Doc>(t, {{"EXTENDEDGROUP", &UnitDocument::m_extendedGroup, 1, rules.extendedGroup},
                           {"AESENCRYPTENABLE", &UnitDocument::m_aesEncryptEnable, 1, enable},
                           {"ENCRYPTTYPE", &UnitDocument::m_aesEncryptType, 1, type}});
}

template <class Doc>
void UnitDocument::appendAesKeyRows(std::vector<SettingsXml::Field<Doc>>& t) {
    for (int i = 0; i < 16; ++i) {
        t.push_back(SettingsXml::textField<Doc>(SettingsXml::numbered("AESENCRYPTKEY", i + 1),
                                                [i](Doc& c) -> QString& { return c.m_aesEncryptKey[i]; }));
    }
}

template <class Doc>
void UnitDocument::appendVersionRow(std::vector<SettingsXml::Field<Doc>>& t) {
    t.push_back(textRow<Doc>("VERSION", &UnitDocument::m_version, true));
}

template <class Doc>
void UnitDocument::appendStampRows(std::vector<SettingsXml::Field<Doc>>& t) {
    t.push_back(textRow<Doc>("MODEL", &UnitDocument::m_model, false));
    t.push_back(textRow<Doc>("FILE-VERSION", &UnitDocument::m_fileVersion, true));
}

}  // namespace Tormel::Gui
