#include "platform/ui/Menus.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <algorithm>
#include <cctype>

#include "platform/ui/ControlsInternal.h"
#include "platform/ui/Forms.h"

// ---------------------------------------------------------------------------------------
// Short cuts

namespace {

struct TKeyName {
    WORD Key;
    const char* Name;
};
const TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyName(WORD Key)
{
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return std::string(1, static_cast<char>(Key));
    if (Key >= VK_F1 && Key <= VK_F12) return "F" + std::to_string(Key - VK_F1 + 1);
    for (const TKeyName& k : KeyNames)
        if (k.Key == Key) return k.Name;
    return {};
}

WORD KeyFromName(const std::string& Name)
{
    if (Name.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(Name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<WORD>(c);
    }
    if (Name.size() >= 2 && (Name[0] == 'F' || Name[0] == 'f')) {
        const std::string digits = Name.substr(1);
        if (std::all_of(digits.begin(), digits.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            const int n = std::stoi(digits);
            if (n >= 1 && n <= 12) return static_cast<WORD>(VK_F1 + n - 1);
        }
    }
    for (const TKeyName& k : KeyNames)
        if (SameName(k.Name, Name)) return k.Key;
    return 0;
}

std::vector<TActionList*>& ActionLists()
{
    static std::vector<TActionList*> lists;
    return lists;
}

// Sees every key press of the program first: a short cut of the focused form (or of
// the main window around a child window) runs its action before any control sees the key.
class TShortCutFilter : public QObject {
public:
    bool eventFilter(QObject* Object, QEvent* Event) override
    {
        if (Event->type() != QEvent::KeyPress || !Object->isWidgetType()) return false;
        auto* key = static_cast<QKeyEvent*>(Event);
        const WORD vk = VirtualKeyFromPlatform(key->key());
        if (vk == 0 || vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) return false;
        const TShortCut sc = ShortCut(vk, ShiftFromModifiers(key->modifiers(), 0));
        for (QWidget* w = static_cast<QWidget*>(Object); w; w = w->parentWidget()) {
            auto* form = dynamic_cast<TForm*>(TControl::FromWidget(w));
            if (!form) continue;
            for (TActionList* list : std::vector<TActionList*>(ActionLists()))
                if (list->GetOwner() == form && list->IsShortCut(sc)) {
                    key->accept();
                    return true;
                }
        }
        return false;
    }
};

void InstallShortCutFilter()
{
    static TShortCutFilter* filter = nullptr;
    if (filter || !qApp) return;
    filter = new TShortCutFilter();
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift)
{
    TShortCut sc = Key & 0xFF;
    if (Shift & ssShift) sc |= scShift;
    if (Shift & ssCtrl) sc |= scCtrl;
    if (Shift & ssAlt) sc |= scAlt;
    return sc;
}

TShortCut TextToShortCut(const std::string& Text)
{
    TShortCut mods = 0;
    std::string rest = Text;
    for (;;) {
        const size_t plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 >= rest.size()) break;
        const std::string mod = rest.substr(0, plus);
        if (SameName(mod, "Ctrl"))
            mods |= scCtrl;
        else if (SameName(mod, "Shift"))
            mods |= scShift;
        else if (SameName(mod, "Alt"))
            mods |= scAlt;
        else
            return 0;
        rest = rest.substr(plus + 1);
    }
    const WORD key = KeyFromName(rest);
    return key ? static_cast<TShortCut>(mods | key) : 0;
}

std::string ShortCutToText(TShortCut ShortCut)
{
    const std::string name = KeyName(ShortCut & 0xFF);
    if (name.empty()) return {};
    std::string text;
    if (ShortCut & scShift) text += "Shift+";
    if (ShortCut & scCtrl) text += "Ctrl+";
    if (ShortCut & scAlt) text += "Alt+";
    return text + name;
}

// ---------------------------------------------------------------------------------------
// TAction

TAction::TAction(TComponent* Owner) : TComponent(Owner) {}
TAction::~TAction() = default;

void TAction::Changed(TChange What)
{
    for (const auto& listener : std::vector<std::pair<TClientId, std::function<void(TChange)>>>(FListeners))
        listener.second(What);
}

void TAction::SetCaption(const std::string& Value)
{
    if (FCaption == Value) return;
    FCaption = Value;
    Changed(TChange::Caption);
}

void TAction::SetHint(const std::string& Value)
{
    if (FHint == Value) return;
    FHint = Value;
    Changed(TChange::Hint);
}

void TAction::SetShortCut(TShortCut Value)
{
    if (FShortCut == Value) return;
    FShortCut = Value;
    Changed(TChange::ShortCut);
}

void TAction::SetEnabled(bool Value)
{
    if (FEnabled == Value) return;
    FEnabled = Value;
    Changed(TChange::Enabled);
}

void TAction::SetVisible(bool Value)
{
    if (FVisible == Value) return;
    FVisible = Value;
    Changed(TChange::Visible);
}

void TAction::SetChecked(bool Value)
{
    if (FChecked == Value) return;
    FChecked = Value;
    Changed(TChange::Checked);
}

bool TAction::Execute()
{
    if (!FEnabled || !OnExecute) return false;
    OnExecute(this);
    return true;
}

TAction::TClientId TAction::AddChangeListener(std::function<void(TChange)> Listener)
{
    const TClientId id = FNextId++;
    FListeners.emplace_back(id, std::move(Listener));
    return id;
}

void TAction::RemoveChangeListener(TClientId Id)
{
    FListeners.erase(
        std::remove_if(FListeners.begin(), FListeners.end(), [Id](const auto& l) { return l.first == Id; }),
        FListeners.end());
}

// ---------------------------------------------------------------------------------------
// TActionList

TActionList::TActionList(TComponent* Owner) : TComponent(Owner)
{
    InstallShortCutFilter();
    ActionLists().push_back(this);
}

TActionList::~TActionList()
{
    auto& lists = ActionLists();
    lists.erase(std::remove(lists.begin(), lists.end(), this), lists.end());
}

void TActionList::Add(TAction* Action)
{
    if (!Action) return;
    FActions.push_back(Action);
    FreeNotification(Action);
}

TAction* TActionList::AddAction(const std::string& Name, const std::string& Category, const std::string& Caption,
                                TShortCut ShortCut)
{
    auto* action = new TAction(GetOwner() ? GetOwner() : this);
    action->Name = Name;
    action->Category = Category;
    action->SetCaption(Caption);
    action->SetShortCut(ShortCut);
    Add(action);
    return action;
}

bool TActionList::IsShortCut(TShortCut ShortCut)
{
    if (ShortCut == 0) return false;
    for (TAction* action : FActions)
        if (action->GetShortCut() == ShortCut && action->GetVisible() && action->GetEnabled()) return action->Execute();
    return false;
}

void TActionList::Notification(TComponent* Component, TOperation Operation)
{
    if (Operation == opRemove) FActions.erase(std::remove(FActions.begin(), FActions.end(), Component), FActions.end());
}

// ---------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* Owner) : TComponent(Owner), FPlatformAction(new QAction())
{
    QObject::connect(FPlatformAction, &QAction::triggered, [this] { Click(); });
}

TMenuItem::~TMenuItem()
{
    if (FAction) FAction->RemoveChangeListener(FListener);
    for (TMenuItem* item : FItems) item->FParentItem = nullptr;
    if (FParentItem) {
        auto& items = FParentItem->FItems;
        items.erase(std::remove(items.begin(), items.end(), this), items.end());
    }
    delete FPlatformAction;
    delete FMenu;
}

QMenu* TMenuItem::PlatformMenu()
{
    if (!FMenu) {
        FMenu = new QMenu();
        FMenu->setTitle(ToQ(FCaption));
        QObject::connect(FMenu, &QMenu::aboutToShow, [this] {
            if (BeforePopup) BeforePopup();
        });
        FPlatformAction->setMenu(FMenu);
    }
    return FMenu;
}

void TMenuItem::UpdatePlatform()
{
    QString text = ToQ(FCaption);
    if (FShortCut) text += "\t" + ToQ(ShortCutToText(FShortCut));
    FPlatformAction->setSeparator(IsLine());
    // A line's "-" is its mark, not a text to show beside it.
    FPlatformAction->setText(IsLine() ? QString() : text);
    if (FMenu) FMenu->setTitle(ToQ(FCaption));
    FPlatformAction->setEnabled(FEnabled);
    FPlatformAction->setVisible(FVisible);
    FPlatformAction->setCheckable(FChecked);
    FPlatformAction->setChecked(FChecked);
    FPlatformAction->setToolTip(ToQ(FHint));
}

void TMenuItem::SetCaption(const std::string& Value) { Update(FCaption, Value); }

void TMenuItem::SetEnabled(bool Value) { Update(FEnabled, Value); }

void TMenuItem::SetVisible(bool Value) { Update(FVisible, Value); }

void TMenuItem::SetChecked(bool Value) { Update(FChecked, Value); }

void TMenuItem::SetShortCut(TShortCut Value) { Update(FShortCut, Value); }

void TMenuItem::SetAction(TAction* Action)
{
    if (FAction) {
        FAction->RemoveChangeListener(FListener);
        RemoveFreeNotification(FAction);
    }
    FAction = Action;
    if (!FAction) return;
    FreeNotification(FAction);
    FListener = FAction->AddChangeListener([this](TAction::TChange What) { ActionChanged(What); });
    FCaption = FAction->GetCaption();
    ActionChanged(TAction::TChange::All);
}

void TMenuItem::ActionChanged(TAction::TChange What)
{
    // The caption is the item's own once set: a translated menu keeps its text while the
    // action's state (enabled, visible, checked, short cut) follows the action. Only what
    // changed is taken, so an item hidden on its own stays hidden when the action's hint
    // is translated.
    using C = TAction::TChange;
    const bool all = What == C::All;
    if (all || What == C::Enabled) FEnabled = FAction->GetEnabled();
    if (all || What == C::Visible) FVisible = FAction->GetVisible();
    if (all || What == C::Checked) FChecked = FAction->GetChecked();
    if (all || What == C::ShortCut) FShortCut = FAction->GetShortCut();
    if (all || What == C::Hint) FHint = FAction->GetHint();
    UpdatePlatform();
}

void TMenuItem::Notification(TComponent* Component, TOperation Operation)
{
    if (Operation == opRemove && Component == FAction) FAction = nullptr;
}

void TMenuItem::Add(TMenuItem* Item)
{
    if (!Item || Item->FParentItem == this) return;
    if (Item->FParentItem) Item->FParentItem->Remove(Item);
    Item->FParentItem = this;
    FItems.push_back(Item);
    if (HostBar)
        HostBar->addAction(Item->FPlatformAction);
    else
        PlatformMenu()->addAction(Item->FPlatformAction);
}

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    Item->FParentItem = nullptr;
    if (HostBar)
        HostBar->removeAction(Item->FPlatformAction);
    else if (FMenu)
        FMenu->removeAction(Item->FPlatformAction);
}

void TMenuItem::Click()
{
    if (!FEnabled) return;
    if (OnClick)
        OnClick(this);
    else if (FAction)
        FAction->Execute();
}

// ---------------------------------------------------------------------------------------
// TMainMenu

struct TMainMenu::TImpl {
    QPointer<QMenuBar> Bar;  // a form's widget may take it down first
};

TMainMenu::TMainMenu(TComponent* Owner)
    : TComponent(Owner), FItems(new TMenuItem(this)), FImpl(std::make_unique<TImpl>())
{
    FImpl->Bar = new QMenuBar();
    FItems->HostBar = FImpl->Bar;
    FImpl->Bar->setNativeMenuBar(false);
}

TMainMenu::~TMainMenu()
{
    delete FItems;  // the items leave the bar before it goes
    FItems = nullptr;
    delete FImpl->Bar.data();
}

QMenuBar* TMainMenu::PlatformBar() const { return FImpl->Bar.data(); }
QMenuBar* PlatformMenuBar(TMainMenu* Menu) { return Menu ? Menu->PlatformBar() : nullptr; }

namespace {
TMenuItem* FindIn(TMenuItem* Item, const std::string& Name)
{
    for (int i = 0; i < Item->Count(); ++i) {
        TMenuItem* child = Item->Items(i);
        if (SameName(child->Name, Name)) return child;
        if (TMenuItem* found = FindIn(child, Name)) return found;
    }
    return nullptr;
}
}  // namespace

TMenuItem* TMainMenu::FindItem(const std::string& Name) const { return FindIn(FItems, Name); }

TMenuItem* NewMenuItem(TComponent* Owner, TMenuItem* Parent, const std::string& Name, const std::string& Caption,
                       TAction* Action)
{
    auto* item = new TMenuItem(Owner);
    item->Name = Name;
    if (Action) item->SetAction(Action);
    if (!Caption.empty() || !Action) item->SetCaption(Caption);
    if (Parent) Parent->Add(item);
    return item;
}
