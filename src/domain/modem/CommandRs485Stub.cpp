// SPDX-License-Identifier: MIT
// Temporary stand-ins for the RS485 parameter commands until CommandRs485.cpp lands; that
// change removes this file.
#include "domain/modem/Command.h"

namespace Tormel::Domain::Modem {

bool Command::GetAllParam() { return true; }

CommandResult Command::Write() {
    m_result.clear();
    return CommandResult::ErrStatus;
}

CommandResult Command::InitWrite() {
    m_result.clear();
    return CommandResult::ErrStatus;
}

}  // namespace Tormel::Domain::Modem
