// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "domain/common/Binding.h"
#include "domain/common/Communication.h"
#include "domain/common/Nodeinfo.h"
#include "domain/common/Wirelessinfo.h"

using namespace Tormel::Domain::Common;

TEST(Records, ZeroFilledNodeinfoHasWhiteningDisabledButOtherSwitchesUnset) {
    Nodeinfo n;
    EXPECT_EQ(n.WhiteningEnable, NodeinfoWhiteningEnable::Disable);
    EXPECT_EQ(static_cast<int32_t>(n.EncryptEnable), 0);
    EXPECT_EQ(static_cast<int32_t>(n.AESEncryptEnable), 0);
    EXPECT_NE(n.AESEncryptEnable, NodeinfoAESEncryptEnable::Disable);
    EXPECT_TRUE(n.SoftwareName.empty());
}

TEST(Records, OutOfRangeValuesAreStoredUnchanged) {
    Nodeinfo n;
    n.AESEncryptKey16 = 0x10000;  // refused only when sent to a unit
    n.*kAESEncryptKeyFields[15] += 1;
    EXPECT_EQ(n.AESEncryptKey16, 0x10001u);
    n.*kEncryptKeyFields[0] = 0xBEEF;
    EXPECT_EQ(n.EncryptKey1, 0xBEEFu);

    Wirelessinfo w;
    EXPECT_EQ(static_cast<int32_t>(w.Ch), 0);  // outside the channel range until set
    EXPECT_EQ(WirelessinfoCh::MIN_CH_ID, WirelessinfoCh::CH24);
    EXPECT_EQ(static_cast<int32_t>(WirelessinfoCh::CH60), 60);
}

TEST(Records, BindingCopiesItsListsWithTheRecord) {
    Binding a;
    EXPECT_FALSE(a.Groups.has_value());
    a.Groups = std::vector<BindingGroup>{{5, 0xF0, 0x10}};
    Binding b = a;
    b.Groups->push_back({6, 0xC0, 0x40});
    EXPECT_EQ(a.Groups->size(), 1u);
    EXPECT_EQ(b.Groups->size(), 2u);
}
