// The real link module, loaded by file name, talking to the emulator over a real
// pseudo-terminal, with a recording window as its notify target.
#pragma once
#include <gtest/gtest.h>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include "EmulatorProcess.h"
#include "NotifyRecorder.h"
#include "TestSupport.h"
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"
#include "platform/base/IniFiles.h"

// The received-data log goes to the current folder; tests that read it work in a
// folder of their own, since test programs run side by side in one folder.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::string& Folder) : FPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(Folder);
    }
    ~TCurrentFolder() { std::filesystem::current_path(FPrevious); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::filesystem::path FPrevious;
};

class LinkFixture : public ::testing::Test {
protected:
    struct TSettings {
        int Repeats = 4;
        int TimeoutMs = 1000;
        bool Log = false;
    };

    void Start(const std::vector<std::string>& EmulatorOptions, TSettings Settings)
    {
        Emulator = std::make_unique<TEmulatorProcess>(EmulatorOptions);
        ASSERT_FALSE(Emulator->Device().empty()) << "the emulator did not start";
        Module.SetFileName(ProgramDir() + "/hwzel.so");
        ASSERT_TRUE(Module.GetLoaded()) << Module.LoadError();
        auto Create = reinterpret_cast<TCreateHardwareLinkFunc>(GetProcAddress(Module.Handle, CreateHardwareLinkName));
        Destroy = reinterpret_cast<TDestroyHardwareLinkFunc>(GetProcAddress(Module.Handle, DestroyHardwareLinkName));
        ASSERT_TRUE(Create && Destroy);
        Link = Create();
        ASSERT_NE(Link, nullptr);
        SettingsFile = Dir.File("zel.ini");
        TIniFile Ini(SettingsFile);
        Ini.WriteString("PortSettings", "Port", Emulator->Device());
        Ini.WriteInteger("PortSettings", "BaudRate", 13);
        Ini.WriteInteger("PortSettings", "NumRepeatCommand", Settings.Repeats);
        Ini.WriteInteger("PortSettings", "ComfirmationCmdTimeout", Settings.TimeoutMs);
        Ini.WriteBool("PortSettings", "LogRecivedData", Settings.Log);
        Link->SetNotifyTarget(Notes.Handle(), WM_LINKNOTIFY);
        Link->SetSettingsFile(0, SettingsFile.c_str());
        Link->LoadSettings();
        ASSERT_TRUE(Link->Connect());
    }
    void Start(const std::vector<std::string>& EmulatorOptions = {}) { Start(EmulatorOptions, TSettings{}); }

    void TearDown() override
    {
        if (Link) Destroy(Link);
        Link = nullptr;
        Emulator.reset();
    }

    // Frames the emulator received, as text with "<00>" for the zero byte.
    std::vector<std::string> FrameTexts() const { return Emulator->FrameTexts(); }
    std::vector<std::string> FrameTexts(std::size_t Count) const { return Emulator->FrameTexts(Count); }

    // Lets posted notifications arrive.
    void Settle(unsigned Ms = 200)
    {
        Application->ProcessMessagesUntil([] { return false; }, Ms);
    }

    std::vector<std::string> ErrorTexts() const
    {
        std::vector<std::string> R;
        for (const TNote& N : Notes.WithCode(hlnErrorText)) R.push_back(N.Text);
        return R;
    }

    TTempDir Dir;
    std::string SettingsFile;
    std::unique_ptr<TEmulatorProcess> Emulator;
    TCustomDLL Module;
    TDestroyHardwareLinkFunc Destroy = nullptr;
    IHardwareLink* Link = nullptr;
    TNotifyRecorder Notes;
};
