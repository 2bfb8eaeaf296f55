// SPDX-License-Identifier: MIT
// The contact-I/O form's rules without widgets: number boxes and leave rules.
#include <gtest/gtest.h>

#include "gui/tx330/Tx330Form.h"

using namespace Tormel::Gui;
using namespace Tormel::Gui::Tx330Form;

TEST(Tx330Form, NumberBoxesNeverReadEmptyOrPastedTextAsZero) {
    struct Case {
        const char* text;
        std::optional<int32_t> whole;
        std::optional<int32_t> tenths;
    };
    const Case cases[] = {
        {"", std::nullopt, std::nullopt},
        {"12", 12, 120},
        {"0", 0, 0},
        {"1a", std::nullopt, std::nullopt},
        {" 5", std::nullopt, std::nullopt},
        {"-3", std::nullopt, std::nullopt},
        {"2.75", std::nullopt, 28},
        {"2.74", std::nullopt, 27},
        {"2.7", std::nullopt, 27},
        {".5", std::nullopt, 5},
        {"3.", std::nullopt, 30},
        {".", std::nullopt, std::nullopt},
        {"1.2.3", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(wholeNumber(text), c.whole) << c.text;
        EXPECT_EQ(diDelayTenths(text), c.tenths) << c.text;
    }
}

TEST(Tx330Form, LeavingTheDelayBoxesKeepsValuesTheUnitTakes) {
    const std::pair<const char*, const char*> awt[] = {
        {"125", "120"}, {"7", "0"}, {"300", "250"}, {"250", "250"}, {"", "0"}, {"1x", "0"}, {"40", "40"},
    };
    for (const auto& [typed, left] : awt) {
        EXPECT_EQ(leaveAwtText(QString::fromLatin1(typed)), QString::fromLatin1(left)) << typed;
    }
    const std::pair<const char*, const char*> di[] = {
        {"2.75", "2.7"}, {"12", "10.0"},   {"", "0.0"},     {".", "0.0"},
        {"3", "3.0"},    {"10.0", "10.0"}, {"9.99", "9.9"},
    };
    for (const auto& [typed, left] : di) {
        EXPECT_EQ(leaveDiDelayText(QString::fromLatin1(typed)), QString::fromLatin1(left)) << typed;
    }
    EXPECT_EQ(diDelayText(27), QStringLiteral("2.7"));
    EXPECT_EQ(diDelayText(100), QStringLiteral("10.0"));
}
