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
#include "zel/experiment/Graphmanager.h"
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
        // The last sign of life is counted on the test's clock, so the watchdog cannot
        // find the instrument silent however slowly the test runs.
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

    TFExpSetup* ExpSetup = nullptr;
    DWORD Tick = 100000;
};
