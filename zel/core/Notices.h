// The device's notices on their way to the windows. Each window kind declares the
// notices it receives (its row's Notices, with the process they are limited to); each
// window registers its part of them (TToolWindow::HandleNotice). The main window's
// OnLinkNotify passes a notice here; the dispatcher calls the windows' parts in the
// order of the kind table.
#pragma once
#include <cstdint>
#include <vector>
#include "zel/core/Toolwindow.h"

// The payload of a notice as its window reads it.
template <class TRecord>
const TRecord* NoticeRecord(LPARAM Payload)
{
    return reinterpret_cast<const TRecord*>(Payload);
}
inline int NoticeNumber(LPARAM Payload) { return static_cast<int>(Payload); }
// The isotherm's half-cycle index travels as a 16-bit number.
inline int NoticeWord(LPARAM Payload) { return static_cast<std::uint16_t>(Payload); }

class TNoticeDispatcher {
public:
    // A second registration of one code by one window replaces the first.
    void Register(const TToolWindow* Window, THlNotifyCode Code, TNoticeHandler Handler);
    void Unregister(const TToolWindow* Window);
    // Calls the registered parts of the windows whose kind declares the code, skipping
    // a declaration limited to another process than Running. True when any kind
    // declares the code, whether or not a window of it exists.
    bool Dispatch(WPARAM Code, LPARAM Payload, TProcessKind Running) const;

private:
    struct TEntry {
        const TToolWindow* Window;
        THlNotifyCode Code;
        TNoticeHandler Handler;
    };
    std::vector<TEntry> FEntries;
};

TNoticeDispatcher& NoticeDispatcher();
