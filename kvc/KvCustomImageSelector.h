// The base of the overlays that lie over any windowed control (points, a line, a
// rectangle): it sees the control's mouse messages first through the control's
// window-procedure chain, draws itself after the control has painted, and keeps its
// geometry in values. A pixel rectangle of the control (the graph bounds) maps linearly
// onto a rectangle of values (the value bounds), so the overlay follows what the control
// shows. Also the two persistent value types of the overlays.
#pragma once
#include <memory>
#include "kvc/KvServiceFuncs.h"
#include "platform/ui/ControlCanvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Persistent.h"

namespace KVC {

class TKvBufferedImage;

// Left, top, right, bottom as doubles.
struct TDRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

class TKvPoint : public TPersistent {
public:
    double x = 0;
    double y = 0;

    TDPoint GetDPoint() const { return TDPoint{x, y}; }
    TKvPoint& operator=(const TDPoint& Value);
    TKvPoint& operator=(const TKvPoint& Value);
    // Copies from another point; any other source (or none) is ignored.
    void Assign(const TPersistent* Source) override;
};

class TKvRect : public TPersistent {
public:
    double Left = 0;
    double Right = 0;
    double Top = 0;
    double Bottom = 0;

    // Each value truncated toward zero.
    TRect GetRect() const;
    double Width() const;
    double Height() const;
    // All four ends inclusive.
    bool PtInRect(const TDPoint& P) const;
    // Exchanges the ends of a side that run the wrong way.
    void Correct();
    // Copies from another rectangle; any other source (or none) is ignored.
    void Assign(const TPersistent* Source) override;
};

class TKvCustomImageSelector : public TComponent {
public:
    explicit TKvCustomImageSelector(TComponent* Owner);
    ~TKvCustomImageSelector() override;

    TWinControl* GetWinControl() const { return FWinControl; }
    void SetWinControl(TWinControl* Value);
    TKvCustomImageSelector* GetNextSelector() const { return FNextSelector; }
    void SetNextSelector(TKvCustomImageSelector* Value);

    bool GetActive() const { return FActive; }
    void SetActive(bool Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    // The exact modifier keys and mouse button that start a drag of a handle.
    TShiftState GetShiftState() const { return FShiftState; }
    void SetShiftState(TShiftState Value);

    // Pixel rectangle of the control that carries the values.
    TKvRect* GraphBounds() const { return FRects[0].get(); }
    // Values at the edges of the graph bounds.
    TKvRect* ValueBounds() const { return FRects[1].get(); }
    // A further range that clamps the selector's values while enabled.
    TKvRect* ValueConstraints() const { return FRects[2].get(); }
    // Copies the values of Value into the owned rectangle (0 graph, 1 value bounds,
    // 2 value constraints).
    void SetKvRect(int Index, const TKvRect* Value);
    void SetGraphBounds(const TKvRect* Value) { SetKvRect(0, Value); }
    void SetValueBounds(const TKvRect* Value) { SetKvRect(1, Value); }
    void SetValueConstraints(const TKvRect* Value) { SetKvRect(2, Value); }

    // True: GraphBounds.Right and .Bottom count from the control's right and bottom edges.
    bool GetGraphBoundsRelatively() const { return FGraphBoundsRelatively; }
    void SetGraphBoundsRelatively(bool Value);
    bool GetValueConstraintsEnabled() const { return FValueConstraintsEnabled; }
    void SetValueConstraintsEnabled(bool Value);
    bool GetMarkerShow() const { return FMarkerShow; }
    void SetMarkerShow(bool Value);
    TColor GetMarkerColor() const { return FMarkerColor; }
    void SetMarkerColor(TColor Value);
    TColor GetMarkerBorder() const { return FMarkerBorder; }
    void SetMarkerBorder(TColor Value);
    int GetMarkerSize() const { return FMarkerSize; }
    void SetMarkerSize(int Value);
    TCursor GetDefaultCursor() const { return FDefaultCursor; }
    void SetDefaultCursor(TCursor Value);

    // Fired after every mouse move of a drag, and once when the drag ends.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChanged;

    // ---- Geometry: false when the conversion fails ----
    TRect GetGraphBounds() const;
    bool G2V(const TPoint& P, TDPoint& V) const;
    bool G2V(const TPoint& P, TKvPoint* V) const;
    bool G2V(const TRect& R, TKvRect* V) const;
    bool G2V(const TRect& R, TDRect& V) const;
    bool V2G(const TDPoint& V, TPoint& P) const;
    bool V2G(const TKvPoint* V, TPoint& P) const;
    // Corrects V first (the caller's rectangle changes).
    bool V2G(TKvRect* V, TRect& R) const;
    bool V2G(const TDRect& V, TRect& R) const;
    void CheckBoundsPoint(TKvPoint* P) const;
    void CheckBoundsRect(TKvRect* R) const;

    // Draws the overlay on Canvas: the draw-buffer handler found on the image first,
    // then this selector and its next selector.
    void DrawBuffer(TObject* Sender, TCanvas* Canvas);
    void DrawNextSelector(TKvCustomImageSelector* Selector, TCanvas* Canvas);
    // Draws on the control's window (while it paints; otherwise asks it to repaint).
    void Paint();
    void RepaintWinControl();

    // Clamps the selector's values into the bounds.
    virtual void CheckBounds() {}

protected:
    void Loaded() override;
    void Notification(TComponent* Component, TOperation Operation) override;
    // Runs ahead of the control for each message; true consumes it.
    virtual bool WndProc(TMessage& Message);
    // Runs after the control has handled the message.
    virtual void AfterMessage(TMessage& Message);
    // A mouse message offered to the selector; true consumes it.
    virtual bool MouseEvent(TMessage& Message);
    virtual void Draw(TCanvas* Canvas);

    void CaptureDrawBufferEvent();
    void ReleaseDrawBufferEvent();

    // ---- Shared by the concrete selectors ----
    // The handles a drag protocol works with.
    struct TDragHandles {
        int BodyKind = -1;          // the kind that moves the whole shape (-1: none)
        TShiftState MoveState = 0;  // the shift state that starts a move of the body
        std::function<int(int X, int Y)> HitTest;
        std::function<TCursor(int Kind)> CursorOf;
        std::function<void(int Kind, int X, int Y)> Move;
    };
    // Press, move and release of a handle: returns whether a handle is captured now.
    bool DragMouseEvent(TMessage& Message, const TDragHandles& Handles);
    int Captured() const { return FCaptured; }
    void SetCaptured(int Kind) { FCaptured = Kind; }
    TPoint LastPosition() const { return FLastPosition; }
    void SetLastPosition(const TPoint& P) { FLastPosition = P; }
    // The value shift of a pointer move from the last position to P, measured at the
    // centre of the graph; false when either end leaves the graph or the value bounds.
    bool BodyShift(const TPoint& P, TDPoint& Shift) const;
    void SetCursor(TCursor Cursor) const;
    void DrawMarker(TCanvas* Canvas, const TPoint& Centre, TColor Border, TColor Fill, int Size) const;
    void DrawMarker(TCanvas* Canvas, const TPoint& Centre) const
    {
        DrawMarker(Canvas, Centre, FMarkerBorder, FMarkerColor, FMarkerSize);
    }
    // Clamps P into the rectangle.
    static void ClampPoint(TKvPoint* P, const TKvRect* Range);

private:
    struct TDrawHook;
    void Detach();

    TWinControl* FWinControl = nullptr;
    TKvCustomImageSelector* FNextSelector = nullptr;
    THookId FHook = 0;
    std::unique_ptr<TControlCanvas> FCanvas;
    std::function<void(TObject*, TCanvas*)> FSavedDrawBuffer;
    TKvBufferedImage* FHookedImage = nullptr;
    bool FHooked = false;
    bool FLoaded = false;

    bool FActive = true;
    bool FVisible = true;
    TShiftState FShiftState = 0;
    std::unique_ptr<TKvRect> FRects[3];
    bool FGraphBoundsRelatively = true;
    bool FValueConstraintsEnabled = false;
    bool FMarkerShow = true;
    TColor FMarkerColor = clRed;
    TColor FMarkerBorder = clBlack;
    int FMarkerSize = 3;
    TCursor FDefaultCursor = crDefault;

    int FCaptured = 0;
    TPoint FLastPosition;
};

// Pointer P is near handle H: within 3 pixels both ways.
bool KvNearHandle(const TPoint& P, const TPoint& H);

}  // namespace KVC
