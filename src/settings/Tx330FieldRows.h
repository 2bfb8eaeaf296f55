// SPDX-License-Identifier: MIT
#pragma once

// The radio and contact fields of the contact-I/O document, each listed once with the holder
// getter the form fills it from and the unit record field that holds the same number.
// setConfigData walks the holder side; the record conversions walk the record side, to the unit
// and back.

#include <tuple>

#include "domain/common/Didoinfo.h"
#include "domain/common/Wirelessinfo.h"
#include "settings/ApplicationConfig_TX330.h"
#include "settings/FieldRows.h"
#include "settings/Holders.h"

namespace Tormel::Gui::Tx330FieldRows {

using Doc = ApplicationConfig_TX330;
using FieldRows::HeldRecorded;
namespace Unit = Domain::Common;

inline constexpr std::tuple kFields{
    HeldRecorded{&Doc::m_ChMode, &Wirelessinfo::getChMode, &Unit::Wirelessinfo::ChMode},
    HeldRecorded{&Doc::m_OpMode, &Wirelessinfo::getOpMode, &Unit::Wirelessinfo::OpMode},
    HeldRecorded{&Doc::m_Ch, &Wirelessinfo::getCh, &Unit::Wirelessinfo::Ch},
    HeldRecorded{&Doc::m_NodeId, &Wirelessinfo::getNodeId, &Unit::Wirelessinfo::NodeId},
    HeldRecorded{&Doc::m_GrpId, &Wirelessinfo::getGrpId, &Unit::Wirelessinfo::GrpId},
    HeldRecorded{&Doc::m_Do1Bind, &Didoinfo::getDo1Bind, &Unit::Didoinfo::Do1Bind},
    HeldRecorded{&Doc::m_Do2Bind, &Didoinfo::getDo2Bind, &Unit::Didoinfo::Do2Bind},
    HeldRecorded{&Doc::m_Do3Bind, &Didoinfo::getDo3Bind, &Unit::Didoinfo::Do3Bind},
    HeldRecorded{&Doc::m_Do1Invert, &Didoinfo::getDo1Invert, &Unit::Didoinfo::Do1Invert},
    HeldRecorded{&Doc::m_Do2Invert, &Didoinfo::getDo2Invert, &Unit::Didoinfo::Do2Invert},
    HeldRecorded{&Doc::m_Do3Invert, &Didoinfo::getDo3Invert, &Unit::Didoinfo::Do3Invert},
    HeldRecorded{&Doc::m_DoOffDelay, &Didoinfo::getOffDelay, &Unit::Didoinfo::DoOffDelay},
    HeldRecorded{&Doc::m_DoOnDelay, &Didoinfo::getOnDelay, &Unit::Didoinfo::DoOnDelay},
    HeldRecorded{&Doc::m_DoKeepTime, &Didoinfo::getDoKeepTime, &Unit::Didoinfo::DoKeepTime},
    HeldRecorded{&Doc::m_DoKeepSig, &Didoinfo::getDoKeepSignal, &Unit::Didoinfo::DoKeepSignal},
    HeldRecorded{&Doc::m_DoDiDelay, &Didoinfo::getDiDelay, &Unit::Didoinfo::DiDelay},
};

}  // namespace Tormel::Gui::Tx330FieldRows
