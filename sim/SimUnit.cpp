// SPDX-License-Identifier: MIT
#include "sim/SimUnit.h"

namespace Pelnix::Sim {

SimUnit::SimUnit(UnitState initial) : m_state(initial), m_factory(std::move(initial)) {}

std::vector<Reply> SimUnit::Handle(const std::string& request) {
    if (request == "~CONNECT?") return {{"ok"}};
    if (request == "~NAME?") return {{m_state.name}};
    if (request == "~VER?") return {{m_state.version}};
    return {{"unknown command"}};
}

}  // namespace Pelnix::Sim
