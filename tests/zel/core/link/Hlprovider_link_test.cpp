// The hardware provider through the real link module to the instrument emulator: the
// lines the provider writes arrive at the instrument as the exact packets, and the
// queries bring the instrument's answers back to the caller.
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "hwzel/EmulatorProcess.h"
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"
#include "platform/base/IniFiles.h"
#include "platform/ui/Messages.h"
#include "support/TestSupport.h"
#include "zel/core/Clb_unit.h"
#include "zel/core/Hlprovider.h"

namespace {

class HlProviderLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Emulator = std::make_unique<TEmulatorProcess>(std::vector<std::string>{"--name", "Film Trough E2E"});
        ASSERT_FALSE(Emulator->Device().empty()) << "the emulator did not start";
        Module.SetFileName(ProgramDir() + "hwzel.so");
        ASSERT_TRUE(Module.GetLoaded()) << Module.LoadError();
        const auto Create =
            reinterpret_cast<TCreateHardwareLinkFunc>(GetProcAddress(Module.Handle, CreateHardwareLinkName));
        Destroy = reinterpret_cast<TDestroyHardwareLinkFunc>(GetProcAddress(Module.Handle, DestroyHardwareLinkName));
        ASSERT_TRUE(Create && Destroy);
        Link = Create();
        ASSERT_NE(Link, nullptr);

        const std::string SettingsFile = Dir.File("zel.ini");
        TIniFile Ini(SettingsFile);
        Ini.WriteString("PortSettings", "Port", Emulator->Device());
        Ini.WriteInteger("PortSettings", "BaudRate", 13);
        // The program's start-up order.
        Link->SetNotifyTarget(Window.Handle(), WM_LINKNOTIFY);
        Link->SetSettingsFile(0, SettingsFile.c_str());
        Link->LoadSettings();
        ASSERT_TRUE(Link->Connect());
        HlProvider.Link = Link;
    }

    void TearDown() override
    {
        HlProvider.Link = nullptr;
        if (Link && Destroy) Destroy(Link);
        Emulator.reset();
    }

    std::vector<std::string> Frames() const { return Emulator->FrameTexts(); }

    TTempDir Dir;
    TMessageTarget Window;  // takes the link's notifications and ignores them
    std::unique_ptr<TEmulatorProcess> Emulator;
    TCustomDLL Module;
    TDestroyHardwareLinkFunc Destroy = nullptr;
    IHardwareLink* Link = nullptr;
};

TEST_F(HlProviderLinkTest, ProviderLinesReachTheInstrumentAsExactPackets)
{
    HlProvider.SetBarrier1Speed(0x1F4);
    HlProvider.Barrier1MoveLeft(0x100);
    HlProvider.Barrier1Stop();
    HlProvider.SetDepOpenPressure(static_cast<std::uint16_t>(70000));
    HlProvider.SetCLBCoeff(TClbCoeff{0x00000100, 0x000002D8, 0x0000FF00, 0x00000000});
    // The queries wait for their replies, so every line before them has gone out.
    const TClbCoeff Coeff = HlProvider.GetCLBCoeff();
    std::string Name;
    HlProvider.GetDeviceName(Name);
    HlProvider.StartIsotherm();

    ASSERT_TRUE(Emulator->WaitForFrames(8, ConditionWaitMs));
    // "@", the payload's 8-bit sum in hex, a blank, the payload, "$" and a zero byte.
    EXPECT_EQ(Frames(), (std::vector<std::string>{
                            "@9D 01 01 000001F4$<00>",
                            "@85 03 01 00000100$<00>",
                            "@86 03 03 00000000$<00>",
                            "@A6 07 0F 00001170$<00>",
                            "@B4 01 08 00000100 000002D8 0000FF00 00000000$<00>",
                            "@EA 02 08$<00>",
                            "@0E 02 FF$<00>",
                            "@E7 06 01$<00>",
                        }));
    EXPECT_EQ(Coeff.hwMin, 0x00000100u);
    EXPECT_EQ(Coeff.shMin, 0x000002D8u);
    EXPECT_EQ(Coeff.hwMax, 0x0000FF00u);
    EXPECT_EQ(Coeff.shMax, 0x00000000u);
    EXPECT_EQ(Name, "Film Trough E2E");
}

}  // namespace
