// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <exception>

namespace Tormel::Domain::Modem {

// Result of every top-level operation of the command layer; the same values are raised
// (as CommandError) inside the layer and caught by the top-level operations.
enum class CommandResult : int32_t {
    Success = 0,
    ErrParameter = 1,
    ErrStatus = 2,
    ErrConnect = 3,
    ErrCommand = 4,
    Err7DataBitNonParity = 5,
    ErrUnsupported = 6,
    ErrOutOfRange = 7,
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

}  // namespace Tormel::Domain::Modem
