// TFMain: the program's main window. The frame of the child windows, with the menus, the
// tool bar, the actions, the status bar, the dock area on its right and the three timers;
// it binds the device link library and the data-set filer library, connects the link and
// runs the shut-down.
#pragma once
#include <memory>
#include <string>
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/base/Strings.h"
#include "platform/ui/Timers.h"
#include "zel/core/Common.h"
#include "zel/core/Instrument.h"
#include "zel/core/Toolwindow.h"

class TSimulation;
namespace KVC {
class TKvMultiLang;
}

class TFMain : public TForm {
public:
    explicit TFMain(TComponent* Owner);
    ~TFMain() override;

    // Components, named as the window names them.
    TControlBar* ControlBar;
    TToolBar* ToolBar;
    TStatusBar* StatusBar;
    TPanel* pnlDock;
    TSplitter* splDock;  // widens and narrows the dock area
    TPanel* pnlTabCaption;
    TPageControl* pgcDock;
    KVC::TKvMultiLang* MultiLang;
    TActionList* ActionList;
    TMainMenu* MainMenu;
    TMenuItem* miWindow;
    TTimer* MemCleanTimer;
    TTimer* SimulateTimer;
    TTimer* UpdateProcessTimer;

    // Actions, in the list's order.
    TAction *AFileOpen, *AHelpAbout, *AFileSave, *AFileSettings, *AFileExit, *AViewExperimentalSetup,
        *AViewManualControl, *AViewCalibrate, *actViewDepositionFB, *AViewIsothermCtrl, *AViewDepositionCtrl,
        *AViewDippingCtrl, *AHrdwSetup, *AShowBuffer, *AConnect, *ADisconnect, *AHelpDeviceInfo, *AInit,
        *AViewScriptCtrl, *actViewRollDepositionCtrl, *actViewTapeDepositionCtrl, *actViewManualControl2,
        *actViewDiskDepositionCtrl, *actViewCylinderMembraneDepositionCtrl, *actViewTDARCtrl, *actHelp, *actViewLBL,
        *actViewEUD, *actViewFilmPreparation, *actViewPumpControl;

    // Data members.
    TProcessKind ProcessKind = pkNone;
    std::unique_ptr<TCustomDLL> FilerLibrary;
    std::unique_ptr<TCustomDLL> LinkLibrary;
    bool Simulate = false;
    TForm* ScriptWindow = nullptr;
    std::unique_ptr<TStringList> ProcessNames;
    bool ProcessNamesChanged = false;
    DWORD LastResponseTick = 0;
    int ResponseTimeout = 3000;

    // Invents the device's reports while Simulate is set and a process runs.
    std::unique_ptr<TSimulation> Simulation;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void LoadSettings();
    void SaveSettings();

    // Language.
    void ApplyLanguage();
    void ApplyMenuLanguage(TMenuItem* Item);
    void ChangeLanguage(const std::string& Path);

    // Dock area.
    void ShowDockPanel();
    void UpdateDockPanel();
    void UpdateDockCaption();
    // The dock area as wide as the window on its active page needs, never narrower than
    // its design: a wide window widens it only while it is shown, and the child area
    // keeps the rest.
    void FitDockToActivePage();
    void ActivateDockPage(const std::string& Caption);
    // The site checks of the dock area and of the control bar for a window the operator
    // drags: each takes the windows the other refuses.
    bool DockAreaAccepts(TForm* Client) const;
    bool ControlBarAccepts(TForm* Client) const;

    // The view action of a window kind (null for windows without one).
    TAction* ViewAction(TToolWindowKind Kind) const;

    // Action handlers.
    void AFileOpenExecute(TObject* Sender);
    void AFileSaveExecute(TObject* Sender);
    void AFileExitExecute(TObject* Sender);
    void AViewExperimentalSetupExecute(TObject* Sender);
    void AViewCalibrateExecute(TObject* Sender);
    void actViewDepositionFBExecute(TObject* Sender);
    void AViewScriptCtrlExecute(TObject* Sender);
    void actViewLBLExecute(TObject* Sender);
    void AHrdwSetupExecute(TObject* Sender);
    void AShowBufferExecute(TObject* Sender);
    void AConnectExecute(TObject* Sender);
    void ADisconnectExecute(TObject* Sender);
    void AInitExecute(TObject* Sender);
    void actHelpExecute(TObject* Sender);
    void AFileSettingsExecute(TObject* Sender);
    void AHelpDeviceInfoExecute(TObject* Sender);
    void AHelpAboutExecute(TObject* Sender);
    void WindowMenuClick(TObject* Sender);
    // A view of a window that may be docked: brought forward on its dock page, or
    // brought to the front (shown) when it floats or sits in the control bar.
    void ViewDockable(TToolWindowKind Kind);

    // Timers.
    void MemCleanTimerTimer(TObject* Sender);
    void UpdateProcessTimerTimer(TObject* Sender);
    void SimulateTimerTimer(TObject* Sender);

    // The device's notifications and the running process.
    void WMLinkNotify(TMessage& Message);
    void WMShowMessage(TMessage& Message);
    // Routes one notification to the window that owns it; 1 for every routed code, the
    // device value for a conversion request, 0 for any other code.
    std::int32_t OnLinkNotify(WPARAM Code, LPARAM Payload);
    void UpdateResponseTick();
    void UpdateStatus();
    void SetProcess(TProcessKind Kind);
    void SetProcessList(const TStringList* List);
    void SetProcessText(const std::string& Text);

protected:
    void WndProc(TMessage& Message) override;

private:
    void ShowLinkError(LPARAM Payload);
    // The line to the device went without the operator's Disconnect: the link is
    // disconnected and every run under way ends as failed, its rows saved.
    void EndRunsOnLostLine();
    void ShowDipperOutOfRange(LPARAM Payload);
    void ShowRollLimitSwitch(LPARAM Payload);
    void AskReconnect();
    // The watchdog's view of the link and the status refresh's last tick.
    bool FConnected = false;
    bool FReconnectQuestionOpen = false;
    bool FSilenceQuestioned = false;
    bool FClosing = false;  // from the start of the destructor on
    DWORD FLastStatusTick = 0;
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void BindFiler();
    void BindLink();
    void ReleaseLink();
};

extern TFMain* FMain;
