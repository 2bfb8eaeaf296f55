// SPDX-License-Identifier: MIT
// The records are plain values; this file only makes sure each header stands on its own.
#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Didoinfo.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/common/Wirelessinfo.h"
