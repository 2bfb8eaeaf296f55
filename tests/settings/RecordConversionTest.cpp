// SPDX-License-Identifier: MIT
// A settings file's document to the records a program without windows writes, and records read
// back into a document: the form's steps that come before the shared conversion.
#include <gtest/gtest.h>

#include <vector>

#include "settings/RecordConversion.h"
#include "settings/Toolkit.h"

namespace Tormel::Gui {
namespace {

namespace C = Domain::Common;

class BoxRecorder : public Toolkit {
  public:
    DialogResult messageBox(const QString& text, const QString&, MessageBoxButtons, MessageBoxIcon,
                            QWidget*) override {
        texts.push_back(text);
        return DialogResult::OK;
    }
    DialogResult openFileDialog(FileDialogOptions&, QWidget*) override { return DialogResult::Cancel; }
    DialogResult saveFileDialog(FileDialogOptions&, QWidget*) override { return DialogResult::Cancel; }
    DialogResult showModal(QWidget&) override { return DialogResult::Cancel; }
    bool isShiftKeyDown() const override { return false; }
    std::vector<QString> texts;
};

TEST(RecordConversion, TheKeyGoesOutOnlyWhereTheFormCouldUseIt) {
    struct Case {
        const char* what;
        int32_t aesEnable;
        int32_t moduleType;
        AesKeyChoice choice;
        C::NodeinfoAESEncryptKeySetting sent;
        uint32_t firstWord;
        C::NodeinfoAESEncryptType type;
    } const cases[] = {
        {"AES on, TX-910A, new key", 2, 2, AesKeyChoice::Change, C::NodeinfoAESEncryptKeySetting::Change,
         0x1234, C::NodeinfoAESEncryptType::AES256},
        {"AES on, TX-910A, key kept", 2, 2, AesKeyChoice::NotChange,
         C::NodeinfoAESEncryptKeySetting::NotChange, 0x1234, C::NodeinfoAESEncryptType::AES256},
        {"AES on, TX-710A", 2, 1, AesKeyChoice::Change, C::NodeinfoAESEncryptKeySetting::Init, 0,
         C::NodeinfoAESEncryptType::AES128},
        {"AES off", 1, 2, AesKeyChoice::Change, C::NodeinfoAESEncryptKeySetting::Init, 0,
         C::NodeinfoAESEncryptType::AES128},
        {"AES switch unset", 0, 2, AesKeyChoice::NotChange, C::NodeinfoAESEncryptKeySetting::Init, 0,
         C::NodeinfoAESEncryptType::AES128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ApplicationConfig config;
        config.m_aesEncryptEnable = c.aesEnable;
        config.m_aesEncryptType = 2;
        config.m_aesEncryptKey[0] = QStringLiteral("1234");
        const C::Nodeinfo node = rs485RecordsFromConfig(config, c.moduleType, {}, c.choice).nodeinfo;
        EXPECT_EQ(node.AESEncryptKeySetting, c.sent);
        EXPECT_EQ(node.AESEncryptKey1, c.firstWord);
        EXPECT_EQ(node.AESEncryptType, c.type);
        EXPECT_EQ(node.AESEncryptEnable, c.aesEnable == 2 ? C::NodeinfoAESEncryptEnable::Enable
                                                          : C::NodeinfoAESEncryptEnable::Disable);
    }
}

TEST(RecordConversion, ContactIoValuesTakeTheFormsListsBeforeTheyGoOut) {
    ApplicationConfig_TX330 config;
    config.m_OpMode = 1;
    config.m_ChMode = 0;
    config.m_Ch = 32;  // the low LoRa list has no channel 32
    config.m_GrpId = 130;
    config.m_Do2Invert = 5;
    config.m_aesEncryptEnable = 1;
    config.m_aesEncryptKey[0] = QStringLiteral("FFFF");
    const Tx330RecordSet r = tx330RecordsFromConfig(config, {}, AesKeyChoice::NotChange);
    EXPECT_EQ(r.wireless.OpMode, C::WirelessinfoOpMode::LoRa);
    EXPECT_EQ(r.wireless.ChMode, C::WirelessinfoChMode::CH24to37);
    EXPECT_EQ(static_cast<int32_t>(r.wireless.Ch), 33);
    EXPECT_EQ(static_cast<int32_t>(r.wireless.GrpId), 115);
    EXPECT_EQ(r.dido.Do2Invert, C::DidoinfoDoInvert::NONINVERT);
    EXPECT_EQ(r.nodeinfo.AESEncryptKeySetting, C::NodeinfoAESEncryptKeySetting::Init);
    EXPECT_EQ(r.nodeinfo.AESEncryptKey1, 0u);

    // The document's own records carry no interface port; they read back all the same.
    BoxRecorder boxes;
    const ToolkitOverride use(boxes);
    const auto back = tx330ConfigFromRecords(r, Msg::ReadFailed);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_Ch, 33);
    EXPECT_EQ(back->m_GrpId, 115);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(RecordConversion, ARateTheModuleLacksAbandonsTheRead) {
    BoxRecorder boxes;
    const ToolkitOverride use(boxes);
    const StringTable st;
    Rs485RecordSet records = rs485RecordsFromConfig(ApplicationConfig(), 2, {}, AesKeyChoice::NotChange);
    records.communication.BaudRate = 76800;
    records.nodeinfo.SoftwareVersion = "3.6";

    const auto onTx910 = rs485ConfigFromRecords(records, 2, Msg::ReadFailed, true);
    ASSERT_TRUE(onTx910);
    EXPECT_EQ(onTx910->m_baudrate, 6);
    EXPECT_EQ(onTx910->m_moduletype, 2);
    EXPECT_EQ(onTx910->m_version, QStringLiteral("3.6"));
    EXPECT_TRUE(boxes.texts.empty());

    // Never a slower rate in its place: a later write would cut the unit off its line.
    EXPECT_FALSE(rs485ConfigFromRecords(records, 1, Msg::ReadFailed, true));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], st.getString(Msg::Baud76800NotSupported));
}

}  // namespace
}  // namespace Tormel::Gui
