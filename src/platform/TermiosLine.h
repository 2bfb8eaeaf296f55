// SPDX-License-Identifier: MIT
#pragma once

// Line settings of a Linux tty, kept apart from <termios.h>: the kernel's termios2 structure
// (needed for bit rates without a Bxxx constant, such as 76800) clashes with the C library's.
// Flag values are the kernel's, which are also those of <termios.h>.

#include <cstdint>

#include "platform/SerialPort.h"

namespace Tormel::Platform {

// The termios2 request that sets up a port: raw mode, no flow control, the given framing.
struct TermiosRequest {
    uint32_t iflag = 0;
    uint32_t oflag = 0;
    uint32_t cflag = 0;
    uint32_t lflag = 0;
    uint8_t vmin = 1;     // a read returns as soon as one byte is there ...
    uint8_t vtime = 0;    // ... without an inter-byte timer (the port's own deadline governs)
    uint32_t ispeed = 0;  // the bit rate itself, which the kernel reads where cflag says BOTHER
    uint32_t ospeed = 0;
};

// Builds the request for the settings. Fails with InvalidSetting (and a message naming the
// setting) for a bit rate <= 0, data bits other than 7 or 8, an unknown parity, stop bits
// other than One or Two, or any handshake but None.
SerialResult BuildTermiosRequest(const SerialSettings& settings, TermiosRequest& request);

// Applies a request to an open tty descriptor (TCSETS2).
SerialResult ApplyTermiosRequest(int fd, const TermiosRequest& request);

// What a tty is set to now. On a pty master this reads the slave's settings.
struct LineReadback {
    int32_t BaudRate = 0;
    int32_t DataBits = 0;
    Domain::Common::Parity Parity = Domain::Common::Parity::None;
    Domain::Common::StopBits StopBits = Domain::Common::StopBits::One;
};
SerialResult ReadBackLineSettings(int fd, LineReadback& line);

// Sets a tty to raw mode at the given rate with 8N1 (used by the simulator on its own side).
SerialResult SetRawLine(int fd, int32_t baudRate);

// tcflush equivalents: queue 0 = input, 1 = output, 2 = both.
SerialResult FlushQueue(int fd, int queue);

// Exclusive use of a tty (TIOCEXCL / TIOCNXCL).
SerialResult SetExclusive(int fd, bool exclusive);

// The UART type of a serial8250 port (TIOCGSERIAL); false if the ioctl fails or the type
// is unknown (a port the driver registered without hardware behind it).
bool HasKnownUart(int fd);

}  // namespace Tormel::Platform
