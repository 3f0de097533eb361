#include "zel/core/Notices.h"

#include <algorithm>

TNoticeDispatcher& NoticeDispatcher()
{
    static TNoticeDispatcher dispatcher;
    return dispatcher;
}

void TNoticeDispatcher::Register(const TToolWindow* Window, THlNotifyCode Code, TNoticeHandler Handler)
{
    for (TEntry& entry : FEntries)
        if (entry.Window == Window && entry.Code == Code) {
            entry.Handler = std::move(Handler);
            return;
        }
    FEntries.push_back({Window, Code, std::move(Handler)});
}

void TNoticeDispatcher::Unregister(const TToolWindow* Window)
{
    FEntries.erase(
        std::remove_if(FEntries.begin(), FEntries.end(), [Window](const TEntry& E) { return E.Window == Window; }),
        FEntries.end());
}

bool TNoticeDispatcher::Dispatch(WPARAM Code, LPARAM Payload, TProcessKind Running) const
{
    bool routed = false;
    for (const TWindowPattern& kind : WindowPatterns())
        for (const TNoticeRoute& route : kind.Notices) {
            if (route.Code != Code) continue;
            routed = true;
            if (route.OnlyWhile != pkNone && route.OnlyWhile != Running) continue;
            const TToolWindow* window = TToolWindow::Find(kind.Kind);
            if (!window) continue;
            // A copy: the handler may open or close windows, and with them registrations.
            TNoticeHandler handler;
            for (const TEntry& entry : FEntries)
                if (entry.Window == window && entry.Code == route.Code) handler = entry.Handler;
            if (handler) handler(Payload);
        }
    return routed;
}
