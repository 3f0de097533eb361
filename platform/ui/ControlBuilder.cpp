#include "platform/ui/ControlBuilder.h"

#include <cmath>

#include "platform/ui/Dialogs.h"

TRxSpinEdit* MakeSpinEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Width,
                          int Decimals, double Increment)
{
    auto* edit = MakeControl<TRxSpinEdit>(Owner, Parent, Name, "", Left, Top, Width, EntryHeight);
    edit->SetValueType(Decimals > 0 ? vtFloat : vtInteger);
    edit->SetDecimal(Decimals);
    edit->Increment = Increment;
    return edit;
}

void SetSpinRange(TRxSpinEdit* Edit, double Min, double Max)
{
    Edit->SetMinValue(Min);
    Edit->SetMaxValue(Max);
}

void SetSpinRange(TRxSpinEdit* Edit, double Min, double Max, double Value)
{
    SetSpinRange(Edit, Min, Max);
    Edit->SetValue(Value);
}

double LastDecimalStep(int Decimals) { return std::pow(10.0, -Decimals); }

TComboBox* MakeDropDownList(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Width,
                            const std::vector<std::string>& Items, int Index)
{
    auto* list = MakeControl<TComboBox>(Owner, Parent, Name, "", Left, Top, Width, EntryHeight);
    list->SetStyle(csDropDownList);
    for (const std::string& item : Items) list->AddItem(item);
    if (Index >= 0) list->SetItemIndex(Index);
    return list;
}

TLabel* TEntryColumns::Label(TComponent* Owner, TWinControl* Parent, const char* Name, const std::string& Text,
                             int Top) const
{
    return MakeControl<TLabel>(Owner, Parent, Name, Text, LabelLeft, Top + LabelDrop, LabelWidth, 16);
}

TRxSpinEdit* TEntryColumns::Entry(TComponent* Owner, TWinControl* Parent, const char* Name, int Top, int Decimals,
                                  double Increment) const
{
    return MakeSpinEdit(Owner, Parent, Name, EntryLeft, Top, EntryWidth, Decimals, Increment);
}

TComboBox* TEntryColumns::List(TComponent* Owner, TWinControl* Parent, const char* Name, int Top,
                               const std::vector<std::string>& Items, int Index) const
{
    return MakeDropDownList(Owner, Parent, Name, EntryLeft, Top, EntryWidth, Items, Index);
}

TSpeedButton* MakeLatchingButton(TComponent* Owner, TWinControl* Parent, const char* Name, const char* Caption, int Tag,
                                 int Group, int Left, int Top, int Width, int Height)
{
    auto* button = MakeControl<TSpeedButton>(Owner, Parent, Name, Caption, Left, Top, Width, Height);
    button->Tag = Tag;
    button->SetGroupIndex(Group);
    button->AllowAllUp = true;
    return button;
}

TPanel* MakeOkPanel(TForm* Box, int Left, int Top)
{
    auto* ok = MakeControl<TPanel>(Box, Box, "pnlOk", "OK", Left, Top, 80, 25);
    Box->DefaultControl = ok;
    Box->CancelControl = ok;
    ok->OnClick = [Box](TObject*) {
        if (Box->Modal())
            Box->ModalResult = mrOk;
        else
            Box->Close();
    };
    return ok;
}

void SetUpForm(TForm* Form, const char* Name, const std::string& Caption, TFormStyle Style, TFormBorderStyle Border)
{
    Form->Name = Name;
    Form->SetCaption(Caption);
    Form->SetFormStyle(Style);
    Form->SetBorderStyle(Border);
}

void SetUpInfoBox(TForm* Box, const char* Name, const std::string& Caption, int Width, int Height)
{
    Box->Name = Name;
    Box->SetCaption(Caption);
    Box->SetBorderStyle(bsNone);
    Box->Position = poScreenCenter;
    Box->SetBounds(0, 0, Width, Height);
}
