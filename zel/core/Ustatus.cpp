#include "zel/core/Ustatus.h"

#include <cmath>

#include "platform/base/FloatFormat.h"
#include "platform/ui/ControlBuilder.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"

TFStatus* FStatus = nullptr;

std::string PressureText(std::uint32_t Balance)
{
    return FloatToStrF(CalibrateParam.ballance.HwToSP(Balance, true), ffFixed, 10, AppSettings.ADCDataAccuracy);
}

std::string FixedText(double Value, int Decimals) { return FloatToStrF(Value, ffFixed, 10, Decimals); }

int CellOfState(const TDeviceState& State)
{
    const int ring = CalibrateParam.dipperRotator.FindRing(static_cast<std::int32_t>(State.dipperRotatorPos));
    if (ring < 0) return -1;
    // The revolver turns by relative moves only, so its count may stand for several
    // turns: the cell is found from the angle within one turn.
    double degrees = std::fmod(CalibrateParam.revolver.HwToSh(State.revolverPos), 360.0);
    if (degrees < 0) degrees += 360.0;
    return CalibrateParam.revolver.AngleToCell(ring, DoubleToInt32(degrees));
}

namespace {
constexpr int Margin = 8, GroupWidth = 160;
}

TFStatus::TFStatus(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Status)
{
    SetUpForm(this, "FStatus", "Status", fsStayOnTop, bsToolWindow);
    grpStatus = new TGroupBox(this);
    grpStatus->Name = "grpStatus";
    grpStatus->SetCaption(" Status ");
    grpStatus->SetBounds(Margin, Margin, GroupWidth, 150);
    grpStatus->SetParent(this);
    mmoStatus = new TMemo(this);
    mmoStatus->Name = "mmoStatus";
    mmoStatus->SetReadOnly(true);
    mmoStatus->SetAlign(alClient);
    mmoStatus->SetParent(grpStatus);
    GBProcess = new TGroupBox(this);
    GBProcess->Name = "GBProcess";
    GBProcess->SetCaption(" Process ");
    GBProcess->SetBounds(Margin, 2 * Margin + 150, GroupWidth, 90);
    GBProcess->SetParent(this);
    Memo = new TMemo(this);
    Memo->Name = "Memo";
    Memo->SetReadOnly(true);
    Memo->SetAlign(alClient);
    Memo->SetParent(GBProcess);
    SetBounds(0, 0, 2 * grpStatus->GetLeft() + grpStatus->GetWidth(), 3 * Margin + 240);
    // It stays on top for the whole run: without a stored place it keeps to the corner,
    // away from where the other windows open.
    Position = poCorner;
    // The window lives for the whole run: the operator cannot close it.
    OnClose = [](TObject*, TCloseAction& Action) { Action = caNone; };
    FStatus = this;
}

TFStatus::~TFStatus()
{
    if (FStatus == this) FStatus = nullptr;
}

void TFStatus::PrepareWindow()
{
    mmoStatus->Clear();
    Memo->Clear();
    IHardwareLink* link = HlProvider.Link;
    ShowConnected(link && link->IsConnected());
    SetVisible(true);
}

void TFStatus::ShowConnected(bool Connected)
{
    mmoStatus->Font()->SetColor(Connected ? RGB(0, 0, 128) : RGB(128, 128, 128));
}

void TFStatus::RefreshIndicators()
{
    TCalibrateParam& clb = CalibrateParam;
    const TDeviceState& state = DeviceState;
    TStringList lines;
    if (DeviceType != dtLbl) {
        lines.Add("SP: " + PressureText(state.balance));
        lines.Add("BPos: " +
                  FixedText(clb.barrier1.HwToSh(static_cast<std::uint32_t>(state.barrier1Pos + state.barrier2Pos)), 1));
        lines.Add("Square: " + FixedText(clb.surface.PositionToArea(state.barrier1Pos, state.barrier2Pos), 1));
    }
    lines.Add("DPos: " + FixedText(clb.dipper.HwToSh(state.dipperPos), 1));
    if (DeviceType != dtTrough) {
        lines.Add("DRot: " + FixedText(clb.dipperRotator.HwToSh(state.dipperRotatorPos), 1));
        lines.Add("Rev: " + FixedText(clb.revolver.HwToSh(state.revolverPos), 1));
        lines.Add("Cell: " + std::to_string(CellOfState(state)));
    }
    mmoStatus->SetLines(lines);
}

void TFStatus::SetProcessList(const TStringList& Lines) { Memo->SetLines(Lines); }
