// The buffered image that frames a plotting area with four axes, a chart title, bevels
// and margins, maps values to pixels and back, zooms and pans with the mouse, and draws
// and drags its cursor lines (the graph selectors). Its subclasses draw their data in the
// graph area through DrawGraphic.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "kvc/KvBufferedImage.h"
#include "kvc/KvChartAxis.h"
#include "kvc/KvGraphSelector.h"
#include "kvc/KvServiceFuncs.h"
#include "platform/ui/Cursors.h"

namespace KVC {

class TKvAxisImage;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

using TKvCanvasRectEvent = std::function<void(TCanvas* ACanvas, const TRect& BorderRect)>;
// A graph selector of the image, by its index, is dragged or released.
using TKvSelectorEvent = std::function<void(TObject* Sender, int Index)>;

// Zoom and pan settings and the drag in progress.
class TKvAxisImageZoom : public TPersistent {
public:
    explicit TKvAxisImageZoom(TKvAxisImage* Owner);
    void Assign(const TPersistent* Source) override;

    bool ZoomEnabled = false;
    bool MoveEnabled = false;
    TShiftState ZoomShiftState = 0;
    TShiftState MoveShiftState = 0;
    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen& Value) { FPen->Assign(Value); }

    // Applies a zoom rectangle given in pixels of the picture, as dragged.
    void ZoomRect(const TRect& Rect);
    // Draws the band of the zoom drag in progress.
    void Draw(TBitmap* Bitmap);

    TPoint StartPoint;
    TPoint EndPoint;
    bool Zooming = false;
    bool Moving = false;

private:
    TKvAxisImage* FOwner;
    std::unique_ptr<TPen> FPen;
};

class TKvAxisImage : public TKvBufferedImage {
public:
    // One measured axis label.
    struct TKvChartLabelsInfo {
        double Value = 0;
        std::string Text;
        int Width = 0;
        int Height = 0;
    };

    explicit TKvAxisImage(TComponent* Owner);
    ~TKvAxisImage() override;

    TBrush* Brush() const { return FBrush.get(); }
    TPen* BorderPen() const { return FBorderPen.get(); }
    // Copy the given object (null or the own one is ignored) and report a change.
    void SetBrush(const TBrush* Value);
    void SetBorderPen(const TPen* Value);
    TColor GetBackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor Value);

    TKvChartAxis* LeftAxis() const { return FLeftAxis.get(); }
    TKvChartAxis* BottomAxis() const { return FBottomAxis.get(); }
    TKvChartAxis* TopAxis() const { return FTopAxis.get(); }
    TKvChartAxis* RightAxis() const { return FRightAxis.get(); }
    void SetLeftAxis(const TKvChartAxis& Value) { CopyPart(*FLeftAxis, Value); }
    void SetBottomAxis(const TKvChartAxis& Value) { CopyPart(*FBottomAxis, Value); }
    void SetTopAxis(const TKvChartAxis& Value) { CopyPart(*FTopAxis, Value); }
    void SetRightAxis(const TKvChartAxis& Value) { CopyPart(*FRightAxis, Value); }
    TKvChartTitle* Title() const { return FTitle.get(); }
    void SetTitle(const TKvChartTitle& Value) { CopyPart(*FTitle, Value); }
    TKvAxisImageZoom* Zoom() const { return FZoom.get(); }
    void SetZoom(const TKvAxisImageZoom& Value) { CopyPart(*FZoom, Value); }
    // The cursor lines drawn over the data; their changes (with AutoUpdate) repaint.
    TKvGraphSelectors* Selectors() const { return FSelectors.get(); }

    TBevelCut GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelCut GetBevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    int GetBevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    int GetLeftMargin() const { return FMargins[0]; }
    int GetTopMargin() const { return FMargins[1]; }
    int GetRightMargin() const { return FMargins[2]; }
    int GetBottomMargin() const { return FMargins[3]; }
    void SetLeftMargin(int Value) { SetMargin(0, Value); }
    void SetTopMargin(int Value) { SetMargin(1, Value); }
    void SetRightMargin(int Value) { SetMargin(2, Value); }
    void SetBottomMargin(int Value) { SetMargin(3, Value); }
    bool GetDrawGridAfterData() const { return FDrawGridAfterData; }
    void SetDrawGridAfterData(bool Value);

    // A picture drawn into the graph area (kept by the caller), its transparent colour.
    TBitmap* GetGraphicBitmap() const { return FGraphicBitmap; }
    void SetGraphicBitmap(TBitmap* Value);
    TColor GetGraphicTransparentColor() const { return FGraphicTransparentColor; }
    void SetGraphicTransparentColor(TColor Value);

    // Value to pixel by the bottom axis and the left (LeftAxis) or right axis; true when
    // the pixel lies in the graph area, edges included.
    bool ValueToGraphPoint(const TDPoint& Value, TPoint& Point, bool LeftAxis = true);
    // Pixel to value; true when the value lies within both axes' ranges, ends included.
    bool GraphPointToValue(const TPoint& Point, TDPoint& Value, bool LeftAxis = true);
    // Decimals Value needs, up to MaxPrecision.
    static int CalcPrecision(double Value, int MaxPrecision);

    // As last painted.
    TRect GraphRect() const { return FGraphRect; }
    TRect WorkRect() const { return FWorkRect; }
    double ScaleX() const { return FScaleX; }
    double ScaleY() const { return FScaleY; }
    // The labels an axis gets for its range (Vertical for the left and right axes),
    // measured with the canvas.
    std::vector<TKvChartLabelsInfo> MeasureLabels(TCanvas* Canvas, const TKvChartAxis& Axis, bool Vertical) const;

    TNotifyEvent OnPrepareGraphicBitmap;
    TKvCanvasRectEvent OnBeforeDrawGraphic;
    TKvCanvasRectEvent OnDrawZoomRect;
    TNotifyEvent OnZoom;
    TNotifyEvent OnMoved;
    TNotifyEvent OnMoving;
    TKvSelectorEvent OnSelectorChanging;
    TKvSelectorEvent OnSelectorChanged;

protected:
    void PrepareDisplayedBitmap(TBitmap* Bitmap) override;
    virtual void DrawGraphic(TBitmap* Bitmap);
    virtual void DoAutoScale() {}
    virtual void DrawAxis(TBitmap* Bitmap);
    virtual void AfterPrepareDisplayedBitmap(TBitmap*) {}
    void Loaded() override;
    void Resize() override;
    bool CanAutoSize(int&, int&) override { return true; }
    void AdjustSize() override {}
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    friend class TKvAxisImageZoom;
    template <class T>
    void CopyPart(T& Part, const T& Value)
    {
        if (&Part != &Value) Part.Assign(&Value);
    }
    void SetMargin(int Index, int Value);
    void DrawBevels(TCanvas* Canvas);
    void DrawTitles(TCanvas* Canvas);
    void FillFrame(TBitmap* Bitmap, const TRect& Frame);
    enum TKvAxisSide { asLeft, asRight, asTop, asBottom };
    // Labels, grid lines and ticks of the axis on the given side of the frame: labels
    // between A and B across the axis, ticks from Base (the frame line).
    void DrawAxisScale(TCanvas* Canvas, const TKvChartAxis& Axis, const std::vector<TKvChartLabelsInfo>& Labels, int A,
                       int B, int Base, TKvAxisSide Side);
    void HoverSelectors(int X, int Y);
    void DragSelector(int X, int Y);

    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FBorderPen;
    TColor FBackgroundColor = clBtnFace;
    std::unique_ptr<TKvChartAxis> FLeftAxis;
    std::unique_ptr<TKvChartAxis> FBottomAxis;
    std::unique_ptr<TKvChartAxis> FTopAxis;
    std::unique_ptr<TKvChartAxis> FRightAxis;
    std::unique_ptr<TKvChartTitle> FTitle;
    std::unique_ptr<TKvAxisImageZoom> FZoom;
    std::unique_ptr<TKvGraphSelectors> FSelectors;
    // The cursor kept when loading finished, shown again when the mouse leaves a selector.
    TCursor FSavedCursor = crDefault;
    bool FOverSelector = false;
    int FDraggedSelector = -1;
    TBevelCut FBevelOuter = bvLowered;
    TBevelCut FBevelInner = bvRaised;
    int FBevelWidth = 1;
    int FMargins[4] = {3, 7, 2, 3};
    bool FDrawGridAfterData = false;
    TBitmap* FGraphicBitmap = nullptr;
    TColor FGraphicTransparentColor = clWhite;
    TRect FWorkRect;
    // No title of this paint reaches into the work area (each is clipped to its strip, or
    // turned by a right angle in a side strip sized to it).
    bool FTitlesOutsideWork = true;
    TRect FGraphRect;
    double FScaleX = 1;
    double FScaleY = 1;
};

}  // namespace KVC
