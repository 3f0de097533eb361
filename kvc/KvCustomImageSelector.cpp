#include "kvc/KvCustomImageSelector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>
#include "kvc/KvBufferedImage.h"
#include "kvc/KvStore.h"

namespace KVC {

// ---- TKvPoint, TKvRect ------------------------------------------------------------------

TKvPoint& TKvPoint::operator=(const TDPoint& Value)
{
    x = Value.x;
    y = Value.y;
    return *this;
}

TKvPoint& TKvPoint::operator=(const TKvPoint& Value)
{
    x = Value.x;
    y = Value.y;
    return *this;
}

void TKvPoint::Assign(const TPersistent* Source)
{
    if (const auto* point = dynamic_cast<const TKvPoint*>(Source)) *this = *point;
}

TRect TKvRect::GetRect() const
{
    return TRect{static_cast<int>(std::trunc(Left)), static_cast<int>(std::trunc(Top)),
                 static_cast<int>(std::trunc(Right)), static_cast<int>(std::trunc(Bottom))};
}

double TKvRect::Width() const { return std::fabs(Right - Left); }
double TKvRect::Height() const { return std::fabs(Bottom - Top); }

bool TKvRect::PtInRect(const TDPoint& P) const { return Left <= P.x && P.x <= Right && Top <= P.y && P.y <= Bottom; }

void TKvRect::Correct()
{
    if (Left > Right) std::swap(Left, Right);
    if (Top > Bottom) std::swap(Top, Bottom);
}

void TKvRect::Assign(const TPersistent* Source)
{
    if (const auto* rect = dynamic_cast<const TKvRect*>(Source)) {
        Left = rect->Left;
        Right = rect->Right;
        Top = rect->Top;
        Bottom = rect->Bottom;
    }
}

bool KvNearHandle(const TPoint& P, const TPoint& H) { return std::abs(P.x - H.x) < 4 && std::abs(P.y - H.y) < 4; }

// ---- Draw-buffer hooks ------------------------------------------------------------------
// Each selector on a buffered image keeps the handler it found there and puts its own in
// its place, so a repaint runs the image's handler and then the selectors in the order
// they were hooked. The handler a selector installs is recognisable, so a selector that
// leaves out of order is cut out of the chain instead of leaving a handler that calls it.

struct TKvCustomImageSelector::TDrawHook {
    TKvCustomImageSelector* Selector;
    void operator()(TObject* Sender, TCanvas* Canvas) const { Selector->DrawBuffer(Sender, Canvas); }
};

namespace {

std::vector<TKvCustomImageSelector*>& HookedSelectors()
{
    static std::vector<TKvCustomImageSelector*> selectors;
    return selectors;
}

template <class THook>
bool CallsSelector(const std::function<void(TObject*, TCanvas*)>& Handler, const TKvCustomImageSelector* Selector)
{
    const THook* hook = Handler.template target<THook>();
    return hook && hook->Selector == Selector;
}

}  // namespace

// ---- TKvCustomImageSelector -------------------------------------------------------------

TKvCustomImageSelector::TKvCustomImageSelector(TComponent* Owner)
    : TComponent(Owner), FCanvas(std::make_unique<TControlCanvas>())
{
    for (auto& rect : FRects) rect = std::make_unique<TKvRect>();
}

TKvCustomImageSelector::~TKvCustomImageSelector()
{
    Detach();
    FCanvas->SetControl(nullptr);
}

void TKvCustomImageSelector::Detach()
{
    if (!FWinControl) return;
    FWinControl->DetachHook(FHook);
    FHook = 0;
    ReleaseDrawBufferEvent();
    FWinControl->RemoveFreeNotification(this);
    RemoveFreeNotification(FWinControl);
}

void TKvCustomImageSelector::SetWinControl(TWinControl* Value)
{
    if (Value == FWinControl) return;
    Detach();
    FCaptured = 0;
    FWinControl = Value;
    if (FWinControl) {
        FreeNotification(FWinControl);
        TMessageHook hook;
        hook.Before = [this](TMessage& Message) { return WndProc(Message); };
        hook.After = [this](TMessage& Message) { AfterMessage(Message); };
        FHook = FWinControl->AttachHook(std::move(hook));
        if (FLoaded) CaptureDrawBufferEvent();
    }
    FCanvas->SetControl(FWinControl);
}

void TKvCustomImageSelector::Notification(TComponent* Component, TOperation Operation)
{
    TComponent::Notification(Component, Operation);
    if (Operation != opRemove || !Component) return;
    if (Component == FNextSelector) FNextSelector = nullptr;
    if (Component != FWinControl) return;
    // The control is being destroyed: its hooks and handlers go with it, so it is only
    // forgotten, never touched.
    FHook = 0;
    auto& hooked = HookedSelectors();
    hooked.erase(std::remove(hooked.begin(), hooked.end(), this), hooked.end());
    FSavedDrawBuffer = nullptr;
    FHookedImage = nullptr;
    FHooked = false;
    FCaptured = 0;
    FWinControl = nullptr;
    FCanvas->SetControl(nullptr);
}

void TKvCustomImageSelector::Loaded()
{
    TComponent::Loaded();
    FLoaded = true;
    CaptureDrawBufferEvent();
}

void TKvCustomImageSelector::CaptureDrawBufferEvent()
{
    auto* image = dynamic_cast<TKvBufferedImage*>(FWinControl);
    if (!image || FHooked) return;
    FSavedDrawBuffer = image->OnDrawBuffer;
    image->OnDrawBuffer = TDrawHook{this};
    FHookedImage = image;
    FHooked = true;
    HookedSelectors().push_back(this);
}

void TKvCustomImageSelector::ReleaseDrawBufferEvent()
{
    if (!FHooked || !FHookedImage) return;
    TKvBufferedImage* image = FHookedImage;
    auto& hooked = HookedSelectors();
    hooked.erase(std::remove(hooked.begin(), hooked.end(), this), hooked.end());
    if (CallsSelector<TDrawHook>(image->OnDrawBuffer, this)) {
        image->OnDrawBuffer = FSavedDrawBuffer;
    } else {
        for (TKvCustomImageSelector* other : hooked)
            if (other->FHookedImage == image && CallsSelector<TDrawHook>(other->FSavedDrawBuffer, this)) {
                other->FSavedDrawBuffer = FSavedDrawBuffer;
                break;
            }
    }
    FSavedDrawBuffer = nullptr;
    FHookedImage = nullptr;
    FHooked = false;
}

void TKvCustomImageSelector::DrawBuffer(TObject* Sender, TCanvas* Canvas)
{
    if (FSavedDrawBuffer) FSavedDrawBuffer(Sender, Canvas);
    if (!FVisible) return;
    Draw(Canvas);
    if (FNextSelector) DrawNextSelector(FNextSelector, Canvas);
}

void TKvCustomImageSelector::DrawNextSelector(TKvCustomImageSelector* Selector, TCanvas* Canvas)
{
    if (Selector && Selector->FVisible && Canvas) Selector->Draw(Canvas);
}

void TKvCustomImageSelector::Paint()
{
    if (!FWinControl) return;
    if (TCanvas* canvas = FCanvas->Lock()) {
        DrawBuffer(this, canvas);
        FCanvas->Unlock();
    }
}

void TKvCustomImageSelector::RepaintWinControl()
{
    if (auto* image = dynamic_cast<TKvBufferedImage*>(FWinControl))
        image->Display();
    else if (FWinControl)
        FWinControl->Repaint();
}

bool TKvCustomImageSelector::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return FActive && FVisible && MouseEvent(Message);
    default:
        return false;
    }
}

void TKvCustomImageSelector::AfterMessage(TMessage& Message)
{
    if ((Message.Msg == WM_SIZE || Message.Msg == WM_PAINT) && FVisible && !FHooked) Paint();
}

bool TKvCustomImageSelector::MouseEvent(TMessage&) { return false; }

void TKvCustomImageSelector::Draw(TCanvas*) {}

// ---- Properties -------------------------------------------------------------------------

void TKvCustomImageSelector::SetNextSelector(TKvCustomImageSelector* Value)
{
    if (Value == this) return;
    if (FNextSelector) RemoveFreeNotification(FNextSelector);
    FNextSelector = Value;
    if (FNextSelector) FreeNotification(FNextSelector);
}

void TKvCustomImageSelector::SetActive(bool Value) { Store(FActive, Value); }
void TKvCustomImageSelector::SetVisible(bool Value) { Store(FVisible, Value); }
void TKvCustomImageSelector::SetShiftState(TShiftState Value) { Store(FShiftState, Value); }
void TKvCustomImageSelector::SetGraphBoundsRelatively(bool Value) { Store(FGraphBoundsRelatively, Value); }
void TKvCustomImageSelector::SetValueConstraintsEnabled(bool Value) { Store(FValueConstraintsEnabled, Value); }
void TKvCustomImageSelector::SetMarkerShow(bool Value) { Store(FMarkerShow, Value); }
void TKvCustomImageSelector::SetMarkerColor(TColor Value) { Store(FMarkerColor, Value); }
void TKvCustomImageSelector::SetMarkerBorder(TColor Value) { Store(FMarkerBorder, Value); }
void TKvCustomImageSelector::SetMarkerSize(int Value) { Store(FMarkerSize, Value); }
void TKvCustomImageSelector::SetDefaultCursor(TCursor Value) { Store(FDefaultCursor, Value); }

void TKvCustomImageSelector::SetKvRect(int Index, const TKvRect* Value)
{
    if (Index < 0 || Index > 2 || !Value) return;
    FRects[Index]->Assign(Value);
}

// ---- Geometry ---------------------------------------------------------------------------

TRect TKvCustomImageSelector::GetGraphBounds() const
{
    TRect r = GraphBounds()->GetRect();
    if (FGraphBoundsRelatively) {
        const int width = FWinControl ? FWinControl->GetWidth() : 0;
        const int height = FWinControl ? FWinControl->GetHeight() : 0;
        r.Right = width - r.Right;
        r.Bottom = height - r.Bottom;
    }
    ++r.Right;
    ++r.Bottom;
    return r;
}

namespace {

bool InGraph(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// Values per pixel step; a graph one pixel wide or high has its one pixel on the first
// value and needs no step.
double Step(double ValueSpan, int Pixels) { return Pixels > 1 ? ValueSpan / (Pixels - 1) : 0; }

}  // namespace

bool TKvCustomImageSelector::G2V(const TPoint& P, TDPoint& V) const
{
    const TRect r = GetGraphBounds();
    const TKvRect* values = ValueBounds();
    if (!InGraph(r, P.x, P.y) || r.Width() <= 0 || r.Height() <= 0 || !(values->Width() > 0) || !(values->Height() > 0))
        return false;
    V.x = (P.x - r.Left) * Step(values->Width(), r.Width()) + values->Left;
    V.y = (P.y - r.Top) * Step(values->Height(), r.Height()) + values->Top;
    return values->PtInRect(V);
}

bool TKvCustomImageSelector::G2V(const TPoint& P, TKvPoint* V) const
{
    if (!V) return false;
    TDPoint value{V->x, V->y};
    const bool ok = G2V(P, value);
    *V = value;
    return ok;
}

bool TKvCustomImageSelector::G2V(const TRect& R, TKvRect* V) const
{
    if (!V) return false;
    TDPoint a, b;
    if (!G2V(Point(R.Left, R.Top), a) || !G2V(Point(R.Right, R.Bottom), b)) return false;
    V->Left = a.x;
    V->Right = b.x;
    V->Top = a.y;
    V->Bottom = b.y;
    V->Correct();
    return true;
}

bool TKvCustomImageSelector::G2V(const TRect& R, TDRect& V) const
{
    TDPoint a, b;
    if (!G2V(Point(R.Left, R.Top), a) || !G2V(Point(R.Right, R.Bottom), b)) return false;
    V = TDRect{a.x, a.y, b.x, b.y};
    return true;
}

bool TKvCustomImageSelector::V2G(const TDPoint& V, TPoint& P) const
{
    const TRect r = GetGraphBounds();
    const TKvRect* values = ValueBounds();
    if (!values->PtInRect(V) || r.Width() <= 0 || r.Height() <= 0 || !(values->Width() > 0) || !(values->Height() > 0))
        return false;
    const double sx = Step(values->Width(), r.Width()), sy = Step(values->Height(), r.Height());
    P.x = static_cast<int>(std::trunc((sx > 0 ? (V.x - values->Left) / sx : 0) + r.Left));
    P.y = static_cast<int>(std::trunc((sy > 0 ? (V.y - values->Top) / sy : 0) + r.Top));
    return InGraph(r, P.x, P.y);
}

bool TKvCustomImageSelector::V2G(const TKvPoint* V, TPoint& P) const { return V && V2G(V->GetDPoint(), P); }

bool TKvCustomImageSelector::V2G(TKvRect* V, TRect& R) const
{
    if (!V) return false;
    V->Correct();
    TPoint a, b;
    if (!V2G(TDPoint{V->Left, V->Top}, a) || !V2G(TDPoint{V->Right, V->Bottom}, b)) return false;
    R = TRect{a.x, a.y, b.x, b.y};
    return true;
}

bool TKvCustomImageSelector::V2G(const TDRect& V, TRect& R) const
{
    TPoint a, b;
    if (!V2G(TDPoint{V.left, V.top}, a) || !V2G(TDPoint{V.right, V.bottom}, b)) return false;
    R = TRect{a.x, a.y, b.x, b.y};
    return true;
}

namespace {

// Not >= Low (NaN included) gives Low; above High gives High.
void Clamp(double& C, double Low, double High)
{
    if (!(C >= Low)) C = Low;
    if (C > High) C = High;
}

}  // namespace

void TKvCustomImageSelector::ClampPoint(TKvPoint* P, const TKvRect* Range)
{
    Clamp(P->x, Range->Left, Range->Right);
    Clamp(P->y, Range->Top, Range->Bottom);
}

void TKvCustomImageSelector::CheckBoundsPoint(TKvPoint* P) const
{
    if (!P) return;
    ClampPoint(P, ValueBounds());
    if (FValueConstraintsEnabled) ClampPoint(P, ValueConstraints());
}

void TKvCustomImageSelector::CheckBoundsRect(TKvRect* R) const
{
    if (!R) return;
    auto clampRect = [R](const TKvRect* Range) {
        Clamp(R->Left, Range->Left, Range->Right);
        Clamp(R->Right, Range->Left, Range->Right);
        Clamp(R->Top, Range->Top, Range->Bottom);
        Clamp(R->Bottom, Range->Top, Range->Bottom);
    };
    clampRect(ValueBounds());
    if (FValueConstraintsEnabled) clampRect(ValueConstraints());
    R->Correct();
}

// ---- Shared by the concrete selectors ---------------------------------------------------

bool TKvCustomImageSelector::DragMouseEvent(TMessage& Message, const TDragHandles& Handles)
{
    const TPoint p = Point(LowSigned16(Message.LParam), HighSigned16(Message.LParam));
    const TShiftState cur = GetCurShiftState(Message);
    switch (Message.Msg) {
    case WM_MOUSEMOVE: {
        const int kind = FCaptured ? FCaptured : Handles.HitTest(p.x, p.y);
        const TShiftState moveKeys = Handles.MoveState & ~(ssLeft | ssRight | ssMiddle | ssDouble);
        const bool handle = kind != 0 && kind != Handles.BodyKind;
        const bool body = kind != 0 && kind == Handles.BodyKind && cur == moveKeys;
        SetCursor(handle || body ? Handles.CursorOf(kind) : FDefaultCursor);
        if (FCaptured) {
            Handles.Move(FCaptured, p.x, p.y);
            if (OnChanging) OnChanging(this);
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const int kind = Handles.HitTest(p.x, p.y);
        const bool isBody = kind != 0 && kind == Handles.BodyKind;
        if ((cur == FShiftState && !isBody) || (isBody && cur == Handles.MoveState)) {
            FCaptured = kind;
            if (isBody) FLastPosition = p;
        }
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (FCaptured && OnChanged) OnChanged(this);
        FCaptured = 0;
        break;
    default:
        break;
    }
    return FCaptured != 0;
}

bool TKvCustomImageSelector::BodyShift(const TPoint& P, TDPoint& Shift) const
{
    const TRect r = GetGraphBounds();
    const TPoint centre = Point(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
    const TPoint moved = Point(centre.x + P.x - FLastPosition.x, centre.y + P.y - FLastPosition.y);
    TDPoint from, to;
    if (!G2V(centre, from) || !G2V(moved, to)) return false;
    Shift.x = static_cast<float>(to.x - from.x);
    Shift.y = static_cast<float>(to.y - from.y);
    return true;
}

void TKvCustomImageSelector::SetCursor(TCursor Cursor) const
{
    if (FWinControl) SetControlCursor(FWinControl, Cursor);
}

void TKvCustomImageSelector::DrawMarker(TCanvas* Canvas, const TPoint& Centre, TColor Border, TColor Fill,
                                        int Size) const
{
    Canvas->Pen()->SetColor(Border);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Fill);
    Canvas->Ellipse(Centre.x - Size, Centre.y - Size, Centre.x + Size, Centre.y + Size);
}

}  // namespace KVC
