// Manual-reset events that can be waited for together. Events that one thread waits for
// at once share a hub (one mutex and condition), so a wait sees every change at once.
#pragma once
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>

constexpr unsigned INFINITE = 0xFFFFFFFFu;

class TEventHub {
public:
    std::mutex Mutex;
    std::condition_variable Changed;
};

class TEvent {
public:
    explicit TEvent(std::shared_ptr<TEventHub> Hub = std::make_shared<TEventHub>());
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is set within the time (INFINITE waits for ever).
    bool WaitFor(unsigned TimeoutMs);

    const std::shared_ptr<TEventHub>& Hub() const { return FHub; }

private:
    friend int WaitForAny(std::initializer_list<TEvent*> Events, unsigned TimeoutMs);
    std::shared_ptr<TEventHub> FHub;
    bool FSignalled = false;  // guarded by the hub's mutex
};

// Index of the first set event in the list (examined in list order), or -1 when the
// time ran out. Every event of the list must share one hub.
int WaitForAny(std::initializer_list<TEvent*> Events, unsigned TimeoutMs);
