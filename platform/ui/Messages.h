// Window messages: every message target has a handle; messages to it may be posted
// or sent from any thread and are always handled on the GUI thread.
#pragma once
#include "platform/base/Types.h"

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Anything that receives window messages. The handle is valid from construction until
// destruction and is refused afterwards; handles are never reused.
class TMessageTarget : public TObject {
public:
    TMessageTarget();
    ~TMessageTarget() override;
    TMessageTarget(const TMessageTarget&) = delete;
    TMessageTarget& operator=(const TMessageTarget&) = delete;

    HWND Handle() const { return FHandle; }

    // Called on the GUI thread for every message to this target.
    virtual void WndProc(TMessage& Message);

protected:
    // Handles messages nobody else wanted; sets Result to 0.
    virtual void DefaultHandler(TMessage& Message);

private:
    HWND FHandle;
};

// Queues the message for the GUI thread; false when the handle is not a live window
// or the application is shutting down.
bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Runs the message on the GUI thread and returns its result. From another thread it
// blocks until the GUI thread has handled it (the GUI thread serves it inside nested
// loops such as message boxes, never during a plain blocking wait); it returns 0 at
// once for a dead handle and when the application is shutting down.
LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

bool IsWindow(HWND Wnd);

// True on the thread that runs the message loop.
bool IsGuiThread();
