// Cursor lines of an axis image: each selector is a vertical line at a value of the
// bottom axis or a horizontal line at a value of a vertical axis, drawn across the graph
// area and found under the mouse; the collection keeps them for their image.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include "platform/ui/Collections.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Graphics.h"

namespace KVC {

class TKvAxisImage;
class TKvGraphSelector;

enum TKvSelectorOrientation { gsoVertical = 0, gsoHorizontal = 1 };

using TKvDrawSelectorEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int Position, bool& Draw)>;

class TKvGraphSelectors : public TCollection {
public:
    explicit TKvGraphSelectors(TKvAxisImage* Image);

    TKvAxisImage* Image() const { return FImage; }
    TKvGraphSelector* Add();
    TKvGraphSelector* GetItem(int Index) const;
    void SetItem(int Index, const TKvGraphSelector* Value);

    // Passes a change of a selector on to the change callback.
    virtual void Change(TObject* Sender);
    // Draws every selector in index order.
    virtual void DoPaint(TCanvas* Canvas);
    // Index of the first selector under the pixel; -1 when none.
    int IsMouseOver(int X, int Y) const;

    // Set by the owning image to its own change handling.
    TNotifyEvent OnChange;

private:
    TKvAxisImage* FImage;
};

class TKvGraphSelector : public TCollectionItem {
public:
    explicit TKvGraphSelector(TCollection* Collection);
    // A new selector in Source's collection with Source's values.
    explicit TKvGraphSelector(const TKvGraphSelector* Source);
    ~TKvGraphSelector() override;

    // Copies orientation, position, tag, cursor, AutoUpdate, axis, pen and visibility;
    // raises for a source of another class.
    void Assign(const TPersistent* Source) override;
    std::string GetDisplayName() const override { return Name; }

    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen* Value);
    TKvSelectorOrientation GetOrientation() const { return FOrientation; }
    void SetOrientation(TKvSelectorOrientation Value);
    double GetPos() const { return FPos; }
    // Stores the position, moved back into the graph area when it lies outside.
    void SetPos(double Value);
    TColor GetBackLineColor() const { return FBackLineColor; }
    void SetBackLineColor(TColor Value);

    // The pixel column (vertical) or row (horizontal) of the line; 0 without an image.
    int GetWinPos();
    void SetWinPos(int Pixel);
    // Brings Position into the graph area and gives its pixel.
    void CheckPos(double& Position, int& Pixel);
    void DrawSelector(TCanvas* Canvas);
    bool IsMouseOver(const TPoint& P);
    // Passes the change on when AutoUpdate is set.
    void Change(TObject* Sender);

    int Tag = 0;
    TCursor Cursor = crDefault;
    bool AutoUpdate = false;
    // y values refer to the left axis (false: the right axis).
    bool LeftAxis = true;
    // Largest pixel distance at which the mouse is over the line.
    int MouseSensetivity = 3;
    bool Visible = true;
    std::string Name;

    // Called before the line is drawn; Draw set false suppresses it.
    TKvDrawSelectorEvent OnDrawSelector;
    // Set when the selector joins its collection.
    TNotifyEvent OnChangeCallback;

private:
    TKvAxisImage* Image() const;

    std::unique_ptr<TPen> FPen;
    TKvSelectorOrientation FOrientation = gsoVertical;
    double FPos = 0;
    TColor FBackLineColor = clBlack;
};

}  // namespace KVC
