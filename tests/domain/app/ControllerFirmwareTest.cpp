// SPDX-License-Identifier: MIT
// Loading settings from and storing them into real AVR firmware images through the
// controllers: the three outcomes the window sees and what happens to the held records.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "domain/app/TaskQueue.h"
#include "domain/app/TormelApp.h"
#include "domain/app/TormelApp_TX330.h"
#include "fixtures/FixtureImage.h"

using namespace Tormel::Domain;
using namespace Tormel::Domain::App;
using pelnix::test::Peek;
using pelnix::test::PokeFile;
using pelnix::test::ReadBytes;
using pelnix::test::TempFolder;

// A file system that reports an error when a file is closed (as NFS does when the last
// write-back fails): the descriptor of the named file is closed, but close() says EIO.
namespace {
std::atomic<const char*> g_failCloseOf{nullptr};
}

extern "C" int close(int fd) {
    using CloseFn = int (*)(int);
    static const CloseFn realClose = reinterpret_cast<CloseFn>(dlsym(RTLD_NEXT, "close"));
    bool fail = false;
    if (const char* target = g_failCloseOf.load()) {
        char linkPath[64];
        char path[4096];
        std::snprintf(linkPath, sizeof linkPath, "/proc/self/fd/%d", fd);
        const ssize_t n = readlink(linkPath, path, sizeof path - 1);
        if (n > 0) {
            path[n] = '\0';
            fail = std::strcmp(path, target) == 0;
        }
    }
    const int rc = realClose(fd);
    if (fail) {
        errno = EIO;
        return -1;
    }
    return rc;
}

namespace {

class FailCloseOf {
  public:
    explicit FailCloseOf(const std::filesystem::path& path)
        : m_path(std::filesystem::canonical(path).string()) {
        g_failCloseOf = m_path.c_str();
    }
    ~FailCloseOf() { g_failCloseOf = nullptr; }

  private:
    std::string m_path;
};

Common::Protocol MarkedProtocol() {
    Common::Protocol protocol{};
    protocol.SilentChar = 99;
    return protocol;
}

Common::Binding MarkedBinding() {
    Common::Binding binding{};
    binding.BindType = Common::BindingType::Each;
    return binding;
}

std::filesystem::path TextFile(const TempFolder& folder) {
    auto path = folder / "notes.txt";
    std::ofstream(path) << "not a firmware image\n";
    return path;
}

}  // namespace

class ControllerFirmware : public ::testing::Test {
  protected:
    Tormel::Testing::TaskQueue m_queue;
    TempFolder m_folder;
};

TEST_F(ControllerFirmware, LoadReplacesLineNodeAndPacketRecordsButNotTheBindings) {
    const auto image = m_folder.Copy("rs485_v37.elf");
    PokeFile(image, "TormelParamsM$baudrate", 2, 192);
    PokeFile(image, "TormelParamsM$hundredOrder", 2, 1234);
    PokeFile(image, "TormelParamsM$silentChar", 1, 42);

    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    app.BindingConfig(MarkedBinding());
    Common::Nodeinfo node{};
    node.AESEncryptKey1 = 0xBEEF;  // never read from an image: must survive the load
    app.NodeinfoConfig(node);

    ASSERT_EQ(app.Load(image.string()), AppResult::Success);
    EXPECT_EQ(app.Status(), AppStatus::Idle);
    EXPECT_EQ(app.CommunicationConfig().BaudRate, 19200);
    EXPECT_EQ(app.CommunicationConfig().DataBits, 8);
    EXPECT_EQ(app.NodeinfoConfig().IdOffset, 1234u);
    EXPECT_EQ(app.ProtocolConfig().SilentChar, 42);
    EXPECT_EQ(app.BindingConfig(), MarkedBinding());
    // Fields the image does not carry come back as the editor holds them (zero when fresh).
    EXPECT_EQ(app.NodeinfoConfig().AESEncryptKey1, 0u);
}

TEST_F(ControllerFirmware, AFieldTheImageLacksIsAbsentWhateverImageCameBefore) {
    struct Case {
        const char* what;
        const char* before;  // loaded first, with one symbol set
        const char* symbol;
        uint64_t value;
        const char* image;  // then this one, which lacks that symbol
        std::function<bool(const TormelApp&)> absent;
    };
    const Case cases[] = {
        {"interface port USB, then version 36", "rs485_v37.elf", "TormelParamsM$intfport", 2, "rs485_v36.elf",
         [](const TormelApp& a) { return a.CommunicationConfig().IntfPort == 0; }},
        {"flow control RTS, then version 37", "rs485_v36.elf", "TormelParamsM$flowControl", 3,
         "rs485_v37.elf",
         [](const TormelApp& a) { return a.CommunicationConfig().FlowControl == Common::Handshake::None; }},
        {"check length 4, then version 37", "rs485_v36.elf", "TormelParamsM$chkCodeLen", 4, "rs485_v37.elf",
         [](const TormelApp& a) { return a.ProtocolConfig().CheckLength == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto before = m_folder.Copy(c.before);
        PokeFile(before, c.symbol, 1, c.value);
        TormelApp app(m_queue.Dispatcher());
        ASSERT_EQ(app.Init(), AppResult::Success);
        ASSERT_EQ(app.Load(before.string()), AppResult::Success);
        EXPECT_FALSE(c.absent(app)) << "the first image must set the field";
        ASSERT_EQ(app.Load(m_folder.Copy(c.image).string()), AppResult::Success);
        EXPECT_TRUE(c.absent(app));
    }
}

TEST_F(ControllerFirmware, LoadFailuresComeInTwoKindsAndLeaveTheRecordsAlone) {
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    app.ProtocolConfig(MarkedProtocol());
    const auto communication = app.CommunicationConfig();

    EXPECT_EQ(app.Load(TextFile(m_folder).string()), AppResult::ErrElfFormat);
    EXPECT_EQ(app.Load(pelnix::test::FixturePath("host64").string()), AppResult::ErrElfFormat);
    EXPECT_EQ(app.Load((m_folder / "missing.elf").string()), AppResult::ErrElfLoad);

    // Start and end marks equal: every value is read, yet the image is refused.
    const auto equalMarks = m_folder.Copy("rs485_v37.elf");
    PokeFile(equalMarks, "TormelParamsM$etxChar", 1, 0x02);
    EXPECT_EQ(app.Load(equalMarks.string()), AppResult::ErrElfLoad);

    // A load that went well but whose file would not close properly.
    const auto image = m_folder.Copy("rs485_v36.elf");
    {
        FailCloseOf failing(image);
        EXPECT_EQ(app.Load(image.string()), AppResult::ErrElfLoad);
    }
    EXPECT_EQ(app.ProtocolConfig(), MarkedProtocol());
    EXPECT_EQ(app.CommunicationConfig(), communication);
    EXPECT_EQ(app.Status(), AppStatus::Idle);

    // The editor is still usable after all of that.
    EXPECT_EQ(app.Load(image.string()), AppResult::Success);
    EXPECT_NE(app.ProtocolConfig(), MarkedProtocol());
}

TEST_F(ControllerFirmware, StoreWritesTheHeldRecordsWithTheImagesOwnBindType) {
    const auto image = m_folder.Copy("rs485_v37.elf");
    PokeFile(image, "TormelParamsM$bindType", 1, 2);
    TormelApp app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult::Success);
    ASSERT_EQ(app.Load(image.string()), AppResult::Success);

    auto communication = app.CommunicationConfig();
    communication.BaudRate = 115200;
    app.CommunicationConfig(communication);
    auto node = app.NodeinfoConfig();
    node.IdOffset = 77;
    node.AESEncryptType = Common::NodeinfoAESEncryptType::AES128;  // written, never read back
    app.NodeinfoConfig(node);
    Common::Binding binding{};
    binding.BindType = Common::BindingType::Group;
    app.BindingConfig(binding);

    const auto target = m_folder / "copy.elf";
    std::filesystem::copy_file(image, target);
    ASSERT_EQ(app.Store(target.string()), AppResult::Success);
    const auto bytes = ReadBytes(target);
    EXPECT_EQ(Peek(bytes, "TormelParamsM$baudrate", 2), 1152u);
    EXPECT_EQ(Peek(bytes, "TormelParamsM$hundredOrder", 2), 77u);
    EXPECT_EQ(Peek(bytes, "TormelParamsM$bindType", 1), 2u)
        << "the controller's bindings never reach the image";

    EXPECT_EQ(app.Store(TextFile(m_folder).string()), AppResult::ErrElfFormat);
    EXPECT_EQ(app.Store((m_folder / "missing.elf").string()), AppResult::ErrElfStore);
    communication.BaudRate = 1234;  // no encoding in the image
    app.CommunicationConfig(communication);
    EXPECT_EQ(app.Store(target.string()), AppResult::ErrElfStore);
    {
        FailCloseOf failing(image);
        communication.BaudRate = 9600;
        app.CommunicationConfig(communication);
        EXPECT_EQ(app.Store(image.string()), AppResult::ErrElfStore);
    }
    EXPECT_EQ(app.Status(), AppStatus::Idle);
}

TEST_F(ControllerFirmware, ContactUnitLoadBringsZeroFilledRadioAndContactRecordsFromAFreshEditor) {
    const auto image = m_folder.Copy("rs485_v37.elf");
    PokeFile(image, "TormelParamsM$awt", 2, 25);
    TormelApp_TX330 app(m_queue.Dispatcher());
    ASSERT_EQ(app.Init(), AppResult_TX330::Success);
    Common::Wirelessinfo radio{};
    radio.Ch = static_cast<Common::WirelessinfoCh>(40);
    app.WirelessConfig(radio);
    Common::Didoinfo dido{};
    dido.DoOffDelay = static_cast<Common::DidoinfoDoOffDelay>(100);
    app.DidoConfig(dido);

    ASSERT_EQ(app.Load(image.string()), AppResult_TX330::Success);
    EXPECT_EQ(app.CommunicationConfig().Awt, 25);
    EXPECT_EQ(app.WirelessConfig(), Common::Wirelessinfo{});
    EXPECT_EQ(app.DidoConfig(), Common::Didoinfo{});

    // An answer wait time the unit cannot have: refused, records untouched.
    app.WirelessConfig(radio);
    const auto communication = app.CommunicationConfig();
    PokeFile(image, "TormelParamsM$awt", 2, 26);
    EXPECT_EQ(app.Load(image.string()), AppResult_TX330::ErrElfLoad);
    EXPECT_EQ(app.WirelessConfig(), radio);
    EXPECT_EQ(app.CommunicationConfig(), communication);
    EXPECT_EQ(app.Load(TextFile(m_folder).string()), AppResult_TX330::ErrElfFormat);

    // Store hands all four records to the editor; the image takes the line settings.
    auto line = app.CommunicationConfig();
    line.Awt = 300;
    app.CommunicationConfig(line);
    auto node = app.NodeinfoConfig();
    node.AESEncryptType = Common::NodeinfoAESEncryptType::AES256;
    app.NodeinfoConfig(node);
    ASSERT_EQ(app.Store(image.string()), AppResult_TX330::Success);
    EXPECT_EQ(Peek(ReadBytes(image), "TormelParamsM$awt", 2), 300u);
}

TEST_F(ControllerFirmware, FileWorkNeedsAnInitialisedIdleController) {
    const auto image = m_folder.Copy("rs485_v37.elf");
    TormelApp app(m_queue.Dispatcher());
    EXPECT_EQ(app.Load(image.string()), AppResult::ErrStatus);
    EXPECT_EQ(app.Store(image.string()), AppResult::ErrStatus);
    ASSERT_EQ(app.Init(), AppResult::Success);
    ASSERT_EQ(app.End(), AppResult::Success);
    EXPECT_EQ(app.Load(image.string()), AppResult::ErrStatus);
}
