// SPDX-License-Identifier: MIT
// Replacing a file atomically: a write that fails part way (file-size limit, as on a full
// disk) leaves the previous file byte for byte, and the failure is reported.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileReplacement.h"
#include "support/FileSizeLimit.h"
#include "support/SimPty.h"

namespace fs = std::filesystem;
using namespace Tormel::Platform;
using Pelnix::Test::RunWithFileSizeLimit;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(FileReplacement, AFailedWriteLeavesThePreviousFileAndIsReported) {
    Pelnix::Test::TempFolder root;
    const std::string path = root.Path() + "/config.xml";
    const std::string previous = "<?xml version=\"1.0\"?>\r\n<previous/>\r\n";
    const std::string document(8192, 'x');
    // Nothing at all can be written; the limit falls in the middle of the document.
    for (rlim_t limit : {rlim_t{0}, rlim_t{1000}}) {
        WriteAll(path, previous);
        const int code = RunWithFileSizeLimit(limit, [&] {
            const FileResult result = ReplaceFileAtomically(path, document);
            return result.ok() ? 1 : (result.errorNumber == EFBIG ? 0 : 2);
        });
        EXPECT_EQ(code, 0) << "limit " << limit << ": the failure must be reported as EFBIG";
        EXPECT_EQ(ReadAll(path), previous) << "limit " << limit;
        EXPECT_EQ(FolderEntries(root.Path()), std::vector<std::string>{"config.xml"})
            << "no temporary file left";
    }
    // Within the limit the same call replaces the file.
    EXPECT_EQ(
        RunWithFileSizeLimit(100000, [&] { return ReplaceFileAtomically(path, document).ok() ? 0 : 1; }), 0);
    EXPECT_EQ(ReadAll(path), document);
}

TEST(FileReplacement, KeepsLinksAndPermissionsAndNeverReplacesOnAbandon) {
    Pelnix::Test::TempFolder root;
    const std::string real = root.Path() + "/real.xml";
    const std::string link = root.Path() + "/link.xml";
    WriteAll(real, "old");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink("real.xml", link);

    ASSERT_TRUE(ReplaceFileAtomically(link, "new").ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(real), "new");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    {
        FileReplacement abandoned;
        ASSERT_TRUE(abandoned.begin(real).ok());
        ASSERT_TRUE(abandoned.write("never committed").ok());
    }
    EXPECT_EQ(ReadAll(real), "new");
    EXPECT_EQ(FolderEntries(root.Path()), (std::vector<std::string>{"link.xml", "real.xml"}));

    // Places that cannot take the file fail with the reason, before anything is written.
    struct Case {
        std::string path;
        int error;
    };
    for (const Case& c : {Case{root.Path(), EISDIR}, Case{root.Path() + "/no/such/x.xml", ENOENT},
                          Case{"", ENOENT}, Case{"/dev/null", EINVAL}}) {
        FileReplacement file;
        const FileResult result = file.begin(c.path);
        EXPECT_EQ(result.errorNumber, c.error) << c.path << ": " << result.message;
        EXPECT_FALSE(file.isOpen());
        EXPECT_FALSE(file.commit().ok());
    }
}
