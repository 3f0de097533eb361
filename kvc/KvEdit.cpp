#include "kvc/KvEdit.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "platform/ui/Forms.h"
#include "platform/ui/KeyState.h"
#include "platform/base/Strings.h"

namespace KVC {

namespace {

constexpr int BorderRings = 3;

// Extra characters each numeric type takes besides the digits and the editing keys.
struct TTypeKeys {
    TTypeValue Type;
    const char* Letters;
    bool Separator;
};

const TTypeKeys TypeKeys[] = {
    {tvDecimal, "", false},
    {tvHexadecimal, "abcdefABCDEF", false},
    {tvFloat, "eE", true},
};

bool IsExponent(char C) { return C == 'e' || C == 'E'; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Typed-entry helpers

int TypedTruncToInt(double Value)
{
    if (std::isnan(Value)) return 0;
    if (Value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (Value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(std::trunc(Value));
}

std::string TypedHexText(int Value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::uint32_t v = static_cast<std::uint32_t>(Value);
    std::string text;
    do {
        text.insert(text.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return text;
}

int TypedHexValue(const std::string& Text)
{
    const char* start = Text.c_str();
    char* end = nullptr;
    const unsigned long long value = std::strtoull(start, &end, 16);
    const bool negative = Text.find('-') != std::string::npos && Text.find('-') < static_cast<size_t>(end - start);
    if (negative) return static_cast<int>(static_cast<std::uint32_t>(value));
    return static_cast<int>(static_cast<std::uint32_t>(std::min<unsigned long long>(value, 0xFFFFFFFFull)));
}

bool TypedParseInt(const std::string& Text, int& Value)
{
    const std::string text = Trim(Text);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return false;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return false;
    Value = value;
    return true;
}

// ---------------------------------------------------------------------------------------
// TKvCustomFlatEdit

TKvCustomFlatEdit::TKvCustomFlatEdit(TComponent* Owner) : TCustomEdit(Owner)
{
    SetBounds(0, 0, 121, 19);
    RecalcNonClient();
}

TColor TKvCustomFlatEdit::GetColors(int Index) const
{
    switch (Index) {
    case 0:
        return FColorFocused;
    case 1:
        return FColorBorder;
    default:
        return FColorFlat;
    }
}

void TKvCustomFlatEdit::SetColors(int Index, TColor Value)
{
    switch (Index) {
    case 0:
        FColorFocused = Value;
        break;
    case 1:
        FColorBorder = Value;
        break;
    case 2:
        FColorFlat = Value;
        ParentColor = false;
        break;
    default:
        return;
    }
    RedrawBorder();
}

void TKvCustomFlatEdit::Loaded()
{
    TCustomEdit::Loaded();
    NewAdjustHeight();
}

void TKvCustomFlatEdit::NewAdjustHeight()
{
    TBitmap screen;
    screen.SetSize(1, 1);
    screen.Canvas()->Font()->Assign(*Font());
    SetHeight(screen.Canvas()->TextHeight("0") + 2 * BorderRings);
}

void TKvCustomFlatEdit::DrawBorder()
{
    const bool highlighted = FFocused || FMouseInControl;
    const TColor fill = highlighted ? FColorFocused : FColorFlat;
    // A disabled edit keeps the colour it was given when it was disabled.
    if (GetEnabled() && GetColor() != fill) SetColor(fill);
    const TRect window = WindowRect();
    TCanvas* canvas = FBorder.Begin(window.Width(), window.Height());
    TRect ring = window;
    canvas->Brush()->SetColor(FColorBorder);
    canvas->FrameRect(ring);
    canvas->Brush()->SetColor(fill);
    for (int i = 1; i < BorderRings; ++i) {
        InflateRect(ring, -1, -1);
        canvas->FrameRect(ring);
    }
}

void TKvCustomFlatEdit::RedrawBorder()
{
    DrawBorder();
    RedrawNonClient();
}

void TKvCustomFlatEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCCALCSIZE: {
        auto* client = reinterpret_cast<TRect*>(Message.LParam);
        InflateRect(*client, -BorderRings, -BorderRings);
        return;
    }
    case WM_NCPAINT:
        DrawBorder();
        FBorder.CopyTo(NonClientCanvas());
        return;
    case CM_PARENTCOLORCHANGED:
        if (ParentColor && GetParent()) FColorFlat = GetParent()->GetColor();
        RedrawBorder();
        return;
    default:
        break;
    }
    TCustomEdit::WndProc(Message);
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FFocused = Message.Msg == WM_SETFOCUS;
        RedrawBorder();
        break;
    case CM_ENABLEDCHANGED:
        if (GetEnabled()) {
            SetColor(FSavedColor);
        } else {
            FSavedColor = GetColor();
            SetColor(clBtnFace);
        }
        break;
    case CM_FONTCHANGED:
        if (Loading()) NewAdjustHeight();
        break;
    case CM_MOUSEENTER:
        // The mouse passing over a window in the background lights nothing up.
        if (Screen && Screen->ActiveForm()) {
            FMouseInControl = true;
            RedrawBorder();
        }
        break;
    case CM_MOUSELEAVE:
        FMouseInControl = false;
        RedrawBorder();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TKvEdit

TKvEdit::TKvEdit(TComponent* Owner) : TKvFlatEdit(Owner), FDecimalSeparator(SystemDecimalSeparator())
{
    SetDecimalSeparator(FDecimalSeparator);
}

void TKvEdit::SetTypeValue(TTypeValue Value)
{
    if (Value == FTypeValue) return;
    FTypeValue = Value;
    if (!Loading()) SetText("");
}

void TKvEdit::SetSigned(bool Value)
{
    if (Value == FSigned) return;
    FSigned = Value;
    if (!Loading()) SetText("");
}

// A text that does not convert reads as DefaultValue (0 when that does not convert either),
// so a stray entry never stops the program.
int TKvEdit::DefaultInt() const
{
    int value = 0;
    if (FTypeValue == tvHexadecimal) return TypedHexValue(DefaultValue);
    return TypedParseInt(DefaultValue, value) ? value : 0;
}

double TKvEdit::DefaultFloat() const
{
    double value = 0;
    return TryStrToFloat(DefaultValue, value) ? value : 0;
}

int TKvEdit::GetValueInt() const
{
    switch (FTypeValue) {
    case tvDecimal: {
        int value = 0;
        return TypedParseInt(GetText(), value) ? value : DefaultInt();
    }
    case tvHexadecimal:
        return TypedHexValue(GetText());
    case tvFloat:
        return TypedTruncToInt(GetValueFloat());
    default:
        return 0;
    }
}

double TKvEdit::GetValueFloat() const
{
    switch (FTypeValue) {
    case tvFloat: {
        double value = 0;
        return TryStrToFloat(GetText(), value) ? value : DefaultFloat();
    }
    case tvDecimal:
    case tvHexadecimal:
        return GetValueInt();
    default:
        return 0;
    }
}

bool TKvEdit::CheckValueRange(int& Value) const
{
    if (Min == Max) return false;
    if (Value < Min) {
        Value = TypedTruncToInt(Min);
        return true;
    }
    if (Value > Max) {
        Value = TypedTruncToInt(Max);
        return true;
    }
    return false;
}

bool TKvEdit::CheckValueRange(double& Value) const
{
    if (Min == Max) return false;
    if (Value < Min) {
        Value = Min;
        return true;
    }
    if (Value > Max) {
        Value = Max;
        return true;
    }
    return false;
}

void TKvEdit::InitInt(int Value)
{
    CheckValueRange(Value);
    SetText(FTypeValue == tvHexadecimal ? TypedHexText(Value) : std::to_string(Value));
}

void TKvEdit::SetValueInt(int Value)
{
    InitInt(Value);
    if (OnEnterValue) OnEnterValue(this);
}

void TKvEdit::InitFloat(double Value)
{
    CheckValueRange(Value);
    if (FTypeValue == tvHexadecimal)
        SetText(TypedHexText(TypedTruncToInt(Value)));
    else
        SetText(FloatToStrF(Value, FloatFormat, FloatPrecision, FloatDigits));
}

void TKvEdit::SetValueFloat(double Value)
{
    InitFloat(Value);
    if (OnEnterValue) OnEnterValue(this);
}

int TKvEdit::IsPresentChar(char C) const
{
    const size_t at = GetText().find(C);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

void TKvEdit::DoEnterValue()
{
    if (!GetModified()) return;
    if (FTypeValue != tvString) {
        if (GetText().empty()) SetText(DefaultValue.empty() ? "0" : DefaultValue);
        if (FTypeValue == tvFloat)
            SetValueFloat(GetValueFloat());
        else
            SetValueInt(GetValueInt());
    }
    SetModified(false);
}

void TKvEdit::DoExit()
{
    TKvFlatEdit::DoExit();
    DoEnterValue();
}

namespace {
bool InTypeSet(char Key, TTypeValue Type, bool Signed, char DecimalSeparator)
{
    if (Key >= '0' && Key <= '9') return true;
    if (Key == '\b' || Key == '\t' || Key == '\r' || Key == '\x1B') return true;
    if (Key == '-' && Signed) return true;
    for (const TTypeKeys& keys : TypeKeys) {
        if (keys.Type != Type) continue;
        if (Key != 0 && std::string(keys.Letters).find(Key) != std::string::npos) return true;
        if (keys.Separator && Key == DecimalSeparator) return true;
    }
    return false;
}
}  // namespace

char FilterTypedKey(char Key, const std::string& Text, int Caret, TTypeValue Type, bool Signed, char DecimalSeparator)
{
    const bool isFloat = Type == tvFloat;
    if (Key == '.' || Key == ',') {
        // Integers have no fraction: a separator would only make the text unreadable.
        if (!isFloat || Text.find(DecimalSeparator) != std::string::npos) return 0;
        const size_t exponent = Text.find_first_of("eE");
        if (exponent != std::string::npos && Caret > static_cast<int>(exponent)) return 0;
        return DecimalSeparator;
    }
    // In a hexadecimal edit "e" is a digit, so only the float takes exponent and sign rules.
    if (isFloat && IsExponent(Key) && (Text.find_first_of("eE") != std::string::npos || Caret == 0)) return 0;
    if ((Key == '-' || Key == '+') && Caret != 0) {
        if (!isFloat) return 0;
        const size_t at = static_cast<size_t>(Caret);
        const bool afterExponent = at <= Text.size() && IsExponent(Text[at - 1]);
        const bool repeated = at < Text.size() && Text[at] == Key;
        return afterExponent && !repeated ? Key : 0;
    }
    return InTypeSet(Key, Type, Signed, DecimalSeparator) ? Key : 0;
}

void TKvEdit::KeyPress(char& Key)
{
    // Ctrl combinations are editing commands (copy, paste, ...), never entries.
    if (GetKeyState(VK_CONTROL) < 0) {
        TKvFlatEdit::KeyPress(Key);
        return;
    }
    if (FTypeValue != tvString)
        Key = FilterTypedKey(Key, GetText(), GetSelStart(), FTypeValue, FSigned, FDecimalSeparator);
    if (Key == '\r') {
        DoEnterValue();
        SelectAll();
    }
    TKvFlatEdit::KeyPress(Key);
}

void TKvEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Key != VK_UP && Key != VK_DOWN) {
        TKvFlatEdit::KeyDown(Key, Shift);
        return;
    }
    const double step = Key == VK_UP ? Increment : -Increment;
    // The edit's own handling of the arrow would move the caret again.
    Key = 0;
    if (step == 0) return;
    if (FTypeValue == tvDecimal || FTypeValue == tvHexadecimal)
        SetValueInt(TypedTruncToInt(GetValueInt() + step));
    else if (FTypeValue == tvFloat)
        SetValueFloat(GetValueFloat() + step);
    SetSelStart(0);
}

}  // namespace KVC
