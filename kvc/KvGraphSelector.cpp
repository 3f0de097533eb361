#include "kvc/KvGraphSelector.h"

#include <cstdlib>
#include "kvc/KvAxisImage.h"

namespace KVC {

// ---- TKvGraphSelectors ------------------------------------------------------------------

TKvGraphSelectors::TKvGraphSelectors(TKvAxisImage* Image)
    : TCollection([](TCollection* Collection) { return new TKvGraphSelector(Collection); }), FImage(Image)
{
}

TKvGraphSelector* TKvGraphSelectors::Add() { return static_cast<TKvGraphSelector*>(TCollection::Add()); }

TKvGraphSelector* TKvGraphSelectors::GetItem(int Index) const
{
    return static_cast<TKvGraphSelector*>(TCollection::GetItem(Index));
}

void TKvGraphSelectors::SetItem(int Index, const TKvGraphSelector* Value) { GetItem(Index)->Assign(Value); }

void TKvGraphSelectors::Change(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

void TKvGraphSelectors::DoPaint(TCanvas* Canvas)
{
    for (int i = 0; i < Count(); ++i) GetItem(i)->DrawSelector(Canvas);
}

int TKvGraphSelectors::IsMouseOver(int X, int Y) const
{
    if (!FImage) return -1;
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->IsMouseOver(Point(X, Y))) return i;
    return -1;
}

// ---- TKvGraphSelector -------------------------------------------------------------------

TKvGraphSelector::TKvGraphSelector(TCollection* Collection)
    : TCollectionItem(Collection), Name("Selector" + std::to_string(GetIndex() + 1)), FPen(std::make_unique<TPen>())
{
    FPen->OnChange = [this](TObject* Sender) { Change(Sender); };
    // Every selector that joins a selector collection reports to it, also those the
    // collection makes itself when it copies another.
    if (auto* selectors = dynamic_cast<TKvGraphSelectors*>(Collection))
        OnChangeCallback = [selectors](TObject* Sender) { selectors->Change(Sender); };
}

TKvGraphSelector::TKvGraphSelector(const TKvGraphSelector* Source)
    : TKvGraphSelector(Source ? Source->GetCollection() : nullptr)
{
    Assign(Source);
}

TKvGraphSelector::~TKvGraphSelector() { FPen->OnChange = nullptr; }

TKvAxisImage* TKvGraphSelector::Image() const
{
    const auto* selectors = dynamic_cast<const TKvGraphSelectors*>(GetCollection());
    return selectors ? selectors->Image() : nullptr;
}

void TKvGraphSelector::Assign(const TPersistent* Source)
{
    const auto* other = dynamic_cast<const TKvGraphSelector*>(Source);
    if (!other) AssignError("TKvGraphSelector");
    if (other == this) return;
    FOrientation = other->FOrientation;
    FPos = other->FPos;
    Tag = other->Tag;
    Cursor = other->Cursor;
    AutoUpdate = other->AutoUpdate;
    LeftAxis = other->LeftAxis;
    FPen->Assign(*other->FPen);
    Visible = other->Visible;
    Change(nullptr);
}

void TKvGraphSelector::Change(TObject* Sender)
{
    if (AutoUpdate && OnChangeCallback) OnChangeCallback(Sender);
}

void TKvGraphSelector::SetPen(const TPen* Value)
{
    if (!Value || Value == FPen.get()) return;
    FPen->Assign(*Value);
    Change(this);
}

void TKvGraphSelector::SetOrientation(TKvSelectorOrientation Value)
{
    FOrientation = Value;
    Change(this);
}

void TKvGraphSelector::SetBackLineColor(TColor Value)
{
    FBackLineColor = Value;
    Change(this);
}

void TKvGraphSelector::SetPos(double Value)
{
    FPos = Value;
    int pixel = 0;
    CheckPos(FPos, pixel);
    Change(this);
}

void TKvGraphSelector::CheckPos(double& Position, int& Pixel)
{
    TKvAxisImage* image = Image();
    if (!image) return;
    const TRect g = image->GraphRect();
    const bool vertical = FOrientation == gsoVertical;
    TPoint p;
    image->ValueToGraphPoint(vertical ? TDPoint{Position, 0} : TDPoint{0, Position}, p, LeftAxis);
    int& coordinate = vertical ? p.x : p.y;
    const int low = vertical ? g.Left : g.Top, high = vertical ? g.Right : g.Bottom;
    bool moved = false;
    if (coordinate > high) {
        coordinate = high;
        moved = true;
    } else if (coordinate < low) {
        coordinate = low;
        moved = true;
    }
    if (moved) {
        TDPoint value;
        image->GraphPointToValue(p, value, LeftAxis);
        Position = vertical ? value.x : value.y;
    }
    Pixel = coordinate;
}

int TKvGraphSelector::GetWinPos()
{
    int pixel = 0;
    CheckPos(FPos, pixel);
    return pixel;
}

void TKvGraphSelector::SetWinPos(int Pixel)
{
    TKvAxisImage* image = Image();
    if (!image) return;
    const bool vertical = FOrientation == gsoVertical;
    TDPoint value;
    image->GraphPointToValue(vertical ? Point(Pixel, 0) : Point(0, Pixel), value, LeftAxis);
    SetPos(vertical ? value.x : value.y);
}

void TKvGraphSelector::DrawSelector(TCanvas* Canvas)
{
    TKvAxisImage* image = Image();
    if (!Visible || !image || !Canvas) return;
    int pixel = 0;
    CheckPos(FPos, pixel);
    if (OnDrawSelector) {
        bool draw = true;
        OnDrawSelector(this, Canvas, pixel, draw);
        if (!draw) return;
    }
    const TRect g = image->GraphRect();
    TPen saved;
    saved.Assign(*Canvas->Pen());
    Canvas->Brush()->SetColor(FBackLineColor);
    Canvas->Pen()->Assign(*FPen);
    if (FOrientation == gsoVertical) {
        Canvas->MoveTo(pixel, g.Top);
        Canvas->LineTo(pixel, g.Bottom);
    } else {
        Canvas->MoveTo(g.Left, pixel);
        Canvas->LineTo(g.Right, pixel);
    }
    Canvas->Pen()->Assign(saved);
}

bool TKvGraphSelector::IsMouseOver(const TPoint& P)
{
    TKvAxisImage* image = Image();
    if (!Visible || !image) return false;
    const TRect g = image->GraphRect();
    if (!PtInRect(g, P)) return false;
    const bool vertical = FOrientation == gsoVertical;
    TPoint p;
    image->ValueToGraphPoint(vertical ? TDPoint{FPos, 0} : TDPoint{0, FPos}, p, LeftAxis);
    return vertical ? std::abs(p.x - P.x) <= MouseSensetivity : std::abs(p.y - P.y) <= MouseSensetivity;
}

}  // namespace KVC
