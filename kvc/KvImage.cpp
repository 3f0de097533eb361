#include "kvc/KvImage.h"

namespace KVC {

TKvImage::TKvImage(TComponent* Owner) : TCustomControl(Owner), FBackground(std::make_unique<TBitmap>())
{
    FBackground->OnChange = [this](TObject* Sender) { Change(Sender); };
    SetBounds(GetLeft(), GetTop(), 100, 100);
    FConstructed = true;
}

TKvImage::~TKvImage()
{
    FDestroying = true;
    FBackground->OnChange = nullptr;
}

void TKvImage::Display()
{
    Paint();
    // The picture is on its way to the screen: the window's own paint shows it.
    if (Showing()) {
        FPictureShown = false;
        Repaint();
    }
}

void TKvImage::BeginUpdate()
{
    FUpdateEnabled = false;
    ++FUpdateCount;
}

void TKvImage::EndUpdate()
{
    --FUpdateCount;
    if (FUpdateCount >= 1) return;
    FUpdateCount = 0;
    FUpdateEnabled = true;
    Change(this);
}

void TKvImage::Change(TObject*)
{
    if (!FConstructed || FDestroying || !FUpdateEnabled) return;
    if (FLoaded && FAutoRefresh) Display();
}

void TKvImage::SetBackground(const TBitmap* Value)
{
    if (Value && Value != FBackground.get()) FBackground->Assign(*Value);
    FBackground->OnChange = [this](TObject* Sender) { Change(Sender); };
    Invalidate();
}

void TKvImage::SetAutoRefresh(bool Value)
{
    if (Value == FAutoRefresh) return;
    FAutoRefresh = Value;
    if (Value) Display();
}

void TKvImage::SetEraseBackground(bool Value)
{
    FEraseBackground = Value;
    if (Value) Display();
}

void TKvImage::SetAutoSize(bool Value)
{
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    AdjustSize();
}

void TKvImage::Loaded()
{
    TCustomControl::Loaded();
    FLoaded = true;
}

bool TKvImage::CanAutoSize(int& NewWidth, int& NewHeight)
{
    const TAlign align = GetAlign();
    if (align == alNone || align == alLeft || align == alRight) NewWidth = FBackground->GetWidth();
    if (align == alNone || align == alTop || align == alBottom) NewHeight = FBackground->GetHeight();
    return true;
}

void TKvImage::AdjustSize()
{
    if (Loading() || !FAutoSize) return;
    SetBounds(GetLeft(), GetTop(), FBackground->GetWidth(), FBackground->GetHeight());
}

void TKvImage::Paint()
{
    if (!FBackground->Empty()) {
        BitBlt(Canvas(), 0, 0, ClientWidth(), ClientHeight(), FBackground->Canvas(), 0, 0, SRCCOPY);
    }
    if (OnPaint) OnPaint(this);
}

}  // namespace KVC
