// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/Rs485Unit.h"
#include "sim/SimUnit.h"
#include "sim/UnitStateFile.h"

using namespace Pelnix::Sim;

namespace {

std::vector<std::string> Lines(SimUnit& unit, const std::string& request) {
    std::vector<std::string> lines;
    for (const auto& reply : unit.Handle(request)) lines.push_back(reply.line);
    return lines;
}

std::string One(SimUnit& unit, const std::string& request) {
    auto lines = Lines(unit, request);
    return lines.size() == 1 ? lines[0] : "<" + std::to_string(lines.size()) + " lines>";
}

}  // namespace

TEST(SimUnitRs485, ListingFollowsVersionAndModuleGeneration) {
    SimUnit older(Rs485FactoryState("2.4", false, "1.5"));
    auto lines = Lines(older, "~ALLPARAM?");
    ASSERT_EQ(lines.size(), 4u + 3 + 11 + 1 + 6);
    EXPECT_EQ(lines[4], "flowctl is disable");
    EXPECT_EQ(lines[18], "bind is no entry");
    EXPECT_EQ(lines[19], "chk is disable");
    EXPECT_EQ(lines[21], "encrypt is disable");
    EXPECT_EQ(lines[22].rfind("encrypt key is 0x00,", 0), 0u);
    EXPECT_EQ(lines.back(), "group is fix");

    SimUnit oldest(Rs485FactoryState("2.0", false, "1.3"));
    lines = Lines(oldest, "~ALLPARAM?");
    EXPECT_EQ(lines.back(), "end of parameters");  // no bind type or grouping yet
    EXPECT_EQ(One(oldest, "~NETENCENABLE?"), "unknown command");

    SimUnit newer(Rs485FactoryState("2.6", true, "1.7"));
    EXPECT_EQ(One(newer, "~BTYP=2"), "bind type is each");
    EXPECT_EQ(One(newer, "~BIND=12,3"), "added entry for node id 12, unit id 3");
    lines = Lines(newer, "~ALLPARAM?");
    ASSERT_EQ(lines.size(), 4u + 1 + 11 + 2 + 1 + 1 + 2);
    EXPECT_EQ(lines[4], "intfport is RS485");
    EXPECT_EQ(lines[16], "bind each entries are");
    EXPECT_EQ(lines[17], "nodeid=12;unitid=3");
    EXPECT_EQ(lines[19], "net encryption is disable");
    EXPECT_EQ(lines[20], "bind type is each");
}

TEST(SimUnitRs485, SettersChangeTheUnitAndInitRestoresTheFactoryValues) {
    SimUnit unit(Rs485FactoryState("2.6", true, "1.7"));
    EXPECT_EQ(One(unit, "~BAUD=7"), "baudrate is 76800 bps");
    EXPECT_EQ(unit.State().line.BaudRate, 76800);
    EXPECT_EQ(One(unit, "~DBIT=2"), "databit is 7 bit");
    EXPECT_EQ(One(unit, "~BCAD=65535"), "broadcast address is 0xFFFF");
    EXPECT_EQ(One(unit, "~BCAD=18"), "broadcast address is 0x12");
    EXPECT_EQ(One(unit, "~HODR=9999"), "hundred order is 9999");
    EXPECT_EQ(One(unit, "~HODR=10000"), "invalid parameter");
    EXPECT_EQ(One(unit, "~BIND=5,0xF0,0x10"), "added entry for node id 5, mask=0xF0 key=0x10");
    EXPECT_EQ(One(unit, "~CHK=1,1,0,2,0"), "unknown command");  // no check code from 2.5 on

    // A packet's start and end marks must differ, so a swap needs a detour.
    EXPECT_EQ(One(unit, "~STX=0x03"), "invalid parameter");
    EXPECT_EQ(One(unit, "~ETX=0x02,1"), "invalid parameter");
    EXPECT_EQ(One(unit, "~ETX=0x7E,1"), "invalid parameter");
    EXPECT_EQ(One(unit, "~ETX=0xFF,1"), "etx is 0xFF, offset is 1");
    EXPECT_EQ(One(unit, "~STX=0x03"), "stx is 0x03");

    EXPECT_EQ(One(unit, "~INIT="), "node was initialized");
    EXPECT_EQ(unit.State().line.BaudRate, 9600);
    EXPECT_EQ(unit.State().line.DataBits, 8);
    EXPECT_TRUE(unit.State().rs485.groups.empty());
    EXPECT_EQ(unit.State().rs485.stx, 0x02);

    SimUnit older(Rs485FactoryState("2.4", false, "1.5"));
    EXPECT_EQ(One(older, "~BAUD=7"), "invalid parameter");  // 76800 needs the newer module
    EXPECT_EQ(One(older, "~CHK=2,2,-2,1,5"),
              "chk is BCC, stx is included, id offset is -2, length is 1, format is Binary LE");
    EXPECT_EQ(One(older, "~CHK=1,2,-2,1,5"), "chk is disable");
}

TEST(SimUnitRs485, StateFileChoosesTheUnitAndRejectsUnknownKeys) {
    std::string error;
    auto state = ParseUnitState(
        "# an older unit\nversion=2.1\ngeneration=older\nfirmware=1.3\nbaud=19200\n"
        "group=5, 0xF0, 0x08\nstx=0x41\n",
        error);
    ASSERT_TRUE(state) << error;
    EXPECT_EQ(state->version, "2.1");
    EXPECT_EQ(state->name, "Tarvic(920MHz) TX-710A Ver1.3");
    EXPECT_FALSE(state->rs485.newerModule);
    EXPECT_FALSE(state->rs485.networkEncryption);
    EXPECT_EQ(state->line.BaudRate, 19200);
    ASSERT_EQ(state->rs485.groups.size(), 1u);
    EXPECT_EQ(state->rs485.groups[0].key, 0x08);
    EXPECT_EQ(state->rs485.stx, 0x41);

    EXPECT_FALSE(ParseUnitState("baud=1234\n", error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(ParseUnitState("colour=blue\n", error));
    EXPECT_FALSE(ParseUnitState("family=modem\n", error));
    EXPECT_FALSE(LoadUnitStateFile("/nonexistent/unit.txt", error));
}
