#include "kvc/KvPointSelector.h"

namespace KVC {

// ---- TKvSelectorPointsItem --------------------------------------------------------------

TKvSelectorPointsItem::TKvSelectorPointsItem(TCollection* Collection)
    : TCollectionItem(Collection), Name("Point" + std::to_string(GetIndex() + 1)), FPoint(std::make_unique<TKvPoint>())
{
}

TKvSelectorPointsItem::TKvSelectorPointsItem(const TKvSelectorPointsItem* Source)
    : TKvSelectorPointsItem(Source ? Source->GetCollection() : nullptr)
{
    Assign(Source);
}

TKvSelectorPointsItem::~TKvSelectorPointsItem() = default;

void TKvSelectorPointsItem::Assign(const TPersistent* Source)
{
    const auto* item = dynamic_cast<const TKvSelectorPointsItem*>(Source);
    if (!item) AssignError("TKvSelectorPointsItem");
    if (item == this) return;
    ParentMarker = item->ParentMarker;
    MarkerShow = item->MarkerShow;
    MarkerColor = item->MarkerColor;
    MarkerBorder = item->MarkerBorder;
    MarkerSize = item->MarkerSize;
    FPoint->x = item->FPoint->x;
    FPoint->y = item->FPoint->y;
}

void TKvSelectorPointsItem::SetPoint(const TKvPoint* Value) { FPoint->Assign(Value); }

// ---- TKvSelectorPointsCollection --------------------------------------------------------

TKvSelectorPointsCollection::TKvSelectorPointsCollection()
    : TCollection([](TCollection* Collection) { return new TKvSelectorPointsItem(Collection); })
{
}

TKvSelectorPointsItem* TKvSelectorPointsCollection::GetItem(int Index) const
{
    return static_cast<TKvSelectorPointsItem*>(TCollection::GetItem(Index));
}

TKvSelectorPointsItem* TKvSelectorPointsCollection::Add()
{
    return static_cast<TKvSelectorPointsItem*>(TCollection::Add());
}

// ---- TKvPointSelector -------------------------------------------------------------------

TKvPointSelector::TKvPointSelector(TComponent* Owner)
    : TKvCustomImageSelector(Owner), FPoints(std::make_unique<TKvSelectorPointsCollection>())
{
}

TKvPointSelector::~TKvPointSelector() = default;

void TKvPointSelector::SetPoints(const TKvSelectorPointsCollection* Value)
{
    if (Value && Value != FPoints.get()) FPoints->Assign(Value);
}

void TKvPointSelector::CheckBounds()
{
    for (int i = 0; i < FPoints->Count(); ++i) CheckBoundsPoint(FPoints->GetItem(i)->Point());
}

void TKvPointSelector::NewPointPos(int Index, int X, int Y)
{
    if (Index < 0 || Index >= FPoints->Count()) return;
    if (!G2V(Point(X, Y), FPoints->GetItem(Index)->Point())) return;
    CheckBounds();
    FCurrentIndex = Index;
    SetCaptured(1);
    SetCursor(crHandPoint);
    RepaintWinControl();
}

int TKvPointSelector::CheckMouseCapture(int X, int Y)
{
    // The highest index wins, as it lies under the points drawn after it.
    for (int i = FPoints->Count() - 1; i >= 0; --i) {
        TPoint p;
        if (V2G(FPoints->GetItem(i)->Point(), p) && KvNearHandle(Point(X, Y), p)) {
            FCurrentIndex = i;
            return 1;
        }
    }
    return 0;
}

void TKvPointSelector::SetNewValueCoord(int Kind, int X, int Y)
{
    if (Kind != 1 || FCurrentIndex < 0 || FCurrentIndex >= FPoints->Count()) return;
    TDPoint value;
    if (!G2V(Point(X, Y), value)) return;
    TKvPoint* point = FPoints->GetItem(FCurrentIndex)->Point();
    *point = value;
    if (GetValueConstraintsEnabled()) ClampPoint(point, ValueConstraints());
    RepaintWinControl();
}

bool TKvPointSelector::MouseEvent(TMessage& Message)
{
    TDragHandles handles;
    handles.HitTest = [this](int X, int Y) { return CheckMouseCapture(X, Y); };
    handles.CursorOf = [](int) { return crHandPoint; };
    handles.Move = [this](int Kind, int X, int Y) { SetNewValueCoord(Kind, X, Y); };
    return DragMouseEvent(Message, handles);
}

void TKvPointSelector::Draw(TCanvas* Canvas)
{
    if (!Canvas) return;
    TPen savedPen;
    savedPen.Assign(*Canvas->Pen());
    TBrush savedBrush;
    savedBrush.Assign(*Canvas->Brush());
    // From the last item to the first: item 0 ends on top.
    for (int i = FPoints->Count() - 1; i >= 0; --i) {
        const TKvSelectorPointsItem* item = FPoints->GetItem(i);
        TPoint p;
        if (!V2G(item->Point(), p)) continue;
        if (OnDrawKvPoint) {
            OnDrawKvPoint(Canvas, i, p);
            continue;
        }
        if (item->ParentMarker) {
            if (GetMarkerShow()) DrawMarker(Canvas, p);
        } else if (item->MarkerShow) {
            DrawMarker(Canvas, p, item->MarkerBorder, item->MarkerColor, item->MarkerSize);
        }
    }
    Canvas->Pen()->Assign(savedPen);
    Canvas->Brush()->Assign(savedBrush);
}

}  // namespace KVC
