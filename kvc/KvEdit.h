// The flat edit (a single-line edit with a one-pixel frame and a colour that follows
// focus and mouse) and the typed edit built on it, which holds a string, a decimal or
// hexadecimal integer or a float, filters the keys typed into it, steps its value with
// Up and Down, clamps it into a range and reports every confirmed value.
#pragma once
#include <string>
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/CustomEdit.h"
#include "platform/base/FloatFormat.h"

namespace KVC {

class TKvCustomFlatEdit : public TCustomEdit {
public:
    explicit TKvCustomFlatEdit(TComponent* Owner);

    // 0 ColorFocused, 1 ColorBorder, 2 ColorFlat.
    TColor GetColors(int Index) const;
    void SetColors(int Index, TColor Value);
    TColor GetColorFocused() const { return GetColors(0); }
    TColor GetColorBorder() const { return GetColors(1); }
    TColor GetColorFlat() const { return GetColors(2); }

    bool MouseOver() const { return FMouseInControl; }
    bool HasFocusFlag() const { return FFocused; }
    // The border as last drawn (the whole window; the client area is left unpainted).
    const TBitmap& BorderPicture() const { return FBorder.Bitmap(); }

protected:
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    void RedrawBorder();
    void NewAdjustHeight();

private:
    void DrawBorder();
    TColor FSavedColor = 0;
    TColor FColorFocused = clWhite;
    TColor FColorBorder = RGB(160, 150, 131);
    TColor FColorFlat = clBtnFace;
    bool FMouseInControl = false;
    bool FFocused = false;
    TKvPaintBuffer FBorder;
};

class TKvFlatEdit : public TKvCustomFlatEdit {
public:
    using TKvCustomFlatEdit::TKvCustomFlatEdit;
};

enum TTypeValue { tvString = 0, tvDecimal = 1, tvHexadecimal = 2, tvFloat = 3 };

// Typed-entry rules shared by the typed edit and the typed table.
// Truncation toward zero that saturates at the int range; NaN gives 0.
int TypedTruncToInt(double Value);
// Upper-case hexadecimal without leading zeros (negative values as 32-bit patterns).
std::string TypedHexText(int Value);
// The base-16 reading: leading blanks, a sign and "0x" are taken, reading stops at the
// first other character, nothing readable gives 0; more than 32 bits are capped.
int TypedHexValue(const std::string& Text);
// A whole decimal integer (blanks around it and one leading "+" allowed); false otherwise.
bool TypedParseInt(const std::string& Text, int& Value);
// The character a typed entry takes for Key typed at Caret (0-based) into Text: Key
// itself, the decimal separator for "." and "," of a float, or 0 when refused.
char FilterTypedKey(char Key, const std::string& Text, int Caret, TTypeValue Type, bool Signed, char DecimalSeparator);

class TKvEdit : public TKvFlatEdit {
public:
    // Also makes the system locale's decimal separator the separator of every float
    // conversion in the process.
    explicit TKvEdit(TComponent* Owner);

    TTypeValue GetTypeValue() const { return FTypeValue; }
    void SetTypeValue(TTypeValue Value);
    bool GetSigned() const { return FSigned; }
    void SetSigned(bool Value);
    char DecimalSeparator() const { return FDecimalSeparator; }

    // Text put in when a numeric edit is confirmed empty, and the value of a text that
    // does not convert.
    std::string DefaultValue = "0";
    // Clamping range; no clamping while the two are equal.
    double Min = 0;
    double Max = 0;
    TFloatFormat FloatFormat = ffFixed;
    int FloatPrecision = 12;
    int FloatDigits = 2;
    // Step of the Up and Down keys.
    double Increment = 1;
    // After a confirmed entry, each Up or Down step and each SetValueInt/SetValueFloat.
    TNotifyEvent OnEnterValue;

    int GetValueInt() const;
    double GetValueFloat() const;
    // Shows the value (clamped) without firing OnEnterValue.
    void InitInt(int Value);
    void InitFloat(double Value);
    // Shows the value (clamped), then fires OnEnterValue.
    void SetValueInt(int Value);
    void SetValueFloat(double Value);
    // Clamps into [Min, Max] unless Min equals Max; true when the value changed.
    bool CheckValueRange(int& Value) const;
    bool CheckValueRange(double& Value) const;
    // 1-based position of the first C in the text, 0 when absent.
    int IsPresentChar(char C) const;

    // Confirms a modified entry: an empty numeric text takes DefaultValue, the value is
    // clamped, shown in its format and reported.
    virtual void DoEnterValue();

protected:
    void DoExit() override;
    void KeyPress(char& Key) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;

private:
    double DefaultFloat() const;
    int DefaultInt() const;
    char FDecimalSeparator;
    TTypeValue FTypeValue = tvString;
    bool FSigned = false;
};

}  // namespace KVC
