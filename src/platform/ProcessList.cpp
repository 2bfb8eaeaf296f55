// SPDX-License-Identifier: MIT
#include "platform/ProcessList.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace Tormel::Platform {

namespace {

// Plain POSIX calls: the list is read at every start, and a stream per process costs more than
// the kernel's work of producing the line.
bool readStat(const std::string& statFile, std::string& name, char& state) {
    const int fd = ::open(statFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // The name is at most 15 bytes, so the start of the line is enough.
    char buffer[512];
    ssize_t got;
    do {
        got = ::read(fd, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    if (got <= 0) {
        return false;
    }
    return parseProcStat(std::string_view(buffer, static_cast<std::size_t>(got)), name, state);
}

bool isPidName(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool parseProcStat(std::string_view statLine, std::string& name, char& state) {
    const auto open = statLine.find('(');
    const auto close = statLine.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return false;
    }
    if (close + 2 >= statLine.size() || statLine[close + 1] != ' ') {
        return false;
    }
    name.assign(statLine.substr(open + 1, close - open - 1));
    state = statLine[close + 2];
    return true;
}

std::vector<std::string> runningProcessNames(const std::filesystem::path& procRoot) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(procRoot.c_str());
    if (folder == nullptr) {
        return names;
    }
    const std::string prefix = procRoot.string() + '/';
    std::string name;
    while (const dirent* entry = ::readdir(folder)) {
        if (!isPidName(entry->d_name)) {
            continue;
        }
        char state = '\0';
        if (!readStat(prefix + entry->d_name + "/stat", name, state)) {
            continue;  // ended meanwhile
        }
        if (state == 'Z' || state == 'X') {
            continue;
        }
        names.push_back(name);
    }
    ::closedir(folder);
    return names;
}

std::string currentProcessName(const std::filesystem::path& procRoot) {
    std::string name;
    char state = '\0';
    if (readStat((procRoot / "self" / "stat").string(), name, state)) {
        return name;
    }
    return {};
}

std::size_t countProcessesNamed(const std::vector<std::string>& names, std::string_view name) {
    return static_cast<std::size_t>(std::count(names.begin(), names.end(), name));
}

}  // namespace Tormel::Platform
