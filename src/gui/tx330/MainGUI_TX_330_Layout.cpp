// SPDX-License-Identifier: MIT
// The controls of the contact-I/O window, built in the order they are laid out, so that the
// Tab key walks them as the eye reads them.
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
#include "gui/tx330/MainGUI_TX_330.h"
#include "settings/ChoiceLists.h"

namespace Tormel::Gui {

using namespace Widgets;

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

}  // namespace

void MainGUI_TX_330::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 4, 10, 10);
    outer->setSpacing(8);
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuStrip1"));
    outer->setMenuBar(bar);
    buildMenus(*bar);

    auto* top = new QHBoxLayout;
    btnConnect = button(this, "btnConnect", m_st.getString(Msg::Connect), 110);
    btnConnectRead = button(this, "btnConnectRead", m_st.getString(Msg::GetValues), 110);
    txtStateSetting = named(new QLineEdit(this), "txtStateSetting");
    txtStateSetting->setReadOnly(true);
    txtStateSetting->setMinimumWidth(190);
    txtSoftwareName = named(new QLineEdit(this), "txtSoftwareName");
    txtSoftwareName->setReadOnly(true);
    txtSoftwareName->setMinimumWidth(220);
    top->addWidget(btnConnect);
    top->addWidget(btnConnectRead);
    top->addSpacing(12);
    top->addWidget(txtStateSetting);
    top->addWidget(txtSoftwareName, 1);
    outer->addLayout(top);

    tabControl1 = named(new QTabWidget(this), "tabControl1");
    tabPage4 = buildRadioPage();
    tabPage1 = buildDiPage();
    tabPage5 = buildDoPage();
    tabControl1->addTab(tabPage4, u8("無線通信"));
    tabControl1->addTab(tabPage1, u8("基地ノード(DI)"));
    tabControl1->addTab(tabPage5, u8("端末/中継ノード(DO)"));
    outer->addWidget(tabControl1);

    auto* bottom = new QHBoxLayout;
    btnFactoryShipment = button(this, "btnFactoryShipment", m_st.getString(Msg::FactoryShipment), 110);
    btnSetting = button(this, "btnSetting", m_st.getString(Msg::Set), 110);
    btnReturnSetting = button(this, "btnReturnSetting", m_st.getString(Msg::Revert), 110);
    btnStop = button(this, "btnStop", m_st.getString(Msg::Quit), 110);
    btnAbout = button(this, "btnAbout", m_st.getString(Msg::About), 110);
    btnAbout->hide();
    btnAbout->setEnabled(false);
    bottom->addWidget(btnFactoryShipment);
    bottom->addStretch(1);
    bottom->addWidget(btnSetting);
    bottom->addWidget(btnReturnSetting);
    bottom->addWidget(btnStop);
    bottom->addWidget(btnAbout);
    outer->addLayout(bottom);

    outer->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* MainGUI_TX_330::buildRadioPage() {
    auto* page = named(new QWidget, "tabPage4");
    auto* grid = new QGridLayout(page);

    auto* groupBox11 = named(new QGroupBox(u8("ノードID選択"), page), "groupBox11");
    auto* nodeGrid = new QGridLayout(groupBox11);
    radioButton12 = named(new QRadioButton(u8("基地ノード(ID:0)"), groupBox11), "radioButton12");
    radioButton13 = named(new QRadioButton(u8("端末/中継ノード(ID:1~99)"), groupBox11), "radioButton13");
    radioButton12->setChecked(true);
    auto* label5 = label(groupBox11, "label5", u8("ノードID : "));
    textBox4 = digitBox(groupBox11, "textBox4", 2);
    textBox4->setEnabled(false);
    label5->setBuddy(textBox4);
    nodeGrid->addWidget(radioButton12, 0, 0, 1, 3);
    nodeGrid->addWidget(radioButton13, 1, 0, 1, 3);
    nodeGrid->addWidget(label5, 2, 0);
    nodeGrid->addWidget(textBox4, 2, 1);
    nodeGrid->setColumnStretch(2, 1);
    grid->addWidget(groupBox11, 0, 0);

    auto* groupBox1 = named(new QGroupBox(u8("無線チャンネル選択"), page), "groupBox1");
    auto* chGrid = new QGridLayout(groupBox1);
    radioButton2 = named(new QRadioButton(QStringLiteral("FSK"), groupBox1), "radioButton2");
    radioButton1 = named(new QRadioButton(QStringLiteral("LoRa(24CH-37CH)"), groupBox1), "radioButton1");
    radioButton3 = named(new QRadioButton(QStringLiteral("LoRa(33CH-60CH)"), groupBox1), "radioButton3");
    radioButton2->setChecked(true);
    auto* label3 = label(groupBox1, "label3", u8("無線チャンネル :"));
    comboBox2 = combo(groupBox1, "comboBox2", ChoiceLists::highChannelItems());
    comboBox1 = combo(groupBox1, "comboBox1", ChoiceLists::loraLowChannelItems());
    comboBox1->hide();
    chGrid->addWidget(radioButton2, 0, 0, 1, 3);
    chGrid->addWidget(radioButton1, 1, 0, 1, 3);
    chGrid->addWidget(radioButton3, 2, 0, 1, 3);
    chGrid->addWidget(label3, 3, 0);
    chGrid->addWidget(comboBox2, 3, 1);
    chGrid->addWidget(comboBox1, 3, 1);
    chGrid->setColumnStretch(2, 1);
    grid->addWidget(groupBox1, 0, 1);

    auto* grpRow = new QHBoxLayout;
    auto* label6 = label(page, "label6", u8("グループID : "));
    cmbGrpId = combo(page, "cmbGrpId", ChoiceLists::grpIdItems());
    label6->setBuddy(cmbGrpId);
    grpRow->addWidget(label6);
    grpRow->addWidget(cmbGrpId);
    grpRow->addStretch(1);
    grid->addLayout(grpRow, 1, 0, 1, 2);

    grpAESSecure = new AesPanel(m_st, m_check, {u8("AES種別選択"), u8("AES暗号化キー設定")},
                                AesPanel::Arrangement::Stacked, page);
    grid->addWidget(grpAESSecure, 2, 0, 1, 2);

    grpAESSecure->setChoicesOffered(false);
    // Security is a property of the unit: it is offered once a unit has answered.
    grpAESSecure->setEnabled(false);

    attachLiveFilter(textBox4, m_check, LiveFilters::textBox4NodeId);
    return page;
}

QWidget* MainGUI_TX_330::buildDiPage() {
    auto* page = named(new QWidget, "tabPage1");
    auto* column = new QVBoxLayout(page);

    // Keys are filtered as they are typed; the value is checked when the box is left.
    auto numberBox = [&](QWidget* parent, const char* name, int maxLength, const auto& filter,
                         QLabel* caption) {
        auto* box = digitBox(parent, name, maxLength);
        attachLiveFilter(box, m_check, filter);
        box->installEventFilter(this);
        caption->setBuddy(box);
        return box;
    };
    auto* groupBox10 = named(new QGroupBox(u8("RS485通信設定"), page), "groupBox10");
    auto* grid = new QGridLayout(groupBox10);
    // Every contact-I/O unit takes 76800 bit/s.
    m_line = std::make_unique<SerialLinePanel>(m_st, groupBox10, true);
    m_line->addRows(*grid, 0, false);

    auto* label14 = label(groupBox10, "label14", u8("応答遅延時間："));
    txtAwt = numberBox(groupBox10, "txtAwt", 3, LiveFilters::txtAwt, label14);
    auto* awtRow = new QHBoxLayout;
    awtRow->addWidget(txtAwt);
    awtRow->addWidget(label(groupBox10, "label15", QStringLiteral("[ms]")));
    awtRow->addWidget(label(groupBox10, "lblMs", u8("(10[ms]単位)")));
    awtRow->addStretch(1);
    grid->addWidget(label14, 4, 0);
    grid->addLayout(awtRow, 4, 1);
    btnDefaultCom = button(groupBox10, "btnDefaultCom", m_st.getString(Msg::SetDefault), 110);
    grid->addWidget(btnDefaultCom, 5, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    column->addWidget(groupBox10);

    auto* groupBox6 = named(new QGroupBox(u8("DI信号安定待ち時間設定"), page), "groupBox6");
    auto* row = new QHBoxLayout(groupBox6);
    auto* label20 = label(groupBox6, "label20", u8("DI信号安定待ち時間:"));
    txtDiFilt = numberBox(groupBox6, "txtDiFilt", 4, LiveFilters::txtDiFilt, label20);
    row->addWidget(label20);
    row->addWidget(txtDiFilt);
    row->addWidget(label(groupBox6, "label16", QStringLiteral("[sec]")));
    row->addStretch(1);
    column->addWidget(groupBox6);
    column->addStretch(1);
    return page;
}

QWidget* MainGUI_TX_330::buildDoPage() {
    auto* page = named(new QWidget, "tabPage5");
    auto* grid = new QGridLayout(page);

    auto* groupBox2 = named(new QGroupBox(u8("バインド設定"), page), "groupBox2");
    auto* bindGrid = new QGridLayout(groupBox2);
    const char* bindNames[3] = {"comboBox5", "comboBox6", "comboBox7"};
    const char* bindLabels[3] = {"DO1 : ", "DO2 : ", "DO3: "};
    for (std::size_t i = 0; i < 3; ++i) {
        doBind[i] = combo(groupBox2, bindNames[i], ChoiceLists::doBindItems());
        auto* l = label(groupBox2, "", QString::fromLatin1(bindLabels[i]));
        l->setBuddy(doBind[i]);
        bindGrid->addWidget(l, static_cast<int>(i), 0);
        bindGrid->addWidget(doBind[i], static_cast<int>(i), 1);
    }
    bindGrid->setColumnStretch(2, 1);
    grid->addWidget(groupBox2, 0, 0);

    auto* groupBox3 = named(new QGroupBox(u8("信号反転/非反転設定"), page), "groupBox3");
    auto* invertRow = new QHBoxLayout(groupBox3);
    const char* groupNames[3] = {"groupBox7", "groupBox8", "groupBox9"};
    const char* nonInvertNames[3] = {"radioButton6", "radioButton9", "radioButton11"};
    const char* invertNames[3] = {"radioButton5", "radioButton4", "radioButton10"};
    for (std::size_t i = 0; i < 3; ++i) {
        auto* group = named(new QGroupBox(QStringLiteral("DO%1").arg(i + 1), groupBox3), groupNames[i]);
        auto* box = new QVBoxLayout(group);
        doNonInvert[i] = named(new QRadioButton(u8("非反転"), group), nonInvertNames[i]);
        doInvert[i] = named(new QRadioButton(u8("反転"), group), invertNames[i]);
        doNonInvert[i]->setChecked(true);
        box->addWidget(doNonInvert[i]);
        box->addWidget(doInvert[i]);
        invertRow->addWidget(group);
    }
    grid->addWidget(groupBox3, 0, 1);

    auto timeRow = [](QGridLayout* g, int row, QLabel* l, QLineEdit* box) {
        l->setBuddy(box);
        g->addWidget(l, row, 0);
        g->addWidget(box, row, 1);
        g->addWidget(new QLabel(QStringLiteral("[sec]"), box->parentWidget()), row, 2);
    };
    auto* groupBox4 = named(new QGroupBox(u8("オフ/オンディレイ時間設定"), page), "groupBox4");
    auto* delayGrid = new QGridLayout(groupBox4);
    textBox1 = digitBox(groupBox4, "textBox1", LiveFilters::kUnfilteredDelayWidth);
    textBox5 = digitBox(groupBox4, "textBox5", LiveFilters::kUnfilteredDelayWidth);
    timeRow(delayGrid, 0, label(groupBox4, "label18", u8("オフディレイ時間:")), textBox1);
    timeRow(delayGrid, 1, label(groupBox4, "label1", u8("オンディレイ時間:")), textBox5);
    delayGrid->setColumnStretch(3, 1);
    grid->addWidget(groupBox4, 1, 0);

    auto* groupBox5 = named(new QGroupBox(u8("信号出力保持設定"), page), "groupBox5");
    auto* keepGrid = new QGridLayout(groupBox5);
    textBox2 = digitBox(groupBox5, "textBox2", LiveFilters::kUnfilteredDelayWidth);
    timeRow(keepGrid, 0, label(groupBox5, "label19", u8("信号出力保持タイマー")), textBox2);
    keepGrid->addWidget(label(groupBox5, "label17", u8("信号出力保持信号:")), 1, 0);
    radioButton7 = named(new QRadioButton(u8("信号ON"), groupBox5), "radioButton7");
    radioButton8 = named(new QRadioButton(u8("信号OFF"), groupBox5), "radioButton8");
    radioButton8->setChecked(true);
    auto* keepRow = new QHBoxLayout;
    keepRow->addWidget(radioButton7);
    keepRow->addWidget(radioButton8);
    keepGrid->addLayout(keepRow, 1, 1, 1, 2);
    keepGrid->setColumnStretch(3, 1);
    grid->addWidget(groupBox5, 1, 1);

    for (QLineEdit* box : {textBox1, textBox5, textBox2}) {
        box->setMaxLength(LiveFilters::kUnfilteredDelayWidth);
        DigitKeyFilter::install(*box);
    }
    grid->setRowStretch(2, 1);
    return page;
}

}  // namespace Tormel::Gui
