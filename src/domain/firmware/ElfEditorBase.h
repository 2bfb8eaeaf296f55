// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Protocol.h"
#include "domain/common/UnitFamily.h"
#include "domain/firmware/ElfEditorResult.h"
#include "domain/firmware/ImageSymbols.h"

struct ElfApiHandle;

namespace Tormel::Domain::Firmware {

// The unit families whose firmware images the editors set up.
using Common::UnitFamily;

// The settings records whose fields a firmware image holds. The RS485 editor uses all four;
// the contact-I/O editor the serial line and the node.
struct ImageRecords {
    Common::Communication communication{};
    Common::Nodeinfo nodeinfo{};
    Common::Protocol protocol{};
    Common::Binding binding{};
};

// A parameter symbol one editor uses in an image of a given version.
struct SymbolUse {
    std::string symbol;  // the full symbol name
    int32_t width;       // in bytes
    bool loaded;         // Load reads it
    bool stored;         // Store writes it
};

// What both firmware editors share: the symbol-layer handle, the image's file name, opening an
// image with the acceptance test for unit firmware (32-bit little-endian AVR executable), the
// serial-line and node records, and Load and Store, which walk the one table of parameter
// symbols (in ElfEditorBase.cpp) with the family's column of it.
class ElfEditorBase {
  public:
    ElfEditorBase(const ElfEditorBase&) = delete;
    ElfEditorBase& operator=(const ElfEditorBase&) = delete;

    ElfEditorResult Init();
    ElfEditorResult End();
    ElfEditorResult Open();
    ElfEditorResult Close();

    // The family's parameters between the image and the records, in the table's order. Load
    // puts each value into its record at once, so what was read before a failure stays there.
    // Store encodes each value before writing its symbol, so a value without an encoding leaves
    // its symbol untouched (and those before it written). Either stops with ErrOutOfRange at a
    // value that has no meaning or no encoding, and refuses an image without a version before
    // reading or writing anything else. The RS485 unit's packet marks must differ: Load
    // compares them after every value is loaded, Store before anything is written.
    ElfEditorResult Load();
    ElfEditorResult Store();
    // The symbol the last Load or Store stopped at, missing or holding a value without meaning
    // or encoding (both packet marks' when they were the same byte); empty after a success.
    const std::string& FailedSymbol() const { return m_failedSymbol; }

    // Back to the records of a fresh editor. A Load reads only the symbols of its image's
    // version (no interface port up to 36, no flow control or check code from 37), so without
    // this a field the image lacks would keep the value of the image loaded before it.
    void ForgetRecords() { m_records = {}; }

    // The parameter symbols `family`'s Load or Store uses in an image of `version`, in the order
    // they run; the version symbol itself is not listed.
    static std::vector<SymbolUse> SymbolsUsed(UnitFamily family, uint8_t version);
    // The symbols `family`'s Store writes in an image of `version`, each with the bytes it
    // writes there for `records`, in the order it writes them; nothing when a value has no
    // encoding (the Store would refuse it). The symbols named in `leaving` are left out (a
    // caller that does not give them, whose image keeps its own).
    static std::optional<std::vector<ImageSymbol>> StoredSymbols(
        UnitFamily family, uint8_t version, const ImageRecords& records,
        const std::vector<std::string>& leaving = {});

    const std::string& FileName() const { return m_fileName; }
    void FileName(const std::string& fileName) { m_fileName = fileName; }

    Common::Communication CommunicationConfig() const { return m_records.communication; }
    void CommunicationConfig(const Common::Communication& config) { m_records.communication = config; }
    Common::Nodeinfo NodeinfoConfig() const { return m_records.nodeinfo; }
    void NodeinfoConfig(const Common::Nodeinfo& config) { m_records.nodeinfo = config; }

  protected:
    explicit ElfEditorBase(UnitFamily family) : m_family(family) {}
    // Releases a handle the owner forgot to End, so that no descriptor outlives the editor.
    ~ElfEditorBase();

    ImageRecords m_records;

  private:
    // Thrown by the steps of a Load or Store: it stops at its first problem.
    struct StepFailure {
        ElfEditorResult result;
    };
    // Runs a Load or Store sequence and turns its first failure into the result.
    template <typename Steps>
    ElfEditorResult RunSteps(Steps&& steps);

    uint8_t GetVersion();
    void RequireDistinctMarks();
    uint64_t ReadSymbol(const char* name, int32_t width);
    void WriteSymbol(const char* name, int32_t width, uint64_t data);

    UnitFamily m_family;
    std::string m_failedSymbol;
    ElfApiHandle* m_elfHandle = nullptr;
    std::string m_fileName;
};

}  // namespace Tormel::Domain::Firmware
