#include "hwzel/Events.h"

#include <chrono>

TEvent::TEvent(std::shared_ptr<TEventHub> Hub) : FHub(std::move(Hub)) {}

void TEvent::Set()
{
    std::lock_guard<std::mutex> Lock(FHub->Mutex);
    FSignalled = true;
    FHub->Changed.notify_all();
}

void TEvent::Reset()
{
    std::lock_guard<std::mutex> Lock(FHub->Mutex);
    FSignalled = false;
}

bool TEvent::IsSet() const
{
    std::lock_guard<std::mutex> Lock(FHub->Mutex);
    return FSignalled;
}

bool TEvent::WaitFor(unsigned TimeoutMs) { return WaitForAny({this}, TimeoutMs) == 0; }

int WaitForAny(std::initializer_list<TEvent*> Events, unsigned TimeoutMs)
{
    if (Events.size() == 0) return -1;
    TEventHub& Hub = *(*Events.begin())->FHub;
    auto FirstSet = [&]() {
        int Index = 0;
        for (TEvent* Event : Events) {
            if (Event->FSignalled) return Index;
            ++Index;
        }
        return -1;
    };
    std::unique_lock<std::mutex> Lock(Hub.Mutex);
    int Found = FirstSet();
    if (Found >= 0 || TimeoutMs == 0) return Found;
    if (TimeoutMs == INFINITE) {
        Hub.Changed.wait(Lock, [&] { return (Found = FirstSet()) >= 0; });
        return Found;
    }
    Hub.Changed.wait_for(Lock, std::chrono::milliseconds(TimeoutMs), [&] { return (Found = FirstSet()) >= 0; });
    return Found;
}
