// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditorBase.h"

#include <cstring>
#include <string>

#include "domain/firmware/SymbolData.h"
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
    if (m_elfHandle != nullptr) {
        ElfApiEnd(m_elfHandle);
    }
}

ElfEditorResult ElfEditorBase::Init() {
    if (m_elfHandle != nullptr) {
        return ElfEditorResult::Success;
    }
    m_elfHandle = ElfApiInit();
    return m_elfHandle != nullptr ? ElfEditorResult::Success : ElfEditorResult::ErrStatus;
}

ElfEditorResult ElfEditorBase::End() {
    if (m_elfHandle == nullptr) {
        return ElfEditorResult::Success;
    }
    const int32_t code = ElfApiEnd(m_elfHandle);
    if (code != 0) {
        return ToElfEditorResult(code);
    }
    m_elfHandle = nullptr;
    return ElfEditorResult::Success;
}

ElfEditorResult ElfEditorBase::Open() {
    // The layer takes the platform's narrow path, which on Linux is the file name's own bytes;
    // a name with an embedded NUL cannot be expressed in it.
    if (m_fileName.empty() || m_fileName.find('\0') != std::string::npos) {
        return ElfEditorResult::ErrStatus;
    }
    int32_t code = ElfApiOpen(m_elfHandle, m_fileName.c_str());
    if (code != 0) {
        return ToElfEditorResult(code);
    }

    _ElfHeader header{};
    code = ElfApiGetElfHeader(m_elfHandle, &header);
    if (code != 0) {
        return ToElfEditorResult(code);
    }
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
    if (code != 0) {
        throw StepFailure{ToElfEditorResult(code)};
    }
    return info.data;
}

void ElfEditorBase::WriteSymbol(const char* name, int32_t width, uint64_t data) {
    _ElfSymbolInfo info{name, 0, width, data};
    const int32_t code = ElfApiSetSymbol(m_elfHandle, &info);
    if (code != 0) {
        throw StepFailure{ToElfEditorResult(code)};
    }
}

uint8_t ElfEditorBase::GetVersion() { return static_cast<uint8_t>(ReadSymbol("TormelParamsM$version", 1)); }

int32_t ElfEditorBase::GetBaudrate() {
    return ReadParameter("TormelParamsM$baudrate", 2, SymbolDataToBaudRate);
}
void ElfEditorBase::SetBaudrate(int32_t value) {
    WriteParameter("TormelParamsM$baudrate", 2, value, BaudRateToSymbolData);
}
int32_t ElfEditorBase::GetDatabit() {
    return ReadParameter("TormelParamsM$databit", 1, SymbolDataToDataBits);
}
void ElfEditorBase::SetDatabit(int32_t value) {
    WriteParameter("TormelParamsM$databit", 1, value, DataBitsToSymbolData);
}
Common::Parity ElfEditorBase::GetParity() {
    return ReadParameter("TormelParamsM$parity", 1, SymbolDataToParity);
}
void ElfEditorBase::SetParity(Common::Parity value) {
    WriteParameter("TormelParamsM$parity", 1, value, ParityToSymbolData);
}
Common::StopBits ElfEditorBase::GetStopbit() {
    return ReadParameter("TormelParamsM$stopbit", 1, SymbolDataToStopBits);
}
void ElfEditorBase::SetStopbit(Common::StopBits value) {
    WriteParameter("TormelParamsM$stopbit", 1, value, StopBitsToSymbolData);
}
int32_t ElfEditorBase::GetAwt() { return ReadParameter("TormelParamsM$awt", 2, SymbolDataToAwt); }
void ElfEditorBase::SetAwt(int32_t value) { WriteParameter("TormelParamsM$awt", 2, value, AwtToSymbolData); }
int32_t ElfEditorBase::GetIntfPort() {
    return ReadParameter("TormelParamsM$intfport", 1, SymbolDataToIntfPort);
}
void ElfEditorBase::SetIntfPort(int32_t value) {
    WriteParameter("TormelParamsM$intfport", 1, value, IntfPortToSymbolData);
}
Common::Handshake ElfEditorBase::GetFlowControl() {
    return ReadParameter("TormelParamsM$flowControl", 1, SymbolDataToFlowControl);
}
uint32_t ElfEditorBase::GetIdOffset() {
    return ReadParameter("TormelParamsM$hundredOrder", 2, SymbolDataToIdOffset);
}
void ElfEditorBase::SetIdOffset(uint32_t value) {
    WriteParameter("TormelParamsM$hundredOrder", 2, value, IdOffsetToSymbolData);
}
Common::NodeinfoAutoParamSyncEnable ElfEditorBase::GetAutoParamSyncEnable() {
    return ReadParameter("TormelParamsM$syncParams", 1, SymbolDataToAutoParamSyncEnable);
}
void ElfEditorBase::SetAutoParamSyncEnable(Common::NodeinfoAutoParamSyncEnable value) {
    WriteParameter("TormelParamsM$syncParams", 1, value, AutoParamSyncEnableToSymbolData);
}
Common::NodeinfoExtendedGroup ElfEditorBase::GetExtendedGroup() {
    return ReadParameter("TormelParamsM$extendedGroup", 1, SymbolDataToExtendedGroup);
}
void ElfEditorBase::SetExtendedGroup(Common::NodeinfoExtendedGroup value) {
    WriteParameter("TormelParamsM$extendedGroup", 1, value, ExtendedGroupToSymbolData);
}
Common::NodeinfoAESEncryptEnable ElfEditorBase::GetAESEncryptEnable() {
    return ReadParameter("TormelParamsM$encryptAESEnbl", 1, SymbolDataToAESEncryptEnable);
}
void ElfEditorBase::SetAESEncryptEnable(Common::NodeinfoAESEncryptEnable value) {
    WriteParameter("TormelParamsM$aesEncryptEnbl", 1, value, AESEncryptEnableToSymbolData);
}
void ElfEditorBase::SetAESEncryptType(Common::NodeinfoAESEncryptType value) {
    WriteParameter("TormelParamsM$aesEncryptType", 1, value, AESEncryptTypeToSymbolData);
}
void ElfEditorBase::SetAESEncryptKey(int word, uint32_t value) {
    WriteParameter(("TormelParamsM$AESencryptKey" + std::to_string(word)).c_str(), 2, value,
                   KeyWordToSymbolData);
}
Common::NodeinfoWhiteningEnable ElfEditorBase::GetWhitening() {
    return ReadParameter("TormelParamsM$Whitening", 1, SymbolDataToWhitening);
}
void ElfEditorBase::SetWhitening(Common::NodeinfoWhiteningEnable value) {
    WriteParameter("TormelParamsM$Whitening", 1, value, WhiteningToSymbolData);
}
Common::NodeinfoEncryptEnable ElfEditorBase::GetEncryptEnable() {
    return ReadParameter("TormelParamsM$encryptEnbl", 1, SymbolDataToEncryptEnable);
}
void ElfEditorBase::SetEncryptEnable(Common::NodeinfoEncryptEnable value) {
    WriteParameter("TormelParamsM$encryptEnbl", 1, value, EncryptEnableToSymbolData);
}
uint32_t ElfEditorBase::GetEncryptKey(int word) {
    return ReadParameter(("TormelParamsM$encryptKey" + std::to_string(word)).c_str(), 2, SymbolDataToKeyWord);
}
void ElfEditorBase::SetEncryptKey(int word, uint32_t value) {
    WriteParameter(("TormelParamsM$encryptKey" + std::to_string(word)).c_str(), 2, value,
                   KeyWordToSymbolData);
}

}  // namespace Tormel::Domain::Firmware
