#include "platform/ui/Controls.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <unordered_map>

#include "platform/ui/Application.h"
#include "platform/ui/ControlsInternal.h"

// ---------------------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* Owner) : FOwner(Owner)
{
    if (FOwner) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    for (TComponent* other : std::vector<TComponent*>(FNotifies)) {
        other->RemoveFreeNotification(this);
        other->Notification(this, opRemove);
    }
    if (FOwner) {
        auto& list = FOwner->FComponents;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TComponent::DestroyComponents()
{
    // Newest first, as the owned components were built on one another.
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        delete last;  // its destructor removes it from the list
    }
}

TComponent* TComponent::FindComponent(const std::string& Name) const
{
    for (TComponent* c : FComponents)
        if (!Name.empty() && SameName(c->Name, Name)) return c;
    return nullptr;
}

void TComponent::EndLoading()
{
    for (TComponent* c : std::vector<TComponent*>(FComponents))
        if (c->FLoading) c->EndLoading();
    if (!FLoading) return;
    FLoading = false;
    Loaded();
}

void TComponent::FreeNotification(TComponent* Other)
{
    if (!Other || Other == this) return;
    if (std::find(FNotifies.begin(), FNotifies.end(), Other) == FNotifies.end()) FNotifies.push_back(Other);
    if (std::find(Other->FNotifies.begin(), Other->FNotifies.end(), this) == Other->FNotifies.end())
        Other->FNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* Other)
{
    FNotifies.erase(std::remove(FNotifies.begin(), FNotifies.end(), Other), FNotifies.end());
}

void TComponent::Notification(TComponent*, TOperation) {}

bool SameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size()) return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(A[i])) != std::tolower(static_cast<unsigned char>(B[i])))
            return false;
    return true;
}

// ---------------------------------------------------------------------------------------
// Key codes

namespace {

struct TKeyPair {
    int Platform;
    WORD Virtual;
};

const TKeyPair KeyTable[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},     {Qt::Key_Backtab, VK_TAB},     {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Escape, VK_ESCAPE},  {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},        {Qt::Key_Home, VK_HOME},   {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Down, VK_DOWN},   {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Plus, 0xBB},         {Qt::Key_Minus, 0xBD},     {Qt::Key_Comma, 0xBC},         {Qt::Key_Period, 0xBE},
};

}  // namespace

WORD VirtualKeyFromPlatform(int PlatformKey)
{
    if (PlatformKey >= Qt::Key_A && PlatformKey <= Qt::Key_Z) return static_cast<WORD>('A' + (PlatformKey - Qt::Key_A));
    if (PlatformKey >= Qt::Key_0 && PlatformKey <= Qt::Key_9) return static_cast<WORD>('0' + (PlatformKey - Qt::Key_0));
    if (PlatformKey >= Qt::Key_F1 && PlatformKey <= Qt::Key_F12)
        return static_cast<WORD>(VK_F1 + (PlatformKey - Qt::Key_F1));
    for (const TKeyPair& pair : KeyTable)
        if (pair.Platform == PlatformKey) return pair.Virtual;
    return 0;
}

int PlatformKeyFromVirtual(WORD Key)
{
    if (Key >= 'A' && Key <= 'Z') return Qt::Key_A + (Key - 'A');
    if (Key >= '0' && Key <= '9') return Qt::Key_0 + (Key - '0');
    if (Key >= VK_F1 && Key <= VK_F12) return Qt::Key_F1 + (Key - VK_F1);
    for (const TKeyPair& pair : KeyTable)
        if (pair.Virtual == Key) return pair.Platform;
    return 0;
}

TShiftState ShiftFromModifiers(unsigned Modifiers, unsigned Buttons)
{
    TShiftState shift = 0;
    if (Modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (Modifiers & Qt::ControlModifier) shift |= ssCtrl;
    if (Modifiers & Qt::AltModifier) shift |= ssAlt;
    if (Buttons & Qt::LeftButton) shift |= ssLeft;
    if (Buttons & Qt::RightButton) shift |= ssRight;
    if (Buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

namespace {

TShiftState ShiftFromMouseFlags(WPARAM Flags)
{
    TShiftState shift = 0;
    if (Flags & MK_SHIFT) shift |= ssShift;
    if (Flags & MK_CONTROL) shift |= ssCtrl;
    if (Flags & MK_LBUTTON) shift |= ssLeft;
    if (Flags & MK_RBUTTON) shift |= ssRight;
    if (Flags & MK_MBUTTON) shift |= ssMiddle;
    return shift;
}

WPARAM MouseFlags(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons)
{
    WPARAM flags = 0;
    if (Modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (Modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    if (Buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (Buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (Buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    return flags;
}

TShiftState CurrentKeyShift()
{
    const Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
    return ShiftFromModifiers(mods, 0);
}

UINT ButtonMessage(QEvent::Type Type, Qt::MouseButton Button)
{
    const int index = Button == Qt::RightButton ? 1 : Button == Qt::MiddleButton ? 2 : 0;
    static const UINT down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const UINT up[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static const UINT dbl[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    if (Type == QEvent::MouseButtonPress) return down[index];
    if (Type == QEvent::MouseButtonRelease) return up[index];
    return dbl[index];
}

QFont ToPlatformFont(const TFont& Font, const QFont& Base)
{
    QFont font = Base;
    if (!Font.GetName().empty()) font.setFamily(QString::fromStdString(Font.GetName()));
    const int height = Font.GetHeight();
    if (height != 0) font.setPixelSize(std::abs(height));
    const TFontStyles style = Font.GetStyle();
    font.setBold(style.Contains(fsBold));
    font.setItalic(style.Contains(fsItalic));
    font.setUnderline(style.Contains(fsUnderline));
    font.setStrikeOut(style.Contains(fsStrikeOut));
    return font;
}

}  // namespace

QColor ToPlatformColor(TColor Color)
{
    const TColor rgb = ColorToRGB(Color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

// ---------------------------------------------------------------------------------------
// The event filter turns the widget's events into window messages.

class TControlEventFilter : public QObject {
public:
    explicit TControlEventFilter(TControl* Control) : FControl(Control) {}
    bool eventFilter(QObject* Object, QEvent* Event) override;

private:
    bool RunNative(QObject* Object, QEvent* Event, TMessage& Message);
    bool RunKey(QObject* Object, QKeyEvent* Event);
    TControl* FControl;
};

struct TControlTarget : public TMessageTarget {
    explicit TControlTarget(TControl* Control) : Control(Control) {}
    void WndProc(TMessage& Message) override { Control->Perform(Message); }
    TControl* Control;
};

struct THookEntry {
    THookId Id = 0;
    TMessageHook Hook;
    bool Attached = true;
};

struct TControlImpl {
    QPointer<QWidget> Widget;
    std::unique_ptr<TControlEventFilter> Filter;
    std::unique_ptr<TControlTarget> Target;
    std::vector<std::shared_ptr<THookEntry>> Hooks;
    THookId NextHookId = 1;
    // The widget event behind the message now passing through the chain.
    QObject* NativeObject = nullptr;
    QEvent* NativeEvent = nullptr;
    bool NativeDone = false;
    bool NativeResult = false;
    bool Consumed = false;
    bool KeySwallowed = false;
    bool Visible = true;
    bool Enabled = true;
    bool Pressed = false;
    bool SelfClick = false;
    bool Destroying = false;
};

namespace {

// The control of each widget that shows one. An entry whose widget went (deleted by its
// parent, say) no longer counts, even when a new widget takes the same address.
struct TWidgetControl {
    QPointer<QWidget> Widget;
    TControl* Control;
};
std::unordered_map<const QWidget*, TWidgetControl>& WidgetControls()
{
    static std::unordered_map<const QWidget*, TWidgetControl> controls;
    return controls;
}

}  // namespace

bool TControlEventFilter::RunNative(QObject* Object, QEvent* Event, TMessage& Message)
{
    TControlImpl& impl = *FControl->Impl;
    QObject* savedObject = impl.NativeObject;
    QEvent* savedEvent = impl.NativeEvent;
    const bool savedDone = impl.NativeDone, savedResult = impl.NativeResult, savedConsumed = impl.Consumed;
    impl.NativeObject = Object;
    impl.NativeEvent = Event;
    impl.NativeDone = false;
    impl.NativeResult = false;
    impl.Consumed = false;
    QPointer<QObject> alive(Object);
    FControl->Perform(Message);
    // Once the chain has run, the event is finished here either way: consumed, or
    // handled by the widget (whose acceptance still decides propagation to the parent).
    if (alive && impl.Consumed) Event->accept();
    impl.NativeObject = savedObject;
    impl.NativeEvent = savedEvent;
    impl.NativeDone = savedDone;
    impl.NativeResult = savedResult;
    impl.Consumed = savedConsumed;
    return true;
}

bool TControlEventFilter::RunKey(QObject* Object, QKeyEvent* Event)
{
    TControlImpl& impl = *FControl->Impl;
    const TShiftState shift = ShiftFromModifiers(Event->modifiers(), 0);
    const WORD vk = VirtualKeyFromPlatform(Event->key());
    if (Event->type() == QEvent::KeyRelease) {
        // The platform repeats only key-downs: a repeat's release never reaches a control.
        if (Event->isAutoRepeat()) return true;
        TMessage up{WM_KEYUP, vk, static_cast<LPARAM>(shift), 0};
        return RunNative(Object, Event, up);
    }
    const bool savedSwallow = impl.KeySwallowed, savedConsumed = impl.Consumed;
    QPointer<QObject> alive(Object);
    impl.KeySwallowed = false;
    impl.Consumed = false;
    bool pass = true;
    if (vk != 0) {
        TMessage down{WM_KEYDOWN, vk, static_cast<LPARAM>(shift) | (Event->isAutoRepeat() ? (LPARAM(1) << 30) : 0), 0};
        FControl->Perform(down);
        if (!alive) return true;
        pass = !impl.KeySwallowed && !impl.Consumed;
    }
    QString text = Event->text();
    bool keyChanged = false;
    if (!text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F) {
        impl.KeySwallowed = false;
        impl.Consumed = false;
        const QByteArray latin = text.left(1).toLatin1();
        TMessage ch{WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(latin.isEmpty() ? '?' : latin[0])), 0, 0};
        const WPARAM original = ch.WParam;
        FControl->Perform(ch);
        if (!alive) return true;
        if (impl.KeySwallowed || impl.Consumed)
            pass = false;
        else if (ch.WParam != original) {
            text = QString(QChar(static_cast<char16_t>(ch.WParam & 0xFF)));
            keyChanged = true;
        }
    }
    impl.KeySwallowed = savedSwallow;
    impl.Consumed = savedConsumed;
    if (!pass) {
        Event->accept();
        return true;
    }
    if (keyChanged) {
        QKeyEvent replaced(QEvent::KeyPress, 0, Event->modifiers(), text, Event->isAutoRepeat());
        Object->event(&replaced);
        Event->setAccepted(replaced.isAccepted());
        return true;
    }
    Object->event(Event);
    return true;
}

bool TControlEventFilter::eventFilter(QObject* Object, QEvent* Event)
{
    if (Object != FControl->Impl->Widget || FControl->Impl->Destroying) return false;
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(Event);
        const QPoint p = e->position().toPoint();
        Qt::MouseButtons buttons = e->buttons();
        TMessage m{ButtonMessage(Event->type(), e->button()), MouseFlags(e->modifiers(), buttons),
                   MakeLParam(p.x(), p.y()), 0};
        return RunNative(Object, Event, m);
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(Event);
        const QPoint p = e->position().toPoint();
        TMessage m{WM_MOUSEMOVE, MouseFlags(e->modifiers(), e->buttons()), MakeLParam(p.x(), p.y()), 0};
        return RunNative(Object, Event, m);
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(Event);
        const QPoint p = e->globalPosition().toPoint();
        const int delta = e->angleDelta().y();
        TMessage m{WM_MOUSEWHEEL,
                   (MouseFlags(e->modifiers(), e->buttons()) & 0xFFFF) |
                       (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16),
                   MakeLParam(p.x(), p.y()), 0};
        return RunNative(Object, Event, m);
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return RunKey(Object, static_cast<QKeyEvent*>(Event));
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        auto* e = static_cast<QFocusEvent*>(Event);
        // Switching windows or opening a menu is not a change of the focused control.
        const bool windowSwitch = e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
        TMessage m{Event->type() == QEvent::FocusIn ? WM_SETFOCUS : WM_KILLFOCUS, windowSwitch ? 1u : 0u, 0, 0};
        return RunNative(Object, Event, m);
    }
    // Size and position changes are reports, not requests: the chain hears of them and
    // the widget (and its layout, which only sees events that pass on) handles them too.
    case QEvent::Resize: {
        auto* e = static_cast<QResizeEvent*>(Event);
        TMessage m{WM_SIZE, 0, MakeLParam(e->size().width(), e->size().height()), 0};
        FControl->Perform(m);
        return false;
    }
    case QEvent::Move: {
        auto* e = static_cast<QMoveEvent*>(Event);
        TMessage m{WM_MOVE, 0, MakeLParam(e->pos().x(), e->pos().y()), 0};
        FControl->Perform(m);
        return false;
    }
    case QEvent::Enter:
    case QEvent::Leave: {
        TMessage m{Event->type() == QEvent::Enter ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0, 0};
        return RunNative(Object, Event, m);
    }
    case QEvent::Paint: {
        // Self-painting controls run WM_PAINT from inside their paint, where the canvas
        // can draw; the others let hooks see it around the widget's own paint.
        if (dynamic_cast<TPaintWidget*>(Object)) return false;
        TMessage m{WM_PAINT, 0, 0, 0};
        return RunNative(Object, Event, m);
    }
    case QEvent::PolishRequest:
        // Every widget asks to be styled once the message loop runs, shown or not. A
        // hidden one is styled as it shows (with everything inside it): styling the
        // controls of every hidden window at start-up only delays the first paint.
        return !static_cast<QWidget*>(Object)->isVisible();
    case QEvent::ChildAdded:
    case QEvent::ChildPolished:
        // A group box without a tick does nothing with a child that comes in or is styled,
        // yet works out its whole look for each such event: hundreds as windows are built.
        if (const auto* box = qobject_cast<QGroupBox*>(Object)) return !box->isCheckable();
        return false;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// TPaintWidget

TPaintWidget::TPaintWidget(TControl* Control, std::function<TCanvas*()> Canvas, QWidget* Parent)
    : QWidget(Parent), FControl(Control), FCanvas(std::move(Canvas))
{
}

void TPaintWidget::paintEvent(QPaintEvent*)
{
    TCanvas* canvas = FCanvas ? FCanvas() : nullptr;
    if (!canvas) return;
    QPainter painter(this);
    canvas->AttachPainter(&painter);
    try {
        FControl->Perform(WM_PAINT);
    } catch (...) {
        canvas->DetachPainter();
        throw;
    }
    canvas->DetachPainter();
}

void TPaintWidget::mousePressEvent(QMouseEvent* Event) { Event->accept(); }
void TPaintWidget::mouseReleaseEvent(QMouseEvent* Event) { Event->accept(); }
void TPaintWidget::mouseDoubleClickEvent(QMouseEvent* Event) { Event->accept(); }
void TPaintWidget::mouseMoveEvent(QMouseEvent* Event) { Event->accept(); }

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* Owner)
    : TComponent(Owner), Impl(std::make_unique<TControlImpl>()), FFont(std::make_unique<TFont>())
{
    Impl->Target = std::make_unique<TControlTarget>(this);
    Impl->Filter = std::make_unique<TControlEventFilter>(this);
    FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl()
{
    DestroyComponents();
    Impl->Destroying = true;
    // Hooks may still hold this control; they are simply dropped.
    for (auto& hook : Impl->Hooks) hook->Attached = false;
    if (FParent) FParent->RemoveControl(this);
    FParent = nullptr;
    if (Impl->Widget) {
        Impl->Widget->removeEventFilter(Impl->Filter.get());
        WidgetControls().erase(Impl->Widget.data());
        delete Impl->Widget.data();
    }
    Impl->Target.reset();
}

HWND TControl::Handle() const { return Impl->Target ? Impl->Target->Handle() : 0; }

QWidget* TControl::Widget() const { return Impl->Widget.data(); }

TControl* TControl::FromWidget(const QWidget* Widget)
{
    if (!Widget) return nullptr;
    auto& controls = WidgetControls();
    const auto found = controls.find(Widget);
    if (found == controls.end()) return nullptr;
    if (found->second.Widget == Widget) return found->second.Control;
    controls.erase(found);
    return nullptr;
}

void TControl::SetWidget(QWidget* Widget)
{
    Impl->Widget = Widget;
    WidgetControls()[Widget] = TWidgetControl{Widget, this};
    Widget->installEventFilter(Impl->Filter.get());
    // Controls hear every mouse move, also with no button held: hover cursors, hover
    // highlights and focus-on-hover depend on it.
    Widget->setMouseTracking(true);
    // Buttons, boxes and lists report their own clicks; labels, panels, group boxes and
    // self-painted controls make theirs from the mouse.
    Impl->SelfClick = dynamic_cast<TPaintWidget*>(Widget) != nullptr || qobject_cast<QLabel*>(Widget) != nullptr ||
                      qobject_cast<QGroupBox*>(Widget) != nullptr || qobject_cast<QProgressBar*>(Widget) != nullptr;
}

QWidget* TControl::FrameWidget() const { return Impl->Widget.data(); }

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message{Msg, WParam, LParam, 0};
    Perform(message);
    return message.Result;
}

void TControl::Perform(TMessage& Message) { DispatchChain(Message); }

THookId TControl::AttachHook(TMessageHook Hook)
{
    auto entry = std::make_shared<THookEntry>();
    entry->Id = Impl->NextHookId++;
    entry->Hook = std::move(Hook);
    Impl->Hooks.push_back(entry);
    return entry->Id;
}

void TControl::DetachHook(THookId Id)
{
    auto& hooks = Impl->Hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it)
        if ((*it)->Id == Id) {
            (*it)->Attached = false;
            hooks.erase(it);
            return;
        }
}

void TControl::DispatchChain(TMessage& Message)
{
    // A snapshot, so that entries attached or detached by a hook take effect with the
    // next message; a detached entry is skipped at once.
    const std::vector<std::shared_ptr<THookEntry>> chain = Impl->Hooks;
    size_t entered = 0;
    bool consumed = false;
    for (size_t i = chain.size(); i-- > 0;) {
        THookEntry& entry = *chain[i];
        ++entered;
        if (entry.Attached && entry.Hook.Before && entry.Hook.Before(Message)) {
            consumed = true;
            break;
        }
    }
    if (consumed) {
        if (!Impl->Destroying) Impl->Consumed = true;
    } else {
        WndProc(Message);
    }
    // After runs for the entries outside the consuming one (or for all), innermost first;
    // the consuming entry itself gets no After.
    const size_t first = chain.size() - entered + (consumed ? 1 : 0);
    for (size_t i = first; i < chain.size(); ++i) {
        THookEntry& entry = *chain[i];
        if (entry.Attached && entry.Hook.After) entry.Hook.After(Message);
    }
}

bool TControl::HasPendingNativeEvent() const { return Impl->NativeEvent && !Impl->NativeDone; }

void TControl::DefaultNativeHandling()
{
    if (!HasPendingNativeEvent()) return;
    Impl->NativeDone = true;
    QObject* object = Impl->NativeObject;
    Impl->NativeResult = object->event(Impl->NativeEvent);
}

bool DecodeMouseButtonMessage(UINT Msg, TMouseButtonMessage& Decoded)
{
    struct TRow {
        UINT Msg;
        TMouseButtonMessage Decoded;
    };
    static constexpr TRow Rows[] = {
        {WM_LBUTTONDOWN, {mbLeft, true, false}},    {WM_LBUTTONUP, {mbLeft, false, false}},
        {WM_LBUTTONDBLCLK, {mbLeft, true, true}},   {WM_RBUTTONDOWN, {mbRight, true, false}},
        {WM_RBUTTONUP, {mbRight, false, false}},    {WM_RBUTTONDBLCLK, {mbRight, true, true}},
        {WM_MBUTTONDOWN, {mbMiddle, true, false}},  {WM_MBUTTONUP, {mbMiddle, false, false}},
        {WM_MBUTTONDBLCLK, {mbMiddle, true, true}},
    };
    for (const TRow& row : Rows)
        if (row.Msg == Msg) {
            Decoded = row.Decoded;
            return true;
        }
    return false;
}

void TControl::WndProc(TMessage& Message)
{
    TMouseButtonMessage mouse{};
    if (DecodeMouseButtonMessage(Message.Msg, mouse)) {
        DefaultNativeHandling();
        const TMouseButton button = mouse.Button;
        const int x = LowSigned16(Message.LParam), y = HighSigned16(Message.LParam);
        TShiftState shift = ShiftFromMouseFlags(Message.WParam) | CurrentKeyShift();
        if (mouse.Down) {
            if (mouse.Double) shift |= ssDouble;
            if (button == mbLeft) Impl->Pressed = true;
            // A control with a click handler keeps the press (and so the release) to
            // itself, as the platform's own windows do; without one it passes on to its parent.
            if (button == mbLeft && Impl->SelfClick && OnClick && Impl->NativeEvent) Impl->NativeEvent->accept();
            if (mouse.Double && button == mbLeft) DblClick();
            MouseDown(button, shift, x, y);
        } else {
            const bool wasPressed = Impl->Pressed && button == mbLeft;
            if (button == mbLeft) Impl->Pressed = false;
            if (wasPressed && Impl->SelfClick && x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight()) Click();
            MouseUp(button, shift, x, y);
        }
        return;
    }
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        DefaultNativeHandling();
        MouseMove(ShiftFromMouseFlags(Message.WParam) | CurrentKeyShift(), LowSigned16(Message.LParam),
                  HighSigned16(Message.LParam));
        break;
    case WM_MOUSEWHEEL: {
        const int delta = static_cast<std::int16_t>((Message.WParam >> 16) & 0xFFFF);
        TPoint p = ScreenToClient(TPoint{LowSigned16(Message.LParam), HighSigned16(Message.LParam)});
        if (DoMouseWheel(ShiftFromMouseFlags(Message.WParam & 0xFFFF) | CurrentKeyShift(), delta, p.x, p.y))
            Message.Result = 1;
        else
            DefaultNativeHandling();
        break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
        WORD key = static_cast<WORD>(Message.WParam);
        const TShiftState shift = static_cast<TShiftState>(Message.LParam & 0xFF);
        if (Message.Msg == WM_KEYDOWN)
            KeyDown(key, shift);
        else
            KeyUp(key, shift);
        if (key == 0)
            Impl->KeySwallowed = true;
        else if (Message.Msg == WM_KEYUP)
            DefaultNativeHandling();
        Message.WParam = key;
        break;
    }
    case WM_CHAR: {
        char key = static_cast<char>(Message.WParam & 0xFF);
        KeyPress(key);
        if (key == 0) Impl->KeySwallowed = true;
        Message.WParam = static_cast<unsigned char>(key);
        break;
    }
    case WM_SETFOCUS:
        DefaultNativeHandling();
        if (Message.WParam == 0) DoEnter();
        break;
    case WM_KILLFOCUS:
        DefaultNativeHandling();
        if (Message.WParam == 0) DoExit();
        break;
    case WM_SIZE:
        DefaultNativeHandling();
        Resize();
        break;
    case CM_MOUSEENTER:
        DefaultNativeHandling();
        if (OnMouseEnter) OnMouseEnter(this);
        break;
    case CM_MOUSELEAVE:
        DefaultNativeHandling();
        if (OnMouseLeave) OnMouseLeave(this);
        break;
    default:
        if (HasPendingNativeEvent())
            DefaultNativeHandling();
        else
            Impl->Target->TMessageTarget::WndProc(Message);
        break;
    }
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y)
{
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, X, Y, handled);
    return handled;
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

void TControl::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TControl::KeyUp(WORD& Key, TShiftState Shift)
{
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TControl::KeyPress(char& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}

void TControl::DoExit()
{
    if (OnExit) OnExit(this);
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::SetParent(TWinControl* Parent)
{
    if (Parent == FParent) return;
    if (FParent) FParent->RemoveControl(this);
    FParent = Parent;
    QWidget* frame = FrameWidget();
    if (FParent) {
        FParent->InsertControl(this);
        if (frame) {
            const QRect geometry = frame->geometry();
            frame->setParent(FParent->ClientWidget());
            frame->setGeometry(geometry);
            // A child of a window not shown yet shows with it: showing it now would style
            // and measure every control of every hidden window at start-up.
            if (!Impl->Visible || frame->isHidden() || FParent->ClientWidget()->isVisible())
                frame->setVisible(Impl->Visible);
        }
        if (FAlign != alNone) FParent->AlignControls();
    } else if (frame) {
        frame->setParent(nullptr);
    }
}

int TControl::GetLeft() const { return FrameWidget() ? FrameWidget()->x() : 0; }
int TControl::GetTop() const { return FrameWidget() ? FrameWidget()->y() : 0; }
int TControl::GetWidth() const { return FrameWidget() ? FrameWidget()->width() : 0; }
int TControl::GetHeight() const { return FrameWidget() ? FrameWidget()->height() : 0; }
void TControl::SetLeft(int Value) { SetBounds(Value, GetTop(), GetWidth(), GetHeight()); }
void TControl::SetTop(int Value) { SetBounds(GetLeft(), Value, GetWidth(), GetHeight()); }
void TControl::SetWidth(int Value) { SetBounds(GetLeft(), GetTop(), Value, GetHeight()); }
void TControl::SetHeight(int Value) { SetBounds(GetLeft(), GetTop(), GetWidth(), Value); }

void TControl::SetBounds(int Left, int Top, int Width, int Height)
{
    QWidget* frame = FrameWidget();
    if (!frame) return;
    const bool sizeChanged = frame->width() != Width || frame->height() != Height;
    if (frame->isWindow()) {
        frame->move(Left, Top);
        frame->resize(std::max(0, Width), std::max(0, Height));
    } else {
        frame->setGeometry(Left, Top, std::max(0, Width), std::max(0, Height));
    }
    if (sizeChanged && FParent && FAlign != alNone) FParent->AlignControls();
}

TRect TControl::BoundsRect() const { return Bounds(GetLeft(), GetTop(), GetWidth(), GetHeight()); }
int TControl::ClientWidth() const { return Widget() ? Widget()->width() : 0; }
int TControl::ClientHeight() const { return Widget() ? Widget()->height() : 0; }

TPoint TControl::ClientToScreen(const TPoint& P) const
{
    if (!Widget()) return P;
    const QPoint g = Widget()->mapToGlobal(QPoint(P.x, P.y));
    return TPoint{g.x(), g.y()};
}

TPoint TControl::ScreenToClient(const TPoint& P) const
{
    if (!Widget()) return P;
    const QPoint l = Widget()->mapFromGlobal(QPoint(P.x, P.y));
    return TPoint{l.x(), l.y()};
}

void TControl::SetAlign(TAlign Value)
{
    if (FAlign == Value) return;
    FAlign = Value;
    if (FParent) FParent->AlignControls();
}

bool TControl::GetVisible() const { return Impl->Visible; }

void TControl::SetVisible(bool Value)
{
    VisibleChanging(Value);
    Impl->Visible = Value;
    if (QWidget* frame = FrameWidget()) frame->setVisible(Value);
    if (FParent && FAlign != alNone) FParent->AlignControls();
}

bool TControl::Showing() const
{
    QWidget* frame = FrameWidget();
    return frame && frame->isVisible();
}

bool TControl::GetEnabled() const { return Impl->Enabled; }

void TControl::SetEnabled(bool Value)
{
    Impl->Enabled = Value;
    if (QWidget* frame = FrameWidget()) frame->setEnabled(Value);
}

void TControl::SetCaption(const std::string& Value)
{
    if (FCaption == Value) return;
    FCaption = Value;
    ApplyCaption();
    TextChanged();
}

void TControl::ApplyCaption()
{
    if (QWidget* w = Widget()) w->setWindowTitle(QString::fromStdString(FCaption));
}

void TControl::SetHint(const std::string& Value)
{
    FHint = Value;
    if (QWidget* w = Widget()) w->setToolTip(ShowHint ? QString::fromStdString(Value) : QString());
}

void TControl::SetColor(TColor Value)
{
    FColor = Value;
    ColorChanged();
}

void TControl::ColorChanged()
{
    QWidget* w = Widget();
    if (!w || FColor == clDefault || FColor == clNone) return;
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, ToPlatformColor(FColor));
    palette.setColor(QPalette::Base, ToPlatformColor(FColor));
    palette.setColor(QPalette::Button, ToPlatformColor(FColor));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

void TControl::FontChanged()
{
    QWidget* w = Widget();
    if (!w) return;
    w->setFont(ToPlatformFont(*FFont, w->font()));
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, ToPlatformColor(FFont->GetColor()));
    palette.setColor(QPalette::Text, ToPlatformColor(FFont->GetColor()));
    palette.setColor(QPalette::ButtonText, ToPlatformColor(FFont->GetColor()));
    w->setPalette(palette);
}

void TControl::BringToFront()
{
    if (QWidget* frame = FrameWidget()) {
        frame->raise();
        if (frame->isWindow()) frame->activateWindow();
    }
}

void TControl::SendToBack()
{
    if (QWidget* frame = FrameWidget()) frame->lower();
}

void TControl::Invalidate()
{
    if (QWidget* w = Widget()) w->update();
}

void TControl::Repaint()
{
    if (QWidget* w = Widget()) w->repaint();
}

void TControl::Update()
{
    if (QWidget* w = Widget()) w->update();
}

bool TControl::CanFocus() const
{
    const QWidget* w = Widget();
    return w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus;
}

bool TControl::Focused() const
{
    const QWidget* w = Widget();
    return w && w->hasFocus();
}

void TControl::SetFocus()
{
    if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* Owner) : TControl(Owner) {}

TWinControl::~TWinControl()
{
    // Children this control does not own outlive it: their widgets leave with them.
    for (TControl* child : std::vector<TControl*>(FControls)) {
        if (QWidget* frame = child->FrameWidget()) {
            frame->hide();
            frame->setParent(nullptr);
        }
        child->FParent = nullptr;
    }
    FControls.clear();
}

QWidget* TWinControl::ClientWidget() const { return Widget(); }

int TWinControl::ClientWidth() const { return ClientWidget() ? ClientWidget()->width() : 0; }
int TWinControl::ClientHeight() const { return ClientWidget() ? ClientWidget()->height() : 0; }

void TWinControl::InsertControl(TControl* Control) { FControls.push_back(Control); }

void TWinControl::RemoveControl(TControl* Control)
{
    FControls.erase(std::remove(FControls.begin(), FControls.end(), Control), FControls.end());
    if (Control->GetAlign() != alNone) AlignControls();
}

TRect TWinControl::AlignArea() const { return TRect{0, 0, ClientWidth(), ClientHeight()}; }

void TWinControl::AlignControls()
{
    if (Loading()) return;
    TRect area = AlignArea();
    auto place = [](TControl* c, int l, int t, int w, int h) {
        QWidget* frame = c->FrameWidget();
        if (frame) frame->setGeometry(l, t, std::max(0, w), std::max(0, h));
    };
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->GetAlign() != align || !c->GetVisible()) continue;
            switch (align) {
            case alTop:
                place(c, area.Left, area.Top, area.Width(), c->GetHeight());
                area.Top = std::min(area.Bottom, area.Top + c->GetHeight());
                break;
            case alBottom:
                place(c, area.Left, area.Bottom - c->GetHeight(), area.Width(), c->GetHeight());
                area.Bottom = std::max(area.Top, area.Bottom - c->GetHeight());
                break;
            case alLeft:
                place(c, area.Left, area.Top, c->GetWidth(), area.Height());
                area.Left = std::min(area.Right, area.Left + c->GetWidth());
                break;
            case alRight:
                place(c, area.Right - c->GetWidth(), area.Top, c->GetWidth(), area.Height());
                area.Right = std::max(area.Left, area.Right - c->GetWidth());
                break;
            case alClient:
                place(c, area.Left, area.Top, area.Width(), area.Height());
                break;
            default:
                break;
            }
        }
    }
    AlignRemainder(area);
}

void TWinControl::AlignRemainder(const TRect&) {}

void TWinControl::Resize()
{
    AlignControls();
    TControl::Resize();
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    AlignControls();
}

// ---------------------------------------------------------------------------------------
// Self-painting controls

TCustomControl::TCustomControl(TComponent* Owner) : TWinControl(Owner), FCanvas(std::make_unique<TCanvas>())
{
    auto* widget = new TPaintWidget(this, [this] { return FCanvas.get(); });
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->resize(100, 40);
    SetWidget(widget);
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {}

void TCustomControl::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_PAINT && !HasPendingNativeEvent()) {
        Paint();
        return;
    }
    TWinControl::WndProc(Message);
}

TGraphicControl::TGraphicControl(TComponent* Owner) : TControl(Owner), FCanvas(std::make_unique<TCanvas>())
{
    auto* widget = new TPaintWidget(this, [this] { return FCanvas.get(); });
    widget->setFocusPolicy(Qt::NoFocus);
    widget->resize(60, 20);
    SetWidget(widget);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

void TGraphicControl::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_PAINT && !HasPendingNativeEvent()) {
        Paint();
        return;
    }
    TControl::WndProc(Message);
}
