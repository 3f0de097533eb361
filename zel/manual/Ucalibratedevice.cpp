#include "zel/manual/Ucalibratedevice.h"
#include "platform/ui/ControlBuilder.h"

#include <string>

#include "platform/base/FloatFormat.h"
#include "platform/ui/TabVisibility.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/core/Ustatus.h"
#include "zel/core/Uwait.h"
#include "zel/accessories/Ufilmpreparation.h"
#include "zel/manual/Umanualcontrol.h"
#include "zel/manual/Umanualcontrol2.h"
#include "zel/manual/Upumpcontrol.h"

TFCalibrateDevice* FCalibrateDevice = nullptr;

// ---------------------------------------------------------------------------------------
// Log of ring positions

LogFileCtrl::LogFileCtrl() : FFile(std::fopen((AppPath + "log.txt").c_str(), "w")) {}

LogFileCtrl::~LogFileCtrl()
{
    if (FFile) std::fclose(FFile);
}

void LogFileCtrl::RingLine(const char* Format, int Ring, int Position)
{
    if (!FFile) return;
    std::fprintf(FFile, Format, Ring, static_cast<unsigned>(Position));
    std::fflush(FFile);
}

// ---------------------------------------------------------------------------------------
// Building the window

namespace {

// Balance readings are shown relative to the middle of the ADC's range.
constexpr double AdcMiddle = 4095;

KVC::TKvEdit* MakeFloatEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Decimals)
{
    auto* edit = MakeControl<KVC::TKvEdit>(Owner, Parent, Name, "", Left, Top, 70, 21);
    edit->SetTypeValue(KVC::tvFloat);
    edit->SetSigned(true);
    if (Decimals < 0) {
        // The platform's plain float text.
        edit->FloatFormat = ffGeneral;
        edit->FloatPrecision = 15;
        edit->FloatDigits = 0;
    } else {
        edit->FloatFormat = ffFixed;
        edit->FloatPrecision = 10;
        edit->FloatDigits = Decimals;
    }
    return edit;
}

std::string IntText(double Value) { return std::to_string(DoubleToInt32(Value)); }

}  // namespace

TFCalibrateDevice::TFCalibrateDevice(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Calibration)
{
    Name = "FCalibrateDevice";
    HandleNotice(hlnDrivesStopped, [this](LPARAM) { OnDrivesStopped(); });
    SetCaption("Calibrate Device");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    SetBounds(0, 0, 470, 420);
    PageControl = MakeControl<TPageControl>(this, this, "PageControl", "", 4, 4, 460, 340);
    PageControl->DockSite = false;
    tsLB = new TTabSheet(this, PageControl);
    tsLB->Name = "tsLB";
    tsLB->SetCaption("LB");
    tsLBL = new TTabSheet(this, PageControl);
    tsLBL->Name = "tsLBL";
    tsLBL->SetCaption("LBL");
    tsDoser = new TTabSheet(this, PageControl);
    tsDoser->Name = "tsDoser";
    tsDoser->SetCaption("Doser");
    tsPump = new TTabSheet(this, PageControl);
    tsPump->Name = "tsPump";
    tsPump->SetCaption("Peristaltic Pump");
    BuildPageLB();
    BuildPageLBL();
    BuildPageDoser();
    BuildPagePump();
    SBStoreCalibrate = MakeControl<TButton>(this, this, "SBStoreCalibrate", "Store calibrate", 330, 352, 130, 25);
    SBStoreCalibrate->OnClick = [this](TObject* S) { SBStoreCalibrateClick(S); };
    SBStoreCalibrate->SetEnabled(false);
    tmrPeristalticPump = new TTimer();
    tmrPeristalticPump->SetEnabled(false);
    tmrPeristalticPump->OnTimer = [this](TObject* S) { tmrPeristalticPumpTimer(S); };
    HideForDeviceType();
    FCalibrateDevice = this;
}

TFCalibrateDevice::~TFCalibrateDevice()
{
    // An open wait box must not call back into a window that is gone.
    CloseWaitBox();
    delete tmrPeristalticPump;
    if (FCalibrateDevice == this) FCalibrateDevice = nullptr;
}

void TFCalibrateDevice::BuildPageLB()
{
    GBSquare = MakeControl<TGroupBox>(this, tsLB, "GBSquare", "Square", 8, 8, 250, 120);
    BBSquareMax = MakeControl<TButton>(this, GBSquare, "BBSquareMax", "Barrier: Smax", 8, 20, 90, 23);
    BBSquareMin = MakeControl<TButton>(this, GBSquare, "BBSquareMin", "Barrier: Smin", 8, 68, 90, 23);
    // The two barrier buttons are kept for their captions only.
    for (TButton* button : {BBSquareMax, BBSquareMin}) {
        button->SetVisible(false);
        button->SetEnabled(false);
    }
    BBSquareMin->OnClick = [this](TObject* S) { BBSquareMinClick(S); };
    EDSquareMax = MakeFloatEdit(this, GBSquare, "EDSquareMax", 104, 20, 3);
    EDSquareMax->OnEnterValue = [this](TObject* S) { EDSquareMaxEnterValue(S); };
    EDSquareMin = MakeFloatEdit(this, GBSquare, "EDSquareMin", 104, 68, 3);
    EDSquareMin->OnEnterValue = [this](TObject* S) { EDSquareMinEnterValue(S); };
    lblSquareMaxUnit = MakeControl<TLabel>(this, GBSquare, "lblSquareMaxUnit", "sm^2", 180, 24, 40, 16);
    lblSquareMinUnit = MakeControl<TLabel>(this, GBSquare, "lblSquareMinUnit", "sm^2", 180, 72, 40, 16);
    lblSquareMaxSteps = MakeControl<TLabel>(this, GBSquare, "lblSquareMaxSteps", "Drive step", 104, 44, 60, 16);
    txtSquareMaxSteps = MakeControl<TLabel>(this, GBSquare, "txtSquareMaxSteps", "0", 170, 44, 70, 16);
    lblSquareMinSteps = MakeControl<TLabel>(this, GBSquare, "lblSquareMinSteps", "Drive step", 104, 92, 60, 16);
    txtSquareMinSteps = MakeControl<TLabel>(this, GBSquare, "txtSquareMinSteps", "0", 170, 92, 70, 16);

    btnBarAutoCalibrate =
        MakeControl<TButton>(this, tsLB, "btnBarAutoCalibrate", "Auto calibrate square", 8, 134, 150, 25);
    btnBarAutoCalibrate->OnClick = [this](TObject* S) { btnBarAutoCalibrateClick(S); };

    GBCurrentStatus = MakeControl<TGroupBox>(this, tsLB, "GBCurrentStatus", "Current status", 266, 8, 180, 120);
    lblSensorADC = MakeControl<TLabel>(this, GBCurrentStatus, "lblSensorADC", "Sensor ADC", 8, 20, 80, 16);
    txtSensorADC = MakeControl<TLabel>(this, GBCurrentStatus, "txtSensorADC", "0", 100, 20, 70, 16);
    lblDriveStep = MakeControl<TLabel>(this, GBCurrentStatus, "lblDriveStep", "Drive step", 8, 40, 80, 16);
    txtDriveStep = MakeControl<TLabel>(this, GBCurrentStatus, "txtDriveStep", "0", 100, 40, 70, 16);
    lblPlateA = MakeControl<TLabel>(this, GBCurrentStatus, "lblPlateA", "PD (A), V", 8, 60, 80, 16);
    txtPlateA = MakeControl<TLabel>(this, GBCurrentStatus, "txtPlateA", "0", 100, 60, 70, 16);
    lblPlateB = MakeControl<TLabel>(this, GBCurrentStatus, "lblPlateB", "PD (B), V", 8, 80, 80, 16);
    txtPlateB = MakeControl<TLabel>(this, GBCurrentStatus, "txtPlateB", "0", 100, 80, 70, 16);

    GBBallance = MakeControl<TGroupBox>(this, tsLB, "GBBallance", "Ballance", 8, 166, 300, 110);
    BBBalanceTopLevel = MakeControl<TButton>(this, GBBallance, "BBBalanceTopLevel", "Air", 8, 20, 60, 23);
    BBBalanceTopLevel->OnClick = [this](TObject* S) { BBBalanceTopLevelClick(S); };
    BBBalanceBottomLevel = MakeControl<TButton>(this, GBBallance, "BBBalanceBottomLevel", "Liquid", 8, 64, 60, 23);
    BBBalanceBottomLevel->OnClick = [this](TObject* S) { BBBalanceBottomLevelClick(S); };
    EDBalanceTopLevel = MakeFloatEdit(this, GBBallance, "EDBalanceTopLevel", 76, 20, -1);
    EDBalanceTopLevel->OnEnterValue = [this](TObject* S) { EDBalanceTopLevelEnterValue(S); };
    EDBalanceBottomLevel = MakeFloatEdit(this, GBBallance, "EDBalanceBottomLevel", 76, 64, -1);
    EDBalanceBottomLevel->OnEnterValue = [this](TObject* S) { EDBalanceBottomLevelEnterValue(S); };
    lblBalanceTopUnit = MakeControl<TLabel>(this, GBBallance, "lblBalanceTopUnit", "mN/m", 150, 24, 40, 16);
    lblBalanceBottomUnit = MakeControl<TLabel>(this, GBBallance, "lblBalanceBottomUnit", "mN/m", 150, 68, 40, 16);
    lblBalanceTopADC = MakeControl<TLabel>(this, GBBallance, "lblBalanceTopADC", "Sensor ADC", 76, 44, 70, 16);
    txtBalanceTopADC = MakeControl<TLabel>(this, GBBallance, "txtBalanceTopADC", "0", 150, 44, 70, 16);
    lblBalanceBottomADC = MakeControl<TLabel>(this, GBBallance, "lblBalanceBottomADC", "Sensor ADC", 76, 88, 70, 16);
    txtBalanceBottomADC = MakeControl<TLabel>(this, GBBallance, "txtBalanceBottomADC", "0", 150, 88, 70, 16);

    SBGetCalibrate = MakeControl<TButton>(this, tsLB, "SBGetCalibrate", "Get calibrate from device", 8, 284, 170, 25);
    SBGetCalibrate->OnClick = [this](TObject* S) { SBGetCalibrateClick(S); };
}

void TFCalibrateDevice::BuildPageLBL()
{
    GBVesselPlatform = MakeControl<TGroupBox>(this, tsLBL, "GBVesselPlatform", "Vessel platform", 8, 8, 210, 80);
    lblVesselSteps = MakeControl<TLabel>(this, GBVesselPlatform, "lblVesselSteps", "Drive step", 8, 20, 70, 16);
    txtVesselSteps = MakeControl<TLabel>(this, GBVesselPlatform, "txtVesselSteps", "0", 80, 20, 60, 16);
    lblVesselDegrees = MakeControl<TLabel>(this, GBVesselPlatform, "lblVesselDegrees", "Degrees", 8, 40, 70, 16);
    txtVesselDegrees = MakeControl<TLabel>(this, GBVesselPlatform, "txtVesselDegrees", "0", 80, 40, 60, 16);
    btnInitRevolver = MakeControl<TButton>(this, GBVesselPlatform, "btnInitRevolver", "Init", 145, 20, 55, 23);
    btnInitRevolver->OnClick = [this](TObject* S) { btnInitRevolverClick(S); };

    GBDipperPlatform = MakeControl<TGroupBox>(this, tsLBL, "GBDipperPlatform", "Dipper platform", 8, 94, 210, 150);
    lblDipperRotatorSteps =
        MakeControl<TLabel>(this, GBDipperPlatform, "lblDipperRotatorSteps", "Drive step", 8, 20, 70, 16);
    txtDipperRotatorSteps = MakeControl<TLabel>(this, GBDipperPlatform, "txtDipperRotatorSteps", "0", 80, 20, 60, 16);
    lblDipperRotatorDegrees =
        MakeControl<TLabel>(this, GBDipperPlatform, "lblDipperRotatorDegrees", "Degrees", 8, 40, 70, 16);
    txtDipperRotatorDegrees =
        MakeControl<TLabel>(this, GBDipperPlatform, "txtDipperRotatorDegrees", "0", 80, 40, 60, 16);
    btnInitDipperRotator =
        MakeControl<TButton>(this, GBDipperPlatform, "btnInitDipperRotator", "Init", 145, 20, 55, 23);
    btnInitDipperRotator->OnClick = [this](TObject* S) { btnInitDipperRotatorClick(S); };
    btnDipperRotatorPosLB = MakeControl<TButton>(this, GBDipperPlatform, "btnDipperRotatorPosLB", "LB", 8, 64, 60, 23);
    btnDipperRotatorPosRing1 =
        MakeControl<TButton>(this, GBDipperPlatform, "btnDipperRotatorPosRing1", "Ring 1", 8, 90, 60, 23);
    btnDipperRotatorPosRing2 =
        MakeControl<TButton>(this, GBDipperPlatform, "btnDipperRotatorPosRing2", "Ring 2", 8, 116, 60, 23);
    txtRingPosLB = MakeControl<TLabel>(this, GBDipperPlatform, "txtRingPosLB", "0", 80, 68, 80, 16);
    txtRingPos1 = MakeControl<TLabel>(this, GBDipperPlatform, "txtRingPos1", "0", 80, 94, 80, 16);
    txtRingPos2 = MakeControl<TLabel>(this, GBDipperPlatform, "txtRingPos2", "0", 80, 120, 80, 16);
    int tag = 0;
    for (TButton* button : {btnDipperRotatorPosLB, btnDipperRotatorPosRing1, btnDipperRotatorPosRing2}) {
        button->Tag = tag++;
        button->OnClick = [this](TObject* S) { btnDipperRotatorPosLBClick(S); };
    }

    GBDipperLevels = MakeControl<TGroupBox>(this, tsLBL, "GBDipperLevels", "Dipper levels", 226, 8, 220, 110);
    btnDipperLevelLiquid = MakeControl<TButton>(this, GBDipperLevels, "btnDipperLevelLiquid", "Liquid", 8, 20, 70, 23);
    btnDipperLevelLiquid->OnClick = [this](TObject* S) { btnDipperLevelLiquidClick(S); };
    txtDipperLevelLiquid = MakeControl<TLabel>(this, GBDipperLevels, "txtDipperLevelLiquid", "0", 84, 24, 70, 16);
    btnDipperLevelRotation =
        MakeControl<TButton>(this, GBDipperLevels, "btnDipperLevelRotation", "Rotation", 8, 48, 70, 23);
    btnDipperLevelRotation->OnClick = [this](TObject* S) { btnDipperLevelRotationClick(S); };
    txtDipperLevelRotation = MakeControl<TLabel>(this, GBDipperLevels, "txtDipperLevelRotation", "0", 84, 52, 70, 16);
    btnDipperMoveUp = MakeControl<TSpeedButton>(this, GBDipperLevels, "btnDipperMoveUp", "Up", 8, 78, 50, 23);
    btnDipperMoveDown = MakeControl<TSpeedButton>(this, GBDipperLevels, "btnDipperMoveDown", "Down", 62, 78, 50, 23);
    for (TSpeedButton* button : {btnDipperMoveUp, btnDipperMoveDown}) button->SetGroupIndex(1);
    btnDipperMoveUp->OnClick = [this](TObject* S) { btnDipperMoveUpClick(S); };
    btnDipperMoveDown->OnClick = [this](TObject* S) { btnDipperMoveDownClick(S); };
    btnStop2 = MakeControl<TButton>(this, GBDipperLevels, "btnStop2", "Stop", 116, 78, 50, 23);
    btnStop2->OnClick = [this](TObject* S) { btnStop2Click(S); };

    GBDrivesControl = MakeControl<TGroupBox>(this, tsLBL, "GBDrivesControl", "Drives Control", 226, 124, 220, 120);
    lblRotateToCell = MakeControl<TLabel>(this, GBDrivesControl, "lblRotateToCell", "Rotate to cell", 8, 22, 80, 16);
    edCell = MakeSpinEdit(this, GBDrivesControl, "edCell", 92, 20, 80, 0);
    SetSpinRange(edCell, 0, 12, 0);
    edCell->SetWidth(50);
    btnCellGo = MakeControl<TButton>(this, GBDrivesControl, "btnCellGo", "Go", 150, 20, 50, 23);
    btnCellGo->OnClick = [this](TObject* S) { btnCellGoClick(S); };
    lblVessels = MakeControl<TLabel>(this, GBDrivesControl, "lblVessels", "Vessels", 8, 54, 60, 16);
    btnVesselCW = MakeControl<TSpeedButton>(this, GBDrivesControl, "btnVesselCW", "CW", 76, 50, 50, 23);
    btnVesselCCW = MakeControl<TSpeedButton>(this, GBDrivesControl, "btnVesselCCW", "CCW", 130, 50, 50, 23);
    lblDipper = MakeControl<TLabel>(this, GBDrivesControl, "lblDipper", "Dipper", 8, 84, 60, 16);
    btnDipperCW = MakeControl<TSpeedButton>(this, GBDrivesControl, "btnDipperCW", "CW", 76, 80, 50, 23);
    btnDipperCCW = MakeControl<TSpeedButton>(this, GBDrivesControl, "btnDipperCCW", "CCW", 130, 80, 50, 23);
    for (TSpeedButton* button : {btnVesselCW, btnVesselCCW}) button->SetGroupIndex(2);
    for (TSpeedButton* button : {btnDipperCW, btnDipperCCW}) button->SetGroupIndex(3);
    btnVesselCW->OnClick = [this](TObject* S) { btnVesselCWClick(S); };
    btnVesselCCW->OnClick = [this](TObject* S) { btnVesselCCWClick(S); };
    btnDipperCW->OnClick = [this](TObject* S) { btnDipperCWClick(S); };
    btnDipperCCW->OnClick = [this](TObject* S) { btnDipperCCWClick(S); };
}

void TFCalibrateDevice::BuildPageDoser()
{
    GBDoserBallance = MakeControl<TGroupBox>(this, tsDoser, "GBDoserBallance", "Doser ballance", 8, 8, 250, 110);
    btnDoserBallanceTop = MakeControl<TButton>(this, GBDoserBallance, "btnDoserBallanceTop", "Air", 8, 20, 60, 23);
    btnDoserBallanceTop->OnClick = [this](TObject* S) { btnDoserBallanceTopClick(S); };
    btnDoserBallanceBottom =
        MakeControl<TButton>(this, GBDoserBallance, "btnDoserBallanceBottom", "Liquid", 8, 64, 60, 23);
    btnDoserBallanceBottom->OnClick = [this](TObject* S) { btnDoserBallanceBottomClick(S); };
    edDoserBallanceTop = MakeFloatEdit(this, GBDoserBallance, "edDoserBallanceTop", 76, 20, -1);
    edDoserBallanceTop->OnEnterValue = [this](TObject* S) { edDoserBallanceTopEnterValue(S); };
    edDoserBallanceBottom = MakeFloatEdit(this, GBDoserBallance, "edDoserBallanceBottom", 76, 64, -1);
    edDoserBallanceBottom->OnEnterValue = [this](TObject* S) { edDoserBallanceBottomEnterValue(S); };
    lblDoserBallanceTopUnit =
        MakeControl<TLabel>(this, GBDoserBallance, "lblDoserBallanceTopUnit", "mN/m", 150, 24, 40, 16);
    lblDoserBallanceBottomUnit =
        MakeControl<TLabel>(this, GBDoserBallance, "lblDoserBallanceBottomUnit", "mN/m", 150, 68, 40, 16);
    lblDoserBallanceTopADC =
        MakeControl<TLabel>(this, GBDoserBallance, "lblDoserBallanceTopADC", "Sensor ADC", 76, 44, 70, 16);
    txtDoserBallanceTopADC = MakeControl<TLabel>(this, GBDoserBallance, "txtDoserBallanceTopADC", "0", 150, 44, 70, 16);
    lblDoserBallanceBottomADC =
        MakeControl<TLabel>(this, GBDoserBallance, "lblDoserBallanceBottomADC", "Sensor ADC", 76, 88, 70, 16);
    txtDoserBallanceBottomADC =
        MakeControl<TLabel>(this, GBDoserBallance, "txtDoserBallanceBottomADC", "0", 150, 88, 70, 16);

    GBDoserCurrentStatus =
        MakeControl<TGroupBox>(this, tsDoser, "GBDoserCurrentStatus", "Current status", 266, 8, 180, 100);
    lblDoserSensorADC =
        MakeControl<TLabel>(this, GBDoserCurrentStatus, "lblDoserSensorADC", "Sensor ADC", 8, 20, 80, 16);
    txtDoserSensorADC = MakeControl<TLabel>(this, GBDoserCurrentStatus, "txtDoserSensorADC", "0", 100, 20, 70, 16);
    lblDoserPlateA = MakeControl<TLabel>(this, GBDoserCurrentStatus, "lblDoserPlateA", "PD (A), V", 8, 40, 80, 16);
    txtDoserPlateA = MakeControl<TLabel>(this, GBDoserCurrentStatus, "txtDoserPlateA", "0", 100, 40, 70, 16);
    lblDoserPlateB = MakeControl<TLabel>(this, GBDoserCurrentStatus, "lblDoserPlateB", "PD (B), V", 8, 60, 80, 16);
    txtDoserPlateB = MakeControl<TLabel>(this, GBDoserCurrentStatus, "txtDoserPlateB", "0", 100, 60, 70, 16);
}

void TFCalibrateDevice::BuildPagePump()
{
    lblPumpSpeed = MakeControl<TLabel>(this, tsPump, "lblPumpSpeed", "Speed, rpm", 8, 12, 90, 16);
    edPerilstaticPumpSpeed = MakeSpinEdit(this, tsPump, "edPerilstaticPumpSpeed", 110, 10, 80, 1);
    SetSpinRange(edPerilstaticPumpSpeed, 0, 0, 0);
    lblPumpDirection = MakeControl<TLabel>(this, tsPump, "lblPumpDirection", "Direction", 8, 40, 90, 16);
    cbbPerilstaticPumpDirection =
        MakeDropDownList(this, tsPump, "cbbPerilstaticPumpDirection", 110, 38, 100, {"CW", "CCW"}, 0);
    cbbPerilstaticPumpDirection->OnChange = [this](TObject* S) { cbbPerilstaticPumpCalibrationTypeChange(S); };
    lblPumpType = MakeControl<TLabel>(this, tsPump, "lblPumpType", "Type", 8, 68, 90, 16);
    cbbPerilstaticPumpCalibrationType = MakeDropDownList(this, tsPump, "cbbPerilstaticPumpCalibrationType", 110, 66,
                                                         100, {"Revolutions", "Time", "Manual"}, 0);
    cbbPerilstaticPumpCalibrationType->OnChange = [this](TObject* S) { cbbPerilstaticPumpCalibrationTypeChange(S); };
    lblPumpRevs = MakeControl<TLabel>(this, tsPump, "lblPumpRevs", "Revs", 8, 96, 90, 16);
    edPerilstaticPumpRevs = MakeSpinEdit(this, tsPump, "edPerilstaticPumpRevs", 110, 94, 80, 1);
    SetSpinRange(edPerilstaticPumpRevs, 0, 100000, 0);
    edPerilstaticPumpRevs->SetValue(10);
    lblPumpDuration = MakeControl<TLabel>(this, tsPump, "lblPumpDuration", "Duration, sec", 8, 124, 90, 16);
    edPerilstaticPumpDuration = MakeSpinEdit(this, tsPump, "edPerilstaticPumpDuration", 110, 122, 80, 1);
    SetSpinRange(edPerilstaticPumpDuration, 0, 100000, 0);
    edPerilstaticPumpDuration->SetValue(60);
    btnPerilstaticPumpStartStop =
        MakeControl<TButton>(this, tsPump, "btnPerilstaticPumpStartStop", "Start/Stop", 220, 10, 90, 25);
    btnPerilstaticPumpStartStop->OnClick = [this](TObject* S) { btnPerilstaticPumpStartStopClick(S); };
    lblPumpCurrentRevs = MakeControl<TLabel>(this, tsPump, "lblPumpCurrentRevs", "Revs", 220, 44, 50, 16);
    txtPumpCurrentRevs = MakeControl<TLabel>(this, tsPump, "txtPumpCurrentRevs", "0", 280, 44, 80, 16);
    lblPumpVolume = MakeControl<TLabel>(this, tsPump, "lblPumpVolume", "Volume", 8, 160, 90, 16);
    edPerilstaticPumpVolume = MakeSpinEdit(this, tsPump, "edPerilstaticPumpVolume", 110, 158, 80, 3);
    SetSpinRange(edPerilstaticPumpVolume, 0, 100000, 0);
    edPerilstaticPumpVolume->OnChange = [this](TObject* S) { edPerilstaticPumpVolumeChange(S); };
    // The volume is always taken in ml, so the unit selector stays out of sight.
    cbbPerilstaticPumpVolumeUnit =
        MakeDropDownList(this, tsPump, "cbbPerilstaticPumpVolumeUnit", 200, 158, 100, {"uL", "mL", "L"}, 1);
    cbbPerilstaticPumpVolumeUnit->SetVisible(false);
    cbbPerilstaticPumpVolumeUnit->OnChange = [this](TObject* S) { edPerilstaticPumpVolumeChange(S); };
    txtPumpVolumePerRev = MakeControl<TLabel>(this, tsPump, "txtPumpVolumePerRev", "", 8, 192, 300, 16);
    txtPumpMinSpeed = MakeControl<TLabel>(this, tsPump, "txtPumpMinSpeed", "", 8, 212, 300, 16);
    txtPumpMaxSpeed = MakeControl<TLabel>(this, tsPump, "txtPumpMaxSpeed", "", 8, 232, 300, 16);
}

void TFCalibrateDevice::HideForDeviceType()
{
    if (DeviceType == dtLbl) {
        SetTabVisible(tsLB, false);
        btnDipperRotatorPosLB->SetEnabled(false);
    } else if (DeviceType == dtTrough) {
        for (TTabSheet* page : {tsLBL, tsDoser, tsPump}) SetTabVisible(page, false);
    }
}

void TFCalibrateDevice::PrepareWindow()
{
    TPeristalticPump& pump = CalibrateParam.perilstaticPump;
    edPerilstaticPumpSpeed->SetMinValue(pump.GetMinRevPerMin());
    edPerilstaticPumpSpeed->SetMaxValue(pump.GetMaxRevPerMin());
    edPerilstaticPumpSpeed->SetValue(edPerilstaticPumpSpeed->GetValue());
    ShowCalibration();
    // The captions that follow set the type selector to its first entry, whose entries
    // this already shows.
    cbbPerilstaticPumpCalibrationTypeChange(cbbPerilstaticPumpCalibrationType);
    UpdatePumpCalibration();
}

std::vector<TCaptionTarget> TFCalibrateDevice::CaptionTargets()
{
    return {
        CaptionOf(this),
        CaptionOf(GBCurrentStatus),
        CaptionOf(lblSensorADC),
        CaptionOf(lblDriveStep),
        CaptionOf(GBBallance),
        CaptionOf(BBBalanceTopLevel),
        CaptionOf(BBBalanceBottomLevel),
        CaptionOf({lblBalanceTopUnit, lblBalanceBottomUnit}),
        CaptionOf({lblBalanceTopADC, lblBalanceBottomADC}),
        CaptionOf(GBSquare),
        CaptionOf(BBSquareMax),
        CaptionOf(BBSquareMin),
        CaptionOf({lblSquareMaxUnit, lblSquareMinUnit}),
        CaptionOf({lblSquareMaxSteps, lblSquareMinSteps}),
        CaptionOf(SBGetCalibrate),
        CaptionOf(SBStoreCalibrate),
        CaptionOf(btnBarAutoCalibrate),
        CaptionOf(GBDipperLevels),
        CaptionOf(btnDipperLevelLiquid),
        CaptionOf(btnDipperLevelRotation),
        CaptionOf(GBVesselPlatform),
        CaptionOf(lblVesselSteps),
        CaptionOf(lblVesselDegrees),
        CaptionOf(btnInitRevolver),
        CaptionOf(GBDipperPlatform),
        CaptionOf(lblDipperRotatorSteps),
        CaptionOf(lblDipperRotatorDegrees),
        CaptionOf(btnInitDipperRotator),
        CaptionOf(btnDipperRotatorPosLB),
        CaptionOf(btnDipperRotatorPosRing1),
        CaptionOf(btnDipperRotatorPosRing2),
        CaptionOf(tsLB),
        CaptionOf(tsLBL),
        CaptionOf(GBDrivesControl),
        CaptionOf(lblRotateToCell),
        CaptionOf(btnCellGo),
        CaptionOf(lblVessels),
        CaptionOf(lblDipper),
        CaptionOf({btnVesselCW, btnDipperCW}),
        CaptionOf({btnVesselCCW, btnDipperCCW}),
        CaptionOf(lblPlateA),
        CaptionOf(lblPlateB),
        CaptionOf(lblDoserPlateA),
        CaptionOf(lblDoserPlateB),
        CaptionOf(lblPumpSpeed),
        CaptionOf(lblPumpDirection),
        CaptionOf(lblPumpType),
        ItemText(cbbPerilstaticPumpCalibrationType, 0),
        ItemText(cbbPerilstaticPumpCalibrationType, 1),
        ItemText(cbbPerilstaticPumpCalibrationType, 2),
        CaptionOf(lblPumpRevs),
        CaptionOf(lblPumpDuration),
        CaptionOf(btnPerilstaticPumpStartStop),
        CaptionOf(lblPumpVolume),
        ItemText(cbbPerilstaticPumpVolumeUnit, 0),
        ItemText(cbbPerilstaticPumpVolumeUnit, 1),
        ItemText(cbbPerilstaticPumpVolumeUnit, 2),
        CaptionOf(lblPumpCurrentRevs),
    };
}

void TFCalibrateDevice::ApplyLanguage()
{
    TToolWindow::ApplyLanguage();
    cbbPerilstaticPumpCalibrationType->SetItemIndex(0);
    cbbPerilstaticPumpVolumeUnit->SetItemIndex(1);
}

// ---------------------------------------------------------------------------------------
// Showing

void TFCalibrateDevice::ShowCalibration()
{
    TCalibrateParam& c = CalibrateParam;
    EDBalanceTopLevel->InitFloat(c.ballance.GetShMin());
    EDBalanceBottomLevel->InitFloat(c.ballance.GetShMax());
    edDoserBallanceTop->InitFloat(c.doserBallance.GetShMin());
    edDoserBallanceBottom->InitFloat(c.doserBallance.GetShMax());
    EDSquareMax->InitFloat(c.surface.GetSquareMax());
    EDSquareMin->InitFloat(c.surface.GetSquareMin());
    txtBalanceTopADC->SetCaption(IntText(c.ballance.GetHwMin() - AdcMiddle));
    txtBalanceBottomADC->SetCaption(IntText(c.ballance.GetHwMax() - AdcMiddle));
    txtDoserBallanceTopADC->SetCaption(IntText(c.doserBallance.GetHwMin() - AdcMiddle));
    txtDoserBallanceBottomADC->SetCaption(IntText(c.doserBallance.GetHwMax() - AdcMiddle));
    txtSquareMaxSteps->SetCaption(IntText(c.surface.GetHwMinSum()));
    txtSquareMinSteps->SetCaption(IntText(c.surface.GetHwMaxSum()));
}

void TFCalibrateDevice::RefreshIndicators()
{
    TCalibrateParam& c = CalibrateParam;
    const TDeviceState& s = DeviceState;
    TDipperRotator& rotator = c.dipperRotator;
    txtSensorADC->SetCaption(IntText(double(s.balance) - AdcMiddle));
    txtDriveStep->SetCaption(IntText(s.barrier1Pos));
    txtVesselSteps->SetCaption(IntText(s.revolverPos));
    txtVesselDegrees->SetCaption(FixedText(c.revolver.HwToSh(s.revolverPos), 1));
    txtDipperRotatorSteps->SetCaption(IntText(s.dipperRotatorPos));
    txtDipperRotatorDegrees->SetCaption(FixedText(rotator.HwToSh(s.dipperRotatorPos), 1));
    txtRingPosLB->SetCaption(std::to_string(rotator.GetRingPos(0)));
    txtRingPos1->SetCaption(std::to_string(rotator.GetRingPos(1)));
    txtRingPos2->SetCaption(std::to_string(rotator.GetRingPos(2)));
    txtDipperLevelLiquid->SetCaption(std::to_string(c.dipper.GetZeroHw()));
    txtDipperLevelRotation->SetCaption(std::to_string(ManualRotationLevel()));
    txtDoserSensorADC->SetCaption(IntText(double(s.doserBalance) - AdcMiddle));
    txtPlateA->SetCaption(FixedText(c.ADCPlate.HwToSh(s.plateA), 2));
    txtPlateB->SetCaption(FixedText(c.ADCPlate.HwToSh(s.plateB), 2));
    txtDoserPlateA->SetCaption(FixedText(c.doserADCPlate.HwToSh(s.doserPlateA), 2));
    txtDoserPlateB->SetCaption(FixedText(c.doserADCPlate.HwToSh(s.doserPlateB), 2));
    txtPumpCurrentRevs->SetCaption(FixedText(c.perilstaticPump.StepsToRev(s.pumpPos), 1));
    for (int ring = 0; ring < 3; ++ring) LogFile.RingLine("\nget ring %d pos: %X", ring, rotator.GetRingPos(ring));
}

void TFCalibrateDevice::CalibrationChanged() { SBStoreCalibrate->SetEnabled(true); }

// ---------------------------------------------------------------------------------------
// Balances

void TFCalibrateDevice::SendBalanceCalibration() { HlProvider.SetCLBCoeff(CalibrateParam.ballance.GetDeviceRecord()); }

void TFCalibrateDevice::BBBalanceTopLevelClick(TObject*)
{
    CalibrateParam.ballance.SetHwMin(DeviceState.balance);
    SendBalanceCalibration();
    ShowCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::BBBalanceBottomLevelClick(TObject*)
{
    CalibrateParam.ballance.SetHwMax(DeviceState.balance);
    SendBalanceCalibration();
    ShowCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::EDBalanceTopLevelEnterValue(TObject*)
{
    CalibrateParam.ballance.SetShMin(EDBalanceTopLevel->GetValueFloat());
    SendBalanceCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::EDBalanceBottomLevelEnterValue(TObject*)
{
    CalibrateParam.ballance.SetShMax(EDBalanceBottomLevel->GetValueFloat());
    SendBalanceCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::SBGetCalibrateClick(TObject*)
{
    const TClbCoeff coeff = HlProvider.GetCLBCoeff();
    // The query leaves the record all zero when no reply came (or no link is bound); a
    // record whose two readings coincide makes no line either. Either way the balance
    // keeps its calibration.
    if (coeff.hwMin == coeff.hwMax) return;
    CalibrateParam.ballance.SetFromDeviceRecord(coeff.hwMin, coeff.shMin, coeff.hwMax, coeff.shMax);
    ShowCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::btnDoserBallanceTopClick(TObject*)
{
    CalibrateParam.doserBallance.SetHwMin(DeviceState.doserBalance);
    ShowCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::btnDoserBallanceBottomClick(TObject*)
{
    CalibrateParam.doserBallance.SetHwMax(DeviceState.doserBalance);
    ShowCalibration();
    CalibrationChanged();
}

void TFCalibrateDevice::edDoserBallanceTopEnterValue(TObject*)
{
    CalibrateParam.doserBallance.SetShMin(edDoserBallanceTop->GetValueFloat());
    CalibrationChanged();
}

void TFCalibrateDevice::edDoserBallanceBottomEnterValue(TObject*)
{
    CalibrateParam.doserBallance.SetShMax(edDoserBallanceBottom->GetValueFloat());
    CalibrationChanged();
}

// ---------------------------------------------------------------------------------------
// Square

void TFCalibrateDevice::EDSquareMaxEnterValue(TObject*)
{
    CalibrateParam.surface.SetSquareMax(EDSquareMax->GetValueFloat());
    CalibrationChanged();
}

void TFCalibrateDevice::EDSquareMinEnterValue(TObject*)
{
    CalibrateParam.surface.SetSquareMin(EDSquareMin->GetValueFloat());
    CalibrationChanged();
}

void TFCalibrateDevice::BBSquareMinClick(TObject*) {}

void TFCalibrateDevice::btnBarAutoCalibrateClick(TObject*) { StartAutoCalibration(); }

void TFCalibrateDevice::ShowWaitBox()
{
    if (WaitBox) return;
    WaitBox = CreateForm<TFWait>(nullptr);
    WaitBox->Show();
}

void TFCalibrateDevice::CloseWaitBox()
{
    TFWait* box = WaitBox;
    WaitBox = nullptr;
    // Destroyed without closing, so that it does not report a cancel; a box that is
    // already gone (FWait no longer names it) is left alone.
    if (box && box == FWait) FreeForm(box);
}

void TFCalibrateDevice::StartAutoCalibration()
{
    if (WaitBox) return;
    ShowWaitBox();
    AutoCalState = 1;
    SavedBarrier1SpeedCode = ManualBarrierSpeedCode(1);
    SavedBarrier2SpeedCode = ManualBarrierSpeedCode(2);
    TLinearMotion& barrier1 = CalibrateParam.barrier1;
    TLinearMotion& barrier2 = CalibrateParam.barrier2;
    SetManualBarrierSpeed(1, static_cast<std::uint32_t>(DoubleToInt32(barrier1.SpeedToCode(barrier1.GetMaxSpeed()))));
    SetManualBarrierSpeed(2, static_cast<std::uint32_t>(DoubleToInt32(barrier2.SpeedToCode(barrier2.GetMaxSpeed()))));
    // Opening the trough: each barrier runs until it stops at its end.
    HlProvider.Barrier1MoveRight(0);
    HlProvider.Barrier2MoveLeft(0);
}

void TFCalibrateDevice::RestoreBarrierSpeeds()
{
    SetManualBarrierSpeed(1, SavedBarrier1SpeedCode);
    SetManualBarrierSpeed(2, SavedBarrier2SpeedCode);
}

void TFCalibrateDevice::OnDrivesStopped()
{
    if (PumpCalRunning) {
        StopPumpCalibration();
        return;
    }
    if (AutoCalState == 1) {
        AutoCalState = 2;
        HlProvider.Barrier1MoveLeft(0);
        HlProvider.Barrier2MoveRight(0);
    } else if (AutoCalState == 2) {
        RestoreBarrierSpeeds();
        Barrier1MaxPos = DeviceState.barrier1Pos;
        Barrier2MaxPos = DeviceState.barrier2Pos;
        AutoCalState = 0;
        CloseWaitBox();
        for (auto [unit, max] : {std::pair{&CalibrateParam.barrier1, Barrier1MaxPos},
                                 std::pair{&CalibrateParam.barrier2, Barrier2MaxPos}}) {
            unit->SetHwMax(max);
            unit->SetHwMin(0);
            unit->Recalc();
        }
        ShowCalibration();
        CalibrationChanged();
        HlProvider.Barrier1MoveRight(0);
        HlProvider.Barrier2MoveLeft(0);
    }
}

void TFCalibrateDevice::CancelAutoCalibration()
{
    // The box is closing and frees itself.
    WaitBox = nullptr;
    if (PumpCalRunning) {
        // Closing the box during a pump run ends that run; the barriers were not moving.
        StopPumpCalibration();
        return;
    }
    RestoreBarrierSpeeds();
    HlProvider.Barrier1Stop();
    HlProvider.Barrier2Stop();
    AutoCalState = 0;
}

// ---------------------------------------------------------------------------------------
// The manual windows this one works through (each may not exist)

namespace {

TFManualCtrl* ManualWindow() { return dynamic_cast<TFManualCtrl*>(TToolWindow::Find(TToolWindowKind::Manual)); }

// Shows a rotation in the layer-by-layer manual window when it exists.
void ShowManual2Rotation(bool Revolver, bool Clockwise)
{
    if (auto* manual2 = dynamic_cast<TFManualCtrl2*>(TToolWindow::Find(TToolWindowKind::Manual2)))
        manual2->ShowRotation(Revolver, Clockwise);
}

}  // namespace

std::uint32_t TFCalibrateDevice::ManualBarrierSpeedCode(int Barrier) const
{
    TFManualCtrl* manual = ManualWindow();
    if (!manual) return 0;
    return Barrier == 1 ? manual->Barrier1SpeedCode : manual->Barrier2SpeedCode;
}

void TFCalibrateDevice::SetManualBarrierSpeed(int Barrier, std::uint32_t Code)
{
    TFManualCtrl* manual = ManualWindow();
    if (!manual) return;
    if (Barrier == 1)
        manual->SetBarrier1Speed(Code);
    else
        manual->SetBarrier2Speed(Code);
}

int TFCalibrateDevice::ManualRotationLevel() const
{
    TFManualCtrl* manual = ManualWindow();
    return manual ? manual->LblDipperUpLimit : 0;
}

// ---------------------------------------------------------------------------------------
// Layer-by-layer platforms and dipper levels

void TFCalibrateDevice::btnInitRevolverClick(TObject*) { HlProvider.InitRevolver(); }

void TFCalibrateDevice::btnInitDipperRotatorClick(TObject*) { HlProvider.InitDipperRotator(); }

void TFCalibrateDevice::btnDipperRotatorPosLBClick(TObject* Sender)
{
    auto* button = dynamic_cast<TControl*>(Sender);
    if (!button) return;
    const int ring = static_cast<int>(button->Tag);
    const int position = static_cast<int>(DeviceState.dipperRotatorPos);
    CalibrateParam.dipperRotator.SetRingPos(ring, position);
    LogFile.RingLine("\n\nset ring %d pos: %X", ring, position);
    RefreshIndicators();
}

void TFCalibrateDevice::btnDipperLevelLiquidClick(TObject*)
{
    if (TFManualCtrl* manual = ManualWindow()) manual->btnBDipZero->Click();
}

void TFCalibrateDevice::btnDipperLevelRotationClick(TObject*)
{
    if (TFManualCtrl* manual = ManualWindow()) manual->SetLblDipperUpLimit(static_cast<int>(DeviceState.dipperPos));
}

void TFCalibrateDevice::btnDipperMoveUpClick(TObject*)
{
    if (TFManualCtrl* manual = ManualWindow()) manual->SBDipperMoveUp->Click();
}

void TFCalibrateDevice::btnDipperMoveDownClick(TObject*)
{
    if (TFManualCtrl* manual = ManualWindow()) manual->SBDipperMoveDown->Click();
}

void TFCalibrateDevice::btnStop2Click(TObject*)
{
    if (TFManualCtrl* manual = ManualWindow()) manual->btnDipperStop->Click();
}

void TFCalibrateDevice::btnCellGoClick(TObject*) { HlProvider.MoveDipperToCell(edCell->AsInteger()); }

void TFCalibrateDevice::btnVesselCWClick(TObject*) { ShowManual2Rotation(true, true); }

void TFCalibrateDevice::btnVesselCCWClick(TObject*) { ShowManual2Rotation(true, false); }

void TFCalibrateDevice::btnDipperCWClick(TObject*) { ShowManual2Rotation(false, true); }

void TFCalibrateDevice::btnDipperCCWClick(TObject*) { ShowManual2Rotation(false, false); }

// ---------------------------------------------------------------------------------------
// Peristaltic pump

int TFCalibrateDevice::GetPumpDirection() const { return cbbPerilstaticPumpDirection->GetItemIndex(); }

void TFCalibrateDevice::cbbPerilstaticPumpCalibrationTypeChange(TObject*)
{
    const int type = cbbPerilstaticPumpCalibrationType->GetItemIndex();
    edPerilstaticPumpRevs->SetEnabled(type == 0);
    edPerilstaticPumpDuration->SetEnabled(type == 1);
}

void TFCalibrateDevice::btnPerilstaticPumpStartStopClick(TObject*)
{
    if (PumpCalRunning) {
        HlProvider.DriveAllStop();
        StopPumpCalibration();
    } else {
        StartPumpCalibration();
    }
}

void TFCalibrateDevice::StartPumpCalibration()
{
    TPeristalticPump& pump = CalibrateParam.perilstaticPump;
    ShowWaitBox();
    SBStoreCalibrate->SetEnabled(false);
    edPerilstaticPumpVolume->SetValue(0);
    UpdatePumpCalibration();
    HlProvider.PeristalticPumpReset();
    PumpCalibrationType = cbbPerilstaticPumpCalibrationType->GetItemIndex();
    HlProvider.SetPeristalticPumpSpeed(DoubleToInt32(pump.MotorRevPerMinToCode(edPerilstaticPumpSpeed->GetValue())));
    const int steps = PumpCalibrationType == 0 ? DoubleToInt32(pump.RevToSteps(edPerilstaticPumpRevs->GetValue())) : 0;
    HlProvider.PeristalticPumpReset();
    // A move by 0 runs until stopped.
    if (GetPumpDirection() == 1)
        HlProvider.PeristalticPumpMoveCCW(steps);
    else
        HlProvider.PeristalticPumpMoveCW(steps);
    if (PumpCalibrationType == 1) {
        const std::int32_t interval = DoubleToInt32(edPerilstaticPumpDuration->GetValue() * 1000);
        tmrPeristalticPump->SetInterval(static_cast<unsigned>(interval > 0 ? interval : 1));
        tmrPeristalticPump->SetEnabled(true);
    }
    PumpCalRunning = true;
}

void TFCalibrateDevice::StopPumpCalibration()
{
    if (!PumpCalRunning) return;
    PumpCalRunning = false;
    CloseWaitBox();
    HlProvider.PeristalticPumpStop();
    tmrPeristalticPump->SetEnabled(false);
}

void TFCalibrateDevice::tmrPeristalticPumpTimer(TObject*) { StopPumpCalibration(); }

void TFCalibrateDevice::edPerilstaticPumpVolumeChange(TObject*) { UpdatePumpCalibration(); }

void TFCalibrateDevice::UpdatePumpCalibration()
{
    TPeristalticPump& pump = CalibrateParam.perilstaticPump;
    const double revs = pump.StepsToRev(DeviceState.pumpPos);
    PumpVolumePerRev = DivideOr(edPerilstaticPumpVolume->GetValue(), revs, 0);
    for (TLabel* line : {txtPumpVolumePerRev, txtPumpMinSpeed, txtPumpMaxSpeed}) line->SetCaption("");
    if (PumpVolumePerRev != 0) {
        char text[80];
        std::snprintf(text, sizeof text, "Volume per rev: %.3f ml/rev", PumpVolumePerRev);
        txtPumpVolumePerRev->SetCaption(text);
        std::snprintf(text, sizeof text, "Min speed: %.3f ml/min", PumpVolumePerRev * pump.GetMinRevPerMin());
        txtPumpMinSpeed->SetCaption(text);
        std::snprintf(text, sizeof text, "Max speed: %.3f ml/min", PumpVolumePerRev * pump.GetMaxRevPerMin());
        txtPumpMaxSpeed->SetCaption(text);
        SBStoreCalibrate->SetEnabled(true);
    } else {
        SBStoreCalibrate->SetEnabled(false);
    }
}

void TFCalibrateDevice::StorePumpCalibration()
{
    // Without a measurement the pump keeps the flow it has, so that storing the other
    // calibrations never throws away a stored pump calibration.
    if (PumpMeasured()) CalibrateParam.perilstaticPump.SetFlowCoeff(PumpVolumePerRev);
}

void TFCalibrateDevice::UpdateNeighbourPumpRanges()
{
    if (auto* pump = dynamic_cast<TFPumpCtrl*>(TToolWindow::Find(TToolWindowKind::Pump))) pump->SetPumpRanges();
    if (auto* film = dynamic_cast<TFFilmPreparation*>(TToolWindow::Find(TToolWindowKind::FilmPreparation)))
        film->UpdatePumpRanges();
}

// ---------------------------------------------------------------------------------------
// Storing

void TFCalibrateDevice::SBStoreCalibrateClick(TObject*)
{
    StorePumpCalibration();
    UpdateNeighbourPumpRanges();
    CalibrateParam.SaveToFile();
    SBStoreCalibrate->SetEnabled(false);
}

void TFCalibrateDevice::ShowDipperMove(bool Up) { (Up ? btnDipperMoveUp : btnDipperMoveDown)->SetDown(true); }

void TFCalibrateDevice::ReleaseDipperMoveButtons()
{
    btnDipperMoveUp->SetDown(false);
    btnDipperMoveDown->SetDown(false);
}

void TFCalibrateDevice::ShowRotation(bool Revolver, bool Clockwise)
{
    if (Revolver)
        (Clockwise ? btnVesselCW : btnVesselCCW)->SetDown(true);
    else
        (Clockwise ? btnDipperCW : btnDipperCCW)->SetDown(true);
}

void TFCalibrateDevice::ReleaseRotationButtons(bool Revolver)
{
    (Revolver ? btnVesselCW : btnDipperCW)->SetDown(false);
    (Revolver ? btnVesselCCW : btnDipperCCW)->SetDown(false);
}
