// SPDX-License-Identifier: MIT
#include "sim/UnitStateFile.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "sim/Rs485Unit.h"
#include "sim/Tx330Unit.h"

namespace Pelnix::Sim {
namespace {

using Tormel::Domain::Common::Parity;
using Tormel::Domain::Common::StopBits;

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<int> Integer(const std::string& text) {
    int base = 10;
    std::string_view digits = text;
    if (digits.substr(0, 2) == "0x" || digits.substr(0, 2) == "0X") {
        base = 16;
        digits.remove_prefix(2);
    }
    int value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

std::optional<std::vector<int>> Integers(const std::string& text, size_t count) {
    std::vector<int> values;
    std::stringstream in(text);
    std::string field;
    while (std::getline(in, field, ',')) {
        auto value = Integer(Trim(field));
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    if (values.size() != count) return std::nullopt;
    return values;
}

bool InRange(const std::optional<int>& v, int low, int high) { return v && *v >= low && *v <= high; }

// Applies one key to the state; false when the key is unknown or its value does not fit.
bool Apply(UnitState& state, const std::string& key, const std::string& value) {
    Rs485State& s = state.rs485;
    auto number = Integer(value);
    auto setInt = [&](int& field, int low, int high) {
        if (!InRange(number, low, high)) return false;
        field = *number;
        return true;
    };
    if (key == "family" || key == "version" || key == "generation" || key == "firmware") return true;
    if (key == "name") {
        state.name = value;
        return true;
    }
    if (key == "baud") {
        static const int rates[] = {2400, 4800, 9600, 19200, 38400, 57600, 76800, 115200};
        for (int rate : rates)
            if (number == rate) {
                state.line.BaudRate = rate;
                return true;
            }
        return false;
    }
    if (key == "databits") return setInt(state.line.DataBits, 7, 8);
    if (key == "parity") {
        if (value == "none")
            state.line.Parity = Parity::None;
        else if (value == "even")
            state.line.Parity = Parity::Even;
        else if (value == "odd")
            state.line.Parity = Parity::Odd;
        else
            return false;
        return true;
    }
    if (key == "stopbits") {
        if (!InRange(number, 1, 2)) return false;
        state.line.StopBits = *number == 2 ? StopBits::Two : StopBits::One;
        return true;
    }
    if (key == "intfport") return setInt(state.line.IntfPort, 1, 2);
    if (key == "cmdif") {
        bool ok = setInt(s.cmdIf, 0, 2);
        if (ok) state.tx330.cmdIf = s.cmdIf;
        return ok;
    }
    if (key == "idoffset") return setInt(s.idOffset, 0, 9999);
    if (key == "stx") return setInt(s.stx, 1, 0xFF);
    if (key == "etx") return setInt(s.etx, 1, 0xFF);
    if (key == "offset") return setInt(s.offset, 0, 9);
    if (key == "stx2") return setInt(s.stx2, 1, 0xFF);
    if (key == "etx2") return setInt(s.etx2, 1, 0xFF);
    if (key == "offset2") return setInt(s.offset2, 0, 9);
    if (key == "bcast") return setInt(s.bcast, 0, 0xFFFF);
    if (key == "whitening") return setInt(s.whitening, 0, 1);
    if (key == "initdelay") return setInt(s.initDelayMs, 0, 3'600'000);
    if (key == "bindtype") {
        if (value == "group")
            s.bindType = 1;
        else if (value == "each")
            s.bindType = 2;
        else
            return false;
        return true;
    }
    if (key == "group") {
        auto v = Integers(value, 3);
        if (!v || !InRange((*v)[0], 0, 99) || !InRange((*v)[1], 0, 0xFF) || !InRange((*v)[2], 0, 0xFF))
            return false;
        s.groups.push_back({(*v)[0], (*v)[1], (*v)[2]});
        return true;
    }
    if (key == "each") {
        auto v = Integers(value, 2);
        if (!v || !InRange((*v)[0], 0, 99) || !InRange((*v)[1], 1, 99)) return false;
        s.eachs.push_back({(*v)[0], (*v)[1]});
        return true;
    }
    return false;
}

}  // namespace

std::optional<UnitState> ParseUnitState(const std::string& text, std::string& error) {
    std::vector<std::pair<int, std::pair<std::string, std::string>>> entries;
    std::stringstream in(text);
    std::string line;
    int number = 0;
    std::string family = "rs485", version, generation = "newer", firmware = "1.7";
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line.front() == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            error = "line " + std::to_string(number) + ": expected key=value";
            return std::nullopt;
        }
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (key == "family") family = value;
        if (key == "version") version = value;
        if (key == "generation") generation = value;
        if (key == "firmware") firmware = value;
        entries.push_back({number, {key, value}});
    }
    if (family != "rs485" && family != "tx330") {
        error = "family must be rs485 or tx330";
        return std::nullopt;
    }
    if (generation != "newer" && generation != "older") {
        error = "generation must be newer or older";
        return std::nullopt;
    }
    UnitState state = family == "tx330" ? Tx330FactoryState()
                                        : Rs485FactoryState(version.empty() ? "2.6" : version,
                                                            generation == "newer", firmware);
    if (!version.empty()) state.version = version;
    for (const auto& [lineNumber, entry] : entries) {
        if (!Apply(state, entry.first, entry.second)) {
            error = "line " + std::to_string(lineNumber) + ": unknown key or bad value: " + entry.first +
                    "=" + entry.second;
            return std::nullopt;
        }
    }
    return state;
}

std::optional<UnitState> LoadUnitStateFile(const std::string& path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    std::stringstream text;
    text << file.rdbuf();
    return ParseUnitState(text.str(), error);
}

}  // namespace Pelnix::Sim
