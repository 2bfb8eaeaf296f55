// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "domain/app/AppCompletedCode.h"
#include "domain/app/TormelApp.h"
#include "gui/FamilyWindow.h"
#include "settings/ApplicationConfig.h"
#include "settings/CmbSort.h"
#include "settings/Holders.h"
#include "settings/NumRange.h"

namespace Tormel::Gui {

class BindingsTab;

// The lines of a protocol group that set a value for the 1st and the 2nd format side by side,
// with their captions and column heads: the form shows and hides them as one, and the 2nd
// format's column follows the 2nd-format check box.
struct FormatColumns {
    QList<QWidget*> all;
    QList<QWidget*> second;
};

// The main window of the RS485 unit family: reads a unit into the form, edits it, writes it
// back, and keeps settings files. The form's controls carry the names the technician's manual
// and the tests know them by; the bindings tab is its own class.
//
// The commands both windows share are FamilyWindow's; this class says what is its own.
// Files: MainGUI.cpp (life cycle, what the shared commands ask of it, opening a settings file),
// MainGUILayout.cpp (the controls), MainGUIForm.cpp (form <-> configuration, dependencies,
// presets, module type), MainGUIWrite.cpp (Set into a firmware image).
class MainGUI : public FamilyWindow<ApplicationConfig> {
    Q_OBJECT
  public:
    explicit MainGUI(QWidget* parent = nullptr);
    ~MainGUI() override;

    // ---- the form ----
    // Stores the controls into the holders and the configuration's own fields (target, tab,
    // developer views); storeForm() then fills a whole configuration from the holders.
    void saveConfig(ApplicationConfig& config);
    ApplicationConfig storeForm();
    // Loads a whole configuration; false (message 63 shown) when its bit rate is not offered
    // for the module type at hand, in which case the form is left as it was.
    bool setApplication(const ApplicationConfig& config, bool isinit);
    bool setApplicationComProt(ApplicationConfig& config, bool isinit);
    void setApplicationDefault();
    Domain::Common::Communication getCommunicateConfigConvert() const;
    Domain::Common::Nodeinfo getNodeinfoConfigConvert();
    Domain::Common::Protocol getProtocolConfigConvert();
    void setObjectSetting();
    void setControlForDevMode(bool devMode);
    void setControlForDevMode2(bool devMode2);
    bool checkTormelType();
    bool checkFirmVersion() const override;
    // True when closing would lose nothing: the form stores exactly the committed settings.
    bool checkConfig() override;

    // ---- for the next commands and for tests ----
    Domain::App::TormelApp& app() { return *m_app; }
    const ApplicationConfig& committedSetting() const { return committedSettings(); }
    int32_t moduleType() const { return m_com->getModuleType(); }
    const QString& firmwareImagePath() const { return m_imagePath; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // ---- layout (MainGUILayout.cpp) ----
    void buildControls();
    QWidget* buildComTab();
    QWidget* buildWirelessTab();
    QWidget* buildProtocolTab();
    void attachInputChecks();
    void connectDependencies();

    // ---- form (MainGUIForm.cpp) ----
    void intfPortChanged();
    void pTypeChanged();
    void fmt2Changed();
    void sTypeChanged();
    void cCheckChanged();
    // The AES choices follow the module type and the encryption box.
    void aesSecureChanged();
    void secureKeyChanged();
    void applyPreset(int preset);  // 0 ModbusRTU, 1 ModbusASCII, 2 Transparent
    // Preset parts: frames ended by silence (interval 4); one plain address (no second
    // format) at `offset`, `length` characters long, in form `format`, broadcast address 0.
    void presetSilenceFraming();
    void presetAddress(const QString& offset, const QString& length, int format);
    void btnDefaultCom_Click();
    void setBaudList(bool with76800);
    // Shows the form for a module of `type`: its baud list (the bit rate kept by value) and AES
    // choices.
    void setModuleType(int32_t type);
    // The module type whose lists show `config`: the connected unit's while one is held, since
    // that is what the line can do; otherwise the type the document was written for.
    int32_t moduleTypeToShow(const ApplicationConfig& config) const;
    bool baudListHas76800() const;
    AesKeySetting aesKeySettingFromForm() const;
    bool unitKnown() const;
    bool isOldUnit() const;
    bool isVeryOldUnit() const;
    void setText(QLineEdit* box, const QString& text);
    // A copy whose range lists belong to it alone, so later stores of the form cannot change it.
    static ApplicationConfig detached(const ApplicationConfig& config);

    // ---- what the shared window code asks of this family (MainGUI.cpp) ----
    std::optional<ApplicationConfig> formSettings(bool forWrite) override;
    void loadSettings(const ApplicationConfig& config) override;
    void loadDefaults() override;
    // A binding the unit at hand cannot take.
    std::optional<Msg> refusalFor(const ApplicationConfig& config) const override;
    void handOver(const ApplicationConfig& config) override;
    FromUnit settingsFromUnit() override;
    // The unit's generation and module decide the layout, the baud list and the AES choices; a
    // plain connect that cannot keep the form's 76800 bit/s says so (message 63).
    void unitConnected(bool read) override;
    Domain::Common::Communication connectLine() const override;
    int shownTab() const override;
    void openSettings() override;

    // ---- commands (MainGUI.cpp) ----
    void toggleDevMode(bool second);
    void applyOldUnitLayout();
    // What the connected unit's firmware offers; false for an old unit, laid out as such.
    bool showUnitCapability();
    // The AES group, shown and usable only when the firmware has AES.
    void showAesGroup();
    void setTargetChanged(int index);

    // ---- writing (MainGUIWrite.cpp) ----
    // Set: writes the form to the unit, or stores it into the image.
    void set() override;
    // The controller's own failure text: the last line the unit sent.
    QString unexplainedWriteFailure() const override;
    void SelectFile_Click();
    bool firmwareWrite();
    void showError(Msg id);
    void showError(const QString& text);
    void normaliseCodes();

    // ---- state ----
    std::shared_ptr<Communication> m_com;
    std::shared_ptr<Nodeinfo> m_node;
    std::shared_ptr<Protocol> m_prot;
    std::shared_ptr<NumRange> m_select;
    CmbSort m_sort;
    std::unique_ptr<Domain::App::TormelApp> m_app;
    bool m_devMode = false;
    bool m_devMode2 = false;
    bool m_shiftKeyFlg = false;
    bool m_creating = false;  // start-up loads report nothing
    // The firmware image Set writes into: the last one chosen whose records could be read.
    QString m_imagePath;
    // The AES type a loaded configuration asked for while no unit was known; applied once a
    // connect tells the module type, so a stored AES256 is not silently turned into AES128.
    std::optional<int32_t> m_pendingAesType;

    // ---- controls ----
    QTabWidget* tabConfig = nullptr;
    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    QComboBox* cmbSetTarget = nullptr;
    QLineEdit* txtSelectFile = nullptr;
    QPushButton* btnSelectFile = nullptr;

    // Com Parameters
    QComboBox* cmbIntfPort = nullptr;
    QComboBox* cmbFlowCtrl = nullptr;
    QLabel* lblIntfPort = nullptr;
    QLabel* lblFlowCtrl = nullptr;

    // Wireless
    QLineEdit* txtNodeIDOffset = nullptr;
    QCheckBox* chkAutoParamSync = nullptr;
    QLabel* lblAutoParamSync = nullptr;
    QCheckBox* chkExtendedGroup = nullptr;
    QLabel* lblExtendedGroup = nullptr;
    QGroupBox* grpWhitening = nullptr;
    QCheckBox* chkWhitening = nullptr;
    QGroupBox* grpSecure = nullptr;
    QCheckBox* chkSecureKey1 = nullptr;
    std::array<QLabel*, 8> lblSecureKey{};  // [0] = lblSecureKey1 (the caption), then separators
    std::array<QLineEdit*, 8> txtSecureKey{};

    // Protocol
    QPushButton* btnModbusRTU = nullptr;
    QPushButton* btnModbusASCII = nullptr;
    QPushButton* btnTransparent = nullptr;
    QComboBox* cmbPType = nullptr;
    QLineEdit* txtSilentInterval = nullptr;
    QLabel* lblSilentInterval = nullptr;
    QCheckBox* chk2ndFormat = nullptr;
    QLineEdit* txtPStartCode = nullptr;
    QLineEdit* txtPStartCode2nd = nullptr;
    QLineEdit* txtPEndCode = nullptr;
    QLineEdit* txtPEndCode2nd = nullptr;
    QLineEdit* txtPOffset = nullptr;
    QLineEdit* txtPOffset2nd = nullptr;
    FormatColumns m_packetFormats;
    QComboBox* cmbSType = nullptr;
    QLineEdit* txtSOffset = nullptr;
    QLineEdit* txtSOffset2nd = nullptr;
    QLineEdit* txtSLength = nullptr;
    QLineEdit* txtSLength2nd = nullptr;
    QComboBox* cmbSForm = nullptr;
    QComboBox* cmbSForm2nd = nullptr;
    FormatColumns m_addressFormats;
    QLineEdit* txtSBcastAddr = nullptr;
    QLabel* lblSBcastAddr = nullptr;
    QLabel* lblSBcastSend = nullptr;
    QLabel* lblSFixSend = nullptr;
    QGroupBox* grpCheckCode = nullptr;
    QComboBox* cmbCCheck = nullptr;
    QCheckBox* chkCStartCode = nullptr;
    QLineEdit* txtCOffset = nullptr;
    QLineEdit* txtCLength = nullptr;
    QComboBox* cmbCForm = nullptr;
    // Where the check code sits and how it reads, with their captions: shown only while a
    // check is chosen.
    QList<QWidget*> m_checkCodeDetails;

    BindingsTab* tabPage3 = nullptr;
};

}  // namespace Tormel::Gui
