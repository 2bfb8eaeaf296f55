// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace Tormel::Domain::Common {

enum class BindingType : int32_t { Group = 1, Each = 2 };

// One group binding: Mask selects the group size, Key the first node id of the group.
struct BindingGroup {
    uint8_t Id = 0;
    uint8_t Mask = 0;
    uint8_t Key = 0;

    bool operator==(const BindingGroup&) const = default;
};

// One individual binding: local unit id -> remote node id.
struct BindingEach {
    uint8_t UnitId = 0;
    uint8_t NodeId = 0;

    bool operator==(const BindingEach&) const = default;
};

// Which remote node each local unit or group talks to. The lists are absent on creation
// (std::nullopt) and copied with the record.
struct Binding {
    BindingType BindType{};
    std::optional<std::vector<BindingGroup>> Groups;
    std::optional<std::vector<BindingEach>> Eachs;

    bool operator==(const Binding&) const = default;
};

}  // namespace Tormel::Domain::Common
