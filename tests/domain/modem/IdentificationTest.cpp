// SPDX-License-Identifier: MIT
// The version and name tests that gate every feature of a unit, checked against the replies
// units actually give and against the garbage a broken line can deliver.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "domain/modem/Command.h"
#include "domain/modem/TX330Command.h"

namespace {

using Tormel::Domain::Modem::Command;
using Tormel::Domain::Modem::CommandError;
using Tormel::Domain::Modem::CommandResult;
using Tormel::Domain::Modem::TX330Command;

struct VersionRow {
    const char* version;
    bool supported, over2_1, is2_1, over2_2, is2_2, over2_4, under2_4, is2_4, over2_5, is2_5, over2_6, is2_6;
};

TEST(Identification, VersionPatterns) {
    // The minor part is a run of digits from a class: 2.10 is not "2.1 or later", 2.44 is 2.4.
    const VersionRow rows[] = {
        //            sup   o21    is21   o22    is22   o24    u24    is24   o25    is25   o26    is26
        {"2.0", true, false, false, false, false, false, true, false, false, false, false, false},
        {"2.1", true, true, true, false, false, false, true, false, false, false, false, false},
        {"2.10", true, false, false, false, false, false, true, false, false, false, false, false},
        {"2.11", true, true, true, false, false, false, true, false, false, false, false, false},
        {"2.2", true, true, false, true, true, false, true, false, false, false, false, false},
        {"2.4", true, true, false, true, false, true, true, true, false, false, false, false},
        {"2.44", true, true, false, true, false, true, true, true, false, false, false, false},
        {"2.5", true, true, false, true, false, true, false, false, true, true, false, false},
        {"2.6", true, true, false, true, false, true, false, false, true, false, true, true},
        {"3.0", true, true, false, true, false, true, false, false, true, false, true, false},
        {"4.0", false, true, false, true, false, true, false, false, true, false, true, false},
        {"1.9", false, false, false, false, false, false, true, false, false, false, false, false},
        {"2.5 ", false, false, false, false, false, false, false, false, false, false, false, false},
        {"v2.5", false, false, false, false, false, false, false, false, false, false, false, false},
        {"", false, false, false, false, false, false, false, false, false, false, false, false},
        {"2.", false, false, false, false, false, false, false, false, false, false, false, false},
    };
    for (const VersionRow& row : rows) {
        SCOPED_TRACE(std::string("version \"") + row.version + "\"");
        Command::m_nodeinfo.SoftwareVersion = row.version;
        // IsSupportedVersion asks the unit; its pattern is checked through the same helper
        // with the same text.
        EXPECT_EQ(Command::SearchReply(row.version, std::regex(R"(^[2-3]\.[0-9]+$)")), row.supported);
        EXPECT_EQ(Command::IsVersionOver2_1(), row.over2_1);
        EXPECT_EQ(Command::IsVersion2_1(), row.is2_1);
        EXPECT_EQ(Command::IsVersionOver2_2(), row.over2_2);
        EXPECT_EQ(Command::IsVersion2_2(), row.is2_2);
        EXPECT_EQ(Command::IsVersionOver2_4(), row.over2_4);
        EXPECT_EQ(Command::IsVersionUnder2_4(), row.under2_4);
        EXPECT_EQ(Command::IsVersion2_4(), row.is2_4);
        EXPECT_EQ(Command::IsVersionOver2_5(), row.over2_5);
        EXPECT_EQ(Command::IsVersion2_5(), row.is2_5);
        EXPECT_EQ(Command::IsVersionOver2_6(), row.over2_6);
        EXPECT_EQ(Command::IsVersion2_6(), row.is2_6);
    }
}

TEST(Identification, FirmwareVersionToken) {
    struct Row {
        const char* name;
        int threshold;
        bool expected;
    };
    const Row rows[] = {
        {"Tarvic2(920MHz) TX-910A Ver1.7", 17, true},
        {"Tarvic2(920MHz) TX-910A Ver1.6", 17, false},
        {"Tarvic2(920MHz) TX-910A Ver1.10", 17, true},  // reads 110
        {"Tarvic2(920MHz) TX-910A Ver1.10", 111, false},
        {"Tarvic2(920MHz) TX-910A Ver2.0", 17, true},  // reads 20
        {"Tarvic2(920MHz) TX-910A Ver2.0", 21, false},
        {"Tarvic TX-910A", 0, false},  // no "Ver": false whatever the threshold
        {"Tarvic TX-910A", -1, false},
        {"Tarvic TX-910A Ver", 0, true},  // no digits read as 0
        {"Tarvic TX-910A Ver", 1, false},
        {"Tarvic TX-910A Ver1.7 build 99", 17, true},  // the token ends at the space
        {"Tarvic TX-910A Ver1.7 build 99", 18, false},
        {"Tarvic Ver1.7b", 17, true},  // leading digits only
        {"Tarvic Verx1.7", 0, true},
        {"Tarvic Verx1.7", 1, false},
        // A token longer than a unit ever sends is cut to 9 characters: 1.2345678 -> 12345678,
        // and a run of digits cannot overflow.
        {"Tarvic Ver1.234567890123", 12345678, true},
        {"Tarvic Ver1.234567890123", 12345679, false},
        {"Tarvic Ver99999999999999999999", 999999999, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " >= " + std::to_string(row.threshold));
        Command::m_NameSoft = row.name;
        EXPECT_EQ(Command::IsFirmVersionOverCheck(row.threshold), row.expected);
    }
}

TEST(Identification, NameTests) {
    struct Row {
        const char* name;
        bool family, over1_4, newGeneration, whitening;
    };
    const Row rows[] = {
        {"Tarvic2(920MHz) TX-910A Ver1.7", true, true, true, true},
        {"Tarvic2(920MHz) TX-910A Ver1.6", true, true, true, false},
        {"Tarvic2(920MHz) TX-910A Ver1.10", true, false, true, true},  // "Ver1.1" fails the 1.4 test
        {"Tarvic2(920MHz) TX-910A Ver1.3", true, false, true, false},
        {"Tarvic TX-710A Ver1.7", true, true, false, false},  // older generation: no whitening
        {"Tarvic TX-710A Ver1.4", true, true, false, false},
        {"Tarvi TX-710A", true, false, false, false},  // "Tarvic*" also takes "Tarvi"
        {"Brenlow TX-330 Ver1.0", false, false, false, false},
        {"tarvic TX-710A", false, false, false, false},  // the family word is case-sensitive
        {"", false, false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Command::m_nodeinfo.SoftwareName = row.name;
        Command::m_NameSoft = row.name;
        EXPECT_EQ(Command::checkFirmWareName(), row.family);
        EXPECT_EQ(Command::IsFirmVersionOver1_4(), row.over1_4);
        EXPECT_EQ(Command::IsFirmForQRM500(), row.newGeneration);
        EXPECT_EQ(Command::IsWhitening(), row.whitening);
    }
}

TEST(Identification, HugeRepliesNeitherCrashNorMatchAtTheCut) {
    // A line of tens of kilobytes (noise on the line, a wrong bit rate) must give a plain
    // answer; the regex engine would otherwise run out of stack.
    const std::string digits = "2." + std::string(std::size_t{64} * 1024, '5');
    Command::m_nodeinfo.SoftwareVersion = digits;
    EXPECT_FALSE(Command::IsVersionOver2_5());  // the line does not end where it is cut
    EXPECT_FALSE(Command::IsVersion2_5());

    const std::string noisyName = "Tarvi" + std::string(std::size_t{64} * 1024, 'c');
    Command::m_nodeinfo.SoftwareName = noisyName;
    Command::m_NameSoft = noisyName;
    EXPECT_TRUE(Command::checkFirmWareName());
    EXPECT_FALSE(Command::IsWhitening());
    EXPECT_FALSE(Command::IsFirmVersionOver1_4());

    // The contact-I/O unit's family word ends in the same kind of repeatable letter.
    TX330Command::m_nodeinfo.SoftwareName = "Brenlo" + std::string(std::size_t{64} * 1024, 'w');
    EXPECT_TRUE(TX330Command::checkFirmWareName());

    const std::string verRun = std::string(std::size_t{64} * 1024, '_') + "Ver1.7";
    Command::m_NameSoft = verRun;
    EXPECT_TRUE(Command::IsFirmVersionOverCheck(17));
}

TEST(Frame, MapsFailuresToResults) {
    Command::m_result = "stale reply";
    EXPECT_EQ(Command::RunFrame([] {}), CommandResult::Success);
    EXPECT_TRUE(Command::m_result.empty());

    EXPECT_EQ(Command::RunFrame([] { throw CommandError(CommandResult::ErrOutOfRange); }),
              CommandResult::ErrOutOfRange);
    EXPECT_EQ(Command::RunFrame([] { throw std::runtime_error("unexpected"); }), CommandResult::ErrStatus);
    EXPECT_EQ(Command::RunFrame([] { throw 42; }), CommandResult::ErrStatus);

    // The last line received inside the sequence stays for the error message.
    EXPECT_EQ(Command::RunFrame([] {
                  Command::m_result = "ng";
                  throw CommandError(CommandResult::ErrCommand);
              }),
              CommandResult::ErrCommand);
    EXPECT_EQ(Command::Result(), "ng");
}

TEST(Link, PrimitivesWithoutAnOpenPortFailWithErrConnect) {
    Command::SerialPort(nullptr);
    auto resultOf = [](auto&& call) {
        try {
            call();
        } catch (const CommandError& error) {
            return error.Result();
        }
        return CommandResult::Success;
    };
    EXPECT_EQ(resultOf([] { Command::Send("~VER?"); }), CommandResult::ErrConnect);
    EXPECT_EQ(resultOf([] { Command::Receive(); }), CommandResult::ErrConnect);
    EXPECT_EQ(resultOf([] { Command::Open(); }), CommandResult::ErrConnect);
    EXPECT_EQ(resultOf([] { Command::Close(); }), CommandResult::Success);  // nothing to close

    auto port = Tormel::Platform::CreateSerialPort();
    Command::SerialPort(port.get());
    EXPECT_EQ(resultOf([] { Command::Send("~VER?"); }), CommandResult::ErrConnect);
    EXPECT_EQ(resultOf([] { Command::Receive(700); }), CommandResult::ErrConnect);
    Command::SerialPort(nullptr);
}

}  // namespace
