// The recording link itself: later window tests lean on what it records and on its side
// of the notification channel, so both are checked here against the loaded module.
#include <gtest/gtest.h>
#include <chrono>
#include "platform/ui/Application.h"
#include "support_link/RecordingLink.h"

namespace {

// Stands for the main window: records each notification and answers with a result.
class TNotifyReceiver : public TMessageTarget {
public:
    struct TReceived {
        UINT Msg;
        WPARAM Code;
        LPARAM Payload;
    };
    std::vector<TReceived> Received;
    LRESULT Answer = 0;

    void WndProc(TMessage& Message) override
    {
        Received.push_back({Message.Msg, Message.WParam, Message.LParam});
        Message.Result = Answer;
    }
};

class RecordingLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Library.Link, nullptr) << Library.Library.LoadError(); }

    TRecordingLinkLibrary Library;
};

TEST_F(RecordingLinkTest, RecordsEveryOperationInOrder)
{
    TRecordingLink& Link = *Library.Link;
    IHardwareLink& Api = Link;  // called through the interface, as the program calls it
    char Buffer[8] = {};
    const TScriptStrings Script = {"Barrier1Stop", "Pause 5"};
    Api.SetNotifyTarget(42, WM_LINKNOTIFY);
    Api.SetSettingsFile(0, "/tmp/zel.ini");
    Api.LoadSettings();
    EXPECT_TRUE(Api.Connect());
    EXPECT_TRUE(Api.IsConnected());
    EXPECT_EQ(Api.SendCommand("StartIsotherm", nullptr, 0), 1);
    EXPECT_EQ(Api.SendCommand("=DeviceDate", Buffer, sizeof Buffer), 1);
    EXPECT_TRUE(Api.RunScript(&Script));
    EXPECT_FALSE(Api.RunScript(nullptr));
    Api.AbortScript();
    Api.SaveSettings();
    Api.Disconnect();
    EXPECT_FALSE(Api.IsConnected());

    const std::vector<TLinkCall> Calls = Link.Calls();
    const TLinkOperation Expected[] = {
        TLinkOperation::SetNotifyTarget, TLinkOperation::SetSettingsFile, TLinkOperation::LoadSettings,
        TLinkOperation::Connect,         TLinkOperation::IsConnected,     TLinkOperation::SendCommand,
        TLinkOperation::SendCommand,     TLinkOperation::RunScript,       TLinkOperation::RunScript,
        TLinkOperation::AbortScript,     TLinkOperation::SaveSettings,    TLinkOperation::Disconnect,
        TLinkOperation::IsConnected};
    ASSERT_EQ(Calls.size(), std::size(Expected));
    for (std::size_t Index = 0; Index < Calls.size(); ++Index)
        EXPECT_EQ(Calls[Index].Operation, Expected[Index]) << "call " << Index;
    EXPECT_EQ(Calls[0].Window, 42u);
    EXPECT_EQ(Calls[0].Message, WM_LINKNOTIFY);
    EXPECT_EQ(Calls[1].Text, "/tmp/zel.ini");
    EXPECT_EQ(Calls[5].Text, "StartIsotherm");
    EXPECT_FALSE(Calls[5].HasResult);
    EXPECT_EQ(Calls[6].Text, "=DeviceDate");
    EXPECT_TRUE(Calls[6].HasResult);
    EXPECT_EQ(Calls[6].ResultSize, 8);
    EXPECT_EQ(Calls[7].Script, Script);
    EXPECT_TRUE(Calls[8].Script.empty());
    EXPECT_EQ(Link.Lines(), (std::vector<std::string>{"StartIsotherm", "=DeviceDate"}));
}

TEST_F(RecordingLinkTest, ConnectReportsWhatTheTestChose)
{
    Library.Link->ConnectResult = false;
    EXPECT_FALSE(Library.Link->Connect());
    EXPECT_FALSE(Library.Link->IsConnected());
    Library.Link->SetConnected(true);
    EXPECT_TRUE(Library.Link->IsConnected());
}

TEST_F(RecordingLinkTest, ReplyIsCutToTheBufferAndTheRestZeroed)
{
    Library.Link->SetReply("=DeviceName", "ABCDEF");
    char Small[4];
    std::memset(Small, '#', sizeof Small);
    Library.Link->SendCommand("=DeviceName", Small, sizeof Small);
    EXPECT_EQ(std::string(Small, sizeof Small), "ABCD");

    char Large[10];
    std::memset(Large, '#', sizeof Large);
    Library.Link->SendCommand("=DeviceName", Large, sizeof Large);
    EXPECT_EQ(std::string(Large, sizeof Large), std::string("ABCDEF\0\0\0\0", 10));

    // A line without a reply leaves the buffer as the caller filled it.
    std::memset(Large, '#', sizeof Large);
    Library.Link->SendCommand("=DeviceDate", Large, sizeof Large);
    EXPECT_EQ(std::string(Large, sizeof Large), std::string(10, '#'));
}

TEST_F(RecordingLinkTest, OnSendCommandSeesEachLine)
{
    std::vector<std::string> Seen;
    Library.Link->OnSendCommand = [&](const std::string& Line, void*, int Size) {
        Seen.push_back(Line + "/" + std::to_string(Size));
    };
    Library.Link->SendCommand("DipperStop", nullptr, 0);
    Library.Link->SendCommand("=CLBCoeff", Seen.data(), 16);
    EXPECT_EQ(Seen, (std::vector<std::string>{"DipperStop/0", "=CLBCoeff/16"}));
}

TEST_F(RecordingLinkTest, PostedNotificationArrivesThroughTheMessageLoop)
{
    TNotifyReceiver Receiver;
    Library.Link->SetNotifyTarget(Receiver.Handle(), WM_LINKNOTIFY);
    ASSERT_TRUE(Library.Link->PostNotify(hlnDrivesStopped, 7));
    EXPECT_TRUE(Receiver.Received.empty());  // posted: nothing runs before the loop does
    ASSERT_TRUE(Application->ProcessMessagesUntil([&] { return !Receiver.Received.empty(); }, ConditionWaitMs));
    ASSERT_EQ(Receiver.Received.size(), 1u);
    EXPECT_EQ(Receiver.Received[0].Msg, WM_LINKNOTIFY);
    EXPECT_EQ(Receiver.Received[0].Code, WPARAM{hlnDrivesStopped});
    EXPECT_EQ(Receiver.Received[0].Payload, 7);
}

TEST_F(RecordingLinkTest, SentNotificationReturnsTheWindowsAnswer)
{
    TNotifyReceiver Receiver;
    Receiver.Answer = -1234;
    Library.Link->SetNotifyTarget(Receiver.Handle(), WM_LINKNOTIFY);
    double UserValue = 2.5;
    EXPECT_EQ(Library.Link->SendNotify(hlnConvBarrierSpeed, reinterpret_cast<LPARAM>(&UserValue)), -1234);
    ASSERT_EQ(Receiver.Received.size(), 1u);
    EXPECT_EQ(Receiver.Received[0].Code, WPARAM{hlnConvBarrierSpeed});
    EXPECT_EQ(*reinterpret_cast<double*>(Receiver.Received[0].Payload), 2.5);
}

TEST_F(RecordingLinkTest, NotificationFromAnotherThreadWaitsForTheGuiThread)
{
    TNotifyReceiver Receiver;
    Receiver.Answer = 1;
    Library.Link->SetNotifyTarget(Receiver.Handle(), WM_LINKNOTIFY);
    std::future<LRESULT> Answer = Library.Link->SendNotifyFromThread(hlnRepeatContinue, 3);
    ASSERT_TRUE(Application->ProcessMessagesUntil(
        [&] { return Answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }, ConditionWaitMs));
    EXPECT_EQ(Answer.get(), 1);
    ASSERT_EQ(Receiver.Received.size(), 1u);
    EXPECT_EQ(Receiver.Received[0].Code, WPARAM{hlnRepeatContinue});
}

TEST_F(RecordingLinkTest, WithoutNotifyTargetNothingIsDelivered)
{
    EXPECT_FALSE(Library.Link->PostNotify(hlnErrorText, 0));
    EXPECT_EQ(Library.Link->SendNotify(hlnConvPressure, 0), 0);
}

}  // namespace
