// SPDX-License-Identifier: MIT
#include "domain/modem/DidoCommand.h"

#include <string>

namespace Tormel::Domain::Modem {

using Common::DidoinfoDiDelay;
using Common::DidoinfoDoBind;
using Common::DidoinfoDoInvert;
using Common::DidoinfoDoKeepSignal;
using Common::DidoinfoDoKeepTime;
using Common::DidoinfoDoOffDelay;
using Common::DidoinfoDoOnDelay;

namespace {

[[noreturn]] void Mismatch() { throw CommandError(CommandResult::ErrCommand); }

// The character at a fixed position; a line too short for it does not match.
char At(std::string_view line, size_t position) {
    if (position >= line.size()) Mismatch();
    return line[position];
}

// The value field of a sentence: from `start` up to the last `tail` characters.
std::string_view Field(std::string_view line, size_t start, size_t tail) {
    if (line.size() < start + tail) Mismatch();
    return line.substr(start, line.size() - start - tail);
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// A whole decimal number (spaces around it and a leading "+" allowed) within [low, high].
// The delays and the keep time are never negative on the unit; a minus is a faulty reply.
int32_t Decimal(std::string_view text, int32_t low, int32_t high) {
    text = TrimSpaces(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) Mismatch();
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') Mismatch();
        value = value * 10 + (c - '0');
        if (value > high) Mismatch();
    }
    if (value < low) Mismatch();
    return static_cast<int32_t>(value);
}

}  // namespace

// ---- wire codes ----

std::optional<int> DidoCommand::DoBindCode(DidoinfoDoBind value) {
    const auto v = static_cast<int32_t>(value);
    if (v < 0 || v > 2) return std::nullopt;
    return v + 1;
}

std::optional<int> DidoCommand::DoInvertCode(DidoinfoDoInvert value) {
    const auto v = static_cast<int32_t>(value);
    if (v != 0 && v != 1) return std::nullopt;
    return v;
}

std::optional<int> DidoCommand::DoKeepSignalCode(DidoinfoDoKeepSignal value) {
    const auto v = static_cast<int32_t>(value);
    if (v != 0 && v != 1) return std::nullopt;
    return v;
}

// ---- parsers ----

std::array<DidoinfoDoBind, 3> DidoCommand::ParseDoBind(std::string_view line) {
    std::array<DidoinfoDoBind, 3> binds{};
    const size_t positions[3] = {23, 29, 35};
    for (size_t i = 0; i < 3; ++i) {
        const char c = At(line, positions[i]);
        if (c < '1' || c > '3') Mismatch();
        binds[i] = static_cast<DidoinfoDoBind>(c - '1');
    }
    return binds;
}

std::array<DidoinfoDoInvert, 3> DidoCommand::ParseDoInvert(std::string_view line) {
    std::array<DidoinfoDoInvert, 3> forms{};
    const size_t positions[3] = {15, 21, 27};
    for (size_t i = 0; i < 3; ++i) {
        const char c = At(line, positions[i]);
        if (c == 'a')
            forms[i] = DidoinfoDoInvert::NONINVERT;
        else if (c == 'b')
            forms[i] = DidoinfoDoInvert::INVERT;
        else
            Mismatch();
    }
    return forms;
}

DidoinfoDoOffDelay DidoCommand::ParseDoOffDelay(std::string_view line) {
    return static_cast<DidoinfoDoOffDelay>(Decimal(Field(line, 18, 5), 0, 1200));
}

DidoinfoDoOnDelay DidoCommand::ParseDoOnDelay(std::string_view line) {
    return static_cast<DidoinfoDoOnDelay>(Decimal(Field(line, 17, 5), 0, 1200));
}

DidoinfoDoKeepTime DidoCommand::ParseDoKeepTime(std::string_view line) {
    const int32_t value = Decimal(Field(line, 14, 4), 0, 3600);
    if (value != 0 && value < 30) Mismatch();
    return static_cast<DidoinfoDoKeepTime>(value);
}

DidoinfoDoKeepSignal DidoCommand::ParseDoKeepSignal(std::string_view line) {
    if (line == "Keep signal is OFF ") return DidoinfoDoKeepSignal::OFF;
    if (line == "Keep signal is ON ") return DidoinfoDoKeepSignal::ON;
    Mismatch();
}

DidoinfoDiDelay DidoCommand::ParseDiDelay(std::string_view line) {
    // Read as text, not as a binary fraction: ten times 2.3 in floating point is 22.99...,
    // which would truncate to 22 and fail the confirmation of a 23 just written.
    std::string_view text = TrimSpaces(Field(line, 18, 4));
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) Mismatch();
    int64_t tenths = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') Mismatch();
        tenths = tenths * 10 + (c - '0');
        if (tenths > 100) Mismatch();
    }
    tenths *= 10;
    for (size_t i = 0; i < fraction.size(); ++i) {
        const char c = fraction[i];
        if (c < '0' || c > '9') Mismatch();
        if (i == 0) tenths += c - '0';  // hundredths and below are truncated away
    }
    if (tenths > 100) Mismatch();
    return static_cast<DidoinfoDiDelay>(tenths);
}

// ---- readers ----

void DidoCommand::GetDoBind() {
    Send("~BINDDO?");
    const auto binds = ParseDoBind(Receive());
    m_didoinfo.Do1Bind = binds[0];
    m_didoinfo.Do2Bind = binds[1];
    m_didoinfo.Do3Bind = binds[2];
}

void DidoCommand::GetDoInvert() {
    Send("~CONTACT?");
    const auto forms = ParseDoInvert(Receive());
    m_didoinfo.Do1Invert = forms[0];
    m_didoinfo.Do2Invert = forms[1];
    m_didoinfo.Do3Invert = forms[2];
}

void DidoCommand::GetDoOffDelay() {
    Send("~OFFDELAY?");
    m_didoinfo.DoOffDelay = ParseDoOffDelay(Receive());
}

void DidoCommand::GetDoOnDelay() {
    Send("~ONDELAY?");
    m_didoinfo.DoOnDelay = ParseDoOnDelay(Receive());
}

void DidoCommand::GetDoKeepTime() {
    Send("~KEEP?");
    m_didoinfo.DoKeepTime = ParseDoKeepTime(Receive());
}

void DidoCommand::GetDoKeepSignal() {
    Send("~KEEPSIGNAL?");
    m_didoinfo.DoKeepSignal = ParseDoKeepSignal(Receive());
}

void DidoCommand::GetDiDelay() {
    Send("~DIDELAY?");
    m_didoinfo.DiDelay = ParseDiDelay(Receive());
}

}  // namespace Tormel::Domain::Modem
