// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "settings/Holders.h"
#include "settings/SettingsXml.h"
#include "settings/StringTable.h"
#include "settings/UnitDocument.h"

class QWidget;

namespace Tormel::Gui {

// The content of the contact-I/O window's form, stored as the settings document with root
// element "ApplicationConfig_TX330". Public fields are the document's elements
// (m_aesEncryptKey[0] is AESENCRYPTKEY1); a null text is left out of the document. Holders
// are referred to through shared pointers; a new object has fresh holders of its own.
class ApplicationConfig_TX330 : public UnitDocument {
  public:
    ApplicationConfig_TX330();

    int32_t m_DoKeepTime;
    int32_t m_DoKeepSig;
    int32_t m_Do1Bind;
    int32_t m_Do2Bind;
    int32_t m_Do3Bind;
    int32_t m_Do1Invert;
    int32_t m_Do2Invert;
    int32_t m_Do3Invert;
    int32_t m_DoOffDelay;
    int32_t m_DoOnDelay;
    int32_t m_DoDiDelay;
    int32_t m_Ch;
    int32_t m_GrpId;
    int32_t m_NodeId;
    int32_t m_ChMode;
    int32_t m_OpMode;

    void setConfigInst(std::shared_ptr<Communication> com, std::shared_ptr<Nodeinfo> node,
                       std::shared_ptr<Wirelessinfo> wireless, std::shared_ptr<Didoinfo> dido);
    void setConfigData();
    bool checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent = nullptr) const;
    // Passes only for this tool's model; a file that names no model is refused.
    bool checkSettingToolData(bool errMsgFlg, QWidget* parent = nullptr) const;

    static const std::vector<SettingsXml::Field<ApplicationConfig_TX330>>& xmlTable();
    // The number fields checkConfigData checks, in the form's order (the AES fields follow when
    // asked for); each field's range and message are its row's in xmlTable.
    static const QStringList& checkedFields();
    static inline const QString kRootElement = QStringLiteral("ApplicationConfig_TX330");
    static inline const QString kModelName = QStringLiteral("TX-330");

  private:
    std::shared_ptr<Wirelessinfo> m_wireless;
    std::shared_ptr<Didoinfo> m_dido;
};

}  // namespace Tormel::Gui
