// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sim/UnitState.h"

namespace Pelnix::Sim {

// One reply line of the unit, optionally sent after a delay (a unit busy resetting).
struct Reply {
    std::string line;
    int delayMs = 0;
};

// The unit's command interpreter: one request line in, the reply lines out. It knows
// nothing of ports; the pty server around it moves the bytes and injects faults.
// It never calls the tool's parsers: its replies are written here, independently.
class SimUnit {
  public:
    explicit SimUnit(UnitState initial);

    // Handles one request line (without its CR LF). An empty result means no answer.
    std::vector<Reply> Handle(const std::string& request);

    // The line settings the unit's UART runs at now; a request sent at other settings is
    // not understood.
    const UnitState& State() const { return m_state; }
    // Puts the unit's settings back as they were (a unit that forgot a change); the factory
    // state stays.
    void Restore(UnitState state) { m_state = std::move(state); }

  private:
    UnitState m_state;
    UnitState m_factory;
};

}  // namespace Pelnix::Sim
