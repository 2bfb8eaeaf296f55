// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
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
        if (!value) {
            throw StepFailure{ElfEditorResult::ErrOutOfRange};
        }
        return *value;
    }

    // Converts first, so that a value without an encoding leaves its symbol untouched.
    void WriteSymbol(const char* name, int32_t width, uint64_t data);
    template <typename Value, typename Convert>
    void WriteParameter(const char* name, int32_t width, const Value& value, Convert convert) {
        const auto data = convert(value);
        if (!data) {
            throw StepFailure{ElfEditorResult::ErrOutOfRange};
        }
        WriteSymbol(name, width, *data);
    }

    // One read and one write per parameter of the serial line and the node, the part of the
    // parameter block that both unit families share. Each stops the sequence on failure.
    uint8_t GetVersion();
    int32_t GetBaudrate();
    void SetBaudrate(int32_t value);
    int32_t GetDatabit();
    void SetDatabit(int32_t value);
    Common::Parity GetParity();
    void SetParity(Common::Parity value);
    Common::StopBits GetStopbit();
    void SetStopbit(Common::StopBits value);
    int32_t GetAwt();
    void SetAwt(int32_t value);
    int32_t GetIntfPort();
    void SetIntfPort(int32_t value);
    Common::Handshake GetFlowControl();
    uint32_t GetIdOffset();
    void SetIdOffset(uint32_t value);
    Common::NodeinfoAutoParamSyncEnable GetAutoParamSyncEnable();
    void SetAutoParamSyncEnable(Common::NodeinfoAutoParamSyncEnable value);
    Common::NodeinfoExtendedGroup GetExtendedGroup();
    void SetExtendedGroup(Common::NodeinfoExtendedGroup value);
    // The firmware reports the AES switch under another name than the one it is set by.
    Common::NodeinfoAESEncryptEnable GetAESEncryptEnable();
    void SetAESEncryptEnable(Common::NodeinfoAESEncryptEnable value);
    void SetAESEncryptType(Common::NodeinfoAESEncryptType value);
    void SetAESEncryptKey(int word, uint32_t value);  // word 1 to 16
    Common::NodeinfoWhiteningEnable GetWhitening();
    void SetWhitening(Common::NodeinfoWhiteningEnable value);
    Common::NodeinfoEncryptEnable GetEncryptEnable();
    void SetEncryptEnable(Common::NodeinfoEncryptEnable value);
    uint32_t GetEncryptKey(int word);  // word 1 to 8
    void SetEncryptKey(int word, uint32_t value);

    ElfApiHandle* m_elfHandle = nullptr;
    std::string m_fileName;
};

}  // namespace Tormel::Domain::Firmware
