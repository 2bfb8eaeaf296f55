// SPDX-License-Identifier: MIT
#include "platform/DeviceAccess.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace Tormel::Platform {
namespace {

// The reentrant look-ups: a scan report may be told on a worker thread while the window
// thread looks up names of its own. A name that is not in the database is left empty.
std::string UserName(uid_t uid) {
    std::vector<char> buffer(1024);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        return error == 0 && found != nullptr ? std::string(found->pw_name) : std::string();
    }
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(1024);
    for (;;) {
        group entry{};
        group* found = nullptr;
        const int error = ::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        return error == 0 && found != nullptr ? std::string(found->gr_name) : std::string();
    }
}

int64_t Nanoseconds(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec; }

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The pty number of /dev/pts/<n>, or -1 for any other device.
int PtyIndex(const fs::path& device) {
    const std::string name = device.filename().string();
    if (device.parent_path() != "/dev/pts" || !AllDigits(name) || name.size() > 9) return -1;
    return std::atoi(name.c_str());
}

// Whether the process in `procDir` holds the master side of pty `index`.
bool HoldsPtyMaster(const fs::path& procDir, int index) {
    std::error_code ec;
    for (fs::directory_iterator fd(procDir / "fd", ec), end; !ec && fd != end; fd.increment(ec)) {
        std::error_code linkEc;
        const fs::path target = fs::read_symlink(fd->path(), linkEc);
        if (linkEc || (target != "/dev/ptmx" && target != "/dev/pts/ptmx")) continue;
        std::ifstream info(procDir / "fdinfo" / fd->path().filename());
        std::string line;
        while (std::getline(info, line)) {
            if (line.rfind("tty-index:", 0) == 0 && std::atoi(line.c_str() + 10) == index) return true;
        }
    }
    return false;
}

bool HoldsOpen(const fs::path& procDir, const fs::path& target) {
    std::error_code ec;
    for (fs::directory_iterator fd(procDir / "fd", ec), end; !ec && fd != end; fd.increment(ec)) {
        std::error_code linkEc;
        if (fs::read_symlink(fd->path(), linkEc) == target && !linkEc) return true;
    }
    return false;
}

// One sysfs attribute's first line; empty where the file is there but cannot be read.
std::optional<std::string> FirstLine(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return std::nullopt;
    std::ifstream in(file);
    std::string value;
    std::getline(in, value);
    return value;
}

}  // namespace

std::optional<DeviceOwnership> OwnershipOf(const std::string& device) {
    struct stat st {};
    if (device.empty() || ::stat(device.c_str(), &st) != 0) return std::nullopt;
    DeviceOwnership owner;
    owner.UserId = st.st_uid;
    owner.GroupId = st.st_gid;
    owner.UserName = UserName(st.st_uid);
    owner.GroupName = GroupName(st.st_gid);
    owner.Permissions = st.st_mode & 0777;
    return owner;
}

DeviceOpenResult TryOpen(const std::string& device) {
    int fd = -1;
    do {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        // The serial port refuses what is not a terminal; so does the answer here.
        const bool terminal = ::isatty(fd) == 1;
        ::close(fd);
        if (terminal) return {};
        return {DeviceOpenStatus::NotSerial, ENOTTY, "not a serial device"};
    }
    const int error = errno;
    DeviceOpenStatus status = DeviceOpenStatus::Failed;
    if (error == EACCES || error == EPERM) {
        status = DeviceOpenStatus::PermissionDenied;
    } else if (error == EBUSY) {
        status = DeviceOpenStatus::Busy;
    } else if (error == ENOENT || error == ENODEV || error == ENXIO) {
        status = DeviceOpenStatus::Gone;
    }
    return {status, error, std::strerror(error)};
}

std::vector<DeviceHolder> HoldersOf(const std::string& device) {
    std::vector<DeviceHolder> holders;
    std::error_code ec;
    if (device.empty()) return holders;
    const fs::path target = fs::canonical(device, ec);
    if (ec) return holders;
    const int pty = PtyIndex(target);
    const std::string self = std::to_string(::getpid());
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (!AllDigits(pid) || pid.size() > 9 || pid == self) continue;
        if (!HoldsOpen(it->path(), target) || (pty >= 0 && HoldsPtyMaster(it->path(), pty))) continue;
        std::string name;
        std::getline(std::ifstream(it->path() / "comm"), name);
        holders.push_back({std::atoi(pid.c_str()), name});
    }
    return holders;
}

PortIdentity IdentityOf(const std::string& port) {
    PortIdentity id;
    struct stat st {};
    if (port.empty()) return id;
    if (::lstat(port.c_str(), &st) == 0) {
        id.Node = st.st_ino;
        // A link is made anew with each plugging, and a freed inode number is soon given to
        // the next one: its change time tells them apart. A device node's own change time
        // moves with every chmod or chown (udev, a seat manager), which is no new unit.
        if (S_ISLNK(st.st_mode)) id.NodeChangedNs = Nanoseconds(st.st_ctim);
    }
    if (::stat(port.c_str(), &st) == 0) {
        id.Device = st.st_ino;
        id.DeviceNumber = st.st_rdev;
    }
    return id;
}

std::optional<UsbAdapter> UsbAdapterOf(const std::string& device, const std::string& sysfsTtyRoot) {
    const std::string name = fs::path(device).filename().string();
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    std::error_code ec;
    fs::path dir = fs::canonical(fs::path(sysfsTtyRoot) / name / "device", ec);
    if (ec) return std::nullopt;
    for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec)) continue;
        return UsbAdapter{FirstLine(dir / "idVendor"),     FirstLine(dir / "idProduct"),
                          FirstLine(dir / "manufacturer"), FirstLine(dir / "product"),
                          FirstLine(dir / "serial"),       FirstLine(dir / "busnum"),
                          FirstLine(dir / "devnum")};
    }
    return std::nullopt;
}

}  // namespace Tormel::Platform
