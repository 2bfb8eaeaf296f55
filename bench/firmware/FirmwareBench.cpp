// SPDX-License-Identifier: MIT
// Load and Store of a complete RS485 parameter set on a firmware image of 256 KiB: time per
// operation (open, load or store, close), and what a Store does to the file: the bytes the
// symbol layer wrote, and the bytes that differ from the original afterwards.
//
//   bench_firmware [rounds]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "domain/firmware/ElfEditor.h"
#include "elfapi/ElfApi.h"

namespace {

using namespace Tormel::Domain::Common;
using Tormel::Domain::Firmware::ElfEditor;
using Tormel::Domain::Firmware::ElfEditorResult;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<char>;

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bench_firmware: %s failed\n", what);
        exit(1);
    }
}

struct Timing {
    std::vector<double> micros;
    void Report(const char* what) {
        std::sort(micros.begin(), micros.end());
        double sum = 0;
        for (double m : micros) {
            sum += m;
        }
        std::printf("%-6s rounds %zu  mean %8.1f us  median %8.1f us  min %8.1f us  max %8.1f us\n", what,
                    micros.size(), sum / static_cast<double>(micros.size()), micros[micros.size() / 2],
                    micros.front(), micros.back());
    }
};

// Every value differs from the image's factory block, so every byte written shows.
void SetAllParameters(ElfEditor& editor) {
    Communication comm;
    comm.BaudRate = 115200;
    comm.DataBits = 7;
    comm.Parity = Parity::Odd;
    comm.StopBits = StopBits::Two;
    comm.IntfPort = 2;
    Nodeinfo node;
    node.IdOffset = 1234;
    node.WhiteningEnable = NodeinfoWhiteningEnable::Enable;
    node.AutoParamSyncEnable = NodeinfoAutoParamSyncEnable::Enable;
    node.ExtendedGroup = NodeinfoExtendedGroup::Enable;
    node.AESEncryptEnable = NodeinfoAESEncryptEnable::Enable;
    node.AESEncryptType = NodeinfoAESEncryptType::AES256;
    for (int i = 0; i < 16; ++i) {
        node.*kAESEncryptKeyFields[i] = 0xA000u + i;
    }
    node.EncryptEnable = NodeinfoEncryptEnable::Enable;
    for (int i = 0; i < 8; ++i) {
        node.*kEncryptKeyFields[i] = 0xB000u + i;
    }
    Protocol proto;
    proto.ThroughMode = ProtocolThrough::Size;
    proto.SilentChar = 50;
    proto.Fmt2Enable = ProtocolFmt2Enable::Enable;
    proto.PacketStartCode = 0x40;
    proto.PacketEndCode = 0x41;
    proto.PacketOffset = 5;
    proto.PacketStartCode2nd = 0x42;
    proto.PacketEndCode2nd = 0x43;
    proto.PacketOffset2nd = 6;
    proto.DeviEnable = ProtocolDeviEnable::Fix;
    proto.AddressOffset = 10;
    proto.AddressLength = 4;
    proto.AddressFormat = ProtocolFormat::BigEndian;
    proto.AddressOffset2nd = 11;
    proto.AddressLength2nd = 5;
    proto.AddressFormat2nd = ProtocolFormat::LittleEndian;
    proto.BcastAddr = 0x1234;
    Binding binding;
    binding.BindType = BindingType::Each;
    editor.CommunicationConfig(comm);
    editor.NodeinfoConfig(node);
    editor.ProtocolConfig(proto);
    editor.BindingConfig(binding);
}

double MicrosSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 500;
    const auto source = std::filesystem::path(PELNIX_FIXTURE_DIR) / "rs485_v37_256k.elf";
    std::string pattern = (std::filesystem::temp_directory_path() / "pelnix-bench-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    const std::filesystem::path folder = pattern;
    const auto image = folder / "image.elf";
    std::filesystem::copy_file(source, image);
    const Bytes original = ReadAll(image);

    ElfEditor editor;
    Require(editor.Init() == ElfEditorResult::Success, "Init");
    editor.FileName(image.string());

    Timing load;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        Require(editor.Open() == ElfEditorResult::Success, "Open");
        Require(editor.Load() == ElfEditorResult::Success, "Load");
        Require(editor.Close() == ElfEditorResult::Success, "Close");
        load.micros.push_back(MicrosSince(start));
    }

    SetAllParameters(editor);
    Timing store;
    ElfApiStatistics first{};
    for (int i = 0; i < rounds; ++i) {
        ElfApiResetStatistics();
        const auto start = Clock::now();
        Require(editor.Open() == ElfEditorResult::Success, "Open");
        Require(editor.Store() == ElfEditorResult::Success, "Store");
        Require(editor.Close() == ElfEditorResult::Success, "Close");
        store.micros.push_back(MicrosSince(start));
        if (i == 0) {
            ElfApiGetStatistics(&first);
        }
    }
    Require(editor.End() == ElfEditorResult::Success, "End");

    const Bytes stored = ReadAll(image);
    size_t differing = 0;
    for (size_t i = 0; i < std::min(original.size(), stored.size()); ++i) {
        differing += original[i] != stored[i];
    }

    std::printf("image %zu bytes (%s)\n", original.size(), source.filename().c_str());
    load.Report("Load");
    store.Report("Store");
    std::printf(
        "one Store: %llu symbol writes, %llu bytes written, %zu bytes differ from the original, size %s\n",
        static_cast<unsigned long long>(first.symbolWrites),
        static_cast<unsigned long long>(first.bytesWritten), differing,
        stored.size() == original.size() ? "unchanged" : "CHANGED");

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
