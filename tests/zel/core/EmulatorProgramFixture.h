// The program against the instrument emulator: the main window loads the real link module
// as its link, which talks to the emulator (the demonstration trough, sped up) over a
// pseudo-terminal, and the real filer.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "hwzel/EmulatorProcess.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/MainWindowFixture.h"
#include "zel/experiment/Usedatasetmanager.h"

class TEmulatorProgramFixture : public TMainWindowFixture {
public:
    // The demonstration trough the start script describes and the emulator models: 400
    // steps per mm, speed codes in steps per second, a 7.5 cm wide film of 240 cm², both
    // balances at 11296 counts on a clean surface and 100 counts fewer per mN/m, and 20 µL
    // of 1 mg/mL stearic acid spread.
    static std::string DemoTroughSettings()
    {
        std::string ini = "[CalibrateParam]\n";
        for (const char* drive : {"barrier1", "barrier2", "dipper"}) {
            const std::string name = drive;
            for (const char* pair : {"Fclk=1", "FclkDivide=1", "uSteps=1", "numStepsPerOborot=400", "gear=1",
                                     "vintStep=1", "hwMin=0", "zeroHw=0", "minSpeed=0.01", "maxSpeed=2", "old=0"})
                ini += name + "." + pair + "\n";
            ini += name + ".hwMax=" + (name == "dipper" ? "40000" : "58000") + "\n";
        }
        // The accessories' drives take the same speed codes: steps per second.
        for (const char* drive : {"doser", "rotatingBarrier", "tape", "diskDipper", "cylDipper"})
            for (const char* pair : {"Fclk=1", "FclkDivide=1", "uSteps=1", "old=0"})
                ini += std::string(drive) + "." + pair + "\n";
        for (const char* balance : {"ballance", "doserBallance"})
            ini += std::string(balance) + ".shMin=0\n" + balance + ".shMax=72\n" + balance + ".hwMin=4096\n" + balance +
                   ".hwMax=11296\n";
        return ini +
               "surface.length=7.5\nsurface.squareMin=22.5\nsurface.squareMax=240\n"
               "[ExpSetupForm]\nCompoundName=Stearic acid\nAliquot=0.02\nCompositionCount=1\n"
               "SolName0=Stearic acid\nM_ind0=284.48\nm_par0=0.001\n";
    }

protected:
    // Starts the emulator with its options, then the program with more [Common] lines and
    // the sections after the port's in zel.ini. The start raises no dialog.
    void StartLinked(const std::vector<std::string>& Options, const std::string& CommonIni, const std::string& MoreIni)
    {
        Emulator = std::make_unique<TEmulatorProcess>(Options);
        ASSERT_FALSE(Emulator->Device().empty()) << "the emulator did not start";
        Start("[Common]\n" + CommonIni + "HLFileName=" + RecordingLinkFolder() +
              "hwzel.so\nFilerDllFileName=" + RecordingLinkFolder() +
              "zelfiler.so\n[PortSettings]\nPort=" + Emulator->Device() + "\nBaudRate=13\n" + MoreIni);
        ASSERT_TRUE(Dialogs.Requests.empty()) << Dialogs.Requests[0].Text;
    }
    void TearDown() override
    {
        TMainWindowFixture::TearDown();
        UseDataSetManager.Collect();
        // The calibration the main window loaded goes back to this program folder now,
        // while it still exists, not when the test program ends.
        CalibrateParam.SaveAtExit();
        Emulator.reset();
        DeviceState = TDeviceState{};
    }

    std::unique_ptr<TEmulatorProcess> Emulator;
};
