// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tormel::Gui {

// How replacing a firmware image with a patched copy ended. Only Success changed the image.
enum class FirmwareReplaceResult {
    Success,
    NoImage,       // no file chosen, or it does not exist
    RefusedName,   // the image itself is named like a work copy (".tmp") or a backup (".bak")
    CopyFailed,    // the work copy could not be made
    StoreFailed,   // writing the settings into the work copy failed
    BackupFailed,  // the ".bak" copy of the image could not be made
    ReplaceFailed  // the work copy could not take the image's place
};

// The files a patch of `imagePath` uses beside it: "<folder>/<name>.tmp" and "<folder>/<name>.bak".
struct FirmwareWorkFiles {
    QString workCopy;
    QString backup;
};
FirmwareWorkFiles firmwareWorkFiles(const QString& imagePath);

// Patches a firmware image so that the user is never left without one: the image is copied to
// the work copy, `store` writes the settings into that copy, the image is backed up to ".bak",
// and only then the work copy is renamed over the image (one step, in the same folder). When any
// step fails the image is untouched and no work copy is left behind. `store` gets the work
// copy's path and returns whether it wrote everything.
//
// With `keepEarlierBackup` a ".bak" that is already there (an earlier patch's original) is left
// as it is and the backup goes to the first free "<name>.<n>.bak" instead. `backupMade`, when
// given, receives the backup's path on success.
FirmwareReplaceResult replaceFirmwareImage(const QString& imagePath,
                                           const std::function<bool(const QString& workCopy)>& store,
                                           bool keepEarlierBackup = false, QString* backupMade = nullptr);

// A parameter symbol of an image, read or written as raw bytes past the image editor.
struct ImageSymbol {
    std::string name;
    int32_t width;  // in bytes
    uint64_t data = 0;
};

// The 16 AES key words. No record taken from an image carries the key, so a store that is not
// to change it reads these before and writes them back after.
std::vector<ImageSymbol> aesKeySymbols();

// Reads every symbol's bytes into `symbols` (or writes them); false at the first symbol the
// image lacks or when the image cannot be opened or closed.
bool readImageSymbols(const QString& imagePath, std::vector<ImageSymbol>& symbols);
bool writeImageSymbols(const QString& imagePath, const std::vector<ImageSymbol>& symbols);

}  // namespace Tormel::Gui
