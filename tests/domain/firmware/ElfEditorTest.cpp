// SPDX-License-Identifier: MIT
// The RS485 firmware editor on real AVR images of each firmware generation. Every Store is
// checked byte for byte against the original with the test's own ELF reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "domain/firmware/ElfEditor.h"
#include "fixtures/FixtureImage.h"

namespace {

using namespace pelnix::test;
using namespace Tormel::Domain::Common;
using Tormel::Domain::Firmware::ElfEditor;
using Tormel::Domain::Firmware::ElfEditorResult;

struct Code {
    int width;
    uint64_t stored;
};
using Codes = std::vector<std::pair<std::string, Code>>;  // in the order Store writes them

std::string P(const std::string& name) { return "TormelParamsM$" + name; }

// Settings in which every value differs from the factory block of the test images, with the
// codes the firmware must receive for them, in the order of a Store.
struct DistinctSettings {
    Communication comm;
    Nodeinfo node;
    Protocol proto;
    Binding binding;
    Codes codes;

    explicit DistinctSettings(int version) {
        comm.BaudRate = 115200;
        comm.DataBits = 7;
        comm.Parity = Parity::Odd;
        comm.StopBits = StopBits::Two;
        comm.IntfPort = 2;
        node.IdOffset = 1234;
        node.WhiteningEnable = NodeinfoWhiteningEnable::Enable;
        node.AutoParamSyncEnable = NodeinfoAutoParamSyncEnable::Enable;
        node.ExtendedGroup = NodeinfoExtendedGroup::Enable;
        node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
        node.AESEncryptType = NodeinfoAESEncryptType::AES256;
        for (int i = 0; i < 16; ++i) {
            node.*kAESEncryptKeyFields[i] = 0xA000u + i;
        }
        node.EncryptEnable = NodeinfoEncryptEnable::Enable;
        for (int i = 0; i < 8; ++i) {
            node.*kEncryptKeyFields[i] = 0xB000u + i;
        }
        proto.ThroughMode = ProtocolThrough::Size;
        proto.SilentChar = 50;
        proto.Fmt2Enable = ProtocolFmt2Enable::Enable;
        proto.PacketStartCode = 0x40;
        proto.PacketEndCode = 0x41;
        proto.PacketOffset = 5;
        proto.PacketStartCode2nd = 0x42;
        proto.PacketEndCode2nd = 0x43;
        proto.PacketOffset2nd = 6;
        proto.DeviEnable = ProtocolDeviEnable::Fix;
        proto.AddressOffset = 10;
        proto.AddressLength = 4;
        proto.AddressFormat = ProtocolFormat::BigEndian;
        proto.AddressOffset2nd = 11;
        proto.AddressLength2nd = 5;
        proto.AddressFormat2nd = ProtocolFormat::LittleEndian;
        proto.BcastAddr = 0x1234;
        proto.CheckMethod = ProtocolMethod::Sum;
        proto.CheckCode = ProtocolCheckCode::StartCode;
        proto.CheckOffset = -5;
        proto.CheckLength = 2;
        proto.CheckFormat = ProtocolFormat::HexadecimalNumber;
        binding.BindType = BindingType::Each;

        codes = {{"baudrate", {2, 1152}},    {"databit", {1, 2}},       {"parity", {1, 3}},
                 {"stopbit", {1, 2}},        {"intfport", {1, 2}},      {"hundredOrder", {2, 1234}},
                 {"Whitening", {1, 1}},      {"syncParams", {1, 2}},    {"extendedGroup", {1, 2}},
                 {"aesEncryptEnbl", {1, 2}}, {"aesEncryptType", {1, 2}}};
        for (int i = 0; i < 16; ++i) {
            codes.push_back({"AESencryptKey" + std::to_string(i + 1), {2, 0xA000u + i}});
        }
        codes.push_back({"encryptEnbl", {1, 2}});
        for (int i = 0; i < 8; ++i) {
            codes.push_back({"encryptKey" + std::to_string(i + 1), {2, 0xB000u + i}});
        }
        Codes rest = {{"throughMode", {1, 3}},  {"silentChar", {1, 50}},     {"fmt2Enbl", {1, 2}},
                      {"stxChar", {1, 0x40}},   {"etxChar", {1, 0x41}},      {"offsetAfterEtx", {1, 5}},
                      {"stxChar2", {1, 0x42}},  {"etxChar2", {1, 0x43}},     {"offsetAfterEtx2", {1, 6}},
                      {"devIdEnable", {1, 3}},  {"offsetToDevId", {1, 10}},  {"devIdLen", {1, 4}},
                      {"devIdFormat", {1, 1}},  {"offsetToDevId2", {1, 11}}, {"devIdLen2", {1, 5}},
                      {"devIdFormat2", {1, 5}}, {"bcastAddr", {2, 0x1234}}};
        codes.insert(codes.end(), rest.begin(), rest.end());
        if (version <= 36) {
            Codes check = {{"chkType", {1, 4}},
                           {"chkIncludeStx", {1, 2}},
                           {"offsetToChkCode", {1, 95}},
                           {"chkCodeLen", {1, 2}},
                           {"chkCodeFormat", {1, 2}}};
            codes.insert(codes.end(), check.begin(), check.end());
        }
        if (version >= 34) {
            codes.push_back({"bindType", {1, 2}});
        }
    }

    void HandTo(ElfEditor& editor) const {
        editor.CommunicationConfig(comm);
        editor.NodeinfoConfig(node);
        editor.ProtocolConfig(proto);
        editor.BindingConfig(binding);
    }
};

// Expects that the image differs from the original in exactly the bytes of the given symbols,
// and that those hold the given codes.
void ExpectWritten(const Bytes& before, const Bytes& after, const Codes& written) {
    ASSERT_EQ(before.size(), after.size());
    std::vector<size_t> expected;
    for (const auto& [name, code] : written) {
        EXPECT_EQ(Peek(after, P(name), code.width), code.stored) << name;
        const auto symbol = FindSymbol(before, P(name));
        for (int i = 0; i < code.width; ++i) {
            const size_t at = static_cast<size_t>(symbol.fileOffset) + i;
            if (before[at] != after[at]) {
                expected.push_back(at);
            }
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Differences(before, after), expected);
}

class ElfEditorTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(editor.Init(), ElfEditorResult::Success); }

    ElfEditorResult OpenCopy(const std::string& fixture) {
        path = folder.Copy(fixture);
        editor.FileName(path.string());
        return editor.Open();
    }

    TempFolder folder;
    ElfEditor editor;
    std::filesystem::path path;
};

TEST_F(ElfEditorTest, LoadReadsTheFactoryBlockAndKeepsWhatItDoesNotRead) {
    Communication comm;
    comm.FlowControl = Handshake::XOnXOff;
    comm.Awt = 7;
    editor.CommunicationConfig(comm);
    Nodeinfo node;
    node.AESEncryptType = NodeinfoAESEncryptType::AES256;
    node.AESEncryptKey16 = 0xABCD;
    node.SoftwareName = "kept";
    editor.NodeinfoConfig(node);
    Protocol proto;
    proto.CheckMethod = ProtocolMethod::Crc;
    editor.ProtocolConfig(proto);

    ASSERT_EQ(OpenCopy("rs485_v37.elf"), ElfEditorResult::Success);
    ASSERT_EQ(editor.Load(), ElfEditorResult::Success);
    EXPECT_EQ(editor.Close(), ElfEditorResult::Success);

    comm = editor.CommunicationConfig();
    EXPECT_EQ(comm.BaudRate, 9600);
    EXPECT_EQ(comm.DataBits, 8);
    EXPECT_EQ(comm.Parity, Parity::None);
    EXPECT_EQ(comm.StopBits, StopBits::One);
    EXPECT_EQ(comm.IntfPort, 1);
    EXPECT_EQ(comm.FlowControl, Handshake::XOnXOff);  // version 37 has none
    EXPECT_EQ(comm.Awt, 7);
    node = editor.NodeinfoConfig();
    EXPECT_EQ(node.IdOffset, 0u);  // stored 65535
    EXPECT_EQ(node.AutoParamSyncEnable, NodeinfoAutoParamSyncEnable::Disable);
    EXPECT_EQ(node.AESEncryptEnable, NodeinfoAESEncryptEnable::Disable);
    EXPECT_EQ(node.AESEncryptType, NodeinfoAESEncryptType::AES256);  // never read
    EXPECT_EQ(node.AESEncryptKey16, 0xABCDu);                        // never read
    EXPECT_EQ(node.SoftwareName, "kept");
    EXPECT_EQ(node.EncryptKey1, 0x1111u);
    EXPECT_EQ(node.EncryptKey8, 0x8888u);
    proto = editor.ProtocolConfig();
    EXPECT_EQ(proto.ThroughMode, ProtocolThrough::Time);
    EXPECT_EQ(proto.SilentChar, 4);
    EXPECT_EQ(proto.PacketStartCode, 0x02);
    EXPECT_EQ(proto.PacketEndCode, 0x03);
    EXPECT_EQ(proto.PacketOffset, 0);                               // stored 255
    EXPECT_EQ(proto.AddressFormat, ProtocolFormat::DecimalNumber);  // stored 255
    EXPECT_EQ(proto.AddressLength2nd, 0);                           // stored 255
    EXPECT_EQ(proto.BcastAddr, 0xFFFFu);
    EXPECT_EQ(proto.CheckMethod, ProtocolMethod::Crc);  // version 37 has no check code
    EXPECT_EQ(editor.BindingConfig().BindType, BindingType::Group);
}

// Each firmware generation: what Load reads and what Store writes, and that a Store changes the
// image in exactly the bytes of the symbols written.
TEST_F(ElfEditorTest, VersionGatesOfLoadAndStore) {
    for (int version : {33, 34, 36, 37}) {
        SCOPED_TRACE(version);
        // Marks in the records show which fields Load leaves alone.
        Communication comm;
        comm.IntfPort = 2;
        comm.FlowControl = Handshake::XOnXOff;
        editor.CommunicationConfig(comm);
        Protocol proto;
        proto.CheckMethod = ProtocolMethod::Crc;
        editor.ProtocolConfig(proto);
        Binding binding;
        binding.BindType = BindingType::Each;
        editor.BindingConfig(binding);

        const std::string fixture = "rs485_v" + std::to_string(version) + ".elf";
        ASSERT_EQ(OpenCopy(fixture), ElfEditorResult::Success);
        ASSERT_EQ(editor.Load(), ElfEditorResult::Success);
        EXPECT_EQ(editor.CommunicationConfig().IntfPort, version >= 37 ? 1 : 2);
        EXPECT_EQ(editor.CommunicationConfig().FlowControl,
                  version <= 36 ? Handshake::None : Handshake::XOnXOff);
        EXPECT_EQ(editor.ProtocolConfig().CheckMethod,
                  version <= 36 ? ProtocolMethod::None : ProtocolMethod::Crc);
        EXPECT_EQ(editor.ProtocolConfig().CheckOffset, 0);
        EXPECT_EQ(editor.BindingConfig().BindType, version >= 34 ? BindingType::Group : BindingType::Each);

        const DistinctSettings settings(version);
        settings.HandTo(editor);
        const auto before = ReadBytes(path);
        ASSERT_EQ(editor.Store(), ElfEditorResult::Success);
        ASSERT_EQ(editor.Close(), ElfEditorResult::Success);
        // The interface port is written even where the firmware generation does not read it.
        ExpectWritten(before, ReadBytes(path), settings.codes);

        // What was stored loads back as it was given.
        ElfEditor reader;
        ASSERT_EQ(reader.Init(), ElfEditorResult::Success);
        reader.FileName(path.string());
        ASSERT_EQ(reader.Open(), ElfEditorResult::Success);
        ASSERT_EQ(reader.Load(), ElfEditorResult::Success);
        auto expectedProto = settings.proto;
        if (version > 36) {  // no check code in the image: the fresh reader keeps its zeros
            expectedProto.CheckMethod = ProtocolMethod{};
            expectedProto.CheckCode = ProtocolCheckCode{};
            expectedProto.CheckOffset = 0;
            expectedProto.CheckLength = 0;
            expectedProto.CheckFormat = ProtocolFormat{};
        }
        EXPECT_EQ(reader.ProtocolConfig(), expectedProto);
        auto expectedComm = settings.comm;
        if (version <= 36) {
            expectedComm.IntfPort = 0;
            expectedComm.FlowControl = Handshake::None;  // the image's own
        }
        EXPECT_EQ(reader.CommunicationConfig(), expectedComm);
        auto expectedNode = settings.node;
        // Read from encryptAESEnbl, which Store does not write; type and key are never read.
        expectedNode.AESEncryptEnable = NodeinfoAESEncryptEnable::Disable;
        expectedNode.AESEncryptType = NodeinfoAESEncryptType{};
        for (auto word : kAESEncryptKeyFields) {
            expectedNode.*word = 0;
        }
        EXPECT_EQ(reader.NodeinfoConfig(), expectedNode);
        EXPECT_EQ(reader.BindingConfig().BindType, version >= 34 ? BindingType::Each : BindingType{});
    }
}

TEST_F(ElfEditorTest, EqualPacketMarks) {
    ASSERT_EQ(OpenCopy("rs485_v36.elf"), ElfEditorResult::Success);
    ASSERT_EQ(editor.Close(), ElfEditorResult::Success);
    PokeFile(path, P("etxChar"), 1, 0x02);
    ASSERT_EQ(editor.Open(), ElfEditorResult::Success);
    // Every value is loaded before the marks are compared.
    EXPECT_EQ(editor.Load(), ElfEditorResult::ErrOutOfRange);
    EXPECT_EQ(editor.ProtocolConfig().PacketEndCode, 0x02);
    EXPECT_EQ(editor.ProtocolConfig().CheckMethod, ProtocolMethod::None);
    EXPECT_EQ(editor.BindingConfig().BindType, BindingType::Group);

    // Store refuses them before writing anything; only the first format is compared.
    DistinctSettings settings(36);
    settings.proto.PacketEndCode = settings.proto.PacketStartCode;
    settings.HandTo(editor);
    const auto before = ReadBytes(path);
    EXPECT_EQ(editor.Store(), ElfEditorResult::ErrOutOfRange);
    EXPECT_EQ(ReadBytes(path), before);

    settings = DistinctSettings(36);
    settings.proto.PacketEndCode2nd = settings.proto.PacketStartCode2nd;
    settings.HandTo(editor);
    EXPECT_EQ(editor.Store(), ElfEditorResult::Success);
}

// Stored values outside their encodings: Load stops there, with what came before in the records.
TEST_F(ElfEditorTest, LoadOfOutOfRangeValues) {
    struct Case {
        const char* symbol;
        int width;
        uint64_t stored;
        ElfEditorResult result;
        std::function<void(const ElfEditor&)> check;
    };
    const Case cases[] = {
        {"hundredOrder", 2, 10000, ElfEditorResult::ErrOutOfRange,
         [](const ElfEditor& e) {
             EXPECT_EQ(e.CommunicationConfig().BaudRate, 9600);                                 // read before
             EXPECT_EQ(e.NodeinfoConfig().AutoParamSyncEnable, NodeinfoAutoParamSyncEnable{});  // not reached
         }},
        {"hundredOrder", 2, 9999, ElfEditorResult::Success,
         [](const ElfEditor& e) { EXPECT_EQ(e.NodeinfoConfig().IdOffset, 9999u); }},
        {"offsetToChkCode", 1, 0, ElfEditorResult::ErrOutOfRange, nullptr},
        {"offsetToChkCode", 1, 200, ElfEditorResult::ErrOutOfRange, nullptr},
        {"offsetToChkCode", 1, 1, ElfEditorResult::Success,
         [](const ElfEditor& e) { EXPECT_EQ(e.ProtocolConfig().CheckOffset, -99); }},
        {"offsetToChkCode", 1, 199, ElfEditorResult::Success,
         [](const ElfEditor& e) { EXPECT_EQ(e.ProtocolConfig().CheckOffset, 99); }},
        {"silentChar", 1, 3, ElfEditorResult::ErrOutOfRange, nullptr},
        {"stxChar", 1, 0x7E, ElfEditorResult::ErrOutOfRange, nullptr},
        {"devIdFormat2", 1, 3, ElfEditorResult::ErrOutOfRange, nullptr},
        {"baudrate", 2, 97, ElfEditorResult::ErrOutOfRange, nullptr},
        {"bindType", 1, 0, ElfEditorResult::ErrOutOfRange,
         [](const ElfEditor& e) { EXPECT_EQ(e.ProtocolConfig().CheckLength, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.symbol) + " = " + std::to_string(c.stored));
        ElfEditor fresh;
        ASSERT_EQ(fresh.Init(), ElfEditorResult::Success);
        const auto image = folder.Copy("rs485_v36.elf");
        PokeFile(image, P(c.symbol), c.width, c.stored);
        fresh.FileName(image.string());
        ASSERT_EQ(fresh.Open(), ElfEditorResult::Success);
        EXPECT_EQ(fresh.Load(), c.result);
        if (c.check) {
            c.check(fresh);
        }
    }
}

// A value that cannot be encoded stops Store before its own symbol; the symbols before it stay
// written (the window stores into a copy for this reason).
TEST_F(ElfEditorTest, StoreStopsAtTheFirstValueWithoutEncoding) {
    struct Case {
        const char* what;
        int version;
        std::function<void(DistinctSettings&)> spoil;
        const char* failsAt;
        ElfEditorResult result;
    };
    const Case cases[] = {
        {"silent interval 3", 37, [](DistinctSettings& s) { s.proto.SilentChar = 3; }, "silentChar",
         ElfEditorResult::ErrOutOfRange},
        {"silent interval 101", 37, [](DistinctSettings& s) { s.proto.SilentChar = 101; }, "silentChar",
         ElfEditorResult::ErrOutOfRange},
        {"start mark 0x7E", 37, [](DistinctSettings& s) { s.proto.PacketStartCode = 0x7E; }, "stxChar",
         ElfEditorResult::ErrOutOfRange},
        {"key word above 16 bits", 37, [](DistinctSettings& s) { s.node.AESEncryptKey9 = 0x10000; },
         "AESencryptKey9", ElfEditorResult::ErrOutOfRange},
        {"check offset 100", 36, [](DistinctSettings& s) { s.proto.CheckOffset = 100; }, "offsetToChkCode",
         ElfEditorResult::ErrOutOfRange},
        // A fresh editor holds bind type 0: an image from version 34 on cannot take it.
        {"no bind type", 34, [](DistinctSettings& s) { s.binding = Binding{}; }, "bindType",
         ElfEditorResult::ErrOutOfRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DistinctSettings settings(c.version);
        c.spoil(settings);
        ElfEditor fresh;
        ASSERT_EQ(fresh.Init(), ElfEditorResult::Success);
        const auto image = folder.Copy("rs485_v" + std::to_string(c.version) + ".elf");
        const auto before = ReadBytes(image);
        fresh.FileName(image.string());
        ASSERT_EQ(fresh.Open(), ElfEditorResult::Success);
        settings.HandTo(fresh);
        EXPECT_EQ(fresh.Store(), c.result);

        Codes written;
        for (const auto& entry : settings.codes) {
            if (entry.first == c.failsAt) {
                break;
            }
            written.push_back(entry);
        }
        ASSERT_LT(written.size(), settings.codes.size());
        ExpectWritten(before, ReadBytes(image), written);
    }
}

TEST_F(ElfEditorTest, MissingSymbols) {
    // Version 36 does not read the interface port, but every Store writes it.
    ASSERT_EQ(OpenCopy("rs485_v36_nointfport.elf"), ElfEditorResult::Success);
    EXPECT_EQ(editor.Load(), ElfEditorResult::Success);
    DistinctSettings(36).HandTo(editor);
    EXPECT_EQ(editor.Store(), ElfEditorResult::ErrUnknownSymbol);

    // An image whose version symbol is gone (its name damaged) is refused before any write.
    auto image = ReadBytes(FixturePath("rs485_v37.elf"));
    const auto version = FindSymbol(image, P("version"));
    const auto strings = ReadSections(image).at(SymbolTable(image).link);
    image.at(strings.offset + Get<uint32_t>(image, version.entryAt)) = 't';
    path = folder / "noversion.elf";
    WriteBytes(path, image);
    editor.FileName(path.string());
    ASSERT_EQ(editor.Open(), ElfEditorResult::Success);
    EXPECT_EQ(editor.Load(), ElfEditorResult::ErrUnknownSymbol);
    EXPECT_EQ(editor.Store(), ElfEditorResult::ErrUnknownSymbol);
    EXPECT_EQ(ReadBytes(path), image);
}

TEST_F(ElfEditorTest, OpenAcceptsOnlyLittleEndianAvrExecutables) {
    struct Case {
        const char* what;
        const char* fixture;
        std::function<void(Bytes&)> damage;
        ElfEditorResult result;
    };
    const Case cases[] = {
        {"64-bit host program", "host64", nullptr, ElfEditorResult::ErrUnsupported},
        {"relocatable object", "rs485_reloc.elf", nullptr, ElfEditorResult::ErrUnsupported},
        {"other processor", "rs485_v37.elf", [](Bytes& b) { Put<uint16_t>(b, 18, 40); },
         ElfEditorResult::ErrUnsupported},
        {"file version 0", "rs485_v37.elf", [](Bytes& b) { Put<uint32_t>(b, 20, 0); },
         ElfEditorResult::ErrUnsupported},
        {"identification version 2", "rs485_v37.elf", [](Bytes& b) { b[6] = 2; },
         ElfEditorResult::ErrUnsupported},
        // An AVR executable in every respect but its byte order.
        {"big-endian", "bigendian.o",
         [](Bytes& b) {
             b[16] = 0, b[17] = 2;   // executable
             b[18] = 0, b[19] = 83;  // AVR
         },
         ElfEditorResult::ErrUnsupported},
        {"not an ELF file", "rs485_v37.elf", [](Bytes& b) { b[1] = 'X'; }, ElfEditorResult::ErrUnsupported},
        {"empty file", "rs485_v37.elf", [](Bytes& b) { b.clear(); }, ElfEditorResult::ErrUnsupported},
        {"the good image", "rs485_v37.elf", nullptr, ElfEditorResult::Success},
    };
    const size_t descriptors = OpenDescriptors();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!std::filesystem::exists(FixturePath(c.fixture))) {
            continue;  // built only where clang is
        }
        path = folder.Copy(c.fixture);
        if (c.damage) {
            auto image = ReadBytes(path);
            c.damage(image);
            WriteBytes(path, image);
        }
        editor.FileName(path.string());
        EXPECT_EQ(editor.Open(), c.result);
        // A refused image is not kept open.
        EXPECT_EQ(OpenDescriptors(), descriptors + (c.result == ElfEditorResult::Success ? 1 : 0));
        EXPECT_EQ(editor.Close(), ElfEditorResult::Success);
    }

    editor.FileName((folder / "missing.elf").string());
    EXPECT_EQ(editor.Open(), ElfEditorResult::ErrFileOpen);
    editor.FileName("");
    EXPECT_EQ(editor.Open(), ElfEditorResult::ErrStatus);
    editor.FileName(std::string("rs485\0.elf", 10));
    EXPECT_EQ(editor.Open(), ElfEditorResult::ErrStatus);
}

TEST_F(ElfEditorTest, Lifecycle) {
    ElfEditor fresh;
    fresh.FileName(folder.Copy("rs485_v37.elf").string());
    // Without a handle the layer sees a null argument.
    EXPECT_EQ(fresh.Open(), ElfEditorResult::ErrParameter);
    EXPECT_EQ(fresh.Load(), ElfEditorResult::ErrParameter);
    EXPECT_EQ(fresh.Store(), ElfEditorResult::ErrParameter);
    EXPECT_EQ(fresh.Close(), ElfEditorResult::ErrParameter);
    EXPECT_EQ(fresh.End(), ElfEditorResult::Success);

    ASSERT_EQ(fresh.Init(), ElfEditorResult::Success);
    EXPECT_EQ(fresh.Init(), ElfEditorResult::Success);
    EXPECT_EQ(fresh.Load(), ElfEditorResult::ErrStatus);  // nothing open
    ASSERT_EQ(fresh.Open(), ElfEditorResult::Success);
    EXPECT_EQ(fresh.End(), ElfEditorResult::Success);  // closes the image too
    EXPECT_EQ(fresh.End(), ElfEditorResult::Success);
    EXPECT_EQ(fresh.Open(), ElfEditorResult::ErrParameter);
}

}  // namespace
