// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tormel::Domain::Firmware {

// A parameter symbol of an image, read or written as raw bytes past the editors: what a patch
// must leave as the image had it, and what no editor loads.
struct ImageSymbol {
    std::string name;
    int32_t width;  // in bytes
    uint64_t data = 0;
};

// The 16 AES key words. No record taken from an image carries the key, so a store that is not
// to change it keeps these.
std::vector<ImageSymbol> AesKeySymbols();
// Whether the symbol is a key word (AES or the older encryption): its bytes are the unit's
// secret, never shown.
bool IsKeyWord(const std::string& symbol);

// Reads every symbol's bytes into `symbols` (or writes them); false at the first symbol the
// image lacks or when the image cannot be opened or closed. A write reaches the file only
// when every symbol was written.
bool ReadImageSymbols(const std::string& imagePath, std::vector<ImageSymbol>& symbols);
bool WriteImageSymbols(const std::string& imagePath, const std::vector<ImageSymbol>& symbols);

// The symbols of `wanted` the image holds, with their bytes read; nothing when the image cannot
// be read at all.
std::optional<std::vector<ImageSymbol>> ReadHeldSymbols(const std::string& imagePath,
                                                        const std::vector<ImageSymbol>& wanted);

}  // namespace Tormel::Domain::Firmware
