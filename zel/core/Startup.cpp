#include "zel/core/Startup.h"

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "zel/core/Common.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Umain.h"
#include "zel/core/Umsg.h"
#include "zel/core/Uprogress.h"
#include "zel/core/Ustatus.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"
#include "zel/accessories/Eudctrl.h"
#include "zel/accessories/Ucylindermembranedepositionctrl.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/accessories/Ufilmpreparation.h"
#include "zel/accessories/Urolldepositionctrl.h"
#include "zel/accessories/Utapedepositionctrl.h"
#include "zel/accessories/Utdarctrl.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Uisothermcontrol.h"
#include "zel/trough/Udepposinfo.h"
#include "zel/trough/Udippingcontrol.h"
#include "zel/trough/Ulbl.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

bool StartUpWindowsMade = false;

// One entry per window created at start-up, in creation order. Create makes the window
// and sets its global pointer; Destroy deletes it and clears the pointer.
struct TWindowEntry {
    std::function<void()> Create;
    std::function<void()> Destroy;
};

template <class TWindow>
TWindowEntry Window(TWindow*& Global)
{
    return {[&Global] { Global = CreateForm<TWindow>(nullptr); },
            [&Global] {
                if (Global) FreeForm(Global);
                Global = nullptr;
            }};
}

// The main window comes first: every other window's creation may reach it. The progress
// window is the second of the program's windows, the status window the twelfth and the
// confirmation box the fourteenth; the windows of the other modules take their places
// between them.
std::vector<TWindowEntry> ProgramWindows()
{
    return {
        Window(FMain),
        Window(FProgress),
        Window(FCalibrateDevice),
        Window(FDepFB),
        Window(FExpSetup),
        Window(FManualCtrl),
        Window(FManualCtrl2),
        Window(FPumpCtrl),
        Window(FIsothermCtrl),
        Window(FDepositionCtrl),
        Window(FDippingCtrl),
        Window(FStatus),
        Window(FScriptCtrl),
        Window(FMsg),
        Window(FDepPosInfo),
        Window(FLbl),
        Window(FTapeDepositionCtrl),
        Window(FRollDepositionCtrl),
        Window(FDiskDepositionCtrl),
        Window(FCylinderMembraneDepositionCtrl),
        Window(FTDARCtrl),
        Window(FEudCtrl),
        Window(FFilmPreparation),
    };
}

}  // namespace

void HideWindowsOfDeviceType()
{
    if (DeviceType != dtLbl) return;
    for (TToolWindowKind kind : {TToolWindowKind::DepositionFB, TToolWindowKind::ExpSetup})
        if (TToolWindow* window = TToolWindow::Find(kind)) window->Hide();
}

bool ProgramStarted() { return StartUpWindowsMade; }

void RunProgram()
{
    const std::vector<TWindowEntry> windows = ProgramWindows();
    size_t created = 0;
    TForm* lastStartUpWindow = nullptr;
    StartUpWindowsMade = false;
    // Making the other windows costs more than making the main window, so the operator
    // sees the main window first. They are made in their order right after its first
    // paint, ahead of every event that waited for it (a window reaches another only
    // when that one exists). A window that fails to be made ends the program, as it
    // did when all windows were made before the loop ran.
    const auto makeTheOtherWindows = [&] {
        try {
            for (; created < windows.size(); ++created) windows[created].Create();
            lastStartUpWindow = NewestCreatedForm();
            HideWindowsOfDeviceType();
            StartUpWindowsMade = true;
        } catch (...) {
            Application->HandleException(std::current_exception());
            Application->Terminate();
        }
    };
    try {
        InitCommon();
        windows[created].Create();
        ++created;
        if (MainForm()) MainForm()->Show();
        Application->AfterFirstPaint(MainForm(), makeTheOtherWindows);
        Application->Run();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
    StartUpWindowsMade = false;
    Application->BeginShutdown();
    // Windows opened while the program ran (graphs) go first, newest first, each saving
    // its own section; then the start-up windows in reverse order.
    try {
        if (created == windows.size()) DestroyFormsNewerThan(lastStartUpWindow);
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
    // The main window is created first and destroyed last: its destroy handler ends
    // with DoneCommon, so the settings file outlives every other window's save.
    while (created > 0) {
        --created;
        try {
            windows[created].Destroy();
        } catch (...) {
            Application->HandleException(std::current_exception());
        }
    }
    if (IniFile) DoneCommon();
}
