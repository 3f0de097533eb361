// A collection of independent points over a control, each dragged on its own and kept
// in values; each point may carry its own marker.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include "kvc/KvCustomImageSelector.h"
#include "platform/ui/Collections.h"

namespace KVC {

class TKvSelectorPointsItem : public TCollectionItem {
public:
    explicit TKvSelectorPointsItem(TCollection* Collection);
    // A new item in Source's collection with Source's values.
    explicit TKvSelectorPointsItem(const TKvSelectorPointsItem* Source);
    ~TKvSelectorPointsItem() override;

    // Copies the marker settings and the position (not Tag or Name); raises for a source
    // of another class.
    void Assign(const TPersistent* Source) override;
    std::string GetDisplayName() const override { return Name; }

    TKvPoint* Point() const { return FPoint.get(); }
    void SetPoint(const TKvPoint* Value);

    // True: the selector's marker settings apply instead of the item's.
    bool ParentMarker = true;
    bool MarkerShow = true;
    TColor MarkerColor = clRed;
    TColor MarkerBorder = clBlack;
    int MarkerSize = 3;
    int Tag = 0;
    std::string Name;

private:
    std::unique_ptr<TKvPoint> FPoint;
};

class TKvSelectorPointsCollection : public TCollection {
public:
    TKvSelectorPointsCollection();
    TKvSelectorPointsItem* GetItem(int Index) const;
    TKvSelectorPointsItem* Add();
};

class TKvPointSelector : public TKvCustomImageSelector {
public:
    // Kept inside the class: the chart's series has a point-drawing event of the same
    // name and a different signature in this namespace.
    using TKvDrawPointEvent = std::function<void(TCanvas* cnv, int idx, TPoint pt)>;

    explicit TKvPointSelector(TComponent* Owner);
    ~TKvPointSelector() override;

    TKvSelectorPointsCollection* Points() const { return FPoints.get(); }
    void SetPoints(const TKvSelectorPointsCollection* Value);
    // The point last found under the pointer: the one a drag moves.
    int CurrentIndex() const { return FCurrentIndex; }

    // Draws a point instead of the selector.
    TKvDrawPointEvent OnDrawKvPoint;

    // Puts point Index at the pixel and lets it follow the mouse.
    void NewPointPos(int Index, int X, int Y);
    // 1 when a point lies under the pointer (it becomes the current one), else 0.
    int CheckMouseCapture(int X, int Y);
    void SetNewValueCoord(int Kind, int X, int Y);

    void CheckBounds() override;

protected:
    bool MouseEvent(TMessage& Message) override;
    void Draw(TCanvas* Canvas) override;

private:
    std::unique_ptr<TKvSelectorPointsCollection> FPoints;
    int FCurrentIndex = 0;
};

}  // namespace KVC
