// SPDX-License-Identifier: MIT
// The device facts a scan report and the port listing give, from real files, links and ptys.
// Where a case is about an ordinary user's rights and the tests run as root, it runs in a
// child that has become "nobody".
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "PtyPair.h"
#include "platform/DeviceAccess.h"

namespace fs = std::filesystem;
using namespace Tormel::Platform;
using Pelnix::Test::PtyPair;

namespace {

constexpr uid_t kNobody = 65534;

class DeviceAccessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pelnix-device-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        // Others may look in, so that a child running as nobody reaches the files.
        fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    }
    void TearDown() override {
        for (const pid_t child : m_children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        fs::remove_all(m_dir);
    }

    std::string file(const std::string& name,
                     fs::perms mode = fs::perms::owner_read | fs::perms::owner_write) {
        const fs::path path = m_dir / name;
        std::ofstream(path) << "not a device";
        fs::permissions(path, mode);
        return path.string();
    }
    std::string link(const std::string& name, const std::string& target) {
        const fs::path path = m_dir / name;
        fs::create_symlink(target, path);
        return path.string();
    }

    // `sleep` with `in` as its input and `out` (if any) as its output: a program that holds
    // those open until the test ends. Returns once it runs as sleep.
    pid_t holder(int in, int out = -1) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::dup2(in, 0) < 0 || (out >= 0 && ::dup2(out, 1) < 0)) ::_exit(1);
            ::execlp("sleep", "sleep", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (child < 0) return child;
        m_children.push_back(child);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (std::string comm; comm != "sleep" && std::chrono::steady_clock::now() < deadline;) {
            ::poll(nullptr, 0, 5);
            std::getline(std::ifstream("/proc/" + std::to_string(child) + "/comm"), comm);
        }
        return child;
    }

    // `check` as an ordinary user: in a child that has become nobody when the tests run as
    // root. Returns what `check` returns (0 to 125), or -1 when the child failed otherwise.
    static int asOrdinaryUser(const std::function<int()>& check) {
        if (::geteuid() != 0) return check();
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(126);
            ::_exit(check());
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) >= 126)
            return -1;
        return WEXITSTATUS(status);
    }

    fs::path m_dir;
    std::vector<pid_t> m_children;
};

TEST_F(DeviceAccessTest, TryOpenTellsWhyADeviceDoesNotOpen) {
    PtyPair pty;
    const std::string plain = file("plain");
    struct Case {
        const char* what;
        std::string path;
        DeviceOpenStatus status;
        int error;
    };
    const Case cases[] = {
        {"a terminal", pty.SlavePath(), DeviceOpenStatus::Opens, 0},
        {"a link to a terminal", link("port", pty.SlavePath()), DeviceOpenStatus::Opens, 0},
        // A link in the port folder may lead anywhere; what is not a terminal has no line.
        {"a plain file", plain, DeviceOpenStatus::NotSerial, ENOTTY},
        {"a folder", m_dir.string(), DeviceOpenStatus::Failed, EISDIR},
        {"nothing there", (m_dir / "ttyUSB9").string(), DeviceOpenStatus::Gone, ENOENT},
        {"a link that leads nowhere", link("stale", (m_dir / "ttyUSB9").string()), DeviceOpenStatus::Gone,
         ENOENT},
        {"no name", "", DeviceOpenStatus::Gone, ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DeviceOpenResult r = TryOpen(c.path);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.errorNumber, c.error);
        EXPECT_EQ(r.message.empty(), c.error == 0) << r.message;
    }
    EXPECT_EQ(TryOpen(m_dir.string()).message, std::strerror(EISDIR));
}

TEST_F(DeviceAccessTest, TryOpenTellsAPortThisUserMayNotOpenFromOneHeldAlone) {
    // The owner alone may read and write it, and the owner is not this user (or nobody may).
    const std::string locked = file("ttyLocked");
    if (::geteuid() != 0) fs::permissions(locked, fs::perms::none);
    EXPECT_EQ(asOrdinaryUser([&] { return static_cast<int>(TryOpen(locked).status); }),
              static_cast<int>(DeviceOpenStatus::PermissionDenied));

    // A terminal that its holder asked to keep alone (TIOCEXCL), open to everyone otherwise.
    PtyPair pty;
    ASSERT_EQ(::chmod(pty.SlavePath().c_str(), 0666), 0);
    const int held = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::ioctl(held, TIOCEXCL), 0);
    EXPECT_EQ(asOrdinaryUser([&] { return static_cast<int>(TryOpen(pty.SlavePath()).status); }),
              static_cast<int>(DeviceOpenStatus::Busy));
    ::ioctl(held, TIOCNXCL);
    EXPECT_EQ(asOrdinaryUser([&] { return static_cast<int>(TryOpen(pty.SlavePath()).status); }),
              static_cast<int>(DeviceOpenStatus::Opens));
    ::close(held);
}

TEST_F(DeviceAccessTest, OwnershipFollowsLinksAndKeepsNumbersWithoutNames) {
    // A system device: root's, and anyone may read and write it.
    const auto null = OwnershipOf("/dev/null");
    ASSERT_TRUE(null);
    EXPECT_EQ(null->UserId, 0u);
    EXPECT_EQ(null->UserName, "root");
    EXPECT_EQ(null->Permissions, 0666u);
    EXPECT_TRUE(null->GroupMayReadWrite());

    const std::string device = file("ttyUSB0", fs::perms::owner_read | fs::perms::owner_write |
                                                   fs::perms::group_read | fs::perms::others_read);
    const auto viaLink = OwnershipOf(link("port", device));
    ASSERT_TRUE(viaLink);
    EXPECT_EQ(viaLink->UserId, ::geteuid());
    EXPECT_EQ(viaLink->GroupId, ::getegid());
    EXPECT_EQ(viaLink->Permissions, 0644u);
    EXPECT_FALSE(viaLink->GroupMayReadWrite());  // read alone does not open a port
    ASSERT_EQ(::chmod(device.c_str(), 02660), 0);
    EXPECT_EQ(OwnershipOf(device)->Permissions, 0660u);  // the set-group bit is no permission
    EXPECT_TRUE(OwnershipOf(device)->GroupMayReadWrite());

    for (const std::string& missing :
         {(m_dir / "gone").string(), link("stale", (m_dir / "gone").string()), std::string()})
        EXPECT_FALSE(OwnershipOf(missing)) << missing;

    // A group the system has no name for is still told by its number.
    const gid_t unnamed = 54321;
    if (::geteuid() == 0 && ::getgrgid(unnamed) == nullptr) {
        ASSERT_EQ(::chown(device.c_str(), static_cast<uid_t>(-1), unnamed), 0);
        const auto owner = OwnershipOf(device);
        ASSERT_TRUE(owner);
        EXPECT_EQ(owner->GroupId, unnamed);
        EXPECT_EQ(owner->GroupName, "");
    }
}

TEST_F(DeviceAccessTest, HoldersAreOtherProgramsButNotTheOtherEndOfALine) {
    const std::string device = file("ttyUSB0");
    const int mine = ::open(device.c_str(), O_RDONLY | O_CLOEXEC);  // this process never counts
    ASSERT_GE(mine, 0);
    EXPECT_TRUE(HoldersOf(device).empty());
    const pid_t sleeper = holder(mine);
    ASSERT_GT(sleeper, 0);
    for (const std::string& name : {device, link("port", device)}) {
        const std::vector<DeviceHolder> holders = HoldersOf(name);
        ASSERT_EQ(holders.size(), 1u) << name;
        EXPECT_EQ(holders[0].Pid, sleeper);
        EXPECT_EQ(holders[0].Name, "sleep");
    }
    ::close(mine);

    // One program on the line's device side competes for the port; one that also holds the
    // master side is the line's other end (a simulated unit, a terminal).
    PtyPair competed;
    PtyPair served;
    const int competedSlave = ::open(competed.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const int servedSlave = ::open(served.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(competedSlave, 0);
    ASSERT_GE(servedSlave, 0);
    const pid_t competitor = holder(competedSlave);
    ASSERT_GT(holder(servedSlave, served.Master()), 0);
    ASSERT_EQ(HoldersOf(competed.SlavePath()).size(), 1u);
    EXPECT_EQ(HoldersOf(competed.SlavePath())[0].Pid, competitor);
    EXPECT_TRUE(HoldersOf(served.SlavePath()).empty());
    ::close(competedSlave);
    ::close(servedSlave);

    EXPECT_TRUE(HoldersOf((m_dir / "gone").string()).empty());
    EXPECT_TRUE(HoldersOf("").empty());
}

TEST_F(DeviceAccessTest, IdentityChangesWhenTheLinkOrItsDeviceIsMadeAnew) {
    PtyPair first;
    PtyPair second;
    const std::string port = link("unit", first.SlavePath());
    const PortIdentity before = IdentityOf(port);
    EXPECT_NE(before.Node, 0u);
    EXPECT_NE(before.Device, 0u);
    EXPECT_NE(before.DeviceNumber, 0u);
    EXPECT_EQ(IdentityOf(port), before);  // looking does not change it
    // A new owner or mode (udev, a seat manager) is the same unit still plugged.
    ASSERT_EQ(::chmod(first.SlavePath().c_str(), 0600), 0);
    ASSERT_EQ(::chmod(first.SlavePath().c_str(), 0620), 0);
    EXPECT_EQ(IdentityOf(port), before);

    // The unit unplugged and plugged in again: the same name, a new link to a new device.
    fs::remove(port);
    link("unit", second.SlavePath());
    const PortIdentity after = IdentityOf(port);
    EXPECT_NE(after, before);
    EXPECT_NE(after.DeviceNumber, before.DeviceNumber);

    // Nothing there, or a link that leads nowhere: only what exists is told.
    EXPECT_EQ(IdentityOf((m_dir / "gone").string()), PortIdentity{});
    const PortIdentity stale = IdentityOf(link("stale", (m_dir / "gone").string()));
    EXPECT_NE(stale.Node, 0u);
    EXPECT_EQ(stale.Device, 0u);
    EXPECT_EQ(stale.DeviceNumber, 0u);
}

TEST_F(DeviceAccessTest, UsbAdapterIsTheNearestDeviceAboveTheTtyWithAVendorId) {
    // A sysfs tree of its own: an FTDI adapter with no product string, and a built-in port.
    const fs::path adapter = m_dir / "devices/pci0/usb1/1-1";
    const fs::path ttyDevice = adapter / "1-1:1.0/ttyUSB0";
    fs::create_directories(ttyDevice);
    fs::create_directories(m_dir / "devices/platform/serial8250/tty/ttyS0");
    for (const auto& [name, value] : {std::pair{"idVendor", "0403\n"}, std::pair{"idProduct", "6001\n"},
                                      std::pair{"manufacturer", "FTDI\n"}, std::pair{"serial", "A1 B2\n"}})
        std::ofstream(adapter / name) << value;
    std::ofstream(ttyDevice / "idVendor.bak") << "ffff\n";  // only the attribute's own name counts
    const fs::path tty = m_dir / "class/tty";
    for (const char* name : {"ttyUSB0", "ttyS0", "tty1"}) fs::create_directories(tty / name);
    fs::create_directory_symlink(ttyDevice, tty / "ttyUSB0/device");
    fs::create_directory_symlink(m_dir / "devices/platform/serial8250/tty/ttyS0", tty / "ttyS0/device");

    const auto usb = UsbAdapterOf("/dev/ttyUSB0", tty.string());
    ASSERT_TRUE(usb);
    EXPECT_EQ(usb->VendorId, "0403");
    EXPECT_EQ(usb->ProductId, "6001");
    EXPECT_EQ(usb->Manufacturer, "FTDI");
    EXPECT_EQ(usb->Product, std::nullopt);
    EXPECT_EQ(usb->SerialNumber, "A1 B2");

    // Not on USB, no device behind it, not a tty at all, or a name that climbs out of the tree.
    for (const char* port : {"/dev/ttyS0", "/dev/tty1", "/dev/ttyACM7",
                             "/run/user/0/pelnix-config/ports/unit", "", "/", "/dev/.."})
        EXPECT_FALSE(UsbAdapterOf(port, tty.string())) << port;
}

}  // namespace
