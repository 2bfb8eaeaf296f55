// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "domain/firmware/ElfEditorBase.h"
#include "domain/firmware/ElfEditorResult.h"
#include "domain/firmware/ImageSymbols.h"

namespace Tormel::Domain::Firmware {

// How a patch of a firmware image ended. Only Success leaves the image changed.
enum class PatchResult {
    Success,
    NoImage,              // no file chosen, or it is not a file
    RefusedName,          // the image itself is named like a work copy (".tmp") or a backup (".bak")
    CopyFailed,           // the work copy could not be made
    StoreFailed,          // writing the settings into the work copy failed
    BackupFailed,         // the backup of the image could not be made
    ReplaceFailed,        // the work copy could not take the image's place
    Mismatch,             // the patched image did not hold what was stored; the original is back
    MismatchNotRestored,  // as Mismatch, but the original could not be put back: it is in the backup
};

// The files a patch of `imagePath` uses beside it: "<folder>/<name>.tmp" and the first backup
// name, "<folder>/<name>.bak".
struct ImageWorkFiles {
    std::string workCopy;
    std::string backup;
};
ImageWorkFiles WorkFilesOf(const std::string& imagePath);

struct ImagePatch {
    // Writes the settings into the work copy (an editor's Store); anything but Success stops
    // the patch with StoreFailed before the image is touched.
    std::function<ElfEditorResult(const std::string& workCopy)> store;
    // Symbols the store must leave as the image had them, such as the AES key when it is not
    // being changed. Those the image holds are read before the store, written back after it
    // and compared once the image is replaced; those it lacks have nothing to keep.
    std::vector<ImageSymbol> kept;
    // Checks the replaced image against what was stored (null: only the kept symbols are
    // checked); false is a mismatch, and the original is put back.
    std::function<bool(const std::string& image)> verify;
};

struct PatchOutcome {
    PatchResult result = PatchResult::NoImage;
    ElfEditorResult storeResult = ElfEditorResult::Success;  // why a store failed
    std::string backup;                                      // the original's copy, once made
    // Kept symbols whose bytes changed: the name, the bytes found and the bytes kept.
    struct Changed {
        std::string name;
        uint64_t found;
        uint64_t wanted;
    };
    std::vector<Changed> keptChanged;
};

// Stores settings into a firmware image so that the user is never left without one: the image
// is copied to the work copy, `patch.store` writes the settings into it and the kept symbols are
// put back, the image is backed up (an earlier backup, the first original, is never replaced:
// the next one is "<name>.1.bak", "<name>.2.bak" ...), and only then the work copy is renamed
// over the image in one step. The replaced image is checked; on a mismatch the backup is put
// back, in one step as well. Through a symbolic link the file behind it is patched. When a step
// before the rename fails the image is untouched and no work copy is left behind.
PatchOutcome PatchImage(const std::string& imagePath, const ImagePatch& patch);

// The check of a patch whose store was `family`'s editor storing `records` (its `verify`):
// the image holds, byte for byte, every symbol that editor's Store writes in an image of its
// version, as the records encode it. Only what the store writes is compared: a parameter the
// family reads but never writes (the contact-I/O unit's flow control) may differ from the
// records. The `kept` symbols are skipped, as the patch compares them itself. Each symbol
// found different goes into `changed` (bytes found, bytes stored); an image that cannot be
// read, or records the store could not encode, fail with nothing in `changed`.
bool HoldsStored(const std::string& image, UnitFamily family, const ImageRecords& records,
                 const std::vector<ImageSymbol>& kept, std::vector<PatchOutcome::Changed>& changed);

}  // namespace Tormel::Domain::Firmware
