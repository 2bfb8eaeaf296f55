// SPDX-License-Identifier: MIT
#include "platform/ProcessList.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace Tormel::Platform {

namespace {

bool readStat(const std::filesystem::path& statFile, std::string& name, char& state)
{
    std::ifstream in(statFile, std::ios::binary);
    if (!in)
        return false;
    // The name is at most 15 bytes, so the start of the line is enough.
    std::string line(512, '\0');
    in.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<std::size_t>(in.gcount()));
    return parseProcStat(line, name, state);
}

bool isPidName(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool parseProcStat(std::string_view statLine, std::string& name, char& state)
{
    const auto open = statLine.find('(');
    const auto close = statLine.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    if (close + 2 >= statLine.size() || statLine[close + 1] != ' ')
        return false;
    name.assign(statLine.substr(open + 1, close - open - 1));
    state = statLine[close + 2];
    return true;
}

std::vector<std::string> runningProcessNames(const std::filesystem::path& procRoot)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(procRoot, error);
    if (error)
        return names;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const std::string entry = it->path().filename().string();
        if (!isPidName(entry))
            continue;
        std::string name;
        char state = '\0';
        if (!readStat(it->path() / "stat", name, state))
            continue; // ended meanwhile
        if (state == 'Z' || state == 'X')
            continue;
        names.push_back(std::move(name));
    }
    return names;
}

std::string currentProcessName(const std::filesystem::path& procRoot)
{
    std::string name;
    char state = '\0';
    if (readStat(procRoot / "self" / "stat", name, state))
        return name;
    return {};
}

std::size_t countProcessesNamed(const std::vector<std::string>& names, std::string_view name)
{
    return static_cast<std::size_t>(std::count(names.begin(), names.end(), name));
}

} // namespace Tormel::Platform
