// The program's folder as the windows' tests set it up: a temporary folder with the
// program file named in it and its zel.ini, every dialog recorded; and a tool window made
// there as the program makes it, with the recording link bound to the link provider.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "kvc/KvMultiLang.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "support_link/RecordingLink.h"
#include "zel/core/Common.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"

class TProgramFolderFixture : public ::testing::Test {
protected:
    // Reads the settings with zel.ini's text as given (empty: no file).
    void StartCommon(const std::string& Ini)
    {
        if (!Ini.empty()) WriteFileText(Dir.File("zel.ini"), Ini);
        Application->SetExeName(Dir.File("zel"));
        InitCommon();
    }
    // Ends every window (each keeps its settings) and then the settings file.
    void EndCommon()
    {
        DestroyForms();
        if (IniFile) DoneCommon();
    }
    void TearDown() override
    {
        EndCommon();
        Application->SetExeName(SavedExe);
    }

    TTempDir Dir;
    TDialogRecorder Dialogs;
    std::string SavedExe = Application->ExeName();
};

// The recording link bound to the provider, as the tool windows find it once the program
// has loaded its link; the device state starts from zeros.
class TLinkedProgramFixture : public TProgramFolderFixture {
protected:
    void SetUp() override
    {
        ASSERT_NE(Library.Link, nullptr);
        HlProvider.Link = Library.Link;
        DeviceState = TDeviceState{};
    }
    void TearDown() override
    {
        TProgramFolderFixture::TearDown();
        HlProvider.Link = nullptr;
        DeviceState = TDeviceState{};
        MultiLang = nullptr;
    }
    // Reads the settings as StartCommon does, with the link bound again (a test may have
    // ended the program and taken it away).
    void StartLinked(const std::string& Ini)
    {
        StartCommon(Ini);
        HlProvider.Link = Library.Link;
    }
    // The windows take their texts from a language file of this text until the test ends.
    void UseLanguage(const std::string& Text)
    {
        Language = std::make_unique<KVC::TKvMultiLang>(nullptr);
        Language->LangFileName = Dir.File("test.lng");
        WriteFileText(Language->LangFileName, Text);
        MultiLang = Language.get();
    }
    TRecordingLink& Link() { return *Library.Link; }
    // The lines sent since the last call.
    std::vector<std::string> Sent()
    {
        std::vector<std::string> lines = Link().Lines();
        Link().ClearCalls();
        return lines;
    }

    TRecordingLinkLibrary Library;
    std::unique_ptr<KVC::TKvMultiLang> Language;
};

// One tool window of the program, created over the linked program folder.
template <class TWindow>
class TToolWindowFixture : public TLinkedProgramFixture {
protected:
    // zel.ini's text before the window is created (empty: no file).
    virtual void Start(const std::string& Ini)
    {
        StartLinked(Ini);
        Window = CreateForm<TWindow>(nullptr);
    }
    // The window ends (keeping its settings) and is made again from zel.ini as it is on
    // disk; what the first one sent is dropped.
    void Restart()
    {
        EndCommon();
        Link().ClearCalls();
        Start("");
    }
    void TearDown() override
    {
        TLinkedProgramFixture::TearDown();
        Window = nullptr;
    }

    TWindow* Window = nullptr;
};
