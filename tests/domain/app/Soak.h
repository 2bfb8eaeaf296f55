// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "domain/common/UnitFamily.h"
#include "domain/modem/CommandTiming.h"

namespace Tormel::Testing::Soak {

using Tormel::Domain::Common::UnitFamily;

// What the simulated unit does wrong in one cycle. Each cycle is a connect-and-read and, when
// that succeeds, a write of a changed value and the bit rate toggled between 9600 and 19200.
enum class Fault {
    None,
    GarbageOnConnect,   // the first "~CONNECT?" gets a garbage line: the tool asks again
    SilentUnit,         // nothing answers: the scan tries every listed port
    EmptyReplyInRead,   // one query of the read answered by an empty line
    UnsupportedReply,   // the unit names a version (RS485) or a family (TX-330) the tool refuses
    HangUpInRead,       // the unit vanishes after a random number of lines of the read
    SilentInWrite,      // one request of the write gets no answer
    EmptyReplyInWrite,  // one request of the write answered by an empty line
    RefusalInWrite,     // one request of the write answered "invalid parameter"
    HangUpInWrite,      // the unit vanishes after a random number of lines of the write
    KeepsOldValue,      // the unit confirms the changed value but keeps the old one
    StoppedInWrite,     // the user stops the write at a random moment (Disconnect)
};
inline constexpr int kFaultCount = 12;
const char* Name(Fault fault);
const char* Name(UnitFamily family);

// What the process holds: open descriptors, threads, resident memory, and the part of the
// heap in use (what the program holds, apart from pages the allocator keeps for reuse).
struct Resources {
    int fds = 0;
    int threads = 0;
    long rssKiB = 0;
    long heapKiB = 0;
};
Resources Measure();

struct Cycle {
    int index = 0;
    Fault fault = Fault::None;
    // Empty when every operation ended with its right code, state and values.
    std::vector<std::string> failures;
    int operations = 0;  // background operations the cycle ran (1 to 3)
    double ms = 0;       // from the first call to the last completion handled
    // What the timing record lets the link wait on this cycle's dialogue: the pause after
    // every received line, one full read (all tries) per attempt given up and per
    // operation that lost the unit, the reopen delay of every reopen in a write and the radio change delays.
    double waitsMs = 0;
    Resources after;  // at the end of the cycle, the controller idle
};

struct Options {
    UnitFamily family = UnitFamily::Rs485;
    int cycles = 100;
    unsigned seed = 1;
    Domain::Modem::CommandTiming timing;
    // List the machine's own serial ports ahead of the unit, as the scan sees them on a user's
    // PC; otherwise the unit's port alone.
    bool machinePorts = false;
    // An operation whose completion has not come by then counts as hung.
    std::chrono::milliseconds hangLimit{30000};
    std::function<void(const Cycle&)> onCycle;  // after each cycle
};

struct Report {
    std::vector<std::string> ports;  // the port list of the first scan
    Resources start;                 // before the first cycle, controller and unit ready
    Resources end;                   // after the last cycle, threads settled
    std::vector<Cycle> cycles;
    bool aborted = false;  // an operation hung and could not be stopped
};

// Runs the cycles through the family's controller, its completions pumped on this thread as
// a window's event loop would, against a simulated unit on a pty. One controller serves all
// cycles, as one window kept open; a unit that hung up is plugged in again with the settings
// it had. The link's timing is set from the options and restored at the end.
Report RunCycles(const Options& options);

}  // namespace Tormel::Testing::Soak
