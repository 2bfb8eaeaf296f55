// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "settings/Holders.h"
#include "settings/NumRange.h"
#include "settings/SettingsXml.h"
#include "settings/StringTable.h"
#include "settings/UnitDocument.h"

class QWidget;

namespace Tormel::Gui {

// The whole content of the RS485 window's form as one object, stored as the settings
// document with root element "ApplicationConfig". The public fields are the document's
// elements; numbered elements are arrays whose index is the number minus one (m_modem[0] is
// MODEMID1, m_unit[98] is UNIT99). A null text is an element the document leaves out.
//
// An object refers to its form-side holders and its range lists through shared pointers, as
// a handle would: copies refer to the same holders and lists. A new object has holders of its
// own with their defaults; setConfigInst attaches the window's.
class ApplicationConfig : public UnitDocument {
  public:
    ApplicationConfig();

    int32_t m_moduletype;
    QString m_IdOffset;
    int32_t m_WhiteningEnable;
    int32_t m_encryptEnable;
    std::array<QString, 8> m_encryptKey;
    int32_t m_throughMode;
    QString m_silentChar;
    int32_t m_fmt2Enable;
    QString m_pStartCode;
    QString m_pEndCode;
    QString m_pOffset;
    QString m_pStartCode2nd;
    QString m_pEndCode2nd;
    QString m_pOffset2nd;
    int32_t m_deviEnable;
    QString m_sOffset;
    QString m_sLength;
    int32_t m_sForm;
    QString m_sOffset2nd;
    QString m_sLength2nd;
    int32_t m_sForm2nd;
    QString m_bcastAddr;
    int32_t m_cCheck;
    bool m_cStartCode;
    QString m_cOffset;
    QString m_cLength;
    int32_t m_cForm;
    int32_t m_bindType;
    int32_t m_group;
    std::array<QString, kBindingRows> m_modem;
    std::array<int32_t, kBindingRows> m_selectIdx;
    std::array<std::shared_ptr<QStringList>, kBindingRows> m_rangeList;
    QStringList m_preText;
    std::array<QString, kBindingUnits> m_unit;
    int32_t m_devMode;
    int32_t m_devMode2;

    void setModuleType(int32_t v) { m_moduletype = v; }
    int32_t getModuleType() const { return m_moduletype; }

    void setConfigInst(std::shared_ptr<Communication> com, std::shared_ptr<Nodeinfo> node,
                       std::shared_ptr<Protocol> prot, std::shared_ptr<NumRange> range);
    // Copies the attached holders into the document fields. The range lists become the
    // holder's own lists, so later changes of the holder's lists show here.
    void setConfigData();

    // The record check every loaded or about-to-be-used object must pass. Messages (error
    // boxes captioned with the tool's name) only when errMsgFlg; the AES part only with aesEnFlg.
    bool checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent = nullptr) const;
    // Passes for this tool's model or a file that names none.
    bool checkSettingToolData(bool errMsgFlg, QWidget* parent = nullptr) const;

    void initBindingType();
    void initBindingNoGroup();
    void initBindingNoEach();
    void clearCmbNumRangeList();
    // Empties all range lists, then gives the rows that grouping 1 to 5 uses "Not Used" and
    // every range label of the grouping in key order.
    void addCmbNumRangeList(int32_t group);

    // The element table of the document, in document order.
    static const std::vector<SettingsXml::Field<ApplicationConfig>>& xmlTable();
    static inline const QString kRootElement = QStringLiteral("ApplicationConfig");
    static inline const QString kModelName = QStringLiteral("TX-910A");

  private:
    // The steps of checkConfigData, in its order; each answers whether the document passed.
    bool listPositionsInRange() const;
    bool checkNodeIdOffset(const Refusal& refuse) const;
    bool checkEncryption(const Refusal& refuse, bool aesEnFlg) const;
    bool checkPacketFormats(const Refusal& refuse) const;
    bool checkDestinationAddresses(const Refusal& refuse) const;
    bool checkCheckCode(const Refusal& refuse) const;
    bool checkBindings(const Refusal& refuse) const;
    bool textsFitForm() const;

    std::shared_ptr<Protocol> m_prot;
    std::shared_ptr<NumRange> m_range;
};

}  // namespace Tormel::Gui
