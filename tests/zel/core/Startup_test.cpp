// The program's start-up as the program runs it: every window created at start-up, seen
// from the message loop, with the frame its design gives it.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <map>
#include <string>

#include "MainWindowFixture.h"
#include "zel/accessories/Ucylindermembranedepositionctrl.h"
#include "zel/accessories/Udiskdepositionctrl.h"
#include "zel/accessories/Eudctrl.h"
#include "zel/accessories/Ufilmpreparation.h"
#include "zel/accessories/Urolldepositionctrl.h"
#include "zel/accessories/Utdarctrl.h"
#include "zel/accessories/Utapedepositionctrl.h"
#include "zel/core/Startup.h"
#include "zel/core/Uabout.h"
#include "zel/core/Udeviceinfo.h"
#include "zel/core/Usettings.h"
#include "zel/experiment/Ugraph.h"
#include "zel/core/Umsg.h"
#include "zel/core/Uprogress.h"
#include "zel/core/Ustatus.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/manual/Ucalibratedevice.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"
#include "zel/trough/Udepfb.h"
#include "zel/trough/Udepositioncontrol.h"
#include "zel/trough/Udepposinfo.h"
#include "zel/trough/Udippingcontrol.h"
#include "zel/trough/Uisothermcontrol.h"
#include "zel/trough/Uscriptctrl.h"

namespace {

using TProgramStart = TMainWindowFixture;

TEST_F(TProgramStart, EveryStartUpWindowHasTheFrameOfItsDesign)
{
    // Every dockable window floats, so that its own frame shows; the watchdog stays out of
    // reach however long the start takes.
    std::string ini = "[Common]\n" + Libraries() + "[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n";
    for (const char* section :
         {"ManualControl", "ManualControl2", "PumpControl", "IsothermControl", "DepositionControl", "DippingControl",
          "RollDepositionCtrl", "TapeDepositionCtrl", "DiskDepositionCtrl", "CylinderMembraneDepositionCtrl",
          "TDARCtrl", "EudControl", "FilmPreparationControl"})
        ini += std::string("[") + section + "]\nDocked=0\n";
    WriteFileText(Dir.File("zel.ini"), ini);
    Application->SetExeName(Dir.File("zel"));

    struct Case {
        const char* Window;
        std::function<TForm*()> Form;
        const char* Frame;
    };
    const Case cases[] = {
        {"main", [] { return FMain; }, "window, titled, maximisable"},
        {"progress", [] { return FProgress; }, "window, frameless, on top, fixed"},
        {"calibration", [] { return FCalibrateDevice; }, "tool, titled, on top, fixed"},
        {"deposition feedback", [] { return FDepFB; }, "child, titled, fixed"},
        {"experiment set-up", [] { return FExpSetup; }, "child, titled, maximisable"},
        {"manual", [] { return FManualCtrl; }, "tool, titled, on top, fixed"},
        {"layer-by-layer manual", [] { return FManualCtrl2; }, "tool, titled, on top, fixed"},
        {"pump", [] { return FPumpCtrl; }, "tool, titled, on top, fixed"},
        {"isotherm", [] { return FIsothermCtrl; }, "tool, titled, on top, fixed"},
        {"deposition", [] { return FDepositionCtrl; }, "tool, titled, on top, fixed"},
        {"dipping", [] { return FDippingCtrl; }, "tool, titled, on top, fixed"},
        {"status", [] { return FStatus; }, "tool, titled, on top, fixed"},
        {"script", [] { return FScriptCtrl; }, "tool, titled, on top"},
        {"deposition confirmation", [] { return FMsg; }, "dialog, titled, on top, fixed"},
        {"dipper position", [] { return FDepPosInfo; }, "tool, titled, on top, fixed"},
        {"tape", [] { return FTapeDepositionCtrl; }, "tool, titled, on top, fixed"},
        {"roll", [] { return FRollDepositionCtrl; }, "tool, titled, on top, fixed"},
        {"disk", [] { return FDiskDepositionCtrl; }, "tool, titled, on top, fixed"},
        {"cylinder membrane", [] { return FCylinderMembraneDepositionCtrl; }, "tool, titled, on top, fixed"},
        {"tape deposition and rinse", [] { return FTDARCtrl; }, "tool, titled, on top, fixed"},
        {"EUD", [] { return FEudCtrl; }, "window, titled, maximisable"},
        {"film preparation", [] { return FFilmPreparation; }, "tool, titled, on top, fixed"},
    };
    // Looked at from inside the running message loop, then the program is ended.
    std::map<std::string, std::string> seen;
    LookOnceStarted([&] {
        for (const Case& c : cases)
            if (TForm* form = c.Form()) seen[c.Window] = WindowFrame(form);
    });
    RunProgram();
    Application->CancelShutdown();

    for (const Case& c : cases) {
        ASSERT_TRUE(seen.count(c.Window)) << c.Window << " was not created";
        EXPECT_EQ(seen[c.Window], c.Frame) << c.Window;
    }
}

// The operator sees the main window first: the other windows are made right after its
// first paint, before the program handles anything else.
TEST_F(TProgramStart, MainWindowPaintsBeforeTheOtherWindowsAreMade)
{
    WriteFileText(Dir.File("zel.ini"),
                  "[Common]\n" + Libraries() + "[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n");
    Application->SetExeName(Dir.File("zel"));
    struct TFirstPaint : QObject {
        bool Painted = false;
        std::string MadeBy;
        bool eventFilter(QObject* Target, QEvent* Event) override
        {
            if (Painted || Event->type() != QEvent::Paint || !FMain || Target != FMain->Widget()->window())
                return false;
            Painted = true;
            for (TForm* other :
                 {static_cast<TForm*>(FProgress), static_cast<TForm*>(FStatus), static_cast<TForm*>(FFilmPreparation)})
                if (other) MadeBy += other->Name + " ";
            return false;
        }
    } firstPaint;
    QCoreApplication::instance()->installEventFilter(&firstPaint);
    bool started = false;
    LookOnceStarted([&] { started = FProgress && FStatus && FFilmPreparation; });
    RunProgram();
    Application->CancelShutdown();
    QCoreApplication::instance()->removeEventFilter(&firstPaint);
    EXPECT_TRUE(firstPaint.Painted);
    EXPECT_EQ(firstPaint.MadeBy, "");
    EXPECT_TRUE(started);
    // The program's end destroyed them all.
    EXPECT_EQ(FProgress, nullptr);
    EXPECT_FALSE(ProgramStarted());
}

// The windows are drawn for a narrower font than the desktop's: every caption, choice and
// title must still show whole, in every window the program makes, floating and docked.
TEST_F(TProgramStart, EveryWindowShowsItsTextsWhole)
{
    for (const char* docked : {"0", "1"}) {
        std::string ini = "[Common]\n" + Libraries() + "[Settings]\nDeviceResponseMaxTimeInterval=2000000000\n";
        for (const char* section :
             {"ManualControl", "ManualControl2", "PumpControl", "IsothermControl", "DepositionControl",
              "DippingControl", "RollDepositionCtrl", "TapeDepositionCtrl", "DiskDepositionCtrl",
              "CylinderMembraneDepositionCtrl", "TDARCtrl", "EudControl", "FilmPreparationControl"})
            ini += std::string("[") + section + "]\nDocked=" + docked + "\n";
        WriteFileText(Dir.File("zel.ini"), ini);
        Application->SetExeName(Dir.File("zel"));
        std::vector<std::string> faults;
        int looked = 0;
        LookOnceStarted([&] {
            // The dialogs and a graph window, made as the menus and the processes make them.
            CreateForm<TFSettings>(nullptr);
            CreateForm<TFAbout>(nullptr);
            CreateForm<TFDeviceInfo>(nullptr);
            CreateForm<TFGraph>(nullptr);
            for (int i = 0; i < Screen->FormCount(); ++i) {
                TForm* form = Screen->Forms(i);
                if (form == FMain) continue;
                form->Show();
                ++looked;
            }
            Application->ProcessMessages();
            for (int i = 0; i < Screen->FormCount(); ++i) {
                TForm* form = Screen->Forms(i);
                // A docked window is looked at on its own page.
                if (!form->Floating()) FMain->ActivateDockPage(form->GetCaption());
                Application->ProcessMessages();
                // With the dock area open, the child windows share what is left of this
                // small test screen; the floating run looks at them whole.
                if (*docked == '1' && form->Floating()) continue;
                for (const std::string& fault : ClippedTexts(form)) faults.push_back(fault);
            }
        });
        RunProgram();
        Application->CancelShutdown();
        EXPECT_GT(looked, 25) << "docked " << docked;
        for (const std::string& fault : faults) ADD_FAILURE() << "docked " << docked << ": " << fault;
    }
}

}  // namespace
