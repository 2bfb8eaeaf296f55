// SPDX-License-Identifier: MIT
// The controls of the RS485 window, built in code; texts from the message table or the fixed
// Japanese texts the units' manuals use in both languages.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/LiveFilterWiring.h"
#include "gui/Widgets.h"
#include "gui/rs485/BindingsTab.h"
#include "gui/rs485/MainGUI.h"
#include "settings/ChoiceLists.h"

namespace Tormel::Gui {

using namespace Widgets;

namespace {

// A protocol group whose first line reads as a sentence around the combo box choosing how the
// group works ("the packet ends [by a code]"); the caller adds what follows on that line.
struct KindGroup {
    QGroupBox* group;
    QGridLayout* grid;
    QHBoxLayout* firstLine;
};

struct KindGroupTexts {
    const char* groupName;
    Msg title;
    const char* kindName;
    const char* beforeName;
    Msg before;
    const char* afterName;
    Msg after;
};

KindGroup kindGroup(QWidget* page, const StringTable& st, const KindGroupTexts& texts,
                    const QStringList& kinds, QComboBox*& kind) {
    auto* group = named(new QGroupBox(st.getString(texts.title), page), QString::fromLatin1(texts.groupName));
    auto* grid = new QGridLayout(group);
    kind = combo(group, texts.kindName, kinds);
    auto* line = new QHBoxLayout;
    line->addWidget(label(group, texts.beforeName, st.getString(texts.before)));
    line->addWidget(kind);
    line->addWidget(label(group, texts.afterName, st.getString(texts.after)));
    return {group, grid, line};
}

// Ends the group's first line with `rest` and puts it above the format lines, across the grid.
void endFirstLine(const KindGroup& head, std::initializer_list<QWidget*> rest) {
    for (QWidget* widget : rest) {
        head.firstLine->addWidget(widget);
    }
    head.firstLine->addStretch(1);
    head.grid->addLayout(head.firstLine, 0, 0, 1, 4);
}

// One line of a protocol group that sets a value for the 1st and the 2nd format side by side:
// its caption on the left (with a second caption line under it where the text is long), the
// 1st format's box and the 2nd's.
struct FormatLine {
    const char* captionName;
    Msg caption;
    QWidget* first;
    QWidget* second;
    const char* moreName = nullptr;
    Msg more = Msg::Empty;
};

// Lays out a group's 1st/2nd format lines from row 2 down, under the column heads "1st format"
// (object name `firstHead`, column 1) and "2nd format" (`secondHead`, `secondColumn`) in row 1.
FormatColumns addFormatLines(QGroupBox* group, QGridLayout& grid, const StringTable& st,
                             const char* firstHead, const char* secondHead, int secondColumn,
                             std::initializer_list<FormatLine> lines) {
    QLabel* first = label(group, firstHead, st.getString(Msg::FirstFormatLabel));
    QLabel* second = label(group, secondHead, st.getString(Msg::SecondFormatLabel));
    grid.addWidget(first, 1, 1);
    grid.addWidget(second, 1, secondColumn);
    FormatColumns columns{{first, second}, {second}};
    int row = 2;
    for (const FormatLine& line : lines) {
        QLabel* caption = label(group, line.captionName, st.getString(line.caption));
        columns.all << caption;
        if (line.moreName == nullptr) {
            grid.addWidget(caption, row, 0);
        } else {
            QLabel* more = label(group, line.moreName, st.getString(line.more));
            columns.all << more;
            auto* captionLines = new QVBoxLayout;
            captionLines->setSpacing(0);
            captionLines->addWidget(caption);
            captionLines->addWidget(more);
            grid.addLayout(captionLines, row, 0);
        }
        grid.addWidget(line.first, row, 1);
        grid.addWidget(line.second, row, secondColumn);
        columns.all << line.first << line.second;
        columns.second << line.second;
        ++row;
    }
    return columns;
}

}  // namespace

void MainGUI::buildControls() {
    auto* outer = new QVBoxLayout(this);
    auto* bar = named(new QMenuBar(this), QStringLiteral("menuStrip1"));
    outer->setMenuBar(bar);
    buildMenus(*bar);

    auto* head = new QGridLayout;
    label1 = label(this, "label1", m_st.getString(Msg::ConfigTarget));
    cmbSetTarget = combo(this, "cmbSetTarget", ChoiceLists::setTargetItems(m_st));
    label1->setBuddy(cmbSetTarget);
    label2 = label(this, "label2", m_st.getString(Msg::TargetUnitFixed));
    txtSelectFile = textBox(this, "txtSelectFile", 260);
    txtSelectFile->setReadOnly(true);
    btnSelectFile = button(this, "btnSelectFile", m_st.getString(Msg::SelectFile));
    btnConnect = button(this, "btnConnect", m_st.getString(Msg::Connect));
    btnConnectRead = button(this, "btnConnectRead", m_st.getString(Msg::GetValues));
    txtStateSetting = textBox(this, "txtStateSetting", 190);
    txtStateSetting->setReadOnly(true);
    txtStateSetting->setFocusPolicy(Qt::NoFocus);
    txtSoftwareName = textBox(this, "txtSoftwareName", 260);
    txtSoftwareName->setReadOnly(true);
    head->addWidget(label1, 0, 0);
    head->addWidget(cmbSetTarget, 0, 1);
    head->addWidget(label2, 0, 0, 1, 2);
    head->addWidget(btnConnect, 1, 0);
    head->addWidget(btnConnectRead, 1, 1);
    head->addWidget(txtStateSetting, 1, 2);
    head->addWidget(txtSoftwareName, 1, 3);
    head->addWidget(txtSelectFile, 2, 0, 1, 3);
    head->addWidget(btnSelectFile, 2, 3, Qt::AlignLeft);
    head->setColumnStretch(4, 1);
    outer->addLayout(head);

    tabConfig = named(new QTabWidget(this), QStringLiteral("tabConfig"));
    tabConfig->addTab(buildComTab(), m_st.getString(Msg::TabComParameters));
    tabConfig->addTab(buildWirelessTab(), m_st.getString(Msg::TabWireless));
    tabConfig->addTab(buildProtocolTab(), m_st.getString(Msg::TabProtocol));
    tabPage3 = new BindingsTab(m_st, m_check, m_select, tabConfig);
    tabConfig->addTab(tabPage3, m_st.getString(Msg::TabBindings));
    outer->addWidget(tabConfig);

    auto* foot = new QHBoxLayout;
    btnSetting = button(this, "btnSetting", m_st.getString(Msg::Set));
    btnReturnSetting = button(this, "btnReturnSetting", m_st.getString(Msg::Revert));
    btnFactoryShipment = button(this, "btnFactoryShipment", m_st.getString(Msg::FactoryShipment));
    btnAbout = button(this, "btnAbout", m_st.getString(Msg::About));
    btnAbout->hide();
    btnAbout->setEnabled(false);
    btnStop = button(this, "btnStop", m_st.getString(Msg::Quit));
    foot->addWidget(btnFactoryShipment);
    foot->addStretch(1);
    foot->addWidget(btnSetting);
    foot->addWidget(btnReturnSetting);
    foot->addWidget(btnStop);
    foot->addWidget(btnAbout);
    outer->addLayout(foot);

    addCommonCommands();
    for (QObject* control :
         std::initializer_list<QObject*>{cmbSetTarget, btnModbusRTU, btnModbusASCII, btnTransparent}) {
        m_commands.add(WindowCommand::FormTools, control);
    }
    m_commands.add(WindowCommand::SelectImage, btnSelectFile);
    m_commands.apply(m_state);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* MainGUI::buildComTab() {
    auto* page = named(new QWidget, QStringLiteral("tabPage1"));
    auto* grid = new QGridLayout(page);
    struct Row {
        QLabel*& lbl;
        const char* lblName;
        Msg text;
        QComboBox*& box;
        const char* boxName;
        QStringList items;
    };
    m_line = std::make_unique<SerialLinePanel>(m_st, page, false);
    m_line->addRows(*grid, 0, true);
    const Row rows[] = {
        {lblIntfPort, "lblIntfPort", Msg::InterfaceLabel, cmbIntfPort, "cmbIntfPort",
         ChoiceLists::intfPortItems(m_st)},
        {lblFlowCtrl, "lblFlowCtrl", Msg::FlowControlLabel, cmbFlowCtrl, "cmbFlowCtrl",
         ChoiceLists::flowCtrlItems(m_st)},
    };
    int line = 4;
    for (const Row& row : rows) {
        row.lbl = label(page, row.lblName, m_st.getString(row.text));
        row.box = combo(page, row.boxName, row.items);
        row.box->setMinimumWidth(140);
        row.lbl->setBuddy(row.box);
        grid->addWidget(row.lbl, line, 0, Qt::AlignRight);
        grid->addWidget(row.box, line, 1);
        ++line;
    }
    btnDefaultCom = button(page, "btnDefaultCom", m_st.getString(Msg::SetDefault));
    grid->addWidget(btnDefaultCom, line, 1);
    grid->setRowStretch(line + 1, 1);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* MainGUI::buildWirelessTab() {
    auto* page = named(new QWidget, QStringLiteral("tabPage4"));
    auto* outer = new QVBoxLayout(page);

    auto* grpNodeSetting =
        named(new QGroupBox(m_st.getString(Msg::NodeInfoGroup), page), QStringLiteral("grpNodeSetting"));
    auto* node = new QGridLayout(grpNodeSetting);
    auto* lblNodeIDOffset = label(grpNodeSetting, "lblNodeIDOffset", m_st.getString(Msg::NodeIdOffsetLabel));
    txtNodeIDOffset = textBox(grpNodeSetting, "txtNodeIDOffset", 60);
    lblNodeIDOffset->setBuddy(txtNodeIDOffset);
    chkAutoParamSync = named(new QCheckBox(grpNodeSetting), QStringLiteral("chkAutoParamSync"));
    lblAutoParamSync = label(grpNodeSetting, "lblAutoParamSync", m_st.getString(Msg::AutoParamSync));
    chkExtendedGroup = named(new QCheckBox(grpNodeSetting), QStringLiteral("chkExtendedGroup"));
    lblExtendedGroup = label(grpNodeSetting, "lblExtendedGroup", m_st.getString(Msg::ExtendedGroup));
    node->addWidget(lblNodeIDOffset, 0, 0);
    node->addWidget(txtNodeIDOffset, 0, 1);
    node->addWidget(chkAutoParamSync, 0, 2);
    node->addWidget(lblAutoParamSync, 0, 3);
    node->addWidget(chkExtendedGroup, 0, 4);
    node->addWidget(lblExtendedGroup, 0, 5);
    node->setColumnStretch(6, 1);
    outer->addWidget(grpNodeSetting);

    grpWhitening =
        named(new QGroupBox(QStringLiteral("ホワイトニング"), page), QStringLiteral("grpWhitening"));
    auto* whitening = new QHBoxLayout(grpWhitening);
    chkWhitening = named(new QCheckBox(QStringLiteral("ホワイトニング有効"), grpWhitening),
                         QStringLiteral("chkWhitening"));
    whitening->addWidget(chkWhitening);
    whitening->addStretch(1);
    outer->addWidget(grpWhitening);

    grpAESSecure = new AesPanel(
        m_st, m_check,
        {QStringLiteral("AES種別選択(TX-910A専用)"), QStringLiteral("AES暗号化キー設定(TX-910A専用)")},
        AesPanel::Arrangement::SideBySide, page);
    outer->addWidget(grpAESSecure);

    grpSecure =
        named(new QGroupBox(m_st.getString(Msg::OriginalSecurityGroup), page), QStringLiteral("grpSecure"));
    auto* secure = new QGridLayout(grpSecure);
    chkSecureKey1 = named(new QCheckBox(grpSecure), QStringLiteral("chkSecureKey1"));
    lblSecureKey[0] = label(grpSecure, "lblSecureKey1", m_st.getString(Msg::SecureKeyLabel));
    secure->addWidget(chkSecureKey1, 0, 0);
    secure->addWidget(lblSecureKey[0], 0, 1);
    auto* keys = new QHBoxLayout;
    for (int word = 1; word <= 8; ++word) {
        if (word >= 2) {
            lblSecureKey[word - 1] = label(grpSecure, "", QStringLiteral("-"));
            lblSecureKey[word - 1]->setObjectName(indexedName("lblSecureKey", word));
            keys->addWidget(lblSecureKey[word - 1]);
        }
        txtSecureKey[word - 1] = textBox(grpSecure, "", 48);
        txtSecureKey[word - 1]->setObjectName(indexedName("txtSecureKey", word));
        keys->addWidget(txtSecureKey[word - 1]);
    }
    keys->addStretch(1);
    secure->addLayout(keys, 0, 2);
    auto* label3 = label(
        grpSecure, "label3",
        QStringLiteral(
            "※Tarvic(920MHz)のVer1.4以降のRS485無線化ユニットで暗号化を行う場合は、\n"
            "　AES128による暗号化を推奨いたします。可能な限りAES128による暗号化設定を使用してください。"));
    secure->addWidget(label3, 1, 0, 1, 3);
    outer->addWidget(grpSecure);
    outer->addStretch(1);
    return page;
}

QWidget* MainGUI::buildProtocolTab() {
    auto* page = named(new QWidget, QStringLiteral("tabPage2"));
    auto* outer = new QVBoxLayout(page);

    auto* presets = new QHBoxLayout;
    presets->addWidget(label(page, "lblPreset", m_st.getString(Msg::PresetLabel)));
    btnModbusRTU = button(page, "btnModbusRTU", m_st.getString(Msg::PresetModbusRtu));
    btnModbusASCII = button(page, "btnModbusASCII", m_st.getString(Msg::PresetModbusAscii));
    btnTransparent = button(page, "btnTransparent", m_st.getString(Msg::PresetTransparent));
    presets->addWidget(btnModbusRTU);
    presets->addWidget(btnModbusASCII);
    presets->addWidget(btnTransparent);
    presets->addStretch(1);
    outer->addLayout(presets);

    const KindGroup packet = kindGroup(page, m_st,
                                       {"grpPacket", Msg::PacketFormatGroup, "cmbPType", "lblPacketTerminal1",
                                        Msg::PacketTermLabel1, "lblPacketTerminal2", Msg::PacketTermLabel2},
                                       ChoiceLists::pTypeItems(m_st), cmbPType);
    QGroupBox* grpPacket = packet.group;
    lblSilentInterval = label(grpPacket, "lblSilentInterval", m_st.getString(Msg::SilentIntervalLabel));
    txtSilentInterval = textBox(grpPacket, "txtSilentInterval", 50);
    endFirstLine(packet, {lblSilentInterval, txtSilentInterval});
    chk2ndFormat = named(new QCheckBox(grpPacket), QStringLiteral("chk2ndFormat"));
    packet.grid->addWidget(chk2ndFormat, 1, 2, Qt::AlignRight);
    txtPStartCode = textBox(grpPacket, "txtPStartCode", 40);
    txtPStartCode2nd = textBox(grpPacket, "txtPStartCode2nd", 40);
    txtPEndCode = textBox(grpPacket, "txtPEndCode", 40);
    txtPEndCode2nd = textBox(grpPacket, "txtPEndCode2nd", 40);
    txtPOffset = textBox(grpPacket, "txtPOffset", 40);
    txtPOffset2nd = textBox(grpPacket, "txtPOffset2nd", 40);
    m_packetFormats = addFormatLines(grpPacket, *packet.grid, m_st, "lblP1stFormat", "lblP2ndFormat", 3,
                                     {{"lblPStartCode", Msg::StartCodeLabel, txtPStartCode, txtPStartCode2nd},
                                      {"lblPEndCode", Msg::EndCodeLabel, txtPEndCode, txtPEndCode2nd},
                                      {"lblPOffset", Msg::EndOffsetLabel1, txtPOffset, txtPOffset2nd,
                                       "lblPOffset2", Msg::EndOffsetLabel2}});
    packet.grid->setColumnStretch(4, 1);
    outer->addWidget(grpPacket);

    const KindGroup address =
        kindGroup(page, m_st,
                  {"grpSendAddr", Msg::TransmitAddressGroup, "cmbSType", "lblTransmitAddress1",
                   Msg::TransmitAddressLabel1, "lblTransmitAddress2", Msg::TransmitAddressLabel2},
                  ChoiceLists::sTypeItems(m_st), cmbSType);
    QGroupBox* grpSendAddr = address.group;
    QGridLayout* s = address.grid;
    lblSBcastSend = label(grpSendAddr, "lblSBcastSend", m_st.getString(Msg::BroadcastSendInfo));
    lblSFixSend = label(grpSendAddr, "lblSFixSend", m_st.getString(Msg::FixedSendInfo));
    endFirstLine(address, {lblSBcastSend, lblSFixSend});
    txtSOffset = textBox(grpSendAddr, "txtSOffset", 40);
    txtSOffset2nd = textBox(grpSendAddr, "txtSOffset2nd", 40);
    txtSLength = textBox(grpSendAddr, "txtSLength", 40);
    txtSLength2nd = textBox(grpSendAddr, "txtSLength2nd", 40);
    cmbSForm = combo(grpSendAddr, "cmbSForm", ChoiceLists::formatItems(m_st));
    cmbSForm2nd = combo(grpSendAddr, "cmbSForm2nd", ChoiceLists::formatItems(m_st));
    m_addressFormats = addFormatLines(grpSendAddr, *s, m_st, "lblS1stFormat", "lblS2ndFormat", 2,
                                      {{"lblSOffset", Msg::OffsetFromStartLabel, txtSOffset, txtSOffset2nd},
                                       {"lblSLength", Msg::LengthLabel, txtSLength, txtSLength2nd},
                                       {"lblSForm", Msg::FormatLabel, cmbSForm, cmbSForm2nd}});
    lblSBcastAddr = label(grpSendAddr, "lblSBcastAddr", m_st.getString(Msg::BroadcastAddressLabel));
    txtSBcastAddr = textBox(grpSendAddr, "txtSBcastAddr", 60);
    s->addWidget(lblSBcastAddr, 5, 0);
    s->addWidget(txtSBcastAddr, 5, 1);
    s->setColumnStretch(3, 1);
    outer->addWidget(grpSendAddr);

    grpCheckCode =
        named(new QGroupBox(m_st.getString(Msg::CheckCodeGroup), page), QStringLiteral("grpCheckCode"));
    auto* c = new QGridLayout(grpCheckCode);
    auto* lblCCheck = label(grpCheckCode, "lblCCheck", m_st.getString(Msg::CheckTypeLabel));
    cmbCCheck = combo(grpCheckCode, "cmbCCheck", ChoiceLists::cCheckItems(m_st));
    chkCStartCode = named(new QCheckBox(m_st.getString(Msg::IncludesStartCode), grpCheckCode),
                          QStringLiteral("chkCStartCode"));
    auto* lblCOffset1 = label(grpCheckCode, "lblCOffset1", m_st.getString(Msg::CheckOffsetLabel1));
    auto* lblCOffset2 = label(grpCheckCode, "lblCOffset2", m_st.getString(Msg::CheckOffsetLabel2));
    txtCOffset = textBox(grpCheckCode, "txtCOffset", 50);
    auto* lblCLength = label(grpCheckCode, "lblCLength", m_st.getString(Msg::LengthLabel));
    txtCLength = textBox(grpCheckCode, "txtCLength", 40);
    auto* lblCForm = label(grpCheckCode, "lblCForm", m_st.getString(Msg::FormatLabel));
    cmbCForm = combo(grpCheckCode, "cmbCForm", ChoiceLists::formatItems(m_st));
    c->addWidget(lblCCheck, 0, 0);
    c->addWidget(cmbCCheck, 0, 1);
    c->addWidget(chkCStartCode, 0, 2, 1, 2);
    c->addWidget(lblCOffset1, 1, 0);
    c->addWidget(lblCOffset2, 1, 1);
    c->addWidget(txtCOffset, 1, 2);
    c->addWidget(lblCLength, 1, 3);
    c->addWidget(txtCLength, 1, 4);
    c->addWidget(lblCForm, 1, 5);
    c->addWidget(cmbCForm, 1, 6);
    c->setColumnStretch(7, 1);
    m_checkCodeDetails = {chkCStartCode, lblCOffset1, lblCOffset2, txtCOffset,
                          lblCLength,    txtCLength,  lblCForm,    cmbCForm};
    outer->addWidget(grpCheckCode);
    outer->addStretch(1);
    return page;
}

void MainGUI::attachInputChecks() {
    attachLiveFilter(txtNodeIDOffset, m_check, LiveFilters::txtNodeIDOffset);
    for (int word = 1; word <= 8; ++word) {
        attachLiveFilter(txtSecureKey[word - 1], m_check, LiveFilters::txtSecureKey(word));
    }
    const std::pair<QLineEdit*, LiveFilter> boxes[] = {
        {txtSilentInterval, LiveFilters::txtSilentInterval},
        {txtPStartCode, LiveFilters::txtPStartCode},
        {txtPEndCode, LiveFilters::txtPEndCode},
        {txtPOffset, LiveFilters::txtPOffset},
        {txtPStartCode2nd, LiveFilters::txtPStartCode2nd},
        {txtPEndCode2nd, LiveFilters::txtPEndCode2nd},
        {txtPOffset2nd, LiveFilters::txtPOffset2nd},
        {txtSOffset, LiveFilters::txtSOffset},
        {txtSLength, LiveFilters::txtSLength},
        {txtSOffset2nd, LiveFilters::txtSOffset2nd},
        {txtSLength2nd, LiveFilters::txtSLength2nd},
        {txtSBcastAddr, LiveFilters::txtSBcastAddr},
        {txtCOffset, LiveFilters::txtCOffset},
        {txtCLength, LiveFilters::txtCLength},
    };
    for (const auto& [box, filter] : boxes) {
        attachLiveFilter(box, m_check, filter);
    }
}

}  // namespace Tormel::Gui
