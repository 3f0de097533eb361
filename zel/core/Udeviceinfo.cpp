#include "zel/core/Udeviceinfo.h"

#include "zel/core/Hlprovider.h"
#include "zel/core/Toolwindow.h"

namespace {

TLabel* NewText(TForm* Owner, const char* Name, const char* Caption, int Left, int Top)
{
    auto* label = new TLabel(Owner);
    label->Name = Name;
    label->SetCaption(Caption);
    label->SetBounds(Left, Top, 120, 16);
    label->SetParent(Owner);
    return label;
}

}  // namespace

TFDeviceInfo::TFDeviceInfo(TComponent* Owner) : TForm(Owner)
{
    Name = "FDeviceInfo";
    SetCaption("Device Info");
    SetBorderStyle(bsNone);
    Position = poScreenCenter;
    SetBounds(0, 0, 280, 170);
    lblName = NewText(this, "lblName", "Device Name", 12, 12);
    lblVersion = NewText(this, "lblVersion", "Version", 12, 36);
    lblManufacturer = NewText(this, "lblManufacturer", "Manufacturer", 12, 60);
    lblDate = NewText(this, "lblDate", "Date", 12, 84);
    STName = NewText(this, "STName", "None", 140, 12);
    STVersion = NewText(this, "STVersion", "None", 140, 36);
    STManufacturer = NewText(this, "STManufacturer", "None", 140, 60);
    STDate = NewText(this, "STDate", "None", 140, 84);
    pnlOk = new TPanel(this);
    pnlOk->Name = "pnlOk";
    pnlOk->SetCaption("OK");
    pnlOk->SetBounds(100, 120, 80, 25);
    pnlOk->SetParent(this);
    DefaultControl = pnlOk;
    CancelControl = pnlOk;
    pnlOk->OnClick = [this](TObject*) {
        if (Modal())
            ModalResult = mrOk;
        else
            Close();
    };
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TFDeviceInfo::FormCreate(TObject*)
{
    // Each is a query that waits for the instrument's reply.
    std::string text;
    HlProvider.GetDeviceName(text);
    STName->SetCaption(text);
    text.clear();
    HlProvider.GetDeviceVersion(text);
    STVersion->SetCaption(text);
    text.clear();
    HlProvider.GetManufacturer(text);
    STManufacturer->SetCaption(text);
    text.clear();
    HlProvider.GetDeviceDate(text);
    STDate->SetCaption(text);
    ApplyLanguage();
}

void TFDeviceInfo::ApplyLanguage()
{
    ApplyNumberedCaptions("DeviceInfo", {
                                            [this](const std::string& T) { SetCaption(T); },
                                            [this](const std::string& T) { lblName->SetCaption(T); },
                                            [this](const std::string& T) { lblVersion->SetCaption(T); },
                                            [this](const std::string& T) { lblManufacturer->SetCaption(T); },
                                            [this](const std::string& T) { lblDate->SetCaption(T); },
                                        });
}
