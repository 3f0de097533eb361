// Plumbing between the message functions and the application object; not for the
// system's code.
#pragma once
#include <QObject>
#include <condition_variable>
#include <mutex>
#include "platform/base/Types.h"

// A message sent from another thread, waiting for the GUI thread's result.
struct TSendState {
    std::mutex Lock;
    std::condition_variable Wake;
    bool Done = false;
    LRESULT Result = 0;
};

// Receives posted and sent messages on the GUI thread and hands them to their targets.
class TMessageDispatcher : public QObject {
public:
    bool event(QEvent* Event) override;
    static TMessageDispatcher* Instance;
};

// Answers every cross-thread send still waiting with 0 (at shut-down).
void ReleasePendingSends();
