#include "platform/ui/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "platform/ui/Application.h"
#include "platform/ui/ControlsInternal.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/TextFit.h"
#include <QAction>

namespace {

std::vector<TForm*>& AllForms()
{
    static std::vector<TForm*> forms;
    return forms;
}
std::vector<TForm*>& CreatedForms()
{
    static std::vector<TForm*> forms;
    return forms;
}
TForm* TheMainForm = nullptr;

// What the window manager draws around a window of each border style, whatever kind of
// window carries it. A sizeable frame is the platform's own.
Qt::WindowFlags Decorations(TFormBorderStyle Style)
{
    const Qt::WindowFlags titled = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    switch (Style) {
    case bsNone:
        return Qt::FramelessWindowHint;
    case bsSingle:
        return titled | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    case bsSizeable:
        return {};
    case bsDialog:
        return titled | Qt::WindowSystemMenuHint;
    case bsToolWindow:
    case bsSizeToolWin:
        return titled;
    }
    return {};
}

// The flags of the frame a child window gets in the main window's area. The area's own
// frame (for a sizeable window) is spelled out: a frame asked for none of its buttons adds
// them all itself, and would then never match the flags asked for, so that each look at
// the frame would set them again (re-parenting the frame with everything in it).
Qt::WindowFlags ChildFrameFlags(TFormBorderStyle Style)
{
    const Qt::WindowFlags decorations = Decorations(Style);
    if (decorations) return Qt::SubWindow | decorations;
    return Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
           Qt::WindowCloseButtonHint;
}

// Dialogs and tool windows are kinds of their own to the window manager (tool windows
// get the narrow title and stay off the task bar).
Qt::WindowFlags WindowKind(TFormBorderStyle Style)
{
    if (Style == bsDialog) return Qt::Dialog;
    if (Style == bsToolWindow || Style == bsSizeToolWin) return Qt::Tool;
    return Qt::Window;
}

// New flags hide a widget: one that was shown is shown again.
void ReplaceFlags(QWidget* Widget, Qt::WindowFlags Flags)
{
    if (Widget->windowFlags() == Flags) return;
    const bool shown = !Widget->isHidden();
    Widget->setWindowFlags(Flags);
    if (shown) Widget->show();
}

// A fixed size is what tells the window manager (and the child-window area) that the
// operator cannot resize the window.
void HoldSize(QWidget* Widget, bool Fixed)
{
    if (Fixed) {
        Widget->setFixedSize(Widget->size());
    } else {
        Widget->setMinimumSize(0, 0);
        Widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

}  // namespace

// The top-level widget of a form: its frame's close button asks the form.
class TFormWidget : public QWidget {
public:
    explicit TFormWidget(TForm* Form) : FForm(Form) {}

protected:
    void changeEvent(QEvent* Event) override
    {
        QWidget::changeEvent(Event);
        if (Event->type() == QEvent::ActivationChange) FForm->ActivationChanged(isActiveWindow());
    }
    void closeEvent(QCloseEvent* Event) override
    {
        bool accept = true;
        FForm->CloseRequested(accept);
        if (accept)
            Event->accept();
        else
            Event->ignore();
    }
    void keyPressEvent(QKeyEvent* Event) override
    {
        const int key = Event->key();
        const bool dialogKey = Event->modifiers() == Qt::NoModifier || Event->modifiers() == Qt::KeypadModifier;
        if (dialogKey && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) &&
            FForm->DialogKey(key == Qt::Key_Escape))
            Event->accept();
        else
            QWidget::keyPressEvent(Event);
    }

private:
    TForm* FForm;
};

// The frame of a child window inside the main window's area.
class TChildFrame : public QMdiSubWindow {
public:
    explicit TChildFrame(TForm* Form) : FForm(Form) { setAttribute(Qt::WA_DeleteOnClose, false); }

protected:
    void closeEvent(QCloseEvent* Event) override
    {
        bool accept = true;
        FForm->CloseRequested(accept);
        Event->ignore();  // the form decides: hide, minimise or free
        (void)accept;
    }

private:
    TForm* FForm;
};

struct TForm::TImpl {
    QWidget* Client = nullptr;
    QPointer<QMenuBar> MenuBar;
    QPointer<QMdiArea> MdiArea;
    QPointer<QMdiSubWindow> ChildFrame;
    TControl* ActiveControl = nullptr;
    bool Shown = false;
    bool Visible = false;
    bool MovingByCode = false;
    QPoint CodePosition{-1000000, -1000000};  // where code last put the window
    bool Dragging = false;                    // the operator is moving the window
    std::unique_ptr<QTimer> DropTimer;
    TRect Normal;
    bool PlacementRestored = false;
    QSize FloatingSize;  // the size before the form was last docked
};

// How long a dragged window must rest before it counts as dropped.
constexpr int DockDropDelayMs = 300;

// The main window's child area as the other windows' placement reads it.
struct TFormAccess {
    // Where the main window's child area lies on the screen (between its menu and tool
    // bars, its status bar and its dock area); before the main window shows, where it will
    // lie once the main window opens over the work area under its title bar. None without
    // a main window that has such an area.
    static std::optional<QRect> MainChildArea(const TForm* Asking, const QRect& WorkArea, QWidget* Frame)
    {
        TForm* main = MainForm();
        if (!main || main == Asking || !main->FImpl->MdiArea) return std::nullopt;
        QWidget* mainWidget = main->Widget();
        QMdiArea* area = main->FImpl->MdiArea;
        if (mainWidget->isVisible()) return QRect(area->mapToGlobal(QPoint(0, 0)), area->size());
        const QPoint offset = area->mapTo(mainWidget, QPoint(0, 0));
        const int right = mainWidget->width() - offset.x() - area->width();
        const int bottom = mainWidget->height() - offset.y() - area->height();
        const int titleBar = Frame->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        return WorkArea.adjusted(offset.x(), offset.y() + titleBar, -right, -bottom);
    }
};

namespace {

// The cascade slot the next window that opens where the platform puts it starts from:
// each slot a title bar further down and to the right than the one before.
int NextCascadeSlot = 0;

int CoveredArea(const QRect& Place, const std::vector<QRect>& Windows)
{
    int covered = 0;
    for (const QRect& window : Windows) {
        const QRect common = Place & window;
        if (!common.isEmpty()) covered += common.width() * common.height();
    }
    return covered;
}

// Where a window of Size opens in Area clear of Windows: the first place, in cascade
// order from the next slot, where the least of it lies under or over them. Besides each
// slot itself, the places at the slot's height right of each of them and against the
// area's right edge are tried.
QPoint FreePlace(const QRect& Area, const QSize& Size, int Step, const std::vector<QRect>& Windows)
{
    int slotCount = 1;
    while (Area.contains(QRect(Area.topLeft() + QPoint(slotCount, slotCount) * Step, Size))) ++slotCount;
    QPoint best = Area.topLeft();
    int bestCovered = -1, bestSlot = 0;
    for (int i = 0; i < slotCount && bestCovered != 0; ++i) {
        const int slot = (NextCascadeSlot + i) % slotCount;
        const QPoint at = Area.topLeft() + QPoint(slot, slot) * Step;
        std::vector<QPoint> tries{at};
        for (const QRect& window : Windows) tries.emplace_back(window.right() + 1, at.y());
        tries.emplace_back(Area.right() + 1 - Size.width(), at.y());
        for (const QPoint& place : tries) {
            if (place != at && !Area.contains(QRect(place, Size))) continue;
            const int covered = CoveredArea(QRect(place, Size), Windows);
            if (bestCovered >= 0 && covered >= bestCovered) continue;
            best = place;
            bestCovered = covered;
            bestSlot = slot;
            if (covered == 0) break;
        }
    }
    NextCascadeSlot = bestSlot + 1;
    return best;
}

}  // namespace

TForm::TForm(TComponent* Owner) : TWinControl(Owner), FImpl(std::make_unique<TImpl>())
{
    auto* widget = new TFormWidget(this);
    widget->setAttribute(Qt::WA_DeleteOnClose, false);
    FImpl->Client = new QWidget(widget);
    widget->resize(400, 300);
    SetWidget(widget);
    widget->hide();
    TControl::SetVisible(false);
    AllForms().push_back(this);
}

TForm::~TForm()
{
    FDestroyed = true;
    // A docked window leaves its page before it goes.
    if (FHostDockSite) FHostDockSite->UndockClient(this);
    auto& all = AllForms();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    auto& created = CreatedForms();
    created.erase(std::remove(created.begin(), created.end(), this), created.end());
    if (TheMainForm == this) TheMainForm = nullptr;
    if (FImpl->ChildFrame) {
        QMdiSubWindow* frame = FImpl->ChildFrame;
        frame->setWidget(nullptr);
        Widget()->setParent(nullptr);
        delete frame;
    }
}

QWidget* TForm::ClientWidget() const { return FImpl->Client; }

QWidget* TForm::FrameWidget() const
{
    if (FImpl->ChildFrame) return FImpl->ChildFrame.data();
    return Widget();
}

void TForm::ApplyCaption()
{
    if (QWidget* w = Widget()) w->setWindowTitle(ToQ(GetCaption()));
    if (FImpl->ChildFrame) FImpl->ChildFrame->setWindowTitle(ToQ(GetCaption()));
}

TRect TForm::AlignArea() const
{
    QWidget* w = Widget();
    if (!w) return TRect{};
    int top = 0;
    if (FImpl->MenuBar) {
        const int h = FImpl->MenuBar->sizeHint().height();
        FImpl->MenuBar->setGeometry(0, 0, w->width(), h);
        top = h;
    }
    FImpl->Client->setGeometry(0, top, w->width(), std::max(0, w->height() - top));
    return TRect{0, 0, FImpl->Client->width(), FImpl->Client->height()};
}

void TForm::AlignRemainder(const TRect& Area)
{
    if (FImpl->MdiArea) FImpl->MdiArea->setGeometry(Area.Left, Area.Top, Area.Width(), Area.Height());
}

void TForm::SetMenu(TMainMenu* Menu)
{
    FMenu = Menu;
    if (FImpl->MenuBar) FImpl->MenuBar->setParent(nullptr);
    FImpl->MenuBar = Menu ? PlatformMenuBar(Menu) : nullptr;
    if (FImpl->MenuBar) {
        FImpl->MenuBar->setParent(Widget());
        FImpl->MenuBar->show();
    }
    AlignControls();
}

void TForm::SetBounds(int Left, int Top, int Width, int Height)
{
    // Code may size a window the operator cannot.
    if (QWidget* framed = FramedWidget(); framed && !Sizeable())
        framed->setFixedSize(std::max(0, Width), std::max(0, Height));
    const bool saved = FImpl->MovingByCode;
    FImpl->MovingByCode = true;
    FImpl->CodePosition = QPoint(Left, Top);
    TWinControl::SetBounds(Left, Top, Width, Height);
    FImpl->MovingByCode = saved;
}

void TForm::WndProc(TMessage& Message)
{
    TWinControl::WndProc(Message);
    if (Message.Msg != WM_MOVE || FImpl->MovingByCode || DragKind != dkDock || FHostDockSite || !FImpl->Visible) return;
    QWidget* frame = FrameWidget();
    // The platform reports moves later than they are made: a move to where code put the
    // window is code's own.
    if (!frame || !frame->isWindow() || frame->pos() == FImpl->CodePosition) return;
    if (!FImpl->DropTimer) {
        FImpl->DropTimer = std::make_unique<QTimer>();
        FImpl->DropTimer->setSingleShot(true);
        QObject::connect(FImpl->DropTimer.get(), &QTimer::timeout, [this] { DropOnDockSite(); });
    }
    // The first move of a drag starts it (the dock handlers may show their dock area).
    if (!FImpl->Dragging) {
        FImpl->Dragging = true;
        if (OnStartDock) OnStartDock(this);
    }
    FImpl->DropTimer->start(DockDropDelayMs);
}

void TForm::DropOnDockSite()
{
    if (!FImpl->Dragging) return;
    FImpl->Dragging = false;
    TDockSite* target = nullptr;
    QPoint local;
    if (!FHostDockSite && FImpl->Visible) {
        const QPoint cursor = QCursor::pos();
        TDockSite* site = DockSiteAt(cursor.x(), cursor.y());
        if (site && site->AcceptsDrag(this) && ManualDock(site, false)) {
            target = site;
            local = site->SiteControl()->Widget()->mapFromGlobal(cursor);
        }
    }
    if (OnEndDock) OnEndDock(this, target ? target->SiteControl() : nullptr, local.x(), local.y());
}

void TForm::SetFormStyle(TFormStyle Value)
{
    if (FFormStyle == Value) return;
    FFormStyle = Value;
    if (Value == fsMDIForm && !FImpl->MdiArea) {
        FImpl->MdiArea = new QMdiArea(FImpl->Client);
        FImpl->MdiArea->setBackground(QBrush(QColor(171, 171, 171)));
        FImpl->MdiArea->show();
        FImpl->MdiArea->lower();
        AlignControls();
    }
    if (Value == fsMDIChild) HostInMainForm();
    ApplyFrame();
}

void TForm::SetBorderStyle(TFormBorderStyle Value)
{
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    ApplyFrame();
}

void TForm::SetHostDockSite(TDockSite* Site)
{
    if (Site && !FHostDockSite && Widget()) FImpl->FloatingSize = Widget()->size();
    const bool released = FHostDockSite && !Site;
    FHostDockSite = Site;
    // A window the operator cannot resize floats again at its own size, whatever size its
    // page gave it.
    if (released && !Sizeable() && FImpl->FloatingSize.isValid()) Widget()->resize(FImpl->FloatingSize);
    ApplyFrame();
}

QWidget* TForm::FramedWidget() const
{
    if (FHostDockSite) return nullptr;
    if (FImpl->ChildFrame) return FImpl->ChildFrame.data();
    return Widget();
}

void TForm::ApplyFrame()
{
    QWidget* widget = Widget();
    if (!widget) return;
    if (FHostDockSite || FImpl->ChildFrame) {
        // The page or the child frame around the form is its frame.
        ReplaceFlags(widget, Qt::Widget);
        HoldSize(widget, false);
    }
    if (FHostDockSite) return;
    if (FImpl->ChildFrame) {
        ReplaceFlags(FImpl->ChildFrame, ChildFrameFlags(FBorderStyle));
        HoldSize(FImpl->ChildFrame, !Sizeable());
        return;
    }
    Qt::WindowFlags flags = WindowKind(FBorderStyle) | Decorations(FBorderStyle);
    if (FFormStyle == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
    ReplaceFlags(widget, flags);
    HoldSize(widget, !Sizeable());
}

void TForm::HostInMainForm()
{
    TForm* main = MainForm();
    if (!main || main == this || !main->FImpl->MdiArea || FImpl->ChildFrame) return;
    const bool visible = FImpl->Visible;
    auto* frame = new TChildFrame(this);
    const QSize size = Widget()->size();
    // The frame joins the area and takes its flags while still empty: each of those steps
    // re-parents the frame with everything inside it, so the form's controls move in
    // (taking on the area's font and colours) once, at the end.
    main->FImpl->MdiArea->addSubWindow(frame);
    ReplaceFlags(frame, ChildFrameFlags(FBorderStyle));
    frame->setWidget(Widget());
    frame->resize(size + QSize(8, 30));
    FImpl->ChildFrame = frame;
    frame->setWindowTitle(ToQ(GetCaption()));
    ApplyFrame();
    Widget()->show();
    frame->setVisible(visible);
}

TWindowState TForm::GetWindowState() const
{
    QWidget* frame = FrameWidget();
    if (!frame) return wsNormal;
    if (frame->isMinimized()) return wsMinimized;
    if (frame->isMaximized()) return wsMaximized;
    return wsNormal;
}

void TForm::SetWindowState(TWindowState Value)
{
    QWidget* frame = FrameWidget();
    if (!frame) return;
    Qt::WindowStates states = frame->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (Value == wsMinimized) states |= Qt::WindowMinimized;
    if (Value == wsMaximized) states |= Qt::WindowMaximized;
    frame->setWindowState(states);
}

bool TForm::GetVisible() const { return FImpl->Visible; }

void TForm::SetVisible(bool Value)
{
    if (Value == FImpl->Visible && (!Value || (FrameWidget() && FrameWidget()->isVisible()))) return;
    if (Value) {
        // Listeners (placement) hear of the show before the window appears.
        Perform(WM_SHOWWINDOW, 1, FImpl->Shown ? 0 : 1);
        const bool first = !FImpl->Shown && FHostDockSite == nullptr;
        FitToTexts();
        if (first) FitToControls();
        if (first) PlaceAtFirstShow();
        if (first) KeepInWorkArea();
        FImpl->Shown = true;
        FImpl->Visible = true;
        DoShow();
        TControl::SetVisible(true);
        if (FImpl->ChildFrame) {
            FImpl->ChildFrame->show();
            Widget()->show();
        }
        // Once shown, the frame around it is known: it fits too.
        if (first) KeepInWorkArea();
    } else {
        FImpl->Visible = false;
        TControl::SetVisible(false);
        if (FImpl->ChildFrame) FImpl->ChildFrame->hide();
        Perform(WM_SHOWWINDOW, 0, 0);
        DoHide();
    }
}

void TForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TForm::DoShow()
{
    if (OnShow) OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide) OnHide(this);
}

void TForm::ActivationChanged(bool Active)
{
    if (Active) {
        if (OnActivate) OnActivate(this);
    } else if (OnDeactivate) {
        OnDeactivate(this);
    }
}

void TForm::CloseRequested(bool& Accept)
{
    Accept = false;
    Close();
    Accept = !FImpl->Visible;
}

namespace {

// The first visible, enabled button of the form marked as its default (or cancel) button.
TButton* MarkedButton(TWinControl* Parent, bool Cancel)
{
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* control = Parent->Controls(i);
        if (!control->GetVisible() || !control->GetEnabled()) continue;
        if (auto* button = dynamic_cast<TButton*>(control))
            if (Cancel ? button->Cancel : button->Default) return button;
        if (auto* inner = dynamic_cast<TWinControl*>(control))
            if (TButton* found = MarkedButton(inner, Cancel)) return found;
    }
    return nullptr;
}

}  // namespace

bool TForm::DialogKey(bool Cancel)
{
    TControl* target = Cancel ? CancelControl : DefaultControl;
    if (!target) target = MarkedButton(this, Cancel);
    if (target && target->GetVisible() && target->GetEnabled()) {
        target->Click();
        return true;
    }
    if (Cancel && FModal) {
        ModalResult = mrCancel;
        return true;
    }
    return false;
}

void TForm::Close()
{
    if (FModal) {
        ModalResult = mrCancel;
        return;
    }
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    TCloseAction action = FFormStyle == fsMDIChild ? caMinimize : caHide;
    if (OnClose) OnClose(this, action);
    if (action == caNone) return;
    if (this == MainForm()) {
        Hide();
        if (Application) Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Hide();
        Release();
        break;
    default:
        break;
    }
}

int TForm::ShowModal()
{
    ModalResult = mrNone;
    FModal = true;
    if (QWidget* frame = FrameWidget()) frame->setWindowModality(Qt::ApplicationModal);
    Show();
    QPointer<QWidget> guard(Widget());
    // Sleeps until an event arrives (window messages of other threads arrive as events
    // too); whatever sets the result or hides the form runs from one of them.
    while (guard && ModalResult == mrNone && FImpl->Visible)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    FModal = false;
    if (guard) {
        Hide();
        if (QWidget* frame = FrameWidget()) frame->setWindowModality(Qt::NonModal);
    }
    if (ModalResult == mrNone) ModalResult = mrCancel;
    return ModalResult;
}

int TForm::MDIChildCount() const
{
    return FImpl->MdiArea ? static_cast<int>(FImpl->MdiArea->subWindowList().size()) : 0;
}

TForm* TForm::MDIChildren(int Index) const
{
    if (!FImpl->MdiArea) return nullptr;
    const auto list = FImpl->MdiArea->subWindowList();
    if (Index < 0 || Index >= list.size()) return nullptr;
    return dynamic_cast<TForm*>(TControl::FromWidget(list.at(Index)->widget()));
}

TForm* TForm::ActiveMDIChild() const
{
    if (!FImpl->MdiArea) return nullptr;
    QMdiSubWindow* active = FImpl->MdiArea->activeSubWindow();
    if (!active) active = FImpl->MdiArea->currentSubWindow();
    if (!active || !active->isVisible()) return nullptr;
    return dynamic_cast<TForm*>(TControl::FromWidget(active->widget()));
}

namespace {

// Grows the containers placed in Parent until their controls fit, innermost first, and
// gives how far Parent's own controls reach.
void GrowContainers(TWinControl* Parent, int& Right, int& Bottom)
{
    constexpr int Margin = 4;
    Right = Bottom = 0;
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* control = Parent->Controls(i);
        if (!control->GetVisible() || control->GetAlign() != alNone) continue;
        auto* inner = dynamic_cast<TWinControl*>(control);
        if (inner && inner->ControlCount() > 0 && !dynamic_cast<TForm*>(control)) {
            int right = 0, bottom = 0;
            GrowContainers(inner, right, bottom);
            const int wider = std::max(0, right - inner->GetWidth()), longer = std::max(0, bottom - inner->GetHeight());
            if (wider > 0 || longer > 0)
                inner->SetBounds(inner->GetLeft(), inner->GetTop(), inner->GetWidth() + wider,
                                 inner->GetHeight() + longer);
        }
        Right = std::max(Right, control->GetLeft() + control->GetWidth() + Margin);
        Bottom = std::max(Bottom, control->GetTop() + control->GetHeight() + Margin);
    }
}

}  // namespace

void TForm::FitToTexts()
{
    if (this == MainForm()) return;
    const int wider = FitToText(this);
    if (wider > 0) SetBounds(GetLeft(), GetTop(), GetWidth() + wider, GetHeight());
    // A window filling its dock page keeps the page's width: the dock area follows what
    // its controls need now.
    if (FHostDockSite) FHostDockSite->ClientResized(this);
}

void TForm::FitToControls()
{
    if (this == MainForm()) return;
    int right = 0, bottom = 0;
    GrowContainers(this, right, bottom);
    const int wider = std::max(0, right - ClientWidth()), longer = std::max(0, bottom - ClientHeight());
    if (wider > 0 || longer > 0) SetBounds(GetLeft(), GetTop(), GetWidth() + wider, GetHeight() + longer);
}

void TForm::KeepInWorkArea()
{
    QWidget* frame = FrameWidget();
    TForm* main = MainForm();
    if (!frame || this == main) return;
    QRect area;
    if (FImpl->ChildFrame) {
        QWidget* parent = FImpl->ChildFrame->parentWidget();
        if (!parent) return;
        area = QRect(QPoint(0, 0), parent->size());
    } else {
        QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        area = screen->availableGeometry();
        // The main window's menu and tool bars stay uncovered: its child area's top.
        if (const auto childArea = TFormAccess::MainChildArea(this, area, frame))
            area.setTop(std::max(area.top(), childArea->top()));
    }
    if (area.width() <= 0 || area.height() <= 0) return;
    // The window with its frame must fit; the size set is the inside of the frame.
    QRect outer = frame->frameGeometry();
    const QRect inner = frame->geometry();
    // A window the window manager has not framed yet shows no frame. The frame it gets goes
    // where the window was put, its inside one title bar lower: room for that is kept, or
    // the window ends past the work area's bottom.
    if (outer == inner && frame->isWindow() && !(frame->windowFlags() & Qt::FramelessWindowHint))
        outer.setBottom(inner.bottom() + frame->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const int w = std::min(outer.width(), area.width()), h = std::min(outer.height(), area.height());
    const int left = std::clamp(outer.x(), area.left(), area.left() + area.width() - w);
    const int top = std::clamp(outer.y(), area.top(), area.top() + area.height() - h);
    if (left == outer.x() && top == outer.y() && w == outer.width() && h == outer.height()) return;
    if (FImpl->ChildFrame)
        FImpl->ChildFrame->setGeometry(left, top, w, h);
    else
        SetBounds(left, top, w - (outer.width() - inner.width()), h - (outer.height() - inner.height()));
}

void TForm::PlaceAtFirstShow()
{
    QWidget* frame = FrameWidget();
    if (!frame) return;
    if (Position == poScreenCenter && !FImpl->ChildFrame) {
        const int w = GetWidth(), h = GetHeight();
        SetBounds((Screen->Width() - w) / 2, (Screen->Height() - h) / 2, w, h);
        return;
    }
    // A place restored from the settings stays.
    if ((Position != poDefault && Position != poCorner) || FImpl->PlacementRestored || this == MainForm()) return;
    // Worked out on the screen, a child window's too: the windows of their own cover the
    // main window's child area from above.
    QRect area;
    QWidget* parent = FImpl->ChildFrame ? FImpl->ChildFrame->parentWidget() : nullptr;
    if (parent) {
        area = QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size());
    } else {
        QScreen* screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        area = screen->availableGeometry();
        if (const auto childArea = TFormAccess::MainChildArea(this, area, frame)) area &= *childArea;
    }
    if (area.width() <= 0 || area.height() <= 0) return;
    // A window of its own not yet framed gets its title bar above the place it is put.
    QSize size = frame->frameGeometry().size();
    if (!parent && frame->frameGeometry() == frame->geometry())
        size.rheight() += frame->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    QPoint at;
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    if (Position == poCorner) {
        at = QPoint(area.left(), area.top() + std::max(0, area.height() - size.height()));
    } else if (parent) {
        // The windows of their own stay above the main window's child windows: a child
        // window opens clear of them where it can.
        std::vector<QRect> above;
        for (TForm* other : AllForms()) {
            QWidget* otherFrame = other->FrameWidget();
            if (other != this && other != MainForm() && other->GetVisible() && otherFrame && otherFrame->isWindow())
                above.push_back(otherFrame->frameGeometry());
        }
        at = FreePlace(area, size, step, above);
    } else {
        // Windows of their own cascade, each title in sight; a window kept in the corner
        // stays uncovered where there is room beside it.
        std::vector<QRect> corners;
        for (TForm* other : AllForms()) {
            QWidget* otherFrame = other->FrameWidget();
            if (other != this && other->Position == poCorner && other->GetVisible() && otherFrame &&
                otherFrame->isWindow())
                corners.push_back(otherFrame->frameGeometry());
        }
        at = FreePlace(area, size, step, corners);
    }
    if (parent)
        FImpl->ChildFrame->move(parent->mapFromGlobal(at));
    else
        SetBounds(at.x(), at.y(), GetWidth(), GetHeight());
}

void TForm::Cascade()
{
    if (!FImpl->MdiArea) return;
    // Each window keeps its size; each next one sits one title bar lower and to the right.
    const int step = FImpl->MdiArea->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    int offset = 0;
    for (QMdiSubWindow* w : FImpl->MdiArea->subWindowList(QMdiArea::StackingOrder)) {
        if (!w->isVisible() || w->isMinimized()) continue;
        if (w->isMaximized()) w->showNormal();
        w->move(offset, offset);
        w->raise();
        offset += step;
    }
}

void TForm::Tile()
{
    if (!FImpl->MdiArea) return;
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : FImpl->MdiArea->subWindowList())
        if (w->isVisible() && !w->isMinimized()) windows.push_back(w);
    if (windows.empty()) return;
    const QRect area = FImpl->MdiArea->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        windows[static_cast<size_t>(i)]->showNormal();
        if (TileMode == tbHorizontal) {
            // One above the other, each the full width.
            const int h = area.height() / n;
            windows[static_cast<size_t>(i)]->setGeometry(0, i * h, area.width(), h);
        } else {
            const int w = area.width() / n;
            windows[static_cast<size_t>(i)]->setGeometry(i * w, 0, w, area.height());
        }
    }
}

void TForm::ArrangeIcons()
{
    if (!FImpl->MdiArea) return;
    const QRect area = FImpl->MdiArea->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : FImpl->MdiArea->subWindowList()) {
        if (!w->isVisible() || !w->isMinimized()) continue;
        const QSize size = w->size();
        w->move(x, area.height() - size.height());
        x += size.width();
    }
}

TControl* TForm::ActiveControl() const
{
    QWidget* focus = QApplication::focusWidget();
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        if (w == Widget()) break;
        if (TControl* c = TControl::FromWidget(w)) return c;
    }
    return FImpl->ActiveControl;
}

void TForm::SetActiveControl(TControl* Control)
{
    FImpl->ActiveControl = Control;
    if (Control) Control->SetFocus();
}

bool TForm::ManualDock(TDockSite* Site, bool FillPage)
{
    if (!Site) return false;
    if (FHostDockSite == Site) return true;
    if (FHostDockSite) FHostDockSite->UndockClient(this);
    return Site->DockClient(this, FillPage);
}

void TForm::ManualFloat(int Left, int Top)
{
    if (FHostDockSite) FHostDockSite->UndockClient(this);
    SetBounds(Left, Top, GetWidth(), GetHeight());
    if (FImpl->Visible) {
        Widget()->show();
        BringToFront();
    }
    // A window let go near a screen edge (or docked since before it was ever shown) would
    // otherwise float partly out of reach.
    KeepInWorkArea();
}

bool TForm::DragDock(TDockSite* Site, int X, int Y)
{
    if (DragKind != dkDock || !Site) return false;
    if (OnStartDock) OnStartDock(this);
    const bool accepted = Site->AcceptsDrag(this) && ManualDock(Site, false);
    if (OnEndDock) OnEndDock(this, accepted ? Site->SiteControl() : nullptr, X, Y);
    return accepted;
}

void TForm::DragUndock(int ScreenX, int ScreenY)
{
    if (!FHostDockSite) return;
    bool allow = true;
    if (OnUnDock) OnUnDock(FHostDockSite->SiteControl(), this, nullptr, allow);
    if (!allow) return;
    if (OnStartDock) OnStartDock(this);
    ManualFloat(ScreenX, ScreenY);
    if (OnEndDock) OnEndDock(this, nullptr, ScreenX, ScreenY);
}

TRect TForm::NormalBounds() const
{
    QWidget* frame = FrameWidget();
    if (!frame) return TRect{};
    if (!frame->isWindow() || GetWindowState() == wsNormal) return BoundsRect();
    // Positions count from the outer frame, as SetBounds places them.
    const QRect r = frame->normalGeometry();
    const QPoint frameOffset = frame->pos() - frame->geometry().topLeft();
    if (!r.isValid() || r.isEmpty()) return BoundsRect();
    return Bounds(r.left() + frameOffset.x(), r.top() + frameOffset.y(), r.width(), r.height());
}

void TForm::SetNormalBounds(const TRect& Bounds)
{
    FImpl->PlacementRestored = true;
    SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
}

void TForm::DoCreate()
{
    if (OnCreate) OnCreate(this);
    // A window docked and shown by its create handler was fitted to its texts before the
    // handler wrote its values into its fields.
    if (FHostDockSite && GetVisible()) FitToTexts();
}

void TForm::DoDestroy()
{
    if (FDestroyed) return;
    FDestroyed = true;
    Perform(WM_DESTROY);
    if (OnDestroy) OnDestroy(this);
}

void TForm::Release()
{
    QPointer<QWidget> guard(Widget());
    TForm* form = this;
    QTimer::singleShot(0, [guard, form] {
        if (guard) FreeForm(form);
    });
}

void RegisterCreatedForm(TForm* Form)
{
    CreatedForms().push_back(Form);
    if (!TheMainForm) TheMainForm = Form;
}

TForm* MainForm() { return TheMainForm; }
void SetMainForm(TForm* Form) { TheMainForm = Form; }

void FreeForm(TForm* Form)
{
    if (!Form) return;
    Form->DoDestroy();
    delete Form;
}

void DestroyForms()
{
    while (!CreatedForms().empty()) {
        TForm* last = CreatedForms().back();
        CreatedForms().pop_back();
        FreeForm(last);
    }
}

TForm* NewestCreatedForm() { return CreatedForms().empty() ? nullptr : CreatedForms().back(); }

void DestroyFormsNewerThan(const TForm* Form)
{
    while (!CreatedForms().empty() && CreatedForms().back() != Form) {
        TForm* last = CreatedForms().back();
        CreatedForms().pop_back();
        FreeForm(last);
    }
}

namespace {
TScreen TheScreen;
}
TScreen* Screen = &TheScreen;

int TScreen::Width() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

int TScreen::Height() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

int TScreen::FormCount() const { return static_cast<int>(AllForms().size()); }
TForm* TScreen::Forms(int Index) const { return AllForms().at(static_cast<size_t>(Index)); }

TForm* TScreen::ActiveForm() const
{
    QWidget* active = QApplication::activeWindow();
    return active ? dynamic_cast<TForm*>(TControl::FromWidget(active)) : nullptr;
}

// ---------------------------------------------------------------------------------------
// The window list: the child windows follow the menu's own items, the active one checked.

void TForm::SetWindowMenu(TMenuItem* Item)
{
    FWindowMenu = Item;
    if (!Item) return;
    TForm* form = this;
    Item->BeforePopup = [form, Item] {
        QMenu* menu = Item->PlatformMenu();
        for (QAction* action : menu->actions())
            if (action->property("zelWindowList").toBool()) {
                menu->removeAction(action);
                action->deleteLater();
            }
        if (!form->FImpl->MdiArea) return;
        int number = 1;
        TForm* active = form->ActiveMDIChild();
        for (QMdiSubWindow* sub : form->FImpl->MdiArea->subWindowList()) {
            auto* child = dynamic_cast<TForm*>(TControl::FromWidget(sub->widget()));
            if (!child || !child->GetVisible()) continue;
            auto* action = new QAction(QString("&%1 %2").arg(number++).arg(ToQ(child->GetCaption())), menu);
            action->setProperty("zelWindowList", true);
            action->setCheckable(true);
            action->setChecked(child == active);
            QPointer<QMdiSubWindow> target(sub);
            QObject::connect(action, &QAction::triggered, [target, form] {
                if (target && form->FImpl->MdiArea) form->FImpl->MdiArea->setActiveSubWindow(target);
            });
            menu->addAction(action);
        }
    };
}

// ---------------------------------------------------------------------------------------
// Dock sites

namespace {
std::vector<TDockSite*>& DockSites()
{
    static std::vector<TDockSite*> sites;
    return sites;
}
}  // namespace

void TDockSite::TakeIn(TForm* Client, QWidget* Container)
{
    Client->Widget()->setParent(Container);
    Client->SetHostDockSite(this);
}

void TDockSite::LetGo(TForm* Client)
{
    QWidget* form = Client->Widget();
    const QPoint global = form->mapToGlobal(QPoint(0, 0));
    form->setParent(nullptr);
    Client->SetHostDockSite(nullptr);
    Client->SetBounds(global.x(), global.y(), form->width(), form->height());
    form->setVisible(Client->GetVisible());
}

void RegisterDockSite(TDockSite* Site) { DockSites().push_back(Site); }

void UnregisterDockSite(TDockSite* Site)
{
    auto& sites = DockSites();
    sites.erase(std::remove(sites.begin(), sites.end(), Site), sites.end());
}

TDockSite* DockSiteAt(int ScreenX, int ScreenY)
{
    for (TDockSite* site : DockSites()) {
        TWinControl* control = site->SiteControl();
        QWidget* w = control ? control->Widget() : nullptr;
        if (!w || !w->isVisible()) continue;
        const QPoint local = w->mapFromGlobal(QPoint(ScreenX, ScreenY));
        if (w->rect().contains(local)) return site;
    }
    return nullptr;
}
