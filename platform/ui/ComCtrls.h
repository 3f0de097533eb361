// Tool bar with action buttons, control bar, status bar with panels, and the page
// control with its tab sheets, which also serves as a dock site for tool windows.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

class TToolButton;

class TToolBar : public TWinControl {
public:
    explicit TToolBar(TComponent* Owner);
    ~TToolBar() override;
    // Adds a button for the action (its caption, hint and state follow the action).
    TToolButton* AddButton(const std::string& Name, TAction* Action);
    TToolButton* AddSeparator(const std::string& Name = {});
    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int Index) const { return FButtons.at(static_cast<size_t>(Index)); }
    bool Flat = true;

private:
    friend class TToolButton;
    std::vector<TToolButton*> FButtons;
};

class TToolButton : public TComponent {
public:
    TToolButton(TToolBar* Bar, TAction* Action, bool Separator);
    ~TToolButton() override;
    TAction* GetAction() const { return FAction; }
    bool IsSeparator() const { return FSeparator; }
    bool GetVisible() const;
    void SetVisible(bool Value);
    std::string GetHint() const;
    bool GetEnabled() const;
    // As the operator's press: runs the action.
    void Click();

protected:
    void Notification(TComponent* Component, TOperation Operation) override;

private:
    void ActionChanged();
    TToolBar* FBar;
    TAction* FAction;
    bool FSeparator;
    bool FVisible = true;
    TAction::TClientId FListener = 0;
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// A strip along the top of a window: its tool bar fills the first row. As a dock site it
// gives each docked window a band in the rows below, at the window's own size, with a grip
// at its left; dragging the grip out of the bar floats the window. The bar is as high as
// its rows: a band takes whole rows of RowSize, bands side by side while they fit.
class TControlBar : public TWinControl, public TDockSite {
public:
    explicit TControlBar(TComponent* Owner);
    ~TControlBar() override;
    int RowSize = 24;
    bool DockSite = true;

    int BandCount() const;
    // The docked window of a band, in docking order.
    TForm* Bands(int Index) const;
    // The grip of the band holding the window (null when it is not docked here).
    QWidget* BandGrip(const TForm* Client) const;

    // The site check for windows the operator drags here.
    std::function<bool(TForm* Client)> OnAcceptDrag;
    // Runs after a window docked or left.
    TNotifyEvent OnDockChanged;

    bool DockClient(TForm* Client, bool FillPage) override;
    void UndockClient(TForm* Client) override;
    bool AcceptsDrag(TForm* Client) override;
    TWinControl* SiteControl() override { return this; }

protected:
    // The tool bar's row: the bar's aligned controls share it.
    TRect AlignArea() const override;
    // The bands go below it.
    void AlignRemainder(const TRect& Area) override;

private:
    friend class TBandWatch;
    int ToolRowHeight() const { return RowSize + 2; }
    void LayoutBands();
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

class TStatusPanel {
public:
    std::string GetText() const { return FText; }
    void SetText(const std::string& Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);

private:
    friend class TStatusBar;
    class TStatusBar* FBar = nullptr;
    std::string FText;
    int FWidth = 50;
    void* FLabel = nullptr;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* Owner);
    ~TStatusBar() override;
    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    TStatusPanel* Panels(int Index) const { return FPanels.at(static_cast<size_t>(Index)).get(); }
    TStatusPanel* AddPanel(const std::string& Text, int Width);

protected:
    void Resize() override;

private:
    friend class TStatusPanel;
    void LayoutPanels();
    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
};

class TPageControl;

class TTabSheet : public TWinControl {
public:
    TTabSheet(TComponent* Owner, TPageControl* PageControl);
    ~TTabSheet() override;
    TPageControl* GetPageControl() const { return FPageControl; }
    int PageIndex() const;
    // The docked window shown on this page, if any.
    TForm* DockedForm() const { return FForm; }

protected:
    void ApplyCaption() override;
    void Resize() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl;
    TForm* FForm = nullptr;
    bool FFill = false;
};

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

// Pages with tabs. As a dock site it gives each docked window a page of its own,
// captioned with the window's caption; dragging a tab out of the control floats the
// window, and a floating window dropped on the control docks.
class TPageControl : public TWinControl, public TDockSite {
public:
    explicit TPageControl(TComponent* Owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int Index) const { return FPages.at(static_cast<size_t>(Index)); }
    // The room the tabs and the page frame take beside a page (across for tabs at a side).
    int TabsExtent() const;
    TTabSheet* GetActivePage() const;
    void SetActivePage(TTabSheet* Page);
    int GetActivePageIndex() const;
    void SetActivePageIndex(int Index);
    TTabPosition GetTabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);
    bool MultiLine = false;
    bool DockSite = true;

    // Runs when the active page changes.
    TNotifyEvent OnChange;
    // The site check for windows the operator drags here.
    std::function<bool(TForm* Client)> OnAcceptDrag;
    // Runs after a window docked or left (the dock area follows its pages).
    TNotifyEvent OnDockChanged;

    bool DockClient(TForm* Client, bool FillPage) override;
    void ClientResized(TForm* Client) override;
    void UndockClient(TForm* Client) override;
    bool AcceptsDrag(TForm* Client) override;
    TWinControl* SiteControl() override { return this; }

    QWidget* ClientWidget() const override;

private:
    friend class TTabSheet;
    friend class TTabDragFilter;
    void AddSheet(TTabSheet* Sheet);
    void RemoveSheet(TTabSheet* Sheet);
    void ReleaseForm(TTabSheet* Sheet);
    std::vector<TTabSheet*> FPages;
    TTabPosition FTabPosition = tpTop;
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
