// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "domain/modem/Replies.h"

using namespace Tormel::Domain::Common;
using namespace Tormel::Domain::Modem;
using namespace Tormel::Domain::Modem::Replies;

namespace {

// Runs a parser and gives its value as a number, or the failure as a negative result code.
int64_t Outcome(const std::function<int64_t()>& parse) {
    try {
        return parse();
    } catch (const CommandError& e) {
        return -static_cast<int64_t>(e.Result());
    }
}

constexpr int64_t kCmd = -static_cast<int64_t>(CommandResult::ErrCommand);
constexpr int64_t kRange = -static_cast<int64_t>(CommandResult::ErrOutOfRange);

struct Row {
    const char* what;
    std::function<int64_t(std::string_view)> parse;
    const char* line;
    int64_t expected;
};

template <typename F>
std::function<int64_t(std::string_view)> As(F f) {
    return [f](std::string_view line) { return static_cast<int64_t>(f(line)); };
}

}  // namespace

TEST(Replies, EveryReplyParsesToItsValueAndAnythingElseIsACommandError) {
    auto stx = As([](std::string_view l) { return ParseStx(l, PacketFormat::First); });
    auto stx2 = As([](std::string_view l) { return ParseStx(l, PacketFormat::Second); });
    auto etxMark = As([](std::string_view l) { return ParseEtx(l, PacketFormat::First).Mark; });
    auto etxOffset = As([](std::string_view l) { return ParseEtx(l, PacketFormat::First).Offset; });
    auto etx2Offset = As([](std::string_view l) { return ParseEtx(l, PacketFormat::Second).Offset; });
    auto devFormat =
        As([](std::string_view l) { return static_cast<int>(ParseDevice(l, PacketFormat::First).Format); });
    auto dev2Length = As([](std::string_view l) { return ParseDevice(l, PacketFormat::Second).Length; });
    auto chkOffset = As([](std::string_view l) { return ParseVerify(l).Offset; });
    auto chkLength = As([](std::string_view l) { return ParseVerify(l).Length; });
    auto chkMethod = As([](std::string_view l) { return static_cast<int>(ParseVerify(l).Method); });
    auto groupKey = As([](std::string_view l) { return ParseBindGroupAdded(l).Key; });
    auto eachUnit = As([](std::string_view l) { return ParseBindEachAdded(l).UnitId; });
    auto eachNode = As([](std::string_view l) { return ParseBindEachAdded(l).NodeId; });
    auto encKey8 = As([](std::string_view l) { return ParseEncryptKey(l)[7]; });
    auto encKey1 = As([](std::string_view l) { return ParseEncryptKey(l)[0]; });
    auto encrypt = [](bool newer) {
        return As([newer](std::string_view l) { return static_cast<int>(ParseEncryptEnable(l, newer)); });
    };

    const std::vector<Row> rows = {
        {"baud", As(ParseBaudRate), "baudrate is 76800 bps", 76800},
        {"baud", As(ParseBaudRate), "baudrate is 115200 bps", 115200},
        {"baud unknown speed", As(ParseBaudRate), "baudrate is 1200 bps", kCmd},
        {"baud case", As(ParseBaudRate), "Baudrate is 9600 bps", kCmd},
        {"baud trailing space", As(ParseBaudRate), "baudrate is 9600 bps ", kCmd},
        {"data bits", As(ParseDataBits), "databit is 7 bit", 7},
        {"parity", As([](auto l) { return static_cast<int>(ParseParity(l)); }), "parity is odd", 1},
        {"stop bits", As([](auto l) { return static_cast<int>(ParseStopBits(l)); }), "stopbit is 2 bit", 2},
        {"interface", As(ParseIntfPort), "intfport is USB", 2},
        {"flow", As([](auto l) { return static_cast<int>(ParseFlowControl(l)); }), "flowctl is Rts/Cts", 2},
        {"cmdif", As(ParseCmdIF), "INVALID", 0},
        {"cmdif", As(ParseCmdIF), "UART", 1},
        {"cmdif lower case", As(ParseCmdIF), "usb", kCmd},
        {"older encryption", encrypt(false), "encrypt is enable", 2},
        {"older encryption, newer words", encrypt(false), "net encryption is enable", kCmd},
        {"newer encryption", encrypt(true), "net encryption is disable", 1},
        {"whitening", As([](auto l) { return static_cast<int>(ParseWhitening(l)); }), "whitening on", 1},
        {"bind type", As([](auto l) { return static_cast<int>(ParseBindType(l)); }), "bind type is each", 2},
        {"silent", As(ParseSilentChar), "silent interval length is 100", 100},
        {"silent too long", As(ParseSilentChar), "silent interval length is 101", kCmd},
        {"silent endless digits", As(ParseSilentChar), "silent interval length is 99999999999999999999999",
         kCmd},
        {"silent no digits", As(ParseSilentChar), "silent interval length is ", kCmd},
        {"stx one digit", stx, "stx is 0x2", 2},
        {"stx lower hex", stx, "stx is 0xfe", 0xFE},
        {"stx tilde", stx, "stx is 0x7E", kCmd},
        {"stx zero", stx, "stx is 0x00", kCmd},
        {"stx three digits", stx, "stx is 0x123", kCmd},
        {"stx2", stx2, "stx2 is 0x41", 0x41},
        {"stx2 with first words", stx2, "stx is 0x41", kCmd},
        {"etx mark", etxMark, "etx is 0x03, offset is 2", 3},
        {"etx offset", etxOffset, "etx is 0x03, offset is 9", 9},
        {"etx offset too big", etxOffset, "etx is 0x03, offset is 10", kCmd},
        {"etx no space after comma", etxOffset, "etx is 0x03,offset is 2", kCmd},
        {"etx missing part", etxOffset, "etx is 0x03", kCmd},
        {"etx extra part", etxOffset, "etx is 0x03, offset is 2, x", kCmd},
        {"etx2", etx2Offset, "etx2 is 0x05, offset2 is 4", 4},
        {"device format", devFormat, "dev id offset is 3, length is 2, format is Binary LE", 2},
        {"device length too big", devFormat, "dev id offset is 3, length is 7, format is Ascii 10", kCmd},
        {"device2", dev2Length, "dev id offset2 is 99, length2 is 6, format2 is Ascii 16", 6},
        {"device2 with first format words", dev2Length,
         "dev id offset2 is 9, length2 is 6, format is Ascii 16", kCmd},
        {"check disable", chkLength, "chk is disable", 2},
        {"check offset", chkOffset,
         "chk is BCC, stx is included, id offset is -2, length is 1, format is Binary LE", -2},
        {"check offset limit", chkOffset,
         "chk is SUM, stx is not included, id offset is -99, length is 4, format is Ascii 10", -99},
        {"check offset beyond", chkOffset,
         "chk is SUM, stx is not included, id offset is 100, length is 4, format is Ascii 10", kCmd},
        {"check length zero", chkLength,
         "chk is CRC, stx is included, id offset is 0, length is 0, format is Ascii 10", kCmd},
        {"check disable with parts", chkMethod,
         "chk is disable, stx is included, id offset is 0, length is 2, format is Ascii 10", kCmd},
        {"id offset one digit", As(ParseIdOffset), "hundred order is 0", 0},
        {"id offset four digits", As(ParseIdOffset), "hundred order is 9999", 9999},
        {"id offset five digits", As(ParseIdOffset), "hundred order is 10000", kCmd},
        {"id offset empty", As(ParseIdOffset), "hundred order is ", kCmd},
        {"broadcast", As(ParseBcastAddr), "broadcast address is 0xFFFF", 0xFFFF},
        {"broadcast one digit", As(ParseBcastAddr), "broadcast address is 0x0", 0},
        {"broadcast five digits", As(ParseBcastAddr), "broadcast address is 0x10000", kCmd},
        {"broadcast decimal words", As(ParseBcastAddr), "broadcast address is 65535", kCmd},
        {"group added", groupKey, "added entry for node id 5, mask=0xF0 key=0x10", 0x10},
        {"group added, invalid pair", groupKey, "added entry for node id 5, mask=0xF0 key=0x08", kRange},
        {"group added, node 100", groupKey, "added entry for node id 100, mask=0xF0 key=0x10", kCmd},
        {"group added, no space", groupKey, "added entry for node id 5, mask=0xF0key=0x10", kCmd},
        {"each added unit", eachUnit, "added entry for node id 12, unit id 3", 3},
        {"each added node", eachNode, "added entry for node id 12, unit id 3", 12},
        {"each added unit 0", eachUnit, "added entry for node id 12, unit id 0", kCmd},
        {"key", encKey8,
         "encrypt key is 0x00,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0A,0x0B,0x0C,0x0D,0xE,0xff",
         0x0Eff},
        {"key word 1", encKey1, "encrypt key is 0x12,0x34,0,0,0,0,0,0,0,0,0,0,0,0,0,0", kCmd},
        {"key fifteen bytes", encKey1,
         "encrypt key is 0x12,0x34,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0", kCmd},
        {"key seventeen bytes", encKey1,
         "encrypt key is 0x12,0x34,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0", kCmd},
        {"key with spaces", encKey1,
         "encrypt key is 0x12, 0x34,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0", kCmd},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Outcome([&] { return row.parse(row.line); }), row.expected)
            << row.what << ": \"" << row.line << "\"";
    EXPECT_EQ(ParseEncryptKey(
                  "encrypt key is 0x12,0x34,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x0")[0],
              0x1234u);
}

TEST(Replies, GroupsAreOnlyTheListedMaskAndKeyPairs) {
    int valid = 0;
    for (int mask = 0; mask < 256; ++mask)
        for (int key = 0; key < 256; ++key) valid += IsValidMaskAndKey(uint8_t(mask), uint8_t(key)) ? 1 : 0;
    EXPECT_EQ(valid, 2 + 4 + 7 + 13 + 25);
    EXPECT_TRUE(IsValidMaskAndKey(0xFC, 0x60));
    EXPECT_FALSE(IsValidMaskAndKey(0xFC, 0x64));
    EXPECT_FALSE(IsValidMaskAndKey(0xC0, 0x80));
    EXPECT_FALSE(IsValidMaskAndKey(0x00, 0x00));
}

TEST(Replies, RequestsCarryCodesInDecimalAndMarksAndKeysInTwoUpperCaseHexDigits) {
    EXPECT_EQ(SetRequest("BCAD", 65535), "~BCAD=65535");
    EXPECT_EQ(EtxRequest(PacketFormat::Second, 0x0a, 3), "~ETX2=0x0A,3");
    EXPECT_EQ(StxRequest(PacketFormat::First, 0xff), "~STX=0xFF");
    EXPECT_EQ(DeviceRequest(PacketFormat::Second, 99, 6, *FormatCode(ProtocolFormat::LittleEndian)),
              "~DEVI2=99,6,5");
    EXPECT_EQ(BindGroupRequest(5, 0xF0, 0x10), "~BIND=5,0xF0,0x10");
    EXPECT_EQ(BindEachRequest(12, 3), "~BIND=12,3");
    EXPECT_EQ(VerifyRequest(2, 2, -2, 1, 5), "~CHK=2,2,-2,1,5");

    Nodeinfo node;
    node.EncryptKey1 = 0x1234;
    node.EncryptKey8 = 0x00AB;
    EXPECT_EQ(*EncryptKeyRequest(node),
              "~ENCR=0x12,0x34,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0x00,0xAB");
    node.AESEncryptKey16 = 0xFFFF;
    auto aes = AESKeyRequest(node);
    ASSERT_TRUE(aes);
    EXPECT_EQ(aes->size(), std::string("~ENCKEY=").size() + std::size_t{32} * 4 + 31);
    EXPECT_EQ(aes->substr(aes->size() - 9), "0xFF,0xFF");
    node.AESEncryptKey3 = 0x10000;
    EXPECT_FALSE(AESKeyRequest(node));
    node.EncryptKey2 = 0x10000;
    EXPECT_FALSE(EncryptKeyRequest(node));

    // The codes of the settings that have more than a plain switch.
    EXPECT_EQ(BaudRateCode(76800), 7);
    EXPECT_EQ(BaudRateCode(115200), 6);
    EXPECT_FALSE(BaudRateCode(1200));
    EXPECT_EQ(ParityCode(Parity::Odd), 3);
    EXPECT_FALSE(ParityCode(Parity::Mark));
    EXPECT_EQ(FormatCode(ProtocolFormat::BigEndian), 1);
    EXPECT_EQ(MethodCode(ProtocolMethod::None), 1);
    EXPECT_EQ(CheckCodeCode(ProtocolCheckCode::StartCode), 2);
    EXPECT_FALSE(SwitchCode(0, 1, 2));
}

// Every line that carries a key, as the link sends it, as the unit lists or echoes it, and in
// the link's events, leaves MaskKeyMaterial without one byte of it, masked once and for all;
// lines with other hex bytes or key words only stay as they are.
TEST(Replies, NoLineCarryingKeyBytesKeepsAnyOfThemOnceMasked) {
    std::mt19937 random(25);
    for (int round = 0; round < 300; ++round) {
        Nodeinfo node;
        for (auto field : kAESEncryptKeyFields) node.*field = random() % 0x10000;
        for (auto field : kEncryptKeyFields) node.*field = random() % 0x10000;
        const std::string request = round % 2 == 0 ? *AESKeyRequest(node) : *EncryptKeyRequest(node);
        const std::string bytes = request.substr(request.find('=') + 1);
        // As sent, refused, echoed by name or alone, and listed by the unit in any letter case.
        const std::pair<std::string, bool> lines[] = {{request, false},
                                                      {"not sent: " + request, false},
                                                      {"~enckey=" + bytes, false},
                                                      {request.substr(1), true},
                                                      {"late reply dropped: Encrypt Key Is " + bytes, false},
                                                      {"ok " + bytes, true}};
        for (const auto& [line, answer] : lines) {
            const std::string masked = MaskKeyMaterial(line, answer);
            EXPECT_EQ(masked.find("0x"), std::string::npos) << line;
            EXPECT_EQ(MaskKeyMaterial(masked, true), masked) << line;
        }
    }
    EXPECT_EQ(MaskKeyMaterial("~ENCR=0x12,0x34"), "~ENCR=<2 key bytes>");
    for (const char* plain : {"~BIND=5,0xF0,0x10", "added entry for node id 5, mask=0xF0 key=0x10",
                              "encrypt key is set", "~ENCREST=", "not sent: ~ENCR"})
        EXPECT_EQ(MaskKeyMaterial(plain), plain);
}

namespace {

struct Parsed {
    Communication comm;
    Protocol proto;
    Binding bind;
    Nodeinfo node;
    CommandResult result = CommandResult::Success;
    size_t consumed = 0;
};

Parsed ParseListing(const std::vector<std::string>& lines, ListingGates gates) {
    Parsed p;
    size_t next = 0;
    try {
        ParseAllParamListing(
            [&]() -> std::string {
                if (next >= lines.size()) throw CommandError(CommandResult::ErrConnect);
                return lines[next++];
            },
            gates, p.comm, p.proto, p.bind, p.node);
    } catch (const CommandError& e) {
        p.result = e.Result();
    }
    p.consumed = next;
    return p;
}

const std::vector<std::string> kHead = {"baudrate is 19200 bps", "stopbit is 2 bit", "parity is even",
                                        "databit is 7 bit"};
const std::vector<std::string> kProtocol = {"thrmode is time",
                                            "silent interval length is 12",
                                            "devi is fix",
                                            "stx is 0x02",
                                            "etx is 0x03, offset is 1",
                                            "dev id offset is 3, length is 2, format is Ascii 16",
                                            "format2 is enable",
                                            "stx2 is 0x0A",
                                            "etx2 is 0x0D, offset2 is 0",
                                            "dev id offset2 is 4, length2 is 1, format2 is Binary BE",
                                            "broadcast address is 0xFFFF"};
const std::string kKey =
    "encrypt key is 0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0A,0x0B,0x0C,0x0D,0x0E,0x0F,0x10";

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

TEST(Replies, ListingOfAnOlderUnitReadsFlowControlCheckCodeAndKeyButNoBindType) {
    // A 2.0 unit of the older module generation: one line after the key line is ignored.
    auto lines = Join({kHead,
                       {"flowctl is Xon/Xoff", "anything", "anything"},
                       kProtocol,
                       {"bind entries are", "5:m=0x00:k=0x00", "7:m=0xF0:k=0x10", "chk is disable",
                        "hundred order is 42", "encrypt is enable", kKey, "whatever the unit says"}});
    Parsed p = ParseListing(lines, {.Over2_5 = false, .Under2_4 = true, .Over2_2 = false});
    ASSERT_EQ(p.result, CommandResult::Success);
    EXPECT_EQ(p.consumed, lines.size());
    EXPECT_EQ(p.comm.BaudRate, 19200);
    EXPECT_EQ(p.comm.FlowControl, Handshake::XOnXOff);
    EXPECT_EQ(p.comm.IntfPort, 0);  // not reported below 2.5
    EXPECT_EQ(p.proto.AddressFormat2nd, ProtocolFormat::BigEndian);
    EXPECT_EQ(p.proto.PacketEndCode2nd, 0x0D);
    ASSERT_TRUE(p.bind.Groups);
    EXPECT_EQ(*p.bind.Groups, (std::vector<BindingGroup>{{7, 0xF0, 0x10}}));  // the empty slot is skipped
    EXPECT_FALSE(p.bind.Eachs);
    EXPECT_EQ(p.proto.CheckMethod, ProtocolMethod::None);
    EXPECT_EQ(p.proto.CheckLength, 2);
    EXPECT_EQ(p.node.IdOffset, 42u);
    EXPECT_EQ(p.node.EncryptKey1, 0x0102u);
    EXPECT_EQ(p.node.EncryptKey8, 0x0F10u);
    EXPECT_EQ(p.bind.BindType, BindingType::Group);
    EXPECT_EQ(p.node.ExtendedGroup, NodeinfoExtendedGroup::Disable);
}

TEST(Replies, ListingOfANewerUnitHasInterfaceIndividualBindingsAndNoKeyLine) {
    auto lines =
        Join({kHead,
              {"intfport is USB"},
              kProtocol,
              {"bind each entries are", "nodeid=12;unitid=3", "node id0;unit id99", "hundred order is 7",
               "net encryption is enable", "bind type is each", "group is extended"}});
    Parsed p = ParseListing(lines, {.Over2_5 = true, .Over2_2 = true, .NewerModule = true});
    ASSERT_EQ(p.result, CommandResult::Success);
    EXPECT_EQ(p.comm.IntfPort, 2);
    ASSERT_TRUE(p.bind.Eachs);
    EXPECT_EQ(*p.bind.Eachs, (std::vector<BindingEach>{{3, 12}, {99, 0}}));
    EXPECT_FALSE(p.bind.Groups);  // only the reported kind is replaced
    EXPECT_EQ(p.node.EncryptEnable, NodeinfoEncryptEnable::Enable);
    EXPECT_EQ(p.bind.BindType, BindingType::Each);
    EXPECT_EQ(p.node.ExtendedGroup, NodeinfoExtendedGroup::Enable);
}

TEST(Replies, ListingEndsTheBindingsAtTheFirstLineThatIsNoEntry) {
    // A key that is not a multiple of the group size ends the listing; the line then fails
    // as the ID-offset reply that should follow, and what was read so far stays.
    auto lines = Join({kHead,
                       {"intfport is RS485"},
                       kProtocol,
                       {"bind entries are", "1:m=0xC0:k=0x40", "5:m=0xF0:k=0x08", "hundred order is 1"}});
    Parsed p = ParseListing(lines, {.Over2_5 = true, .Over2_2 = true, .NewerModule = true});
    EXPECT_EQ(p.result, CommandResult::ErrCommand);
    ASSERT_TRUE(p.bind.Groups);
    EXPECT_EQ(*p.bind.Groups, (std::vector<BindingGroup>{{1, 0xC0, 0x40}}));
    EXPECT_EQ(p.proto.BcastAddr, 0xFFFFu);

    // A version of exactly 2.1 with the newer module reads any bind-type line as group.
    lines = Join({kHead,
                  kProtocol,
                  {"bind is no entry", "hundred order is 0", "net encryption is disable",
                   "bind type is nonsense", "group is fix"}});
    p = ParseListing(lines, {.Is2_1 = true, .NewerModule = true});
    EXPECT_EQ(p.result, CommandResult::Success);
    EXPECT_EQ(p.bind.BindType, BindingType::Group);
    ASSERT_TRUE(p.bind.Groups);
    EXPECT_TRUE(p.bind.Groups->empty());

    // An unknown bind header, and a unit that lists bindings without end.
    lines = Join({kHead, kProtocol, {"bind list follows"}});
    EXPECT_EQ(ParseListing(lines, {}).result, CommandResult::ErrCommand);
    lines = Join({kHead, kProtocol, {"bind entries are"}});
    lines.insert(lines.end(), kMaxListedBindings + 1, "1:m=0xFC:k=0x04");
    EXPECT_EQ(ParseListing(lines, {}).result, CommandResult::ErrCommand);
}
