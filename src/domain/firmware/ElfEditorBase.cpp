// SPDX-License-Identifier: MIT
#include "domain/firmware/ElfEditorBase.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

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
        m_failedSymbol = name;
        throw StepFailure{ToElfEditorResult(code)};
    }
    return info.data;
}

void ElfEditorBase::WriteSymbol(const char* name, int32_t width, uint64_t data) {
    _ElfSymbolInfo info{name, 0, width, data};
    const int32_t code = ElfApiSetSymbol(m_elfHandle, &info);
    if (code != 0) {
        m_failedSymbol = name;
        throw StepFailure{ToElfEditorResult(code)};
    }
}

uint8_t ElfEditorBase::GetVersion() { return static_cast<uint8_t>(ReadSymbol("TormelParamsM$version", 1)); }

namespace {

// The firmware versions a step runs for.
struct Versions {
    uint8_t first;
    uint8_t last;
    bool Includes(uint8_t version) const { return first <= version && version <= last; }
};
constexpr Versions kAll{0, 255};
constexpr Versions kNone{1, 0};
// Up to 36 the unit has a flow control and a packet check code; from 37 it has a selectable
// host interface instead. The bind type exists from 34.
constexpr Versions kUpTo36{0, 36};
constexpr Versions kFrom37{37, 255};
constexpr Versions kFrom34{34, 255};

// When one family's Load reads a parameter and its Store writes it.
struct Use {
    Versions load;
    Versions store;
};
constexpr Use kReadWrite{kAll, kAll};
constexpr Use kReadOnly{kAll, kNone};
constexpr Use kWriteOnly{kNone, kAll};
constexpr Use kUnused{kNone, kNone};

// One parameter symbol: its name and width in bytes, how its stored value is decoded into
// the records and encoded from them, and its use by each family.
struct Parameter {
    std::string symbol;
    int32_t width;
    std::function<bool(ImageRecords&, uint64_t)> decode;                 // false: the value has no meaning
    std::function<std::optional<uint64_t>(const ImageRecords&)> encode;  // nullopt: no encoding
    Use rs485;
    Use tx330;
};

template <typename Record, typename Value, typename Decoded, typename Encoded>
Parameter Row(const std::string& name, int32_t width, Record ImageRecords::*record, Value Record::*field,
              std::optional<Decoded> (*decode)(uint64_t), std::optional<uint64_t> (*encode)(Encoded),
              Use rs485, Use tx330) {
    return {"TormelParamsM$" + name,
            width,
            [=](ImageRecords& records, uint64_t data) {
                const std::optional<Decoded> value = decode(data);
                if (value) (records.*record).*field = *value;
                return value.has_value();
            },
            [=](const ImageRecords& records) { return encode((records.*record).*field); },
            rs485,
            tx330};
}

using R = ImageRecords;
using Common::Binding;
using Common::Communication;
using Common::Nodeinfo;
using Common::Protocol;

// The key words "<name>1" to "<name>N".
void AddKeyWords(std::vector<Parameter>& table, const std::string& name, const auto& fields, Use rs485,
                 Use tx330) {
    for (size_t i = 0; i < std::size(fields); ++i)
        table.push_back(Row(name + std::to_string(i + 1), 2, &R::nodeinfo, fields[i], SymbolDataToKeyWord,
                            KeyWordToSymbolData, rs485, tx330));
}

// Each packet format has its own marks and address; the second format's symbols carry the
// suffix "2". Only the RS485 unit has packet formats.
struct MarkFields {
    uint8_t Protocol::*start;
    uint8_t Protocol::*end;
    uint8_t Protocol::*offset;
};

void AddPacketMarks(std::vector<Parameter>& table, const std::string& suffix, MarkFields f) {
    table.push_back(Row("stxChar" + suffix, 1, &R::protocol, f.start, SymbolDataToPacketCode,
                        PacketCodeToSymbolData, kReadWrite, kUnused));
    table.push_back(Row("etxChar" + suffix, 1, &R::protocol, f.end, SymbolDataToPacketCode,
                        PacketCodeToSymbolData, kReadWrite, kUnused));
    table.push_back(Row("offsetAfterEtx" + suffix, 1, &R::protocol, f.offset, SymbolDataToPacketOffset,
                        PacketOffsetToSymbolData, kReadWrite, kUnused));
}

struct AddressFields {
    uint8_t Protocol::*offset;
    uint8_t Protocol::*length;
    Common::ProtocolFormat Protocol::*format;
};

void AddAddress(std::vector<Parameter>& table, const std::string& suffix, AddressFields f) {
    table.push_back(Row("offsetToDevId" + suffix, 1, &R::protocol, f.offset, SymbolDataToAddressOffset,
                        AddressOffsetToSymbolData, kReadWrite, kUnused));
    table.push_back(Row("devIdLen" + suffix, 1, &R::protocol, f.length, SymbolDataToAddressLength,
                        AddressLengthToSymbolData, kReadWrite, kUnused));
    table.push_back(Row("devIdFormat" + suffix, 1, &R::protocol, f.format, SymbolDataToFormat,
                        FormatToSymbolData, kReadWrite, kUnused));
}

// Every parameter of the block, in the order both Load and Store must run. Whitening has two
// rows: Load reads it after the AES switch, Store writes it right after the node-ID offset.
// The AES switch is read from encryptAESEnbl and written to aesEncryptEnbl; the AES key
// length and key are never read back. Store writes the interface port whatever the version:
// an image without the symbol is not one this tool can set up.
std::vector<Parameter> BuildParameters() {
    std::vector<Parameter> table;
    const auto add = [&table](std::initializer_list<Parameter> rows) { table.insert(table.end(), rows); };
    add({
        Row("baudrate", 2, &R::communication, &Communication::BaudRate, SymbolDataToBaudRate,
            BaudRateToSymbolData, kReadWrite, kReadWrite),
        Row("databit", 1, &R::communication, &Communication::DataBits, SymbolDataToDataBits,
            DataBitsToSymbolData, kReadWrite, kReadWrite),
        Row("parity", 1, &R::communication, &Communication::Parity, SymbolDataToParity, ParityToSymbolData,
            kReadWrite, kReadWrite),
        Row("stopbit", 1, &R::communication, &Communication::StopBits, SymbolDataToStopBits,
            StopBitsToSymbolData, kReadWrite, kReadWrite),
        Row("awt", 2, &R::communication, &Communication::Awt, SymbolDataToAwt, AwtToSymbolData, kUnused,
            kReadWrite),
        Row("intfport", 1, &R::communication, &Communication::IntfPort, SymbolDataToIntfPort,
            IntfPortToSymbolData, {kFrom37, kAll}, {kFrom37, kAll}),
        Row("flowControl", 1, &R::communication, &Communication::FlowControl, SymbolDataToFlowControl,
            FlowControlToSymbolData, {kUpTo36, kNone}, {kUpTo36, kNone}),
        Row("hundredOrder", 2, &R::nodeinfo, &Nodeinfo::IdOffset, SymbolDataToIdOffset, IdOffsetToSymbolData,
            kReadWrite, kReadOnly),
        Row("Whitening", 1, &R::nodeinfo, &Nodeinfo::WhiteningEnable, SymbolDataToWhitening,
            WhiteningToSymbolData, kWriteOnly, kUnused),
        Row("syncParams", 1, &R::nodeinfo, &Nodeinfo::AutoParamSyncEnable, SymbolDataToAutoParamSyncEnable,
            AutoParamSyncEnableToSymbolData, kReadWrite, kReadWrite),
        Row("extendedGroup", 1, &R::nodeinfo, &Nodeinfo::ExtendedGroup, SymbolDataToExtendedGroup,
            ExtendedGroupToSymbolData, kReadWrite, kReadWrite),
        Row("encryptAESEnbl", 1, &R::nodeinfo, &Nodeinfo::AESEncryptEnable, SymbolDataToAESEncryptEnable,
            AESEncryptEnableToSymbolData, kReadOnly, kReadOnly),
        Row("aesEncryptEnbl", 1, &R::nodeinfo, &Nodeinfo::AESEncryptEnable, SymbolDataToAESEncryptEnable,
            AESEncryptEnableToSymbolData, kWriteOnly, kWriteOnly),
        Row("aesEncryptType", 1, &R::nodeinfo, &Nodeinfo::AESEncryptType, SymbolDataToAESEncryptType,
            AESEncryptTypeToSymbolData, kWriteOnly, kWriteOnly),
    });
    AddKeyWords(table, "AESencryptKey", Common::kAESEncryptKeyFields, kWriteOnly, kWriteOnly);
    add({
        Row("Whitening", 1, &R::nodeinfo, &Nodeinfo::WhiteningEnable, SymbolDataToWhitening,
            WhiteningToSymbolData, kReadOnly, kUnused),
        Row("encryptEnbl", 1, &R::nodeinfo, &Nodeinfo::EncryptEnable, SymbolDataToEncryptEnable,
            EncryptEnableToSymbolData, kReadWrite, kUnused),
    });
    AddKeyWords(table, "encryptKey", Common::kEncryptKeyFields, kReadWrite, kUnused);
    add({
        Row("throughMode", 1, &R::protocol, &Protocol::ThroughMode, SymbolDataToThroughMode,
            ThroughModeToSymbolData, kReadWrite, kUnused),
        Row("silentChar", 1, &R::protocol, &Protocol::SilentChar, SymbolDataToSilentChar,
            SilentCharToSymbolData, kReadWrite, kUnused),
        Row("fmt2Enbl", 1, &R::protocol, &Protocol::Fmt2Enable, SymbolDataToFmt2Enable,
            Fmt2EnableToSymbolData, kReadWrite, kUnused),
    });
    AddPacketMarks(table, "",
                   {&Protocol::PacketStartCode, &Protocol::PacketEndCode, &Protocol::PacketOffset});
    AddPacketMarks(table, "2",
                   {&Protocol::PacketStartCode2nd, &Protocol::PacketEndCode2nd, &Protocol::PacketOffset2nd});
    table.push_back(Row("devIdEnable", 1, &R::protocol, &Protocol::DeviEnable, SymbolDataToDeviEnable,
                        DeviEnableToSymbolData, kReadWrite, kUnused));
    AddAddress(table, "", {&Protocol::AddressOffset, &Protocol::AddressLength, &Protocol::AddressFormat});
    AddAddress(table, "2",
               {&Protocol::AddressOffset2nd, &Protocol::AddressLength2nd, &Protocol::AddressFormat2nd});
    add({
        Row("bcastAddr", 2, &R::protocol, &Protocol::BcastAddr, SymbolDataToBcastAddr, BcastAddrToSymbolData,
            kReadWrite, kUnused),
        Row("chkType", 1, &R::protocol, &Protocol::CheckMethod, SymbolDataToCheckMethod,
            CheckMethodToSymbolData, {kUpTo36, kUpTo36}, kUnused),
        Row("chkIncludeStx", 1, &R::protocol, &Protocol::CheckCode, SymbolDataToCheckCode,
            CheckCodeToSymbolData, {kUpTo36, kUpTo36}, kUnused),
        Row("offsetToChkCode", 1, &R::protocol, &Protocol::CheckOffset, SymbolDataToCheckOffset,
            CheckOffsetToSymbolData, {kUpTo36, kUpTo36}, kUnused),
        Row("chkCodeLen", 1, &R::protocol, &Protocol::CheckLength, SymbolDataToCheckLength,
            CheckLengthToSymbolData, {kUpTo36, kUpTo36}, kUnused),
        Row("chkCodeFormat", 1, &R::protocol, &Protocol::CheckFormat, SymbolDataToFormat, FormatToSymbolData,
            {kUpTo36, kUpTo36}, kUnused),
        // The bind type written is the image's own (from Load); the settings never carry one.
        Row("bindType", 1, &R::binding, &Binding::BindType, SymbolDataToBindType, BindTypeToSymbolData,
            {kFrom34, kFrom34}, kUnused),
    });
    return table;
}

const std::vector<Parameter>& Parameters() {
    static const std::vector<Parameter> table = BuildParameters();
    return table;
}

}  // namespace

std::vector<SymbolUse> ElfEditorBase::SymbolsUsed(UnitFamily family, uint8_t version) {
    std::vector<SymbolUse> used;
    for (const Parameter& parameter : Parameters()) {
        const Use& use = family == UnitFamily::Rs485 ? parameter.rs485 : parameter.tx330;
        const bool loaded = use.load.Includes(version);
        const bool stored = use.store.Includes(version);
        if (!loaded && !stored) continue;
        // Whitening has a row for each direction; one entry names it.
        const auto seen = std::find_if(used.begin(), used.end(),
                                       [&](const SymbolUse& u) { return u.symbol == parameter.symbol; });
        if (seen != used.end()) {
            seen->loaded = seen->loaded || loaded;
            seen->stored = seen->stored || stored;
            continue;
        }
        used.push_back({parameter.symbol, parameter.width, loaded, stored});
    }
    return used;
}

std::optional<std::vector<ImageSymbol>> ElfEditorBase::StoredSymbols(
    UnitFamily family, uint8_t version, const ImageRecords& records,
    const std::vector<std::string>& leaving) {
    std::vector<ImageSymbol> stored;
    for (const Parameter& parameter : Parameters()) {
        const Use& use = family == UnitFamily::Rs485 ? parameter.rs485 : parameter.tx330;
        if (!use.store.Includes(version)) continue;
        if (std::find(leaving.begin(), leaving.end(), parameter.symbol) != leaving.end()) continue;
        const std::optional<uint64_t> data = parameter.encode(records);
        if (!data) return std::nullopt;
        stored.push_back({parameter.symbol, parameter.width, *data});
    }
    return stored;
}

template <typename Steps>
ElfEditorResult ElfEditorBase::RunSteps(Steps&& steps) {
    try {
        steps();
        return ElfEditorResult::Success;
    } catch (const StepFailure& failure) {
        return failure.result;
    }
}

// The unit could not tell where a packet ends if both marks were the same byte.
void ElfEditorBase::RequireDistinctMarks() {
    if (m_family == UnitFamily::Rs485 &&
        m_records.protocol.PacketStartCode == m_records.protocol.PacketEndCode) {
        m_failedSymbol = "TormelParamsM$stxChar and TormelParamsM$etxChar";
        throw StepFailure{ElfEditorResult::ErrOutOfRange};
    }
}

ElfEditorResult ElfEditorBase::Load() {
    m_failedSymbol.clear();
    return RunSteps([this] {
        const uint8_t version = GetVersion();
        for (const Parameter& parameter : Parameters()) {
            const Use& use = m_family == UnitFamily::Rs485 ? parameter.rs485 : parameter.tx330;
            if (!use.load.Includes(version)) continue;
            if (!parameter.decode(m_records, ReadSymbol(parameter.symbol.c_str(), parameter.width))) {
                m_failedSymbol = parameter.symbol;
                throw StepFailure{ElfEditorResult::ErrOutOfRange};
            }
        }
        RequireDistinctMarks();
    });
}

ElfEditorResult ElfEditorBase::Store() {
    m_failedSymbol.clear();
    return RunSteps([this] {
        const uint8_t version = GetVersion();
        RequireDistinctMarks();
        for (const Parameter& parameter : Parameters()) {
            const Use& use = m_family == UnitFamily::Rs485 ? parameter.rs485 : parameter.tx330;
            if (!use.store.Includes(version)) continue;
            const std::optional<uint64_t> data = parameter.encode(m_records);
            if (!data) {
                m_failedSymbol = parameter.symbol;
                throw StepFailure{ElfEditorResult::ErrOutOfRange};
            }
            WriteSymbol(parameter.symbol.c_str(), parameter.width, *data);
        }
    });
}

}  // namespace Tormel::Domain::Firmware
