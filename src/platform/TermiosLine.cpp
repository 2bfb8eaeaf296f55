// SPDX-License-Identifier: MIT
// Every termios and tty ioctl of the serial-port service lives here, on the kernel's own
// structures: termios2 with BOTHER is the only way to set 76800 bit/s. <termios.h> must not
// be included in this file (its struct termios differs from the kernel's).
#include "platform/TermiosLine.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <iterator>

namespace Tormel::Platform {
namespace {

struct RateCode {
    int32_t rate;
    uint32_t code;
};

constexpr RateCode kRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

SerialResult Failure(SerialStatus status, int error, std::string message) {
    return SerialResult{status, error, std::move(message)};
}

SerialResult FromErrno(int error) {
    const SerialStatus status = (error == EIO || error == ENXIO) ? SerialStatus::HungUp : SerialStatus::Error;
    return Failure(status, error, std::strerror(error));
}

uint32_t SpeedBits(int32_t rate, uint32_t& speed) {
    for (const auto& entry : kRates) {
        if (entry.rate == rate) {
            speed = static_cast<uint32_t>(rate);
            return entry.code;
        }
    }
    speed = static_cast<uint32_t>(rate);
    return BOTHER;
}

int32_t RateOf(uint32_t code, uint32_t speed) {
    if (code == BOTHER) return static_cast<int32_t>(speed);
    for (const auto& entry : kRates) {
        if (entry.code == code) return entry.rate;
    }
    return 0;  // B0: hung up
}

}  // namespace

SerialResult BuildTermiosRequest(const SerialSettings& settings, TermiosRequest& request) {
    request = TermiosRequest{};
    if (settings.BaudRate <= 0) {
        return Failure(SerialStatus::InvalidSetting, EINVAL,
                       "Bit rate " + std::to_string(settings.BaudRate) + " is not possible");
    }
    uint32_t cflag = CREAD | CLOCAL;
    switch (settings.DataBits) {
        case 7:
            cflag |= CS7;
            break;
        case 8:
            cflag |= CS8;
            break;
        default:
            return Failure(SerialStatus::InvalidSetting, EINVAL,
                           std::to_string(settings.DataBits) + " data bits are not supported");
    }
    switch (settings.Parity) {
        case Parity::None:
            break;
        case Parity::Odd:
            cflag |= PARENB | PARODD;
            break;
        case Parity::Even:
            cflag |= PARENB;
            break;
        // Stick parity: with CMSPAR, PARODD selects mark and its absence space.
        case Parity::Mark:
            cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::Space:
            cflag |= PARENB | CMSPAR;
            break;
        default:
            return Failure(SerialStatus::InvalidSetting, EINVAL, "Unknown parity");
    }
    switch (settings.StopBits) {
        case StopBits::One:
            break;
        case StopBits::Two:
            cflag |= CSTOPB;
            break;
        default:
            return Failure(SerialStatus::InvalidSetting, EINVAL, "Only one or two stop bits are supported");
    }
    if (settings.Handshake != Handshake::None) {
        return Failure(SerialStatus::InvalidSetting, EINVAL, "Flow control is not supported");
    }
    uint32_t speed = 0;
    const uint32_t code = SpeedBits(settings.BaudRate, speed);
    // The input rate follows the output rate when the CIBAUD field is zero, but termios2
    // with BOTHER reads c_ispeed, so both are given.
    cflag |= code | (code << IBSHIFT);
    request.cflag = cflag;
    request.iflag = 0;  // no input translation, no software flow control, no parity marking
    request.oflag = 0;  // no output processing
    request.lflag = 0;  // no canonical mode, no echo, no signals
    request.vmin = 1;
    request.vtime = 0;
    request.ispeed = speed;
    request.ospeed = speed;
    return SerialResult::Success();
}

SerialResult ApplyTermiosRequest(int fd, const TermiosRequest& request) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return FromErrno(errno);
    tio.c_iflag = request.iflag;
    tio.c_oflag = request.oflag;
    tio.c_cflag = request.cflag;
    tio.c_lflag = request.lflag;
    tio.c_cc[VMIN] = request.vmin;
    tio.c_cc[VTIME] = request.vtime;
    tio.c_ispeed = request.ispeed;
    tio.c_ospeed = request.ospeed;
    if (ioctl(fd, TCSETS2, &tio) != 0) return FromErrno(errno);
    return SerialResult::Success();
}

SerialResult ReadBackLineSettings(int fd, LineReadback& line) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return FromErrno(errno);
    line.BaudRate = RateOf(tio.c_cflag & CBAUD, tio.c_ospeed);
    switch (tio.c_cflag & CSIZE) {
        case CS5:
            line.DataBits = 5;
            break;
        case CS6:
            line.DataBits = 6;
            break;
        case CS7:
            line.DataBits = 7;
            break;
        default:
            line.DataBits = 8;
            break;
    }
    if (!(tio.c_cflag & PARENB)) {
        line.Parity = Parity::None;
    } else if (tio.c_cflag & CMSPAR) {
        line.Parity = (tio.c_cflag & PARODD) ? Parity::Mark : Parity::Space;
    } else {
        line.Parity = (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    }
    line.StopBits = (tio.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    return SerialResult::Success();
}

SerialResult SetRawLine(int fd, int32_t baudRate) {
    SerialSettings settings;
    settings.BaudRate = baudRate;
    TermiosRequest request;
    if (auto built = BuildTermiosRequest(settings, request); !built.ok()) return built;
    return ApplyTermiosRequest(fd, request);
}

SerialResult FlushQueue(int fd, int queue) {
    const int selector = queue == 0 ? TCIFLUSH : queue == 1 ? TCOFLUSH : TCIOFLUSH;
    if (ioctl(fd, TCFLSH, selector) != 0) return FromErrno(errno);
    return SerialResult::Success();
}

SerialResult SetExclusive(int fd, bool exclusive) {
    if (ioctl(fd, exclusive ? TIOCEXCL : TIOCNXCL) != 0) return FromErrno(errno);
    return SerialResult::Success();
}

bool HasKnownUart(int fd) {
    struct serial_struct info {};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    return info.type != PORT_UNKNOWN;
}

}  // namespace Tormel::Platform
