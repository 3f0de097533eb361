#include "kvc/KvMatrixImage.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include "kvc/KvEdit.h"
#include "kvc/KvStore.h"

namespace KVC {

namespace {

// Elements are compared and subtracted in a type wide enough that no difference of two
// elements of the matrix's own type overflows.
template <class T>
using TWide = std::conditional_t<std::is_integral_v<T>, std::int64_t, double>;

template <class T>
TWide<T> Widen(T Value)
{
    // A plain char is a signed 8-bit element whatever the platform's char is.
    if constexpr (std::is_same_v<T, char>)
        return static_cast<signed char>(Value);
    else
        return Value;
}

// Elements without a value (NaN, infinities) take no part in the stretch of the grey scale.
template <class T>
bool Measurable(T Value)
{
    if constexpr (std::is_floating_point_v<T>)
        return std::isfinite(Value);
    else
        return true;
}

// The grey level of an element Offset above the smallest, in a stretch of Range. A
// matrix of equal elements (Range 0) is all grey 0, the level of its smallest element;
// an element without a value is grey 0 too, an infinite one the nearest end.
std::uint8_t GreyLevel(double Offset, double Range)
{
    if (!(Range > 0)) return 0;
    // The largest element is white even where rounding of the product and the quotient
    // of two large doubles would fall short of 255.
    if (Offset >= Range) return 255;
    const double grey = Offset * 255 / Range;
    if (!(grey > 0)) return 0;
    if (grey >= 255) return 255;
    return static_cast<std::uint8_t>(grey);
}

}  // namespace

TKvMatrixImage::TKvMatrixImage(TComponent* Owner)
    : TKvAxisImage(Owner), FDataBitmap(std::make_unique<TBitmap>()), FDisplayBitmap(std::make_unique<TBitmap>())
{
    FDataBitmap->SetPixelFormat(pf24bit);
    FDisplayBitmap->SetPixelFormat(pf24bit);
    for (TKvChartAxis* axis : {LeftAxis(), TopAxis(), RightAxis(), BottomAxis()}) axis->SetGridVisible(false);
}

TKvMatrixImage::~TKvMatrixImage()
{
    FDisplayBitmap.reset();
    FDataBitmap.reset();
}

// ---- Data -------------------------------------------------------------------------------
template <class T>
void TKvMatrixImage::NewData(const T* Data, int Width, int Height)
{
    if (!Data || Width <= 0 || Height <= 0) Width = Height = 0;
    if (FDataBitmap->GetPixelFormat() != pf24bit) FDataBitmap->SetPixelFormat(pf24bit);
    FDataBitmap->SetSize(Width, Height);
    ConvertElements(Data, Width, Height, TPoint{0, 0});
}

template <class T>
void TKvMatrixImage::ConvertElements(const T* Data, int Width, int Height, TPoint Origin)
{
    TBitmap& picture = *FDataBitmap;
    // A caller may have drawn into the data bitmap in another format: pixels are written
    // as blue, green, red.
    if (picture.GetPixelFormat() != pf24bit) picture.SetPixelFormat(pf24bit);
    if (!Data || Width <= 0 || Height <= 0) Width = Height = 0;
    const std::size_t count = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);

    // With a colour handler the grey scale is not used at all.
    const bool handler = static_cast<bool>(OnGetValueColor);
    TWide<T> smallest = 0, largest = 0;
    if (!handler) {
        bool found = false;
        for (std::size_t k = 0; k < count; ++k) {
            const TWide<T> v = Widen(Data[k]);
            if (!Measurable(v)) continue;
            if (!found || v < smallest) smallest = v;
            if (!found || v > largest) largest = v;
            found = true;
        }
    }
    const double range = static_cast<double>(largest - smallest);

    // Only the part of the given rectangle that lies on the picture is written.
    const std::int64_t columns = picture.GetWidth(), rows = picture.GetHeight();
    const int firstColumn = static_cast<int>(std::clamp<std::int64_t>(-std::int64_t(Origin.x), 0, Width));
    const int endColumn = static_cast<int>(std::clamp<std::int64_t>(columns - Origin.x, 0, Width));
    const int firstRow = static_cast<int>(std::clamp<std::int64_t>(-std::int64_t(Origin.y), 0, Height));
    const int endRow = static_cast<int>(std::clamp<std::int64_t>(rows - Origin.y, 0, Height));

    std::uint8_t red = 0, green = 0, blue = 0;
    for (int i = firstRow; i < endRow; ++i) {
        const int row = Origin.y + i;
        std::uint8_t* line = picture.ScanLine(FLeftTopZero ? row : static_cast<int>(rows) - 1 - row);
        const T* elements = Data + static_cast<std::size_t>(i) * static_cast<std::size_t>(Width);
        for (int j = firstColumn; j < endColumn; ++j) {
            const int column = Origin.x + j;
            const TWide<T> v = Widen(elements[j]);
            if (handler)
                OnGetValueColor(this, column, row, static_cast<double>(v), red, green, blue);
            else
                red = green = blue = GreyLevel(static_cast<double>(v - smallest), range);
            std::uint8_t* pixel = line + 3 * static_cast<std::size_t>(column);
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
        }
    }
    FDisplayRect = TRect{};
    Change(this);
}

void TKvMatrixImage::SetNewData(const char* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const std::uint8_t* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const std::int16_t* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const std::uint16_t* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const int* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const unsigned int* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const float* Data, int Width, int Height) { NewData(Data, Width, Height); }
void TKvMatrixImage::SetNewData(const double* Data, int Width, int Height) { NewData(Data, Width, Height); }

void TKvMatrixImage::UpdateDataRect(const char* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const std::uint8_t* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const std::int16_t* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const std::uint16_t* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const int* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const unsigned int* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const float* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}
void TKvMatrixImage::UpdateDataRect(const double* Data, int Width, int Height, TPoint Origin)
{
    ConvertElements(Data, Width, Height, Origin);
}

// ---- Properties -------------------------------------------------------------------------
void TKvMatrixImage::SetLeftTopZero(bool Value)
{
    if (Store(FLeftTopZero, Value)) Change(this);
}

void TKvMatrixImage::SetUseBilinearInterpolation(bool Value)
{
    // The cached picture was scaled the other way: it is scaled again at the next paint.
    if (!Store(FUseBilinearInterpolation, Value)) return;
    FDisplayRect = TRect{};
    Change(this);
}

// ---- Drawing ----------------------------------------------------------------------------
void TKvMatrixImage::DrawGraphic(TBitmap* Bitmap)
{
    const TRect graph = GraphRect();
    const TRect area{0, 0, graph.Width(), graph.Height()};
    // Without a matrix the graph area keeps what the frame drew.
    if (area.IsEmpty() || FDataBitmap->Empty()) return;
    if (!(area == FDisplayRect)) {
        FDisplayBitmap->SetSize(area.Width(), area.Height());
        if (!FUseBilinearInterpolation || !DoScaleBitmap(FDataBitmap.get(), FDisplayBitmap.get()))
            FDisplayBitmap->Canvas()->StretchDraw(area, *FDataBitmap);
        FDisplayRect = area;
    }
    BitBlt(Bitmap->Canvas(), graph.Left, graph.Top, FDisplayBitmap->GetWidth(), FDisplayBitmap->GetHeight(),
           FDisplayBitmap->Canvas(), 0, 0, SRCCOPY);
}

// ---- Coordinates ------------------------------------------------------------------------
void TKvMatrixImage::PointD2G(double Column, double Row, int& X, int& Y) const
{
    const TRect graph = GraphRect();
    const int columns = FDataBitmap->GetWidth(), rows = FDataBitmap->GetHeight();
    X = columns > 0 ? TypedTruncToInt(Column * graph.Width() / columns + graph.Left) : graph.Left;
    Y = rows > 0 ? TypedTruncToInt(Row * graph.Height() / rows + graph.Top) : graph.Top;
}

bool TKvMatrixImage::PointG2D(int X, int Y, double& Column, double& Row) const
{
    const TRect graph = GraphRect();
    const int columns = FDataBitmap->GetWidth(), rows = FDataBitmap->GetHeight();
    // Before the first paint, or without a matrix, no pixel lies on the matrix.
    if (graph.Width() <= 0 || graph.Height() <= 0 || columns <= 0 || rows <= 0) {
        Column = Row = 0;
        return false;
    }
    Column = double(X - graph.Left) * columns / graph.Width();
    Row = double(Y - graph.Top) * rows / graph.Height();
    return Column >= 0 && Row >= 0 && Column < columns && Row < rows;
}

}  // namespace KVC
