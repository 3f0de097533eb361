#include "hwzel/CommandEncoding.h"

#include <cctype>
#include "hwzel/Values.h"
#include "platform/kvcls/kvcls.h"

std::string GetValueText(const std::string& Line, int Position, const std::string& Word)
{
    std::size_t WordLength = Word.size();
    if (WordLength > 0 && Word.back() == '=') --WordLength;
    // The 1-based position p + n + 1 is the 0-based index p + n.
    const std::size_t At = static_cast<std::size_t>(Position > 0 ? Position : 1) + WordLength;
    std::string Text = At < Line.size() ? Line.substr(At) : std::string();
    if (!Text.empty() && Text.back() == '\r') Text.pop_back();
    return Text;
}

bool ReadHexValue(const std::string& Text, std::uint32_t& Value)
{
    if (Text.empty()) return false;
    Value = HexToUInt32(Text);
    return true;
}

bool ReadIntegerValue(const std::string& Text, std::int32_t& Value)
{
    try {
        Value = StrToInt(Text);
        return true;
    } catch (const EIntegerError&) {
        return false;
    }
}

bool ReadNumberValue(const std::string& Text, double& Value)
{
    if (Text.empty()) return false;
    try {
        Value = ConvertString2Float(Text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

bool ConvertValue(const std::string& Text, std::uint32_t Code, double& Value, std::int32_t& DeviceValue,
                  const TConversionRequest& Request)
{
    if (Code == 0) {
        std::uint32_t Hex = 0;
        if (!ReadHexValue(Text, Hex)) return false;
        DeviceValue = static_cast<std::int32_t>(Hex);
        return true;
    }
    if (!ReadNumberValue(Text, Value)) return false;
    DeviceValue = Request ? Request(Code, &Value) : 0;
    return true;
}

bool ReadClbCoeffValues(const std::string& Line, int Position, const std::string& Word, std::uint32_t Values[4])
{
    constexpr std::size_t PieceLength = 8;
    // The first value starts after the word and one separator.
    std::size_t At = static_cast<std::size_t>(Position > 0 ? Position : 1) + Word.size();
    for (int i = 0; i < 4; ++i, At += PieceLength + 1) {
        std::string Piece = At < Line.size() ? Line.substr(At, PieceLength) : std::string();
        if (!Piece.empty() && Piece.back() == '\r') Piece.pop_back();
        if (!ReadHexValue(Piece, Values[i])) return false;
    }
    return true;
}

bool ReadRecordAddress(const std::string& Text, std::uintptr_t& Address)
{
    constexpr std::size_t LeastLength = 8;
    if (Text.size() < LeastLength) return false;
    std::size_t i = 0;
    while (i < Text.size() && std::isspace(static_cast<unsigned char>(Text[i]))) ++i;
    std::uint64_t Value = 0;
    int Significant = 0;
    for (; i < Text.size() && std::isxdigit(static_cast<unsigned char>(Text[i])); ++i) {
        const unsigned char C = static_cast<unsigned char>(Text[i]);
        const unsigned Digit = std::isdigit(C) ? C - '0' : static_cast<unsigned>(std::toupper(C) - 'A' + 10);
        if (Value != 0 || Digit != 0) ++Significant;
        // An address that does not fit is no address: better no prognosis than a write
        // to a place the program never offered.
        if (Significant > static_cast<int>(sizeof(std::uintptr_t) * 2)) return false;
        Value = Value * 16 + Digit;
    }
    Address = static_cast<std::uintptr_t>(Value);
    return true;
}

namespace {

void AddValuePayload(TWordEncoding& Result, std::uint8_t Group, std::uint8_t Item, std::uint32_t Value)
{
    const int i = Result.Count++;
    Result.Lengths[i] = FormatValuePayload(Result.Payloads[i], sizeof Result.Payloads[i], Group, Item, Value);
}

void AddBarePayload(TWordEncoding& Result, std::uint8_t Group, std::uint8_t Item)
{
    const int i = Result.Count++;
    Result.Lengths[i] = FormatBarePayload(Result.Payloads[i], sizeof Result.Payloads[i], Group, Item);
}

// Reads the value of a word in its form into a device value.
bool ReadWordValue(const TZelWord& Word, const std::string& Line, int Position, bool Script,
                   const TConversionRequest& Request, double& Value, std::uint32_t& DeviceValue)
{
    const std::string Text = GetValueText(Line, Position, Word.Word);
    switch (Word.Form) {
    case TValueForm::Hex:
        return ReadHexValue(Text, DeviceValue);
    case TValueForm::Integer: {
        std::int32_t Integer = 0;
        if (!ReadIntegerValue(Text, Integer)) return false;
        DeviceValue = static_cast<std::uint32_t>(Integer);
        return true;
    }
    case TValueForm::Converted: {
        std::int32_t Device = 0;
        if (!ConvertValue(Text, Script ? Word.Code : 0, Value, Device, Request)) return false;
        DeviceValue = static_cast<std::uint32_t>(Device);
        return true;
    }
    default:
        DeviceValue = 0;
        return true;
    }
}

}  // namespace

TWordEncoding EncodeWordLine(const TZelWord& Word, const std::string& Line, int Position, bool Script,
                             const TConversionRequest& Request)
{
    TWordEncoding Result;
    std::uint32_t DeviceValue = 0;
    switch (Word.Action) {
    case TWordAction::Setter:
    case TWordAction::Move:
    case TWordAction::Bare:
    case TWordAction::LevelOnly:
    case TWordAction::MoveToPressure:
        Result.Read = ReadWordValue(Word, Line, Position, Script, Request, Result.Value, DeviceValue);
        Result.DecodeError = !Result.Read;
        if (!Result.Read) return Result;
        if (Word.Action == TWordAction::LevelOnly) return Result;
        AddValuePayload(Result, Word.Group, Word.Item, DeviceValue);
        if (Word.Action == TWordAction::MoveToPressure)
            AddBarePayload(Result, ZelPacket::GroupProcess, ZelPacket::ItemMoveToPressure);
        return Result;
    case TWordAction::ValueQuery:
    case TWordAction::FourQuery:
    case TWordAction::TextQuery:
    case TWordAction::Process:
        Result.Read = true;
        AddBarePayload(Result, Word.Group, Word.Item);
        return Result;
    case TWordAction::ClbCoeff: {
        std::uint32_t Values[4] = {};
        Result.Read = ReadClbCoeffValues(Line, Position, Word.Word, Values);
        Result.DecodeError = Result.TypeMismatch = !Result.Read;
        if (!Result.Read) return Result;
        const int i = Result.Count++;
        Result.Lengths[i] =
            FormatFourPayload(Result.Payloads[i], sizeof Result.Payloads[i], Word.Group, Word.Item, Values);
        return Result;
    }
    default:
        return Result;
    }
}
