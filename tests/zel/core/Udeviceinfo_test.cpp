// The device information dialog: the four queries in order and their answers, empty
// texts without a link, its language section and its OK panel.
#include "DialogFixture.h"
#include "MainWindowFixture.h"
#include "zel/core/Udeviceinfo.h"

namespace {

using TDeviceInfoDialog = TMainWindowFixture;

TEST_F(TDeviceInfoDialog, ShowsTheInstrumentsAnswersInOrderThroughTheAction)
{
    ForceDirectories(Dir.File("Language"));
    WriteFileText(Dir.File("Language/english.lng"), "[DeviceInfo]\n0=Geraet\n1=\n2=Fassung\n");
    Start("[Common]\n" + Libraries());
    Link()->SetReply("=DeviceName", "Trough KV-3");
    Link()->SetReply("=DeviceVersion", "4.2");
    Link()->SetReply("=Manufacturer", "Instrument group");
    Link()->SetReply("=DeviceDate", "2026-11-30");
    Link()->ClearCalls();
    std::vector<std::string> shown;
    {
        TModalActor<TFDeviceInfo> actor([&](TFDeviceInfo& Dialog) {
            shown = {Dialog.GetCaption(),
                     Dialog.lblName->GetCaption(),
                     Dialog.lblVersion->GetCaption(),
                     Dialog.lblManufacturer->GetCaption(),
                     Dialog.lblDate->GetCaption(),
                     Dialog.STName->GetCaption(),
                     Dialog.STVersion->GetCaption(),
                     Dialog.STManufacturer->GetCaption(),
                     Dialog.STDate->GetCaption()};
            Dialog.pnlOk->Click();
        });
        Main->AHelpDeviceInfo->Execute();
        ASSERT_TRUE(actor.Ran);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Geraet", "Device Name", "Fassung", "Manufacturer", "Date",
                                               "Trough KV-3", "4.2", "Instrument group", "2026-11-30"}));
    EXPECT_EQ(Link()->Lines(),
              (std::vector<std::string>{"=DeviceName", "=DeviceVersion", "=Manufacturer", "=DeviceDate"}));
    for (const TLinkCall& call : Link()->Calls()) {
        if (call.Operation == TLinkOperation::SendCommand) {
            EXPECT_TRUE(call.HasResult) << call.Text;
        }
    }
    for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TFDeviceInfo*>(Screen->Forms(i)), nullptr);
}

TEST_F(TDeviceInfoDialog, WithoutALinkTheFourTextsAreEmpty)
{
    Start("");
    Dialogs.Requests.clear();
    auto* dialog = CreateForm<TFDeviceInfo>(nullptr);
    EXPECT_EQ(dialog->GetCaption(), "Device Info");
    EXPECT_EQ(WindowFrame(dialog), "window, frameless, fixed");
    for (TLabel* text : {dialog->STName, dialog->STVersion, dialog->STManufacturer, dialog->STDate})
        EXPECT_EQ(text->GetCaption(), "") << text->Name;
    dialog->Show();
    dialog->pnlOk->Click();
    EXPECT_FALSE(dialog->GetVisible());
}

}  // namespace
