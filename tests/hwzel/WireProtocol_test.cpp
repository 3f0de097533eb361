// Packet framing, checksums, field splitting and the number readings of the link.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "hwzel/Values.h"
#include "hwzel/WireProtocol.h"

TEST(WireProtocol, FramesPayloadWithChecksumBlankStopAndZeroByte)
{
    struct TCase {
        const char* Payload;
        const char* Packet;
    };
    const TCase Cases[] = {
        {"06 00", "@E6 06 00$"},
        {"01 03 0000000A", "@95 01 03 0000000A$"},
        {"", "@00 $"},
    };
    for (const TCase& C : Cases) {
        char Out[MaxPacketText + 1];
        std::memset(Out, 'x', sizeof Out);
        const int Length = FormatPacket(C.Payload, static_cast<int>(std::strlen(C.Payload)), Out);
        ASSERT_EQ(Length, static_cast<int>(std::strlen(C.Packet)));
        EXPECT_EQ(std::string(Out, static_cast<std::size_t>(Length) + 1),
                  std::string(C.Packet, std::strlen(C.Packet) + 1));
    }
}

TEST(WireProtocol, RefusesPayloadThatDoesNotFitThePacket)
{
    char Out[MaxPacketText + 1];
    const std::string Longest(MaxPayload, 'A');
    EXPECT_EQ(FormatPacket(Longest.c_str(), MaxPayload, Out), MaxPacketText);
    const std::string TooLong(MaxPayload + 1, 'A');
    EXPECT_EQ(FormatPacket(TooLong.c_str(), MaxPayload + 1, Out), -1);
}

TEST(WireProtocol, ChecksOnlyTheBodyAgainstTheDigits)
{
    struct TCase {
        const char* Text;
        bool Valid;
        const char* Body;
    };
    const TCase Cases[] = {
        {"06KOK!", true, "KOK!"}, {"06KOk!", false, "KOk!"}, {"05KERR", false, "KERR"},
        {"34KERR", true, "KERR"}, {"4bKOK!", false, "KOK!"}, {"00", true, ""},
        {"", true, ""},           {"0", true, ""},           {"ZZKOK!", false, "KOK!"},
    };
    for (const TCase& C : Cases) {
        const std::string Text = C.Text;  // the body points into the packet text
        const char* Body = nullptr;
        std::size_t Length = 0;
        EXPECT_EQ(CheckPacket(Text, &Body, &Length), C.Valid) << C.Text;
        EXPECT_EQ(std::string(Body, Length), C.Body) << C.Text;
    }
}

TEST(WireProtocol, SplitsFieldsAtBlanksOnly)
{
    struct TCase {
        const char* Text;
        std::vector<std::string> Fields;
    };
    const std::vector<TCase> Cases = {
        {"0001", {"0001"}}, {"0001  0002", {"0001", "0002"}},    {"  0001 0002  ", {"0001", "0002"}}, {"   ", {}},
        {"", {}},           {"00-1,2\t3 4", {"00-1,2\t3", "4"}},
    };
    for (const TCase& C : Cases) {
        TRCmdEventDetails D;
        D.Text = C.Text;
        D.Length = std::strlen(C.Text);
        D.SplitFields();
        std::vector<std::string> Got(D.Fields.begin(), D.Fields.end());
        EXPECT_EQ(Got, C.Fields) << '"' << C.Text << '"';
    }
    TRCmdEventDetails D;
    D.Text = "00FF 1G";
    D.Length = 7;
    D.SplitFields();
    EXPECT_EQ(D.Hex(0), 0xFFu);
    EXPECT_EQ(D.Hex(1), 1u);
    EXPECT_EQ(D.Hex(2), 0u) << "a field beyond the packet reads 0";
}

TEST(Values, ReadsHexLikeTheStandardReaderButCapsAtThirtyTwoBits)
{
    struct TCase {
        const char* Text;
        std::uint32_t Value;
    };
    const TCase Cases[] = {
        {"0000000A", 0xA},  {"  ff", 0xFF},           {"-1", 0xFFFFFFFF},
        {"-5", 0xFFFFFFFB}, {"12G4", 0x12},           {"", 0},
        {"xyz", 0},         {"FFFFFFFF", 0xFFFFFFFF}, {"1FFFFFFFF", 0xFFFFFFFF},
        {"000000001", 1},   {"0x10", 0x10},           {"12345678901234567890", 0xFFFFFFFF},
    };
    for (const TCase& C : Cases) EXPECT_EQ(HexToUInt32(C.Text), C.Value) << C.Text;
}

TEST(Values, ReadsDecimalIntegersStrictly)
{
    EXPECT_EQ(StrToInt("3"), 3);
    EXPECT_EQ(StrToInt("  -12"), -12);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    for (const char* Bad : {"", " ", "3 ", "3x", "abc", "2147483648", "1.5", "-"})
        EXPECT_THROW(StrToInt(Bad), EIntegerError) << '"' << Bad << '"';
}
