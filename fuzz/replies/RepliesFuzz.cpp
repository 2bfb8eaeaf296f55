// SPDX-License-Identifier: MIT
// Every RS485 reply parser and the "~ALLPARAM?" listing reader over arbitrary text. The only
// outcomes allowed are a value, ErrCommand or (an echoed group binding) ErrOutOfRange; a
// crash, a hang, any other exception or any other result is a finding.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/modem/Replies.h"

using namespace Tormel::Domain::Modem;
using namespace Tormel::Domain::Modem::Replies;

namespace {

struct ListingEnded {};

void Outcome(const std::function<void()>& parse) {
    try {
        parse();
    } catch (const CommandError& error) {
        if (error.Result() != CommandResult::ErrCommand && error.Result() != CommandResult::ErrOutOfRange)
            std::abort();
    }
}

void EveryParser(std::string_view line) {
    const PacketFormat formats[] = {PacketFormat::First, PacketFormat::Second};
    Outcome([&] { ParseBaudRate(line); });
    Outcome([&] { ParseDataBits(line); });
    Outcome([&] { ParseParity(line); });
    Outcome([&] { ParseStopBits(line); });
    Outcome([&] { ParseIntfPort(line); });
    Outcome([&] { ParseFlowControl(line); });
    Outcome([&] { ParseAutoParamSync(line); });
    Outcome([&] { ParseExtendedGroup(line); });
    Outcome([&] { ParseAESEncryptEnable(line); });
    Outcome([&] { ParseAESEncryptType(line); });
    Outcome([&] { ParseEncryptEnable(line, false); });
    Outcome([&] { ParseEncryptEnable(line, true); });
    Outcome([&] { ParseWhitening(line); });
    Outcome([&] { ParseThroughMode(line); });
    Outcome([&] { ParseFmt2Enable(line); });
    Outcome([&] { ParseDeviEnable(line); });
    Outcome([&] { ParseBindType(line); });
    Outcome([&] { ParseCmdIF(line); });
    Outcome([&] { ParseSilentChar(line); });
    for (auto which : formats) {
        Outcome([&] { ParseStx(line, which); });
        Outcome([&] {
            auto end = ParseEtx(line, which);
            if (end.Offset > 9 || end.Mark == 0 || end.Mark == 0x7E) std::abort();
        });
        Outcome([&] {
            auto device = ParseDevice(line, which);
            if (device.Offset > 99 || device.Length > 6) std::abort();
        });
    }
    Outcome([&] {
        auto verify = ParseVerify(line);
        if (verify.Offset < -99 || verify.Offset > 99 || verify.Length < 1 || verify.Length > 4) std::abort();
    });
    Outcome([&] {
        if (ParseIdOffset(line) > 9999) std::abort();
    });
    Outcome([&] {
        if (ParseBcastAddr(line) > 0xFFFF) std::abort();
    });
    Outcome([&] {
        auto group = ParseBindGroupAdded(line);
        if (group.Id > 99 || !IsValidMaskAndKey(group.Mask, group.Key)) std::abort();
    });
    Outcome([&] {
        auto each = ParseBindEachAdded(line);
        if (each.NodeId > 99 || each.UnitId < 1 || each.UnitId > 99) std::abort();
    });
    Outcome([&] {
        for (uint32_t word : ParseEncryptKey(line))
            if (word > 0xFFFF) std::abort();
    });
    Tormel::Domain::Common::BindingGroup group;
    if (ParseGroupListEntry(line, group) == EntryKind::Entry && !IsValidMaskAndKey(group.Mask, group.Key))
        std::abort();
    Tormel::Domain::Common::BindingEach each;
    ParseEachListEntry(line, each);
}

}  // namespace

// Input: the first byte chooses the listing's version and generation; the rest is lines
// separated by LF. Each line goes through every parser, and all lines together are read as
// the unit's listing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t gatesByte = data[0];
    std::vector<std::string> lines;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!text.empty()) {
        size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    for (const auto& line : lines) EveryParser(line);

    ListingGates gates;
    gates.Over2_5 = gatesByte & 1;
    gates.Under2_4 = gatesByte & 2;
    gates.Over2_2 = gatesByte & 4;
    gates.Is2_1 = gatesByte & 8;
    gates.NewerModule = gatesByte & 16;
    Tormel::Domain::Common::Communication communication;
    Tormel::Domain::Common::Protocol protocol;
    Tormel::Domain::Common::Binding binding;
    Tormel::Domain::Common::Nodeinfo nodeinfo;
    size_t next = 0;
    try {
        Outcome([&] {
            ParseAllParamListing(
                [&]() -> std::string {
                    if (next >= lines.size()) throw ListingEnded{};
                    return lines[next++];
                },
                gates, communication, protocol, binding, nodeinfo);
        });
    } catch (const ListingEnded&) {
        // A listing cut short: on a port the read would time out.
    }
    if (binding.Groups && binding.Groups->size() > kMaxListedBindings) std::abort();
    if (binding.Eachs && binding.Eachs->size() > kMaxListedBindings) std::abort();
    return 0;
}
