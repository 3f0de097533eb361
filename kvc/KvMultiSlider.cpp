#include "kvc/KvMultiSlider.h"

#include <algorithm>
#include <cmath>

#include "kvc/KvSlider.h"

namespace KVC {

namespace {
constexpr TColor Frame = RGB(160, 150, 131);
constexpr TColor Marker = RGB(247, 222, 156);
constexpr TColor Thumb = RGB(128, 128, 128);
constexpr TColor DefaultItemColors[3] = {Thumb, Frame, Marker};
constexpr TColor DefaultColors[7] = {Frame, clBtnFace, Marker, Frame, Thumb, Frame, clBtnFace};
}  // namespace

// ---------------------------------------------------------------------------------------
// TKvMultiSliderItem

TKvMultiSliderItem::TKvMultiSliderItem(TCollection* Collection) : TCollectionItem(Collection)
{
    std::copy(std::begin(DefaultItemColors), std::end(DefaultItemColors), FColors);
    Name = "Slider" + std::to_string(GetIndex() + 1);
    if (auto* sliders = dynamic_cast<TKvMultiSliderCollection*>(Collection))
        OnChange = [sliders](TObject* Sender) { sliders->Change(Sender); };
    DoChange();
}

TKvMultiSliderItem::TKvMultiSliderItem(const TKvMultiSliderItem& Source) : TKvMultiSliderItem(Source.GetCollection())
{
    Assign(&Source);
}

void TKvMultiSliderItem::Assign(const TPersistent* Source)
{
    const auto* source = dynamic_cast<const TKvMultiSliderItem*>(Source);
    if (!source) AssignError("TKvMultiSliderItem");
    if (source == this) return;
    FParentColor = source->FParentColor;
    std::copy(std::begin(source->FColors), std::end(source->FColors), FColors);
    FPos = source->FPos;
    DoChange();
}

TColor TKvMultiSliderItem::GetItemColor(int Index) const { return Index >= 0 && Index < 3 ? FColors[Index] : clNone; }

void TKvMultiSliderItem::SetItemColor(int Index, TColor Value)
{
    if (Index < 0 || Index >= 3) return;
    FColors[Index] = Value;
    DoChange();
}

void TKvMultiSliderItem::SetParentColor(bool Value)
{
    FParentColor = Value;
    DoChange();
}

void TKvMultiSliderItem::DoChange()
{
    if (OnChange) OnChange(this);
}

TKvMultiSlider* TKvMultiSliderItem::Control() const
{
    const auto* sliders = dynamic_cast<const TKvMultiSliderCollection*>(GetCollection());
    return sliders ? sliders->Owner() : nullptr;
}

void TKvMultiSliderItem::SetInternalPos(double Value)
{
    if (Value == FPos) return;
    FPos = Value;
    DoChange();
    TKvMultiSlider* control = Control();
    if (!control || control->Loading()) return;
    const int index = GetIndex();
    if (control->OnSliderChanging) control->OnSliderChanging(control, index);
    if (index == 0 && control->OnChanging) control->OnChanging(control);
}

void TKvMultiSliderItem::SetPos(double Value)
{
    SetInternalPos(Value);
    TKvMultiSlider* control = Control();
    if (!control || control->Loading()) return;
    const int index = GetIndex();
    if (control->OnSliderChanged) control->OnSliderChanged(control, index);
    if (index == 0 && control->OnChanged) control->OnChanged(control);
}

// ---------------------------------------------------------------------------------------
// TKvMultiSliderCollection

TKvMultiSliderCollection::TKvMultiSliderCollection(TKvMultiSlider* Owner)
    : TCollection([](TCollection* Collection) { return new TKvMultiSliderItem(Collection); }), FOwner(Owner)
{
}

void TKvMultiSliderCollection::Change(TObject* Sender)
{
    if (OnChange) OnChange(Sender);
}

// Thumbs added or removed change the picture as much as a moved one.
void TKvMultiSliderCollection::Update(TCollectionItem* Item) { Change(Item ? static_cast<TObject*>(Item) : this); }

// ---------------------------------------------------------------------------------------
// TKvMultiSlider

TKvMultiSlider::TKvMultiSlider(TComponent* Owner)
    : TCustomControl(Owner), FSliders(std::make_unique<TKvMultiSliderCollection>(this))
{
    std::copy(std::begin(DefaultColors), std::end(DefaultColors), FColors);
    FSliders->OnChange = [this](TObject*) { Invalidate(); };
    SetColor(clBtnFace);
    SetBounds(0, 0, 45, 150);
}

TKvMultiSlider::~TKvMultiSlider()
{
    // The thumbs go first: their last change reports must not reach a half-destroyed control.
    FSliders->OnChange = nullptr;
    FSliders.reset();
}

double TKvMultiSlider::GetRange(int Index) const { return Index >= 0 && Index < 3 ? FRange[Index] : 0; }

void TKvMultiSlider::SetRange(int Index, double Value)
{
    if (Index < 0 || Index >= 3) return;
    FRange[Index] = Value;
    Invalidate();
}

double TKvMultiSlider::GetPos() const { return FSliders->Count() > 0 ? FSliders->GetItem(0)->GetPos() : 0; }

void TKvMultiSlider::SetPos(double Value)
{
    if (FSliders->Count() > 0) FSliders->GetItem(0)->SetPos(Value);
}

void TKvMultiSlider::SetInternalPos(double Value)
{
    if (FSliders->Count() > 0) FSliders->GetItem(0)->SetInternalPos(Value);
}

void TKvMultiSlider::SetOrientation(TKvMultiSliderOrientation Value)
{
    FOrientation = Value;
    Invalidate();
}

int TKvMultiSlider::GetExtent(int Index) const { return Index >= 0 && Index < 4 ? FExtents[Index] : 0; }

void TKvMultiSlider::SetExtent(int Index, int Value)
{
    if (Index < 0 || Index >= 4) return;
    FExtents[Index] = Value;
    Invalidate();
}

bool TKvMultiSlider::GetOption(int Index) const { return Index >= 0 && Index < 3 && FOptions[Index]; }

void TKvMultiSlider::SetOption(int Index, bool Value)
{
    if (Index < 0 || Index >= 3) return;
    FOptions[Index] = Value;
    Invalidate();
}

TColor TKvMultiSlider::GetSliderColor(int Index) const { return Index >= 0 && Index < 7 ? FColors[Index] : clNone; }

void TKvMultiSlider::SetSliderColor(int Index, TColor Value)
{
    if (Index < 0 || Index >= 7) return;
    FColors[Index] = Value;
    Invalidate();
}

void TKvMultiSlider::SetSliders(const TKvMultiSliderCollection* Value)
{
    if (Value) FSliders->Assign(Value);
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Geometry

TRect TKvMultiSlider::TrackRect() const
{
    const int bandWidth = FExtents[0], sliderWidth = FExtents[1], sliderHeight = FExtents[2];
    const int r = sliderHeight / 2;
    const int o = sliderWidth > bandWidth ? (sliderWidth - bandWidth) / 2 : 0;
    const int w = ClientWidth(), h = ClientHeight();
    switch (FOrientation) {
    case msoTop:
        return Rect(r, o, w - r, o + bandWidth);
    case msoBottom:
        return Rect(r, h - o - bandWidth, w - r, h - o);
    case msoRight:
        return Rect(w - o - bandWidth, r, w - o, h - r);
    default:
        return Rect(o, r, o + bandWidth, h - r);
    }
}

double TKvMultiSlider::Fraction(double Pos) const
{
    const double range = FRange[1] - FRange[0];
    return range == 0 ? 0.0 : (Pos - FRange[0]) / range;
}

void TKvMultiSlider::BringIntoRange(TKvMultiSliderItem* Item)
{
    const double pos = Item->GetPos();
    if (pos < FRange[0])
        Item->SetInternalPos(FRange[0]);
    else if (pos > FRange[1])
        Item->SetInternalPos(FRange[1]);
}

// ---------------------------------------------------------------------------------------
// Paint

void TKvMultiSlider::Paint()
{
    const int width = ClientWidth(), height = ClientHeight();
    TCanvas* canvas = FBuffer.Begin(width, height);
    const bool horizontal = Horizontal();
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(Rect(0, 0, width, height));
    canvas->Font()->Assign(*Font());

    const TRect track = TrackRect();
    FBandRect = SliderBandRect(track, horizontal, FOptions[0], width, height);
    if (FOptions[1]) {
        canvas->Pen()->SetColor(FColors[0]);
        canvas->Brush()->SetColor(FColors[1]);
        canvas->Rectangle(FBandRect);
        if (OnDrawBandBack) OnDrawBandBack(canvas, track);
        if (FColors[1] != FColors[6] && FSliders->Count() >= 2) PaintBandDifference(canvas, track);
    }
    DrawSliderTicks(canvas, track, horizontal, FRange[1] - FRange[0], FRange[2], FExtents[3],
                    FOrientation == msoTop || FOrientation == msoLeft,
                    FOrientation == msoBottom || FOrientation == msoRight, FColors[3]);
    if (OnBeforeDrawSliders) OnBeforeDrawSliders(canvas, track);

    // The first thumb is drawn last, so it lies on top.
    for (int i = FSliders->Count() - 1; i >= 0; --i) {
        // A hook may have removed thumbs.
        if (i >= FSliders->Count()) continue;
        TKvMultiSliderItem* item = FSliders->GetItem(i);
        BringIntoRange(item);
        int at = 0;
        item->FSliderRect = SliderThumbRect(track, horizontal, Fraction(item->GetPos()), FExtents[1], FExtents[2], at);
        const bool parent = item->GetParentColor();
        DrawSliderThumb(canvas, item->FSliderRect, horizontal, at, parent ? FColors[5] : item->GetItemColor(1),
                        parent ? FColors[4] : item->GetItemColor(0), parent ? FColors[2] : item->GetItemColor(2));
    }
    if (OnAfterDrawCtrl) OnAfterDrawCtrl(canvas, FBandRect);
    FBuffer.CopyTo(Canvas());
}

void TKvMultiSlider::PaintBandDifference(TCanvas* Canvas, const TRect& Track)
{
    const bool horizontal = Horizontal();
    int at[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        TKvMultiSliderItem* item = FSliders->GetItem(i);
        BringIntoRange(item);
        SliderThumbRect(Track, horizontal, Fraction(item->GetPos()), FExtents[1], FExtents[2], at[i]);
    }
    if (at[0] == at[1]) return;
    const int from = std::min(at[0], at[1]), to = std::max(at[0], at[1]);
    Canvas->Pen()->SetColor(FColors[6]);
    Canvas->Brush()->SetColor(FColors[6]);
    if (horizontal)
        Canvas->Rectangle(from, FBandRect.Top + 1, to, FBandRect.Bottom - 1);
    else
        Canvas->Rectangle(FBandRect.Left + 1, from, FBandRect.Right - 1, to);
}

// ---------------------------------------------------------------------------------------
// Mouse

void TKvMultiSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    int hit = -1;
    // Thumbs overlap with the higher index on top of the search.
    for (int i = 0; i < FSliders->Count(); ++i)
        if (PtInRect(FSliders->GetItem(i)->FSliderRect, Point(X, Y))) hit = i;
    if (hit < 0 && FOptions[2] && PtInRect(FBandRect, Point(X, Y))) {
        TKvMultiSliderItem* item = FSliders->Add();
        double value = FRange[0];
        // On a band of no length the new thumb starts at Min.
        if (SliderValueAt(FBandRect, Horizontal(), FRange[0], FRange[1], X, Y, value)) value = std::trunc(value);
        item->FPos = value;
        Invalidate();
        hit = item->GetIndex();
        FDragIndex = hit;
        FDragging = true;
        FDragStartPos = value;
        if (OnAutoCreateSlider) OnAutoCreateSlider(this, hit);
        return;
    }
    if (hit < 0) return;
    FDragIndex = hit;
    FDragging = true;
    FDragStartPos = FSliders->GetItem(hit)->GetPos();
}

void TKvMultiSlider::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FDragging || FDragIndex >= FSliders->Count()) return;
    double value = 0;
    if (SliderValueAt(FBandRect, Horizontal(), FRange[0], FRange[1], X, Y, value))
        FSliders->GetItem(FDragIndex)->SetInternalPos(value);
}

void TKvMultiSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging) return;
    FDragging = false;
    // The thumb may have been removed during the drag.
    if (FDragIndex >= FSliders->Count()) return;
    if (FSliders->GetItem(FDragIndex)->GetPos() == FDragStartPos) return;
    if (OnSliderChanged) OnSliderChanged(this, FDragIndex);
    if (FDragIndex == 0 && OnChanged) OnChanged(this);
}

}  // namespace KVC
