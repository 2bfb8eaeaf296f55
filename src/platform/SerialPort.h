// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "domain/common/SerialLine.h"

namespace Tormel::Platform {

using Domain::Common::Handshake;
using Domain::Common::Parity;
using Domain::Common::StopBits;

// How the PC side of a serial line is set up before it is opened.
struct SerialSettings {
    std::string PortName;
    int32_t BaudRate = 9600;
    int32_t DataBits = 8;
    Domain::Common::Parity Parity = Domain::Common::Parity::None;
    Domain::Common::StopBits StopBits = Domain::Common::StopBits::One;
    Domain::Common::Handshake Handshake = Domain::Common::Handshake::None;
    int ReadTimeoutMs = 2000;
    int WriteTimeoutMs = 2000;
    std::string NewLine = "\r\n";
};

enum class SerialStatus : int32_t {
    Ok = 0,
    TimedOut,        // nothing (or no complete line) arrived before the deadline
    NotOpen,         // the port was not open when the call started
    Closed,          // the port was closed by another thread while the call waited
    HungUp,          // the device went away (unplugged, pty master closed)
    InvalidSetting,  // a setting the port cannot take (unknown bit rate, 5 data bits, ...)
    Error,           // any other system failure; see errorNumber and message
};

// Outcome of one port call, with the OS detail captured where it happened.
struct SerialResult {
    SerialStatus status = SerialStatus::Ok;
    int errorNumber = 0;  // errno of the failing call, 0 if none
    std::string message;  // human-readable reason, e.g. "Permission denied"

    bool ok() const { return status == SerialStatus::Ok; }
    static SerialResult Success() { return {}; }
};

// The serial-port service the command link talks through. Open, Close and IsOpen may be
// called from any thread; the other calls come from one thread at a time. Close while a
// ReadLine waits makes that read return Closed at once.
class ISerialPort {
  public:
    virtual ~ISerialPort() = default;

    virtual SerialResult Open(const SerialSettings& settings) = 0;
    virtual SerialResult Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual SerialResult DiscardInBuffer() = 0;
    virtual SerialResult DiscardOutBuffer() = 0;

    // Writes text followed by the line terminator.
    virtual SerialResult WriteLine(std::string_view text) = 0;
    // Reads up to the line terminator (not included) within the read time-out.
    virtual SerialResult ReadLine(std::string& line) = 0;
};

// The termios implementation of the service.
std::unique_ptr<ISerialPort> CreateSerialPort();

// Where to look for ports; tests point these at their own trees.
struct PortListOptions {
    std::string SysfsTtyRoot = "/sys/class/tty";
    std::string DevRoot = "/dev";
    std::string VirtualPortFolder;  // empty: VirtualPortFolder()
    // Decides whether a ttyS device has a UART behind it where sysfs publishes no UART type
    // (`<tty>/type`, 0 for none); empty: ask the driver (TIOCGSERIAL), which opens the device.
    // The 8250 driver registers ports without hardware, and those must not be listed.
    std::function<bool(const std::string& devicePath)> UartProbe;
};

// Names of the serial ports (openable paths), real devices plus virtual ports, in natural order.
std::vector<std::string> ListSerialPortNames(const PortListOptions& options = {});

// $XDG_RUNTIME_DIR/pelnix-config/ports, or /tmp/pelnix-config-<uid>/ports without that variable.
std::string VirtualPortFolder();

// Creates the folder (and its parents) private to the current user if missing. Fails with a
// message when it exists but belongs to another user or others may write to it: links planted
// there would send the tool's requests to a device of someone else's choosing.
SerialResult EnsurePrivateFolder(const std::string& folder);

// Natural order of port names: digit runs compare by value (ttyS2 before ttyS10).
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace Tormel::Platform
