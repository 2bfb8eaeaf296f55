// SPDX-License-Identifier: MIT
// Compiled into every test program: the program runs with a home and a configuration folder
// of its own, removed when it ends, so that nothing a test does (Qt's own settings, the
// windows' default settings file) reaches the home of whoever runs the tests.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

struct PrivateHome {
    std::string path;
    PrivateHome() {
        const char* tmp = std::getenv("TMPDIR");
        std::string folder =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pelnix-home-XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr) {
            std::perror("pelnix tests: a private HOME");
            std::abort();
        }
        path = folder;
        const std::string config = path + "/.config";
        ::mkdir(config.c_str(), 0700);
        ::setenv("HOME", path.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    ~PrivateHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;
};

const PrivateHome g_home;

}  // namespace
