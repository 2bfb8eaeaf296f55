// SPDX-License-Identifier: MIT
#pragma once

// What the system says about a serial device around a scan: who owns it and who may open it,
// whether this user can open it right now, which other programs hold it open, and what tells
// one plugging of a port from the next. The words for the user (the fix to suggest, the
// holder's description) are the settings model's; this is the Linux side of it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tormel::Platform {

// The owner, group and permission bits of a device, links followed.
struct DeviceOwnership {
    uint32_t UserId = 0;
    uint32_t GroupId = 0;
    std::string UserName;      // empty where the user database has no entry for UserId
    std::string GroupName;     // empty where the group database has no entry for GroupId
    uint32_t Permissions = 0;  // read, write and execute for owner, group and others (0660, ...)

    // Whether members of the group may both read and write it, which opening a port takes.
    bool GroupMayReadWrite() const { return (Permissions & 060) == 060; }
};

// Nothing when `device` does not exist (any more), or a link leads nowhere.
std::optional<DeviceOwnership> OwnershipOf(const std::string& device);

enum class DeviceOpenStatus {
    Opens,             // this user may open it for reading and writing now
    PermissionDenied,  // EACCES, EPERM: the device's owner, group or mode keep this user out
    Busy,              // EBUSY: another program holds it alone
    Gone,              // ENOENT, ENODEV, ENXIO: nothing there, or no hardware behind it
    NotSerial,         // it opens, but it is no terminal device, so no serial line to set up
    Failed,            // any other reason; see errorNumber and message
};

struct DeviceOpenResult {
    DeviceOpenStatus status = DeviceOpenStatus::Opens;
    int errorNumber = 0;  // errno of the failed open (ENOTTY for NotSerial), 0 if it opened
    std::string message;  // the system's text for errorNumber; empty if it opened
};

// Opens `device` for reading and writing as the serial port does (never as the controlling
// terminal, without waiting for a carrier) and closes it again at once. On real hardware the
// open raises DTR and RTS for that moment, as any terminal program's does.
DeviceOpenResult TryOpen(const std::string& device);

// A process that holds a device open.
struct DeviceHolder {
    int Pid = 0;
    std::string Name;  // the executable's name as the kernel keeps it (15 bytes at most)
};

// The processes other than this one that have `device` open, in the order /proc lists them.
// On a pseudo-terminal, a process that also holds its master side is the program at the other
// end of the line (a terminal, a simulated unit), not one competing for the port, and is left
// out. Empty for a device that does not exist.
std::vector<DeviceHolder> HoldersOf(const std::string& device);

// What tells one plugging of a port from the next: the link or node at the path and the
// device it leads to, each made anew when a unit is plugged in; a link's change time too, as a
// freed inode number is soon given to the next link. A change of the device's owner or mode
// changes nothing here. All zero for a missing part.
struct PortIdentity {
    uint64_t Node = 0;
    int64_t NodeChangedNs = 0;  // of a link only
    uint64_t Device = 0;
    uint64_t DeviceNumber = 0;  // major and minor of the device the path leads to
    bool operator==(const PortIdentity&) const = default;
};

PortIdentity IdentityOf(const std::string& port);

// The USB adapter a serial port hangs off, as sysfs tells it; each attribute as its file holds
// it (the first line), nothing where the adapter does not publish one.
struct UsbAdapter {
    std::optional<std::string> VendorId;
    std::optional<std::string> ProductId;
    std::optional<std::string> Manufacturer;
    std::optional<std::string> Product;
    std::optional<std::string> SerialNumber;
    // The bus and the address the adapter got when it was plugged in: a new address is a new
    // plugging, even of the same adapter.
    std::optional<std::string> BusNumber;
    std::optional<std::string> DeviceAddress;
};

// The nearest device above the port's tty device that carries a USB vendor id; nothing for a
// port that is not on USB, a virtual port, or one that is gone. `sysfsTtyRoot` lets a test
// point it at a tree of its own.
std::optional<UsbAdapter> UsbAdapterOf(const std::string& device,
                                       const std::string& sysfsTtyRoot = "/sys/class/tty");

}  // namespace Tormel::Platform
