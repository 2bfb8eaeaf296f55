// SPDX-License-Identifier: MIT
// The contact-I/O unit's reply parsers, row by row: values at fixed positions, numbers
// between fixed words, and the faulty replies that must read as ErrCommand.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "domain/modem/Replies.h"

namespace Tormel::Domain::Modem {
namespace {

using namespace Common;

// Runs a parser; nullopt when it raised ErrCommand, a test failure for any other outcome.
template <typename T>
std::optional<T> Try(const std::function<T()>& parse) {
    try {
        return parse();
    } catch (const CommandError& error) {
        EXPECT_EQ(error.Result(), CommandResult::ErrCommand);
        return std::nullopt;
    }
}

struct NumberRow {
    std::string line;
    std::optional<int32_t> value;  // nullopt: ErrCommand
};

void CheckNumbers(const char* what, const std::function<int32_t(std::string_view)>& parse,
                  const std::vector<NumberRow>& rows) {
    for (const auto& row : rows) {
        const auto got = Try<int32_t>([&] { return parse(row.line); });
        EXPECT_EQ(got, row.value) << what << ": \"" << row.line << "\"";
    }
}

TEST(Tx330Replies, BindingsAreTheDigitsAtColumns23_29_35) {
    const std::string good = "do1/do2/do3 bound to DI3 / DI1 / DI2";
    const auto binds = Replies::ParseDoBind(good);
    EXPECT_EQ(binds[0], DidoinfoDoBind::DI3);
    EXPECT_EQ(binds[1], DidoinfoDoBind::DI1);
    EXPECT_EQ(binds[2], DidoinfoDoBind::DI2);
    // Only the columns count, not the words around them.
    const auto other = Replies::ParseDoBind("xxxxxxxxxxxxxxxxxxxxxxx2xxxxx2xxxxx2");
    EXPECT_EQ(other[2], DidoinfoDoBind::DI2);

    for (const std::string bad :
         {"do1/do2/do3 bound to DI3 / DI1 / DI",   // one short
          "do1/do2/do3 bound to DI4 / DI1 / DI2",  // no such input
          "do1/do2/do3 bound to DI0 / DI1 / DI2", "do1/do2/do3 bound to DI3 / DIx / DI2", "", "ok"}) {
        EXPECT_FALSE((Try<std::array<DidoinfoDoBind, 3>>([&] { return Replies::ParseDoBind(bad); }))) << bad;
    }
}

TEST(Tx330Replies, ContactFormsAreTheLettersAtColumns15_21_27) {
    const auto forms = Replies::ParseDoInvert("contact is do1=b do2=a do3=b");
    EXPECT_EQ(forms[0], DidoinfoDoInvert::INVERT);
    EXPECT_EQ(forms[1], DidoinfoDoInvert::NONINVERT);
    EXPECT_EQ(forms[2], DidoinfoDoInvert::INVERT);
    for (const std::string bad : {"contact is do1=b do2=a do3=", "contact is do1=B do2=a do3=b",
                                  "contact is do1=b do2=c do3=b", "contact is  do1=b do2=a do3=b"}) {
        EXPECT_FALSE((Try<std::array<DidoinfoDoInvert, 3>>([&] { return Replies::ParseDoInvert(bad); })))
            << bad;
    }
}

TEST(Tx330Replies, DelaysAndKeepTimeAreReadBetweenFixedHeadAndTail) {
    auto off = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseDoOffDelay(l)); };
    CheckNumbers("off delay", off,
                 {{"off delay time is 0 msec", 0},
                  {"off delay time is 1200 msec", 1200},
                  {"off delay time is 1201 msec", std::nullopt},  // above the unit's maximum
                  {"off delay time is -5 msec", std::nullopt},    // a delay is never negative
                  {"off delay time is  msec", std::nullopt},      // no number at all
                  {"off delay time is 12x4 msec", std::nullopt},
                  {"off delay time is 99999999999999999999 msec", std::nullopt},
                  {"off delay", std::nullopt}});
    auto on = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseDoOnDelay(l)); };
    CheckNumbers(
        "on delay", on,
        {{"on delay time is 7 msec", 7}, {"on delay time is 1200 msec", 1200}, {"on dela", std::nullopt}});
    auto keep = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseDoKeepTime(l)); };
    CheckNumbers("keep time", keep,
                 {{"keep timer is 0 sec", 0},
                  {"keep timer is 30 sec", 30},
                  {"keep timer is 3600 sec", 3600},
                  {"keep timer is 15 sec", std::nullopt},  // 1 to 29 s is no valid keep time
                  {"keep timer is 3601 sec", std::nullopt}});
}

TEST(Tx330Replies, InputDelayIsReadAsExactTenths) {
    auto di = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseDiDelay(l)); };
    CheckNumbers("input delay", di,
                 {{"di filter time is 2.5 sec", 25},
                  {"di filter time is 2.3 sec", 23},  // 2.3 in binary floating point is below 2.3
                  {"di filter time is 0.7 sec", 7},
                  {"di filter time is 4.1 sec", 41},
                  {"di filter time is 10.0 sec", 100},
                  {"di filter time is 0.0 sec", 0},
                  {"di filter time is 3 sec", 30},
                  {"di filter time is 2.39 sec", 23},  // further digits are dropped, not rounded
                  {"di filter time is 10.1 sec", std::nullopt},
                  {"di filter time is -0.5 sec", std::nullopt},
                  {"di filter time is 2,5 sec", std::nullopt},
                  {"di filter time is . sec", std::nullopt},
                  {"di filter time is 1.2.3 sec", std::nullopt},
                  {"di filter time", std::nullopt}});
}

TEST(Tx330Replies, WordRepliesMatchExactly) {
    EXPECT_EQ(Replies::ParseDoKeepSignal("Keep signal is ON "), DidoinfoDoKeepSignal::ON);
    EXPECT_EQ(Replies::ParseDoKeepSignal("Keep signal is OFF "), DidoinfoDoKeepSignal::OFF);
    EXPECT_EQ(Replies::ParseChMode("applied ch num range is 24-38"), WirelessinfoChMode::CH24to37);
    EXPECT_EQ(Replies::ParseChMode("applied ch num range is 33-61"), WirelessinfoChMode::CH33to60);
    EXPECT_EQ(Replies::ParseOpMode("op mode is fsk mode"), WirelessinfoOpMode::FSK);
    EXPECT_EQ(Replies::ParseOpMode("op mode is lora mode"), WirelessinfoOpMode::LoRa);
    // The trailing space is part of the word; the channel plans are named by 38 and 61.
    EXPECT_FALSE(Try<DidoinfoDoKeepSignal>([] { return Replies::ParseDoKeepSignal("Keep signal is ON"); }));
    EXPECT_FALSE(
        Try<WirelessinfoChMode>([] { return Replies::ParseChMode("applied ch num range is 24-37"); }));
    EXPECT_FALSE(Try<WirelessinfoOpMode>([] { return Replies::ParseOpMode("op mode is LoRa mode"); }));
}

TEST(Tx330Replies, RadioNumbersAreAnchoredAndRanged) {
    auto ch = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseCh(l)); };
    CheckNumbers("channel", ch,
                 {{"channel is 24", 24},
                  {"channel is 60", 60},
                  {"channel is 23", std::nullopt},
                  {"channel is 61", std::nullopt},
                  {"channel is ", std::nullopt},
                  {"channel is 33 ", std::nullopt},
                  {" channel is 33", std::nullopt}});
    auto id = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseNodeId(l)); };
    CheckNumbers("node id", id,
                 {{"node id is 0", 0}, {"node id is 99", 99}, {"node id is 100", std::nullopt}});
    auto grp = [](std::string_view l) { return static_cast<int32_t>(Replies::ParseGrpId(l)); };
    CheckNumbers("group id", grp,
                 {{"group id is 65534", 65534},
                  {"group id is 65535", std::nullopt},
                  {"group id is 4294967296", std::nullopt},
                  {"group id is -1", std::nullopt}});
}

TEST(Tx330Replies, AnswerWaitTimeIsTheMillisecondsInTenMillisecondSteps) {
    CheckNumbers("answer wait time", Replies::ParseAwt,
                 {{"answer wait time is 0 ms ", 0},
                  {"answer wait time is 9 ms ", 0},
                  {"answer wait time is 50 ms ", 5},
                  {"answer wait time is 250 ms ", 25},
                  {"answer wait time is 259 ms ", 25},  // the unit's own rounding stays within the step
                  {"answer wait time is 260 ms ", std::nullopt},
                  {"answer wait time is 1000 ms ", std::nullopt},  // four digits: no such line length
                  {"answer wait time is 250 ms", std::nullopt},    // the final space belongs to the reply
                  {"answer wait time is  ms ", std::nullopt},
                  {"answer wait time is 2x0 ms ", std::nullopt},
                  {"answer wait time is -10 ms ", std::nullopt},
                  {"Answer wait time is 250 ms ", std::nullopt}});
}

}  // namespace
}  // namespace Tormel::Domain::Modem
