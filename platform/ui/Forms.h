// Forms: top-level windows, child windows inside the main window's child-window area,
// modal forms, docking of tool windows, the list of forms and the screen.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"

class TMainMenu;
class TMenuItem;
class TForm;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
// The frame around a window: none, a fixed frame with a title, a sizeable frame, a dialog
// frame, and the narrow-titled frames of tool windows (fixed or sizeable).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
// Where a window opens at its first show, unless a restored placement put it somewhere:
// poDesigned where code put it; poDefault in the main window's child area, a window of
// its own one step down and to the right of the window that opened so before it (a
// cascade from the top left) and beside, not under, a window kept in the corner, a child
// window of the main window clear of the windows of their own where it can;
// poScreenCenter in the middle of the screen; poCorner in the bottom left corner of the
// main window's child area, out of the way of the windows that open from its top left.
enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter, poCorner };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TTileMode { tbHorizontal, tbVertical };
enum TDragKind { dkDrag, dkDock };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TStartDockEvent = std::function<void(TObject* Sender)>;
using TEndDockEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TUnDockEvent = std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
// Asked of a dock site while a window is dragged over it.
using TDockOverEvent = std::function<void(TObject* Sender, TControl* Source, int X, int Y, bool& Accept)>;

// A control that windows can dock into (the page control of a dock area).
class TDockSite {
public:
    virtual ~TDockSite() = default;
    // Takes the form in; false when it refuses.
    virtual bool DockClient(TForm* Client, bool FillPage) = 0;
    // Lets the form go (it floats afterwards).
    virtual void UndockClient(TForm* Client) = 0;
    // Whether a window dragged by the operator may dock here (the site check).
    virtual bool AcceptsDrag(TForm* Client) = 0;
    // The control standing for the site.
    virtual TWinControl* SiteControl() = 0;
    // A docked form changed its size.
    virtual void ClientResized(TForm* /*Client*/) {}

protected:
    // Takes the form's widget into the container: from now on the site is its frame.
    void TakeIn(TForm* Client, QWidget* Container);
    // Gives the form its own frame back where it lies on the screen now.
    void LetGo(TForm* Client);
};

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* Owner);
    ~TForm() override;

    TFormStyle GetFormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    // The window manager gets the frame of the border style; a window whose frame is not
    // sizeable keeps the size code gives it and cannot be resized by the operator.
    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    bool Sizeable() const { return FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin; }
    TWindowState GetWindowState() const;
    void SetWindowState(TWindowState Value);
    TPosition Position = poDesigned;

    void SetVisible(bool Value) override;
    bool GetVisible() const override;
    void Show();
    void Hide() { SetVisible(false); }
    // Asks OnCloseQuery and OnClose and acts on the close action; the main form's close
    // ends the program.
    void Close();
    // Shows the form modally (a nested message loop) until ModalResult is set.
    int ShowModal();
    int ModalResult = 0;
    bool Modal() const { return FModal; }
    // The controls that Enter and Escape click when no focused control takes the key. Unset,
    // Enter clicks the form's default button and Escape its cancel button; a modal form
    // without one closes on Escape.
    TControl* DefaultControl = nullptr;
    TControl* CancelControl = nullptr;

    TMainMenu* GetMenu() const { return FMenu; }
    void SetMenu(TMainMenu* Menu);
    // The menu that lists the child windows (the platform appends them after its items).
    TMenuItem* GetWindowMenu() const { return FWindowMenu; }
    void SetWindowMenu(TMenuItem* Item);

    // Child-window area of a form with style fsMDIForm.
    int MDIChildCount() const;
    TForm* MDIChildren(int Index) const;
    TForm* ActiveMDIChild() const;
    TTileMode TileMode = tbHorizontal;
    void Cascade();
    void Tile();
    void ArrangeIcons();

    TControl* ActiveControl() const;
    void SetActiveControl(TControl* Control);

    // Docking. A dock-kind form can be docked into a dock site and floated again.
    TDragKind DragKind = dkDrag;
    TDockSite* HostDockSite() const { return FHostDockSite; }
    bool Floating() const { return FHostDockSite == nullptr; }
    // Docks into the site (no site check); FillPage makes it fill the page.
    bool ManualDock(TDockSite* Site, bool FillPage = false);
    // Done before each show: the controls make room for their texts and values, the
    // window with them.
    void FitToTexts();
    // Floats the form at the given screen position.
    void ManualFloat(int Left, int Top);
    // Operator docking, as the drag ends: runs the handlers and the site check.
    bool DragDock(TDockSite* Site, int X, int Y);
    void DragUndock(int ScreenX, int ScreenY);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TStartDockEvent OnStartDock;
    TEndDockEvent OnEndDock;
    TUnDockEvent OnUnDock;

    // Platform use.
    QWidget* ClientWidget() const override;
    void DoCreate();
    void DoDestroy();
    // The placement used at the last restore (normal bounds), for placement storage. A
    // window given its normal bounds before its first show opens there, not where poDefault
    // or poCorner would put it.
    TRect NormalBounds() const;
    void SetNormalBounds(const TRect& Bounds);
    // Called when the form's window gains or loses the activation.
    void ActivationChanged(bool Active);
    // Called by a dock site when it hosts the form (after taking its widget in) or
    // releases it (after letting the widget go): a hosted form has no frame of its own,
    // a released one gets its frame back.
    void SetHostDockSite(TDockSite* Site);

    // Destroys the form after the current message.
    void Release();

    void SetBounds(int Left, int Top, int Width, int Height) override;

protected:
    // A floating dock-kind window that the operator moved and left over a dock site
    // docks there (moves made by code never dock).
    void WndProc(TMessage& Message) override;
    QWidget* FrameWidget() const override;
    void ApplyCaption() override;
    TRect AlignArea() const override;
    void AlignRemainder(const TRect& Area) override;
    virtual void DoShow();
    virtual void DoHide();

private:
    friend class TFormWidget;
    friend class TChildFrame;
    friend struct TFormAccess;
    void HostInMainForm();
    // Gives the window manager the frame of the border and form styles and holds the size
    // of a window that is not sizeable; a docked form takes neither.
    void ApplyFrame();
    // The widget that carries the window's frame (null while docked).
    QWidget* FramedWidget() const;
    void DropOnDockSite();
    void CloseRequested(bool& Accept);
    // At a window's first show: moved where its Position puts it.
    void PlaceAtFirstShow();
    // At a window's first show: moved (and if need be shrunk) to lie inside the work area
    // and, for windows of their own, below the main window's menu and tool bars.
    void KeepInWorkArea();
    // At a window's first show: widened and lengthened until the controls placed in it
    // (grown to their texts) fit inside.
    void FitToControls();
    // Enter (Cancel false) or Escape (Cancel true) that no control of the form took.
    bool DialogKey(bool Cancel);
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
    TFormStyle FFormStyle = fsNormal;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TMainMenu* FMenu = nullptr;
    TMenuItem* FWindowMenu = nullptr;
    TDockSite* FHostDockSite = nullptr;
    bool FModal = false;
    bool FDestroyed = false;
};

// Builds a form with its owner, ends its loading bracket and runs its create handler.
// The first form built this way is the main form.
template <class T, class... Args>
T* CreateForm(TComponent* Owner, Args&&... Arguments)
{
    T* form = new T(Owner, std::forward<Args>(Arguments)...);
    form->EndLoading();
    RegisterCreatedForm(form);
    form->DoCreate();
    return form;
}

void RegisterCreatedForm(TForm* Form);
TForm* MainForm();
void SetMainForm(TForm* Form);

// Runs the destroy handler, then deletes the form.
void FreeForm(TForm* Form);
// Destroys every form built by CreateForm in reverse order of creation (the main form
// last), as the program ends.
void DestroyForms();
// The form built last by CreateForm (null when none is left).
TForm* NewestCreatedForm();
// Destroys, newest first, every form built by CreateForm after Form (all of them when Form
// is null or gone).
void DestroyFormsNewerThan(const TForm* Form);

// Dock sites that floating windows can be dropped on.
void RegisterDockSite(TDockSite* Site);
void UnregisterDockSite(TDockSite* Site);
// The site under the screen point that a floating window may dock into.
TDockSite* DockSiteAt(int ScreenX, int ScreenY);

// The screen: its size and the forms that exist.
struct TScreen {
    int Width() const;
    int Height() const;
    int FormCount() const;
    TForm* Forms(int Index) const;
    TForm* ActiveForm() const;
};
extern TScreen* Screen;
