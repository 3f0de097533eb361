// Drawing service functions shared by the components: text placement and rotated text,
// the clamped uniform B-spline of line series, bilinear bitmap scaling, striped lines of
// selection overlays, unit prefixes, colour helpers, tree paths and the shift state.
// None keeps state between calls.
#pragma once
#include <cstdint>
#include <string>
#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Messages.h"

namespace KVC {

struct TDPoint {
    double x = 0;
    double y = 0;
};

// ---- Text ------------------------------------------------------------------------------
// Bounding box of Text turned by Angle degrees (counter-clockwise), measured with the
// canvas's font.
void CalcTextSize(TCanvas* Canvas, TSize& Size, int Angle, const std::string& Text);
// Start point for Text drawn at Angle (0 to 360) so that its turned box sits in Rect as
// Alignment and Layout ask.
void CalcTextPos(TCanvas* Canvas, const TRect& Rect, TPoint& Pos, int Angle, const std::string& Text,
                 TAlignment Alignment, TTextLayout Layout);
// Text from Pos with the canvas's font turned by Angle degrees.
void DrawAngleText(TCanvas* Canvas, const TPoint& Pos, int Angle, const std::string& Text);
// Text turned to read bottom to top: its alignment becomes a layout along the turned
// line (left-aligned text starts at the bottom).
TTextLayout VerticalTextLayout(TAlignment Alignment);
// Places Text in Rect: at Angle 0 as single-line formatted text clipped to Rect, otherwise
// turned from the computed start point. Pos always receives the start point.
void DrawTitleText(TCanvas* Canvas, TRect Rect, TPoint& Pos, int Angle, const std::string& Text, TAlignment Alignment,
                   TTextLayout Layout);

// ---- Clamped uniform B-spline of order k (degree k - 1) ---------------------------------
// n + k + 1 knots for control points 0..n; nothing when n < k - 1.
void buildKnots(int k, int n, float* Knots);
// Basis function N(i, k) at t.
float bSpline(int i, int k, float t, const float* Knots);
// Number of curve points for n control points at parameter step Step (0 when refused).
int GetCountBSplinePoints(int n, int k, float Step);
// Curve through n control points; X/OutX and Y/OutY are pairs, at least one complete.
// Returns the points written, GetCountBSplinePoints(n, k, Step) at most.
int BuildBSplineCurve2d(int n, int k, float Step, const float* X, const float* Y, float* OutX, float* OutY);
// Number of points BuildBSplineCurve3d writes: u = 0, StepU, ... up to the last u knot.
int GetCountBSplineSurfacePoints(int nu, int k, float StepU);
// The line v = V of the surface whose nu x nv control points lie row by row (index
// row * nu + column). Returns the points written.
int BuildBSplineCurve3d(int nu, int nv, int k, float StepU, float V, const float* X, const float* Y, const float* Z,
                        float* OutX, float* OutY, float* OutZ);

// ---- Bitmaps and colours ----------------------------------------------------------------
// Fills all of Target (its size kept, Source's pixel format taken) from Source by bilinear
// interpolation in memory row order; false, Target untouched, for refused input.
bool DoBilinearInterpolation(TBitmap* Source, TBitmap* Target, double ScaleX, double ScaleY, double OffsetX,
                             double OffsetY);
// Replaces OldColor by NewColor within Rect (the whole bitmap when null), clipped to the
// bitmap. 24 and 32-bit bitmaps; on 32-bit pixels the fourth byte is not compared.
bool ChangeBitmapPixelColor(TBitmap* Bitmap, TColor OldColor, TColor NewColor, const TRect* Rect);
void ScaleEachByte(std::uint8_t* Bytes, int Count, double Factor);
std::uint32_t InterpolationColorBytes(std::uint32_t Color1, std::uint32_t Color2, double T);

// Two-colour dashed line and polyline; stripes StripLength pixels long.
void DrawStripyLine(TCanvas* Canvas, float X1, float Y1, float X2, float Y2, int PenWidth, int StripLength,
                    TColor Color1, TColor Color2);
void DrawStripyCurve(TCanvas* Canvas, int Count, const TDPoint* Points, int PenWidth, int StripLength, TColor Color1,
                     TColor Color2);

// ---- Physical units: prefixes n, u, m, (none), K, M, G ----------------------------------
// Re-prefixes Unit with NewPrefix; returns the factor for a value in the old unit.
double ConvertPhisicalValue(std::string& Unit, char NewPrefix, std::uint8_t Mode);
// Brings Value into [1, 1000^Mode] by moving the unit's prefix; returns new / old value.
double ConvertPhisicalValue(double& Value, std::string& Unit, std::uint8_t Mode);
// The prefix that brings Value nearest to 1..1000; returns the value in the new unit.
double ConvertPhisicalValueBack(std::string& Unit, double Value);
double SelectRange(double& Min, double& Max, std::string& Unit);
double CorrectAxisData(double& Min, double& Max, const std::string& Unit, std::string& NewUnit);

// ---- Other ------------------------------------------------------------------------------
// The shift state now: keyboard modifiers plus the button of a mouse message.
TShiftState GetCurShiftState(const TMessage& Message);

// Finds or creates the chain of nodes named by the segments of Path (split at
// Separator) in a tree whose Items offer GetFirstNode() and AddChild(Parent, Text), and
// whose nodes offer Text, getFirstChild() and getNextSibling(). Returns the node of the
// last segment (the first node of the tree when Path has no segment).
template <class TTree>
auto ParseTreePath(TTree* Tree, const std::string& Path, const std::string& Separator)
    -> decltype(Tree->Items->GetFirstNode())
{
    using TNode = decltype(Tree->Items->GetFirstNode());
    TNode current = Tree->Items->GetFirstNode();
    if (Separator.empty()) return current;
    TNode parent = nullptr;
    TNode result = current;
    bool creating = false;
    std::string rest = Path + Separator;
    for (size_t at = rest.find(Separator); at != std::string::npos; at = rest.find(Separator)) {
        const std::string segment = rest.substr(0, at);
        rest.erase(0, at + Separator.size());
        if (segment.empty()) continue;
        if (!creating) {
            while (current && current->Text != segment) current = current->getNextSibling();
            if (current) {
                parent = result = current;
                if (!rest.empty()) current = current->getFirstChild();
                continue;
            }
            creating = true;
        }
        parent = result = Tree->Items->AddChild(parent, segment);
    }
    return result;
}

}  // namespace KVC
