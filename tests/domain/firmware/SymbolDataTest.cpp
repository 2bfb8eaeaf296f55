// SPDX-License-Identifier: MIT
// The parameter codes of the firmware against the records: every stored value either has a
// meaning that survives the trip back into the image, or is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "domain/firmware/SymbolData.h"

namespace {

using namespace Tormel::Domain::Firmware;
using namespace Tormel::Domain::Common;

struct Encoding {
    std::string name;
    uint64_t maxStored;             // 255 for a 1-byte symbol, 65535 for a 2-byte one
    size_t accepted;                // how many stored values have a meaning
    std::vector<uint64_t> aliases;  // stored values that read as another value's meaning
    // Decodes a stored value and encodes the result again; empty when the stored value is refused.
    std::function<std::optional<uint64_t>(uint64_t)> roundTrip;
};

template <typename Decode, typename Encode>
std::function<std::optional<uint64_t>(uint64_t)> Trip(Decode decode, Encode encode) {
    return [=](uint64_t stored) -> std::optional<uint64_t> {
        const auto value = decode(stored);
        if (!value) {
            return std::nullopt;
        }
        const auto again = encode(*value);
        // A value read from an image must always be storable again.
        if (!again) {
            return ~0ull;
        }
        return again;
    };
}

TEST(SymbolDataTest, EveryStoredValueIsRefusedOrSurvivesTheRoundTrip) {
    const Encoding encodings[] = {
        {"baudrate", 65535, 8, {}, Trip(SymbolDataToBaudRate, BaudRateToSymbolData)},
        {"databit", 255, 2, {}, Trip(SymbolDataToDataBits, DataBitsToSymbolData)},
        {"parity", 255, 3, {}, Trip(SymbolDataToParity, ParityToSymbolData)},
        {"stopbit", 255, 2, {}, Trip(SymbolDataToStopBits, StopBitsToSymbolData)},
        {"intfport", 255, 2, {}, Trip(SymbolDataToIntfPort, IntfPortToSymbolData)},
        {"flowControl", 255, 3, {}, Trip(SymbolDataToFlowControl, FlowControlToSymbolData)},
        {"awt", 65535, 26, {}, Trip(SymbolDataToAwt, AwtToSymbolData)},
        {"hundredOrder", 65535, 10001, {65535}, Trip(SymbolDataToIdOffset, IdOffsetToSymbolData)},
        {"syncParams", 255, 2, {}, Trip(SymbolDataToAutoParamSyncEnable, AutoParamSyncEnableToSymbolData)},
        {"extendedGroup", 255, 2, {}, Trip(SymbolDataToExtendedGroup, ExtendedGroupToSymbolData)},
        {"encryptAESEnbl", 255, 2, {}, Trip(SymbolDataToAESEncryptEnable, AESEncryptEnableToSymbolData)},
        {"Whitening", 255, 2, {}, Trip(SymbolDataToWhitening, WhiteningToSymbolData)},
        {"encryptEnbl", 255, 2, {}, Trip(SymbolDataToEncryptEnable, EncryptEnableToSymbolData)},
        {"encryptKey", 65535, 65536, {}, Trip(SymbolDataToKeyWord, KeyWordToSymbolData)},
        {"throughMode", 255, 3, {}, Trip(SymbolDataToThroughMode, ThroughModeToSymbolData)},
        {"silentChar", 255, 97, {}, Trip(SymbolDataToSilentChar, SilentCharToSymbolData)},
        {"fmt2Enbl", 255, 2, {}, Trip(SymbolDataToFmt2Enable, Fmt2EnableToSymbolData)},
        {"stxChar", 255, 254, {}, Trip(SymbolDataToPacketCode, PacketCodeToSymbolData)},
        {"offsetAfterEtx", 255, 11, {255}, Trip(SymbolDataToPacketOffset, PacketOffsetToSymbolData)},
        {"devIdEnable", 255, 3, {}, Trip(SymbolDataToDeviEnable, DeviEnableToSymbolData)},
        {"offsetToDevId", 255, 101, {255}, Trip(SymbolDataToAddressOffset, AddressOffsetToSymbolData)},
        {"devIdLen", 255, 8, {255}, Trip(SymbolDataToAddressLength, AddressLengthToSymbolData)},
        {"devIdFormat", 255, 5, {255}, Trip(SymbolDataToFormat, FormatToSymbolData)},
        {"bcastAddr", 65535, 65536, {}, Trip(SymbolDataToBcastAddr, BcastAddrToSymbolData)},
        {"chkType", 255, 4, {}, Trip(SymbolDataToCheckMethod, CheckMethodToSymbolData)},
        {"chkIncludeStx", 255, 2, {}, Trip(SymbolDataToCheckCode, CheckCodeToSymbolData)},
        {"offsetToChkCode", 255, 200, {255}, Trip(SymbolDataToCheckOffset, CheckOffsetToSymbolData)},
        {"chkCodeLen", 255, 5, {255}, Trip(SymbolDataToCheckLength, CheckLengthToSymbolData)},
        {"bindType", 255, 2, {}, Trip(SymbolDataToBindType, BindTypeToSymbolData)},
    };
    for (const auto& encoding : encodings) {
        SCOPED_TRACE(encoding.name);
        size_t accepted = 0;
        for (uint64_t stored = 0; stored <= encoding.maxStored; ++stored) {
            const auto again = encoding.roundTrip(stored);
            if (!again) {
                continue;
            }
            ++accepted;
            const bool alias =
                std::find(encoding.aliases.begin(), encoding.aliases.end(), stored) != encoding.aliases.end();
            if (alias) {
                // The erased value is read as zero but never written back as the erased value.
                // (A check length read as 0 is out of its range and cannot be stored again.)
                EXPECT_NE(*again, stored) << "stored " << stored;
                if (*again != ~0ull) {
                    EXPECT_EQ(encoding.roundTrip(*again), again) << "stored " << stored;
                }
            } else {
                EXPECT_EQ(*again, stored) << "stored " << stored;
            }
        }
        EXPECT_EQ(accepted, encoding.accepted);
    }
}

// Edges in the direction into the image that the editor tests do not reach.
TEST(SymbolDataTest, EdgesOfTheWriteDirection) {
    EXPECT_EQ(IdOffsetToSymbolData(65535), 0u);
    EXPECT_EQ(IdOffsetToSymbolData(10000), std::nullopt);
    EXPECT_EQ(CheckOffsetToSymbolData(-99), 1u);
    EXPECT_EQ(CheckOffsetToSymbolData(99), 199u);
    EXPECT_EQ(CheckOffsetToSymbolData(-100), std::nullopt);
    // Zero is stored as zero, never as the erased value.
    EXPECT_EQ(PacketOffsetToSymbolData(0), 0u);
    EXPECT_EQ(AddressOffsetToSymbolData(0), 0u);
    EXPECT_EQ(FormatToSymbolData(ProtocolFormat::DecimalNumber), 0u);
    EXPECT_EQ(CheckLengthToSymbolData(0), std::nullopt);
    EXPECT_EQ(ParityToSymbolData(Parity::Mark), std::nullopt);
    EXPECT_EQ(AESEncryptTypeToSymbolData(NodeinfoAESEncryptType{}), std::nullopt);
    // The answer wait time goes out as its low 16 bits, unchecked.
    EXPECT_EQ(AwtToSymbolData(-1), 0xFFFFu);
}

}  // namespace
