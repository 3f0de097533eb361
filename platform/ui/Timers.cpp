#include "platform/ui/Timers.h"

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/ui/Application.h"

struct TTimer::TImpl {
    QTimer Timer;
    unsigned Interval = 1000;
    bool Enabled = true;
};

TTimer::TTimer() : Impl(std::make_unique<TImpl>())
{
    Impl->Timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&Impl->Timer, &QTimer::timeout, [this] {
        if (!OnTimer) return;
        try {
            OnTimer(this);
        } catch (...) {
            if (Application) Application->HandleException(std::current_exception());
        }
    });
    Impl->Timer.setInterval(static_cast<int>(Impl->Interval));
    Impl->Timer.start();
}

TTimer::~TTimer() = default;

unsigned TTimer::GetInterval() const { return Impl->Interval; }

void TTimer::SetInterval(unsigned Milliseconds)
{
    Impl->Interval = Milliseconds;
    Impl->Timer.setInterval(static_cast<int>(Milliseconds));
    SetEnabled(Impl->Enabled);
}

bool TTimer::GetEnabled() const { return Impl->Enabled; }

void TTimer::SetEnabled(bool Value)
{
    Impl->Enabled = Value;
    // A timer with interval 0 never fires.
    if (Value && Impl->Interval > 0)
        Impl->Timer.start();
    else
        Impl->Timer.stop();
}

namespace {
std::mutex TickLock;
std::function<DWORD()>& TickSource()
{
    static std::function<DWORD()> source;
    return source;
}
std::mutex DebugLock;
std::function<void(const std::string&)>& DebugSink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}
}  // namespace

DWORD GetTickCount()
{
    {
        std::lock_guard<std::mutex> lock(TickLock);
        if (TickSource()) return TickSource()();
    }
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(static_cast<std::uint64_t>(ms));
}

void SetTickCountSource(std::function<DWORD()> Source)
{
    std::lock_guard<std::mutex> lock(TickLock);
    TickSource() = std::move(Source);
}

void Sleep(unsigned Milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds)); }

void OutputDebugString(const std::string& Text)
{
    std::lock_guard<std::mutex> lock(DebugLock);
    if (DebugSink()) {
        DebugSink()(Text);
        return;
    }
    // Like the platform's debug output, this is seen only by whoever listens for it.
    if (std::getenv("ZEL_DEBUG_OUTPUT")) std::fprintf(stderr, "%s\n", Text.c_str());
}

void SetDebugOutputSink(std::function<void(const std::string&)> Sink)
{
    std::lock_guard<std::mutex> lock(DebugLock);
    DebugSink() = std::move(Sink);
}
