// Reading the value after a word: value text, hexadecimal with its cap, decimal integers,
// numbers, converted values, the four calibration values and the prognosis address; and
// what a line whose value does not read builds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>
#include "hwzel/CommandEncoding.h"
#include "hwzel/ZelCommandTable.h"
#include "hwzel/hwzel.h"

namespace {

struct TRequest {
    std::uint32_t Code;
    double Value;
};

// A conversion target that records what it was asked and answers with a fixed value.
struct TRecordingConversion {
    std::vector<TRequest> Requests;
    std::int32_t Answer = 0;
    TConversionRequest Function()
    {
        return [this](std::uint32_t Code, double* Value) {
            Requests.push_back({Code, *Value});
            return Answer;
        };
    }
};

}  // namespace

TEST(ValueText, BeginsAfterTheEqualsSignOrOneSeparator)
{
    struct TCase {
        const char* Line;
        int Position;
        const char* Word;
        const char* Text;
    };
    const TCase Cases[] = {
        {"FBSensetivity= 0000000A", 1, "FBSensetivity=", " 0000000A"},
        {"FBSensetivity=0A", 1, "FBSensetivity=", "0A"},
        {"Barrier1MoveLeft 10", 1, "Barrier1MoveLeft", "10"},
        {"Barrier1MoveLeft\t10", 1, "Barrier1MoveLeft", "10"},
        {"  Pause 3", 3, "Pause", "3"},
        {"BarrierMoveLeft 10", 1, "BarrierMoveLeft", "10"},
        {"Info Some text\r", 1, "Info", "Some text"},
        {"Info", 1, "Info", ""},
        {"FBSensetivity=", 1, "FBSensetivity=", ""},
    };
    for (const TCase& Case : Cases)
        EXPECT_EQ(GetValueText(Case.Line, Case.Position, Case.Word), Case.Text) << Case.Line;
}

TEST(ValueReaders, HexReadsLikeTheInstrumentExpectsAndCapsLongValues)
{
    struct TCase {
        const char* Text;
        std::uint32_t Value;
    };
    const TCase Cases[] = {
        {" 0000000A", 0x0A},
        {"1a", 0x1A},
        {"-1", 0xFFFFFFFF},
        {"-5", 0xFFFFFFFB},
        {"FFFFFFFF", 0xFFFFFFFF},
        {"123456789", 0xFFFFFFFF},
        {"100000000", 0xFFFFFFFF},
        {"0000000012345678", 0x12345678},
        {"12zz", 0x12},
        {"zz", 0},
        {" ", 0},
        {"0x1F", 0x1F},
    };
    for (const TCase& Case : Cases) {
        std::uint32_t Value = 77;
        EXPECT_TRUE(ReadHexValue(Case.Text, Value)) << Case.Text;
        EXPECT_EQ(Value, Case.Value) << Case.Text;
    }
    std::uint32_t Untouched = 77;
    EXPECT_FALSE(ReadHexValue("", Untouched));
    EXPECT_EQ(Untouched, 77u);
}

TEST(ValueReaders, IntegerAcceptsOnlyADecimalInteger)
{
    std::int32_t Value = 0;
    EXPECT_TRUE(ReadIntegerValue(" 00000012", Value));
    EXPECT_EQ(Value, 12);
    EXPECT_TRUE(ReadIntegerValue("-7", Value));
    EXPECT_EQ(Value, -7);
    EXPECT_TRUE(ReadIntegerValue("2147483647", Value));
    EXPECT_EQ(Value, 2147483647);
    for (const char* Bad : {"", " ", "0000000A", "12 ", "1.5", "2147483648", "x"})
        EXPECT_FALSE(ReadIntegerValue(Bad, Value)) << '"' << Bad << '"';
}

TEST(ValueReaders, NumberAcceptsEitherDecimalSeparator)
{
    double Value = 0;
    EXPECT_TRUE(ReadNumberValue(" 1.5", Value));
    EXPECT_DOUBLE_EQ(Value, 1.5);
    EXPECT_TRUE(ReadNumberValue("2,25", Value));
    EXPECT_DOUBLE_EQ(Value, 2.25);
    EXPECT_TRUE(ReadNumberValue("-10", Value));
    EXPECT_DOUBLE_EQ(Value, -10);
    for (const char* Bad : {"", "abc", "1.5x", " "}) EXPECT_FALSE(ReadNumberValue(Bad, Value)) << '"' << Bad << '"';
}

TEST(ValueReaders, ConvertedValueAsksTheProgramOnlyForANumber)
{
    TRecordingConversion Conversion;
    Conversion.Answer = -5;
    double Value = 0;
    std::int32_t Device = 0;
    ASSERT_TRUE(ConvertValue(" 10", hlnConvFBSensetivity, Value, Device, Conversion.Function()));
    EXPECT_DOUBLE_EQ(Value, 10);
    EXPECT_EQ(Device, -5);
    ASSERT_EQ(Conversion.Requests.size(), 1u);
    EXPECT_EQ(Conversion.Requests[0].Code, hlnConvFBSensetivity);
    EXPECT_DOUBLE_EQ(Conversion.Requests[0].Value, 10);

    // Code 0 is a direct line's hex value: no request, the number untouched.
    Value = 3;
    ASSERT_TRUE(ConvertValue(" 0000000A", 0, Value, Device, Conversion.Function()));
    EXPECT_EQ(Device, 10);
    EXPECT_DOUBLE_EQ(Value, 3);

    // Text that does not read asks nothing.
    EXPECT_FALSE(ConvertValue("", hlnConvPressure, Value, Device, Conversion.Function()));
    EXPECT_FALSE(ConvertValue(" ten", hlnConvPressure, Value, Device, Conversion.Function()));
    EXPECT_FALSE(ConvertValue("", 0, Value, Device, Conversion.Function()));
    EXPECT_EQ(Conversion.Requests.size(), 1u);

    // Without anyone to ask the device value is 0.
    ASSERT_TRUE(ConvertValue("7", hlnConvPressure, Value, Device, nullptr));
    EXPECT_EQ(Device, 0);
}

TEST(ValueReaders, CalibrationValuesStandAtFixedPlaces)
{
    std::uint32_t Values[4] = {};
    ASSERT_TRUE(ReadClbCoeffValues("CLBCoeff= 00000001 0000000A 00000200 00003000", 1, "CLBCoeff=", Values));
    EXPECT_EQ(Values[0], 1u);
    EXPECT_EQ(Values[1], 0xAu);
    EXPECT_EQ(Values[2], 0x200u);
    EXPECT_EQ(Values[3], 0x3000u);
    // The places are fixed: a short value shifts nothing.
    ASSERT_TRUE(ReadClbCoeffValues("CLBCoeff= 1        2        3        4", 1, "CLBCoeff=", Values));
    EXPECT_EQ(Values[3], 4u);
    EXPECT_FALSE(ReadClbCoeffValues("CLBCoeff= 00000001 0000000A 00000200", 1, "CLBCoeff=", Values));
    EXPECT_FALSE(ReadClbCoeffValues("CLBCoeff=", 1, "CLBCoeff=", Values));
}

TEST(ValueReaders, PrognosisAddressTakesAFullAddress)
{
    std::uintptr_t Address = 1;
    EXPECT_TRUE(ReadRecordAddress(" 00000000", Address));
    EXPECT_EQ(Address, 0u);
    EXPECT_TRUE(ReadRecordAddress(" 00007FFF12345678", Address));
    EXPECT_EQ(Address, std::uintptr_t{0x00007FFF12345678ull});
    EXPECT_TRUE(ReadRecordAddress("0000000000000000ABCD", Address));
    EXPECT_EQ(Address, 0xABCDu);
    Address = 5;
    // Fewer than eight characters, the blank counted, is no address.
    EXPECT_FALSE(ReadRecordAddress(" 1234", Address));
    EXPECT_FALSE(ReadRecordAddress("1234567", Address));
    // More digits than an address holds is refused rather than cut.
    EXPECT_FALSE(ReadRecordAddress(" 10000000000000000", Address));
    EXPECT_EQ(Address, 5u);
}

TEST(WordEncoding, ValueThatDoesNotReadBuildsNothing)
{
    struct TCase {
        const char* Word;
        const char* Line;
        bool Script;
        bool TypeMismatch;
    };
    const TCase Cases[] = {
        {"FBSensetivity=", "FBSensetivity=", false, false},
        {"FBSensetivity=", "FBSensetivity=", true, false},
        {"FBSensetivity=", "FBSensetivity= abc", true, false},
        {"TdDoserMode=", "TdDoserMode= 0000000A", false, false},
        {"TdDoserMode=", "TdDoserMode= 0000000A", true, false},
        {"IstType=", "IstType=", true, false},
        {"Barrier1MoveLeft", "Barrier1MoveLeft", false, false},
        {"BarrierMoveToPressure", "BarrierMoveToPressure x", true, false},
        {"LblDipTopLevel=", "LblDipTopLevel= high", true, false},
        {"CLBCoeff=", "CLBCoeff= 00000001 0000000A 00000200", false, true},
    };
    for (const TCase& Case : Cases) {
        TRecordingConversion Conversion;
        const TWordEncoding Encoded =
            EncodeWordLine(*FindZelWord(Case.Word), Case.Line, 1, Case.Script, Conversion.Function());
        EXPECT_FALSE(Encoded.Read) << Case.Line;
        EXPECT_TRUE(Encoded.DecodeError) << Case.Line;
        EXPECT_EQ(Encoded.TypeMismatch, Case.TypeMismatch) << Case.Line;
        EXPECT_EQ(Encoded.Count, 0) << Case.Line;
        EXPECT_TRUE(Conversion.Requests.empty()) << Case.Line;
    }
}

TEST(WordEncoding, FormsOfTheValueInScriptLines)
{
    TRecordingConversion Conversion;
    Conversion.Answer = -5;
    auto Encode = [&](const char* Word, const char* Line, bool Script) {
        const TWordEncoding Encoded = EncodeWordLine(*FindZelWord(Word), Line, 1, Script, Conversion.Function());
        return std::string(Encoded.Payloads[0], static_cast<std::size_t>(Encoded.Lengths[0]));
    };
    // Hex words stay hexadecimal in scripts; integer words are decimal everywhere.
    EXPECT_EQ(Encode("IstNumCycles=", "IstNumCycles= 10", true), "05 08 00000010");
    EXPECT_EQ(Encode("TdDoserMode=", "TdDoserMode= 00000012", false), "0D 01 0000000C");
    EXPECT_EQ(Encode("TdarDoser2Speed=", "TdarDoser2Speed= 00000400", false), "11 0B 00000400");
    // A negative device value goes out as its two's complement.
    EXPECT_EQ(Encode("TdarDoser2Speed=", "TdarDoser2Speed= 4", true), "11 0B FFFFFFFB");
    ASSERT_EQ(Conversion.Requests.size(), 1u);
    EXPECT_EQ(Conversion.Requests[0].Code, hlnConvDoser2Speed);
    EXPECT_EQ(Encode("Barrier1MoveLeft", "Barrier1MoveLeft 00000000", false), "03 01 00000000");
}
