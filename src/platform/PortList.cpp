// SPDX-License-Identifier: MIT
// Port listing: the real serial devices the kernel knows (sysfs), plus the virtual ports that
// simulators and pty tools register as symbolic links in a per-user folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/SerialPort.h"
#include "platform/TermiosLine.h"

namespace fs = std::filesystem;

namespace Tormel::Platform {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// One sysfs attribute, its trailing newline removed; nothing when it cannot be read.
std::optional<std::string> ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string value;
    if (!in || !std::getline(in, value)) return std::nullopt;
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
    return value;
}

// The UART type the serial core publishes for a port (0: no UART), without opening the
// device: an open raises DTR and RTS on real hardware, and the close drops them again, which a
// modem or a PLC on that port would take as a signal.
std::optional<bool> SysfsKnowsUart(const fs::path& ttyFolder) {
    const auto text = ReadAttribute(ttyFolder / "type");
    if (!text || text->empty()) return std::nullopt;
    int type = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), type);
    if (error != std::errc() || end != text->data() + text->size()) return std::nullopt;
    return type != 0;
}

// The driver registers ttyS ports whether or not a UART answers there; only a port whose
// UART type the driver recognised is a real one.
bool DriverKnowsUart(const std::string& devicePath) {
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool known = HasKnownUart(fd);
    ::close(fd);
    return known;
}

// True if the folder may hold port links: ours, and nobody else can add or swap entries.
bool IsSafeFolder(const std::string& folder, std::string* why) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        if (why) *why = folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (why) *why = folder + ": not a folder";
        return false;
    }
    if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH))) {
        if (why) *why = folder + ": belongs to another user or others may write to it";
        return false;
    }
    const std::string parent = fs::path(folder).parent_path().string();
    struct stat up {};
    if (!parent.empty() && ::stat(parent.c_str(), &up) == 0) {
        const bool ownerOk = up.st_uid == ::geteuid() || up.st_uid == 0;
        const bool writeOk = !(up.st_mode & (S_IWGRP | S_IWOTH)) || (up.st_mode & S_ISVTX);
        if (!ownerOk || !writeOk) {
            if (why) *why = parent + ": others may replace the port folder";
            return false;
        }
    }
    return true;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && IsDigit(a[ei])) ++ei;
            while (ej < b.size() && IsDigit(b[ej])) ++ej;
            // Compare the values without converting: skip leading zeros, then length, then digits.
            std::size_t si = i;
            std::size_t sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            const std::string_view da = a.substr(si, ei - si);
            const std::string_view db = b.substr(sj, ej - sj);
            if (da.size() != db.size()) return da.size() < db.size();
            if (da != db) return da < db;
            // Equal values: fewer leading zeros first, so the order stays total.
            if (ei - i != ej - j) return ei - i < ej - j;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::string VirtualPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/pelnix-config/ports";
    return "/tmp/pelnix-config-" + std::to_string(::geteuid()) + "/ports";
}

SerialResult EnsurePrivateFolder(const std::string& folder) {
    if (folder.empty()) return SerialResult{SerialStatus::InvalidSetting, EINVAL, "No folder given"};
    // Create missing components one by one, each private to us.
    fs::path path;
    for (const auto& part : fs::path(folder)) {
        path /= part;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            const int error = errno;
            return SerialResult{SerialStatus::Error, error, path.string() + ": " + std::strerror(error)};
        }
    }
    std::string why;
    if (!IsSafeFolder(folder, &why)) return SerialResult{SerialStatus::Error, EPERM, why};
    return SerialResult::Success();
}

std::vector<std::string> ListSerialPortNames(const PortListOptions& options) {
    std::vector<std::string> names;
    std::error_code ec;

    for (fs::directory_iterator it(options.SysfsTtyRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Virtual terminals, the console and ptys have no device behind them.
        if (!fs::exists(fs::symlink_status(it->path() / "device", ec))) continue;
        const std::string devicePath = options.DevRoot + "/" + name;
        if (StartsWith(name, "ttyS")) {
            // Asking the driver means opening the device: only where sysfs does not tell.
            std::optional<bool> known = SysfsKnowsUart(it->path());
            if (!known)
                known = options.UartProbe ? options.UartProbe(devicePath) : DriverKnowsUart(devicePath);
            if (!*known) continue;
        }
        names.push_back(devicePath);
    }

    const std::string folder =
        options.VirtualPortFolder.empty() ? VirtualPortFolder() : options.VirtualPortFolder;
    ec.clear();
    if (IsSafeFolder(folder, nullptr)) {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->is_symlink(ec)) names.push_back(it->path().string());
        }
    }

    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    return names;
}

}  // namespace Tormel::Platform
