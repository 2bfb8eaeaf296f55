// SPDX-License-Identifier: MIT
#pragma once

#include "domain/modem/WirelessCommand.h"

namespace Tormel::Domain::Modem {

// The TX-330's radio commands: those of WirelessCommand, unchanged.
class TX330WirelessCommand : public WirelessCommand {};

}  // namespace Tormel::Domain::Modem
