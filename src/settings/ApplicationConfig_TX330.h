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

class QWidget;

namespace Tormel::Gui {

// The content of the contact-I/O window's form, stored as the settings document with root
// element "ApplicationConfig_TX330". Public fields are the document's elements
// (m_aesEncryptKey[0] is AESENCRYPTKEY1); a null text is left out of the document. Holders
// are referred to through shared pointers; a new object has fresh holders of its own.
class ApplicationConfig_TX330 {
  public:
    ApplicationConfig_TX330();

    QString m_version;
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

    void setConfigInst(std::shared_ptr<Communication> com, std::shared_ptr<Nodeinfo> node,
                       std::shared_ptr<Wirelessinfo> wireless, std::shared_ptr<Didoinfo> dido);
    void setConfigData();
    bool checkConfigData(bool errMsgFlg, bool aesEnFlg, QWidget* parent = nullptr) const;
    // Passes only for this tool's model; a file that names no model is refused.
    bool checkSettingToolData(bool errMsgFlg, QWidget* parent = nullptr) const;

    const std::shared_ptr<Communication>& com() const { return m_com; }
    const std::shared_ptr<Nodeinfo>& node() const { return m_node; }
    const std::shared_ptr<Wirelessinfo>& wireless() const { return m_wireless; }
    const std::shared_ptr<Didoinfo>& dido() const { return m_dido; }

    static const std::vector<SettingsXml::Field<ApplicationConfig_TX330>>& xmlTable();
    static inline const QString kRootElement = QStringLiteral("ApplicationConfig_TX330");
    static inline const QString kModelName = QStringLiteral("TX-330");

  private:
    void showError(int32_t id, bool errMsgFlg, QWidget* parent) const;

    std::shared_ptr<Communication> m_com;
    std::shared_ptr<Nodeinfo> m_node;
    std::shared_ptr<Wirelessinfo> m_wireless;
    std::shared_ptr<Didoinfo> m_dido;
    StringTable m_st;
};

}  // namespace Tormel::Gui
