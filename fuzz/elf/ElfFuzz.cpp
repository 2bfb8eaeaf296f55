// SPDX-License-Identifier: MIT
// Opens a mutated image through the symbol layer and reads and writes parameter symbols in it.
// Whatever the image claims, the layer must not crash or hang, and a write may change at most
// the bytes of the one symbol it names: the file keeps its size, and a refused write changes
// nothing at all.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "elfapi/ElfApi.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string& ScratchFile() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelnix-elf-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) abort();
        static std::string folder = pattern;
        atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        });
        return pattern + "/image.elf";
    }();
    return path;
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "elf fuzz: %s\n", what);
        abort();
    }
}

// The names the firmware editors ask for, plus the layer test image's own.
const char* const kNames[] = {"TormelParamsM$version",
                              "TormelParamsM$baudrate",
                              "TormelParamsM$bindType",
                              "TormelParamsM$awt",
                              "TormelParamsM$u8",
                              "layer_u64",
                              "layer_bss",
                              "layer_dup",
                              "TormelParamsM_S_version"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = ScratchFile();
    {
        // A new file each time: truncating a written file makes ext4 flush it on close, which
        // would slow every run down to the disk's pace.
        std::remove(path.c_str());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    static ElfApiHandle* handle = ElfApiInit();
    Check(handle != nullptr, "no handle");

    if (ElfApiOpen(handle, path.c_str()) != 0) {
        _ElfSymbolInfo info{kNames[0], 0, 1, 0};
        Check(ElfApiGetSymbol(handle, &info) == -2, "a failed open left the image open");
        return 0;
    }
    _ElfHeader header{};
    Check(ElfApiGetElfHeader(handle, &header) == 0, "no header of an open image");

    for (const char* name : kNames) {
        for (int32_t width : {1, 2, 8}) {
            _ElfSymbolInfo info{name, 0, width, 0};
            const int32_t rc = ElfApiGetSymbol(handle, &info);
            Check(rc <= 0 && rc >= -8, "code out of range");
            if (rc == 0 && width < 8) Check(info.data >> (8 * width) == 0, "bytes beyond the width");
        }
        const Bytes before = ReadAll(path);
        _ElfSymbolInfo info{name, 0, 2, 0xA55A};
        const int32_t rc = ElfApiSetSymbol(handle, &info);
        const Bytes after = ReadAll(path);
        Check(after.size() == before.size(), "a write changed the file size");
        size_t first = after.size(), last = 0;
        for (size_t i = 0; i < after.size(); ++i) {
            if (after[i] != before[i]) {
                first = std::min(first, i);
                last = i;
            }
        }
        if (rc != 0) Check(first == after.size(), "a refused write changed the file");
        if (first < after.size()) Check(last - first < 2, "a write changed more than the symbol's bytes");
    }
    Check(ElfApiClose(handle) == 0, "close failed");
    return 0;
}
