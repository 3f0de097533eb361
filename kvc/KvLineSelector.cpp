#include "kvc/KvLineSelector.h"

#include <algorithm>
#include <cmath>

namespace KVC {

namespace {
constexpr int LineBody = 3;

double Distance(const TPoint& A, const TPoint& B) { return std::hypot(double(A.x - B.x), double(A.y - B.y)); }
}  // namespace

TKvLineSelector::TKvLineSelector(TComponent* Owner)
    : TKvStrokedSelector(Owner), FPoint1(std::make_unique<TKvPoint>()), FPoint2(std::make_unique<TKvPoint>())
{
}

TKvLineSelector::~TKvLineSelector() = default;

void TKvLineSelector::SetPoint1(const TKvPoint* Value) { FPoint1->Assign(Value); }
void TKvLineSelector::SetPoint2(const TKvPoint* Value) { FPoint2->Assign(Value); }

void TKvLineSelector::CheckBounds()
{
    CheckBoundsPoint(FPoint1.get());
    CheckBoundsPoint(FPoint2.get());
}

void TKvLineSelector::NewCapturedLine(int X, int Y)
{
    if (!G2V(Point(X, Y), FPoint1.get())) return;
    *FPoint2 = *FPoint1;
    CheckBounds();
    SetCaptured(2);
    SetCursor(crHandPoint);
    RepaintWinControl();
}

int TKvLineSelector::CheckMouseCapture(int X, int Y) const
{
    TPoint p1, p2;
    if (!V2G(FPoint1.get(), p1) || !V2G(FPoint2.get(), p2)) return 0;
    const TPoint p = Point(X, Y);
    if (KvNearHandle(p, p2)) return 2;
    if (KvNearHandle(p, p1)) return 1;
    // Along the body only inside the rectangle the two ends span (right and bottom
    // outside), so a level or upright line is grabbed at its ends only.
    const TRect span = Rect(std::min(p1.x, p2.x), std::min(p1.y, p2.y), std::max(p1.x, p2.x), std::max(p1.y, p2.y));
    if (!PtInRect(span, p)) return 0;
    return Distance(p, p1) + Distance(p, p2) - Distance(p1, p2) <= 1 ? LineBody : 0;
}

void TKvLineSelector::SetNewValueCoord(int Kind, int X, int Y)
{
    if (Kind == 1 || Kind == 2) {
        TDPoint value;
        if (!G2V(Point(X, Y), value)) return;
        *(Kind == 1 ? FPoint1 : FPoint2) = value;
    } else if (Kind == LineBody) {
        TDPoint shift;
        if (!BodyShift(Point(X, Y), shift)) return;
        for (TKvPoint* p : {FPoint1.get(), FPoint2.get()}) {
            p->x += shift.x;
            p->y += shift.y;
            ClampPoint(p, ValueBounds());
        }
        SetLastPosition(Point(X, Y));
    } else {
        return;
    }
    if (GetValueConstraintsEnabled()) {
        ClampPoint(FPoint1.get(), ValueConstraints());
        ClampPoint(FPoint2.get(), ValueConstraints());
    }
    RepaintWinControl();
}

bool TKvLineSelector::MouseEvent(TMessage& Message)
{
    TDragHandles handles;
    handles.BodyKind = LineBody;
    handles.MoveState = FShiftStateMove;
    handles.HitTest = [this](int X, int Y) { return CheckMouseCapture(X, Y); };
    handles.CursorOf = [](int Kind) { return Kind == LineBody ? crSizeAll : crHandPoint; };
    handles.Move = [this](int Kind, int X, int Y) { SetNewValueCoord(Kind, X, Y); };
    return DragMouseEvent(Message, handles);
}

void TKvLineSelector::Draw(TCanvas* Canvas)
{
    TPoint p1, p2;
    if (!Canvas || !V2G(FPoint1.get(), p1) || !V2G(FPoint2.get(), p2)) return;
    if (OnDrawKvLine) {
        OnDrawKvLine(Canvas, p1, p2);
        return;
    }
    TPen savedPen;
    savedPen.Assign(*Canvas->Pen());
    TBrush savedBrush;
    savedBrush.Assign(*Canvas->Brush());
    if (FPenStripy) {
        DrawStripyLine(Canvas, float(p1.x), float(p1.y), float(p2.x), float(p2.y), FPenStripyLineWidth,
                       FPenStripyTickLen, FPen->GetColor(), FPenBackColor);
    } else {
        Canvas->Pen()->Assign(*FPen);
        Canvas->Brush()->SetColor(FPenBackColor);
        Canvas->MoveTo(p1.x, p1.y);
        Canvas->LineTo(p2.x, p2.y);
    }
    if (GetMarkerShow()) {
        DrawMarker(Canvas, p1);
        DrawMarker(Canvas, p2);
    }
    Canvas->Pen()->Assign(savedPen);
    Canvas->Brush()->Assign(savedBrush);
}

}  // namespace KVC
