// SPDX-License-Identifier: MIT
// The contact-I/O form: loading a configuration into the controls, storing the controls into a
// configuration, and the rules between controls (node role, channel lists, security, the
// boxes' leave rules).
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

#include "gui/tx330/MainGUI_TX_330.h"
#include "gui/tx330/Tx330Form.h"
#include "settings/ChoiceLists.h"
#include "settings/RecordConversion.h"
#include "settings/UnshownValues.h"

namespace Tormel::Gui {

namespace {

void setIndex(QComboBox* box, int32_t index) {
    if (index >= 0 && index < box->count()) {
        box->setCurrentIndex(index);
    }
}

}  // namespace

void MainGUI_TX_330::connectRules() {
    connect(radioButton12, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            selectNodeRole(true);
        }
    });
    connect(radioButton13, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            selectNodeRole(false);
        }
    });
    connect(textBox4, &QLineEdit::textChanged, this, &MainGUI_TX_330::nodeIdChanged);
    for (QRadioButton* channel : {radioButton1, radioButton2, radioButton3}) {
        connect(channel, &QRadioButton::toggled, this, &MainGUI_TX_330::channelButtonChanged);
    }
    connect(grpAESSecure, &AesPanel::encryptionToggled, this, &MainGUI_TX_330::aesSecureChanged);
    connect(btnDefaultCom, &QPushButton::clicked, this, &MainGUI_TX_330::btnDefaultCom_Click);
}

void MainGUI_TX_330::setBoxText(QLineEdit* box, int slot, const QString& text) {
    box->setText(text);
    // A refused keystroke brings back what the program put there, not an older typed text.
    m_check.setRememberedText(slot, text);
}

// ---- node role ----

void MainGUI_TX_330::selectNodeRole(bool base) {
    if (base) {
        textBox4->setEnabled(false);
        setBoxText(textBox4, LiveFilters::textBox4NodeId.slot, QStringLiteral("0"));
    } else {
        textBox4->setEnabled(true);
        const std::optional<int32_t> id = Tx330Form::nodeIdOf(textBox4->text());
        if (textBox4->text().isEmpty() || id == 0) {
            setBoxText(textBox4, LiveFilters::textBox4NodeId.slot, QStringLiteral("1"));
        }
    }
    tabControl1->setTabEnabled(1, base);
    tabControl1->setTabEnabled(2, !base);
}

void MainGUI_TX_330::nodeIdChanged(const QString& text) {
    // "00" is the base node's ID as much as "0"; empty text has no role of its own.
    const std::optional<int32_t> id = Tx330Form::nodeIdOf(text);
    if (radioButton12->isChecked() && id && *id != 0) {
        radioButton13->setChecked(true);
    } else if (radioButton13->isChecked() && id == 0) {
        radioButton12->setChecked(true);
    }
}

// ---- channel and security ----

void MainGUI_TX_330::channelButtonChanged() {
    const bool low = radioButton1->isChecked();
    comboBox1->setVisible(low);
    comboBox2->setVisible(!low);
}

void MainGUI_TX_330::aesSecureChanged() {
    // Every unit of this family offers AES: the choices follow the encryption box alone.
    const bool on = grpAESSecure->encryptionOn();
    if (!on) {
        grpAESSecure->setKeyChoice(AesKeySetting::Init);
    }
    grpAESSecure->setChoicesUsable(on);
}

// ---- leave rules and defaults of the serial line ----

bool MainGUI_TX_330::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // A menu, a lone Alt press that wakes the menu bar, or a message box takes the focus
        // only for a moment; the user has not left the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::MenuBarFocusReason) {
            if (watched == txtAwt) {
                leaveAwt();
            } else if (watched == txtDiFilt) {
                leaveDiFilt();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainGUI_TX_330::leaveAwt() {
    setBoxText(txtAwt, LiveFilters::txtAwt.slot, Tx330Form::leaveAwtText(txtAwt->text()));
}

void MainGUI_TX_330::leaveDiFilt() {
    setBoxText(txtDiFilt, LiveFilters::txtDiFilt.slot, Tx330Form::leaveDiDelayText(txtDiFilt->text()));
}

void MainGUI_TX_330::btnDefaultCom_Click() { setLineDefault(); }

void MainGUI_TX_330::setLineDefault() {
    m_line->setDefaults();
    setBoxText(txtAwt, LiveFilters::txtAwt.slot, QStringLiteral("0"));
}

// ---- unit and module ----

bool MainGUI_TX_330::checkFirmVersion() const {
    return tx330AesEnabled(m_app->NodeinfoConfig().SoftwareName);
}

void MainGUI_TX_330::setObjectSetting() {
    grpAESSecure->setChoicesOffered(true);
    m_line->offer76800(true);
}

// ---- loading ----

void MainGUI_TX_330::selectStoredTab(int32_t tab) {
    // The node role has decided which pages are usable; a stored page that is not usable now,
    // or that does not exist, gives way to the radio page.
    if (tab < 0 || tab >= tabControl1->count() || !tabControl1->isTabEnabled(tab)) {
        tab = 0;
    }
    tabControl1->setCurrentIndex(tab);
}

void MainGUI_TX_330::setApplication(ApplicationConfig_TX330& config, bool isinit) {
    const std::vector<UnshownValue> unshown = fitTx330Form(config);
    setApplicationComProt(config, isinit);
    selectStoredTab(config.getTabSelect());
    if (!unshown.empty()) {
        showBox(unshownValuesText(unshown, m_st), MessageBoxIcon::Warning);
    }
}

void MainGUI_TX_330::setApplicationComProt(ApplicationConfig_TX330& config, bool isinit) {
    showLine(ChoiceLists::baudRateAt(config.m_baudrate, true), config);
    setBoxText(txtAwt, LiveFilters::txtAwt.slot, QString::number(config.m_awt * 10));

    if (config.m_aesEncryptEnable == 0 || config.m_aesEncryptEnable == 1) {
        grpAESSecure->setEncryptionOn(false);
    } else if (config.m_aesEncryptEnable == 2) {
        grpAESSecure->setEncryptionOn(true);
    }
    const bool aes = grpAESSecure->encryptionOn();
    grpAESSecure->setAesType(aes && config.m_aesEncryptType == 2 ? AesType::AES256 : AesType::AES128);
    if (isinit) {
        grpAESSecure->setKeyChoice(AesKeySetting::Init);
    }
    aesSecureChanged();
    grpAESSecure->setKeyWords(config.m_aesEncryptKey);

    if (const auto channel = Tx330Form::channelSelectionOf(config.m_OpMode, config.m_ChMode, config.m_Ch)) {
        switch (channel->button) {
            case Tx330Form::ChannelButton::Fsk:
                radioButton2->setChecked(true);
                setIndex(comboBox2, channel->index);
                break;
            case Tx330Form::ChannelButton::LoRaLow:
                radioButton1->setChecked(true);
                setIndex(comboBox1, channel->index);
                break;
            case Tx330Form::ChannelButton::LoRaHigh:
                radioButton3->setChecked(true);
                setIndex(comboBox2, channel->index);
                break;
        }
    }

    // The node-ID text decides the node role through its change rule; the text is set again
    // after the role so that a stored "1" is not replaced by the role's own default.
    const QString nodeId = QString::number(config.m_NodeId);
    setBoxText(textBox4, LiveFilters::textBox4NodeId.slot, nodeId);
    selectNodeRole(config.m_NodeId == 0);
    setBoxText(textBox4, LiveFilters::textBox4NodeId.slot, nodeId);

    setIndex(cmbGrpId, Tx330Form::clampedGroupId(config.m_GrpId) - 100);

    const int32_t binds[3] = {config.m_Do1Bind, config.m_Do2Bind, config.m_Do3Bind};
    const int32_t inverts[3] = {config.m_Do1Invert, config.m_Do2Invert, config.m_Do3Invert};
    for (std::size_t i = 0; i < 3; ++i) {
        setIndex(doBind[i], binds[i]);
        if (inverts[i] == 0) {
            doNonInvert[i]->setChecked(true);
        } else if (inverts[i] == 1) {
            doInvert[i]->setChecked(true);
        }
    }
    textBox1->setText(QString::number(config.m_DoOffDelay));
    textBox5->setText(QString::number(config.m_DoOnDelay));
    textBox2->setText(QString::number(config.m_DoKeepTime));
    if (config.m_DoKeepSig == 0) {
        radioButton8->setChecked(true);
    } else if (config.m_DoKeepSig == 1) {
        radioButton7->setChecked(true);
    }
    setBoxText(txtDiFilt, LiveFilters::txtDiFilt.slot, Tx330Form::diDelayText(config.m_DoDiDelay));
}

void MainGUI_TX_330::setApplicationDefault() {
    setLineDefault();
    grpAESSecure->setEncryptionOn(false);
    grpAESSecure->setAesType(AesType::AES128);
    grpAESSecure->setKeyChoice(AesKeySetting::Init);
    aesSecureChanged();
    grpAESSecure->setKeyWords({});
    radioButton2->setChecked(true);
    comboBox1->setCurrentIndex(0);
    comboBox2->setCurrentIndex(0);
    setBoxText(textBox4, LiveFilters::textBox4NodeId.slot, QStringLiteral("0"));
    radioButton12->setChecked(true);
    selectNodeRole(true);
    cmbGrpId->setCurrentIndex(0);
    for (std::size_t i = 0; i < 3; ++i) {
        doBind[i]->setCurrentIndex(static_cast<int>(i));
        doNonInvert[i]->setChecked(true);
    }
    textBox1->setText(QStringLiteral("0"));
    textBox5->setText(QStringLiteral("0"));
    textBox2->setText(QStringLiteral("0"));
    radioButton8->setChecked(true);
    setBoxText(txtDiFilt, LiveFilters::txtDiFilt.slot, QStringLiteral("0.0"));
    tabControl1->setCurrentIndex(0);
}

// ---- storing ----

std::optional<ApplicationConfig_TX330> MainGUI_TX_330::saveConfig(bool showErrors) {
    // Every number box, in the order of the record checks; a box that holds no number is
    // refused with that field's own message rather than read as 0.
    struct NumberBox {
        QLineEdit* box;
        Msg message;
    };
    const std::optional<int32_t> awt = Tx330Form::wholeNumber(txtAwt->text());
    const std::optional<int32_t> nodeId = Tx330Form::nodeIdOf(textBox4->text());
    const std::optional<int32_t> offDelay = Tx330Form::wholeNumber(textBox1->text());
    const std::optional<int32_t> onDelay = Tx330Form::wholeNumber(textBox5->text());
    const std::optional<int32_t> keepTime = Tx330Form::wholeNumber(textBox2->text());
    const std::optional<int32_t> diDelay = Tx330Form::diDelayTenths(txtDiFilt->text());
    const std::pair<bool, NumberBox> checks[] = {
        {awt.has_value(), {txtAwt, Msg::ResponseDelayInvalid}},
        {nodeId.has_value(), {textBox4, Msg::NodeIdInvalid}},
        {offDelay.has_value(), {textBox1, Msg::DoOffDelayInvalid}},
        {onDelay.has_value(), {textBox5, Msg::DoOnDelayInvalid}},
        {keepTime.has_value(), {textBox2, Msg::HoldTimeInvalid}},
        {diDelay.has_value(), {txtDiFilt, Msg::DiDelayInvalid}},
    };
    for (const auto& [ok, field] : checks) {
        if (!ok) {
            if (showErrors) {
                showBox(m_st.getString(field.message), MessageBoxIcon::Error);
            }
            return std::nullopt;
        }
    }

    m_com->setVersion(QString::fromStdString(m_app->NodeinfoConfig().SoftwareVersion));
    storeLine(*m_com);
    m_com->setAwt(*awt / 10);
    m_com->setIntfPort(0);
    m_com->setFlowControl(0);

    storeAes(*m_node, grpAESSecure->aesType(), grpAESSecure->keyChoice());

    Tx330Form::ChannelSelection selection{Tx330Form::ChannelButton::Fsk, comboBox2->currentIndex()};
    if (radioButton1->isChecked()) {
        selection = {Tx330Form::ChannelButton::LoRaLow, comboBox1->currentIndex()};
    } else if (radioButton3->isChecked()) {
        selection = {Tx330Form::ChannelButton::LoRaHigh, comboBox2->currentIndex()};
    }
    const Tx330Form::ChannelSetting channel = Tx330Form::channelSettingOf(selection);
    m_wireless->setOpMode(channel.opMode);
    m_wireless->setChMode(channel.chMode);
    m_wireless->setCh(channel.ch);
    m_wireless->setNodeId(*nodeId);
    m_wireless->setGrpId(ChoiceLists::grpIdAt(cmbGrpId->currentIndex()));

    m_dido->setDo1Bind(doBind[0]->currentIndex());
    m_dido->setDo2Bind(doBind[1]->currentIndex());
    m_dido->setDo3Bind(doBind[2]->currentIndex());
    m_dido->setDo1Invert(doInvert[0]->isChecked() ? 1 : 0);
    m_dido->setDo2Invert(doInvert[1]->isChecked() ? 1 : 0);
    m_dido->setDo3Invert(doInvert[2]->isChecked() ? 1 : 0);
    m_dido->setDoOffDelay(*offDelay);
    m_dido->setDoOnDelay(*onDelay);
    m_dido->setDoKeepTime(*keepTime);
    m_dido->setDoKeepSignal(radioButton7->isChecked() ? 1 : 0);
    m_dido->setDiDelay(*diDelay);

    ApplicationConfig_TX330 config;
    config.setTarget(0);
    config.setTabSelect(tabControl1->currentIndex());
    config.setConfigInst(m_com, m_node, m_wireless, m_dido);
    config.setConfigData();
    return config;
}

bool MainGUI_TX_330::checkConfig() {
    // Every setting the form stores counts, so that no edit is dropped without the question.
    const std::optional<ApplicationConfig_TX330> form = saveConfig(false);
    return form && m_setting.getTarget() == 0 &&
           Tx330Form::settingsDocument(*form) == Tx330Form::settingsDocument(m_setting);
}

}  // namespace Tormel::Gui
