// An owner-drawn band with any number of thumbs, each at a floating-point position in
// [Min, Max]. The first thumb is the control's own position, and the stretch between
// the first two thumbs may be painted in a colour of its own, so the control also serves
// as a range selector. A click on the free band can create a thumb; drawing hooks let the
// owner paint under and over the band.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include "kvc/KvPaintBuffer.h"
#include "platform/ui/Collections.h"
#include "platform/ui/Controls.h"

namespace KVC {

class TKvMultiSlider;
class TKvMultiSliderCollection;

// Sender and the index of the thumb concerned.
using TKvMultiSliderEvent = std::function<void(TObject* Sender, int Index)>;
// The canvas being painted and a rectangle of the band.
using TKvMultiSliderDrawEvent = std::function<void(TCanvas* Canvas, const TRect& Band)>;

class TKvMultiSliderItem : public TCollectionItem {
public:
    // Joins Collection with the name "Slider<n>" (n its index plus 1) and the default colours.
    explicit TKvMultiSliderItem(TCollection* Collection);
    // Joins Source's collection with a name of its own, then takes Source's values.
    TKvMultiSliderItem(const TKvMultiSliderItem& Source);

    // Copies ParentColor, the colours and the position (no position events); another class
    // raises EAssignError.
    void Assign(const TPersistent* Source) override;
    std::string GetDisplayName() const override { return Name; }

    // 0 ColorSlider, 1 ColorSliderBorder, 2 ColorDirective; used when ParentColor is off.
    TColor GetItemColor(int Index) const;
    void SetItemColor(int Index, TColor Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);

    double GetPos() const { return FPos; }
    // Moves the thumb and reports it moving (no report when it stays).
    void SetInternalPos(double Value);
    // Moves the thumb, then reports a completed change, also when it stayed.
    void SetPos(double Value);

    // The thumb as last painted (empty before the first paint).
    TRect SliderRect() const { return FSliderRect; }

    int Tag = 0;
    std::string Name;
    // Called on every change of the item; the collection's Change when it joined one.
    TNotifyEvent OnChange;

private:
    friend class TKvMultiSlider;
    TKvMultiSlider* Control() const;
    void DoChange();

    TRect FSliderRect;
    TColor FColors[3];
    bool FParentColor = true;
    double FPos = 0;
};

class TKvMultiSliderCollection : public TCollection {
public:
    explicit TKvMultiSliderCollection(TKvMultiSlider* Owner);
    TKvMultiSlider* Owner() const { return FOwner; }
    // Reports a change of an item or of the collection to OnChange.
    virtual void Change(TObject* Sender);
    TKvMultiSliderItem* GetItem(int Index) const
    {
        return static_cast<TKvMultiSliderItem*>(TCollection::GetItem(Index));
    }
    // Takes Source's values into the item at Index.
    void SetItem(int Index, const TKvMultiSliderItem* Source) { GetItem(Index)->Assign(Source); }
    TKvMultiSliderItem* Add() { return static_cast<TKvMultiSliderItem*>(TCollection::Add()); }

    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TKvMultiSlider* FOwner;
};

enum TKvMultiSliderOrientation { msoLeft = 0, msoRight = 1, msoTop = 2, msoBottom = 3 };

class TKvMultiSlider : public TCustomControl {
public:
    explicit TKvMultiSlider(TComponent* Owner);
    ~TKvMultiSlider() override;

    // 0 Min, 1 Max, 2 Frequency.
    double GetRange(int Index) const;
    void SetRange(int Index, double Value);
    double GetMin() const { return GetRange(0); }
    void SetMin(double Value) { SetRange(0, Value); }
    double GetMax() const { return GetRange(1); }
    void SetMax(double Value) { SetRange(1, Value); }
    double GetFrequency() const { return GetRange(2); }
    void SetFrequency(double Value) { SetRange(2, Value); }

    // The first thumb's position: 0 without thumbs, where writing does nothing.
    double GetPos() const;
    void SetPos(double Value);
    double GetInternalPos() const { return GetPos(); }
    void SetInternalPos(double Value);

    TKvMultiSliderOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TKvMultiSliderOrientation Value);

    // 0 BandWidth, 1 SliderWidth, 2 SliderHeight, 3 TickLength.
    int GetExtent(int Index) const;
    void SetExtent(int Index, int Value);
    // 0 ShortBand, 1 ShowBand, 2 AutoCreate.
    bool GetOption(int Index) const;
    void SetOption(int Index, bool Value);
    // 0 ColorBorder, 1 ColorBand, 2 ColorDirective, 3 ColorTicks, 4 ColorSlider,
    // 5 ColorSliderBorder, 6 ColorBandDiff.
    TColor GetSliderColor(int Index) const;
    void SetSliderColor(int Index, TColor Value);

    TKvMultiSliderCollection* Sliders() const { return FSliders.get(); }
    // Copies the thumbs of Value.
    void SetSliders(const TKvMultiSliderCollection* Value);

    TNotifyEvent OnChanging;
    TNotifyEvent OnChanged;
    TKvMultiSliderEvent OnSliderChanging;
    TKvMultiSliderEvent OnSliderChanged;
    TKvMultiSliderEvent OnAutoCreateSlider;
    TKvMultiSliderDrawEvent OnDrawBandBack;
    TKvMultiSliderDrawEvent OnBeforeDrawSliders;
    TKvMultiSliderDrawEvent OnAfterDrawCtrl;

    // The band as last painted, the dragged thumb (-1 while none) and the last picture.
    TRect BandRect() const { return FBandRect; }
    int DraggedIndex() const { return FDragging ? FDragIndex : -1; }
    const TBitmap& Picture() const { return FBuffer.Bitmap(); }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;

private:
    friend class TKvMultiSliderItem;
    bool Horizontal() const { return FOrientation == msoTop || FOrientation == msoBottom; }
    TRect TrackRect() const;
    double Fraction(double Pos) const;
    void BringIntoRange(TKvMultiSliderItem* Item);
    void PaintBandDifference(TCanvas* Canvas, const TRect& Track);

    double FRange[3] = {0, 100, 10};
    TKvMultiSliderOrientation FOrientation = msoLeft;
    int FExtents[4] = {10, 10, 10, 3};
    bool FOptions[3] = {false, true, false};
    TColor FColors[7];
    std::unique_ptr<TKvMultiSliderCollection> FSliders;

    bool FDragging = false;
    int FDragIndex = -1;
    double FDragStartPos = 0;
    TRect FBandRect;
    TKvPaintBuffer FBuffer;
};

}  // namespace KVC
