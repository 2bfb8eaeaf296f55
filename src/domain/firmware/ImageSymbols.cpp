// SPDX-License-Identifier: MIT
#include "domain/firmware/ImageSymbols.h"

#include "elfapi/ElfApi.h"

namespace Tormel::Domain::Firmware {

namespace {

enum class Access { Read, Write, ReadHeld };

// One open of the image for all symbols. With ReadHeld a symbol the image lacks is dropped
// from `symbols` instead of failing the whole read.
bool AccessSymbols(const std::string& imagePath, std::vector<ImageSymbol>& symbols, Access access) {
    ElfApiHandle* handle = ElfApiInit();
    if (handle == nullptr) {
        return false;
    }
    bool ok = ElfApiOpen(handle, imagePath.c_str()) == ELFAPI_OK;
    if (ok) {
        std::vector<ImageSymbol> held;
        for (ImageSymbol& symbol : symbols) {
            const bool write = access == Access::Write;
            _ElfSymbolInfo info{symbol.name.c_str(), 0, symbol.width, write ? symbol.data : 0};
            const int32_t result = write ? ElfApiSetSymbol(handle, &info) : ElfApiGetSymbol(handle, &info);
            if (result == ELFAPI_ERR_UNKNOWN_SYMBOL && access == Access::ReadHeld) {
                continue;
            }
            if (result != ELFAPI_OK) {
                ok = false;
                break;
            }
            if (!write) {
                symbol.data = info.data;
                held.push_back(symbol);
            }
        }
        if (access == Access::ReadHeld) {
            symbols = std::move(held);
        }
        // A write reaches the file only when it is closed.
        ok = ElfApiClose(handle) == ELFAPI_OK && ok;
    }
    ElfApiEnd(handle);
    return ok;
}

}  // namespace

std::vector<ImageSymbol> AesKeySymbols() {
    std::vector<ImageSymbol> key;
    for (int word = 1; word <= 16; ++word) {
        key.push_back({"TormelParamsM$AESencryptKey" + std::to_string(word), 2, 0});
    }
    return key;
}

bool IsKeyWord(const std::string& symbol) {
    return symbol.starts_with("TormelParamsM$AESencryptKey") ||
           symbol.starts_with("TormelParamsM$encryptKey");
}

bool ReadImageSymbols(const std::string& imagePath, std::vector<ImageSymbol>& symbols) {
    return AccessSymbols(imagePath, symbols, Access::Read);
}

bool WriteImageSymbols(const std::string& imagePath, const std::vector<ImageSymbol>& symbols) {
    std::vector<ImageSymbol> copy = symbols;
    return AccessSymbols(imagePath, copy, Access::Write);
}

std::optional<std::vector<ImageSymbol>> ReadHeldSymbols(const std::string& imagePath,
                                                        const std::vector<ImageSymbol>& wanted) {
    std::vector<ImageSymbol> symbols = wanted;
    if (!AccessSymbols(imagePath, symbols, Access::ReadHeld)) {
        return std::nullopt;
    }
    return symbols;
}

}  // namespace Tormel::Domain::Firmware
