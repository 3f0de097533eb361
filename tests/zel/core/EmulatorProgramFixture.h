// The program against the instrument emulator: the main window loads the real link module
// as its link, which talks to the emulator over a pseudo-terminal, and the real filer.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "hwzel/EmulatorProcess.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/MainWindowFixture.h"
#include "zel/experiment/Usedatasetmanager.h"

class TEmulatorProgramFixture : public TMainWindowFixture {
protected:
    // The balance reads 100 mN/m less 0.1 mN/m per count.
    static constexpr const char* BalanceIni =
        "[CalibrateParam]\nballance.shMin=0\nballance.shMax=100\nballance.hwMin=0\nballance.hwMax=1000\n";

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
