// The traffic monitor: a real link on the emulator's pseudo-terminal, the window's real
// controls on the offscreen platform.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "../EmulatorProcess.h"
#include "TestSupport.h"
#include "hwzel/Ushowbuffer.h"
#include "hwzel/ZelComLink.h"
#include "platform/kvcls/kvcls.h"
#include "platform/ui/Application.h"
#include "platform/base/IniFiles.h"

namespace {

std::vector<std::string> MemoLines()
{
    std::vector<std::string> R;
    const TStringList Lines = FShowBuffer->Memo->GetLines();
    for (int i = 0; i < Lines.Count(); ++i) R.push_back(Lines[i]);
    return R;
}

bool MemoHas(const std::string& Line)
{
    for (const std::string& L : MemoLines())
        if (L == Line) return true;
    return false;
}

// The packet text as the receive side hands it over: checksum digits and body.
std::string Received(const std::string& Body) { return SumDigits(Body) + Body; }

class Monitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Emulator.Device().empty());
        const std::string File = Dir.File("zel.ini");
        TIniFile Ini(File);
        Ini.WriteString("PortSettings", "Port", Emulator.Device());
        Ini.WriteInteger("PortSettings", "BaudRate", 13);
        Link = std::make_unique<TZelComLink>();
        Link->SetSettingsFile(0, File.c_str());
        Link->LoadSettings();
        ASSERT_TRUE(Link->Connect());
        Link->SendCommand("ShowBuffer", nullptr, 0);
        ASSERT_NE(FShowBuffer, nullptr);
    }
    void TearDown() override { Link.reset(); }

    bool WaitMemo(const std::string& Line, unsigned TimeoutMs = ConditionWaitMs)
    {
        return Application->ProcessMessagesUntil([&] { return MemoHas(Line); }, TimeoutMs);
    }
    // Has the emulator send the packet, then a marker packet that always reaches the
    // memo, and waits for the marker: the packet before it has been shown by then.
    void Report(const std::string& Body)
    {
        char Marker[16];
        std::snprintf(Marker, sizeof Marker, "M09 %04X", ++FMarkers);
        ASSERT_TRUE(Emulator.Control("send " + Body));
        ASSERT_TRUE(Emulator.Control(std::string("send ") + Marker));
        ASSERT_TRUE(WaitMemo("received: " + Received(Marker)));
    }
    // The memo without the marker lines.
    static std::vector<std::string> Shown()
    {
        std::vector<std::string> R;
        for (const std::string& L : MemoLines())
            if (L.find("M09 ") == std::string::npos) R.push_back(L);
        return R;
    }

    int FMarkers = 0;
    TTempDir Dir;
    TEmulatorProcess Emulator;
    std::unique_ptr<TZelComLink> Link;
};

}  // namespace

TEST_F(Monitor, ShowsSentAndReceivedLines)
{
    EXPECT_TRUE(FShowBuffer->GetVisible());
    EXPECT_EQ(FShowBuffer->GetCaption(), "Buffer");
    EXPECT_EQ(WindowFrame(FShowBuffer), "tool, titled, on top");
    EXPECT_EQ(FShowBuffer->tsRawBuffer->GetCaption(), "Raw");
    EXPECT_EQ(FShowBuffer->tsDecodedI->GetCaption(), "Decoded");
    EXPECT_TRUE(FShowBuffer->CBShowRecive->GetChecked());
    EXPECT_TRUE(FShowBuffer->chkRemoveInfoFromRawData->GetChecked());
    Link->SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(WaitMemo("received: " + Received("KOK!")));
    EXPECT_EQ(MemoLines().front(), "sent: @83 03 00 00000000$");
}

TEST_F(Monitor, InfoPacketsGoToTheDecodedPage)
{
    const std::string Inf = "IINF 000003E8 00001388 00000200 00000150 00000160";
    Report(Inf);
    EXPECT_EQ(FShowBuffer->txtInf->GetCaption(), Received(Inf));
    EXPECT_TRUE(Shown().empty()) << "the info line stays out of the raw view";
    // Kinds without a decoded line always go to the raw view.
    Report("IDDP 1 2 3 4");
    EXPECT_TRUE(MemoHas("received: " + Received("IDDP 1 2 3 4")));

    FShowBuffer->chkRemoveInfoFromRawData->SetChecked(false);
    Report("IIZT 1 2 3 4");
    EXPECT_EQ(FShowBuffer->txtIzt->GetCaption(), Received("IIZT 1 2 3 4"));
    EXPECT_TRUE(MemoHas("received: " + Received("IIZT 1 2 3 4")));
    EXPECT_EQ(FShowBuffer->txtInf->GetCaption(), Received(Inf));
    EXPECT_EQ(FShowBuffer->txtDep->GetCaption(), "");
}

TEST_F(Monitor, UntickedReceiveDropsReceivedLinesOnly)
{
    FShowBuffer->CBShowRecive->SetChecked(false);
    ASSERT_TRUE(Emulator.Control("send IINF 1 2 3 4 5"));
    ASSERT_TRUE(Emulator.Control("send IDDP 1 2 3 4"));
    Link->SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(WaitMemo("sent: @83 03 00 00000000$"));
    Application->ProcessMessagesUntil([] { return false; }, 300);
    EXPECT_EQ(MemoLines(), std::vector<std::string>{"sent: @83 03 00 00000000$"});
    EXPECT_EQ(FShowBuffer->txtInf->GetCaption(), "");
    // A spoiled packet is still shown.
    Link->PacketReceived(nullptr, "06KOk!");
    ASSERT_TRUE(WaitMemo("Err CheckSum: 06KOk!"));
}

TEST_F(Monitor, SendWritesTheTypedLineAsItIs)
{
    FShowBuffer->EDSend->SetText("hi$");
    FShowBuffer->BBSend->Click();
    EXPECT_EQ(MemoLines(), std::vector<std::string>{"Send:hi$"});
    // Not a frame: the instrument sees the three bytes alone, with no zero byte after them.
    ASSERT_TRUE(Emulator.WaitFor(
        [](const std::vector<std::string>& Lines) {
            std::size_t Bad = 0;
            for (const std::string& L : Lines) Bad += L.find("byte outside a frame") != std::string::npos;
            return Bad >= 3;
        },
        3000));
    EXPECT_TRUE(Emulator.Frames().empty());

    Link->Disconnect();
    FShowBuffer->EDSend->SetText("again");
    FShowBuffer->BBSend->Click();
    EXPECT_EQ(MemoLines(), std::vector<std::string>{"Send:hi$"}) << "a closed port sends and shows nothing";

    FShowBuffer->BBClear->Click();
    EXPECT_TRUE(MemoLines().empty());
}

TEST_F(Monitor, ClosingHidesAndShowingAgainKeepsTheLines)
{
    Link->SendCommand("DriveAllStop", nullptr, 0);
    ASSERT_TRUE(WaitMemo("received: " + Received("M04 00")));
    Application->ProcessMessagesUntil([] { return false; }, 100);
    std::vector<std::string> Before = MemoLines();
    TFShowBuffer* Window = FShowBuffer;
    Window->Close();
    EXPECT_FALSE(Window->GetVisible());
    // Hidden, it keeps collecting.
    Report("IDDP 1 2 3 4");
    Link->SendCommand("ShowBuffer", nullptr, 0);
    EXPECT_EQ(FShowBuffer, Window);
    EXPECT_TRUE(Window->GetVisible());
    Before.push_back("received: " + Received("IDDP 1 2 3 4"));
    EXPECT_EQ(Shown(), Before);
}

TEST_F(Monitor, GoesWithItsLink)
{
    Link.reset();
    EXPECT_EQ(FShowBuffer, nullptr);
}

TEST(MonitorPlacement, FirstShowCentresOnTheMainForm)
{
    auto* Main = new TForm(nullptr);
    Main->EndLoading();
    Main->SetBounds(100, 80, 800, 600);
    SetMainForm(Main);
    Main->Show();
    {
        TZelComLink Link;
        Link.SendCommand("ShowBuffer", nullptr, 0);
        ASSERT_NE(FShowBuffer, nullptr);
        const int W = FShowBuffer->GetWidth(), H = FShowBuffer->GetHeight();
        EXPECT_EQ(FShowBuffer->GetLeft(), 100 + (800 - W) / 2);
        EXPECT_EQ(FShowBuffer->GetTop(), 80 + (600 - H) / 2);
        // Moved by the operator, it stays where it was put when shown again.
        FShowBuffer->SetBounds(10, 20, W, H);
        FShowBuffer->Close();
        Link.SendCommand("ShowBuffer", nullptr, 0);
        EXPECT_EQ(FShowBuffer->GetLeft(), 10);
        EXPECT_EQ(FShowBuffer->GetTop(), 20);
    }
    SetMainForm(nullptr);
    FreeForm(Main);
}

TEST(MonitorModule, ExportsTheWindowPointer)
{
    TCustomDLL Module;
    Module.SetFileName(ProgramDir() + "/hwzel.so");
    ASSERT_TRUE(Module.GetLoaded()) << Module.LoadError();
    auto** Window = reinterpret_cast<void**>(GetProcAddress(Module.Handle, ShowBufferName));
    ASSERT_NE(Window, nullptr);
    auto Create = reinterpret_cast<TCreateHardwareLinkFunc>(GetProcAddress(Module.Handle, CreateHardwareLinkName));
    auto Destroy = reinterpret_cast<TDestroyHardwareLinkFunc>(GetProcAddress(Module.Handle, DestroyHardwareLinkName));
    ASSERT_TRUE(Create && Destroy);
    IHardwareLink* ModuleLink = Create();
    EXPECT_EQ(*Window, nullptr);
    ModuleLink->SendCommand("ShowBuffer", nullptr, 0);
    EXPECT_NE(*Window, nullptr);
    Destroy(ModuleLink);
    EXPECT_EQ(*Window, nullptr);
}
