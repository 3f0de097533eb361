// The link module against the emulator: packets on the wire, acknowledgements, retries,
// failures, replies and the reports of the instrument.
#include <chrono>
#include <cstring>
#include <regex>
#include "LinkFixture.h"

namespace {
using Clock = std::chrono::steady_clock;
long long MsSince(Clock::time_point T)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - T).count();
}
}  // namespace

TEST_F(LinkFixture, WritesExactPacketBytesWithTrailingZeroByte)
{
    Start();
    Link->SendCommand("FBSensetivity= 0000000A", nullptr, 0);
    Link->SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(2, ConditionWaitMs));
    // Checksums: the 8-bit sums of "01 03 0000000A" and "03 00 00000000".
    EXPECT_EQ(FrameTexts(), (std::vector<std::string>{"@95 01 03 0000000A$<00>", "@83 03 00 00000000$<00>"}));
    EXPECT_EQ(Emulator->CountLines("bad"), 0u);
}

TEST_F(LinkFixture, KeepsAtLeastFiftyMillisecondsBetweenWrites)
{
    Start();
    const int Count = 8;
    for (int i = 0; i < Count; ++i) Link->SendCommand("FBSensetivity= 0000000" + std::to_string(i), nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(Count, ConditionWaitMs));
    const auto Frames = Emulator->Frames();
    // The emulator stamps a frame when it reads it, which may be late, but always before
    // the link writes the next one: the link waits for each acknowledgement. So frame i
    // was read before frame i+1 was written, and frame i+2 was written at least 50 ms
    // after frame i+1: stamps two frames apart are 50 ms apart however late the reads.
    for (std::size_t i = 2; i < Frames.size(); ++i) EXPECT_GE(Frames[i].Us - Frames[i - 2].Us, 50000) << i;
    EXPECT_GE(Frames.back().Us - Frames.front().Us, (Count - 2) * 50000LL);
}

TEST_F(LinkFixture, RetriesAtOnceAfterNegativeAcknowledgement)
{
    Start({"--nak", "1"});
    Link->SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(2, ConditionWaitMs));
    const auto Frames = Emulator->Frames();
    EXPECT_EQ(Frames[0].Bytes, Frames[1].Bytes);
    Settle(300);
    EXPECT_EQ(Emulator->Frames().size(), 2u);
    EXPECT_TRUE(Link->IsConnected());
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(LinkFixture, SilentInstrumentCostsEveryAttemptThenClosesPortAndReportsOnce)
{
    Start({"--silent", "-1"}, TSettings{3, 150, false});
    const auto Begin = Clock::now();
    Link->SendCommand("DriveAllStop", nullptr, 0);
    Link->SendCommand("FBSensetivity= 00000001", nullptr, 0);
    Link->SendCommand("FBSensetivity= 00000002", nullptr, 0);
    ASSERT_TRUE(Notes.WaitForCode(hlnErrorText, 1, ConditionWaitMs));
    EXPECT_GE(MsSince(Begin), 3 * 150);
    FrameTexts(3);
    Settle(500);
    EXPECT_EQ(Emulator->Frames().size(), 3u) << "three attempts of the first packet; the queued lines are dropped";
    EXPECT_FALSE(Link->IsConnected());
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Device not responding"});
}

TEST_F(LinkFixture, QueryQueuedBehindFailedPacketGivesNoSecondNotice)
{
    Start({"--silent", "-1"}, TSettings{2, 150, false});
    Link->SendCommand("DriveAllStop", nullptr, 0);
    char Name[100];
    std::memset(Name, 'x', sizeof Name);
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    Settle(300);
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Device not responding"});
    EXPECT_EQ(Name[0], 'x') << "the caller's buffer keeps its content";
}

TEST_F(LinkFixture, QueryWhosePacketFailsIsReportedOnceByTheWaitingCaller)
{
    Start({"--silent", "-1"}, TSettings{2, 150, false});
    std::uint32_t Value = 7;
    Link->SendCommand("=FBSensetivity", &Value, 4);
    Settle(300);
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Device not responding"});
    EXPECT_EQ(Value, 7u);
    EXPECT_FALSE(Link->IsConnected());
}

TEST_F(LinkFixture, BadChecksumIsDroppedAndLoggedThenTheRetryIsAcknowledged)
{
    TCurrentFolder Folder(Dir.Path());
    Start({"--bad-checksum", "1"}, TSettings{4, 300, true});
    Link->SendCommand("FBSensetivity= 00000001", nullptr, 0);
    ASSERT_TRUE(Emulator->WaitForFrames(2, ConditionWaitMs));
    Settle(300);
    EXPECT_EQ(Emulator->Frames().size(), 2u);
    EXPECT_TRUE(Link->IsConnected());
    EXPECT_TRUE(ErrorTexts().empty());
    const std::string Log = ReadFileText("./recivedData.log");
    // "KOK!" sums to 0x06; the spoiled packet carries 07.
    const std::regex Expected(
        "\\[\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\\] 07KOK!\n"
        "\\[\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\\] Err CheckSum: 07KOK!\n"
        "\\[\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\\] 06KOK!\n");
    EXPECT_TRUE(std::regex_search(Log, Expected)) << Log;
}

TEST_F(LinkFixture, FreshStartEmptiesTheReceivedDataLog)
{
    TCurrentFolder Folder(Dir.Path());
    WriteFileText("./recivedData.log", "old contents\n");
    Start({}, TSettings{4, 1000, true});
    EXPECT_EQ(ReadFileText("./recivedData.log"), "");
}

TEST_F(LinkFixture, GarbageBetweenPacketsAndSplitWritesStillDeliverTheReply)
{
    Start({"--garbage", "--split"});
    char Name[100] = {};
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_STREQ(Name, "Trough Emulator");
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(LinkFixture, SetterFollowedAtOnceByQueryBothSucceed)
{
    Start();
    Link->SendCommand("FBSensetivity= 0000002A", nullptr, 0);
    std::uint32_t Value = 0;
    Link->SendCommand("=FBSensetivity", &Value, sizeof Value);
    EXPECT_EQ(Value, 0x2Au);
    EXPECT_EQ(FrameTexts(2).size(), 2u);
    Settle(100);
    EXPECT_TRUE(ErrorTexts().empty());
}

TEST_F(LinkFixture, BareAcknowledgementBeforeTheReplyIsNotTakenAsTheReply)
{
    Start({"--ack-before-reply", "--name", "Trough 2000"});
    char Name[100] = {};
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_STREQ(Name, "Trough 2000");
}

TEST_F(LinkFixture, CutLineIsReportedWithoutHangOrCrash)
{
    Start({"--cut-after", "1"}, TSettings{4, 300, false});
    const auto Begin = Clock::now();
    char Name[100] = {};
    Link->SendCommand("=DeviceName", Name, sizeof Name);
    EXPECT_LT(MsSince(Begin), 3000);
    Settle(200);
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Device not responding"});
    EXPECT_FALSE(Link->IsConnected());
    // Later lines fail quietly while the port is closed.
    Link->SendCommand("DriveAllStop", nullptr, 0);
    Settle(200);
    EXPECT_EQ(ErrorTexts().size(), 1u);
}

TEST_F(LinkFixture, QueryWhilePortIsClosedReportsDeviceNotResponding)
{
    Start();
    Link->Disconnect();
    // A setter is dropped without a word.
    Link->SendCommand("FBSensetivity= 00000001", nullptr, 0);
    Settle(200);
    EXPECT_TRUE(ErrorTexts().empty());
    std::uint32_t Value = 5;
    Link->SendCommand("=FBSensetivity", &Value, 4);
    Settle(100);
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Device not responding"});
    EXPECT_EQ(Value, 5u);
    EXPECT_TRUE(Emulator->Frames().empty());
}

TEST_F(LinkFixture, SeveralPacketsInOneReadAreEachDispatched)
{
    Start();
    // "M07" sums to 0xB4, "M09" to 0xB6.
    ASSERT_TRUE(Emulator->Control("raw @B4M07$@B6M09$"));
    ASSERT_TRUE(Notes.WaitForCode(hlnContinueAllowed));
    ASSERT_EQ(Notes.Notes.size(), 2u);
    EXPECT_EQ(Notes.Notes[0].Code, hlnPressureControl);
    EXPECT_EQ(Notes.Notes[1].Code, hlnContinueAllowed);
}

TEST_F(LinkFixture, DrivesStopReportArrivesAfterAllStop)
{
    Start();
    Link->SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(Notes.WaitForCode(hlnDrivesStopped));
    EXPECT_EQ(Notes.WithCode(hlnDrivesStopped)[0].Payload, 0);
    EXPECT_EQ(Notes.WithCode(hlnMotionState)[0].Payload, 0);
}
