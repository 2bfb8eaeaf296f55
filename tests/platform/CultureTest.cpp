// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/Culture.h"

using Tormel::Platform::cultureNameFromLocale;
using Tormel::Platform::currentCultureName;

TEST(Culture, LocaleNamesBecomeCultureNames) {
    const std::map<std::string, std::string> cases = {
        {"ja_JP.UTF-8", "ja-JP"}, {"ja_JP", "ja-JP"},      {"ja_JP.eucJP", "ja-JP"}, {"ja_JP@x", "ja-JP"},
        {"JA_jp.utf8", "ja-JP"},  {"de_DE@euro", "de-DE"}, {"en_GB.UTF-8", "en-GB"}, {"ja", "ja"},
        {"C", "en-US"},           {"C.UTF-8", "en-US"},    {"POSIX", "en-US"},       {"", "en-US"},
        {"ja_JP/../x", "en-US"},  {"1a_JP", "en-US"},
    };
    for (const auto& [locale, culture] : cases) {
        EXPECT_EQ(cultureNameFromLocale(locale), culture) << locale;
    }
}

TEST(Culture, MessageVariablesTakePrecedenceInOrder) {
    std::map<std::string, std::string> env;
    const auto lookup = [&env](const char* name) -> const char* {
        const auto found = env.find(name);
        return found == env.end() ? nullptr : found->second.c_str();
    };
    EXPECT_EQ(currentCultureName(lookup), "en-US");
    env["LANG"] = "ja_JP.UTF-8";
    EXPECT_EQ(currentCultureName(lookup), "ja-JP");
    env["LC_MESSAGES"] = "de_DE.UTF-8";
    EXPECT_EQ(currentCultureName(lookup), "de-DE");
    env["LC_ALL"] = "";
    EXPECT_EQ(currentCultureName(lookup), "de-DE");
    env["LC_ALL"] = "C";
    EXPECT_EQ(currentCultureName(lookup), "en-US");
}
