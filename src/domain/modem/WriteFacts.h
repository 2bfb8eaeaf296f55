// SPDX-License-Identifier: MIT
#pragma once

// Where a write to a unit stopped and what the unit had confirmed by then, as facts that the
// window and the command line each put in their own words. Nothing is rolled back on a unit:
// what it confirmed before a stop stays written, and a technician must be told.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/modem/TraceRecorder.h"

namespace Tormel::Domain::Modem {

enum class WriteStopKind : int32_t {
    NothingSent,  // the write ended before its first request (no port, no unit)
    NotSent,      // a value was refused before its request went out (the request it would make)
    Stopped,      // a stop was asked for (cancel, Ctrl+C); the request named was not sent
    HungUp,       // the unit's port went away after the request named (unplugged, powered off)
    NoReply,      // the request named went out and nothing answered it
    Refused,      // the unit answered the request named with something other than its confirmation
};

struct WriteStop {
    WriteStopKind kind = WriteStopKind::NothingSent;
    std::string request;  // the request line (as it was or would have been sent)
    std::string reply;    // Refused: the unit's answer
    std::string reason;   // HungUp: the system's words
};

struct WriteFacts {
    // The set requests ("~HODR=") the unit confirmed, once each, in the order written.
    std::vector<std::string> confirmed;
    // Where it stopped; nothing for a write that ran to its end.
    std::optional<WriteStop> stop;

    bool wasConfirmed(std::string_view setRequest) const;
    // Whether the set request `setRequest` ("~HODR=") reached the unit in a way that may have
    // changed it: confirmed, or sent and left without a clear refusal.
    bool mayHaveTaken(std::string_view setRequest) const;
};

// The facts of a write from the link's dialogue during it; `completed`: the write succeeded.
WriteFacts WriteFactsOf(const std::vector<TraceEntry>& dialogue, bool completed);

// Follows the link for the length of one write (start before, stop after) and tells its facts.
class WriteFollower {
  public:
    void start() { m_trace.start(); }
    void stop() { m_trace.stop(); }
    WriteFacts facts(bool completed) const { return WriteFactsOf(m_trace.entries(), completed); }
    const TraceRecorder& trace() const { return m_trace; }

  private:
    TraceRecorder m_trace;
};

}  // namespace Tormel::Domain::Modem
