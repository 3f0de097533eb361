#include "zel/manual/Upumpcontrol.h"
#include "platform/ui/ControlBuilder.h"

#include <algorithm>

#include "platform/kvcls/kvcls.h"
#include "zel/core/Calibrateparam.h"
#include "zel/core/Clbmath.h"
#include "zel/core/Hlprovider.h"
#include "zel/core/Instrument.h"
#include "zel/core/Notices.h"
#include "zel/core/Ustatus.h"
#include "zel/manual/Ucalibratedevice.h"

TFPumpCtrl* FPumpCtrl = nullptr;

namespace {

constexpr int Margin = 4, GroupWidth = 216;
// Motion codes of the doser.
enum TDoserMotionCode { mcAllStopped = 0, mcDoserUp = 10, mcDoserDown = 11, mcDoserStopped = 12 };
// Tags of the doser move buttons: the layer-by-layer window's move handler reads them.
enum TDoserTag { tagDoserUp = 1, tagDoserDown = 2 };

KVC::TKvEdit* FloatEdit(TComponent* Owner, TWinControl* Parent, const char* Name, int Left, int Top, int Width)
{
    auto* edit = MakeControl<KVC::TKvEdit>(Owner, Parent, Name, "", Left, Top, Width, 21);
    edit->SetTypeValue(KVC::tvFloat);
    edit->FloatDigits = 3;
    return edit;
}

// The stored target volume: written with ".", read with "." or ","; a text that is no
// number reads as no target.
double ReadVolume(const char* Section, const char* Key)
{
    try {
        return ConvertString2Float(IniFile->ReadString(Section, Key, "0"));
    } catch (const EConvertError&) {
        return 0;
    }
}

}  // namespace

TFPumpCtrl::TFPumpCtrl(TComponent* Owner) : TToolWindow(Owner, TToolWindowKind::Pump)
{
    Name = "FPumpCtrl";
    HandleNotice(hlnMotionState, [this](LPARAM P) { ShowMotionState(NoticeNumber(P)); });
    HandleNotice(hlnDrivesStopped, [this](LPARAM) { ShowMotionState(0); });
    SetCaption("Pump Ctrl");
    SetFormStyle(fsStayOnTop);
    SetBorderStyle(bsToolWindow);
    BuildPumpGroup();
    BuildDoserGroup();
    BuildInjectorPresets();
    SetBounds(0, 0, GroupWidth + 2 * Margin, grpDoser->GetTop() + grpDoser->GetHeight() + Margin);
    // The doser's speed follows the layer-by-layer window once the stored values are in.
    TNotifyEvent patternCreate = OnCreate;
    OnCreate = [this, patternCreate](TObject* Sender) {
        patternCreate(Sender);
        SyncDoserSpeed();
    };
    FPumpCtrl = this;
}

TFPumpCtrl::~TFPumpCtrl()
{
    if (FPumpCtrl == this) FPumpCtrl = nullptr;
}

void TFPumpCtrl::BuildPumpGroup()
{
    grpPump = MakeControl<TGroupBox>(this, this, "grpPump", "Pump", Margin, Margin, GroupWidth, 150);
    lblCurrentPumpVolume =
        MakeControl<TLabel>(this, grpPump, "lblCurrentPumpVolume", "Current Volume, ml", 8, 18, 110, 16);
    edCurrentPumpVolume = FloatEdit(this, grpPump, "edCurrentPumpVolume", 120, 16, 54);
    edCurrentPumpVolume->SetEnabled(false);
    btnPumpVolumeReset = MakeControl<TButton>(this, grpPump, "btnPumpVolumeReset", "> 0 <", 176, 15, 34, 23);
    lblTargetPumpVolume =
        MakeControl<TLabel>(this, grpPump, "lblTargetPumpVolume", "Target Volume, ml", 8, 44, 110, 16);
    edTargetPumpVolume = FloatEdit(this, grpPump, "edTargetPumpVolume", 120, 42, 54);
    lblPumpSpeed = MakeControl<TLabel>(this, grpPump, "lblPumpSpeed", "Speed, ml/min", 8, 70, 110, 16);
    edPumpSpeed = FloatEdit(this, grpPump, "edPumpSpeed", 120, 68, 54);
    sldrPumpSpeed = MakeControl<KVC::TKvSlider>(this, grpPump, "sldrPumpSpeed", "", 8, 94, GroupWidth - 16, 24);
    btnPumpStart = MakeControl<TButton>(this, grpPump, "btnPumpStart", "Start", 8, 122, 80, 23);
    btnPumpStop = MakeControl<TButton>(this, grpPump, "btnPumpStop", "Stop", 8, 122, 80, 23);
    btnPumpStop->Hide();

    btnPumpStart->OnClick = [this](TObject* Sender) { btnPumpStartClick(Sender); };
    btnPumpStop->OnClick = [this](TObject* Sender) { btnPumpStopClick(Sender); };
    btnPumpVolumeReset->OnClick = [this](TObject* Sender) { btnPumpVolumeResetClick(Sender); };
    sldrPumpSpeed->OnChanging = [this](TObject* Sender) { sldrPumpSpeedChanging(Sender); };
    sldrPumpSpeed->OnChanged = [this](TObject* Sender) { sldrPumpSpeedChanged(Sender); };
    edPumpSpeed->OnEnterValue = [this](TObject* Sender) { edPumpSpeedEnterValue(Sender); };
}

void TFPumpCtrl::BuildDoserGroup()
{
    grpDoser = MakeControl<TGroupBox>(this, this, "grpDoser", "Doser", Margin,
                                      grpPump->GetTop() + grpPump->GetHeight() + Margin, GroupWidth, 160);
    lblDoserPos = MakeControl<TLabel>(this, grpDoser, "lblDoserPos", "Volume, ml", 8, 18, 80, 16);
    txtDoserPos = MakeControl<TLabel>(this, grpDoser, "txtDoserPos", "0.000", 90, 18, 70, 16);
    btnDoserZero = MakeControl<TButton>(this, grpDoser, "btnDoserZero", "> 0 <", 168, 15, 40, 23);
    btnDoserUp = MakeLatchingButton(this, grpDoser, "btnDoserUp", "Up", tagDoserUp, 1, 8, 42, 40, 22);
    btnDoserStop = MakeControl<TButton>(this, grpDoser, "btnDoserStop", "Stop", 50, 42, 50, 22);
    btnDoserDown = MakeLatchingButton(this, grpDoser, "btnDoserDown", "Down", tagDoserDown, 1, 102, 42, 40, 22);
    for (TSpeedButton* button : {btnDoserUp, btnDoserDown})
        button->OnClick = [this](TObject* Sender) { btnDoserUpClick(Sender); };
    lblDoserMoveLen = MakeControl<TLabel>(this, grpDoser, "lblDoserMoveLen", "Movement, ml", 8, 70, 80, 16);
    edDoserMoveLen = FloatEdit(this, grpDoser, "edDoserMoveLen", 90, 68, 60);
    // The set point of the surface-tension keeping test has no use here.
    edDoserKeepST = FloatEdit(this, grpDoser, "edDoserKeepST", 152, 68, 56);
    trbDoserSpeed = MakeControl<KVC::TKvTrackBar>(this, grpDoser, "trbDoserSpeed", "", 6, 94, GroupWidth - 12, 24);
    edDoserSpeed = FloatEdit(this, grpDoser, "edDoserSpeed", 8, 124, 60);
    lblDoserSpeedUnits = MakeControl<TLabel>(this, grpDoser, "lblDoserSpeedUnits", "ml/min", 72, 127, 50, 16);
    btnDoserInjectorPresets = MakeControl<TButton>(this, grpDoser, "btnDoserInjectorPresets", "Sel", 168, 122, 40, 23);

    btnDoserStop->OnClick = [this](TObject* Sender) { btnDoserStopClick(Sender); };
    btnDoserZero->OnClick = [this](TObject* Sender) { btnDoserZeroClick(Sender); };
    trbDoserSpeed->OnChange = [this](TObject* Sender) { trbDoserSpeedChange(Sender); };
    trbDoserSpeed->OnChanged = [this](TObject* Sender) { trbDoserSpeedChanged(Sender); };
    edDoserSpeed->OnEnterValue = [this](TObject* Sender) { edDoserSpeedEnterValue(Sender); };
    btnDoserInjectorPresets->OnClick = [this](TObject* Sender) { btnDoserInjectorPresetsClick(Sender); };
}

void TFPumpCtrl::BuildInjectorPresets()
{
    grpInjectorPresets =
        MakeControl<TGroupBox>(this, grpDoser, "grpInjectorPresets", "Injector Presets", 4, 14, GroupWidth - 8, 110);
    cbbInjectorPresets =
        MakeControl<TComboBox>(this, grpInjectorPresets, "cbbInjectorPresets", "", 6, 18, GroupWidth - 20, 21);
    cbbInjectorPresets->SetStyle(csDropDownList);
    edtInjectorVolume = FloatEdit(this, grpInjectorPresets, "edtInjectorVolume", 6, 46, 60);
    edtInjectorVolume->SetHint("Volume");
    cbbInjectorUnits = MakeControl<TComboBox>(this, grpInjectorPresets, "cbbInjectorUnits", "", 70, 46, 50, 21);
    cbbInjectorUnits->SetStyle(csDropDownList);
    for (const char* unit : {"L", "ml", "ul"}) cbbInjectorUnits->AddItem(unit);
    cbbInjectorUnits->SetItemIndex(1);
    edtInjectorDiameter = FloatEdit(this, grpInjectorPresets, "edtInjectorDiameter", 124, 46, 60);
    edtInjectorDiameter->SetHint("Diameter");
    btnInjectorPresetsCancel =
        MakeControl<TButton>(this, grpInjectorPresets, "btnInjectorPresetsCancel", "Cancel", 6, 76, 70, 23);
    btnInjectorPresetsApply =
        MakeControl<TButton>(this, grpInjectorPresets, "btnInjectorPresetsApply", "Apply", 124, 76, 70, 23);
    grpInjectorPresets->Hide();

    cbbInjectorPresets->OnChange = [this](TObject* Sender) { cbbInjectorPresetsChange(Sender); };
    btnInjectorPresetsCancel->OnClick = [this](TObject* Sender) { btnInjectorPresetsCancelClick(Sender); };
    btnInjectorPresetsApply->OnClick = [this](TObject* Sender) { btnInjectorPresetsApplyClick(Sender); };
}

// ---- Creation ---------------------------------------------------------------------------

void TFPumpCtrl::PrepareWindow()
{
    CopyDoserTrackBar();
    SetUpPumpSlider();
    SetPumpRanges();
    UpdateDoserLimits();
    CopyPresets();
}

void TFPumpCtrl::CopyDoserTrackBar()
{
    if (!FManualCtrl2) return;
    const KVC::TKvTrackBar* source = FManualCtrl2->trbDoserSpeed;
    trbDoserSpeed->SetMax(source->GetMax());
    trbDoserSpeed->SetMin(source->GetMin());
    trbDoserSpeed->SetFrequency(source->GetFrequency());
    trbDoserSpeed->SetLineSize(source->GetLineSize());
    trbDoserSpeed->SetPageSize(source->GetPageSize());
}

void TFPumpCtrl::SetUpPumpSlider()
{
    // The slider's position is the pump's speed code itself.
    TPeristalticPump& pump = CalibrateParam.perilstaticPump;
    sldrPumpSpeed->SetMax(DoubleToInt32(pump.GetMaxSpeedCode()));
    sldrPumpSpeed->SetMin(DoubleToInt32(pump.GetMinSpeedCode()));
    const int range = sldrPumpSpeed->GetMax() - sldrPumpSpeed->GetMin();
    sldrPumpSpeed->SetFrequency(range / 32);
    sldrPumpSpeed->LineSize = DoubleToInt32(range * 0.01);
    sldrPumpSpeed->PageSize = DoubleToInt32(range * 0.1);
}

void TFPumpCtrl::CopyPresets()
{
    if (!FManualCtrl2) return;
    const TComboBox* source = FManualCtrl2->cbbInjectorPresets;
    for (int i = 0; i < source->Items().Count(); ++i) cbbInjectorPresets->AddItem(source->Items()[i]);
    cbbInjectorPresets->SetItemIndex(source->GetItemIndex());
}

void TFPumpCtrl::LoadValues()
{
    const char* section = Pattern().SettingsSection;
    // Clamped here, since the slider leaves a position below its range where it is when
    // asked for that same position, and the pump would then be sent a speed code it
    // cannot run.
    const int stored = IniFile->ReadInteger(section, "PumpSpeed", 0);
    sldrPumpSpeed->SetPos(
        std::clamp(stored, sldrPumpSpeed->GetMin(), std::max(sldrPumpSpeed->GetMin(), sldrPumpSpeed->GetMax())));
    edTargetPumpVolume->SetValueFloat(ReadVolume(section, "PumpVolume"));
}

void TFPumpCtrl::SaveValues()
{
    const char* section = Pattern().SettingsSection;
    IniFile->WriteInteger(section, "PumpSpeed", sldrPumpSpeed->GetPos());
    IniFile->WriteFloat(section, "PumpVolume", edTargetPumpVolume->GetValueFloat());
}

// ---- Operations -------------------------------------------------------------------------

void TFPumpCtrl::SyncDoserSpeed()
{
    if (!FManualCtrl2) return;
    Syncing = true;
    const std::uint32_t code = FManualCtrl2->DoserSpeedCode;
    const int position = static_cast<int>(code);
    trbDoserSpeed->SetPosition(
        FManualCtrl2->OldSpeedScale ? trbDoserSpeed->GetMax() + trbDoserSpeed->GetMin() - position : position);
    edDoserSpeed->InitFloat(CalibrateParam.doser.CodeToSpeed(static_cast<double>(code)));
    Syncing = false;
}

void TFPumpCtrl::UpdateDoserLimits()
{
    if (!FManualCtrl2) return;
    const KVC::TKvEdit* speed = FManualCtrl2->edDoserSpeed;
    edDoserSpeed->Min = speed->Min;
    edDoserSpeed->Max = speed->Max;
    edDoserSpeed->InitFloat(speed->GetValueFloat());
    edDoserMoveLen->Min = FManualCtrl2->edDoserMoveLen->Min;
    edDoserMoveLen->Max = FManualCtrl2->edDoserMoveLen->Max;
}

void TFPumpCtrl::SetPumpRanges()
{
    TPeristalticPump& pump = CalibrateParam.perilstaticPump;
    edPumpSpeed->Min = pump.GetMinSpeed();
    edPumpSpeed->Max = pump.GetMaxSpeed();
    for (KVC::TKvEdit* volume : {edTargetPumpVolume, edCurrentPumpVolume}) {
        volume->Min = pump.GetShMin();
        volume->Max = pump.GetShMax();
    }
}

void TFPumpCtrl::ShowMotionState(int MotionCode)
{
    switch (MotionCode) {
    case mcAllStopped:
    case mcDoserStopped:
        btnDoserUp->SetDown(false);
        btnDoserDown->SetDown(false);
        break;
    case mcDoserUp:
        if (!btnDoserUp->GetDown()) btnDoserUp->SetDown(true);
        break;
    case mcDoserDown:
        if (!btnDoserDown->GetDown()) btnDoserDown->SetDown(true);
        break;
    default:
        break;
    }
}

void TFPumpCtrl::RefreshIndicators()
{
    txtDoserPos->SetCaption(FixedText(CalibrateParam.doser.HwToSh(DeviceState.doserPos), 3));
    edCurrentPumpVolume->SetText(FixedText(CalibrateParam.perilstaticPump.HwToSh(DeviceState.pumpPos), 3));
}

void TFPumpCtrl::ApplyLanguage()
{
    CopyTextsOfDoserWindow();
    TToolWindow::ApplyLanguage();
}

void TFPumpCtrl::CopyTextsOfDoserWindow()
{
    const TFManualCtrl2* source = FManualCtrl2;
    if (!source) return;
    for (auto [own, theirs] : {std::pair<TControl*, const TControl*>{grpDoser, source->grpDoser},
                               {lblDoserPos, source->lblDoserPos},
                               {lblDoserMoveLen, source->lblDoserMoveLen},
                               {grpInjectorPresets, source->grpInjectorPresets},
                               {btnInjectorPresetsCancel, source->btnInjectorPresetsCancel},
                               {btnInjectorPresetsApply, source->btnInjectorPresetsApply}})
        own->SetCaption(theirs->GetCaption());
    SetHint(source->GetHint());
    edtInjectorVolume->SetHint(source->edtInjectorVolume->GetHint());
    edtInjectorDiameter->SetHint(source->edtInjectorDiameter->GetHint());
    const TStringList& units = source->cbbInjectorUnits->Items();
    TStringList items = cbbInjectorUnits->Items();
    for (int i = 0; i < 3 && i < units.Count() && i < items.Count(); ++i) items[i] = units[i];
    const int selected = cbbInjectorUnits->GetItemIndex();
    cbbInjectorUnits->SetItems(items);
    cbbInjectorUnits->SetItemIndex(selected);
}

std::vector<TCaptionTarget> TFPumpCtrl::CaptionTargets()
{
    return {
        CaptionOf(this),
        CaptionOf(grpPump),
        CaptionOf(lblCurrentPumpVolume),
        CaptionOf(lblTargetPumpVolume),
        CaptionOf(lblPumpSpeed),
        CaptionOf(btnPumpStart),
        CaptionOf(btnPumpStop),
        CaptionOf(lblDoserSpeedUnits),
    };
}

// ---- Pump handlers ----------------------------------------------------------------------

void TFPumpCtrl::btnPumpStartClick(TObject*)
{
    btnPumpStart->Hide();
    btnPumpStop->Show();
    TPeristalticPump& pump = CalibrateParam.perilstaticPump;
    // The target is an absolute pump position; no target runs the pump until stopped.
    const double volume = edTargetPumpVolume->GetValueFloat();
    const int steps = volume != 0 ? DoubleToInt32(pump.ShToHw(volume)) : 0;
    const int direction = FCalibrateDevice ? FCalibrateDevice->GetPumpDirection() : 0;
    if (direction == 0)
        HlProvider.PeristalticPumpMoveCW(steps);
    else
        HlProvider.PeristalticPumpMoveCCW(steps);
}

void TFPumpCtrl::btnPumpStopClick(TObject*)
{
    btnPumpStart->Show();
    btnPumpStop->Hide();
    HlProvider.PeristalticPumpStop();
}

void TFPumpCtrl::btnPumpVolumeResetClick(TObject*) { HlProvider.PeristalticPumpReset(); }

void TFPumpCtrl::sldrPumpSpeedChanging(TObject*)
{
    edPumpSpeed->InitFloat(CalibrateParam.perilstaticPump.CodeToSpeed(sldrPumpSpeed->GetPos()));
}

void TFPumpCtrl::sldrPumpSpeedChanged(TObject*) { HlProvider.SetPeristalticPumpSpeed(sldrPumpSpeed->GetPos()); }

void TFPumpCtrl::edPumpSpeedEnterValue(TObject*)
{
    const int code = DoubleToInt32(CalibrateParam.perilstaticPump.SpeedToCode(edPumpSpeed->GetValueFloat()));
    HlProvider.SetPeristalticPumpSpeed(code);
    sldrPumpSpeed->SetPos(code);
}

// ---- Doser handlers: the layer-by-layer window carries them out -------------------------

void TFPumpCtrl::btnDoserUpClick(TObject* Sender)
{
    if (!FManualCtrl2) return;
    FManualCtrl2->edDoserMoveLen->InitFloat(edDoserMoveLen->GetValueFloat());
    FManualCtrl2->btnDoserUpClick(Sender);
}

void TFPumpCtrl::btnDoserStopClick(TObject*)
{
    if (FManualCtrl2) FManualCtrl2->btnDoserStop->Click();
}

void TFPumpCtrl::btnDoserZeroClick(TObject* Sender)
{
    if (!FManualCtrl2) return;
    FManualCtrl2->btnDoserZeroClick(Sender);
    RefreshIndicators();
}

void TFPumpCtrl::trbDoserSpeedChange(TObject*)
{
    if (Syncing || !FManualCtrl2) return;
    edDoserSpeed->InitFloat(CalibrateParam.doser.CodeToSpeed(FManualCtrl2->TrackBarToSpeedCode(trbDoserSpeed)));
}

void TFPumpCtrl::trbDoserSpeedChanged(TObject*)
{
    if (Syncing || !FManualCtrl2) return;
    KVC::TKvTrackBar* theirs = FManualCtrl2->trbDoserSpeed;
    theirs->SetPosition(trbDoserSpeed->GetPosition());
    FManualCtrl2->SetDoserSpeed(static_cast<std::uint32_t>(FManualCtrl2->TrackBarToSpeedCode(theirs)));
}

void TFPumpCtrl::edDoserSpeedEnterValue(TObject*)
{
    if (Syncing || !FManualCtrl2) return;
    FManualCtrl2->edDoserSpeed->SetValueFloat(edDoserSpeed->GetValueFloat());
}

void TFPumpCtrl::SetDoserMoveButtonsEnabled(bool Enabled)
{
    btnDoserUp->SetEnabled(Enabled);
    btnDoserDown->SetEnabled(Enabled);
}

void TFPumpCtrl::btnDoserInjectorPresetsClick(TObject* Sender)
{
    grpInjectorPresets->Show();
    grpInjectorPresets->BringToFront();
    SetDoserMoveButtonsEnabled(false);
    cbbInjectorPresetsChange(Sender);
}

void TFPumpCtrl::CloseInjectorPresets(bool Apply)
{
    grpInjectorPresets->Hide();
    SetDoserMoveButtonsEnabled(true);
    if (Apply && FManualCtrl2)
        FManualCtrl2->SetInjector(edDoserMoveLen, cbbInjectorUnits, edtInjectorVolume, edtInjectorDiameter);
}

void TFPumpCtrl::btnInjectorPresetsApplyClick(TObject*) { CloseInjectorPresets(true); }

void TFPumpCtrl::btnInjectorPresetsCancelClick(TObject*) { CloseInjectorPresets(false); }

void TFPumpCtrl::cbbInjectorPresetsChange(TObject*)
{
    if (!FManualCtrl2) return;
    const int index = cbbInjectorPresets->GetItemIndex();
    const TStringList& presets = cbbInjectorPresets->Items();
    const std::string text = index >= 0 && index < presets.Count() ? presets[index] : std::string();
    FManualCtrl2->ParseInjectorPreset(text, cbbInjectorUnits, edtInjectorVolume, edtInjectorDiameter);
    FManualCtrl2->cbbInjectorPresets->SetItemIndex(index);
}

void TFPumpCtrl::ShowDoserMove(int Tag)
{
    for (TSpeedButton* button : {btnDoserUp, btnDoserDown})
        if (button->Tag == Tag) button->SetDown(true);
}

void TFPumpCtrl::ReleaseDoserMoveButtons()
{
    btnDoserUp->SetDown(false);
    btnDoserDown->SetDown(false);
}
