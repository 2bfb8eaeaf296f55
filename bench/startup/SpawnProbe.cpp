// SPDX-License-Identifier: MIT
#include "SpawnProbe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

extern char** environ;

std::string ownFolder() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/'));
}

bool runProbeOnce(const std::string& program, const char* argument, ProbeSample& sample) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return false;
    }
    std::string line;
    char buffer[64];
    ssize_t got = 0;
    while (line.find('\n') == std::string::npos && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        line.append(buffer, static_cast<std::size_t>(got));
    }
    const auto end = std::chrono::steady_clock::now();
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (line.find('\n') == std::string::npos) {
        return false;
    }
    sample.ms = std::chrono::duration<double, std::milli>(end - start).count();
    sample.rssKiB = std::strtol(line.c_str(), nullptr, 10);
    return true;
}
