#include "zel/core/Usettings.h"

#include "kvc/KvMultiLang.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Common.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Mainservices.h"

namespace {

std::string FilePart(const std::string& Path)
{
    const size_t slash = Path.find_last_of("/\\");
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

TRxSpinEdit* NewSpinEdit(TForm* Owner, TWinControl* Parent, const char* Name, double Min, double Max, double Step,
                         int Top)
{
    auto* edit = new TRxSpinEdit(Owner);
    edit->Name = Name;
    edit->SetValueType(vtInteger);
    edit->SetDecimal(0);
    edit->SetMinValue(Min);
    edit->SetMaxValue(Max);
    edit->Increment = Step;
    edit->SetBounds(250, Top, 80, 21);
    edit->SetParent(Parent);
    return edit;
}

TLabel* NewLabel(TForm* Owner, TWinControl* Parent, const char* Name, const char* Caption, int Left, int Top)
{
    auto* label = new TLabel(Owner);
    label->Name = Name;
    label->SetCaption(Caption);
    label->SetBounds(Left, Top, 230, 16);
    label->SetParent(Parent);
    return label;
}

}  // namespace

TFSettings::TFSettings(TComponent* Owner) : TForm(Owner)
{
    Name = "FSettings";
    SetCaption("Settings");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetBounds(0, 0, 360, 240);

    PageControl = new TPageControl(this);
    PageControl->Name = "PageControl";
    PageControl->DockSite = false;
    PageControl->SetBounds(4, 4, 352, 170);
    PageControl->SetParent(this);
    TSData = new TTabSheet(this, PageControl);
    TSData->Name = "TSData";
    TSData->SetCaption("Data");
    lblUpdateStatusInterval = NewLabel(this, TSData, "lblUpdateStatusInterval", "Update Status Interval (ms)", 8, 12);
    SEUpdateStatusInterval = NewSpinEdit(this, TSData, "SEUpdateStatusInterval", 100, 10000, 100, 10);
    lblUpdateReceivedDataInterval = NewLabel(this, TSData, "lblUpdateReceivedDataInterval",
                                             "Interval of updating of the received data (ms)", 8, 44);
    SEUpdateReceivedDataInterval = NewSpinEdit(this, TSData, "SEUpdateReceivedDataInterval", 100, 10000, 100, 42);
    lblDataAccuracy = NewLabel(this, TSData, "lblDataAccuracy", "Data accuracy", 8, 76);
    SEDataAccuracy = NewSpinEdit(this, TSData, "SEDataAccuracy", 0, 3, 1, 74);
    TSInterface = new TTabSheet(this, PageControl);
    TSInterface->Name = "TSInterface";
    TSInterface->SetCaption("Interface");
    lblLanguage = NewLabel(this, TSInterface, "lblLanguage", "Language", 8, 8);
    LBLangFiles = new TListBox(this);
    LBLangFiles->Name = "LBLangFiles";
    LBLangFiles->SetBounds(8, 28, 200, 100);
    LBLangFiles->SetParent(TSInterface);

    BBOk = new TButton(this);
    BBOk->Name = "BBOk";
    BBOk->SetCaption("OK");
    BBOk->Default = true;
    BBOk->ModalResult = mrOk;
    BBOk->SetBounds(180, 184, 75, 25);
    BBOk->SetParent(this);
    BBOk->OnClick = [this](TObject* Sender) { BBOkClick(Sender); };
    BBCancel = new TButton(this);
    BBCancel->Name = "BBCancel";
    BBCancel->SetCaption("Cancel");
    BBCancel->Cancel = true;
    BBCancel->ModalResult = mrCancel;
    BBCancel->SetBounds(266, 184, 75, 25);
    BBCancel->SetParent(this);

    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TFSettings::FormCreate(TObject*)
{
    ApplyLanguage();
    SEUpdateStatusInterval->SetValue(AppSettings.UpdateStatusInterval);
    SEUpdateReceivedDataInterval->SetValue(AppSettings.UpdateReceivedDataInterval);
    SEDataAccuracy->SetValue(AppSettings.ADCDataAccuracy);

    LangFiles.Folder = AppPath + "Language";
    LangFiles.Mask = "*.lng";
    LangFiles.Scan("");
    TStringList names;
    for (const std::string& path : LangFiles.Files) names.Add(FilePart(path));
    LBLangFiles->SetItems(names);
    InitialLanguageIndex = MultiLang ? names.IndexOf(FilePart(MultiLang->LangFileName)) : -1;
    LBLangFiles->SetItemIndex(InitialLanguageIndex);
}

void TFSettings::BBOkClick(TObject*)
{
    // Kept in memory; the settings file gets them when the program ends.
    AppSettings.UpdateStatusInterval = static_cast<std::uint32_t>(DoubleToInt32(SEUpdateStatusInterval->GetValue()));
    AppSettings.UpdateReceivedDataInterval =
        static_cast<std::uint32_t>(DoubleToInt32(SEUpdateReceivedDataInterval->GetValue()));
    AppSettings.ADCDataAccuracy = static_cast<std::uint8_t>(DoubleToInt32(SEDataAccuracy->GetValue()) & 0xFF);

    const int selected = LBLangFiles->GetItemIndex();
    if (selected >= 0 && selected != InitialLanguageIndex && selected < static_cast<int>(LangFiles.Files.size()))
        ChangeMainLanguage(LangFiles.Files[static_cast<size_t>(selected)]);
}

void TFSettings::ApplyLanguage()
{
    ApplyNumberedCaptions("Settings",
                          {
                              [this](const std::string& T) { SetCaption(T); },
                              [this](const std::string& T) { TSData->SetCaption(T); },
                              [this](const std::string& T) { lblUpdateStatusInterval->SetCaption(T); },
                              [this](const std::string& T) { lblUpdateReceivedDataInterval->SetCaption(T); },
                              [this](const std::string& T) { lblDataAccuracy->SetCaption(T); },
                              [this](const std::string& T) { TSInterface->SetCaption(T); },
                              [this](const std::string& T) { lblLanguage->SetCaption(T); },
                              [this](const std::string& T) { BBOk->SetCaption(T); },
                              [this](const std::string& T) { BBCancel->SetCaption(T); },
                          });
}
