#include "kvc/KvRectSelector.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace KVC {

namespace {
constexpr int RectBody = 9;

// Which edges each handle kind moves (index = kind).
struct TEdges {
    bool Left, Right, Top, Bottom;
};
constexpr TEdges KindEdges[] = {
    {false, false, false, false},  // none
    {true, false, true, false},    // left-top
    {false, true, true, false},    // right-top
    {false, true, false, true},    // right-bottom
    {true, false, false, true},    // left-bottom
    {true, false, false, false},   // left
    {false, false, true, false},   // top
    {false, true, false, false},   // right
    {false, false, false, true},   // bottom
    {true, true, true, true},      // body
};

constexpr TCursor KindCursors[] = {crDefault, crSizeNWSE, crSizeNESW, crSizeNWSE, crSizeNESW,
                                   crSizeWE,  crSizeNS,   crSizeWE,   crSizeNS,   crSizeAll};
}  // namespace

TKvRectSelector::TKvRectSelector(TComponent* Owner) : TKvStrokedSelector(Owner), FValue(std::make_unique<TKvRect>()) {}

TKvRectSelector::~TKvRectSelector() = default;

void TKvRectSelector::SetValue(const TKvRect* Value) { FValue->Assign(Value); }

void TKvRectSelector::CheckBounds() { CheckBoundsRect(FValue.get()); }

void TKvRectSelector::NewCapturedRect(int X, int Y)
{
    TDPoint v;
    if (!G2V(Point(X, Y), v)) return;
    FValue->Left = FValue->Right = v.x;
    FValue->Top = FValue->Bottom = v.y;
    CheckBounds();
    SetCaptured(3);
    SetCursor(GetMarkerShow() ? crHandPoint : crSizeNWSE);
    RepaintWinControl();
}

int TKvRectSelector::CheckMouseCapture(int X, int Y)
{
    TRect r;
    if (!V2G(FValue.get(), r)) return 0;
    const TPoint p = Point(X, Y);
    if (KvNearHandle(p, Point(r.Left, r.Top))) return 1;
    if (KvNearHandle(p, Point(r.Left, r.Bottom))) return 4;
    if (KvNearHandle(p, Point(r.Right, r.Top))) return 2;
    if (KvNearHandle(p, Point(r.Right, r.Bottom))) return 3;
    const bool withinRows = r.Top <= Y && Y <= r.Bottom, withinColumns = r.Left <= X && X <= r.Right;
    if (std::abs(X - r.Left) <= 3 && withinRows) return 5;
    if (std::abs(X - r.Right) <= 3 && withinRows) return 7;
    if (std::abs(Y - r.Top) <= 3 && withinColumns) return 6;
    if (std::abs(Y - r.Bottom) <= 3 && withinColumns) return 8;
    if (withinRows && withinColumns) return RectBody;
    return 0;
}

void TKvRectSelector::LimitEdges(int Kind)
{
    if (!GetValueConstraintsEnabled()) return;
    const TEdges edges = KindEdges[Kind];
    const TKvRect* c = ValueConstraints();
    if (edges.Left) FValue->Left = std::max(FValue->Left, c->Left);
    if (edges.Top) FValue->Top = std::max(FValue->Top, c->Top);
    if (edges.Right) FValue->Right = std::min(FValue->Right, c->Right);
    if (edges.Bottom) FValue->Bottom = std::min(FValue->Bottom, c->Bottom);
}

void TKvRectSelector::SetNewValueCoord(int Kind, int X, int Y)
{
    if (Kind >= 1 && Kind <= 8) {
        TDPoint v;
        if (!G2V(Point(X, Y), v)) return;
        const TEdges edges = KindEdges[Kind];
        if (edges.Left) FValue->Left = v.x;
        if (edges.Right) FValue->Right = v.x;
        if (edges.Top) FValue->Top = v.y;
        if (edges.Bottom) FValue->Bottom = v.y;
    } else if (Kind == RectBody) {
        TDPoint shift;
        if (!BodyShift(Point(X, Y), shift)) return;
        // A rectangle pushed against the bounds shrinks instead of leaving them.
        const TKvRect* b = ValueBounds();
        FValue->Left = std::max(FValue->Left + shift.x, b->Left);
        FValue->Right = std::min(FValue->Right + shift.x, b->Right);
        FValue->Top = std::max(FValue->Top + shift.y, b->Top);
        FValue->Bottom = std::min(FValue->Bottom + shift.y, b->Bottom);
        SetLastPosition(Point(X, Y));
    } else {
        return;
    }
    LimitEdges(Kind);
    RepaintWinControl();
}

bool TKvRectSelector::MouseEvent(TMessage& Message)
{
    TDragHandles handles;
    handles.BodyKind = RectBody;
    handles.MoveState = FShiftStateMove;
    handles.HitTest = [this](int X, int Y) { return CheckMouseCapture(X, Y); };
    handles.CursorOf = [this](int Kind) {
        if (Kind >= 1 && Kind <= 4 && GetMarkerShow()) return crHandPoint;
        return Kind >= 0 && Kind <= RectBody ? KindCursors[Kind] : GetDefaultCursor();
    };
    handles.Move = [this](int Kind, int X, int Y) { SetNewValueCoord(Kind, X, Y); };
    return DragMouseEvent(Message, handles);
}

void TKvRectSelector::Draw(TCanvas* Canvas)
{
    TRect r;
    if (!Canvas || !V2G(FValue.get(), r)) return;
    if (OnDrawKvRect) {
        OnDrawKvRect(Canvas, r);
        return;
    }
    TPen savedPen;
    savedPen.Assign(*Canvas->Pen());
    TBrush savedBrush;
    savedBrush.Assign(*Canvas->Brush());
    const TPoint corners[] = {Point(r.Left, r.Top), Point(r.Right, r.Top), Point(r.Right, r.Bottom),
                              Point(r.Left, r.Bottom), Point(r.Left, r.Top)};
    if (FPenStripy) {
        TDPoint path[5];
        for (int i = 0; i < 5; ++i) path[i] = TDPoint{double(corners[i].x), double(corners[i].y)};
        DrawStripyCurve(Canvas, 5, path, FPenStripyLineWidth, FPenStripyTickLen, FPen->GetColor(), FPenBackColor);
    } else {
        Canvas->Pen()->Assign(*FPen);
        Canvas->Brush()->SetColor(FPenBackColor);
        Canvas->Polyline(std::vector<TPoint>(std::begin(corners), std::end(corners)));
    }
    if (GetMarkerShow())
        for (int i = 0; i < 4; ++i) DrawMarker(Canvas, corners[i]);
    Canvas->Pen()->Assign(savedPen);
    Canvas->Brush()->Assign(savedBrush);
}

}  // namespace KVC
