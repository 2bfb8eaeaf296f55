// SPDX-License-Identifier: MIT
// Port listing over a fake sysfs tree and a virtual-port folder of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/SerialPort.h"
#include "support/SimPty.h"

namespace fs = std::filesystem;
using namespace Tormel::Platform;

namespace {

// /sys/class/tty/<name>, with a `device` link for entries that have hardware behind them.
void AddTty(const fs::path& sysfs, const std::string& name, bool withDevice) {
    fs::create_directories(sysfs / name);
    if (withDevice) fs::create_directory_symlink("../../devices/fake/" + name, sysfs / name / "device");
}

}  // namespace

TEST(PortList, NaturalOrder) {
    std::vector<std::string> names = {"/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyS2",    "/dev/ttyACM1",
                                      "/dev/ttyS02", "/dev/ttyS1",   "/dev/ttyUSB10", "/dev/ttyUSB9"};
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return NaturalLess(a, b); });
    EXPECT_EQ(names,
              (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS02",
                                        "/dev/ttyS10", "/dev/ttyUSB0", "/dev/ttyUSB9", "/dev/ttyUSB10"}));
    EXPECT_FALSE(NaturalLess("ttyS2", "ttyS2"));
    EXPECT_TRUE(NaturalLess("ttyS", "ttyS0"));
    EXPECT_TRUE(NaturalLess("com99999999999999999999998", "com99999999999999999999999"));
}

TEST(PortList, RealDevicesAndVirtualPortsTogether) {
    Pelnix::Test::TempFolder root;
    const fs::path sysfs = fs::path(root.Path()) / "sys/class/tty";
    AddTty(sysfs, "tty0", false);  // a virtual terminal
    AddTty(sysfs, "console", false);
    AddTty(sysfs, "ttyUSB10", true);
    AddTty(sysfs, "ttyUSB2", true);
    AddTty(sysfs, "ttyACM0", true);
    AddTty(sysfs, "ttyS0", true);  // a UART answers here
    AddTty(sysfs, "ttyS1", true);  // registered by the driver, nothing behind it
    AddTty(sysfs, "ttyS10", true);

    const fs::path ports = fs::path(root.Path()) / "ports";
    ASSERT_TRUE(EnsurePrivateFolder(ports.string()).ok());
    fs::create_symlink("/dev/pts/98", ports / "sim10");
    fs::create_symlink("/dev/pts/99", ports / "sim9");  // dangling links are listed too
    std::ofstream((ports / "notes.txt").string()) << "not a port";

    PortListOptions options;
    options.SysfsTtyRoot = sysfs.string();
    options.DevRoot = "/dev";
    options.VirtualPortFolder = ports.string();
    std::vector<std::string> probed;
    options.UartProbe = [&](const std::string& path) {
        probed.push_back(path);
        return path != "/dev/ttyS1";
    };
    const auto names = ListSerialPortNames(options);
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS10", "/dev/ttyUSB2",
                                               "/dev/ttyUSB10", (ports / "sim9").string(),
                                               (ports / "sim10").string()}));
    std::sort(probed.begin(), probed.end());
    EXPECT_EQ(probed, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS10"}));

    // Without the probe each ttyS is asked of the driver; no device node, no port.
    options.UartProbe = nullptr;
    options.DevRoot = root.Path() + "/dev";
    const auto unprobed = ListSerialPortNames(options);
    EXPECT_EQ(std::count_if(unprobed.begin(), unprobed.end(),
                            [](const std::string& n) { return n.find("/ttyS") != std::string::npos; }),
              0);

    // Missing trees give an empty list, not an error.
    options.SysfsTtyRoot = (fs::path(root.Path()) / "nothing").string();
    options.VirtualPortFolder = (fs::path(root.Path()) / "nothing-either").string();
    EXPECT_TRUE(ListSerialPortNames(options).empty());
}

TEST(PortList, TtySPortsAreJudgedBySysfsAndOpenedOnlyWhereItIsSilent) {
    Pelnix::Test::TempFolder root;
    const fs::path sysfs = fs::path(root.Path()) / "sys/class/tty";
    struct Case {
        const char* name;
        const char* type;  // content of <tty>/type; nullptr: no such attribute
        bool listed;
        bool probed;
    };
    const Case cases[] = {
        {"ttyS0", "4\n", true, false},   // a 16550A
        {"ttyS1", "0\n", false, false},  // registered by the driver, no UART
        {"ttyS2", nullptr, true, true},  // an older kernel or another driver: ask it
        {"ttyS3", "unknown\n", false, true}, {"ttyS4", "", true, true},
        {"ttyUSB0", "0\n", true, false},  // only ttyS ports are judged by their UART type
    };
    for (const Case& c : cases) {
        AddTty(sysfs, c.name, true);
        if (c.type) std::ofstream((sysfs / c.name / "type").string()) << c.type;
    }
    PortListOptions options;
    options.SysfsTtyRoot = sysfs.string();
    options.VirtualPortFolder = root.Path() + "/no-ports";
    std::vector<std::string> probed;
    options.UartProbe = [&](const std::string& path) {
        probed.push_back(path);
        return path != "/dev/ttyS3";
    };
    const auto names = ListSerialPortNames(options);
    for (const Case& c : cases) {
        const std::string path = std::string("/dev/") + c.name;
        EXPECT_EQ(std::count(names.begin(), names.end(), path), c.listed ? 1 : 0) << c.name;
        EXPECT_EQ(std::count(probed.begin(), probed.end(), path), c.probed ? 1 : 0) << c.name;
    }
}

TEST(PortList, AFolderOthersCanWriteIsNotTrusted) {
    Pelnix::Test::TempFolder root;
    const std::string ports = root.Path() + "/ports";
    ASSERT_TRUE(EnsurePrivateFolder(ports).ok());
    EXPECT_EQ(fs::status(ports).permissions() & fs::perms::all, fs::perms::owner_all);
    fs::create_symlink("/dev/pts/97", ports + "/planted");
    ::chmod(ports.c_str(), 0777);
    PortListOptions options;
    options.SysfsTtyRoot = root.Path() + "/no-sysfs";
    options.VirtualPortFolder = ports;
    EXPECT_TRUE(ListSerialPortNames(options).empty());
    EXPECT_FALSE(EnsurePrivateFolder(ports).ok());
}

TEST(PortList, VirtualFolderFollowsTheRuntimeDirectory) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1234", 1);
    EXPECT_EQ(VirtualPortFolder(), "/run/user/1234/pelnix-config/ports");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(VirtualPortFolder(), "/tmp/pelnix-config-" + std::to_string(::geteuid()) + "/ports");
    if (saved) ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}
