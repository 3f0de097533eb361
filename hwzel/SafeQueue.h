// Queues shared between the program's thread and the sender thread. Each holds its lock
// for one operation only; the event variant tells through an event whether it holds
// anything, so the sender thread can wait for it beside its other events.
#pragma once
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include "hwzel/Events.h"
#include "hwzel/hwzel.h"
#include "platform/kvcls/kvcls.h"

template <typename T>
class TSafeQueueType {
public:
    virtual ~TSafeQueueType() = default;

    void Push(T Item)
    {
        TResGuard::TGuard Guard(FLock);
        FQueue.push_back(std::move(Item));
        Changed();
    }
    T Front()
    {
        TResGuard::TGuard Guard(FLock);
        return FQueue.front();
    }
    void Pop()
    {
        TResGuard::TGuard Guard(FLock);
        FQueue.pop_front();
        Changed();
    }
    // Front and pop in one step; empty when there was nothing.
    std::optional<T> Take()
    {
        TResGuard::TGuard Guard(FLock);
        if (FQueue.empty()) return std::nullopt;
        T Item = std::move(FQueue.front());
        FQueue.pop_front();
        Changed();
        return Item;
    }
    bool Empty()
    {
        TResGuard::TGuard Guard(FLock);
        return FQueue.empty();
    }

protected:
    // Runs under the lock after every change.
    virtual void Changed() {}
    std::deque<T> FQueue;

private:
    TResGuard FLock;
};

template <typename T>
class TSafeQueueWihtEvent : public TSafeQueueType<T> {
public:
    explicit TSafeQueueWihtEvent(std::shared_ptr<TEventHub> Hub) : Event(std::move(Hub)) {}
    // Set exactly while the queue holds an element.
    TEvent Event;

protected:
    void Changed() override
    {
        if (this->FQueue.empty())
            Event.Reset();
        else
            Event.Set();
    }
};

using TScriptQueue = TSafeQueueWihtEvent<TScriptStrings>;
