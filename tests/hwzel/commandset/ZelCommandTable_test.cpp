// The instrument's words as data and the encoding of a line into its payloads: every
// word of the table, in registration order, in a direct line and in a script line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include "hwzel/CommandEncoding.h"
#include "hwzel/WireProtocol.h"
#include "hwzel/ZelCommandTable.h"
#include "hwzel/hwzel.h"
#include "WordCases.h"

namespace {

std::int32_t Conversion(std::uint32_t Code, double* Value) { return TestConversion(Code, *Value); }

std::string Joined(const TWordEncoding& Encoded)
{
    std::string Result;
    for (int i = 0; i < Encoded.Count; ++i) {
        if (i) Result += "|";
        Result += std::string(Encoded.Payloads[i], static_cast<std::size_t>(Encoded.Lengths[i]));
    }
    return Result;
}

std::string FirstToken(const std::string& Line)
{
    const std::size_t End = Line.find(' ');
    std::string Token = Line.substr(0, End);
    // A setter's value may follow its "=" directly.
    const std::size_t Equal = Token.find('=', 1);
    return Equal == std::string::npos ? Token : Token.substr(0, Equal + 1);
}

}  // namespace

TEST(ZelCommandTable, HoldsEveryWordInRegistrationOrder)
{
    ASSERT_EQ(std::size(WordCases), ZelWordCount);
    for (std::size_t i = 0; i < ZelWordCount; ++i)
        EXPECT_EQ(std::string(ZelWords[i].Word), FirstToken(WordCases[i].Line)) << "row " << i + 1;
}

TEST(ZelCommandTable, EncodesEveryWordInDirectAndScriptLines)
{
    for (std::size_t i = 0; i < ZelWordCount; ++i) {
        const TWordCase& Case = WordCases[i];
        for (const bool Script : {false, true}) {
            SCOPED_TRACE(std::string(Case.Line) + (Script ? " (script)" : " (direct)"));
            const TWordEncoding Encoded = EncodeWordLine(ZelWords[i], Case.Line, 1, Script, Conversion);
            const char* Expected = Script ? Case.Script : Case.Direct;
            if (!Expected) {
                EXPECT_EQ(Encoded.Count, 0);
                continue;
            }
            EXPECT_TRUE(Encoded.Read);
            EXPECT_FALSE(Encoded.DecodeError);
            EXPECT_EQ(Joined(Encoded), Expected);
        }
    }
}

TEST(ZelCommandTable, ScriptValueKeepsTheNumberForThePrognosis)
{
    const TWordEncoding Encoded =
        EncodeWordLine(*FindZelWord("DipperMoveDown"), "DipperMoveDown 2.5", 1, true, Conversion);
    EXPECT_DOUBLE_EQ(Encoded.Value, 2.5);
    EXPECT_EQ(Joined(Encoded), "03 08 03ED0019");
    // A direct line reads hex and leaves the number alone.
    EXPECT_DOUBLE_EQ(
        EncodeWordLine(*FindZelWord("DipperMoveDown"), "DipperMoveDown 00000019", 1, false, Conversion).Value, 0.0);
}

TEST(ZelCommandTable, PacketOfEveryPayloadNamesItsWord)
{
    struct TPacketCase {
        std::uint8_t Group, Item;
        bool HasValue;
        std::uint32_t Value;
        const char* Word;
    };
    const TPacketCase Cases[] = {
        {0x01, 0x01, true, 5, "Barrier1Speed="},    {0x02, 0x01, false, 0, "=Barrier1Speed"},
        {0x03, 0x01, true, 5, "Barrier1MoveLeft"},  {0x03, 0x00, true, 0, "DriveAllStop"},
        {0x0A, 0x01, true, 0, "StopDipperRotator"}, {0x0A, 0x01, true, 7, "RotateDipperCW"},
        {0x0A, 0x00, true, 0, "InitDipperRotator"}, {0x0B, 0x01, true, 0, "StopRevolver"},
        {0x0B, 0x02, true, 9, "RotateRevolverCCW"}, {0x06, 0x03, false, 0, "BarrierMoveToPressure"},
        {0x05, 0x0A, true, 1, "IstBeginPressure="}, {0x02, 0xFF, false, 0, "=DeviceName"},
        {0x12, 0x0C, true, 3, "EudCycles="},
    };
    for (const TPacketCase& Case : Cases) {
        const TZelWord* Word = FindZelWordByPacket(Case.Group, Case.Item, Case.HasValue, Case.Value);
        ASSERT_NE(Word, nullptr) << Case.Word;
        EXPECT_STREQ(Word->Word, Case.Word);
    }
    EXPECT_EQ(FindZelWordByPacket(0x04, 0x01, true, 0), nullptr);
    EXPECT_EQ(FindZelWordByPacket(0x06, 0x05, false, 0), nullptr);
    // Every word with a packet of its own is found back from that packet.
    for (const TWordCase& Case : WordCases) {
        if (!Case.Direct || !*Case.Direct) continue;
        const TZelWord* Word = FindZelWord(FirstToken(Case.Line));
        ASSERT_NE(Word, nullptr);
        unsigned Group = 0, Item = 0, Value = 0;
        const int Fields = std::sscanf(Case.Direct, "%X %X %X", &Group, &Item, &Value);
        const TZelWord* Back =
            FindZelWordByPacket(static_cast<std::uint8_t>(Group), static_cast<std::uint8_t>(Item), Fields == 3, Value);
        ASSERT_NE(Back, nullptr) << Case.Line;
        EXPECT_EQ(Back->Group, Word->Group);
        EXPECT_EQ(Back->Item, Word->Item);
    }
}

TEST(ZelCommandTable, LongestPayloadFitsAPacket)
{
    const TWordEncoding Encoded =
        EncodeWordLine(*FindZelWord("CLBCoeff="), "CLBCoeff= FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF", 1, false, nullptr);
    ASSERT_EQ(Encoded.Count, 1);
    EXPECT_EQ(Encoded.Lengths[0], 41);
    char Packet[MaxPacketText + 1];
    EXPECT_EQ(FormatPacket(Encoded.Payloads[0], Encoded.Lengths[0], Packet), 46);
}
