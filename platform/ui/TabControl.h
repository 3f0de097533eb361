// TTabControl: a row of tabs over one area whose controls stay the same whichever tab is
// chosen; the owner changes what they show when the tab changes.
#pragma once
#include <string>
#include <vector>
#include "platform/ui/ComCtrls.h"

class TTabControl : public TWinControl {
public:
    explicit TTabControl(TComponent* Owner);
    ~TTabControl() override;

    void SetTabs(const std::vector<std::string>& Captions);
    int TabCount() const;
    std::string TabCaption(int Index) const;
    void SetTabCaption(int Index, const std::string& Caption);
    // -1 without tabs. Choosing a tab from code runs no handler.
    int GetTabIndex() const;
    void SetTabIndex(int Value);
    TTabPosition GetTabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);

    // Runs when the operator chooses another tab.
    TNotifyEvent OnChange;
    // As the operator's choice of the tab: selects it and runs OnChange.
    void ChooseTab(int Index);

protected:
    TRect AlignArea() const override;
    void Resize() override;

private:
    void PlaceTabs();
    TTabPosition FTabPosition = tpTop;
    bool FUpdating = false;
};
