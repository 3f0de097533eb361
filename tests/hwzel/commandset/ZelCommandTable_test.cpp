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

namespace {

// One line of each word, in registration order, with the payloads it builds in a direct
// line and in a script line ("|" between two payloads; "" for a word that reads its value
// and sends nothing; null for words without a payload of their own). Script values go
// through TestConversion, so each converted word shows its conversion code.
struct TWordCase {
    const char* Line;
    const char* Direct;
    const char* Script;
};

const TWordCase WordCases[] = {
    {"TITLE", nullptr, nullptr},
    {"REPEAT", nullptr, nullptr},
    {"ENDREPEAT", nullptr, nullptr},
    {"FBSensetivity= 12", "01 03 00000012", "01 03 03E80078"},
    {"=FBSensetivity", "02 03", "02 03"},
    {"FBLimitUp= 12", "01 04 00000012", "01 04 03E90078"},
    {"=FBLimitUp", "02 04", "02 04"},
    {"FBLimitDown= 12", "01 05 00000012", "01 05 03EA0078"},
    {"=FBLimitDown", "02 05", "02 05"},
    {"FBPCoeff= 12", "01 0F 00000012", "01 0F 04060078"},
    {"=FBPCoeff", "02 0F", "02 0F"},
    {"BarrierSpeed= 12", "01 01 00000012", "01 01 03EB0078"},
    {"=BarrierSpeed", "02 01", "02 01"},
    {"Barrier1Speed= 12", "01 01 00000012", "01 01 03EB0078"},
    {"=Barrier1Speed", "02 01", "02 01"},
    {"Barrier2Speed= 12", "01 0B 00000012", "01 0B 03EB0078"},
    {"=Barrier2Speed", "02 0B", "02 0B"},
    {"DipperSpeed= 12", "01 02 00000012", "01 02 03EC0078"},
    {"=DipperSpeed", "02 02", "02 02"},
    {"TapeSpeed= 12", "01 0C 00000012", "01 0C 03F90078"},
    {"DipTopLevel= 12", "01 06 00000012", "01 06 03ED0078"},
    {"=DipTopLevel", "02 06", "02 06"},
    {"DipBottomLevel= 12", "01 07 00000012", "01 07 03ED0078"},
    {"=DipBottomLevel", "02 07", "02 07"},
    {"LblDipTopLevel= 12", "", ""},
    {"LblDipBottomLevel= 12", "", ""},
    {"CLBCoeff= 00000001 0000000A 00000200 00003000", "01 08 00000001 0000000A 00000200 00003000", "01 08 00000001 0000000A 00000200 00003000"},
    {"=CLBCoeff", "02 08", "02 08"},
    {"InputFlowInterval= 12", "01 09 00000012", "01 09 00000012"},
    {"=InputFlowInterval", "02 09", "02 09"},
    {"KeyboardBlock= 12", "01 0A 00000012", "01 0A 00000012"},
    {"=KeyboardBlock", "02 0A", "02 0A"},
    {"=DeviceName", "02 FF", "02 FF"},
    {"=DeviceVersion", "02 FE", "02 FE"},
    {"=Manufacturer", "02 FD", "02 FD"},
    {"=DeviceDate", "02 FC", "02 FC"},
    {"IstType= 12", "05 01 00000012", "05 01 00000012"},
    {"IstBeginPos= 12", "05 02 00000012", "05 02 03EE0078"},
    {"IstEndPos= 12", "05 03 00000012", "05 03 03EE0078"},
    {"IstDataStep= 12", "05 04 00000012", "05 04 03EE0078"},
    {"IstBarrierSpeed= 12", "05 05 00000012", "05 05 03EB0078"},
    {"IstStpCompPause= 12", "05 06 00000012", "05 06 00000012"},
    {"IstStpCompStep= 12", "05 07 00000012", "05 07 03EE0078"},
    {"IstNumCycles= 12", "05 08 00000012", "05 08 00000012"},
    {"IstBackwardData= 12", "05 09 00000012", "05 09 00000012"},
    {"IstBeginPressure= 12", "05 0A 00000012", "05 0A 03F00078"},
    {"IstEndPressure= 12", "05 0B 00000012", "05 0B 03F00078"},
    {"IstProcessTime= 12", "05 0C 00000012", "05 0C 00000012"},
    {"DepType= 12", "07 01 00000012", "07 01 00000012"},
    {"DepPressure= 12", "07 02 00000012", "07 02 03F00078"},
    {"DepSpeedUp= 12", "07 03 00000012", "07 03 03EC0078"},
    {"DepSpeedDown= 12", "07 04 00000012", "07 04 03EC0078"},
    {"DepPauseUp= 12", "07 05 00000012", "07 05 00000012"},
    {"DepPauseDown= 12", "07 06 00000012", "07 06 00000012"},
    {"DepNumLayers= 12", "07 07 00000012", "07 07 00000012"},
    {"DepStpCompPause= 12", "07 08 00000012", "07 08 00000012"},
    {"DepStpCompStep= 12", "07 09 00000012", "07 09 03ED0078"},
    {"DepKeepPressureControl= 12", "07 0A 00000012", "07 0A 00000012"},
    {"DepMaxBarrierStep= 12", "07 0B 00000012", "07 0B 00000012"},
    {"DepBarriersSpeed= 12", "07 0C 00000012", "07 0C 03EB0078"},
    {"DepKeepDipperAfterSubstanceEnd= 12", "07 0D 00000012", "07 0D 00000012"},
    {"DepKeepPressureBetweenDeposition= 12", "07 0E 00000012", "07 0E 00000012"},
    {"DepOpenPressure= 12", "07 0F 00000012", "07 0F 03F00078"},
    {"ProcessStop", "06 00", "06 00"},
    {"StartIsotherm", "06 01", "06 01"},
    {"StartDeposition", "06 02", "06 02"},
    {"ContinueDeposition", "06 04", "06 04"},
    {"StartTapeDeposition", "06 07", "06 07"},
    {"StartRollDeposition", "06 06", "06 06"},
    {"StartDiskDeposition", "06 08", "06 08"},
    {"StartCylDeposition", "06 09", "06 09"},
    {"StartTDAR", "06 0A", "06 0A"},
    {"StartEUD", "06 0B", "06 0B"},
    {"StartFilmPreparation", "06 0C", "06 0C"},
    {"BarrierMoveToPressure 12", "05 0A 00000012|06 03", "05 0A 03F00078|06 03"},
    {"BarrierMoveLeft 12", "03 01 00000012", "03 01 03EE0078"},
    {"BarrierMoveRight 12", "03 02 00000012", "03 02 03EE0078"},
    {"Barrier1MoveLeft 12", "03 01 00000012", "03 01 03EE0078"},
    {"Barrier1MoveRight 12", "03 02 00000012", "03 02 03EE0078"},
    {"Barrier2MoveLeft 12", "03 04 00000012", "03 04 03EE0078"},
    {"Barrier2MoveRight 12", "03 05 00000012", "03 05 03EE0078"},
    {"DipperMoveUp 12", "03 07 00000012", "03 07 03ED0078"},
    {"DipperMoveDown 12", "03 08 00000012", "03 08 03ED0078"},
    {"DoserMoveUp 12", "03 0A 00000012", "03 0A 03F80078"},
    {"DoserMoveDown 12", "03 0B 00000012", "03 0B 03F80078"},
    {"RotBarrierMoveLeft", "03 0D 00000000", "03 0D 00000000"},
    {"RotBarrierMoveRight", "03 0E 00000000", "03 0E 00000000"},
    {"TapeMoveLeft", "03 10 00000000", "03 10 00000000"},
    {"TapeMoveRight", "03 11 00000000", "03 11 00000000"},
    {"Barrier1Stop", "03 03 00000000", "03 03 00000000"},
    {"Barrier2Stop", "03 06 00000000", "03 06 00000000"},
    {"DipperStop", "03 09 00000000", "03 09 00000000"},
    {"DoserStop", "03 0C 00000000", "03 0C 00000000"},
    {"RotBarrierStop", "03 0F 00000000", "03 0F 00000000"},
    {"TapeStop", "03 12 00000000", "03 12 00000000"},
    {"DriveAllStop", "03 00 00000000", "03 00 00000000"},
    {"PeristalticPumpMoveCCW 12", "03 13 00000012", "03 13 04070078"},
    {"PeristalticPumpMoveCW 12", "03 14 00000012", "03 14 04070078"},
    {"PeristalticPumpStop", "03 15 00000000", "03 15 00000000"},
    {"PeristalticPumpReset", "01 0E 00000000", "01 0E 00000000"},
    {"PeristalticPumpSpeed= 12", "01 0D 00000012", "01 0D 04080078"},
    {"InitDipperRotator", "0A 00 00000000", "0A 00 00000000"},
    {"StopDipperRotator", "0A 01 00000000", "0A 01 00000000"},
    {"RotateDipperCW 12", "0A 01 00000012", "0A 01 03F10078"},
    {"RotateDipperCCW 12", "0A 02 00000012", "0A 02 03F10078"},
    {"InitRevolver", "0B 00 00000000", "0B 00 00000000"},
    {"StopRevolver", "0B 01 00000000", "0B 01 00000000"},
    {"RotateRevolverCW 12", "0B 01 00000012", "0B 01 03F20078"},
    {"RotateRevolverCCW 12", "0B 02 00000012", "0B 02 03F20078"},
    {"MoveDipperToCell", nullptr, nullptr},
    {"RotationSpeed= 12", "0C 00 00000012", "0C 00 03F50078"},
    {"MechActivaton", nullptr, nullptr},
    {"Pause", nullptr, nullptr},
    {"Delay", nullptr, nullptr},
    {"ExecuteCommand= 12", nullptr, nullptr},
    {"CalcScriptPrognosis= 12", nullptr, nullptr},
    {"PlateArea= 12", nullptr, nullptr},
    {"DipperHeight= 12", nullptr, nullptr},
    {"DipperZero", nullptr, nullptr},
    {"NewLayer", nullptr, nullptr},
    {"RecordOn", nullptr, nullptr},
    {"RecordOff", nullptr, nullptr},
    {"Info", nullptr, nullptr},
    {"Label", nullptr, nullptr},
    {"DoserSpeed= 12", "08 02 00000012", "08 02 03FA0078"},
    {"DoserKeepPressure= 12", "08 03 00000012", "08 03 00000012"},
    {"DoserAutoPressure= 12", "08 01 00000012", "08 01 03FB0078"},
    {"RotBarrierSpeed= 12", "09 02 00000012", "09 02 03FC0078"},
    {"RotBarrierSpeedUpLimit= 12", "09 03 00000012", "09 03 03FC0078"},
    {"RotBarrierSpeedDownLimit= 12", "09 04 00000012", "09 04 03FC0078"},
    {"RotBarrierPressure= 12", "09 01 00000012", "09 01 03F00078"},
    {"TdDoserMode= 12", "0D 01 0000000C", "0D 01 0000000C"},
    {"TdDoserSpeed= 12", "0D 02 00000012", "0D 02 03FA0078"},
    {"TdDoserPresStart= 12", "0D 03 00000012", "0D 03 03FB0078"},
    {"TdDoserPresStop= 12", "0D 04 00000012", "0D 04 03FB0078"},
    {"TdRotbarMode= 12", "0D 05 0000000C", "0D 05 0000000C"},
    {"TdRotbarDir= 12", "0D 06 0000000C", "0D 06 0000000C"},
    {"TdRotbarSpeed= 12", "0D 07 00000012", "0D 07 03FC0078"},
    {"TdRotbarPresStart= 12", "0D 08 00000012", "0D 08 03F00078"},
    {"TdRotbarPresStop= 12", "0D 09 00000012", "0D 09 03F00078"},
    {"TdTapeMode= 12", "0D 0A 0000000C", "0D 0A 0000000C"},
    {"TdTapeDir= 12", "0D 0B 0000000C", "0D 0B 0000000C"},
    {"TdTapeSpeed= 12", "0D 0C 00000012", "0D 0C 03F90078"},
    {"TdTapePresStart= 12", "0D 0D 00000012", "0D 0D 03F00078"},
    {"TdTapePresStop= 12", "0D 0E 00000012", "0D 0E 03F00078"},
    {"RdDirection= 12", "0E 01 0000000C", "0E 01 0000000C"},
    {"RdSpeed= 12", "0E 02 00000012", "0E 02 03FC0078"},
    {"RdPressureDip= 12", "0E 03 00000012", "0E 03 03FD0078"},
    {"RdRangePressureDip= 12", "0E 04 00000012", "0E 04 03FE0078"},
    {"RdPressureDos= 12", "0E 05 00000012", "0E 05 03FF0078"},
    {"RdRangePressureDos= 12", "0E 06 00000012", "0E 06 04000078"},
    {"RdFeedbackSpeed= 12", "0E 07 00000012", "0E 07 03EB0078"},
    {"RdApproachSpeed= 12", "0E 08 00000012", "0E 08 03EB0078"},
    {"DdDirection= 12", "0F 01 00000012", "0F 01 00000012"},
    {"DdSpeed= 12", "0F 02 00000012", "0F 02 04010078"},
    {"DdPressure= 12", "0F 03 00000012", "0F 03 03FD0078"},
    {"DdRangePressure= 12", "0F 04 00000012", "0F 04 03FE0078"},
    {"DdFeedbackSpeed= 12", "0F 05 00000012", "0F 05 03EB0078"},
    {"DdApproachSpeed= 12", "0F 06 00000012", "0F 06 03EB0078"},
    {"DdDoserMode= 12", "0F 07 00000012", "0F 07 00000012"},
    {"DdDoserSpeed= 12", "0F 08 00000012", "0F 08 03FA0078"},
    {"DdDoserPresStart= 12", "0F 09 00000012", "0F 09 03FB0078"},
    {"DdDoserPresStop= 12", "0F 0A 00000012", "0F 0A 03FB0078"},
    {"CdDirection= 12", "10 01 00000012", "10 01 00000012"},
    {"CdSpeed= 12", "10 02 00000012", "10 02 04020078"},
    {"CdPressure= 12", "10 03 00000012", "10 03 03FD0078"},
    {"CdRangePressure= 12", "10 04 00000012", "10 04 03FE0078"},
    {"CdFeedbackSpeed= 12", "10 05 00000012", "10 05 03EB0078"},
    {"CdApproachSpeed= 12", "10 06 00000012", "10 06 03EB0078"},
    {"CdDoserMode= 12", "10 07 00000012", "10 07 00000012"},
    {"CdDoserSpeed= 12", "10 08 00000012", "10 08 03FA0078"},
    {"CdDoserPresStart= 12", "10 09 00000012", "10 09 03FB0078"},
    {"CdDoserPresStop= 12", "10 0A 00000012", "10 0A 03FB0078"},
    {"TdarBarrierActive= 12", "11 01 00000012", "11 01 00000012"},
    {"TdarBarrierSpeed= 12", "11 02 00000012", "11 02 03EB0078"},
    {"TdarBarrierStep= 12", "11 03 00000012", "11 03 03EE0078"},
    {"TdarBarrierPressure= 12", "11 04 00000012", "11 04 03F00078"},
    {"TdarBarrierDelay= 12", "11 05 00000012", "11 05 00000012"},
    {"TdarDoser1Active= 12", "11 06 00000012", "11 06 00000012"},
    {"TdarDoser1Mode= 12", "11 07 00000012", "11 07 00000012"},
    {"TdarDoser1Speed= 12", "11 08 00000012", "11 08 03FA0078"},
    {"TdarDoser2Active= 12", "11 09 00000012", "11 09 00000012"},
    {"TdarDoser2Mode= 12", "11 0A 00000012", "11 0A 00000012"},
    {"TdarDoser2Speed= 12", "11 0B 00000012", "11 0B 04040078"},
    {"TdarDoser2PresStart= 12", "11 0C 00000012", "11 0C 04050078"},
    {"TdarDoser2PresStop= 12", "11 0D 00000012", "11 0D 04050078"},
    {"TdarRotbarMode= 12", "11 0E 00000012", "11 0E 00000012"},
    {"TdarRotbarDir= 12", "11 0F 00000012", "11 0F 00000012"},
    {"TdarRotbarSpeed= 12", "11 10 00000012", "11 10 03FC0078"},
    {"TdarRotbarPresStart= 12", "11 11 00000012", "11 11 03F00078"},
    {"TdarRotbarPresStop= 12", "11 12 00000012", "11 12 03F00078"},
    {"TdarTapeMode= 12", "11 13 00000012", "11 13 00000012"},
    {"TdarTapeDir= 12", "11 14 00000012", "11 14 00000012"},
    {"TdarTapeSpeed= 12", "11 15 00000012", "11 15 03F90078"},
    {"TdarTapePresStart= 12", "11 16 00000012", "11 16 03F00078"},
    {"TdarTapePresStop= 12", "11 17 00000012", "11 17 03F00078"},
    {"EudPrePressure= 12", "12 01 00000012", "12 01 03F00078"},
    {"EudOperatingPressure= 12", "12 02 00000012", "12 02 03F00078"},
    {"EudUseDoser= 12", "12 03 00000012", "12 03 00000012"},
    {"EudDoserSpeed= 12", "12 04 00000012", "12 04 03FA0078"},
    {"EudDoserLimit= 12", "12 05 00000012", "12 05 03F80078"},
    {"EudBarrierStartPosition= 12", "12 06 00000012", "12 06 03EE0078"},
    {"EudBarrierSpeed= 12", "12 07 00000012", "12 07 03EB0078"},
    {"EudBarrierLimit= 12", "12 08 00000012", "12 08 03EE0078"},
    {"EudTapeDir= 12", "12 09 00000012", "12 09 00000012"},
    {"EudTapeSpeed= 12", "12 0A 00000012", "12 0A 03F90078"},
    {"EudTapeLimit= 12", "12 0B 00000012", "12 0B 00000012"},
    {"EudCycles= 12", "12 0C 00000012", "12 0C 00000012"},
    {"FpPressure= 12", "13 01 00000012", "13 01 03F00078"},
    {"FpArea= 12", "13 02 00000012", "13 02 03EF0078"},
    {"FpOpenningBarrierSpeed= 12", "13 03 00000012", "13 03 03EB0078"},
    {"FpClosingBarrierSpeed= 12", "13 04 00000012", "13 04 03F60078"},
    {"FpPumpType= 12", "13 05 00000012", "13 05 00000012"},
    {"FpInjectionVolume= 12", "13 08 00000012", "13 08 04070078"},
    {"FpInjectionVolumeStep= 12", "13 09 00000012", "13 09 04070078"},
    {"FpDelay= 12", "13 0A 00000012", "13 0A 00000012"},
    {"FpPumpSpeed= 12", "13 0B 00000012", "13 0B 04080078"},
};

// The program's answer to a conversion request, made recognisable: the code in the high
// half and ten times the user value in the low half.
std::int32_t TestConversion(std::uint32_t Code, double* Value) {
    return static_cast<std::int32_t>((Code << 16) | static_cast<std::uint32_t>(*Value * 10));
}

std::string Joined(const TWordEncoding& Encoded) {
    std::string Result;
    for (int i = 0; i < Encoded.Count; ++i) {
        if (i) Result += "|";
        Result += std::string(Encoded.Payloads[i], static_cast<std::size_t>(Encoded.Lengths[i]));
    }
    return Result;
}

std::string FirstToken(const std::string& Line) {
    const std::size_t End = Line.find(' ');
    std::string Token = Line.substr(0, End);
    // A setter's value may follow its "=" directly.
    const std::size_t Equal = Token.find('=', 1);
    return Equal == std::string::npos ? Token : Token.substr(0, Equal + 1);
}

}  // namespace

TEST(ZelCommandTable, HoldsEveryWordInRegistrationOrder) {
    ASSERT_EQ(std::size(WordCases), ZelWordCount);
    for (std::size_t i = 0; i < ZelWordCount; ++i)
        EXPECT_EQ(std::string(ZelWords[i].Word), FirstToken(WordCases[i].Line)) << "row " << i + 1;
}

TEST(ZelCommandTable, EncodesEveryWordInDirectAndScriptLines) {
    for (std::size_t i = 0; i < ZelWordCount; ++i) {
        const TWordCase& Case = WordCases[i];
        for (const bool Script : {false, true}) {
            SCOPED_TRACE(std::string(Case.Line) + (Script ? " (script)" : " (direct)"));
            const TWordEncoding Encoded = EncodeWordLine(ZelWords[i], Case.Line, 1, Script, TestConversion);
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

TEST(ZelCommandTable, ScriptValueKeepsTheNumberForThePrognosis) {
    const TWordEncoding Encoded = EncodeWordLine(*FindZelWord("DipperMoveDown"), "DipperMoveDown 2.5", 1, true,
                                                 TestConversion);
    EXPECT_DOUBLE_EQ(Encoded.Value, 2.5);
    EXPECT_EQ(Joined(Encoded), "03 08 03ED0019");
    // A direct line reads hex and leaves the number alone.
    EXPECT_DOUBLE_EQ(EncodeWordLine(*FindZelWord("DipperMoveDown"), "DipperMoveDown 00000019", 1, false,
                                    TestConversion).Value, 0.0);
}

TEST(ZelCommandTable, PacketOfEveryPayloadNamesItsWord) {
    struct TPacketCase {
        std::uint8_t Group, Item;
        bool HasValue;
        std::uint32_t Value;
        const char* Word;
    };
    const TPacketCase Cases[] = {
        {0x01, 0x01, true, 5, "Barrier1Speed="},
        {0x02, 0x01, false, 0, "=Barrier1Speed"},
        {0x03, 0x01, true, 5, "Barrier1MoveLeft"},
        {0x03, 0x00, true, 0, "DriveAllStop"},
        {0x0A, 0x01, true, 0, "StopDipperRotator"},
        {0x0A, 0x01, true, 7, "RotateDipperCW"},
        {0x0A, 0x00, true, 0, "InitDipperRotator"},
        {0x0B, 0x01, true, 0, "StopRevolver"},
        {0x0B, 0x02, true, 9, "RotateRevolverCCW"},
        {0x06, 0x03, false, 0, "BarrierMoveToPressure"},
        {0x05, 0x0A, true, 1, "IstBeginPressure="},
        {0x02, 0xFF, false, 0, "=DeviceName"},
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
        const TZelWord* Back = FindZelWordByPacket(static_cast<std::uint8_t>(Group), static_cast<std::uint8_t>(Item),
                                                   Fields == 3, Value);
        ASSERT_NE(Back, nullptr) << Case.Line;
        EXPECT_EQ(Back->Group, Word->Group);
        EXPECT_EQ(Back->Item, Word->Item);
    }
}

TEST(ZelCommandTable, LongestPayloadFitsAPacket) {
    const TWordEncoding Encoded = EncodeWordLine(*FindZelWord("CLBCoeff="),
                                                 "CLBCoeff= FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF", 1, false, nullptr);
    ASSERT_EQ(Encoded.Count, 1);
    EXPECT_EQ(Encoded.Lengths[0], 41);
    char Packet[MaxPacketText + 1];
    EXPECT_EQ(FormatPacket(Encoded.Payloads[0], Encoded.Lengths[0], Packet), 46);
}
