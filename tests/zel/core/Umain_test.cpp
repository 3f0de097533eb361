// The main window on real widgets: library binding and its boxes, the link calls, the
// device types, actions and short cuts, language, settings and shut-down.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "MainWindowFixture.h"
#include "kvc/KvMultiLang.h"
#include "platform/base/IniFiles.h"

namespace {

using TMainWindow = TMainWindowFixture;

TEST_F(TMainWindow, StartsWithoutSettingsShowingBothLibraryBoxesInEnglish)
{
    // A language file that would translate both texts: the boxes come before it is read.
    ForceLanguage();
    Start("");
    ASSERT_EQ(Dialogs.Requests.size(), 2u);
    EXPECT_EQ(Dialogs.Requests[0].Text, "Error of loading filer ");
    EXPECT_EQ(Dialogs.Requests[0].Flags, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(Dialogs.Requests[1].Text, "Error of loading hardware library ");
    EXPECT_EQ(Dialogs.Requests[1].Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(Main->GetCaption(), "Zelmora control");
    EXPECT_EQ(Main->GetWindowState(), wsMaximized);
    EXPECT_EQ(Main->StatusBar->PanelCount(), 9);
    EXPECT_EQ(Main->StatusBar->Panels(0)->GetText(), "Disconnected");
    EXPECT_EQ(Main->StatusBar->Panels(5)->GetText(), "Process: None");
    EXPECT_EQ(HlProvider.Link, nullptr);
    EXPECT_EQ(GetResString("Error of loading filer", "Error of loading filer"), "Fehler beim Laden des Filers");

    // Without a link the device actions do nothing but the status text.
    Main->AConnect->Execute();
    Main->AInit->Execute();
    Main->ADisconnect->Execute();
    EXPECT_EQ(Main->StatusBar->Panels(0)->GetText(), "Getrennt");
}

TEST_F(TMainWindow, BindsTheLinkAndCallsItInOrderWithoutSendingALine)
{
    Start("[Common]\n" + Libraries());
    EXPECT_TRUE(Dialogs.Requests.empty());
    EXPECT_NE(Filer, nullptr);
    ASSERT_NE(Link(), nullptr);
    const std::vector<TLinkCall> calls = Link()->Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].Operation, TLinkOperation::SetNotifyTarget);
    EXPECT_EQ(calls[0].Window, Main->Handle());
    EXPECT_EQ(calls[0].Message, 3024u);
    EXPECT_EQ(calls[1].Operation, TLinkOperation::SetSettingsFile);
    EXPECT_EQ(calls[1].Reserved, 0);
    EXPECT_EQ(calls[1].Text, Dir.File("zel.ini"));
    EXPECT_EQ(calls[2].Operation, TLinkOperation::LoadSettings);
    EXPECT_EQ(calls[3].Operation, TLinkOperation::Connect);
    EXPECT_TRUE(Link()->Lines().empty());
}

TEST_F(TMainWindow, DeviceTypeSetsCaptionActionsAndStatusPanels)
{
    struct Case {
        const char* DeviceType;
        const char* Caption;
        int Panels;
        bool TroughActions;
    };
    const Case cases[] = {
        {"LBL", "Lbl control", 6, false},
        {"zel", "Zelmora control", 6, true},
        {"Combined", "Zelmora control", 9, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.DeviceType);
        Start(std::string("[Common]\nDeviceType=") + c.DeviceType + "\n" + Libraries());
        EXPECT_EQ(Main->GetCaption(), c.Caption);
        EXPECT_EQ(Main->StatusBar->PanelCount(), c.Panels);
        for (TAction* action : {Main->AViewExperimentalSetup, Main->actViewDepositionFB, Main->AViewIsothermCtrl,
                                Main->AViewDepositionCtrl, Main->AViewDippingCtrl, Main->AFileOpen, Main->AFileSave})
            EXPECT_EQ(action->GetEnabled(), c.TroughActions) << action->Name;
        EXPECT_TRUE(Main->AConnect->GetEnabled());
        TearDown();
    }
}

TEST_F(TMainWindow, ActionsComeInOrderWithTheirShortCuts)
{
    Start("[Common]\n" + Libraries());
    const char* names[] = {"AFileOpen",
                           "AHelpAbout",
                           "AFileSave",
                           "AFileSettings",
                           "AFileExit",
                           "AViewExperimentalSetup",
                           "AViewManualControl",
                           "AViewCalibrate",
                           "actViewDepositionFB",
                           "AViewIsothermCtrl",
                           "AViewDepositionCtrl",
                           "AViewDippingCtrl",
                           "AHrdwSetup",
                           "AShowBuffer",
                           "AConnect",
                           "ADisconnect",
                           "AHelpDeviceInfo",
                           "AInit",
                           "AViewScriptCtrl",
                           "actViewRollDepositionCtrl",
                           "actViewTapeDepositionCtrl",
                           "actViewManualControl2",
                           "actViewDiskDepositionCtrl",
                           "actViewCylinderMembraneDepositionCtrl",
                           "actViewTDARCtrl",
                           "actHelp",
                           "actViewLBL",
                           "actViewEUD",
                           "actViewFilmPreparation",
                           "actViewPumpControl"};
    ASSERT_EQ(Main->ActionList->ActionCount(), 30);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(Main->ActionList->Actions(i)->Name, names[i]);
    EXPECT_EQ(ShortCutToText(Main->AFileOpen->GetShortCut()), "Ctrl+O");
    EXPECT_EQ(ShortCutToText(Main->AFileSave->GetShortCut()), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(Main->AShowBuffer->GetShortCut()), "Ctrl+Alt+T");
    EXPECT_EQ(ShortCutToText(Main->actHelp->GetShortCut()), "F1");
    EXPECT_EQ(Main->MainMenu->FindItem("MIFileOpen")->GetAction(), Main->AFileOpen);
    EXPECT_FALSE(Main->MainMenu->FindItem("ManualControl21")->GetVisible());

    // The traffic monitor's short cut works though no menu shows it; Ctrl+S with no
    // child window active sends nothing.
    Main->Show();
    Link()->ClearCalls();
    QKeyEvent monitor(QEvent::KeyPress, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    QApplication::sendEvent(Main->Widget(), &monitor);
    QKeyEvent save(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
    QApplication::sendEvent(Main->Widget(), &save);
    Main->AHrdwSetup->Execute();
    EXPECT_EQ(Link()->Lines(), (std::vector<std::string>{"ShowBuffer", "ShowSetup"}));
    const std::vector<TLinkCall> calls = Link()->Calls();
    EXPECT_FALSE(calls[0].HasResult);
    EXPECT_EQ(calls[0].ResultSize, 0);
}

TEST_F(TMainWindow, SaveGoesToTheActiveChildWindowAndTheWindowMenuArrangesThem)
{
    Start("[Common]\n" + Libraries());
    Main->SetWindowState(wsNormal);
    Main->SetBounds(0, 0, 900, 600);
    Main->Show();
    std::vector<TForm*> children;
    std::vector<int> saves(2, 0);
    for (int i = 0; i < 2; ++i) {
        auto* child = CreateForm<TForm>(nullptr);
        child->SetCaption("Graph " + std::to_string(i));
        child->SetFormStyle(fsMDIChild);
        child->Show();
        child->AttachHook({nullptr, [&saves, i](TMessage& m) {
                               if (m.Msg == WM_SAVE && m.WParam == 0 && m.LParam == 0) ++saves[static_cast<size_t>(i)];
                           }});
        children.push_back(child);
    }
    ASSERT_EQ(Main->MDIChildCount(), 2);
    children[1]->BringToFront();
    Application->ProcessMessages();
    TForm* active = Main->ActiveMDIChild();
    ASSERT_NE(active, nullptr);
    QKeyEvent save(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier);
    QApplication::sendEvent(Main->Widget(), &save);
    EXPECT_EQ(saves[0] + saves[1], 1);
    EXPECT_EQ(saves[active == children[0] ? 0 : 1], 1);

    auto menuItem = [&](const char* name) { return Main->MainMenu->FindItem(name); };
    menuItem("Tilevertical1")->Click();
    EXPECT_EQ(children[0]->GetTop(), children[1]->GetTop());
    EXPECT_NE(children[0]->GetLeft(), children[1]->GetLeft());
    menuItem("Tilehorizontal1")->Click();
    EXPECT_EQ(children[0]->GetLeft(), children[1]->GetLeft());
    EXPECT_NE(children[0]->GetTop(), children[1]->GetTop());
    menuItem("Cascade1")->Click();
    EXPECT_NE(children[0]->GetLeft(), children[1]->GetLeft());
    EXPECT_NE(children[0]->GetTop(), children[1]->GetTop());
    Main->WindowMenuClick(Main->AConnect);  // a sender that is no menu item does nothing
}

TEST_F(TMainWindow, InitSendsOnlyWhileConnected)
{
    Start("[Common]\n" + Libraries());
    Link()->ClearCalls();
    Link()->SetConnected(false);
    Main->AInit->Execute();
    EXPECT_TRUE(Link()->Lines().empty());
    Link()->SetConnected(true);
    Main->AInit->Execute();
    const std::vector<std::string> lines = Link()->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("InputFlowInterval", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("CLBCoeff=", 0), 0u) << lines[1];

    Link()->ConnectResult = true;
    Main->StatusBar->Panels(0)->SetText("");
    Main->AConnect->Execute();
    EXPECT_EQ(Main->StatusBar->Panels(0)->GetText(), "Connected");
    Main->ADisconnect->Execute();
    EXPECT_EQ(Main->StatusBar->Panels(0)->GetText(), "Disconnected");
}

TEST_F(TMainWindow, LanguageFileTranslatesMenusAndHintsButNotActionCaptions)
{
    ForceLanguage();
    Start("[Common]\nLangFileName=C:\\elsewhere\\german.lng\n" + Libraries());
    EXPECT_EQ(Main->MultiLang->LangFileName, Dir.File("Language/german.lng"));
    EXPECT_EQ(Main->MainMenu->FindItem("MIFile")->GetCaption(), "Datei");
    EXPECT_EQ(Main->MainMenu->FindItem("MIFileOpen")->GetCaption(), "Oeffnen");
    EXPECT_EQ(Main->MainMenu->FindItem("MIFileSave")->GetCaption(), "Save");  // no key: keeps its caption
    EXPECT_EQ(Main->AFileOpen->GetCaption(), "Open");
    EXPECT_EQ(Main->AConnect->GetHint(), "Verbindung aufnehmen");
    EXPECT_EQ(Main->AFileOpen->GetHint(), "");  // no key: an empty hint
    EXPECT_EQ(Main->ToolBar->Buttons(0)->GetHint(), "");
    EXPECT_EQ(GetResString("Connected", "Connected"), "Verbunden");
}

TEST_F(TMainWindow, ShutDownSavesTheLinkDisconnectsThenWritesItsSettings)
{
    Start("[Common]\nLangFileName=german.lng\n" + Libraries() +
          "[Settings]\nUpdateStatusInterval=700\nADCDataAccuracy=260\n");
    EXPECT_EQ(AppSettings.UpdateStatusInterval, 700u);
    EXPECT_EQ(AppSettings.ADCDataAccuracy, 3u);  // out of the dialog's range: the default
    EXPECT_EQ(Main->ResponseTimeout, 3000);
    Link()->ClearCalls();
    Main->FormDestroy(Main);
    Main->OnDestroy = nullptr;
    const std::vector<TLinkCall> calls = Link()->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Operation, TLinkOperation::SaveSettings);
    EXPECT_EQ(calls[1].Operation, TLinkOperation::Disconnect);
    EXPECT_EQ(IniFile, nullptr);
    TIniFile ini(Dir.File("zel.ini"));
    EXPECT_EQ(ini.ReadString("Common", "LangFileName", ""), Dir.File("Language/german.lng"));
    EXPECT_EQ(ini.ReadString("Settings", "UpdateStatusInterval", ""), "700");
    EXPECT_EQ(ini.ReadString("Settings", "UpdateReceivedDataInterval", ""), "500");
    EXPECT_EQ(ini.ReadString("Settings", "ADCDataAccuracy", ""), "3");
    EXPECT_FALSE(ini.ValueExists("Settings", "DeviceResponseMaxTimeInterval"));
    EXPECT_FALSE(ini.ValueExists("Common", "Simulate"));
}

TEST_F(TMainWindow, NumericSettingsOutsideTheirDialogsRangeAreTheDefault)
{
    struct TCase {
        const char* Settings;
        std::uint32_t StatusInterval, ReceivedInterval;
        unsigned Accuracy;
        int ResponseTimeout;
    };
    const TCase Cases[] = {
        {"ADCDataAccuracy=9\n", 500, 500, 3, 3000},
        {"ADCDataAccuracy=255\n", 500, 500, 3, 3000},
        {"ADCDataAccuracy=-1\n", 500, 500, 3, 3000},
        {"ADCDataAccuracy=0\nUpdateStatusInterval=100\nUpdateReceivedDataInterval=10000\n", 100, 10000, 0, 3000},
        {"UpdateStatusInterval=0\nUpdateReceivedDataInterval=99\n", 500, 500, 3, 3000},
        {"UpdateStatusInterval=-5\nUpdateReceivedDataInterval=10001\n", 500, 500, 3, 3000},
        {"DeviceResponseMaxTimeInterval=0\n", 500, 500, 3, 3000},
        {"DeviceResponseMaxTimeInterval=-100\n", 500, 500, 3, 3000},
        {"DeviceResponseMaxTimeInterval=5000\n", 500, 500, 3, 5000},
    };
    Start("[Common]\n" + Libraries());
    for (const TCase& C : Cases) {
        // Values the dialog allows but that differ from the defaults come first, so a
        // default is never taken over from the case before.
        WriteFileText(Dir.File("zel.ini"), "[Common]\n" + Libraries() +
                                               "[Settings]\nADCDataAccuracy=1\nUpdateStatusInterval=900\n"
                                               "UpdateReceivedDataInterval=900\nDeviceResponseMaxTimeInterval=900\n");
        Main->LoadSettings();
        ASSERT_EQ(AppSettings.ADCDataAccuracy, 1u);
        WriteFileText(Dir.File("zel.ini"), "[Common]\n" + Libraries() + "[Settings]\n" + C.Settings);
        Main->LoadSettings();
        EXPECT_EQ(AppSettings.UpdateStatusInterval, C.StatusInterval) << C.Settings;
        EXPECT_EQ(AppSettings.UpdateReceivedDataInterval, C.ReceivedInterval) << C.Settings;
        EXPECT_EQ(AppSettings.ADCDataAccuracy, C.Accuracy) << C.Settings;
        EXPECT_EQ(Main->ResponseTimeout, C.ResponseTimeout) << C.Settings;
    }
}

}  // namespace
