// SPDX-License-Identifier: MIT
// The record checks and model checks of both settings objects, with the message each failing
// field shows, and the load and save sequences of both windows around the files.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "SettingsScenarios.h"
#include "SettingsTestSupport.h"
#include "settings/Config.h"
#include "settings/Config_TX330.h"
#include "support/BoxRecordingToolkit.h"

using namespace Tormel::Gui;
using namespace Tormel::Gui::Testing;

namespace {

constexpr int kSilent = 0;

struct Rs485Case {
    const char* what;
    std::function<void(ApplicationConfig&, Rs485Form&)> change;
    bool passes;
    int message;  // shown when it fails with messages on; kSilent for none
    bool aesEnFlg = true;
};

struct Tx330Case {
    const char* what;
    std::function<void(ApplicationConfig_TX330&, Tx330Form&)> change;
    bool passes;
    int message;
    bool aesEnFlg = true;
};

QString q(const char* s) { return QString::fromUtf8(s); }

// Runs the check twice, with and without messages, and verifies the boxes shown.
template <class Config, class Case>
void expectCheck(const Config& config, const Case& c, int caption) {
    StringTable st;
    BoxRecordingToolkit recorder;
    ToolkitOverride use(recorder);
    EXPECT_EQ(config.checkConfigData(false, c.aesEnFlg), c.passes) << c.what;
    EXPECT_TRUE(recorder.boxes.empty()) << c.what << ": a check without messages showed a box";
    recorder.clear();
    EXPECT_EQ(config.checkConfigData(true, c.aesEnFlg), c.passes) << c.what;
    if (c.passes || c.message == kSilent) {
        EXPECT_TRUE(recorder.boxes.empty()) << c.what;
        return;
    }
    ASSERT_EQ(recorder.boxes.size(), 1u) << c.what;
    EXPECT_EQ(recorder.boxes[0].Text, st.getString(c.message))
        << c.what << ": expected message " << c.message;
    EXPECT_EQ(recorder.boxes[0].Caption, st.getString(caption)) << c.what;
    EXPECT_EQ(recorder.boxes[0].Icon, MessageBoxIcon::Error) << c.what;
    EXPECT_EQ(recorder.boxes[0].Buttons, MessageBoxButtons::OK) << c.what;
}

}  // namespace

TEST(Rs485RecordCheck, EachFieldFailsWithItsMessageInOrder) {
    ScopedCulture ja(kJapanese);
    const Rs485Case cases[] = {
        {"the form as built", [](auto&, auto&) {}, true, kSilent},
        // Firmware gate of the RF modem ID rule.
        {"ID 0 without VERSION", [](auto& c, auto&) { c.m_version = QString(); c.m_modem[0] = q("0"); }, true, kSilent},
        {"ID 00 without VERSION", [](auto& c, auto&) { c.m_version = QString(); c.m_modem[4] = q("00"); }, true, kSilent},
        {"ID 0 with an empty VERSION", [](auto& c, auto&) { c.m_version = emptyText(); c.m_modem[0] = q("0"); }, false, 54},
        {"ID 0 on 2.5", [](auto& c, auto&) { c.m_version = q("2.5"); c.m_modem[24] = q("0"); }, false, 54},
        {"ID 00 on 3.0", [](auto& c, auto&) { c.m_version = q("3.0"); c.m_modem[0] = q("00"); }, true, kSilent},
        {"ID 0X", [](auto& c, auto&) { c.m_modem[0] = q("0X"); }, false, 54},
        {"ID checked only for group binding", [](auto& c, auto&) { c.m_modem[0] = q("X"); c.m_bindType = 2; }, true, kSilent},
        {"unit ID on 2.5", [](auto& c, auto&) { c.m_version = q("2.5"); c.m_bindType = 2; c.m_unit[98] = q("0"); }, false, 54},
        {"unit ID checked only for individual binding", [](auto& c, auto&) { c.m_unit[0] = q("A"); }, true, kSilent},
        // Serial line, silent.
        {"TYPE 1 with BAUDRATE 7", [](auto& c, auto&) { c.m_moduletype = 1; c.m_baudrate = 7; }, false, kSilent},
        {"TYPE 2 with BAUDRATE 7", [](auto& c, auto&) { c.m_baudrate = 7; }, true, kSilent},
        {"TYPE 1 with BAUDRATE 6", [](auto& c, auto&) { c.m_moduletype = 1; c.m_baudrate = 6; }, true, kSilent},
        {"TARGET 2", [](auto& c, auto&) { c.m_target = 2; }, false, kSilent},
        {"TABSELECT 4", [](auto& c, auto&) { c.m_tabSelect = 4; }, false, kSilent},
        {"PARITY 3", [](auto& c, auto&) { c.m_parity = 3; }, false, kSilent},
        {"FLOWCTRL -1", [](auto& c, auto&) { c.m_flowctrl = -1; }, false, kSilent},
        // Node settings.
        {"empty IDOFFSET", [](auto& c, auto&) { c.m_IdOffset = emptyText(); }, false, 15},
        {"IDOFFSET 9a", [](auto& c, auto&) { c.m_IdOffset = q("9a"); }, false, 15},
        {"IDOFFSET 9999", [](auto& c, auto&) { c.m_IdOffset = q("9999"); }, true, kSilent},
        {"five-digit IDOFFSET", [](auto& c, auto&) { c.m_IdOffset = q("12345"); }, false, kSilent},
        {"WHITENING 2", [](auto& c, auto&) { c.m_WhiteningEnable = 2; }, false, kSilent},
        // AES: examined only when replacing the key, with AES on and the newer module.
        {"AES key word short",
         [](auto& c, auto& f) { f.node->serAESEncryptKeySetting(2); c.m_aesEncryptKey[7] = q("12"); }, false, 17},
        {"AES key word short, key kept",
         [](auto& c, auto& f) { f.node->serAESEncryptKeySetting(1); c.m_aesEncryptKey[7] = q("12"); }, true, kSilent},
        {"AES key words 9-16 empty with 128 bits", [](auto&, auto& f) { f.node->serAESEncryptKeySetting(2); }, true, kSilent},
        {"AES key words 9-16 empty with 256 bits",
         [](auto& c, auto& f) { f.node->serAESEncryptKeySetting(2); c.m_aesEncryptType = 2; }, false, 17},
        {"AES key bad on the older module",
         [](auto& c, auto& f) { f.node->serAESEncryptKeySetting(2); c.m_moduletype = 1; c.m_aesEncryptKey[0] = q("G"); }, true, kSilent},
        {"AES part skipped without firmware support",
         [](auto& c, auto& f) { f.node->serAESEncryptKeySetting(2); c.m_aesEncryptEnable = 5; c.m_aesEncryptKey[0] = q("G"); }, true, kSilent, false},
        {"AESENCRYPTENABLE 0", [](auto& c, auto&) { c.m_aesEncryptEnable = 0; }, false, kSilent},
        {"maker key word not hex", [](auto& c, auto&) { c.m_encryptKey[3] = q("12G4"); }, false, 17},
        {"maker key checked even when off", [](auto& c, auto&) { c.m_encryptEnable = 1; c.m_encryptKey[0] = emptyText(); }, false, 17},
        {"ENCRYPTENABLE 0", [](auto& c, auto&) { c.m_encryptEnable = 0; }, false, kSilent},
        // Packet framing.
        {"SILENTCHAR 3", [](auto& c, auto&) { c.m_silentChar = q("3"); }, false, 38},
        {"SILENTCHAR 09", [](auto& c, auto&) { c.m_silentChar = q("09"); }, false, 38},
        {"SILENTCHAR 99", [](auto& c, auto&) { c.m_silentChar = q("99"); }, true, kSilent},
        {"SILENTCHAR 100", [](auto& c, auto&) { c.m_silentChar = q("100"); }, true, kSilent},
        {"SILENTCHAR 101", [](auto& c, auto&) { c.m_silentChar = q("101"); }, false, 38},
        {"SILENTCHAR 0100", [](auto& c, auto&) { c.m_silentChar = q("0100"); }, false, 38},
        {"SILENTCHAR 010", [](auto& c, auto&) { c.m_silentChar = q("010"); }, false, 38},
        {"THROUGH 3", [](auto& c, auto&) { c.m_throughMode = 3; }, false, kSilent},
        {"P-STARTCODE 7E", [](auto& c, auto&) { c.m_pStartCode = q("7E"); }, false, 40},
        {"P-STARTCODE 7e", [](auto& c, auto&) { c.m_pStartCode = q("7e"); }, false, 40},
        {"P-STARTCODE 0", [](auto& c, auto&) { c.m_pStartCode = q("0"); }, false, 40},
        {"P-STARTCODE 00", [](auto& c, auto&) { c.m_pStartCode = q("00"); }, false, 40},
        {"P-STARTCODE one character", [](auto& c, auto&) { c.m_pStartCode = q("A"); }, false, 40},
        {"P-STARTCODE equal to P-ENDCODE", [](auto& c, auto&) { c.m_pStartCode = q("03"); }, false, 41},
        {"P-ENDCODE 7E", [](auto& c, auto&) { c.m_pEndCode = q("7E"); }, false, 41},
        {"P-STARTCODE 0a and P-ENDCODE 0A, one byte",
         [](auto& c, auto&) { c.m_pStartCode = q("0a"); c.m_pEndCode = q("0A"); }, false, 41},
        {"P-STARTCODE2ND Fe and P-ENDCODE2ND fE, one byte",
         [](auto& c, auto&) { c.m_pStartCode2nd = q("Fe"); c.m_pEndCode2nd = q("fE"); }, false, 44},
        {"P-STARTCODE 0a and P-ENDCODE 0B", [](auto& c, auto&) { c.m_pStartCode = q("0a"); c.m_pEndCode = q("0B"); }, true, kSilent},
        {"empty P-OFFSET", [](auto& c, auto&) { c.m_pOffset = emptyText(); }, false, 42},
        {"empty P-STARTCODE before empty P-ENDCODE",
         [](auto& c, auto&) { c.m_pStartCode = emptyText(); c.m_pEndCode = emptyText(); }, false, 40},
        {"P-STARTCODE2ND 7E", [](auto& c, auto&) { c.m_pStartCode2nd = q("7E"); }, false, 43},
        {"P-ENDCODE2ND equal to its start", [](auto& c, auto&) { c.m_pEndCode2nd = q("04"); }, false, 44},
        {"P-OFFSET2ND two digits", [](auto& c, auto&) { c.m_pOffset2nd = q("10"); }, false, 45},
        {"null P-STARTCODE2ND", [](auto& c, auto&) { c.m_pStartCode2nd = QString(); }, false, 43},
        {"three-character P-STARTCODE", [](auto& c, auto&) { c.m_pStartCode = q("02A"); }, false, kSilent},
        // Destination address.
        {"S-DEVIENABLE 4", [](auto& c, auto&) { c.m_deviEnable = 4; }, false, kSilent},
        {"S-OFFSET 05", [](auto& c, auto&) { c.m_sOffset = q("05"); }, false, 47},
        {"S-OFFSET 99", [](auto& c, auto&) { c.m_sOffset = q("99"); }, true, kSilent},
        {"S-LENGTH 7", [](auto& c, auto&) { c.m_sLength = q("7"); }, false, 48},
        {"empty S-OFFSET2ND", [](auto& c, auto&) { c.m_sOffset2nd = emptyText(); }, false, 49},
        {"S-LENGTH2ND 12", [](auto& c, auto&) { c.m_sLength2nd = q("12"); }, false, 50},
        {"S-FORM2ND 4", [](auto& c, auto&) { c.m_sForm2nd = 4; }, false, kSilent},
        {"S-BCASTADDR FFFG", [](auto& c, auto&) { c.m_bcastAddr = q("FFFG"); }, false, 51},
        {"empty S-BCASTADDR", [](auto& c, auto&) { c.m_bcastAddr = emptyText(); }, false, 51},
        // Verification code.
        {"C-OFFSET -0", [](auto& c, auto&) { c.m_cOffset = q("-0"); }, false, 52},
        {"C-OFFSET -99", [](auto& c, auto&) { c.m_cOffset = q("-99"); }, true, kSilent},
        {"C-OFFSET 99", [](auto& c, auto&) { c.m_cOffset = q("99"); }, true, kSilent},
        {"C-OFFSET -09", [](auto& c, auto&) { c.m_cOffset = q("-09"); }, false, 52},
        {"C-OFFSET -", [](auto& c, auto&) { c.m_cOffset = q("-"); }, false, 52},
        {"C-OFFSET -100", [](auto& c, auto&) { c.m_cOffset = q("-100"); }, false, kSilent},
        {"C-LENGTH 5", [](auto& c, auto&) { c.m_cLength = q("5"); }, false, 53},
        {"empty C-LENGTH", [](auto& c, auto&) { c.m_cLength = emptyText(); }, false, 53},
        {"C-CHECK 4", [](auto& c, auto&) { c.m_cCheck = 4; }, false, kSilent},
        // Bindings.
        {"SELECT-IDX 26", [](auto& c, auto&) { c.m_selectIdx[3] = 26; }, false, kSilent},
        {"SELECT-IDX -1 and 25", [](auto& c, auto&) { c.m_selectIdx[3] = -1; c.m_selectIdx[4] = 25; }, true, kSilent},
        {"GROUP 6", [](auto& c, auto&) { c.m_group = 6; }, false, kSilent},
        {"BINDTYPE 3", [](auto& c, auto&) { c.m_bindType = 3; }, false, kSilent},
        {"three-character modem ID", [](auto& c, auto&) { c.m_modem[0] = q("100"); }, false, kSilent},
    };
    for (const Rs485Case& c : cases) {
        Rs485Form form;
        ApplicationConfig config = form.build();
        c.change(config, form);
        expectCheck(config, c, 1);
    }
}

TEST(Rs485RecordCheck, ModelCheckAcceptsThisModelOrNone) {
    ScopedCulture en(kEnglish);
    BoxRecordingToolkit recorder;
    ToolkitOverride use(recorder);
    ApplicationConfig config;
    EXPECT_TRUE(config.checkSettingToolData(true));
    config.setModelName(QStringLiteral("TX-910A"));
    EXPECT_TRUE(config.checkSettingToolData(true));
    config.setModelName(QStringLiteral("TX-330"));
    EXPECT_FALSE(config.checkSettingToolData(false));
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_FALSE(config.checkSettingToolData(true));
    ASSERT_EQ(recorder.boxTexts(),
              std::vector<QString>{QStringLiteral("A configuration file of a different format was loaded.")});
    EXPECT_EQ(recorder.boxes[0].Caption, QStringLiteral("RS485 Wireless Units Config Tool"));
}

TEST(Tx330RecordCheck, EachFieldFailsWithItsMessageInOrder) {
    ScopedCulture ja(kJapanese);
    const Tx330Case cases[] = {
        {"the form as built", [](auto&, auto&) {}, true, kSilent},
        {"channel 32 on LoRa 24-37", [](auto& c, auto&) { c.m_Ch = 32; }, true, kSilent},
        {"channel 24 on LoRa 24-37", [](auto& c, auto&) { c.m_Ch = 24; }, true, kSilent},
        {"channel 38 on LoRa 24-37", [](auto& c, auto&) { c.m_Ch = 38; }, false, 27},
        {"channel 30 on FSK",
         [](auto& c, auto&) {
             c.m_OpMode = 0;
             c.m_Ch = 30;
         },
         false, 27},
        {"channel 33 with band 0 and FSK",
         [](auto& c, auto&) {
             c.m_OpMode = 0;
             c.m_Ch = 33;
         },
         true, kSilent},
        {"channel 60 on LoRa 33-60",
         [](auto& c, auto&) {
             c.m_ChMode = 1;
             c.m_Ch = 60;
         },
         true, kSilent},
        {"channel 61",
         [](auto& c, auto&) {
             c.m_ChMode = 1;
             c.m_Ch = 61;
         },
         false, 27},
        {"KEEP 29", [](auto& c, auto&) { c.m_DoKeepTime = 29; }, false, 34},
        {"KEEP 0", [](auto& c, auto&) { c.m_DoKeepTime = 0; }, true, kSilent},
        {"KEEP 30", [](auto& c, auto&) { c.m_DoKeepTime = 30; }, true, kSilent},
        {"KEEP 3601", [](auto& c, auto&) { c.m_DoKeepTime = 3601; }, false, 34},
        {"BAUDRATE 8", [](auto& c, auto&) { c.m_baudrate = 8; }, false, 20},
        {"DATABITS 2", [](auto& c, auto&) { c.m_databits = 2; }, false, 21},
        {"PARITY 3", [](auto& c, auto&) { c.m_parity = 3; }, false, 22},
        {"STOPBITS 2", [](auto& c, auto&) { c.m_stopbits = 2; }, false, 23},
        {"INTFPORT 2", [](auto& c, auto&) { c.m_intfport = 2; }, false, kSilent},
        {"AWT 26", [](auto& c, auto&) { c.m_awt = 26; }, false, 24},
        {"AWT before FLOWCTRL",
         [](auto& c, auto&) {
             c.m_awt = 26;
             c.m_flowctrl = 3;
         },
         false, 24},
        {"FLOWCTRL 3", [](auto& c, auto&) { c.m_flowctrl = 3; }, false, kSilent},
        {"CHMODE 2", [](auto& c, auto&) { c.m_ChMode = 2; }, false, 25},
        {"OPMODE 2", [](auto& c, auto&) { c.m_OpMode = 2; }, false, 26},
        {"NODEID 100", [](auto& c, auto&) { c.m_NodeId = 100; }, false, 28},
        {"GRPID 65535", [](auto& c, auto&) { c.m_GrpId = 65535; }, false, 29},
        {"BINDDO3 3", [](auto& c, auto&) { c.m_Do3Bind = 3; }, false, 30},
        {"CONTACTDO2 2", [](auto& c, auto&) { c.m_Do2Invert = 2; }, false, 31},
        {"OFFDELAY 1201", [](auto& c, auto&) { c.m_DoOffDelay = 1201; }, false, 32},
        {"ONDELAY -1", [](auto& c, auto&) { c.m_DoOnDelay = -1; }, false, 33},
        {"KEEPSIGNAL 2", [](auto& c, auto&) { c.m_DoKeepSig = 2; }, false, 35},
        {"DIDELAY 101", [](auto& c, auto&) { c.m_DoDiDelay = 101; }, false, 36},
        {"AESENCRYPTENABLE 3", [](auto& c, auto&) { c.m_aesEncryptEnable = 3; }, false, 18},
        {"AESENCRYPTENABLE 3 without firmware support", [](auto& c, auto&) { c.m_aesEncryptEnable = 3; },
         true, kSilent, false},
        {"ENCRYPTTYPE 0", [](auto& c, auto&) { c.m_aesEncryptType = 0; }, false, 19},
        {"key word 16 empty with 256 bits, replacing",
         [](auto&, auto& f) { f.node->serAESEncryptKeySetting(2); }, false, 17},
        {"key word 16 empty with 128 bits, replacing",
         [](auto& c, auto& f) {
             f.node->serAESEncryptKeySetting(2);
             c.m_aesEncryptType = 1;
         },
         true, kSilent},
        {"key words not examined for a loaded object", [](auto& c, auto&) { c.m_aesEncryptKey[0] = q("zz"); },
         true, kSilent},
        {"EXTENDEDGROUP is not checked", [](auto& c, auto&) { c.m_extendedGroup = 77; }, true, kSilent},
    };
    for (const Tx330Case& c : cases) {
        Tx330Form form;
        ApplicationConfig_TX330 config = form.build();
        c.change(config, form);
        expectCheck(config, c, 2);
    }
}

TEST(Tx330RecordCheck, ModelCheckRefusesAnEmptyModel) {
    ScopedCulture ja(kJapanese);
    BoxRecordingToolkit recorder;
    ToolkitOverride use(recorder);
    ApplicationConfig_TX330 config;
    EXPECT_FALSE(config.checkSettingToolData(true));
    config.setModelName(QStringLiteral("TX-910A"));
    EXPECT_FALSE(config.checkSettingToolData(true));
    config.setModelName(QStringLiteral("TX-330"));
    EXPECT_TRUE(config.checkSettingToolData(true));
    EXPECT_EQ(recorder.boxTexts(),
              (std::vector<QString>(
                  2, QStringLiteral("異なる型式の設定ファイルです。パラメータを初期化します。"))));
    EXPECT_EQ(recorder.boxes[0].Caption, QStringLiteral("接点入出力無線化ユニット設定ツール"));
}

namespace {

class SettingsSequences : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_default = m_dir.filePath(QStringLiteral("config.xml"));
        overrideDefaultSettingsFilePath(m_default);
    }
    void TearDown() override { overrideDefaultSettingsFilePath(QString()); }

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_default;
    BoxRecordingToolkit m_recorder;
    ToolkitOverride m_use{m_recorder};
};

}  // namespace

TEST_F(SettingsSequences, StartupLoadsAPassingDefaultFileSilently) {
    ScopedCulture en(kEnglish);
    EXPECT_FALSE(loadStartupSettings().has_value());  // no file: the form defaults

    write(m_default, readGolden("rs485_ja.xml"));
    auto loaded = loadStartupSettings();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->m_IdOffset, QStringLiteral("12"));

    // Another model passes at start-up (no model check there) but not through "Open".
    ApplicationConfig other;
    ASSERT_TRUE(Config::fromXml(readGolden("rs485_ja.xml"), other));
    other.setModelName(QStringLiteral("TX-999"));
    write(m_default, *Config::toXml(other));
    EXPECT_TRUE(loadStartupSettings().has_value());
    EXPECT_TRUE(m_recorder.boxes.empty());
    EXPECT_EQ(openSettingsFile(m_default, true).result, OpenSettingsResult::Refused);
    EXPECT_EQ(m_recorder.boxTexts(),
              std::vector<QString>{QStringLiteral("A configuration file of a different format was loaded.")});

    write(m_default, "<ApplicationConfig><TYPE>x</TYPE></ApplicationConfig>");
    EXPECT_FALSE(loadStartupSettings().has_value());
    write(m_default, readGolden("tx330_ja.xml"));
    EXPECT_FALSE(loadStartupSettings().has_value());
    EXPECT_EQ(m_recorder.boxes.size(), 1u);
}

TEST_F(SettingsSequences, Tx330StartupReadsAContactIoFileSavedAsTheDefault) {
    write(m_default, readGolden("tx330_en.xml"));
    auto loaded = loadStartupSettings_TX330();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->m_Ch, 37);
    write(m_default, readGolden("rs485_en.xml"));
    EXPECT_FALSE(loadStartupSettings_TX330().has_value());
    EXPECT_TRUE(m_recorder.boxes.empty());
}

TEST_F(SettingsSequences, OpeningShowsWhyAFileIsNotUsed) {
    ScopedCulture ja(kJapanese);
    StringTable st;

    auto missing = openSettingsFile(path("missing.xml"), true);
    EXPECT_EQ(missing.result, OpenSettingsResult::NotOpened);
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(60)});
    EXPECT_EQ(m_recorder.boxes.back().Caption, st.getString(1));
    m_recorder.clear();

    // A contact-I/O file in the RS485 window: nothing is read, the empty node-ID offset of
    // the new object fails the check.
    write(path("tx330.xml"), readGolden("tx330_ja.xml"));
    EXPECT_EQ(openSettingsFile(path("tx330.xml"), true).result, OpenSettingsResult::Refused);
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(65)});
    m_recorder.clear();

    // An RS485 file in the contact-I/O window: the new object names no model.
    write(path("rs485.xml"), readGolden("rs485_ja.xml"));
    EXPECT_EQ(openSettingsFile_TX330(path("rs485.xml"), true).result, OpenSettingsResult_TX330::Refused);
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(64)});
    EXPECT_EQ(m_recorder.boxes.back().Caption, st.getString(2));
    m_recorder.clear();

    // A contact-I/O file without a model is refused by the model check.
    ApplicationConfig_TX330 noModel;
    ASSERT_TRUE(Config_TX330::fromXml(readGolden("tx330_ja.xml"), noModel));
    noModel.setModelName(emptyText());
    write(path("nomodel.xml"), *Config_TX330::toXml(noModel));
    EXPECT_EQ(openSettingsFile_TX330(path("nomodel.xml"), true).result, OpenSettingsResult_TX330::Refused);
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(64)});
    m_recorder.clear();

    // A failed check shows message 65 only, never the field's own message.
    ApplicationConfig_TX330 keep29;
    ASSERT_TRUE(Config_TX330::fromXml(readGolden("tx330_ja.xml"), keep29));
    keep29.m_DoKeepTime = 29;
    write(path("keep29.xml"), *Config_TX330::toXml(keep29));
    EXPECT_EQ(openSettingsFile_TX330(path("keep29.xml"), true).result, OpenSettingsResult_TX330::Refused);
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(65)});
    m_recorder.clear();

    auto rs = openSettingsFile(path("rs485.xml"), false);
    ASSERT_EQ(rs.result, OpenSettingsResult::Loaded);
    EXPECT_EQ(rs.config.m_group, 2);
    write(path("tx330.xml"), readGolden("handwritten_tx330_en.xml"));
    auto tx = openSettingsFile_TX330(path("tx330.xml"), true);
    ASSERT_EQ(tx.result, OpenSettingsResult_TX330::Loaded);
    EXPECT_EQ(tx.config.m_Ch, 32);
    EXPECT_TRUE(m_recorder.boxes.empty());
}

TEST_F(SettingsSequences, SavingAndApplyingWriteOnlyCheckedSettings) {
    ScopedCulture en(kEnglish);
    StringTable st;
    const QString saved = path("saved.xml");
    write(saved, "previous");
    write(m_default, "previous default");

    Rs485Form form;
    ApplicationConfig bad = form.build();
    bad.m_cOffset = QStringLiteral("-0");
    EXPECT_FALSE(saveSettingsFile(bad, saved, true));
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(65)});  // empty under en-US
    EXPECT_EQ(read(saved), QByteArray("previous"));
    m_recorder.clear();

    EXPECT_FALSE(applySettingsToDefaultFile(bad, true));
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(52)});
    EXPECT_EQ(read(m_default), QByteArray("previous default"));
    m_recorder.clear();

    const ApplicationConfig good = form.build();
    EXPECT_TRUE(saveSettingsFile(good, saved, true));
    EXPECT_EQ(read(saved), readGolden("rs485_en.xml"));
    EXPECT_EQ(read(m_default), QByteArray("previous default")) << "saving does not touch the default file";
    EXPECT_TRUE(applySettingsToDefaultFile(good, true));
    EXPECT_EQ(read(m_default), readGolden("rs485_en.xml"));
    EXPECT_TRUE(m_recorder.boxes.empty());

    // A place that cannot be written is not reported, and the settings still count as applied.
    EXPECT_TRUE(saveSettingsFile(good, path("no/such/folder/x.xml"), true));
    EXPECT_TRUE(m_recorder.boxes.empty());

    Tx330Form txForm;
    ApplicationConfig_TX330 txBad = txForm.build();
    txBad.m_NodeId = 100;
    EXPECT_FALSE(saveSettingsFile_TX330(txBad, saved, true));
    EXPECT_EQ(m_recorder.boxTexts(), std::vector<QString>{st.getString(28)});
    EXPECT_EQ(read(saved), readGolden("rs485_en.xml"));
    EXPECT_TRUE(saveSettingsFile_TX330(txForm.build(), saved, true));
    EXPECT_EQ(read(saved), readGolden("tx330_en.xml"));
}
