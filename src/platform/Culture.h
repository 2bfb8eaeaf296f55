// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace Tormel::Platform {

// The culture name ("ja-JP", "en-US", "de-DE", ...) of a POSIX locale name such as
// "ja_JP.UTF-8" or "de_DE@euro". "C", "POSIX" and an empty name give "en-US"; a name that is
// not of the form language[_TERRITORY][.codeset][@modifier] also gives "en-US".
std::string cultureNameFromLocale(std::string_view localeName);

// The user's culture name, taken from the first non-empty of LC_ALL, LC_MESSAGES and LANG (the
// variables that decide the language of messages). `getenv` is replaceable for tests.
std::string currentCultureName(const std::function<const char*(const char*)>& getenv = {});

}  // namespace Tormel::Platform
