#include "zel/core/Usettings.h"

#include "kvc/KvMultiLang.h"
#include "platform/ui/ControlBuilder.h"
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

// Captions at the left of the Data page, their entries at the right.
constexpr TEntryColumns DataRows{.LabelLeft = 8, .LabelWidth = 230, .EntryLeft = 250, .EntryWidth = 80, .LabelDrop = 2};

}  // namespace

TFSettings::TFSettings(TComponent* Owner) : TForm(Owner)
{
    SetUpForm(this, "FSettings", "Settings", fsStayOnTop, bsDialog);
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
    lblUpdateStatusInterval =
        DataRows.Label(this, TSData, "lblUpdateStatusInterval", "Update Status Interval (ms)", 10);
    SEUpdateStatusInterval = DataRows.Entry(this, TSData, "SEUpdateStatusInterval", 10, 0, 100);
    SetSpinRange(SEUpdateStatusInterval, 100, 10000);
    lblUpdateReceivedDataInterval = DataRows.Label(this, TSData, "lblUpdateReceivedDataInterval",
                                                   "Interval of updating of the received data (ms)", 42);
    SEUpdateReceivedDataInterval = DataRows.Entry(this, TSData, "SEUpdateReceivedDataInterval", 42, 0, 100);
    SetSpinRange(SEUpdateReceivedDataInterval, 100, 10000);
    lblDataAccuracy = DataRows.Label(this, TSData, "lblDataAccuracy", "Data accuracy", 74);
    SEDataAccuracy = DataRows.Entry(this, TSData, "SEDataAccuracy", 74, 0);
    SetSpinRange(SEDataAccuracy, 0, 3);
    TSInterface = new TTabSheet(this, PageControl);
    TSInterface->Name = "TSInterface";
    TSInterface->SetCaption("Interface");
    lblLanguage = MakeControl<TLabel>(this, TSInterface, "lblLanguage", "Language", 8, 8, 230, 16);
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
                          {CaptionOf(this), CaptionOf(TSData), CaptionOf(lblUpdateStatusInterval),
                           CaptionOf(lblUpdateReceivedDataInterval), CaptionOf(lblDataAccuracy), CaptionOf(TSInterface),
                           CaptionOf(lblLanguage), CaptionOf(BBOk), CaptionOf(BBCancel)});
}
