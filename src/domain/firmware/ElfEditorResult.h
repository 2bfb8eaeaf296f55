// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Firmware {

// Outcome of an editor operation. Members 1 to 8 mirror the symbol layer's codes -1 to -8.
enum class ElfEditorResult : int32_t {
    Success = 0,
    ErrParameter = 1,
    ErrStatus = 2,
    ErrFileOpen = 3,
    ErrFileClose = 4,
    ErrFileRead = 5,
    ErrFileWrite = 6,
    ErrUnknownSymbol = 7,
    ErrUnsupported = 8,
    ErrOutOfRange = 9,
    Max = 10,
};

// The contact-I/O editor reports with exactly the same members and values.
using ElfEditorResult_TX330 = ElfEditorResult;

// A symbol-layer code from -8 to 0 becomes the member of the negated value; anything else
// means the layer and the editor disagree about its state.
constexpr ElfEditorResult ToElfEditorResult(int32_t code) {
    if (code > 0 || code < -8) {
        return ElfEditorResult::ErrStatus;
    }
    return static_cast<ElfEditorResult>(-code);
}

}  // namespace Tormel::Domain::Firmware
