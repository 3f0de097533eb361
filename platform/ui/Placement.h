// TFormPlacement: keeps a form's position, state and focused control in a section of a
// settings file. It restores them when the form is first shown and stores them when the
// form is destroyed, while it is active.
#pragma once
#include <string>
#include "platform/ui/Forms.h"

constexpr unsigned fpState = 1, fpPosition = 2, fpActiveControl = 4;

class TFormPlacement : public TComponent {
public:
    explicit TFormPlacement(TForm* Owner);
    ~TFormPlacement() override;

    std::string IniFileName;
    std::string IniSection;
    unsigned Options = fpState | fpPosition;
    // A stored placement of another version is not restored.
    int Version = 0;

    bool GetActive() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }

    // Runs after a restore has placed the form (a window may pull it back on screen).
    TNotifyEvent OnRestorePlacement;
    TNotifyEvent OnSavePlacement;

    // Explicit restore and store, whatever the active state.
    void RestoreFormPlacement();
    void SaveFormPlacement();

    // The section the placement uses: IniSection, or the form's name when empty.
    std::string Section() const;

private:
    TForm* FForm;
    THookId FHook = 0;
    bool FActive = true;
    bool FRestored = false;
};
