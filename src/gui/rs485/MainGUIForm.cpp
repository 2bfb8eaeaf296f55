// SPDX-License-Identifier: MIT
// The RS485 window's form: controls to and from settings documents and unit records, the
// dependencies between controls, the protocol presets and what the unit's module decides.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTabWidget>
#include <iterator>

#include "gui/Toolkit.h"
#include "gui/rs485/BindingsTab.h"
#include "gui/rs485/MainGUI.h"
#include "settings/ChoiceLists.h"
#include "settings/Config.h"
#include "settings/RecordConversion.h"
#include "settings/Rs485Records.h"

namespace Tormel::Gui {

namespace {

const QString k76800 = QStringLiteral("76800bps");

void showAll(const QList<QWidget*>& widgets, bool visible) {
    for (QWidget* w : widgets) {
        w->setVisible(visible);
    }
}

void enableAll(const QList<QWidget*>& widgets, bool enabled) {
    for (QWidget* w : widgets) {
        w->setEnabled(enabled);
    }
}

}  // namespace

// ---- module type and unit generation ----

bool MainGUI::checkTormelType() {
    const int32_t type = rs485ModuleType(m_app->NodeinfoConfig().SoftwareName);
    m_com->setModuleType(type);
    return type == 2;
}

bool MainGUI::checkFirmVersion() const {
    return rs485AesEnabled(m_app->NodeinfoConfig().SoftwareName, m_com->getModuleType());
}

bool MainGUI::unitKnown() const { return !m_app->NodeinfoConfig().SoftwareName.empty(); }

bool MainGUI::isOldUnit() const {
    static const QStringList old{QStringLiteral("2.0"), QStringLiteral("2.1"), QStringLiteral("2.2"),
                                 QStringLiteral("2.3"), QStringLiteral("2.4"), QString()};
    return old.contains(QString::fromStdString(m_app->NodeinfoConfig().SoftwareVersion));
}

bool MainGUI::isVeryOldUnit() const {
    const QString v = QString::fromStdString(m_app->NodeinfoConfig().SoftwareVersion);
    return v == QLatin1String("2.0") || v == QLatin1String("2.1");
}

bool MainGUI::baudListHas76800() const { return m_line->offers76800(); }

void MainGUI::setBaudList(bool with76800) { m_line->offer76800(with76800); }

void MainGUI::setModuleType(int32_t type) {
    m_com->setModuleType(type);
    setObjectSetting();
}

int32_t MainGUI::moduleTypeToShow(const ApplicationConfig& config) const {
    const bool unitHeld = (m_state.link == Link::UnitHeld || m_state.link == Link::Writing) &&
                          m_state.target == WriteTarget::Unit;
    if (!unitHeld && (config.m_moduletype == 1 || config.m_moduletype == 2)) {
        return config.m_moduletype;
    }
    return m_com->getModuleType();
}

void MainGUI::setObjectSetting() {
    if (m_com->getModuleType() == 2) {
        grpAESSecure->setChoicesOffered(true);
        setBaudList(true);
        if (m_pendingAesType == 2 && grpAESSecure->encryptionOn()) {
            grpAESSecure->setAesType(AesType::AES256);
        }
    } else {
        grpAESSecure->setChoicesOffered(false);
        grpAESSecure->setAesType(AesType::AES128);
        grpAESSecure->setKeyChoice(AesKeySetting::Init);
        setBaudList(false);
    }
    m_pendingAesType.reset();
    aesSecureChanged();
}

void MainGUI::setControlForDevMode(bool devMode) {
    label1->setVisible(devMode);
    cmbSetTarget->setVisible(devMode);
    label2->setVisible(!devMode);
    showAll({grpCheckCode, chkAutoParamSync, lblAutoParamSync}, devMode);
    if (!devMode) {
        cmbSetTarget->setCurrentIndex(0);
    }
}

void MainGUI::setControlForDevMode2(bool devMode2) {
    showAll({chkExtendedGroup, lblExtendedGroup}, devMode2);
}

// ---- dependencies ----

void MainGUI::intfPortChanged() {
    const bool rs485 = cmbIntfPort->currentIndex() == 0;
    m_line->setVisible(rs485);
}

void MainGUI::pTypeChanged() {
    const bool marker = cmbPType->currentIndex() == 0;
    chk2ndFormat->setVisible(marker);
    showAll(m_packetFormats.all, marker);
    showAll({lblSilentInterval, txtSilentInterval}, !marker);
}

void MainGUI::fmt2Changed() {
    enableAll(m_packetFormats.second + m_addressFormats.second, chk2ndFormat->isChecked());
}

void MainGUI::sTypeChanged() {
    const int index = cmbSType->currentIndex();
    showAll(m_addressFormats.all, index == 1);
    showAll({lblSBcastAddr, txtSBcastAddr}, index == 1);
    lblSBcastSend->setVisible(index == 0);
    lblSFixSend->setVisible(index == 2);
}

void MainGUI::cCheckChanged() { showAll(m_checkCodeDetails, cmbCCheck->currentIndex() != 0); }

void MainGUI::aesSecureChanged() {
    const bool type2 = m_com->getModuleType() == 2;
    const bool usable = type2 && grpAESSecure->encryptionOn();
    // Until a unit tells its module, a loaded AES256 stays as the file had it.
    if (!type2 && unitKnown()) {
        grpAESSecure->setAesType(AesType::AES128);
    }
    if (!usable) {
        grpAESSecure->setKeyChoice(AesKeySetting::Init);
    }
    grpAESSecure->setChoicesUsable(usable);
}

void MainGUI::secureKeyChanged() {
    const bool on = chkSecureKey1->isChecked();
    for (int i = 0; i < 8; ++i) {
        lblSecureKey[i]->setEnabled(on);
        txtSecureKey[i]->setEnabled(on);
    }
}

void MainGUI::applyPreset(int preset) {
    switch (preset) {
        case 0:  // ModbusRTU: frames end by silence, address in the first byte
            presetSilenceFraming();
            presetAddress(QStringLiteral("0"), QStringLiteral("1"), 2);
            break;
        case 1:  // ModbusASCII: ':' ... LF, address as two hex characters after ':'
            cmbPType->setCurrentIndex(0);
            setText(txtPStartCode, QStringLiteral("3A"));
            setText(txtPEndCode, QStringLiteral("0A"));
            setText(txtPOffset, QStringLiteral("0"));
            presetAddress(QStringLiteral("1"), QStringLiteral("2"), 1);
            break;
        default:  // Transparent: everything to everyone
            presetSilenceFraming();
            chk2ndFormat->setChecked(false);
            cmbSType->setCurrentIndex(0);
            break;
    }
}

void MainGUI::presetSilenceFraming() {
    cmbPType->setCurrentIndex(1);
    setText(txtSilentInterval, QStringLiteral("4"));
}

void MainGUI::presetAddress(const QString& offset, const QString& length, int format) {
    chk2ndFormat->setChecked(false);
    cmbSType->setCurrentIndex(1);
    setText(txtSOffset, offset);
    setText(txtSLength, length);
    cmbSForm->setCurrentIndex(format);
    setText(txtSBcastAddr, QStringLiteral("0"));
}

void MainGUI::btnDefaultCom_Click() {
    m_line->setDefaults();
    for (QComboBox* box : {cmbIntfPort, cmbFlowCtrl}) {
        box->setCurrentIndex(0);
    }
}

void MainGUI::connectDependencies() {
    connect(cmbIntfPort, &QComboBox::currentIndexChanged, this, [this] { intfPortChanged(); });
    connect(cmbPType, &QComboBox::currentIndexChanged, this, [this] { pTypeChanged(); });
    connect(chk2ndFormat, &QCheckBox::toggled, this, [this] { fmt2Changed(); });
    connect(cmbSType, &QComboBox::currentIndexChanged, this, [this] { sTypeChanged(); });
    connect(cmbCCheck, &QComboBox::currentIndexChanged, this, [this] { cCheckChanged(); });
    connect(grpAESSecure, &AesPanel::encryptionToggled, this, [this] { aesSecureChanged(); });
    connect(chkSecureKey1, &QCheckBox::toggled, this, [this] { secureKeyChanged(); });
    connect(btnModbusRTU, &QPushButton::clicked, this, [this] { applyPreset(0); });
    connect(btnModbusASCII, &QPushButton::clicked, this, [this] { applyPreset(1); });
    connect(btnTransparent, &QPushButton::clicked, this, [this] { applyPreset(2); });
    connect(btnDefaultCom, &QPushButton::clicked, this, [this] { btnDefaultCom_Click(); });
    for (QLabel* l : {lblAutoParamSync, lblExtendedGroup, lblSecureKey[0]}) {
        l->installEventFilter(this);
    }
}

// ---- store ----

void MainGUI::setText(QLineEdit* box, const QString& text) { box->setText(text); }

AesKeySetting MainGUI::aesKeySettingFromForm() const {
    if (m_com->getModuleType() != 2) {
        return AesKeySetting::NotChange;
    }
    return grpAESSecure->keyChoice();
}

void MainGUI::saveConfig(ApplicationConfig& config) {
    m_com->setVersion(QString::fromStdString(m_app->NodeinfoConfig().SoftwareVersion));
    config.setTarget(cmbSetTarget->currentIndex());
    config.setTabSelect(tabConfig->currentIndex());

    storeLine(*m_com);
    m_com->setIntfPort(cmbIntfPort->currentIndex());
    m_com->setFlowControl(cmbFlowCtrl->currentIndex());

    m_node->setIdOffset(txtNodeIDOffset->text());
    m_node->setExtendedGroup(chkExtendedGroup->isChecked() ? 2 : 1);
    m_node->setWhiteningEnable(chkWhitening->isChecked() ? 1U : 0U);
    // The AES type a file asked for is kept while no unit has told its module.
    const bool aesTypeApplies = m_com->getModuleType() == 2 || !unitKnown();
    storeAes(*m_node, aesTypeApplies ? grpAESSecure->aesType() : AesType::AES128, aesKeySettingFromForm());
    m_node->setEncryptEnable(chkSecureKey1->isChecked() ? 2 : 1);
    for (int word = 1; word <= 8; ++word) {
        m_node->setEncryptKey(word, txtSecureKey[word - 1]->text());
    }

    m_prot->setThroughMode(cmbPType->currentIndex() + 1);
    m_prot->setSilentChar(txtSilentInterval->text());
    m_prot->setFmt2Enable(chk2ndFormat->isChecked() ? 2 : 1);
    m_prot->setPStartCode(txtPStartCode->text());
    m_prot->setPEndCode(txtPEndCode->text());
    m_prot->setPOffset(txtPOffset->text());
    m_prot->setPStartCode2nd(txtPStartCode2nd->text());
    m_prot->setPEndCode2nd(txtPEndCode2nd->text());
    m_prot->setPOffset2nd(txtPOffset2nd->text());
    m_prot->setDeviEnable(cmbSType->currentIndex() + 1);
    m_prot->setSOffset(txtSOffset->text());
    m_prot->setSLength(txtSLength->text());
    m_prot->setSForm(cmbSForm->currentIndex());
    m_prot->setSOffset2nd(txtSOffset2nd->text());
    m_prot->setSLength2nd(txtSLength2nd->text());
    m_prot->setSForm2nd(cmbSForm2nd->currentIndex());
    m_prot->setBcastAddr(txtSBcastAddr->text());
    m_prot->setCCheck(cmbCCheck->currentIndex());
    m_prot->setCStartCode(chkCStartCode->isChecked());
    m_prot->setCOffset(txtCOffset->text());
    m_prot->setCLength(txtCLength->text());
    m_prot->setCForm(cmbCForm->currentIndex());

    tabPage3->store();

    config.m_devMode = m_devMode ? 1 : 0;
    config.m_devMode2 = m_devMode2 ? 1 : 0;
}

ApplicationConfig MainGUI::detached(const ApplicationConfig& config) {
    ApplicationConfig copy = config;
    for (auto& list : copy.m_rangeList) {
        list = std::make_shared<QStringList>(list ? *list : QStringList());
    }
    return copy;
}

ApplicationConfig MainGUI::storeForm() {
    ApplicationConfig config;
    saveConfig(config);
    config.setConfigInst(m_com, m_node, m_prot, m_select);
    config.setConfigData();
    return detached(config);
}

bool MainGUI::checkConfig() {
    // What the form would store, against what was committed. The unit's identity, the tab
    // shown and the developer views are no edits of the settings.
    // The bit rate is compared as a rate: the same position means another rate in another
    // module's list.
    const auto comparable = [this](ApplicationConfig config) {
        config.m_baudrate = Rs485Records::documentBitRate(config).value_or(-1);
        config.m_version = m_setting.m_version;
        config.m_moduletype = m_setting.m_moduletype;
        config.m_tabSelect = m_setting.m_tabSelect;
        config.m_devMode = m_setting.m_devMode;
        config.m_devMode2 = m_setting.m_devMode2;
        return Config::toXml(config);
    };
    return comparable(storeForm()) == comparable(m_setting);
}

// ---- load ----

bool MainGUI::setApplicationComProt(ApplicationConfig& config, bool isinit) {
    // The document's baud position means a bit rate for the module it was written for; the
    // form shows that rate in the list of the module type it is shown for.
    const int32_t type = moduleTypeToShow(config);
    const std::optional<int32_t> rate = Rs485Records::documentBitRate(config);
    const std::optional<int32_t> position =
        rate ? ChoiceLists::baudRateIndex(*rate, ChoiceLists::offers76800(type)) : std::nullopt;
    if (!position) {
        if (rate == 76800 && !m_creating) {
            showError(Msg::Baud76800NotSupported);
        }
        return false;
    }
    if (type != m_com->getModuleType() || baudListHas76800() != ChoiceLists::offers76800(type)) {
        setModuleType(type);
    }
    showLine(rate, config);
    cmbIntfPort->setCurrentIndex(config.m_intfport);
    cmbFlowCtrl->setCurrentIndex(config.m_flowctrl);

    setText(txtNodeIDOffset, config.m_IdOffset);

    if (config.m_extendedGroup == 0 || config.m_extendedGroup == 1) {
        chkExtendedGroup->setChecked(false);
    } else if (config.m_extendedGroup == 2) {
        chkExtendedGroup->setChecked(true);
        config.m_devMode2 = 1;
    }
    if (config.m_aesEncryptEnable == 0 || config.m_aesEncryptEnable == 1) {
        grpAESSecure->setEncryptionOn(false);
    } else if (config.m_aesEncryptEnable == 2) {
        grpAESSecure->setEncryptionOn(true);
    }
    if (config.m_WhiteningEnable == 0) {
        chkWhitening->setChecked(false);
    } else if (config.m_WhiteningEnable == 1) {
        chkWhitening->setChecked(true);
    }

    const bool type2 = m_com->getModuleType() == 2;
    const bool known = unitKnown();
    const bool aes256 = (type2 || !known) && grpAESSecure->encryptionOn() && config.m_aesEncryptType == 2;
    grpAESSecure->setAesType(aes256 ? AesType::AES256 : AesType::AES128);
    if (!known) {
        m_pendingAesType = config.m_aesEncryptType;
    }
    if (isinit) {
        grpAESSecure->setKeyChoice(AesKeySetting::Init);
    }
    grpAESSecure->setKeyWords(config.m_aesEncryptKey);
    grpAESSecure->setChoicesUsable(type2 && grpAESSecure->encryptionOn());

    const bool old = isOldUnit();
    if (isinit) {
        if (old || m_shiftKeyFlg) {
            if (config.m_encryptEnable == 2) {
                chkSecureKey1->setChecked(true);
            } else if (config.m_encryptEnable == 0 || config.m_encryptEnable == 1) {
                chkSecureKey1->setChecked(false);
            }
        } else {
            chkSecureKey1->setChecked(false);
        }
    } else if (config.m_encryptEnable == 2) {
        chkSecureKey1->setChecked(true);
        grpSecure->setVisible(true);
        grpSecure->setEnabled(true);
    } else if (config.m_encryptEnable == 0 || config.m_encryptEnable == 1) {
        chkSecureKey1->setChecked(false);
        if (!old && !m_shiftKeyFlg) {
            grpSecure->setVisible(false);
            grpSecure->setEnabled(false);
        }
    }
    for (int word = 1; word <= 8; ++word) {
        setText(txtSecureKey[word - 1], config.m_encryptKey[word - 1]);
    }

    if (config.m_throughMode == 0 || config.m_throughMode == 1) {
        cmbPType->setCurrentIndex(0);
    } else if (config.m_throughMode == 2) {
        cmbPType->setCurrentIndex(1);
    }
    setText(txtSilentInterval, config.m_silentChar);
    chk2ndFormat->setChecked(config.m_fmt2Enable == 2);
    setText(txtPStartCode, config.m_pStartCode);
    setText(txtPEndCode, config.m_pEndCode);
    setText(txtPOffset, config.m_pOffset);
    setText(txtPStartCode2nd, config.m_pStartCode2nd);
    setText(txtPEndCode2nd, config.m_pEndCode2nd);
    setText(txtPOffset2nd, config.m_pOffset2nd);

    if (config.m_deviEnable >= 0 && config.m_deviEnable <= 3) {
        cmbSType->setCurrentIndex(config.m_deviEnable == 0 ? 0 : config.m_deviEnable - 1);
    }
    setText(txtSOffset, config.m_sOffset);
    setText(txtSLength, config.m_sLength);
    cmbSForm->setCurrentIndex(config.m_sForm);
    setText(txtSOffset2nd, config.m_sOffset2nd);
    setText(txtSLength2nd, config.m_sLength2nd);
    cmbSForm2nd->setCurrentIndex(config.m_sForm2nd);
    setText(txtSBcastAddr, config.m_bcastAddr);
    setText(txtCOffset, config.m_cOffset);
    setText(txtCLength, config.m_cLength);
    cmbCCheck->setCurrentIndex(config.m_cCheck);
    chkCStartCode->setChecked(config.m_cStartCode);
    cmbCForm->setCurrentIndex(config.m_cForm);
    return true;
}

bool MainGUI::setApplication(const ApplicationConfig& config, bool isinit) {
    ApplicationConfig copy = config;
    const std::optional<int32_t> rate = Rs485Records::documentBitRate(copy);
    if (!rate || !ChoiceLists::baudRateIndex(*rate, ChoiceLists::offers76800(moduleTypeToShow(copy)))) {
        return setApplicationComProt(copy, isinit);  // reports and refuses, the form unchanged
    }
    cmbSetTarget->setCurrentIndex(copy.m_target);
    tabConfig->setCurrentIndex(copy.m_tabSelect);
    setApplicationComProt(copy, isinit);
    tabPage3->load(copy);
    m_devMode = copy.m_devMode != 0;
    setControlForDevMode(m_devMode);
    m_devMode2 = copy.m_devMode2 != 0;
    setControlForDevMode2(m_devMode2);
    return true;
}

void MainGUI::setApplicationDefault() {
    cmbSetTarget->setCurrentIndex(0);
    tabConfig->setCurrentIndex(0);
    m_line->setDefaults();
    for (QComboBox* box : {cmbIntfPort, cmbFlowCtrl}) {
        box->setCurrentIndex(0);
    }
    setText(txtNodeIDOffset, m_st.getString(Msg::DefaultNodeIdOffset));
    chkWhitening->setChecked(false);
    grpAESSecure->setEncryptionOn(false);
    grpAESSecure->setAesType(AesType::AES128);
    grpAESSecure->setKeyChoice(AesKeySetting::Init);
    m_pendingAesType.reset();
    std::array<QString, 16> blank;
    blank.fill(emptyText());
    grpAESSecure->setKeyWords(blank);
    chkSecureKey1->setChecked(false);
    constexpr Msg kSecureKeyDefaults[] = {
        Msg::DefaultSecureKey1, Msg::DefaultSecureKey2, Msg::DefaultSecureKey3, Msg::DefaultSecureKey4,
        Msg::DefaultSecureKey5, Msg::DefaultSecureKey6, Msg::DefaultSecureKey7, Msg::DefaultSecureKey8};
    for (size_t word = 0; word < std::size(kSecureKeyDefaults); ++word) {
        setText(txtSecureKey[word], m_st.getString(kSecureKeyDefaults[word]));
    }
    cmbPType->setCurrentIndex(1);
    const std::pair<QLineEdit*, Msg> texts[] = {
        {txtPStartCode, Msg::DefaultStartCode},
        {txtPEndCode, Msg::DefaultEndCode},
        {txtPOffset, Msg::DefaultEndOffset},
        {txtPStartCode2nd, Msg::DefaultStartCode2nd},
        {txtPEndCode2nd, Msg::DefaultEndCode2nd},
        {txtPOffset2nd, Msg::DefaultEndOffset2nd},
        {txtSilentInterval, Msg::DefaultSilentInterval},
        {txtSOffset, Msg::DefaultAddressOffset},
        {txtSLength, Msg::DefaultAddressLength},
        {txtSOffset2nd, Msg::DefaultAddressOffset2nd},
        {txtSLength2nd, Msg::DefaultAddressLength2nd},
        {txtSBcastAddr, Msg::DefaultBroadcastAddress},
        {txtCOffset, Msg::DefaultCheckOffset},
        {txtCLength, Msg::DefaultCheckLength},
    };
    for (const auto& [box, id] : texts) {
        setText(box, m_st.getString(id));
    }
    cmbSType->setCurrentIndex(1);
    chk2ndFormat->setChecked(false);
    cmbSForm->setCurrentIndex(2);
    cmbSForm2nd->setCurrentIndex(0);
    cmbCCheck->setCurrentIndex(0);
    chkCStartCode->setChecked(false);
    cmbCForm->setCurrentIndex(1);
    tabPage3->loadDefaults();
    // The views switch off in the form; the window's flags keep what the technician chose.
    setControlForDevMode(false);
    setControlForDevMode2(false);
}

// ---- records ----

Domain::Common::Communication MainGUI::getCommunicateConfigConvert() const { return connectLine(); }

Domain::Common::Nodeinfo MainGUI::getNodeinfoConfigConvert() {
    return Rs485Records::nodeinfo(storeForm(), static_cast<int32_t>(aesKeySettingFromForm()),
                                  chkAutoParamSync->isChecked(), m_app->NodeinfoConfig());
}

Domain::Common::Protocol MainGUI::getProtocolConfigConvert() { return Rs485Records::protocol(storeForm()); }

}  // namespace Tormel::Gui
