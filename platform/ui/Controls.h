// Base of every visual element: components with an owner and a name, controls with a
// window handle, bounds, alignment, mouse, keyboard and focus events, and a
// window-procedure chain through which overlays see each message before and after the
// control. Controls built in code start in their loading bracket; EndLoading (run for a
// whole form by CreateForm) ends it and calls Loaded().
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "platform/ui/Graphics.h"
#include "platform/ui/Messages.h"

class QWidget;
class QEvent;

using WORD = std::uint16_t;

// Window messages the controls raise for what happens to them.
constexpr UINT WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
               WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_SHOWWINDOW = 0x0018, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101,
               WM_CHAR = 0x0102, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
               WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A,
               CM_MOUSEENTER = 0xB013, CM_MOUSELEAVE = 0xB014;

// Mouse message key flags (first parameter of mouse messages).
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008, MK_MBUTTON = 0x0010;

inline int LowSigned16(LPARAM Value) { return static_cast<std::int16_t>(Value & 0xFFFF); }
inline int HighSigned16(LPARAM Value) { return static_cast<std::int16_t>((Value >> 16) & 0xFFFF); }
inline LPARAM MakeLParam(int Low, int High)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(Low) & 0xFFFF) |
                               ((static_cast<std::uint32_t>(High) & 0xFFFF) << 16));
}

// Virtual key codes.
constexpr WORD VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12,
               VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
               VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
               VK_F1 = 0x70, VK_F12 = 0x7B;

// Keyboard and mouse state of an event.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// What a mouse button message says: the button, whether it goes down (a press or a double
// click) and whether it is a double click.
struct TMouseButtonMessage {
    TMouseButton Button;
    bool Down;
    bool Double;
};
// False for any message that is not a button going down, up or double-clicking.
bool DecodeMouseButtonMessage(UINT Msg, TMouseButtonMessage& Decoded);
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TComponent;
class TControl;
class TWinControl;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// Handled set true stops the default handling of the wheel.
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, int X, int Y, bool& Handled)>;
// Key set to 0 swallows the key.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
// Key set to 0 swallows the character.
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

enum TOperation { opInsert, opRemove };

// An object with an owner, a name and a tag. The owner destroys what it owns (newest
// first) when it goes.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* Owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    std::string Name;
    std::intptr_t Tag = 0;

    TComponent* GetOwner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }
    TComponent* FindComponent(const std::string& Name) const;

    // The loading bracket: true from construction until EndLoading.
    bool Loading() const { return FLoading; }
    // Ends the bracket for the owned components (in creation order), then for this one,
    // and calls Loaded() once for each.
    void EndLoading();

    // Asks to be told (Notification with opRemove) when Other is destroyed.
    void FreeNotification(TComponent* Other);
    void RemoveFreeNotification(TComponent* Other);

protected:
    // Destroys the owned components, newest first (a control does this before its
    // widget goes, since their widgets live inside it).
    void DestroyComponents();
    virtual void Loaded() {}
    virtual void Notification(TComponent* Component, TOperation Operation);

private:
    TComponent* FOwner = nullptr;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FNotifies;
    bool FLoading = true;
};

// One entry of a control's window-procedure chain. Before runs ahead of the control
// and returns true to consume the message (the control and the entries attached
// earlier never see it); After runs once the control has handled it.
struct TMessageHook {
    std::function<bool(TMessage&)> Before;
    std::function<void(TMessage&)> After;
};
using THookId = std::uint64_t;

struct TControlImpl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* Owner);
    ~TControl() override;

    // The window handle of this control: messages posted or sent to it run through the
    // window-procedure chain on the GUI thread.
    HWND Handle() const;
    // Runs the message through the chain now and returns its result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    void Perform(TMessage& Message);

    // The newest entry sees the message first and its After last. Entries may be
    // detached in any order, also while a message is passing through the chain.
    THookId AttachHook(TMessageHook Hook);
    void DetachHook(THookId Id);

    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* Parent);

    int GetLeft() const;
    int GetTop() const;
    int GetWidth() const;
    int GetHeight() const;
    void SetLeft(int Value);
    void SetTop(int Value);
    void SetWidth(int Value);
    void SetHeight(int Value);
    virtual void SetBounds(int Left, int Top, int Width, int Height);
    TRect BoundsRect() const;
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    TRect ClientRect() const { return TRect{0, 0, ClientWidth(), ClientHeight()}; }
    TPoint ClientToScreen(const TPoint& P) const;
    TPoint ScreenToClient(const TPoint& P) const;

    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign Value);

    virtual bool GetVisible() const;
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent visible.
    bool Showing() const;

    bool GetEnabled() const;
    virtual void SetEnabled(bool Value);

    const std::string& GetCaption() const { return FCaption; }
    void SetCaption(const std::string& Value);
    // The same text under its other name (edits call it Text).
    const std::string& GetText() const { return GetCaption(); }
    void SetText(const std::string& Value) { SetCaption(Value); }

    const std::string& GetHint() const { return FHint; }
    void SetHint(const std::string& Value);
    bool ShowHint = true;

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFont* Font() const { return FFont.get(); }

    void BringToFront();
    void SendToBack();
    void Invalidate();
    void Repaint();
    void Update();

    // Keyboard focus.
    virtual bool CanFocus() const;
    bool Focused() const;
    void SetFocus();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Runs the click handler as the operator's click would.
    virtual void Click();

    // What the control needs to show its own fixed text whole in its present font: a
    // caption, or the longest choice of a list. Flows: the text starts at the left edge
    // and may run on past the right one (labels, check boxes), so whatever lies to its
    // right keeps clear of the text; otherwise the box itself must be as wide. A control
    // whose text is data (an entry, a memo) needs nothing.
    struct TTextNeed {
        int Width = 0;
        bool Flows = false;
    };
    virtual TTextNeed TextNeed() const { return {}; }

    // Platform use: the widget that shows this control, and the control of a widget.
    QWidget* Widget() const;
    static TControl* FromWidget(const QWidget* Widget);

protected:
    // The control's own window procedure, at the inner end of the chain. Windows override
    // it for their own messages and pass the rest to the base.
    virtual void WndProc(TMessage& Message);

    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, int X, int Y);
    virtual void DblClick();
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void Resize();
    virtual void TextChanged() {}
    virtual void VisibleChanging(bool /*Visible*/) {}
    virtual void FontChanged();
    virtual void ColorChanged();

    // Called by each concrete control's constructor with the widget it shows; the
    // control owns it from then on.
    void SetWidget(QWidget* Widget);
    // Widget whose visibility stands for the control (a form's frame, for instance).
    virtual QWidget* FrameWidget() const;
    // Text as the widget shows it (subclasses with a widget text override).
    virtual void ApplyCaption();
    // Records a text the operator changed in the widget, without writing it back.
    void StoreCaption(const std::string& Value) { FCaption = Value; }

    // True while the native handling of the current message has not run yet.
    bool HasPendingNativeEvent() const;
    // Lets the widget handle the event that produced the current message.
    void DefaultNativeHandling();

private:
    friend struct TControlImpl;
    friend class TControlEventFilter;
    friend class TWinControl;
    void DispatchChain(TMessage& Message);
    void HandleNative(TMessage& Message);
    std::unique_ptr<TControlImpl> Impl;
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    std::string FCaption;
    std::string FHint;
    TColor FColor = clDefault;
    std::unique_ptr<TFont> FFont;
};

// A control that holds other controls and lays out the aligned ones.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* Owner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }

    // Places the aligned children: top, bottom, left, right, then client, each in
    // order of insertion.
    virtual void AlignControls();
    // Platform use: the widget children are placed in.
    virtual QWidget* ClientWidget() const;

    int ClientWidth() const override;
    int ClientHeight() const override;

protected:
    void Resize() override;
    void Loaded() override;
    // The area left for children (a form leaves out its menu, a group box its frame).
    virtual TRect AlignArea() const;
    // Receives the area the aligned children left free (a main window puts its
    // child-window area there).
    virtual void AlignRemainder(const TRect& Area);

private:
    friend class TControl;
    void InsertControl(TControl* Control);
    void RemoveControl(TControl* Control);
    std::vector<TControl*> FControls;
};

// A windowed control that paints itself: Paint draws on Canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* Owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    friend class TPaintWidget;
    virtual void Paint();
    void WndProc(TMessage& Message) override;

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// A light control that paints itself and takes no focus.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* Owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    friend class TPaintWidget;
    virtual void Paint();
    void WndProc(TMessage& Message) override;

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// Names of components compare without regard to case.
bool SameName(const std::string& A, const std::string& B);

// Key codes: the virtual key of a platform key, and the shift state of modifiers.
WORD VirtualKeyFromPlatform(int PlatformKey);
int PlatformKeyFromVirtual(WORD Key);
