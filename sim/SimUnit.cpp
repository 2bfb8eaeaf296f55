// SPDX-License-Identifier: MIT
#include "sim/SimUnit.h"

#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"

namespace Pelnix::Sim {

SimUnit::SimUnit(UnitState initial) : m_state(initial), m_factory(std::move(initial)) {}

std::vector<Reply> SimUnit::Handle(const std::string& request) {
    if (m_state.family == UnitFamily::Tx330) return HandleTx330(m_state, m_factory, request);
    return HandleRs485(m_state, m_factory, request);
}

}  // namespace Pelnix::Sim
