// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <memory>
#include <optional>

#include "domain/app/TormelApp_TX330.h"
#include "gui/FamilyWindow.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/Holders.h"

namespace Tormel::Gui {

// The main window of the contact-I/O unit TX-330: reads a unit's radio, serial and contact
// settings into three tab pages, writes them back, restores factory settings and keeps
// settings files. A base node (ID 0) uses the DI page, a terminal or relay node the DO page.
//
// The commands both windows share are FamilyWindow's; this class says what is its own.
// Files: MainGUI_TX_330.cpp (life cycle, what the shared commands ask of it), MainGUI_TX_330_Layout.cpp
// (the controls), MainGUI_TX_330_Form.cpp (form <-> configuration and the rules between controls).
class MainGUI_TX_330 : public FamilyWindow<ApplicationConfig_TX330> {
    Q_OBJECT
  public:
    explicit MainGUI_TX_330(QWidget* parent = nullptr);
    ~MainGUI_TX_330() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // ---- layout (MainGUI_TX_330_Layout.cpp) ----
    void buildControls();
    QWidget* buildRadioPage();
    QWidget* buildDiPage();
    QWidget* buildDoPage();
    void connectRules();

    // ---- form (MainGUI_TX_330_Form.cpp) ----
    void setApplication(ApplicationConfig_TX330& config, bool isinit);
    void setApplicationComProt(ApplicationConfig_TX330& config, bool isinit);
    void setApplicationDefault();
    // The serial line the unit leaves the factory with.
    void setLineDefault();
    // Stores the form into the holders and a new configuration. Nullopt when a number box holds
    // no number; with `showErrors` the box's message is shown then.
    std::optional<ApplicationConfig_TX330> saveConfig(bool showErrors);
    void setObjectSetting();
    bool checkFirmVersion() const override;
    bool checkConfig() override;
    void selectNodeRole(bool base);
    void nodeIdChanged(const QString& text);
    void channelButtonChanged();
    void aesSecureChanged();
    void leaveAwt();
    void leaveDiFilt();
    void btnDefaultCom_Click();
    void setBoxText(QLineEdit* box, int slot, const QString& text);
    void selectStoredTab(int32_t tab);

    // ---- what the shared window code asks of this family (MainGUI_TX_330.cpp) ----
    std::optional<ApplicationConfig_TX330> formSettings(bool forWrite) override;
    void loadSettings(const ApplicationConfig_TX330& config) override;
    void loadDefaults() override;
    void handOver(const ApplicationConfig_TX330& config) override;
    FromUnit settingsFromUnit() override;
    // Once a unit is connected, security is offered.
    void unitConnected(bool read) override;
    Domain::Common::Communication connectLine() const override;
    int shownTab() const override;
    void openSettings() override;

    // ---- state ----
    std::unique_ptr<Domain::App::TormelApp_TX330> m_app;
    std::shared_ptr<Communication> m_com = std::make_shared<Communication>();
    std::shared_ptr<Nodeinfo> m_node = std::make_shared<Nodeinfo>();
    std::shared_ptr<Wirelessinfo> m_wireless = std::make_shared<Wirelessinfo>();
    std::shared_ptr<Didoinfo> m_dido = std::make_shared<Didoinfo>();

    // ---- controls ----
    QTabWidget* tabControl1 = nullptr;
    QWidget* tabPage4 = nullptr;
    QWidget* tabPage1 = nullptr;
    QWidget* tabPage5 = nullptr;

    QRadioButton* radioButton12 = nullptr;
    QRadioButton* radioButton13 = nullptr;
    QLineEdit* textBox4 = nullptr;
    QRadioButton* radioButton2 = nullptr;
    QRadioButton* radioButton1 = nullptr;
    QRadioButton* radioButton3 = nullptr;
    QComboBox* comboBox2 = nullptr;
    QComboBox* comboBox1 = nullptr;
    QComboBox* cmbGrpId = nullptr;

    QLineEdit* txtAwt = nullptr;
    QLineEdit* txtDiFilt = nullptr;

    std::array<QComboBox*, 3> doBind{};          // comboBox5, comboBox6, comboBox7
    std::array<QRadioButton*, 3> doNonInvert{};  // radioButton6, radioButton9, radioButton11
    std::array<QRadioButton*, 3> doInvert{};     // radioButton5, radioButton4, radioButton10
    QLineEdit* textBox1 = nullptr;               // off delay
    QLineEdit* textBox5 = nullptr;               // on delay
    QLineEdit* textBox2 = nullptr;               // keep time
    QRadioButton* radioButton7 = nullptr;        // keep signal ON
    QRadioButton* radioButton8 = nullptr;        // keep signal OFF
};

}  // namespace Tormel::Gui
