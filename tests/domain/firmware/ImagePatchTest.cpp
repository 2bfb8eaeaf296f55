// SPDX-License-Identifier: MIT
// Storing settings into a firmware image: the image survives every failing step, the symbols a
// store must not change keep their bytes, and a patched image that does not hold what was
// stored is replaced by its original again.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <tuple>

#include "domain/firmware/ElfEditor_TX330.h"
#include "domain/firmware/ImagePatch.h"
#include "fixtures/FixtureImage.h"

namespace {

using namespace pelnix::test;
using namespace Tormel::Domain::Firmware;
namespace fs = std::filesystem;

// A private folder per test, removed afterwards.
struct Folder {
    fs::path path;
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "pelnix-patch-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
const Bytes kImage = [] {
    Bytes b = Text("ORIGINAL-IMAGE-");
    b.resize(100000, 'x');
    return b;
}();

// Writes "PATCHED" at the start of the work copy, as a Store of new settings would.
ElfEditorResult PatchStart(const std::string& workCopy) {
    Bytes b = ReadBytes(workCopy);
    std::copy_n("PATCHED", 7, b.begin());
    WriteBytes(workCopy, b);
    return ElfEditorResult::Success;
}
Bytes Patched() {
    Bytes b = kImage;
    std::copy_n("PATCHED", 7, b.begin());
    return b;
}

bool Exists(const std::string& path) { return fs::exists(path); }

TEST(ImagePatch, TheImageIsReplacedOnlyWhenEveryStepSucceeded) {
    struct Case {
        const char* name;
        const char* imageName;
        bool storeSucceeds;
        bool imageGoneDuringStore;  // nothing left to back up
        PatchResult expected;
    };
    const Case cases[] = {
        {"success", "unit.elf", true, false, PatchResult::Success},
        {"without extension", "firmware", true, false, PatchResult::Success},
        {"store fails", "unit.elf", false, false, PatchResult::StoreFailed},
        {"backup fails", "unit.elf", true, true, PatchResult::BackupFailed},
        {"named like a work copy", "unit.tmp", true, false, PatchResult::RefusedName},
        {"named like a backup", "unit.BAK", true, false, PatchResult::RefusedName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder dir;
        const std::string image = dir / c.imageName;
        WriteBytes(image, kImage);
        const ImageWorkFiles files = WorkFilesOf(image);
        bool storeCalled = false;
        ImagePatch patch;
        patch.store = [&](const std::string& work) {
            storeCalled = true;
            EXPECT_EQ(work, files.workCopy);
            EXPECT_EQ(ReadBytes(work), kImage);
            if (c.imageGoneDuringStore) fs::remove(image);
            return c.storeSucceeds ? PatchStart(work) : ElfEditorResult::ErrOutOfRange;
        };
        const PatchOutcome outcome = PatchImage(image, patch);
        EXPECT_EQ(outcome.result, c.expected);
        if (c.expected != PatchResult::RefusedName) {  // there the "work copy" is the image
            EXPECT_FALSE(Exists(files.workCopy)) << "no work copy may be left behind";
        }
        if (c.expected == PatchResult::Success) {
            EXPECT_EQ(ReadBytes(image), Patched());
            EXPECT_EQ(outcome.backup, files.backup);
            EXPECT_EQ(ReadBytes(files.backup), kImage);
        } else {
            if (!c.imageGoneDuringStore) {
                EXPECT_EQ(ReadBytes(image), kImage);
            }
            EXPECT_EQ(storeCalled, c.expected != PatchResult::RefusedName);
        }
        if (c.expected == PatchResult::StoreFailed) {
            EXPECT_EQ(outcome.storeResult, ElfEditorResult::ErrOutOfRange);
        }
    }
}

TEST(ImagePatch, NoImageAFolderOrAGoneOneIsRefusedWithoutTouchingAnything) {
    Folder dir;
    ImagePatch never;
    never.store = [](const std::string&) {
        ADD_FAILURE() << "store must not run";
        return ElfEditorResult::Success;
    };
    fs::create_directory(dir / "folder.elf");
    for (const std::string& path : {std::string(), dir / "gone.elf", dir / "folder.elf"}) {
        EXPECT_EQ(PatchImage(path, never).result, PatchResult::NoImage) << path;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(ImagePatch, ALinkedImageIsPatchedBehindTheLinkAndEveryBackupIsKept) {
    Folder dir;
    const std::string real = dir / "real.elf";
    const std::string link = dir / "link.elf";
    WriteBytes(real, kImage);
    fs::create_symlink(real, link);
    ImagePatch patch;
    patch.store = PatchStart;
    EXPECT_EQ(PatchImage(link, patch).result, PatchResult::Success);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), Patched());
    EXPECT_EQ(ReadBytes(dir / "real.bak"), kImage);
    // A second patch never replaces the first original.
    const PatchOutcome again = PatchImage(link, patch);
    EXPECT_EQ(again.result, PatchResult::Success);
    EXPECT_EQ(again.backup, dir / "real.1.bak");
    EXPECT_EQ(ReadBytes(dir / "real.bak"), kImage);
    EXPECT_EQ(ReadBytes(dir / "real.1.bak"), Patched());
}

// A disk that fills up (here: the process's file-size limit) while the work copy is written must
// leave the image as it was. Runs in a child so the limit does not reach the test program.
TEST(ImagePatch, AWriteCutShortByTheFileSizeLimitLeavesTheImageIntact) {
    Folder dir;
    const std::string image = dir / "unit.elf";
    WriteBytes(image, kImage);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        ImagePatch patch;
        patch.store = PatchStart;
        _exit(PatchImage(image, patch).result == PatchResult::CopyFailed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut copy must be reported as a failed copy";
    EXPECT_EQ(ReadBytes(image), kImage);
    EXPECT_FALSE(Exists(WorkFilesOf(image).workCopy));
}

std::vector<uint64_t> KeyWords(const std::string& image) {
    std::vector<ImageSymbol> key = AesKeySymbols();
    EXPECT_TRUE(ReadImageSymbols(image, key));
    std::vector<uint64_t> words(key.size());
    std::transform(key.begin(), key.end(), words.begin(), [](const ImageSymbol& s) { return s.data; });
    return words;
}

// On a real unit image: a store that overwrites the AES key, with the key kept or not, and a
// check of the patched image that passes or fails.
TEST(ImagePatch, KeptSymbolsSurviveTheStoreAndAMismatchPutsTheOriginalBack) {
    struct Case {
        const char* name;
        bool keepKey;
        bool verifies;
        PatchResult expected;
    };
    const Case cases[] = {
        {"key kept", true, true, PatchResult::Success},
        {"key changed", false, true, PatchResult::Success},
        {"check fails", true, false, PatchResult::Mismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder dir;
        const std::string image = dir / "unit.elf";
        fs::copy_file(FixturePath("rs485_v37.elf"), image);
        const Bytes original = ReadBytes(image);
        const std::vector<uint64_t> key = KeyWords(image);
        ImagePatch patch;
        if (c.keepKey) {
            patch.kept = AesKeySymbols();
            // A symbol the image does not hold has nothing to keep.
            patch.kept.push_back({"TormelParamsM$noSuchParameter", 2, 0});
        }
        patch.store = [](const std::string& work) {
            std::vector<ImageSymbol> newKey = AesKeySymbols();
            for (ImageSymbol& s : newKey) s.data = 0xA5A5U ^ s.data;
            return WriteImageSymbols(work, newKey) ? ElfEditorResult::Success : ElfEditorResult::ErrFileWrite;
        };
        patch.verify = [&](const std::string& patched) {
            EXPECT_EQ(patched, fs::canonical(image).string());
            return c.verifies;
        };
        const PatchOutcome outcome = PatchImage(image, patch);
        EXPECT_EQ(outcome.result, c.expected);
        EXPECT_TRUE(outcome.keptChanged.empty());
        EXPECT_EQ(ReadBytes(outcome.backup), original);
        if (c.expected == PatchResult::Mismatch) {
            EXPECT_EQ(ReadBytes(image), original);
            EXPECT_FALSE(Exists(image + ".restore"));
        } else {
            EXPECT_EQ(KeyWords(image) == key, c.keepKey);
        }
    }
}

// The check after a patch, on an image the contact-I/O editor stored: a byte the store wrote
// that changed is named with both values; what the store never writes (flow control) and the
// kept symbols may differ.
TEST(ImagePatch, TheCheckComparesExactlyWhatTheFamilysStoreWrites) {
    const std::tuple<const char*, int, bool> pokes[] = {
        {"", 0, true},
        {"flowControl", 1, true},
        {"AESencryptKey1", 2, true},
        {"awt", 2, false},
    };
    for (const auto& [poked, width, holds] : pokes) {
        SCOPED_TRACE(poked);
        Folder dir;
        const std::string image = dir / "unit.elf";
        fs::copy_file(FixturePath("rs485_v36.elf"), image);
        ElfEditor_TX330 editor;
        editor.Init();
        editor.FileName(image);
        ASSERT_EQ(editor.Open(), ElfEditorResult::Success);
        ASSERT_EQ(editor.Load(), ElfEditorResult::Success);
        ImageRecords stored{editor.CommunicationConfig(), editor.NodeinfoConfig()};
        stored.communication.IntfPort = 1;  // not read up to version 36, always stored
        stored.nodeinfo.AESEncryptType = Tormel::Domain::Common::NodeinfoAESEncryptType::AES128;
        editor.CommunicationConfig(stored.communication);
        editor.NodeinfoConfig(stored.nodeinfo);
        ASSERT_EQ(editor.Store(), ElfEditorResult::Success);
        editor.Close();
        editor.End();
        const std::string symbol = std::string("TormelParamsM$") + poked;
        const uint64_t before = *poked ? Peek(ReadBytes(image), symbol, width) : 0;
        if (*poked) PokeFile(image, symbol, width, before ^ 0x03U);
        std::vector<PatchOutcome::Changed> changed;
        EXPECT_EQ(
            HoldsStored(image, Tormel::Domain::Common::UnitFamily::Tx330, stored, AesKeySymbols(), changed),
            holds);
        ASSERT_EQ(changed.size(), holds ? 0U : 1U);
        for (const auto& c : changed)
            EXPECT_EQ(std::make_tuple(c.name, c.found, c.wanted),
                      std::make_tuple(symbol, before ^ 0x03U, before));
    }
}

}  // namespace
