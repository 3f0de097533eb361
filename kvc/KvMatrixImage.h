// The axis image that shows a numeric matrix as a picture in its graph area: one pixel
// per element (a grey level stretched between the smallest and the largest element, or
// the colour a handler chooses), kept at the matrix's own size and scaled to the graph
// area when painted. The scaled picture is cached, so a repaint that changes neither the
// data nor the graph area's size costs one block copy.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include "kvc/KvAxisImage.h"

namespace KVC {

// Colour of element (x: column, y: row). The three bytes arrive holding the previous
// element's colour, so a handler sets all three.
using TKvGetValueColorEvent = std::function<void(TObject* Sender, int x, int y, double Value, std::uint8_t& ARed,
                                                 std::uint8_t& AGreen, std::uint8_t& ABlue)>;

class TKvMatrixImage : public TKvAxisImage {
public:
    explicit TKvMatrixImage(TComponent* Owner);
    ~TKvMatrixImage() override;

    // A whole matrix, row-major: element (column j, row i) is Data[i * Width + j]. The
    // picture takes the matrix's size.
    void SetNewData(const char* Data, int Width, int Height);
    void SetNewData(const std::uint8_t* Data, int Width, int Height);
    void SetNewData(const std::int16_t* Data, int Width, int Height);
    void SetNewData(const std::uint16_t* Data, int Width, int Height);
    void SetNewData(const int* Data, int Width, int Height);
    void SetNewData(const unsigned int* Data, int Width, int Height);
    void SetNewData(const float* Data, int Width, int Height);
    void SetNewData(const double* Data, int Width, int Height);

    // A Width x Height part of the matrix whose first column and row are Origin.x and
    // Origin.y. Elements that fall outside the picture are left out.
    void UpdateDataRect(const char* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const std::uint8_t* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const std::int16_t* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const std::uint16_t* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const int* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const unsigned int* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const float* Data, int Width, int Height, TPoint Origin);
    void UpdateDataRect(const double* Data, int Width, int Height, TPoint Origin);

    // The matrix as a 24-bit picture, one pixel per element. A caller that draws into it
    // calls DataBitmapChanged and then has the control repainted.
    TBitmap* GetDataBitmap() const { return FDataBitmap.get(); }
    // The next paint scales the data bitmap again; nothing is repainted now.
    void DataBitmapChanged() { FDisplayRect = TRect{}; }

    // Matrix position to control pixel and back, by the graph area of the last paint.
    // PointG2D is true when the pixel lies on the matrix.
    void PointD2G(double Column, double Row, int& X, int& Y) const;
    bool PointG2D(int X, int Y, double& Column, double& Row) const;

    bool GetLeftTopZero() const { return FLeftTopZero; }
    // Takes effect for the data converted afterwards.
    void SetLeftTopZero(bool Value);
    bool GetUseBilinearInterpolation() const { return FUseBilinearInterpolation; }
    void SetUseBilinearInterpolation(bool Value);

    TKvGetValueColorEvent OnGetValueColor;

protected:
    void DrawGraphic(TBitmap* Bitmap) override;

private:
    template <class T>
    void NewData(const T* Data, int Width, int Height);
    template <class T>
    void ConvertElements(const T* Data, int Width, int Height, TPoint Origin);

    std::unique_ptr<TBitmap> FDataBitmap;
    std::unique_ptr<TBitmap> FDisplayBitmap;
    TRect FDisplayRect;
    bool FLeftTopZero = true;
    bool FUseBilinearInterpolation = false;
};

}  // namespace KVC
