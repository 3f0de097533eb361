// The painted base control of the image family: a background picture, repainting on
// demand (Display) or on the change reports of its parts (Change), and grouping of many
// changes into one repaint (BeginUpdate / EndUpdate).
#pragma once
#include <memory>
#include <string>
#include "platform/ui/Controls.h"

namespace KVC {

class TKvImage : public TCustomControl {
public:
    explicit TKvImage(TComponent* Owner);
    ~TKvImage() override;

    // Repaints now, without waiting for the window system.
    void Display();
    void BeginUpdate();
    // The last EndUpdate (or one without a matching BeginUpdate) reports one change.
    void EndUpdate();
    bool UpdateEnabled() const { return FUpdateEnabled; }
    // The change report of the background and of every part of the family. Repaints at
    // run time only when loading finished, AutoRefresh is on and no update is open.
    virtual void Change(TObject* Sender);

    TBitmap* Background() const { return FBackground.get(); }
    // Copies Value into the owned background.
    void SetBackground(const TBitmap* Value);
    bool GetAutoRefresh() const { return FAutoRefresh; }
    void SetAutoRefresh(bool Value);
    bool GetEraseBackground() const { return FEraseBackground; }
    void SetEraseBackground(bool Value);
    std::string GetVersion() const { return "1.0"; }
    void SetVersion(const std::string&) {}
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);

    // Proposes the background's size on the sides the alignment leaves free; always
    // allows the resize.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual void AdjustSize();

    TNotifyEvent OnPaint;

protected:
    void Paint() override;
    void Loaded() override;
    bool IsLoaded() const { return FLoaded; }
    // A subclass's own default, set without repainting.
    void SetDefaultAutoRefresh(bool Value) { FAutoRefresh = Value; }
    bool IsDestroying() const { return FDestroying; }
    // Set by Display when the picture was just composed: the window system's next paint
    // only shows it instead of composing it again.
    bool FPictureShown = true;

private:
    std::unique_ptr<TBitmap> FBackground;
    bool FEraseBackground = false;
    bool FAutoRefresh = false;
    bool FAutoSize = false;
    bool FUpdateEnabled = true;
    int FUpdateCount = 0;
    bool FLoaded = false;
    bool FConstructed = false;
    bool FDestroying = false;
};

}  // namespace KVC
