#include "platform/ui/Placement.h"

#include <cstdio>

#include "platform/base/IniFiles.h"

namespace {

const char* const KeyFlags = "Flags";
const char* const KeyShowCmd = "ShowCmd";
const char* const KeyPixels = "PixelsPerInch";
const char* const KeyMinMaxPos = "MinMaxPos";
const char* const KeyNormPos = "NormPos";
const char* const KeyVisible = "Visible";
const char* const KeyActiveControl = "ActiveControl";
const char* const KeyFormVersion = "FormVersion";

// The platform's show commands as stored in "ShowCmd".
constexpr int SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3;

std::string FourNumbers(int A, int B, int C, int D)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", A, B, C, D);
    return text;
}

bool ParseFour(const std::string& Text, int (&Out)[4])
{
    char tail = 0;
    return std::sscanf(Text.c_str(), " %d , %d , %d , %d %c", &Out[0], &Out[1], &Out[2], &Out[3], &tail) == 4;
}

}  // namespace

TFormPlacement::TFormPlacement(TForm* Owner) : TComponent(Owner), FForm(Owner)
{
    // Heard through the form's window procedure: the first show restores, the destroy stores.
    FHook = FForm->AttachHook(TMessageHook{[this](TMessage& m) {
                                               if (m.Msg == WM_SHOWWINDOW && m.WParam == 1 && !FRestored) {
                                                   FRestored = true;
                                                   if (FActive) RestoreFormPlacement();
                                               } else if (m.Msg == WM_DESTROY && FActive) {
                                                   SaveFormPlacement();
                                               }
                                               return false;
                                           },
                                           nullptr});
}

TFormPlacement::~TFormPlacement()
{
    if (FForm) FForm->DetachHook(FHook);
}

std::string TFormPlacement::Section() const { return IniSection.empty() ? FForm->Name : IniSection; }

void TFormPlacement::RestoreFormPlacement()
{
    if (IniFileName.empty()) return;
    TIniFile ini(IniFileName);
    const std::string section = Section();
    if (ini.ReadInteger(section, KeyFormVersion, Version) != Version) return;
    int pos[4];
    const bool havePosition = ParseFour(ini.ReadString(section, KeyNormPos, ""), pos);
    if ((Options & fpPosition) && havePosition && pos[2] > pos[0] && pos[3] > pos[1]) {
        // A window the operator cannot resize keeps its own size; only its place comes back.
        if (!FForm->Sizeable()) {
            pos[2] = pos[0] + FForm->GetWidth();
            pos[3] = pos[1] + FForm->GetHeight();
        }
        FForm->SetNormalBounds(Rect(pos[0], pos[1], pos[2], pos[3]));
    }
    if (Options & fpState) {
        const int showCmd = ini.ReadInteger(section, KeyShowCmd, SW_SHOWNORMAL);
        FForm->SetWindowState(showCmd == SW_SHOWMAXIMIZED ? wsMaximized : wsNormal);
    }
    if (Options & fpActiveControl) {
        const std::string name = ini.ReadString(section, KeyActiveControl, "");
        if (auto* control = dynamic_cast<TControl*>(FForm->FindComponent(name))) FForm->SetActiveControl(control);
    }
    if (OnRestorePlacement) OnRestorePlacement(this);
}

void TFormPlacement::SaveFormPlacement()
{
    if (IniFileName.empty()) return;
    TIniFile ini(IniFileName);
    const std::string section = Section();
    const TWindowState state = FForm->GetWindowState();
    const TRect normal = FForm->NormalBounds();
    ini.WriteInteger(section, KeyFlags, state == wsMaximized ? 2 : 0);
    ini.WriteInteger(section, KeyShowCmd,
                     state == wsMaximized   ? SW_SHOWMAXIMIZED
                     : state == wsMinimized ? SW_SHOWMINIMIZED
                                            : SW_SHOWNORMAL);
    ini.WriteInteger(section, KeyPixels, ScreenPixelsPerInch);
    ini.WriteString(section, KeyMinMaxPos, FourNumbers(-1, -1, -1, -1));
    ini.WriteString(section, KeyNormPos, FourNumbers(normal.Left, normal.Top, normal.Right, normal.Bottom));
    ini.WriteBool(section, KeyVisible, FForm->GetVisible());
    if (Options & fpActiveControl) {
        TControl* active = FForm->ActiveControl();
        ini.WriteString(section, KeyActiveControl, active ? active->Name : std::string());
    }
    ini.WriteInteger(section, KeyFormVersion, Version);
    if (OnSavePlacement) OnSavePlacement(this);
}
