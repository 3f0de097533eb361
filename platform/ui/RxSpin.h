// Entry fields: the numeric spin edit over a line edit, and the folder edit.
#pragma once
#include <string>
#include "platform/ui/StdCtrls.h"

enum TValueType { vtInteger, vtFloat };

// Numeric entry. Writing Value clamps it into [MinValue, MaxValue] unless the two are
// equal and shows it with Decimal decimals; writing the bounds does not touch the value.
// Value is read back from the shown text (so rounded to Decimal); text that does not
// parse reads as MinValue. AsInteger is Value truncated. A typed character that cannot
// belong to a number of the field's type is refused as it is typed.
class TRxSpinEdit : public TWinControl {
public:
    explicit TRxSpinEdit(TComponent* Owner);

    TValueType GetValueType() const { return FValueType; }
    void SetValueType(TValueType Value);
    int GetDecimal() const { return FDecimal; }
    void SetDecimal(int Value);
    double GetMinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }
    double Increment = 1.0;

    double GetValue() const;
    void SetValue(double Value);
    int AsInteger() const;
    void SetAsInteger(int Value) { SetValue(Value); }

    // One step up or down.
    void StepUp() { SetValue(GetValue() + Increment); }
    void StepDown() { SetValue(GetValue() - Increment); }
    // The up and down arrow buttons (and keys) as the operator presses them: one step,
    // then OnTopClick or OnBottomClick, which may move the value on.
    void UpClick();
    void DownClick();

    TNotifyEvent OnChange;
    TNotifyEvent OnTopClick;
    TNotifyEvent OnBottomClick;

    // Room for the value it holds beside its arrows: a field whose window first shows
    // with "999" cut to "99" shows the operator another number.
    TTextNeed TextNeed() const override;

protected:
    void ApplyCaption() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void DoExit() override;
    void Resize() override;

private:
    void MakeShownParts();
    void ShowCaption();
    void PlaceArrows();
    double Clamp(double Value) const;
    std::string Format(double Value) const;
    TValueType FValueType = vtInteger;
    int FDecimal = 2;
    double FMinValue = 0, FMaxValue = 0;
    bool FUpdating = false;
    bool FShownPartsPending = true;
};

// A folder name with a button that lets the operator pick the folder.
class TDirectoryEdit : public TEdit {
public:
    explicit TDirectoryEdit(TComponent* Owner);
    std::string InitialDir;
    std::string DialogTitle = "Select directory";
    // Runs the folder choice as the button does; true when a folder was chosen.
    bool DoClick();
};
