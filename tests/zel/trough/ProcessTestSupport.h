// The program as the process windows meet it: a program folder with its zel.ini naming
// the recording link and the filer module, the main window, the experiment register
// window, and a recorder of the rows-added messages a window receives.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "zel/core/MainWindowFixture.h"
#include "platform/ui/Timers.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Common.h"
#include "zel/experiment/Graphmanager.h"
#include "zel/experiment/Sxproperty.h"
#include "zel/experiment/Uexpsetup.h"
#include "zel/experiment/Ugraph.h"
#include "zel/experiment/Usedatasetmanager.h"

// Every WM_ROWSADDED that reaches a control, with its table and row range.
class TRowsAddedRecorder {
public:
    struct TEntry {
        ISXDataField* Table;
        std::uint32_t First, Last;
    };
    explicit TRowsAddedRecorder(TControl* Control) : FControl(Control)
    {
        FId = Control->AttachHook({nullptr, [this](TMessage& M) {
                                       if (M.Msg == WM_ROWSADDED)
                                           Entries.push_back({reinterpret_cast<ISXDataField*>(M.WParam),
                                                              RowsAddedFirst(M.LParam), RowsAddedLast(M.LParam)});
                                   }});
    }
    ~TRowsAddedRecorder() { FControl->DetachHook(FId); }
    std::vector<TEntry> Entries;

private:
    TControl* FControl;
    THookId FId;
};

// The line of a balance: ShMin..ShMax mN/m of tension over HwMin..HwMax counts.
struct TBalanceLine {
    double ShMin, ShMax, HwMin, HwMax;

    static TBalanceLine Of(TClbBallance& Balance)
    {
        return {Balance.GetShMin(), Balance.GetShMax(), Balance.GetHwMin(), Balance.GetHwMax()};
    }
    void SetTo(TClbBallance& Balance) const
    {
        Balance.SetShMin(ShMin);
        Balance.SetShMax(ShMax);
        Balance.SetHwMin(HwMin);
        Balance.SetHwMax(HwMax);
        Balance.Recalc();
    }
};

class TProcessFixture : public TMainWindowFixture {
protected:
    void StartProgram(const std::string& MoreIni = "")
    {
        Start("[Common]\n" + Libraries() + MoreIni);
        ASSERT_NE(Link(), nullptr);
        ASSERT_NE(Filer, nullptr);
        ExpSetup = CreateForm<TFExpSetup>(nullptr);
        FExpSetup = ExpSetup;  // as the start-up table makes it
        ExpSetup->CBCompoundName->SetText("DPPC");
        ExpSetup->CBUserName->SetText("Ann");
        SetTickCountSource([this] { return Tick; });
        // The device counts as heard now, so the watchdog never asks during a test.
        Main->UpdateResponseTick();
    }
    // Moves the program's clock on; the device counts as heard at the new time.
    void Advance(DWORD Milliseconds)
    {
        Tick += Milliseconds;
        Main->UpdateResponseTick();
    }
    void TearDown() override
    {
        SetTickCountSource({});
        TMainWindowFixture::TearDown();
        UseDataSetManager.Collect();
        // The calibration the main window loaded goes back to this program folder now,
        // while it still exists, not when the test program ends.
        CalibrateParam.SaveAtExit();
        FSavedBalance.SetTo(CalibrateParam.ballance);
        AppSettings.UpdateReceivedDataInterval = FSavedInterval;
    }
    static void SetBalance(double ShMin, double ShMax, double HwMin, double HwMax)
    {
        TBalanceLine{ShMin, ShMax, HwMin, HwMax}.SetTo(CalibrateParam.ballance);
    }
    // The newest graph window, or null.
    TFGraph* LastGraph() const
    {
        const TFGraphVector& graphs = GraphManager.Graphs();
        return graphs.empty() ? nullptr : graphs.back();
    }
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const TDialogRequest& r : Dialogs.Requests) texts.push_back(r.Text);
        return texts;
    }
    // The link reports the instrument gone, as its sender does after the last attempt.
    void LoseLink()
    {
        static const char NotResponding[] = "Device not responding";
        Main->OnLinkNotify(hlnErrorText, reinterpret_cast<LPARAM>(NotResponding));
        Application->ProcessMessages();
    }
    // What the operator is told when the line goes during a run.
    static std::vector<std::string> LostLinkTexts()
    {
        return {"Device not responding", "Process failed: the connection to the device was lost."};
    }
    // The rows of a table in the set file as it is on disk; -1 when the file or the table
    // cannot be read.
    static int RowsIn(const std::string& FileName, const char* TableName)
    {
        ISXDataSet* loaded = LoadDataSet(FileName);
        if (!loaded) return -1;
        TPTableData table(loaded->FindField(ZelTableCategory, TableName));
        const int rows = table.Valid ? table.GetNumRows() : -1;
        UseDataSetManager.Release(loaded);
        return rows;
    }

    TFExpSetup* ExpSetup = nullptr;
    DWORD Tick = 100000;
    // The calibration is one object for the whole test program: what a test sets of the
    // balance and the refresh interval goes back when it ends.
    TBalanceLine FSavedBalance = TBalanceLine::Of(CalibrateParam.ballance);
    std::uint32_t FSavedInterval = AppSettings.UpdateReceivedDataInterval;
};
