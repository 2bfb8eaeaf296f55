// SPDX-License-Identifier: MIT
// The symbol layer against real AVR images (tests/fixtures) and damaged copies of them, checked
// with the test's own ELF reader.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <memory>

#include "elfapi/ElfApi.h"
#include "fixtures/FixtureImage.h"

namespace {

using namespace pelnix::test;

struct HandleDeleter {
    void operator()(ElfApiHandle* handle) const {
        ElfApiClose(handle);
        ElfApiEnd(handle);
    }
};
using Handle = std::unique_ptr<ElfApiHandle, HandleDeleter>;

Handle NewHandle() {
    Handle handle(ElfApiInit());
    if (!handle) {
        throw std::runtime_error("ElfApiInit failed");
    }
    return handle;
}

int32_t Read(ElfApiHandle* handle, const char* name, int32_t size, uint64_t* data, int32_t offset = 0) {
    _ElfSymbolInfo info{name, offset, size, 0xDEADBEEFu};
    const int32_t rc = ElfApiGetSymbol(handle, &info);
    *data = info.data;
    return rc;
}

int32_t Write(ElfApiHandle* handle, const char* name, int32_t size, uint64_t data, int32_t offset = 0) {
    _ElfSymbolInfo info{name, offset, size, data};
    return ElfApiSetSymbol(handle, &info);
}

class ElfApiTest : public ::testing::Test {
  protected:
    TempFolder folder;
    Handle handle = NewHandle();
};

TEST_F(ElfApiTest, NullArgumentsAndClosedHandleAreRefused) {
    _ElfSymbolInfo info{"layer_u16", 0, 2, 0};
    _ElfHeader header{};
    EXPECT_EQ(ElfApiEnd(nullptr), -1);
    EXPECT_EQ(ElfApiOpen(nullptr, "x"), -1);
    EXPECT_EQ(ElfApiOpen(handle.get(), nullptr), -1);
    EXPECT_EQ(ElfApiClose(nullptr), -1);
    EXPECT_EQ(ElfApiGetElfHeader(nullptr, &header), -1);
    EXPECT_EQ(ElfApiGetElfHeader(handle.get(), nullptr), -1);
    EXPECT_EQ(ElfApiGetSymbol(nullptr, &info), -1);
    EXPECT_EQ(ElfApiSetSymbol(handle.get(), nullptr), -1);

    // A fresh handle is closed: closing it is harmless, using it is a state error.
    EXPECT_EQ(ElfApiClose(handle.get()), 0);
    EXPECT_EQ(ElfApiGetElfHeader(handle.get(), &header), -2);
    EXPECT_EQ(ElfApiGetSymbol(handle.get(), &info), -2);
    EXPECT_EQ(ElfApiSetSymbol(handle.get(), &info), -2);
}

TEST_F(ElfApiTest, SizesTheValueCannotHoldAreRefusedBeforeAnyAccess) {
    const auto path = folder.Copy("layer.elf");
    const auto before = ReadBytes(path);
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);
    uint64_t data = 0;
    for (int32_t size : {9, 64, -1, INT32_MIN}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(Read(handle.get(), "layer_u64", size, &data), -1);
        EXPECT_EQ(Write(handle.get(), "layer_u64", size, ~0ull), -1);
    }
    _ElfSymbolInfo noName{nullptr, 0, 1, 0};
    EXPECT_EQ(ElfApiGetSymbol(handle.get(), &noName), -1);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(ElfApiTest, FilesThatCannotBeOpenedLeaveTheHandleClosed) {
    const auto text = folder / "notes.txt";
    WriteBytes(text, Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    const auto fifo = folder / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto readOnly = folder.Copy("layer.elf");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);

    const size_t descriptors = OpenDescriptors();
    EXPECT_EQ(ElfApiOpen(handle.get(), (folder / "missing.elf").c_str()), -3);
    EXPECT_EQ(ElfApiOpen(handle.get(), folder.Path().c_str()), -3);
    // A FIFO would block libelf's read for ever.
    EXPECT_EQ(ElfApiOpen(handle.get(), fifo.c_str()), -3);
    if (geteuid() != 0) {
        EXPECT_EQ(ElfApiOpen(handle.get(), readOnly.c_str()), -3);
    }
    EXPECT_EQ(ElfApiOpen(handle.get(), text.c_str()), -8);
    _ElfHeader header{};
    EXPECT_EQ(ElfApiGetElfHeader(handle.get(), &header), -2);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(ElfApiTest, HeaderIsCopiedInTheThirtyTwoBitLayoutForEitherClass) {
    const auto path = folder.Copy("layer.elf");
    const auto image = ReadBytes(path);
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);
    _ElfHeader header{};
    ASSERT_EQ(ElfApiGetElfHeader(handle.get(), &header), 0);
    static_assert(sizeof(_ElfHeader) == 52);
    // The file's own header bytes are the 32-bit layout: the copy must match them byte for byte.
    EXPECT_EQ(std::memcmp(&header, image.data(), sizeof header), 0);
    EXPECT_EQ(header.e_machine, 83);

    const auto host = folder.Copy("host64");
    const auto hostImage = ReadBytes(host);
    ASSERT_EQ(ElfApiOpen(handle.get(), host.c_str()), 0);
    ASSERT_EQ(ElfApiGetElfHeader(handle.get(), &header), 0);
    EXPECT_EQ(header.e_ident[4], 2);
    EXPECT_EQ(header.e_shoff, static_cast<uint32_t>(Get<uint64_t>(hostImage, 0x28)));
    EXPECT_EQ(header.e_shnum, Get<uint16_t>(hostImage, 0x3C));
    // The layer itself reads symbols of either class.
    uint64_t data = 0;
    EXPECT_EQ(Read(handle.get(), "TormelParamsM_S_version", 1, &data), 0);
    EXPECT_EQ(data, 37u);
}

TEST_F(ElfApiTest, ReadsValuesLittleEndianWithHigherBytesZero) {
    const auto path = folder.Copy("layer.elf");
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);
    struct Case {
        const char* name;
        int32_t offset;
        int32_t size;
        uint64_t expected;
    };
    const Case cases[] = {
        {"TormelParamsM$u8", 0, 1, 0x5A}, {"layer_u16", 0, 2, 0x1234},
        {"layer_u16", 0, 1, 0x34},        {"layer_u16", 1, 1, 0x12},
        {"layer_u32", 0, 4, 0xA1B2C3D4},  {"layer_u64", 0, 8, 0x0102030405060708},
        {"layer_u64", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " size " + std::to_string(c.size));
        uint64_t data = 0;
        EXPECT_EQ(Read(handle.get(), c.name, c.size, &data, c.offset), 0);
        EXPECT_EQ(data, c.expected);
    }
    // Names match whole and case-sensitive only.
    uint64_t data = 0;
    for (const char* name : {"tormelParamsM$u8", "TormelParamsM$", "TormelParamsM_S_u8", "layer_u1", ""}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(handle.get(), name, 1, &data), -7);
    }
}

TEST_F(ElfApiTest, FirstSymbolOfANameDecidesEvenWithoutFileBytes) {
    const auto path = folder.Copy("layer.elf");
    const auto before = ReadBytes(path);
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);

    // Two file-local variables share a name; the first in table order wins.
    const auto first = FindSymbol(before, "layer_dup");
    ASSERT_EQ(first.sectionType, kShtProgbits);
    uint64_t data = 0;
    EXPECT_EQ(Read(handle.get(), "layer_dup", 1, &data), 0);
    EXPECT_EQ(data, before.at(first.fileOffset));
    EXPECT_EQ(data, 0x11u);

    // A variable in .bss has no bytes in the file; a later initialised namesake is not taken.
    ASSERT_EQ(FindSymbol(before, "layer_shadow").sectionType, kShtNobits);
    for (const char* name : {"layer_bss", "layer_shadow"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read(handle.get(), name, 1, &data), -5);
        EXPECT_EQ(Write(handle.get(), name, 1, 0x77), -6);
    }
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(ElfApiTest, WriteChangesExactlyTheSymbolBytesAndIsReadBackOnTheSameHandle) {
    const auto path = folder.Copy("layer.elf");
    const auto before = ReadBytes(path);
    const auto u16 = FindSymbol(before, "layer_u16");
    const auto u64 = FindSymbol(before, "layer_u64");
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);

    // size 1 keeps only the low byte of the value
    EXPECT_EQ(Write(handle.get(), "layer_u16", 1, 0x1234), 0);
    uint64_t data = 0;
    EXPECT_EQ(Read(handle.get(), "layer_u16", 2, &data), 0);
    EXPECT_EQ(data, 0x1234u);  // 0x34 over 0x34: the high byte stays 0x12
    EXPECT_EQ(Write(handle.get(), "layer_u16", 1, 0xBEEF), 0);
    EXPECT_EQ(Read(handle.get(), "layer_u16", 2, &data), 0);
    EXPECT_EQ(data, 0x12EFu);
    EXPECT_EQ(Write(handle.get(), "layer_u64", 8, 0x8877665544332211), 0);
    EXPECT_EQ(Read(handle.get(), "layer_u64", 8, &data), 0);
    EXPECT_EQ(data, 0x8877665544332211u);
    ASSERT_EQ(ElfApiClose(handle.get()), 0);

    const auto after = ReadBytes(path);
    std::vector<size_t> expected{static_cast<size_t>(u16.fileOffset)};
    for (size_t i = 0; i < 8; ++i) {
        expected.push_back(u64.fileOffset + i);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Differences(before, after), expected);
    EXPECT_EQ(after.at(u16.fileOffset), 0xEF);
    EXPECT_EQ(Peek(after, "layer_u64", 8), 0x8877665544332211u);
}

TEST_F(ElfApiTest, OpenClosesThePreviousImageAndEndReleasesEverything) {
    const auto first = folder.Copy("layer.elf");
    const auto second = folder.Copy("rs485_v37.elf");
    const size_t descriptors = OpenDescriptors();
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(ElfApiOpen(handle.get(), first.c_str()), 0);
        ASSERT_EQ(ElfApiOpen(handle.get(), second.c_str()), 0);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors + 1);
    uint64_t data = 0;
    EXPECT_EQ(Read(handle.get(), "layer_u16", 2, &data), -7);
    EXPECT_EQ(Read(handle.get(), "TormelParamsM$version", 1, &data), 0);
    EXPECT_EQ(data, 37u);

    ElfApiHandle* other = ElfApiInit();
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(ElfApiOpen(other, first.c_str()), 0);
    EXPECT_EQ(ElfApiEnd(other), 0);
    EXPECT_EQ(ElfApiClose(handle.get()), 0);
    EXPECT_EQ(ElfApiClose(handle.get()), 0);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

// Damaged symbol tables, made by patching a copy of a good image.
TEST_F(ElfApiTest, DamagedSymbolTables) {
    const auto good = ReadBytes(FixturePath("layer.elf"));
    const auto table = SymbolTable(good);
    struct Case {
        const char* what;
        void (*damage)(Bytes&, const RawSection&);
        int32_t openCode;
        int32_t readCode;
    };
    const Case cases[] = {
        {"only the null entry", [](Bytes& b, const RawSection& t) { Put<uint32_t>(b, t.headerAt + 20, 16); },
         0, -7},
        {"entry size 0", [](Bytes& b, const RawSection& t) { Put<uint32_t>(b, t.headerAt + 36, 0); }, 0, -2},
        {"size 0", [](Bytes& b, const RawSection& t) { Put<uint32_t>(b, t.headerAt + 20, 0); }, 0, -2},
        {"no symbol table", [](Bytes& b, const RawSection& t) { Put<uint32_t>(b, t.headerAt + 4, 1); }, -5,
         -2},
        // A table claiming far more entries than its bytes hold must not be walked for ever.
        {"entry size 1 and a huge size",
         [](Bytes& b, const RawSection& t) {
             Put<uint32_t>(b, t.headerAt + 36, 1);
             Put<uint32_t>(b, t.headerAt + 20, 0xFFFFFFF0u);
         },
         0, -7},
        {"string table index out of range",
         [](Bytes& b, const RawSection& t) { Put<uint32_t>(b, t.headerAt + 24, 0xFFFF); }, 0, -7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto image = good;
        c.damage(image, table);
        const auto path = folder / "damaged.elf";
        WriteBytes(path, image);
        const int32_t openCode = ElfApiOpen(handle.get(), path.c_str());
        uint64_t data = 0;
        if (c.openCode == 0) {
            ASSERT_EQ(openCode, 0);
            // The huge table may fail to load as a whole: then no symbol is found either.
            EXPECT_EQ(Read(handle.get(), "layer_u16", 2, &data), c.readCode);
            EXPECT_EQ(Write(handle.get(), "layer_u16", 2, 0xFFFF), c.readCode);
        } else {
            EXPECT_EQ(openCode, c.openCode);
            EXPECT_EQ(Read(handle.get(), "layer_u16", 2, &data), -2);
        }
        EXPECT_EQ(ReadBytes(path), image);
    }
}

// A symbol that points outside its section's bytes in the file: nothing may be read from or
// written to whatever happens to lie there.
TEST_F(ElfApiTest, SymbolOutsideItsSectionIsRefusedBeforeAnyByteMoves) {
    const auto good = ReadBytes(FixturePath("layer.elf"));
    const auto sections = ReadSections(good);
    const auto u16 = FindSymbol(good, "layer_u16");
    const auto& data = sections.at(u16.shndx);
    struct Case {
        const char* what;
        uint32_t value;        // new st_value of layer_u16
        uint32_t sectionSize;  // new sh_size of its section
        int32_t offset;
    };
    const Case cases[] = {
        {"just past the end", data.addr + data.size - 1, data.size, 0},
        {"far beyond the file", data.addr + 0x100000, data.size, 0},
        {"before the section", data.addr - 4, data.size, 0},
        {"offset pushes it out", u16.value, data.size, static_cast<int32_t>(data.size)},
        {"negative offset", u16.value, data.size, -0x1000},
        {"section reaching past the end of the file", data.addr + 0x10000, 0x20000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto image = good;
        Put<uint32_t>(image, u16.entryAt + 4, c.value);
        Put<uint32_t>(image, data.headerAt + 20, c.sectionSize);
        const auto path = folder / "hostile.elf";
        WriteBytes(path, image);
        ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);
        uint64_t value = 0;
        EXPECT_EQ(Read(handle.get(), "layer_u16", 2, &value, c.offset), -5);
        EXPECT_EQ(Write(handle.get(), "layer_u16", 2, 0xFFFF, c.offset), -6);
        EXPECT_EQ(ReadBytes(path), image);
    }
}

TEST_F(ElfApiTest, BigEndianImageIsNeitherReadNorWritten) {
    if (!std::filesystem::exists(FixturePath("bigendian.o"))) {
        GTEST_SKIP() << "no clang to build it";
    }
    const auto path = folder.Copy("bigendian.o");
    const auto before = ReadBytes(path);
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);
    uint64_t data = 0;
    EXPECT_EQ(Read(handle.get(), "TormelParamsM_S_version", 1, &data), -5);
    EXPECT_EQ(Write(handle.get(), "TormelParamsM_S_version", 1, 0x55), -6);
    EXPECT_EQ(ReadBytes(path), before);
}

// A write the file system cuts short (here by the file-size limit, as a full disk would) must
// be reported, not taken for a stored value.
TEST_F(ElfApiTest, ShortWriteIsAFailure) {
    const auto path = folder.Copy("layer.elf");
    const auto u32 = FindSymbol(ReadBytes(path), "layer_u32");
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(u32.fileOffset + 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int32_t rc = Write(handle.get(), "layer_u32", 4, 0x11223344);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(rc, -6);
}

TEST_F(ElfApiTest, StatisticsCountTheBytesWritten) {
    const auto path = folder.Copy("layer.elf");
    ASSERT_EQ(ElfApiOpen(handle.get(), path.c_str()), 0);
    ElfApiResetStatistics();
    uint64_t data = 0;
    ASSERT_EQ(Write(handle.get(), "layer_u32", 4, 1), 0);
    ASSERT_EQ(Write(handle.get(), "layer_u16", 2, 1), 0);
    ASSERT_EQ(Read(handle.get(), "layer_u64", 8, &data), 0);
    ASSERT_EQ(Write(handle.get(), "layer_bss", 1, 1), -6);
    ElfApiStatistics statistics{};
    ElfApiGetStatistics(&statistics);
    EXPECT_EQ(statistics.symbolWrites, 2u);
    EXPECT_EQ(statistics.bytesWritten, 6u);
    EXPECT_EQ(statistics.symbolReads, 1u);
    EXPECT_EQ(statistics.bytesRead, 8u);
}

}  // namespace
