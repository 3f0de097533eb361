// TTimer: fires OnTimer on the GUI thread every Interval milliseconds while enabled.
#pragma once
#include <memory>
#include "platform/base/Types.h"

class TTimer : public TObject {
public:
    TTimer();
    ~TTimer() override;

    unsigned GetInterval() const;
    void SetInterval(unsigned Milliseconds);
    bool GetEnabled() const;
    void SetEnabled(bool Value);

    TNotifyEvent OnTimer;

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

// Milliseconds since an arbitrary start, unsigned 32-bit, wrapping like the platform's
// tick counter. Tests replace the source to step time by hand.
DWORD GetTickCount();
void SetTickCountSource(std::function<DWORD()> Source);  // empty restores the clock

// Suspends the calling thread.
void Sleep(unsigned Milliseconds);

// Writes one line to the debug output (standard error, and to a test sink when set).
void OutputDebugString(const std::string& Text);
void SetDebugOutputSink(std::function<void(const std::string&)> Sink);  // empty restores
