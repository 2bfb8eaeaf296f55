// SPDX-License-Identifier: MIT
#include "settings/FirmwareImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "elfapi/ElfApi.h"

namespace Tormel::Gui {

namespace {

// Copies `from` to `to` (replacing it) with the source's permission bits, and forces the bytes
// to the disk before returning, so a later rename cannot publish a file whose data was lost.
bool copyDurably(const QString& from, const QString& to) {
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        ::close(in);
        return false;
    }
    ::unlink(dst.constData());
    const int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok) {
            break;
        }
    }
    ok = ::fsync(out) == 0 && ok;
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok) {
        ::unlink(dst.constData());
    }
    return ok;
}

// Works for a folder too: syncing the image's folder makes its new name survive a power cut.
bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

FirmwareWorkFiles firmwareWorkFiles(const QString& imagePath) {
    const QFileInfo info(imagePath);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    return {base + QStringLiteral(".tmp"), base + QStringLiteral(".bak")};
}

FirmwareReplaceResult replaceFirmwareImage(const QString& imagePath,
                                           const std::function<bool(const QString& workCopy)>& store,
                                           bool keepEarlierBackup, QString* backupMade) {
    const QFileInfo image(imagePath);
    if (imagePath.isEmpty() || !image.isFile()) {
        return FirmwareReplaceResult::NoImage;
    }
    // A work copy or a backup named as the image would overwrite the image itself.
    const QString suffix = image.suffix().toLower();
    if (suffix == QLatin1String("tmp") || suffix == QLatin1String("bak")) {
        return FirmwareReplaceResult::RefusedName;
    }
    // Through a link, the file behind it is the one to patch; the link stays a link.
    const QString target = image.canonicalFilePath();
    const FirmwareWorkFiles files = firmwareWorkFiles(target);
    if (!copyDurably(target, files.workCopy)) {
        return FirmwareReplaceResult::CopyFailed;
    }
    if (!store(files.workCopy) || !syncFile(files.workCopy)) {
        QFile::remove(files.workCopy);
        return FirmwareReplaceResult::StoreFailed;
    }
    QString backup = files.backup;
    if (keepEarlierBackup) {
        const QFileInfo info(target);
        const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
        for (int n = 1; QFileInfo::exists(backup) || QFileInfo(backup).isSymLink(); ++n)
            backup = QStringLiteral("%1.%2.bak").arg(base).arg(n);
    }
    if (!copyDurably(target, backup)) {
        QFile::remove(files.workCopy);
        return FirmwareReplaceResult::BackupFailed;
    }
    if (std::rename(QFile::encodeName(files.workCopy).constData(), QFile::encodeName(target).constData()) !=
        0) {
        QFile::remove(files.workCopy);
        return FirmwareReplaceResult::ReplaceFailed;
    }
    // The image has been replaced either way; a folder that cannot be synced only leaves the
    // old name's survival of a power cut to the file system.
    syncFile(QFileInfo(target).absolutePath());
    if (backupMade != nullptr) *backupMade = backup;
    return FirmwareReplaceResult::Success;
}

namespace {

bool accessSymbols(const QString& imagePath, std::vector<ImageSymbol>& symbols, bool write) {
    ElfApiHandle* handle = ElfApiInit();
    if (handle == nullptr) {
        return false;
    }
    const QByteArray path = QFile::encodeName(imagePath);
    bool ok = ElfApiOpen(handle, path.constData()) == ELFAPI_OK;
    if (ok) {
        for (ImageSymbol& symbol : symbols) {
            _ElfSymbolInfo info{symbol.name.c_str(), 0, symbol.width, write ? symbol.data : 0};
            if ((write ? ElfApiSetSymbol(handle, &info) : ElfApiGetSymbol(handle, &info)) != ELFAPI_OK) {
                ok = false;
                break;
            }
            if (!write) {
                symbol.data = info.data;
            }
        }
        // A write reaches the file only when it is closed.
        ok = ElfApiClose(handle) == ELFAPI_OK && ok;
    }
    ElfApiEnd(handle);
    return ok;
}

}  // namespace

std::vector<ImageSymbol> aesKeySymbols() {
    std::vector<ImageSymbol> key;
    for (int word = 1; word <= 16; ++word) {
        key.push_back({"TormelParamsM$AESencryptKey" + std::to_string(word), 2, 0});
    }
    return key;
}

bool readImageSymbols(const QString& imagePath, std::vector<ImageSymbol>& symbols) {
    return accessSymbols(imagePath, symbols, false);
}

bool writeImageSymbols(const QString& imagePath, const std::vector<ImageSymbol>& symbols) {
    std::vector<ImageSymbol> copy = symbols;
    return accessSymbols(imagePath, copy, true);
}

}  // namespace Tormel::Gui
