// SPDX-License-Identifier: MIT
// The contact-I/O firmware editor: its part of the shared parameter block, and nothing more.
#include <gtest/gtest.h>

#include <algorithm>

#include "domain/firmware/ElfEditor_TX330.h"
#include "fixtures/FixtureImage.h"

namespace {

using namespace pelnix::test;
using namespace Tormel::Domain::Common;
using Tormel::Domain::Firmware::ElfEditor_TX330;
using Tormel::Domain::Firmware::ElfEditorResult_TX330;

std::string P(const std::string& name) { return "TormelParamsM$" + name; }

class ElfEditorTX330Test : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(editor.Init(), ElfEditorResult_TX330::Success); }

    ElfEditorResult_TX330 OpenCopy(const std::string& fixture, const std::string& symbol = {}, int width = 0,
                                   uint64_t stored = 0) {
        path = folder.Copy(fixture);
        if (!symbol.empty()) {
            PokeFile(path, P(symbol), width, stored);
        }
        editor.FileName(path.string());
        return editor.Open();
    }

    TempFolder folder;
    ElfEditor_TX330 editor;
    std::filesystem::path path;
};

TEST_F(ElfEditorTX330Test, LoadReadsItsParametersAndLeavesRadioAndContactsAlone) {
    Wirelessinfo radio;
    radio.Ch = WirelessinfoCh::CH42;
    radio.GrpId = static_cast<WirelessinfoGrpId>(1234);
    Didoinfo contacts;
    contacts.Do2Bind = DidoinfoDoBind::DI3;
    contacts.DoKeepTime = static_cast<DidoinfoDoKeepTime>(600);
    editor.WirelessinfoConfig(radio);
    editor.DidoinfoConfig(contacts);

    for (int version : {36, 37}) {
        SCOPED_TRACE(version);
        Communication comm;
        comm.IntfPort = 2;
        comm.FlowControl = Handshake::XOnXOff;
        editor.CommunicationConfig(comm);
        ASSERT_EQ(OpenCopy("rs485_v" + std::to_string(version) + ".elf"), ElfEditorResult_TX330::Success);
        ASSERT_EQ(editor.Load(), ElfEditorResult_TX330::Success);
        comm = editor.CommunicationConfig();
        EXPECT_EQ(comm.BaudRate, 9600);
        EXPECT_EQ(comm.Awt, 5);
        EXPECT_EQ(comm.IntfPort, version >= 37 ? 1 : 2);
        EXPECT_EQ(comm.FlowControl, version <= 36 ? Handshake::None : Handshake::XOnXOff);
        EXPECT_EQ(editor.NodeinfoConfig().IdOffset, 0u);
        EXPECT_EQ(editor.NodeinfoConfig().AESEncryptEnable, NodeinfoAESEncryptEnable::Disable);
        EXPECT_EQ(editor.NodeinfoConfig().EncryptEnable, NodeinfoEncryptEnable{});  // not this unit's
        EXPECT_EQ(editor.WirelessinfoConfig(), radio);
        EXPECT_EQ(editor.DidoinfoConfig(), contacts);
    }
}

TEST_F(ElfEditorTX330Test, AnswerWaitTimeIsCheckedOnLoadOnly) {
    ASSERT_EQ(OpenCopy("rs485_v37.elf", "awt", 2, 25), ElfEditorResult_TX330::Success);
    EXPECT_EQ(editor.Load(), ElfEditorResult_TX330::Success);
    EXPECT_EQ(editor.CommunicationConfig().Awt, 25);

    Communication comm;
    comm.IntfPort = 2;
    editor.CommunicationConfig(comm);
    ASSERT_EQ(OpenCopy("rs485_v37.elf", "awt", 2, 26), ElfEditorResult_TX330::Success);
    EXPECT_EQ(editor.Load(), ElfEditorResult_TX330::ErrOutOfRange);
    EXPECT_EQ(editor.CommunicationConfig().StopBits, StopBits::One);  // read before
    EXPECT_EQ(editor.CommunicationConfig().IntfPort, 2);              // not reached
}

// Store writes exactly this unit's symbols: not the node-ID offset, the flow control, the older
// encryption, the whitening or any packet setting, whatever the records hold.
TEST_F(ElfEditorTX330Test, StoreTouchesOnlyItsOwnSymbols) {
    for (int version : {36, 37}) {
        SCOPED_TRACE(version);
        ASSERT_EQ(OpenCopy("rs485_v" + std::to_string(version) + ".elf"), ElfEditorResult_TX330::Success);
        const auto before = ReadBytes(path);

        Communication comm;
        comm.BaudRate = 76800;
        comm.DataBits = 7;
        comm.Parity = Parity::Even;
        comm.StopBits = StopBits::Two;
        comm.Awt = 300;  // beyond the unit's range, written unchecked
        comm.IntfPort = 2;
        comm.FlowControl = Handshake::RequestToSend;
        Nodeinfo node;
        node.IdOffset = 42;
        node.AutoParamSyncEnable = NodeinfoAutoParamSyncEnable::Enable;
        node.ExtendedGroup = NodeinfoExtendedGroup::Enable;
        node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
        node.AESEncryptType = NodeinfoAESEncryptType::AES256;
        for (int i = 0; i < 16; ++i) {
            node.*kAESEncryptKeyFields[i] = 0xC000u + i;
        }
        node.EncryptEnable = NodeinfoEncryptEnable::Enable;
        node.WhiteningEnable = NodeinfoWhiteningEnable::Enable;
        editor.CommunicationConfig(comm);
        editor.NodeinfoConfig(node);
        ASSERT_EQ(editor.Store(), ElfEditorResult_TX330::Success);
        ASSERT_EQ(editor.Close(), ElfEditorResult_TX330::Success);

        std::vector<std::pair<std::string, std::pair<int, uint64_t>>> written = {
            {"baudrate", {2, 768}},    {"databit", {1, 2}},       {"parity", {1, 2}},
            {"stopbit", {1, 2}},       {"awt", {2, 0x012C}},      {"intfport", {1, 2}},
            {"syncParams", {1, 2}},    {"extendedGroup", {1, 2}}, {"aesEncryptEnbl", {1, 2}},
            {"aesEncryptType", {1, 2}}};
        for (int i = 0; i < 16; ++i) {
            written.push_back({"AESencryptKey" + std::to_string(i + 1), {2, 0xC000u + i}});
        }

        const auto after = ReadBytes(path);
        std::vector<size_t> changed;
        for (const auto& [name, code] : written) {
            EXPECT_EQ(Peek(after, P(name), code.first), code.second) << name;
            const auto offset = static_cast<size_t>(FindSymbol(before, P(name)).fileOffset);
            for (int i = 0; i < code.first; ++i) {
                if (before[offset + i] != after[offset + i]) {
                    changed.push_back(offset + i);
                }
            }
        }
        std::sort(changed.begin(), changed.end());
        EXPECT_EQ(Differences(before, after), changed);
    }
}

TEST_F(ElfEditorTX330Test, StoreRefusesAnImageWithoutVersionBeforeWriting) {
    auto image = ReadBytes(FixturePath("rs485_v37.elf"));
    const auto version = FindSymbol(image, P("version"));
    const auto strings = ReadSections(image).at(SymbolTable(image).link);
    image.at(strings.offset + Get<uint32_t>(image, version.entryAt) + 14) = 'V';
    path = folder / "noversion.elf";
    WriteBytes(path, image);
    editor.FileName(path.string());
    ASSERT_EQ(editor.Open(), ElfEditorResult_TX330::Success);
    Communication comm;
    comm.BaudRate = 9600;
    editor.CommunicationConfig(comm);
    EXPECT_EQ(editor.Store(), ElfEditorResult_TX330::ErrUnknownSymbol);
    EXPECT_EQ(ReadBytes(path), image);
}

}  // namespace
