// SPDX-License-Identifier: MIT
// Replacing a firmware image with a patched copy: the image survives every failing step.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "settings/FirmwareImageFile.h"

namespace Tormel::Gui {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Writes "PATCHED" at the start of the work copy, as a Store of new settings would.
bool patchStart(const QString& workCopy) {
    QFile f(workCopy);
    return f.open(QIODevice::ReadWrite) && f.write("PATCHED") == 7;
}

const QByteArray kImage = QByteArray("ORIGINAL-IMAGE-") + QByteArray(100000, 'x');

struct Case {
    const char* name;
    const char* imageName;
    bool storeSucceeds;
    bool backupBlocked;  // a folder stands where the backup would go
    FirmwareReplaceResult expected;
};

TEST(FirmwareImageFile, TheImageIsReplacedOnlyWhenEveryStepSucceeded) {
    const Case cases[] = {
        {"success", "unit.elf", true, false, FirmwareReplaceResult::Success},
        {"without extension", "firmware", true, false, FirmwareReplaceResult::Success},
        {"store fails", "unit.elf", false, false, FirmwareReplaceResult::StoreFailed},
        {"backup fails", "unit.elf", true, true, FirmwareReplaceResult::BackupFailed},
        {"named like a work copy", "unit.tmp", true, false, FirmwareReplaceResult::RefusedName},
        {"named like a backup", "unit.BAK", true, false, FirmwareReplaceResult::RefusedName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString image = dir.filePath(QString::fromLatin1(c.imageName));
        writeAll(image, kImage);
        const FirmwareWorkFiles files = firmwareWorkFiles(image);
        if (c.backupBlocked) {
            ASSERT_TRUE(QDir().mkdir(files.backup));
        }
        bool storeCalled = false;
        const auto result = replaceFirmwareImage(image, [&](const QString& work) {
            storeCalled = true;
            EXPECT_EQ(work, files.workCopy);
            EXPECT_EQ(readAll(work), kImage);
            return c.storeSucceeds && patchStart(work);
        });
        EXPECT_EQ(result, c.expected);
        if (c.expected != FirmwareReplaceResult::RefusedName) {  // there the "work copy" is the image
            EXPECT_FALSE(QFile::exists(files.workCopy)) << "no work copy may be left behind";
        }
        if (c.expected == FirmwareReplaceResult::Success) {
            EXPECT_EQ(readAll(image), QByteArray("PATCHED") + kImage.mid(7));
            EXPECT_EQ(readAll(files.backup), kImage);
        } else {
            EXPECT_EQ(readAll(image), kImage);
            EXPECT_EQ(storeCalled, c.expected != FirmwareReplaceResult::RefusedName);
        }
    }
}

TEST(FirmwareImageFile, NoImageChosenOrGoneIsRefusedWithoutTouchingAnything) {
    QTemporaryDir dir;
    const auto never = [](const QString&) {
        ADD_FAILURE() << "store must not run";
        return true;
    };
    EXPECT_EQ(replaceFirmwareImage(QString(), never), FirmwareReplaceResult::NoImage);
    EXPECT_EQ(replaceFirmwareImage(dir.filePath("gone.elf"), never), FirmwareReplaceResult::NoImage);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
}

TEST(FirmwareImageFile, ALinkedImageIsPatchedBehindTheLink) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.elf");
    const QString link = dir.filePath("link.elf");
    writeAll(real, kImage);
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_EQ(replaceFirmwareImage(link, patchStart), FirmwareReplaceResult::Success);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(readAll(real).startsWith("PATCHED"));
    EXPECT_EQ(readAll(dir.filePath("real.bak")), kImage);
}

// A disk that fills up (here: the process's file-size limit) while the work copy is written must
// leave the image as it was. Runs in a child so the limit does not reach the test program.
TEST(FirmwareImageFile, AWriteCutShortByTheFileSizeLimitLeavesTheImageIntact) {
    QTemporaryDir dir;
    const QString image = dir.filePath("unit.elf");
    writeAll(image, kImage);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const auto result = replaceFirmwareImage(image, patchStart);
        _exit(result == FirmwareReplaceResult::CopyFailed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut copy must be reported as a failed copy";
    EXPECT_EQ(readAll(image), kImage);
    EXPECT_FALSE(QFile::exists(firmwareWorkFiles(image).workCopy));
}

}  // namespace
}  // namespace Tormel::Gui
