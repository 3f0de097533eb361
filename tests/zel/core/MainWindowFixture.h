// A program folder in a temporary folder, with its zel.ini, and the main window built
// in it the way the program builds it; shared by the main window's and the window
// pattern's tests.
#pragma once
#include <gtest/gtest.h>

#include <QTimer>
#include <functional>
#include <string>

#include "platform/base/FileDates.h"
#include "zel/core/ProgramFixture.h"
#include "zel/core/Startup.h"
#include "zel/core/Umain.h"

class TMainWindowFixture : public TProgramFolderFixture {
protected:
    // zel.ini's text before the program starts (empty: no file).
    void Start(const std::string& Ini)
    {
        StartCommon(Ini);
        Main = CreateForm<TFMain>(nullptr);
        // The watchdog asks its question from this timer once the link has been silent for
        // a few seconds of real time, which a busy machine reaches in any test. Its own
        // tests call the timer's handler with a stepped clock; the rest run without it.
        Main->UpdateProcessTimer->SetEnabled(false);
    }
    // The zel.ini lines naming the recording link and the real filer module.
    std::string Libraries() const
    {
        return "HLFileName=" + RecordingLinkFolder() + RecordingLinkFileName +
               "\nFilerDllFileName=" + RecordingLinkFolder() + "zelfiler.so\n";
    }
    // A language file under both names the tests use, in the program's Language folder.
    void ForceLanguage()
    {
        const std::string text =
            "[Menu]\nMIFile=Datei\nMIFileOpen=Oeffnen\n"
            "[ActionHint]\nAConnect=Verbindung aufnehmen\n"
            "[Resource]\nError of loading filer=Fehler beim Laden des Filers\n"
            "Error of loading hardware library=Fehler beim Laden der Geraetebibliothek\n"
            "Connected=Verbunden\nDisconnected=Getrennt\n"
            "[IsothermCtrl]\n0=Isotherme\n1=\n2=Zyklen\n4=Nie\n";
        ForceDirectories(Dir.File("Language"));
        WriteFileText(Dir.File("Language/english.lng"), text);
        WriteFileText(Dir.File("Language/german.lng"), text);
    }
    TRecordingLink* Link() const { return HlProvider.Link ? TRecordingLink::From(HlProvider.Link) : nullptr; }

    void TearDown() override
    {
        TProgramFolderFixture::TearDown();
        ResourceStrings->Clear();
        Filer = nullptr;
        HlProvider.Link = nullptr;
        DeviceState = TDeviceState{};
    }

    TFMain* Main = nullptr;
};

// Runs Look from inside the program's message loop once every start-up window exists,
// then ends the program.
inline void LookOnceStarted(const std::function<void()>& Look)
{
    QTimer::singleShot(0, [Look] {
        if (Application->ProcessMessagesUntil(ProgramStarted, 60000))
            Look();
        else
            ADD_FAILURE() << "the start-up windows were not made";
        Application->Terminate();
    });
}
