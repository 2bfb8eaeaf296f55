// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Tormel::Platform {

// The names of the running processes, one per process, as the kernel reports them in
// <procRoot>/<pid>/stat: the executable's file name, cut to 15 bytes. Processes that have
// already ended but not yet been collected (zombies) are left out: they hold no window and no
// port. Entries that vanish while the list is read are skipped.
std::vector<std::string> runningProcessNames(const std::filesystem::path& procRoot = "/proc");

// This process's name in the same form.
std::string currentProcessName(const std::filesystem::path& procRoot = "/proc");

// How many entries of `names` equal `name`.
std::size_t countProcessesNamed(const std::vector<std::string>& names, std::string_view name);

// The name field of a /proc/<pid>/stat line ("123 (name) S ...") and its state letter; false for
// a line that does not have that shape. The name may itself contain blanks and parentheses.
bool parseProcStat(std::string_view statLine, std::string& name, char& state);

}  // namespace Tormel::Platform
