#include "zel/core/Udeviceinfo.h"

#include "platform/ui/ControlBuilder.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Toolwindow.h"

TFDeviceInfo::TFDeviceInfo(TComponent* Owner) : TForm(Owner)
{
    SetUpInfoBox(this, "FDeviceInfo", "Device Info", 280, 170);
    // The names in the left column, the instrument's answers beside them.
    constexpr int NamesLeft = 12, AnswersLeft = 140;
    lblName = MakeControl<TLabel>(this, this, "lblName", "Device Name", NamesLeft, 12, 120, 16);
    lblVersion = MakeControl<TLabel>(this, this, "lblVersion", "Version", NamesLeft, 36, 120, 16);
    lblManufacturer = MakeControl<TLabel>(this, this, "lblManufacturer", "Manufacturer", NamesLeft, 60, 120, 16);
    lblDate = MakeControl<TLabel>(this, this, "lblDate", "Date", NamesLeft, 84, 120, 16);
    STName = MakeControl<TLabel>(this, this, "STName", "None", AnswersLeft, 12, 120, 16);
    STVersion = MakeControl<TLabel>(this, this, "STVersion", "None", AnswersLeft, 36, 120, 16);
    STManufacturer = MakeControl<TLabel>(this, this, "STManufacturer", "None", AnswersLeft, 60, 120, 16);
    STDate = MakeControl<TLabel>(this, this, "STDate", "None", AnswersLeft, 84, 120, 16);
    pnlOk = MakeOkPanel(this, 100, 120);
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
    ApplyNumberedCaptions("DeviceInfo", {CaptionOf(this), CaptionOf(lblName), CaptionOf(lblVersion),
                                         CaptionOf(lblManufacturer), CaptionOf(lblDate)});
}
