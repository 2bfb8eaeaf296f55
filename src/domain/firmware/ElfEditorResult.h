// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Tormel::Domain::Firmware {

// Outcome of an editor operation. Members 1 to 8 mirror the symbol layer's codes -1 to -8.
enum class ElfEditorResult : int32_t {
    Success = 0,
    ErrParameter = 1,      // the symbol layer got no handle (no Init) or a null argument
    ErrStatus = 2,         // out of order (no image open), or a file name the layer cannot take
    ErrFileOpen = 3,       // the file could not be opened
    ErrFileClose = 4,      // closing the file failed
    ErrFileRead = 5,       // reading failed, or the symbol holds no bytes of the file
    ErrFileWrite = 6,      // the symbol cannot be written, or the write failed
    ErrUnknownSymbol = 7,  // the image lacks a parameter symbol (or its version)
    ErrUnsupported = 8,    // not a unit firmware image (32-bit little-endian AVR executable)
    ErrOutOfRange = 9,     // a stored value without meaning, or a value without encoding
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
