// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditorBase.h"

#include <cstring>

#include "elfapi/ElfApi.h"

namespace Tormel::Domain::Firmware {

namespace {

constexpr unsigned char kElfClass32 = 1;
constexpr unsigned char kElfDataLittleEndian = 1;
constexpr unsigned char kElfIdentVersion = 1;
constexpr uint16_t kElfTypeExecutable = 2;
constexpr uint16_t kElfMachineAvr = 83;
constexpr uint32_t kElfVersionCurrent = 1;

bool IsUnitFirmware(const _ElfHeader& header) {
    return std::memcmp(header.e_ident,
                       "\x7F"
                       "ELF",
                       4) == 0 &&
           header.e_ident[4] == kElfClass32 && header.e_ident[5] == kElfDataLittleEndian &&
           header.e_ident[6] == kElfIdentVersion && header.e_type == kElfTypeExecutable &&
           header.e_machine == kElfMachineAvr && header.e_version == kElfVersionCurrent;
}

}  // namespace

ElfEditorBase::~ElfEditorBase() {
    if (m_elfHandle != nullptr) ElfApiEnd(m_elfHandle);
}

ElfEditorResult ElfEditorBase::Init() {
    if (m_elfHandle != nullptr) return ElfEditorResult::Success;
    m_elfHandle = ElfApiInit();
    return m_elfHandle != nullptr ? ElfEditorResult::Success : ElfEditorResult::ErrStatus;
}

ElfEditorResult ElfEditorBase::End() {
    if (m_elfHandle == nullptr) return ElfEditorResult::Success;
    const int32_t code = ElfApiEnd(m_elfHandle);
    if (code != 0) return ToElfEditorResult(code);
    m_elfHandle = nullptr;
    return ElfEditorResult::Success;
}

ElfEditorResult ElfEditorBase::Open() {
    // The layer takes the platform's narrow path, which on Linux is the file name's own bytes;
    // a name with an embedded NUL cannot be expressed in it.
    if (m_fileName.empty() || m_fileName.find('\0') != std::string::npos) return ElfEditorResult::ErrStatus;
    int32_t code = ElfApiOpen(m_elfHandle, m_fileName.c_str());
    if (code != 0) return ToElfEditorResult(code);

    _ElfHeader header{};
    code = ElfApiGetElfHeader(m_elfHandle, &header);
    if (code != 0) return ToElfEditorResult(code);
    if (!IsUnitFirmware(header)) {
        // Nothing will be read from a refused file, and the caller may move or delete it.
        ElfApiClose(m_elfHandle);
        return ElfEditorResult::ErrUnsupported;
    }
    return ElfEditorResult::Success;
}

ElfEditorResult ElfEditorBase::Close() { return ToElfEditorResult(ElfApiClose(m_elfHandle)); }

uint64_t ElfEditorBase::ReadSymbol(const char* name, int32_t width) {
    _ElfSymbolInfo info{name, 0, width, 0};
    const int32_t code = ElfApiGetSymbol(m_elfHandle, &info);
    if (code != 0) throw StepFailure{ToElfEditorResult(code)};
    return info.data;
}

void ElfEditorBase::WriteSymbol(const char* name, int32_t width, uint64_t data) {
    _ElfSymbolInfo info{name, 0, width, data};
    const int32_t code = ElfApiSetSymbol(m_elfHandle, &info);
    if (code != 0) throw StepFailure{ToElfEditorResult(code)};
}

uint8_t ElfEditorBase::GetVersion() { return static_cast<uint8_t>(ReadSymbol("TormelParamsM$version", 1)); }

}  // namespace Tormel::Domain::Firmware
