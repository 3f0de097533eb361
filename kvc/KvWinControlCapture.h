// Shows every message of a windowed control to the application, before and after the
// control handles it; the before handler may keep a message from the control.
#pragma once
#include <functional>
#include "platform/ui/Controls.h"

namespace KVC {

using TKvCaptureMessageEvent = std::function<void(TObject* Sender, TMessage& Message, bool& Handled)>;

class TKvWinControlCapture : public TComponent {
public:
    // Placed on a windowed control, it watches that control from the start.
    explicit TKvWinControlCapture(TComponent* Owner);
    ~TKvWinControlCapture() override;

    TWinControl* GetWinControl() const { return FWinControl; }
    void SetWinControl(TWinControl* Value);
    // Off (the default): every message passes straight through and no handler runs.
    bool GetActive() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }

    TKvCaptureMessageEvent OnAfterMessage;
    TKvCaptureMessageEvent OnBeforeMessage;

protected:
    void Notification(TComponent* Component, TOperation Operation) override;
    // Runs ahead of the control; true keeps the message from it.
    virtual bool WndProc(TMessage& Message);

private:
    void Attach(TWinControl* Control);
    void Detach();

    TWinControl* FWinControl = nullptr;
    THookId FHook = 0;
    bool FActive = false;
};

}  // namespace KVC
