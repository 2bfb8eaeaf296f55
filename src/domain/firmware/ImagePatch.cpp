// SPDX-License-Identifier: MIT
#include "domain/firmware/ImagePatch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/FileReplacement.h"

namespace Tormel::Domain::Firmware {

namespace fs = std::filesystem;

namespace {

// "<folder>/<name without its last extension>"
std::string StemPath(const fs::path& image) { return (image.parent_path() / image.stem()).string(); }

bool NamedLikeWorkFile(const fs::path& image) {
    std::string extension = image.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".tmp" || extension == ".bak";
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The first backup name not in use: the first original is what a technician goes back to.
std::string FreeBackupName(const std::string& stem) {
    std::string backup = stem + ".bak";
    for (int n = 1; Exists(backup); ++n) {
        backup = stem + "." + std::to_string(n) + ".bak";
    }
    return backup;
}

// Writes the work copy: the store, then the kept symbols as they were.
PatchResult StoreIntoWorkCopy(const std::string& image, const std::string& workCopy, const ImagePatch& patch,
                              std::vector<ImageSymbol>& kept, PatchOutcome& outcome) {
    if (!Platform::CopyFileDurably(image, workCopy).ok()) {
        return PatchResult::CopyFailed;
    }
    if (!patch.kept.empty()) {
        const std::optional<std::vector<ImageSymbol>> held = ReadHeldSymbols(workCopy, patch.kept);
        if (!held) {
            outcome.storeResult = ElfEditorResult::ErrFileRead;
            return PatchResult::StoreFailed;
        }
        kept = *held;
    }
    outcome.storeResult = patch.store(workCopy);
    if (outcome.storeResult == ElfEditorResult::Success && !kept.empty() &&
        !WriteImageSymbols(workCopy, kept)) {
        outcome.storeResult = ElfEditorResult::ErrFileWrite;
    }
    if (outcome.storeResult != ElfEditorResult::Success || !Platform::SyncPath(workCopy).ok()) {
        if (outcome.storeResult == ElfEditorResult::Success)
            outcome.storeResult = ElfEditorResult::ErrFileWrite;
        return PatchResult::StoreFailed;
    }
    return PatchResult::Success;
}

// Whether the replaced image holds what was stored and kept.
bool Verified(const std::string& image, const ImagePatch& patch, const std::vector<ImageSymbol>& kept,
              PatchOutcome& outcome) {
    bool ok = !patch.verify || patch.verify(image);
    std::vector<ImageSymbol> now = kept;
    if (!kept.empty() && !ReadImageSymbols(image, now)) {
        for (const ImageSymbol& symbol : kept) outcome.keptChanged.push_back({symbol.name, 0, symbol.data});
        return false;
    }
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (now[i].data != kept[i].data) {
            outcome.keptChanged.push_back({kept[i].name, now[i].data, kept[i].data});
            ok = false;
        }
    }
    return ok;
}

// Puts the backup back over the image in one step: a copy beside the image, then a rename.
bool PutBack(const std::string& backup, const std::string& image) {
    const std::string restore = image + ".restore";
    if (!Platform::CopyFileDurably(backup, restore).ok()) {
        return false;
    }
    if (!Platform::RenameOver(restore, image).ok()) {
        std::remove(restore.c_str());
        return false;
    }
    return true;
}

}  // namespace

ImageWorkFiles WorkFilesOf(const std::string& imagePath) {
    const std::string stem = StemPath(fs::absolute(imagePath).lexically_normal());
    return {stem + ".tmp", stem + ".bak"};
}

PatchOutcome PatchImage(const std::string& imagePath, const ImagePatch& patch) {
    PatchOutcome outcome;
    std::error_code ec;
    if (imagePath.empty() || !fs::is_regular_file(imagePath, ec)) {
        outcome.result = PatchResult::NoImage;
        return outcome;
    }
    // A work copy or a backup named as the image would overwrite the image itself.
    if (NamedLikeWorkFile(imagePath)) {
        outcome.result = PatchResult::RefusedName;
        return outcome;
    }
    // Through a link, the file behind it is the one to patch; the link stays a link.
    const std::string target = fs::canonical(imagePath, ec).string();
    if (ec) {
        outcome.result = PatchResult::NoImage;
        return outcome;
    }
    const ImageWorkFiles files = WorkFilesOf(target);
    std::vector<ImageSymbol> kept;
    if (const PatchResult stored = StoreIntoWorkCopy(target, files.workCopy, patch, kept, outcome);
        stored != PatchResult::Success) {
        std::remove(files.workCopy.c_str());
        outcome.result = stored;
        return outcome;
    }
    outcome.backup = FreeBackupName(StemPath(target));
    if (!Platform::CopyFileDurably(target, outcome.backup).ok()) {
        std::remove(files.workCopy.c_str());
        outcome.backup.clear();
        outcome.result = PatchResult::BackupFailed;
        return outcome;
    }
    if (!Platform::RenameOver(files.workCopy, target).ok()) {
        std::remove(files.workCopy.c_str());
        outcome.result = PatchResult::ReplaceFailed;
        return outcome;
    }
    // The image has been replaced either way; a folder that cannot be synced only leaves the
    // new name's survival of a power cut to the file system.
    const std::string folder = fs::path(target).parent_path().string();
    Platform::SyncPath(folder);
    if (Verified(target, patch, kept, outcome)) {
        outcome.result = PatchResult::Success;
        return outcome;
    }
    const bool putBack = PutBack(outcome.backup, target);
    Platform::SyncPath(folder);
    outcome.result = putBack ? PatchResult::Mismatch : PatchResult::MismatchNotRestored;
    return outcome;
}

bool HoldsStored(const std::string& image, UnitFamily family, const ImageRecords& records,
                 const std::vector<ImageSymbol>& kept, std::vector<PatchOutcome::Changed>& changed) {
    std::vector<ImageSymbol> version{{"TormelParamsM$version", 1, 0}};
    if (!ReadImageSymbols(image, version)) return false;
    std::vector<std::string> keptNames;
    keptNames.reserve(kept.size());
    for (const ImageSymbol& k : kept) keptNames.push_back(k.name);
    std::optional<std::vector<ImageSymbol>> stored =
        ElfEditorBase::StoredSymbols(family, static_cast<uint8_t>(version[0].data), records, keptNames);
    if (!stored) return false;
    std::vector<ImageSymbol> found = *stored;
    if (!ReadImageSymbols(image, found)) return false;
    bool same = true;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (found[i].data == (*stored)[i].data) continue;
        changed.push_back({found[i].name, found[i].data, (*stored)[i].data});
        same = false;
    }
    return same;
}

}  // namespace Tormel::Domain::Firmware
