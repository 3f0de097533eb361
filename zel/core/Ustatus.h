// TFStatus: the status window that always shows the device's readings and the running
// process; and the reading texts it shares with the main window's status bar.
#pragma once
#include <string>
#include "hwzel/hwzel.h"
#include "platform/ui/StdCtrls.h"
#include "zel/core/Toolwindow.h"
#include "zel/core/Windowroles.h"

// Surface pressure of a balance reading, limited to AppSettings.ADCDataAccuracy decimals.
std::string PressureText(std::uint32_t Balance);
// A value in fixed notation with the given decimals (10 significant digits).
std::string FixedText(double Value, int Decimals);
// The revolver cell under the dipper: -1 when the dipper rotator stands at no stored
// position, 0 over the trough or a ring that does not exist.
int CellOfState(const TDeviceState& State);

class TFStatus : public TToolWindow, public IReadingsWindow {
public:
    explicit TFStatus(TComponent* Owner);
    ~TFStatus() override;

    TGroupBox* grpStatus;
    TMemo* mmoStatus;
    TGroupBox* GBProcess;
    TMemo* Memo;

    void ShowConnected(bool Connected);
    void RefreshIndicators() override;
    void SetProcessList(const TStringList& Lines);

protected:
    void PrepareWindow() override;
};

extern TFStatus* FStatus;
