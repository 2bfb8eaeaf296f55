// SPDX-License-Identifier: MIT
// The simulated contact-I/O unit, driven line by line through its interpreter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimUnit.h"
#include "sim/Tx330Unit.h"

namespace Pelnix::Sim {
namespace {

using Tormel::Domain::Common::Parity;
using Tormel::Domain::Common::StopBits;

std::string One(SimUnit& unit, const std::string& request) {
    const auto replies = unit.Handle(request);
    EXPECT_EQ(replies.size(), 1u) << request;
    return replies.empty() ? std::string() : replies.front().line;
}

TEST(Tx330Unit, ContactRepliesCarryTheirValuesAtTheAgreedColumns) {
    SimUnit unit(Tx330FactoryState());
    const std::string bind = One(unit, "~BINDDO=3,1,2");
    ASSERT_GE(bind.size(), 36u);
    EXPECT_EQ(std::string() + bind[23] + bind[29] + bind[35], "312");
    EXPECT_EQ(One(unit, "~BINDDO?"), bind);

    const std::string contact = One(unit, "~CONTACT=1,0,1");
    ASSERT_GE(contact.size(), 28u);
    EXPECT_EQ(std::string() + contact[15] + contact[21] + contact[27], "bab");

    // Numbers sit between a fixed head and a fixed tail of the sentence.
    const std::string off = One(unit, "~OFFDELAY=1200");
    EXPECT_EQ(off.substr(18, off.size() - 18 - 5), "1200");
    const std::string on = One(unit, "~ONDELAY=7");
    EXPECT_EQ(on.substr(17, on.size() - 17 - 5), "7");
    const std::string keep = One(unit, "~KEEP=3600");
    EXPECT_EQ(keep.substr(14, keep.size() - 14 - 4), "3600");
    for (const auto& [tenths, text] : std::vector<std::pair<std::string, std::string>>{
             {"0", "0.0"}, {"23", "2.3"}, {"25", "2.5"}, {"100", "10.0"}}) {
        const std::string di = One(unit, "~DIDELAY=" + tenths);
        EXPECT_EQ(di.substr(18, di.size() - 18 - 4), text);
    }
    EXPECT_EQ(One(unit, "~KEEPSIGNAL=1"), "Keep signal is ON ");
    EXPECT_EQ(One(unit, "~KEEPSIGNAL?"), "Keep signal is ON ");
}

TEST(Tx330Unit, AnswerWaitTimeIsReportedInMilliseconds) {
    UnitState state = Tx330FactoryState();
    SimUnit unit(state);
    EXPECT_EQ(One(unit, "~AWT=0"), "answer wait time is 0 ms ");
    EXPECT_EQ(One(unit, "~AWT=5"), "answer wait time is 50 ms ");
    EXPECT_EQ(One(unit, "~AWT=25"), "answer wait time is 250 ms ");
    EXPECT_EQ(One(unit, "~AWT?"), "answer wait time is 250 ms ");
    EXPECT_EQ(One(unit, "~AWT=26"), "invalid parameter");

    state.tx330.awtExtraMs = 9;
    SimUnit slow(state);
    EXPECT_EQ(One(slow, "~AWT=25"), "answer wait time is 259 ms ");
}

TEST(Tx330Unit, LineSettingsTakeEffectAndInitRestoresTheFactoryValues) {
    SimUnit unit(Tx330FactoryState());
    EXPECT_EQ(One(unit, "~BAUD=7"), "baudrate is 76800 bps");
    EXPECT_EQ(One(unit, "~DBIT=2"), "databit is 7 bit");
    EXPECT_EQ(One(unit, "~SBIT=2"), "stopbit is 2 bit");
    EXPECT_EQ(One(unit, "~PARI=2"), "parity is even");
    EXPECT_EQ(unit.State().line.BaudRate, 76800);
    EXPECT_EQ(unit.State().line.DataBits, 7);
    EXPECT_EQ(unit.State().line.StopBits, StopBits::Two);
    EXPECT_EQ(unit.State().line.Parity, Parity::Even);
    EXPECT_EQ(One(unit, "~CH=60"), "channel is 60");
    EXPECT_EQ(One(unit, "~NETENCENABLE=2"), "net encryption is enable");

    const auto listing = unit.Handle("~ALLPARAM?");
    ASSERT_EQ(listing.size(), 6u);
    EXPECT_EQ(listing[0].line, "baudrate is 76800 bps");
    EXPECT_EQ(listing[1].line, "stopbit is 2 bit");
    EXPECT_EQ(listing[2].line, "parity is even");
    EXPECT_EQ(listing[3].line, "databit is 7 bit");
    EXPECT_EQ(listing[4].line, "intfport is RS485");

    EXPECT_EQ(One(unit, "~INIT="), "node was initialized");
    EXPECT_EQ(unit.State().line.BaudRate, 9600);
    EXPECT_EQ(unit.State().line.DataBits, 8);
    EXPECT_EQ(One(unit, "~CH?"), "channel is 33");
    EXPECT_EQ(One(unit, "~NETENCENABLE?"), "net encryption is disable");
}

TEST(Tx330Unit, RefusesValuesItCannotTake) {
    SimUnit unit(Tx330FactoryState());
    for (const char* request :
         {"~KEEP=15", "~OFFDELAY=1201", "~CH=23", "~ID=100", "~GRP=65535", "~BINDDO=1,2", "~BINDDO=0,1,2",
          "~CONTACT=2,0,0", "~DIDELAY=101", "~BAUD=8", "~CHMODE=-1", "~CH=x"}) {
        EXPECT_EQ(One(unit, request), "invalid parameter") << request;
    }
    EXPECT_EQ(One(unit, "~KEEP=0"), "keep timer is 0 sec");
    EXPECT_EQ(One(unit, "~KEEP=30"), "keep timer is 30 sec");
    EXPECT_EQ(One(unit, "~FOO?"), "unknown command");
    // Nothing refused changed the unit.
    EXPECT_EQ(unit.State().tx330.ch, 33);
    EXPECT_EQ(unit.State().line.BaudRate, 9600);
}

}  // namespace
}  // namespace Pelnix::Sim
