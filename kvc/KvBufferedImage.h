// The image that composes each picture off screen (background, then what the subclasses
// draw, then OnDrawBuffer) and shows it with one block copy, so it never flickers.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include "kvc/KvImage.h"

namespace KVC {

enum TKvBackDrawMode { bdmSimple = 0, bdmCentered = 1, bdmTiled = 2, bdmStretched = 3 };

using TKvDrawBufferEvent = std::function<void(TObject* Sender, TCanvas* ACanvas)>;

class TKvBufferedImage : public TKvImage {
public:
    explicit TKvBufferedImage(TComponent* Owner);
    ~TKvBufferedImage() override;

    // Writes the picture of the last paint, as it is, to a Windows bitmap file.
    void SaveToBitmapFile(const std::string& FileName) const;
    void SaveToBitmap(TBitmap* Bitmap) const;
    // The picture of the last paint.
    const TBitmap& Buffer() const { return *FBuffer; }

    TKvBackDrawMode GetBackDrawMode() const { return FBackDrawMode; }
    void SetBackDrawMode(TKvBackDrawMode Value);
    bool GetBackgroundBuffering() const { return FBackgroundBuffering; }
    void SetBackgroundBuffering(bool Value);

    TKvDrawBufferEvent OnDrawBuffer;

protected:
    void Paint() override;
    // Composes the picture in Bitmap (always the control's own off-screen bitmap);
    // subclasses draw more after calling it.
    virtual void PrepareDisplayedBitmap(TBitmap* Bitmap);
    // Smooth scaling of the background into Target; false when the bitmaps are refused.
    bool DoScaleBitmap(TBitmap* Source, TBitmap* Target);
    TBitmap* BufferBitmap() const { return FBuffer.get(); }
    bool FDesignFrame = true;

private:
    std::unique_ptr<TBitmap> FBuffer;
    std::unique_ptr<TBitmap> FCache;
    TKvBackDrawMode FBackDrawMode = bdmSimple;
    bool FBackgroundBuffering = false;
    TRect FCachedRect;
};

}  // namespace KVC
