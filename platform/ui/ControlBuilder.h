// Builds the controls of a window in one step each: a control with its owner, name,
// caption (when one is given), bounds and parent; number entries and drop-down lists
// ready to use; and the rows of caption and entry that most settings forms are made of.
#pragma once
#include <string>
#include <vector>
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/RxSpin.h"
#include "platform/ui/StdCtrls.h"

template <class T>
T* MakeControl(TComponent* Owner, TWinControl* Parent, const char* Name, const std::string& Caption, int Left, int Top,
               int Width, int Height)
{
    auto* control = new T(Owner);
    control->Name = Name;
    if (!Caption.empty()) control->SetCaption(Caption);
    control->SetBounds(Left, Top, Width, Height);
    control->SetParent(Parent);
    return control;
}

// The height of one-line entries and lists.
constexpr int EntryHeight = 21;

// A number entry: whole numbers when Decimals is 0, else that many decimals; the arrows
// and the arrow keys step by Increment.
TRxSpinEdit* MakeSpinEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Width,
                          int Decimals, double Increment = 1.0);
// The bounds of an entry; its value stays as it is.
void SetSpinRange(TRxSpinEdit* Edit, double Min, double Max);
// The bounds of an entry and then its value, brought into them.
void SetSpinRange(TRxSpinEdit* Edit, double Min, double Max, double Value);
// The step of one in the last of so many decimals.
double LastDecimalStep(int Decimals);

// A list to choose from, not to type into, with the item at Index chosen (none when
// Index is -1).
TComboBox* MakeDropDownList(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Width,
                            const std::vector<std::string>& Items, int Index);

// The frame of a window: its name, its caption, whether it stays above the other windows,
// and its border.
void SetUpForm(TForm* Form, const char* Name, const std::string& Caption, TFormStyle Style, TFormBorderStyle Border);

// The frame of an information box: frameless, in the middle of the screen, of the given
// size.
void SetUpInfoBox(TForm* Box, const char* Name, const std::string& Caption, int Width, int Height);

// A speed button that stays down once pressed, one of a group of which all may be up.
TSpeedButton* MakeLatchingButton(TComponent* Owner, TWinControl* Parent, const char* Name, const char* Caption, int Tag,
                                 int Group, int Left, int Top, int Width, int Height);

// The OK of a message box: Enter and Escape press it, and it ends the box (its answer
// when shown modally, else it closes the box).
TPanel* MakeOkPanel(TForm* Box, int Left, int Top);

// Where a form's rows stand: a caption at the left, lowered a little so that its text
// lines up with the entry's, and its entry or list beside it.
struct TEntryColumns {
    int LabelLeft;
    int LabelWidth;
    int EntryLeft;
    int EntryWidth;
    int LabelDrop;

    TLabel* Label(TComponent* Owner, TWinControl* Parent, const char* Name, const std::string& Text, int Top) const;
    TRxSpinEdit* Entry(TComponent* Owner, TWinControl* Parent, const char* Name, int Top, int Decimals,
                       double Increment = 1.0) const;
    TComboBox* List(TComponent* Owner, TWinControl* Parent, const char* Name, int Top,
                    const std::vector<std::string>& Items, int Index = 0) const;
};
