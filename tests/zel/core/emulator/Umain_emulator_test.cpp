// End to end: the main window loads hwzel.so as its link, connects to the instrument
// emulator over a pseudo-terminal, and the emulator's reports reach the status bar and
// the status window; the device information window shows what the instrument answers; a
// silent instrument raises the reconnect question.
#include "zel/core/EmulatorProgramFixture.h"
#include "zel/core/Udeviceinfo.h"
#include "zel/core/Ustatus.h"

namespace {

class TLinkedProgram : public TEmulatorProgramFixture {
protected:
    void StartLinked(const std::vector<std::string>& Options)
    {
        ASSERT_NO_FATAL_FAILURE(
            TEmulatorProgramFixture::StartLinked(Options, "DeviceType=ZEL\n", DemoTroughSettings()));
        ASSERT_NE(HlProvider.Link, nullptr);
        Status = CreateForm<TFStatus>(nullptr);
    }
    std::string Panel(int Index) const { return Main->StatusBar->Panels(Index)->GetText(); }

    TFStatus* Status = nullptr;
};

TEST_F(TLinkedProgram, DeviceStateReportsReachTheStatusBarAndTheStatusWindow)
{
    StartLinked({"--info-ms", "50"});
    EXPECT_TRUE(HlProvider.Link->IsConnected());
    AppSettings.UpdateStatusInterval = 100;
    // The film of the demonstration trough is in its gas phase: a clean surface's reading.
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return Panel(1) == "SP: 0.000 mN/m"; }, ConditionWaitMs))
        << Panel(1);
    EXPECT_EQ(DeviceState.balance, 11296u);
    EXPECT_EQ(Panel(4), "DPos: 50.0 mm");
    EXPECT_EQ(Status->mmoStatus->GetLines()[0], "SP: 0.000");
    Main->UpdateProcessTimerTimer(nullptr);
    EXPECT_EQ(Panel(0), "Connected");
    EXPECT_EQ(Status->mmoStatus->Font()->GetColor(), RGB(0, 0, 128));
    EXPECT_TRUE(Dialogs.Requests.empty());
}

TEST_F(TLinkedProgram, DeviceInformationShowsTheInstrumentsTexts)
{
    StartLinked({"--name", "Film Trough E2E"});
    auto* info = CreateForm<TFDeviceInfo>(nullptr);
    EXPECT_EQ(info->STName->GetCaption(), "Film Trough E2E");
    EXPECT_EQ(info->STVersion->GetCaption(), "1.0");
    EXPECT_EQ(info->STManufacturer->GetCaption(), "Trough Emulator Works");
    EXPECT_EQ(info->STDate->GetCaption(), "2024-03-01");
}

TEST_F(TLinkedProgram, SilentInstrumentRaisesTheReconnectQuestionOnce)
{
    StartLinked({});  // no reports unless asked
    Main->ResponseTimeout = 200;
    Main->UpdateResponseTick();
    Application->ProcessMessagesUntil([] { return false; }, 300);
    Dialogs.Answer(IDNO);
    Main->UpdateProcessTimerTimer(nullptr);
    Main->UpdateProcessTimerTimer(nullptr);
    int questions = 0;
    for (const TDialogRequest& request : Dialogs.Requests)
        if (request.Text == "Device not responding! Do you want to reconnect?") ++questions;
    EXPECT_EQ(questions, 1);

    // A report from the instrument ends the silence.
    ASSERT_TRUE(Emulator->Control("send IINF 00000001 00000002 00000003 00000004 00000005"));
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return DeviceState.balance == 3; }, ConditionWaitMs));
    EXPECT_GT(Main->LastResponseTick, 0u);
}

}  // namespace
