// SPDX-License-Identifier: MIT
#pragma once

#include "domain/app/AppResult.h"

namespace Tormel::Domain::App {

// Result of a call on the contact-I/O controller: exactly the members and values of AppResult.
using AppResult_TX330 = AppResult;

}  // namespace Tormel::Domain::App
