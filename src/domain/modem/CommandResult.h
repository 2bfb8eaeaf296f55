// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <exception>

namespace Tormel::Domain::Modem {

// Result of every top-level operation of the command layer; the same values are raised
// (as CommandError) inside the layer and caught by the top-level operations.
enum class CommandResult : int32_t {
    Success = 0,
    ErrParameter = 1,          // not produced by the command layer
    ErrStatus = 2,             // an operation failed in an unforeseen way (not a CommandError)
    ErrConnect = 3,            // no unit answered, the port failed, or a reply did not come
    ErrCommand = 4,            // the unit refused or misanswered a command
    Err7DataBitNonParity = 5,  // a write of 7 data bits without parity, refused before sending
    ErrUnsupported = 6,        // the unit's firmware name or version is not supported
    ErrOutOfRange = 7,         // a value without a request code or outside its range: not sent
    Max = 8,
};

// A failing command: carries its result from the point of failure up to the top-level
// operation. Never crosses the command layer's boundary.
class CommandError : public std::exception {
  public:
    explicit CommandError(CommandResult result) noexcept : m_result(result) {}
    CommandResult Result() const noexcept { return m_result; }
    const char* what() const noexcept override { return "command failed"; }

  private:
    CommandResult m_result;
};

// How every command, writer and reply parser fails: raises result as a CommandError.
[[noreturn]] inline void Fail(CommandResult result) { throw CommandError(result); }

}  // namespace Tormel::Domain::Modem
