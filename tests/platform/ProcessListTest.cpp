// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ProcessList.h"

namespace fs = std::filesystem;
using namespace Tormel::Platform;

namespace {

class ProcessListFakeProc : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("pelnix-proc-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    void addProcess(const std::string& pid, const std::string& stat) {
        fs::create_directories(root / pid);
        std::ofstream(root / pid / "stat") << stat;
    }

    fs::path root;
};

}  // namespace

TEST(ProcessList, StatLinesWithAwkwardNames) {
    std::string name;
    char state = 0;
    ASSERT_TRUE(parseProcStat("42 (pelnix-config) S 1 42 42 0 -1", name, state));
    EXPECT_EQ(name, "pelnix-config");
    EXPECT_EQ(state, 'S');
    ASSERT_TRUE(parseProcStat("7 (a) b (c)) Z 1 2", name, state));
    EXPECT_EQ(name, "a) b (c)");
    EXPECT_EQ(state, 'Z');
    ASSERT_TRUE(parseProcStat("8 () R 1", name, state));
    EXPECT_EQ(name, "");
    for (const char* bad : {"", "12 noparen S", "12 (open S", "12 )x( S", "12 (name)", "12 (name)S 1"}) {
        EXPECT_FALSE(parseProcStat(bad, name, state)) << bad;
    }
}

TEST_F(ProcessListFakeProc, ListsLiveProcessesOnly) {
    addProcess("1", "1 (systemd) S 0 1 1");
    addProcess("200", "200 (pelnix-config) S 1 200 200");
    addProcess("300", "300 (pelnix-config) R 1 300 300");
    addProcess("301", "301 (pelnix-config) Z 300 301 301");  // ended, not yet collected
    addProcess("400", "400 (my prog (x)) S 1");
    addProcess("self", "200 (pelnix-config) S 1 200 200");  // not a process number
    addProcess("500", "garbage");
    fs::create_directories(root / "600");  // vanished before its stat was read
    std::ofstream(root / "uptime") << "1.0 2.0";

    auto names = runningProcessNames(root);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"my prog (x)", "pelnix-config", "pelnix-config", "systemd"}));
    EXPECT_EQ(countProcessesNamed(names, "pelnix-config"), 2u);
    EXPECT_EQ(countProcessesNamed(names, "pelnix"), 0u);
    EXPECT_EQ(currentProcessName(root), "pelnix-config");
}

TEST_F(ProcessListFakeProc, MissingProcFolderGivesNothing) {
    EXPECT_TRUE(runningProcessNames(root / "absent").empty());
    EXPECT_EQ(currentProcessName(root / "absent"), "");
}

TEST(ProcessList, RealProcFindsThisProgram) {
    const std::string self = currentProcessName();
    ASSERT_FALSE(self.empty());
    EXPECT_GE(countProcessesNamed(runningProcessNames(), self), 1u);
}
