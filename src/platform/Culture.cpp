// SPDX-License-Identifier: MIT
#include "platform/Culture.h"

#include <cctype>
#include <cstdlib>

namespace Tormel::Platform {

namespace {

bool allOf(std::string_view text, int (*test)(int)) {
    if (text.empty()) {
        return false;
    }
    for (unsigned char c : text) {
        if (!test(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string cultureNameFromLocale(std::string_view localeName) {
    static constexpr const char* fallback = "en-US";
    std::string_view name = localeName;
    if (const auto at = name.find('@'); at != std::string_view::npos) {
        name = name.substr(0, at);
    }
    if (const auto dot = name.find('.'); dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }

    std::string_view language = name;
    std::string_view territory;
    if (const auto sep = name.find_first_of("_-"); sep != std::string_view::npos) {
        language = name.substr(0, sep);
        territory = name.substr(sep + 1);
    }
    if (language.size() < 2 || language.size() > 3 || !allOf(language, ::isalpha)) {
        return fallback;
    }
    if (!territory.empty() && !allOf(territory, ::isalnum)) {
        return fallback;
    }

    std::string culture;
    for (unsigned char c : language) {
        culture += static_cast<char>(std::tolower(c));
    }
    if (!territory.empty()) {
        culture += '-';
        for (unsigned char c : territory) {
            culture += static_cast<char>(std::toupper(c));
        }
    }
    return culture;
}

std::string currentCultureName(const std::function<const char*(const char*)>& getenv) {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv ? getenv(variable) : std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return cultureNameFromLocale(value);
        }
    }
    return cultureNameFromLocale("");
}

}  // namespace Tormel::Platform
