// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "domain/firmware/ElfEditorResult.h"

struct ElfApiHandle;

namespace Tormel::Domain::Firmware {

// What both firmware editors share: the symbol-layer handle, the image's file name, opening an
// image with the acceptance test for unit firmware (32-bit little-endian AVR executable), and
// typed access to one parameter symbol. The editors add their own parameter tables.
class ElfEditorBase {
  public:
    ElfEditorBase(const ElfEditorBase&) = delete;
    ElfEditorBase& operator=(const ElfEditorBase&) = delete;

    ElfEditorResult Init();
    ElfEditorResult End();
    ElfEditorResult Open();
    ElfEditorResult Close();

    const std::string& FileName() const { return m_fileName; }
    void FileName(const std::string& fileName) { m_fileName = fileName; }

  protected:
    ElfEditorBase() = default;
    // Releases a handle the owner forgot to End, so that no descriptor outlives the editor.
    ~ElfEditorBase();

    // Thrown by the parameter accessors and caught by RunSteps: a parameter sequence stops at
    // its first problem.
    struct StepFailure {
        ElfEditorResult result;
    };

    // Runs a Load or Store sequence and turns its first failure into the result.
    template <typename Steps>
    ElfEditorResult RunSteps(Steps&& steps) {
        try {
            steps();
            return ElfEditorResult::Success;
        } catch (const StepFailure& failure) {
            return failure.result;
        }
    }

    // Reads a parameter symbol of width bytes at offset 0 and converts it; throws StepFailure
    // with ErrOutOfRange when the stored value has no meaning.
    uint64_t ReadSymbol(const char* name, int32_t width);
    template <typename Convert>
    auto ReadParameter(const char* name, int32_t width, Convert convert) {
        const auto value = convert(ReadSymbol(name, width));
        if (!value) throw StepFailure{ElfEditorResult::ErrOutOfRange};
        return *value;
    }

    // Converts first, so that a value without an encoding leaves its symbol untouched.
    void WriteSymbol(const char* name, int32_t width, uint64_t data);
    template <typename Value, typename Convert>
    void WriteParameter(const char* name, int32_t width, const Value& value, Convert convert) {
        const auto data = convert(value);
        if (!data) throw StepFailure{ElfEditorResult::ErrOutOfRange};
        WriteSymbol(name, width, *data);
    }

    uint8_t GetVersion();

    ElfApiHandle* m_elfHandle = nullptr;
    std::string m_fileName;
};

}  // namespace Tormel::Domain::Firmware
