#include "zel/core/Toolwindow.h"

#include <algorithm>

#include "kvc/KvMultiLang.h"
#include "platform/ui/Menus.h"
#include "zel/core/Umain.h"

namespace {

bool Always(TDeviceType) { return true; }
bool NotLbl(TDeviceType Type) { return Type != dtLbl; }
bool NotTrough(TDeviceType Type) { return Type != dtTrough; }
bool CombinedOnly(TDeviceType Type) { return Type == dtCombined; }

constexpr unsigned StatePosActive = fpState | fpPosition | fpActiveControl;
constexpr unsigned StatePos = fpState | fpPosition;
constexpr unsigned Pos = fpPosition;

// Three windows (deposition, tape, EUD) share the placement section "DepositionControl"
// and so one remembered position.
const TWindowPattern Patterns[] = {
    {TToolWindowKind::Manual, "ManualControl", "ManualControl", StatePosActive, "ManualCtrl", true, true, true, false,
     Always},
    {TToolWindowKind::Manual2, "ManualControl2", "ManualControl2", StatePosActive, "ManualCtrl2", true, true, true,
     false, Always},
    {TToolWindowKind::Pump, "PumpControl", "PumpControl", StatePosActive, "PumpControl", true, true, true, false,
     Always},
    {TToolWindowKind::Isotherm, "IsothermControl", "IsothermControl", StatePos, "IsothermCtrl", true, true, false, true,
     NotLbl},
    {TToolWindowKind::Deposition, "DepositionControl", "DepositionControl", Pos, "DepositionCtrl", true, true, false,
     true, NotLbl},
    {TToolWindowKind::Dipping, "DippingControl", "DippingControl", Pos, "DippingCtrl", true, true, false, true, NotLbl},
    {TToolWindowKind::Roll, "RollDepositionCtrl", "RollDepositionControl", Pos, "RollDepositionCtrl", true, true, false,
     false, NotTrough},
    {TToolWindowKind::Tape, "TapeDepositionCtrl", "DepositionControl", Pos, "ContTapeCtrl", true, false, false, false,
     CombinedOnly},
    {TToolWindowKind::Disk, "DiskDepositionCtrl", "DiskDepositionControl", Pos, "DiskDepositionCtrl", true, true, false,
     false, NotTrough},
    {TToolWindowKind::CylinderMembrane, "CylinderMembraneDepositionCtrl", "CylMemDepControl", Pos,
     "CylinderMembraneDepositionCtrl", true, true, false, false, NotTrough},
    {TToolWindowKind::TDAR, "TDARCtrl", "TDARControl", Pos, "TDARCtrl", true, true, false, false, NotTrough},
    {TToolWindowKind::Eud, "EudControl", "DepositionControl", Pos, "EudControl", true, true, false, true, NotLbl},
    {TToolWindowKind::FilmPreparation, "FilmPreparationControl", "FilmPreparationControl", Pos,
     "FilmPreparationControl", true, true, false, true, NotLbl},
    {TToolWindowKind::Calibration, "", "CalibrateDevice", StatePosActive, "CalibrateDevice", false, false, false, false,
     nullptr},
    {TToolWindowKind::DepositionFB, "DepositionFB", "DepositionFB", StatePosActive, "DepositionFB", false, false, false,
     false, nullptr},
    {TToolWindowKind::ExpSetup, "ExpSetupForm", "ExpSetupForm", StatePosActive, "ExpSetup", false, false, false, false,
     nullptr},
    {TToolWindowKind::DepPosInfo, "", "DepPosInfo", Pos, "", false, false, false, false, nullptr},
    {TToolWindowKind::Script, "", "ScriptControl", Pos, "ScriptCtrl", false, false, false, false, nullptr},
    {TToolWindowKind::Status, "", "StatusWindow", Pos, "", false, false, false, true, nullptr},
    {TToolWindowKind::Lbl, "LBL", "", 0, "Lbl", false, false, false, false, nullptr},
};

std::vector<TToolWindow*>& LiveWindows()
{
    static std::vector<TToolWindow*> windows;
    return windows;
}

// Pixels of a window that stay on screen when its stored position lies beyond the edge.
constexpr int OnScreenCorner = 20;

}  // namespace

const TWindowPattern& WindowPattern(TToolWindowKind Kind)
{
    for (const TWindowPattern& p : Patterns)
        if (p.Kind == Kind) return p;
    return Patterns[0];
}

void ApplyNumberedCaptions(const std::string& Section, const std::vector<TCaptionTarget>& Targets)
{
    if (!MultiLang || Section.empty()) return;
    TStringList items;
    if (!MultiLang->GetLangNumericItems(Section.c_str(), "", &items)) return;
    const size_t count = std::min(static_cast<size_t>(items.Count()), Targets.size());
    for (size_t i = 0; i < count; ++i) {
        const std::string& text = items[static_cast<int>(i)];
        if (!text.empty() && Targets[i]) Targets[i](text);
    }
}

TCaptionTarget CaptionOf(TControl* Control)
{
    return [Control](const std::string& Text) { Control->SetCaption(Text); };
}

TCaptionTarget ItemText(TComboBox* Combo, int Index)
{
    return [Combo, Index](const std::string& Text) {
        TStringList items = Combo->Items();
        if (Index >= items.Count()) return;
        const int selected = Combo->GetItemIndex();
        items[Index] = Text;
        Combo->SetItems(items);
        Combo->SetItemIndex(selected);
    };
}

void SetEnabledWithColour(TControl* Control, bool Enabled)
{
    Control->SetEnabled(Enabled);
    Control->Font()->SetColor(Enabled ? clWindowText : RGB(128, 128, 128));
}

TToolWindow::TToolWindow(TComponent* Owner, TToolWindowKind Kind) : TForm(Owner), FKind(Kind)
{
    FormPlacement = new TFormPlacement(this);
    FormPlacement->IniSection = Pattern().PlacementSection;
    FormPlacement->Options = Pattern().PlacementOptions;
    FormPlacement->SetActive(*Pattern().PlacementSection != 0);
    if (Pattern().PullBack)
        FormPlacement->OnRestorePlacement = [this](TObject* Sender) { FormPlacementRestorePlacement(Sender); };
    if (Pattern().Dockable) DragKind = dkDock;
    if (Pattern().DockHandlers) {
        OnStartDock = [this](TObject* Sender) { FormStartDock(Sender); };
        OnEndDock = [this](TObject* Sender, TObject* Target, int X, int Y) { FormEndDock(Sender, Target, X, Y); };
        OnUnDock = [this](TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow) {
            FormUnDock(Sender, Client, NewTarget, Allow);
        };
    }
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnDestroy = [this](TObject* Sender) { FormDestroy(Sender); };
    LiveWindows().push_back(this);
}

TToolWindow::~TToolWindow()
{
    auto& windows = LiveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

TToolWindow* TToolWindow::Find(TToolWindowKind Kind)
{
    for (TToolWindow* w : LiveWindows())
        if (w->FKind == Kind) return w;
    return nullptr;
}

void TToolWindow::FormCreate(TObject*)
{
    FormPlacement->IniFileName = SettingsFileName;
    if (!ServesDeviceType()) {
        if (FMain)
            if (TAction* view = FMain->ViewAction(FKind)) view->SetVisible(false);
        Hide();
    }
    PrepareWindow();
    ApplyLanguage();
    LoadSettings();
}

void TToolWindow::FormDestroy(TObject*) { SaveSettings(); }

std::vector<TCaptionTarget> TToolWindow::CaptionTargets()
{
    return {[this](const std::string& Text) { SetCaption(Text); }};
}

void TToolWindow::ApplyLanguage() { ApplyNumberedCaptions(Pattern().LanguageSection, CaptionTargets()); }

void TToolWindow::LoadSettings()
{
    const TWindowPattern& pattern = Pattern();
    if (!IniFile || *pattern.SettingsSection == 0) return;
    if (pattern.Dockable) {
        const bool docked = IniFile->ReadBool(pattern.SettingsSection, "Docked", true);
        if (docked && pattern.DocksAtStart && pattern.DocksAtStart(DeviceType) && FMain && FMain->pgcDock) {
            // A docked window neither restores nor stores a position.
            ManualDock(FMain->pgcDock, pattern.FillPage);
            FormPlacement->SetActive(false);
            SetVisible(true);
        }
    }
    LoadValues();
}

void TToolWindow::SaveSettings()
{
    const TWindowPattern& pattern = Pattern();
    if (!IniFile || *pattern.SettingsSection == 0) return;
    SaveValues();
    if (pattern.Dockable) IniFile->WriteBool(pattern.SettingsSection, "Docked", !Floating());
}

void TToolWindow::FormStartDock(TObject*)
{
    if (FMain) FMain->ShowDockPanel();
}

void TToolWindow::FormEndDock(TObject*, TObject*, int, int)
{
    FormPlacement->SetActive(Floating());
    if (FMain) FMain->UpdateDockPanel();
}

void TToolWindow::FormUnDock(TObject*, TControl*, TWinControl*, bool&)
{
    if (FMain) FMain->UpdateDockPanel();
    FormPlacement->SetActive(true);
}

void TToolWindow::FormPlacementRestorePlacement(TObject*)
{
    // Only the left and top edges are tested: a corner of the window stays on screen.
    const int maxLeft = Screen->Width() - OnScreenCorner;
    const int maxTop = Screen->Height() - OnScreenCorner;
    if (GetLeft() > maxLeft) SetLeft(maxLeft);
    if (GetTop() > maxTop) SetTop(maxTop);
}
