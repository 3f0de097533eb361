// The serial layer: the packet splitter on byte streams, port names, and a real port on
// the emulator's pseudo-terminal.
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <mutex>
#include <thread>
#include "TestSupport.h"
#include "hwzel/EmulatorProcess.h"
#include "platform/serial/ComPort.h"
#include "platform/serial/SetupDialog.h"

namespace {

struct TSplitCase {
    const char* Name;
    std::vector<std::string> Chunks;
    std::vector<std::string> Packets;
};

std::vector<std::string> Split(const std::vector<std::string>& Chunks, std::size_t Limit = 20480)
{
    TComDataPacket Packet;
    Packet.StartString = "@";
    Packet.StopString = "$";
    Packet.CaseInsensitive = true;
    Packet.MaxBufferSize = Limit;
    std::vector<std::string> Got;
    Packet.OnPacket = [&](TObject*, const std::string& Text) { Got.push_back(Text); };
    for (const std::string& C : Chunks) Packet.HandleData(C.data(), C.size());
    return Got;
}

}  // namespace

TEST(ComDataPacket, CutsStreamsIntoPackets)
{
    const std::vector<TSplitCase> Cases = {
        {"one packet", {"@06KOK!$"}, {"06KOK!"}},
        {"several in one read", {"@06KOK!$@B4M07$@B6M09$"}, {"06KOK!", "B4M07", "B6M09"}},
        {"split over many reads", {"@", "0", "6K", "OK", "!", "$"}, {"06KOK!"}},
        {"stop in the next read", {"@06KOK!", "$@B4", "M07$"}, {"06KOK!", "B4M07"}},
        {"bytes outside packets", {"junk\r\n@06KOK!$\0garbage", "more@B4M07$tail"}, {"06KOK!", "B4M07"}},
        {"a new start restarts the packet", {"@x@y@06KOK!$"}, {"06KOK!"}},
        {"empty packet", {"@$"}, {""}},
        {"stop without start", {"$$06KOK!$"}, {}},
        {"unfinished packet", {"@06KOK!"}, {}},
    };
    for (const TSplitCase& C : Cases) EXPECT_EQ(Split(C.Chunks), C.Packets) << C.Name;
}

TEST(ComDataPacket, DropsAPacketThatOutgrowsTheBufferAndRecovers)
{
    const std::string Long = "@" + std::string(40, 'A');
    EXPECT_EQ(Split({Long, "BBBB$@06KOK!$"}, 32), std::vector<std::string>{"06KOK!"});
}

TEST(ComDataPacket, MatchesStartAndStopStringsWithoutRegardToCase)
{
    TComDataPacket Packet;
    Packet.StartString = "<a";
    Packet.StopString = "z>";
    Packet.CaseInsensitive = true;
    std::vector<std::string> Got;
    Packet.OnPacket = [&](TObject*, const std::string& Text) { Got.push_back(Text); };
    const std::string Data = "..<A12Z>..<a3";
    Packet.HandleData(Data.data(), Data.size());
    Packet.HandleData("4z", 2);
    Packet.HandleData(">", 1);
    EXPECT_EQ(Got, (std::vector<std::string>{"12", "34"}));
}

TEST(ComDataPacket, PacketsDoNotDependOnHowTheStreamIsSliced)
{
    // Stop strings inside start strings, and start strings that share their first bytes
    // with packet text: every way of cutting the stream into reads gives the same packets.
    struct TCase {
        const char* Start;
        const char* Stop;
        std::string Stream;
    };
    const TCase Cases[] = {
        {"a$b", "$", "a$bxa$b12$"},
        {"a$b", "$", "a$bone$a$b"},
        {"<$>", "$", "<$>12<$4$junk<$>5$"},
        {"@@", "@", "@@x@@@y@"},
        {"@", "$", "@06KOK!$@B4M07$"},
        // A stop string that ends in the first bytes of the start string: those bytes
        // belong to the stop and begin no packet, however the stream is cut.
        {"ab", "ba", "abbabba"},
        {"abc", "bca", "abcbcabcabca"},
    };
    for (const TCase& C : Cases) {
        auto Run = [&](const std::vector<std::size_t>& Cuts) {
            TComDataPacket Packet;
            Packet.StartString = C.Start;
            Packet.StopString = C.Stop;
            std::vector<std::string> Got;
            Packet.OnPacket = [&](TObject*, const std::string& Text) { Got.push_back(Text); };
            std::size_t From = 0;
            for (std::size_t Cut : Cuts) {
                Packet.HandleData(C.Stream.data() + From, Cut - From);
                From = Cut;
            }
            Packet.HandleData(C.Stream.data() + From, C.Stream.size() - From);
            return Got;
        };
        const std::vector<std::string> Whole = Run({});
        for (std::size_t Cut = 1; Cut < C.Stream.size(); ++Cut)
            EXPECT_EQ(Run({Cut}), Whole) << C.Start << " " << C.Stream << " cut at " << Cut;
        std::vector<std::size_t> EveryByte;
        for (std::size_t Cut = 1; Cut < C.Stream.size(); ++Cut) EveryByte.push_back(Cut);
        EXPECT_EQ(Run(EveryByte), Whole) << C.Start << " " << C.Stream << " byte by byte";
    }
}

TEST(ComPort, MapsComNamesToSerialDevices)
{
    EXPECT_EQ(ComPortDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(ComPortDevicePath("COM12"), "/dev/ttyS11");
    EXPECT_EQ(ComPortDevicePath("/dev/pts/3"), "/dev/pts/3");
    EXPECT_EQ(ComPortDevicePath("COM"), "COM");
    EXPECT_EQ(ComPortDevicePath("COMX"), "COMX");
    EXPECT_EQ(BaudRateValue(7), 9600);
    EXPECT_EQ(BaudRateValue(13), 115200);
    EXPECT_EQ(BaudRateValue(99), 0);
}

TEST(ComPort, OpeningAMissingDeviceRaisesAClearError)
{
    TComPort Port;
    Port.SetPort("/nonexistent/tty");
    try {
        Port.Open();
        FAIL() << "opened a missing device";
    } catch (const EComPort& E) {
        EXPECT_NE(std::string(E.what()).find("/nonexistent/tty"), std::string::npos);
    }
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(Port.Write("x", 1), -1);
}

TEST(ComPort, SendsAndReceivesOverThePseudoTerminal)
{
    TEmulatorProcess Emulator;
    ASSERT_FALSE(Emulator.Device().empty());
    TComPort Port;
    TComDataPacket Packet;
    Packet.StartString = "@";
    Packet.StopString = "$";
    std::mutex Lock;
    std::vector<std::string> Got;
    Packet.OnPacket = [&](TObject*, const std::string& Text) {
        std::lock_guard<std::mutex> Guard(Lock);
        Got.push_back(Text);
    };
    Packet.SetComPort(&Port);
    Port.SetPort(Emulator.Device());
    Port.BaudRate = br115200;
    Port.Open();
    ASSERT_TRUE(Port.Connected());
    const char Frame[] = "@E6 06 00$";
    ASSERT_EQ(Port.Write(Frame, sizeof Frame), static_cast<int>(sizeof Frame));
    ASSERT_TRUE(Emulator.WaitForFrames(1, ConditionWaitMs));
    EXPECT_EQ(Emulator.Frames()[0].Bytes, "@E6 06 00$<00>");
    // The acknowledgement and the drive report come back as packets.
    for (int i = 0; i < 300; ++i) {
        {
            std::lock_guard<std::mutex> Guard(Lock);
            if (Got.size() >= 2) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    {
        std::lock_guard<std::mutex> Guard(Lock);
        ASSERT_GE(Got.size(), 1u);
        EXPECT_EQ(Got[0], "06KOK!");
    }
    Port.Close();
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(Port.Write(Frame, 1), -1);
}

TEST(ComPort, NoticesWhenThePeerCutsTheLine)
{
    TEmulatorProcess Emulator;
    TComPort Port;
    Port.SetPort(Emulator.Device());
    Port.Open();
    ASSERT_TRUE(Emulator.Control("cut"));
    for (int i = 0; i < 300 && !Port.LineLost(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(Port.LineLost());
    EXPECT_EQ(Port.Write("@", 1), -1);
    Port.Close();
}

namespace {

// Waits, off the receive thread, until Done holds; false when it never does.
bool WaitUntil(const std::function<bool()>& Done)
{
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ConditionWaitMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > Deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

TEST(ComPort, TellsOfALineLostWhileNothingIsSentOnceAndBeforeItCloses)
{
    TEmulatorProcess Emulator;
    TComPort Port;
    std::atomic<int> Told{0};
    std::atomic<bool> OpenWhenTold{false};
    Port.OnLineLost = [&] {
        OpenWhenTold = Port.Connected();
        ++Told;
    };
    Port.SetPort(Emulator.Device());
    // Closing is no loss.
    Port.Open();
    Port.Close();
    EXPECT_EQ(Told.load(), 0);

    Port.Open();
    ASSERT_TRUE(Emulator.Control("cut"));
    ASSERT_TRUE(WaitUntil([&] { return Told.load() > 0; })) << "a line lost while idle went untold";
    // Told while the port still read as open: whoever hears of it first finds it lost,
    // never merely closed.
    EXPECT_TRUE(OpenWhenTold.load());
    ASSERT_TRUE(WaitUntil([&] { return !Port.Connected(); }));
    EXPECT_TRUE(Port.LineLost());
    // The same loss is not told again by a write that fails on it.
    EXPECT_EQ(Port.Write("@", 1), -1);
    Port.Close();
    EXPECT_EQ(Told.load(), 1);
}

TEST(ComPort, ClosesWhenTheDeviceGoesAndReopensAtOnceWhenItComesBack)
{
    // The port names a fixed path; behind it the instrument goes away and comes back on
    // a new terminal, as a serial adapter does when it is unplugged and plugged again.
    const std::string Path = ::testing::TempDir() + "zel_port_" + std::to_string(::getpid());
    std::remove(Path.c_str());
    auto First = std::make_unique<TEmulatorProcess>();
    ASSERT_EQ(::symlink(First->Device().c_str(), Path.c_str()), 0);
    TComPort Port;
    Port.SetPort(Path);
    Port.Open();
    ASSERT_TRUE(Port.Connected());
    ASSERT_TRUE(First->Control("cut"));
    for (int i = 0; i < 300 && Port.Connected(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(Port.Connected()) << "a port whose device has gone still reads as connected";
    First.reset();

    TEmulatorProcess Second;
    std::remove(Path.c_str());
    ASSERT_EQ(::symlink(Second.Device().c_str(), Path.c_str()), 0);
    Port.Open();
    ASSERT_TRUE(Port.Connected());
    EXPECT_FALSE(Port.LineLost());
    const char Frame[] = "@E6 06 00$";
    EXPECT_EQ(Port.Write(Frame, sizeof Frame), static_cast<int>(sizeof Frame));
    EXPECT_TRUE(Second.WaitForFrames(1, 3000));
    Port.Close();
    std::remove(Path.c_str());
}

TEST(ComPort, SetupDialogAppliesTheConfirmedChoiceOnly)
{
    TComPort Port;
    Port.SetPort("COM2");
    auto Previous = SetComSetupInterceptor([](TComSetupChoice& C) {
        EXPECT_EQ(C.Port, "COM2");
        EXPECT_EQ(C.BaudRate, br9600);
        C.Port = "COM4";
        C.BaudRate = br57600;
        C.StopBits = sbTwoStopBits;
        return true;
    });
    Port.ShowSetupDialog();
    EXPECT_EQ(Port.GetPort(), "COM4");
    EXPECT_EQ(Port.BaudRate, br57600);
    EXPECT_EQ(Port.StopBits, sbTwoStopBits);
    SetComSetupInterceptor([](TComSetupChoice& C) {
        C.Port = "COM9";
        return false;
    });
    Port.ShowSetupDialog();
    EXPECT_EQ(Port.GetPort(), "COM4");
    SetComSetupInterceptor(Previous);
}

TEST(PortSetup, OffersTheMachinesSerialDevicesInNameOrder)
{
    TTempDir Dir;
    for (const char* Name : {"ttyS10", "ttyS2", "ttyUSB0", "ttyACM1", "tty5", "ttyS", "console", "ttyUSBx"})
        WriteFileText(Dir.File(Name), "");
    const std::vector<std::string> Expected = {Dir.File("ttyACM1"), Dir.File("ttyS2"), Dir.File("ttyS10"),
                                               Dir.File("ttyUSB0"), Dir.File("ttyUSBx")};
    EXPECT_EQ(SerialDevices(Dir.Path()), Expected);
    EXPECT_TRUE(SerialDevices(Dir.File("missing")).empty());
}
