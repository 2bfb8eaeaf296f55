// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "domain/common/Communication.h"
#include "domain/modem/CommandResult.h"

namespace Tormel::Domain::Modem {

// What one port gave a scan, decided from what happened on it (never from the trace).
enum class PortVerdict : int32_t {
    NotTried = 0,    // the scan ended before it reached this port (a unit found, a stop)
    Silent = 1,      // opened; nothing came back that tells of a unit
    Garbage = 2,     // opened; the first reply was not the handshake's, and none followed
    Answered = 3,    // a unit answered the handshake, then its name or more, in time or late
    OpenFailed = 4,  // the port could not be opened (the last attempt's errno says why)
    HungUp = 5,      // a unit answered the handshake, then the port went away
};

// One open of the port: the line it was tried at and how the open went.
struct OpenAttempt {
    Common::Communication Line{};
    bool Opened = false;
    int ErrorNumber = 0;  // a failed open: errno of the failing call
    std::string Error;    // ... and the system's text for it

    bool operator==(const OpenAttempt&) const = default;
};

struct PortFacts {
    std::string PortName;
    std::vector<OpenAttempt> Attempts;  // in the order tried
    PortVerdict Verdict = PortVerdict::NotTried;
    // Garbage: the first line that came back. Answered without the scan ending here: the first
    // line after the handshake (a late reply, e.g. the unit's name).
    std::string FirstReply;
    bool Handshake = false;  // an "ok" came back on this port
    // Set when the scan ended on this port: its result, and the unit's name and version replies.
    std::optional<CommandResult> Result;
    std::string Name;
    std::string Version;

    // The last failed open, if any attempt failed.
    const OpenAttempt* FailedOpen() const {
        for (auto it = Attempts.rbegin(); it != Attempts.rend(); ++it)
            if (!it->Opened) return &*it;
        return nullptr;
    }
};

// One scan: every port in its window, in the order the scan takes them (the last listed port
// first), each with what it gave.
struct ScanFacts {
    uint64_t Sequence = 0;  // counts the scans of the process; 0: no scan yet
    std::vector<PortFacts> Ports;
};

}  // namespace Tormel::Domain::Modem
