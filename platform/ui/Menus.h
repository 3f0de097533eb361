// Actions with short cuts, action lists, and main menus whose items may take their
// state from an action while keeping a caption of their own.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "platform/ui/Controls.h"

class QMenuBar;
class QMenu;
class QAction;

// Key plus modifiers in the platform's short-cut form: virtual key | scShift | scCtrl | scAlt.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(WORD Key, TShiftState Shift);
// "Ctrl+O", "Ctrl+Alt+T", "F1"; 0 for text that names no key.
TShortCut TextToShortCut(const std::string& Text);
std::string ShortCutToText(TShortCut ShortCut);

class TAction : public TComponent {
public:
    explicit TAction(TComponent* Owner);
    ~TAction() override;

    std::string Category;
    int ImageIndex = -1;

    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value);
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value);

    // Runs OnExecute when the action is enabled; true when it ran.
    virtual bool Execute();
    TNotifyEvent OnExecute;

    // Clients (menu items, tool buttons) hear of every change and of what changed, so
    // that a client's own setting of another property stands.
    enum class TChange { All, Caption, Hint, ShortCut, Enabled, Visible, Checked };
    using TClientId = std::uint64_t;
    TClientId AddChangeListener(std::function<void(TChange)> Listener);
    void RemoveChangeListener(TClientId Id);

private:
    void Changed(TChange What);
    std::string FCaption, FHint;
    TShortCut FShortCut = 0;
    bool FEnabled = true, FVisible = true, FChecked = false;
    std::vector<std::pair<TClientId, std::function<void(TChange)>>> FListeners;
    TClientId FNextId = 1;
};

// The actions of a form, in list order. Their short cuts work while the form (or a
// child window inside it) has the focus, whether or not a menu shows the action.
class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* Owner);
    ~TActionList() override;

    int ActionCount() const { return static_cast<int>(FActions.size()); }
    TAction* Actions(int Index) const { return FActions.at(static_cast<size_t>(Index)); }
    // Creates an action owned by the list's owner and listed here.
    TAction* AddAction(const std::string& Name, const std::string& Category, const std::string& Caption,
                       TShortCut ShortCut = 0);
    void Add(TAction* Action);
    // Executes the enabled, visible action bound to the short cut; true when one ran.
    bool IsShortCut(TShortCut ShortCut);

protected:
    void Notification(TComponent* Component, TOperation Operation) override;

private:
    std::vector<TAction*> FActions;
};

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* Owner);
    ~TMenuItem() override;

    // A caption of "-" makes a separator.
    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value);
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }

    // Takes caption, short cut, hint and state from the action and runs it on click.
    TAction* GetAction() const { return FAction; }
    void SetAction(TAction* Action);

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
    TMenuItem* GetParentItem() const { return FParentItem; }
    void Add(TMenuItem* Item);
    void Remove(TMenuItem* Item);
    bool IsLine() const { return FCaption == "-"; }

    // As the operator's choice of the item: runs OnClick, else the action.
    virtual void Click();
    TNotifyEvent OnClick;

    // Platform use.
    QAction* PlatformAction() const { return FPlatformAction; }
    QMenu* PlatformMenu();
    // Runs before the item's sub-menu opens (the window list is filled here).
    std::function<void()> BeforePopup;
    // Set by a main menu for its top item: the bar that shows the sub-items.
    QMenuBar* HostBar = nullptr;

protected:
    void Notification(TComponent* Component, TOperation Operation) override;

private:
    void UpdatePlatform();
    // Every published property of an item shows on the platform's menu at once.
    template <class T>
    void Update(T& Field, const T& Value)
    {
        Field = Value;
        UpdatePlatform();
    }
    void ActionChanged(TAction::TChange What);
    std::string FCaption, FHint;
    bool FEnabled = true, FVisible = true, FChecked = false;
    TShortCut FShortCut = 0;
    TAction* FAction = nullptr;
    TAction::TClientId FListener = 0;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParentItem = nullptr;
    QAction* FPlatformAction = nullptr;
    QMenu* FMenu = nullptr;
};

class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent* Owner);
    ~TMainMenu() override;
    // The top item whose sub-items are the menus of the bar.
    TMenuItem* Items() const { return FItems; }
    // Finds an item of any level by name.
    TMenuItem* FindItem(const std::string& Name) const;
    QMenuBar* PlatformBar() const;

private:
    TMenuItem* FItems;
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

QMenuBar* PlatformMenuBar(TMainMenu* Menu);
// Builds an item under Parent with a name and a caption (and optionally an action).
TMenuItem* NewMenuItem(TComponent* Owner, TMenuItem* Parent, const std::string& Name, const std::string& Caption,
                       TAction* Action = nullptr);
